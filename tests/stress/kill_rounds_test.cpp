// Rounds of work cut short by a signal at a random moment: renames with a
// log, plain copies and media-library imports, each under SIGKILL, SIGINT
// and SIGTERM. After every round the originals are all there, once and
// unchanged; every file under a final name equals its source byte for
// byte; no temporary is left; every whole log record names a file that
// exists; and after SIGINT or SIGTERM every change has its line and its
// record.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <thread>

#include "cli/harness.h"
#include "stress/stress_support.h"

namespace fs = std::filesystem;
using namespace stress;
using testing_support::BackgroundRun;
using testing_support::RunResult;
using testing_support::TempDir;

namespace {

enum class Work { Rename, Copy, Media };

struct Case {
  Work work;
  int signal;
};

std::string caseName(const Case& c) {
  const char* work = c.work == Work::Rename ? "rename" : c.work == Work::Copy ? "copy" : "media";
  const char* sig = c.signal == SIGKILL ? "SIGKILL" : c.signal == SIGINT ? "SIGINT" : "SIGTERM";
  return std::string(work) + "_" + sig;
}

std::string lowerText(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// For test names and messages: "copy_SIGINT" rather than the bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << caseName(c); }

const char* const CardPatterns = "*.jpg,*.mov,*.mp3";

class KillRounds : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    files_ = envNumber("ZANTREL_STRESS_FILES", 500);
    rounds_ = envNumber("ZANTREL_STRESS_ROUNDS", 2);
    seed_ = static_cast<uint64_t>(envNumber("ZANTREL_STRESS_SEED", 0));
    if (seed_ == 0) seed_ = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    random_.seed(seed_);
    card_ = std::make_unique<Card>(dir_ / "card", files_, random_);
    fs::create_directories(library());
  }

  fs::path library() const { return dir_ / "lib"; }
  const Case& work() const { return GetParam(); }
  fs::path runFolder() const { return work().work == Work::Copy ? library() : card_->folder(); }

  std::vector<std::string> args() const {
    switch (work().work) {
      case Work::Rename:
        // A prefix changes every name, so that each round has the whole
        // card to rename, whatever the round before it left.
        return {"-pre=x", "-log", CardPatterns};
      case Work::Copy:
        return {"-copy", "-l", "-log", "../card/*.jpg,../card/*.mov,../card/*.mp3"};
      case Work::Media:
        break;
    }
    return {"-cm=" + library().string(), "-log"};
  }

  struct RoundResult {
    bool cut = false;  // the signal cut the run short
    double seconds = 0;
  };

  // One run, cut short after delay unless it ends first (never with a
  // negative delay). Adds what went wrong to problems.
  RoundResult round(double delaySeconds, std::vector<std::string>& problems) {
    const int sig = work().signal;
    const bool caught = sig != SIGKILL;
    std::map<int, std::string> before;
    for (const std::string& p : checkOriginals(*card_, false, before)) problems.push_back("before the round: " + p);
    std::vector<std::string> ignored;
    const size_t libraryBefore = filesBelow(library(), ignored).size();
    const LogWatch log(runFolder());

    BackgroundRun run(args(), runFolder());
    const auto start = std::chrono::steady_clock::now();
    bool ended = false;
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < delaySeconds) {
      if ((ended = run.finished())) break;
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    if (delaySeconds >= 0 && !ended) run.signal(sig);
    const RunResult r = run.wait();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool cut = r.exitCode == 128 + sig;
    if (r.exitCode != 0 && !cut) problems.push_back("exit status " + std::to_string(r.exitCode) + ": " + r.err);

    // The originals.
    std::map<int, std::string> after;
    for (const std::string& p : checkOriginals(*card_, work().work != Work::Rename, after)) problems.push_back(p);

    // What carries a final name.
    std::vector<std::string> found;
    const auto copies = filesBelow(library(), found);
    for (const std::string& p : found) problems.push_back(p);
    std::set<int> copied;
    size_t temporaries = 0;
    for (const auto& [name, bytes] : copies) {
      if (isHiddenPath(name)) {
        // Only SIGKILL on a file system without unnamed files can leave one.
        ++temporaries;
        if (caught || fs::path(name).filename().string().rfind(".zantrel-copy-", 0) != 0)
          problems.push_back("left behind: " + name);
        continue;
      }
      const int n = originalNumber(bytes);
      if (n < 0 || !after.count(n)) {
        problems.push_back("not a whole copy of an original: " + name);
        continue;
      }
      if (bytes != readFile(card_->folder() / after[n])) problems.push_back("a copy that differs: " + name);
      if (!copied.insert(n).second) problems.push_back("copied twice: " + card_->originals()[n].name);
      if (work().work == Work::Copy && name != lowerText(card_->originals()[n].name))
        problems.push_back("copy under an unexpected name: " + name);
    }

    // The log: every whole record names what is there.
    size_t records = 0;
    for (const auto& fields : log.newRecords()) {
      const bool rename = fields.size() == 4 && fields[0] == "rename" && fields[3] == "file";
      const bool copy = fields.size() == 4 && fields[0] == "copy";
      if (!rename && !copy) {
        problems.push_back("unexpected record: " + (fields.empty() ? std::string() : fields[0]));
        continue;
      }
      ++records;
      const fs::path named = rename ? card_->folder() / fields[2] : runFolder() / fields[2];
      if (!fs::exists(named)) problems.push_back("record of a file that is not there: " + fields[2]);
    }

    // Changes, their lines and their records.
    size_t changes = 0;
    if (work().work == Work::Rename) {
      for (const auto& [n, name] : after) changes += before.count(n) && before[n] != name;
    } else {
      changes = copies.size() - temporaries - libraryBefore;
    }
    const size_t lines =
        work().work == Work::Rename ? countOccurrences(r.out, " -> ") : countLines(r.out, "File copied to: ");
    if (caught) {
      if (records != changes) problems.push_back(std::to_string(changes) + " changes, " + std::to_string(records) + " records");
      if (lines != changes) problems.push_back(std::to_string(changes) + " changes, " + std::to_string(lines) + " lines");
    } else if (records + 1 < changes) {
      problems.push_back(std::to_string(changes) + " changes, only " + std::to_string(records) + " records");
    }
    return {cut, seconds};
  }

  void startAfresh() {
    for (const auto& e : fs::directory_iterator(library())) fs::remove_all(e.path());
  }

  TempDir dir_;
  int files_ = 0;
  int rounds_ = 0;
  uint64_t seed_ = 0;
  std::mt19937_64 random_;
  std::unique_ptr<Card> card_;
};

TEST_P(KillRounds, NothingLostNothingPartial) {
  SCOPED_TRACE("ZANTREL_STRESS_SEED=" + std::to_string(seed_));
  std::vector<std::string> problems;
  // The moments are drawn from the length of a whole run: first of one
  // run to its end, then of the shortest whole run seen, since a run next
  // to other busy tests can take much longer than its rounds will.
  double whole = round(-1, problems).seconds;
  ASSERT_EQ(problems, std::vector<std::string>{}) << "the uninterrupted run";
  int cut = 0;
  int attempts = 0;
  bool previousCut = false;
  while (cut < rounds_ && attempts < 3 * rounds_) {
    ++attempts;
    // Copies start from an empty library each round, and an import that
    // finished starts over, so that the signal keeps landing mid-work.
    const bool wholeRun = work().work != Work::Media || !previousCut;
    if (work().work == Work::Copy || (work().work == Work::Media && !previousCut)) startAfresh();
    std::uniform_real_distribution<double> moment(0.0, whole);
    std::vector<std::string> roundProblems;
    const RoundResult result = round(moment(random_), roundProblems);
    EXPECT_EQ(roundProblems, std::vector<std::string>{}) << "round " << attempts;
    previousCut = result.cut;
    if (result.cut) ++cut;
    else if (wholeRun) whole = std::min(whole, result.seconds);
  }
  EXPECT_EQ(cut, rounds_) << "too few runs were cut short in " << attempts << " rounds";
  if (work().work == Work::Media) {
    // The import then completes, and a second import finds everything.
    std::vector<std::string> finish;
    round(-1, finish);
    EXPECT_EQ(finish, std::vector<std::string>{}) << "finishing the import";
    std::vector<std::string> ignored;
    const auto copies = filesBelow(library(), ignored);
    EXPECT_EQ(copies.size(), card_->originals().size());
    const RunResult again = testing_support::runZantrel(args(), card_->folder());
    EXPECT_EQ(countLines(again.out, "File copied to: "), 0u);
  }
  std::printf("%s: %d files, %d rounds cut short by the signal (%d rounds), whole run %.2f s\n",
              caseName(GetParam()).c_str(), files_, cut, attempts, whole);
}

INSTANTIATE_TEST_SUITE_P(Stress, KillRounds,
                         ::testing::Values(Case{Work::Rename, SIGKILL}, Case{Work::Rename, SIGINT},
                                           Case{Work::Rename, SIGTERM}, Case{Work::Copy, SIGKILL},
                                           Case{Work::Copy, SIGINT}, Case{Work::Copy, SIGTERM},
                                           Case{Work::Media, SIGKILL}, Case{Work::Media, SIGINT},
                                           Case{Work::Media, SIGTERM}),
                         [](const ::testing::TestParamInfo<Case>& info) { return caseName(info.param); });

}  // namespace
