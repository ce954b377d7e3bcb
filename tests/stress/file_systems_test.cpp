// Copies onto a library that is full or read-only. Each such file system is
// a tmpfs mounted in a private mount namespace (root only; skipped
// otherwise), so nothing outside the run ever sees it; what it holds at
// the end is copied out for the checks. Every file is either copied whole
// and reported, or reported as failed, and nothing else is left there.
#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

#include "cli/harness.h"
#include "stress/stress_support.h"

namespace fs = std::filesystem;
using namespace stress;
using testing_support::RunResult;
using testing_support::TempDir;

namespace {

struct Mode {
  const char* name;
  bool media;
};
const Mode Modes[] = {{"copy", false}, {"media", true}};

struct Outcome {
  bool skipped = false;
  RunResult run;
  std::map<std::string, std::string> library;  // what the tmpfs held at the end
  std::vector<std::string> problems;
};

// Mounts a tmpfs with the options on dir/lib, runs prepare there, then
// zantrel, and copies the library out to dir/snapshot.
Outcome runOnTmpfs(const TempDir& dir, const Mode& mode, const std::string& options, const std::string& prepare) {
  const std::string lib = (dir / "lib").string();
  fs::create_directories(dir / "lib");
  fs::create_directories(dir / "snapshot");
  const std::string script = "mount -t tmpfs -o " + options + " tmpfs " + testing_support::shellQuoted(lib) +
                             " || exit 77; " + prepare + "; cd " + (mode.media ? "." : testing_support::shellQuoted(lib)) +
                             " && \"$0\" \"$@\"; code=$?; cp -a " + testing_support::shellQuoted(lib) + "/. " +
                             testing_support::shellQuoted((dir / "snapshot").string()) + "; exit $code";
  std::vector<std::string> args{"--mount", "sh", "-c", script, ZANTREL_BINARY};
  if (mode.media) args.push_back("-cm=" + lib);
  else {
    args.insert(args.end(), {"-copy", "-l", (dir / "card").string() + "/*.jpg," + (dir / "card").string() + "/*.mov," +
                                                (dir / "card").string() + "/*.mp3"});
  }
  Outcome outcome;
  outcome.run = testing_support::runProgramFile("/usr/bin/unshare", args, dir / "card");
  if (outcome.run.exitCode == 77 || outcome.run.err.find("unshare") != std::string::npos) {
    outcome.skipped = true;
    return outcome;
  }
  outcome.library = filesBelow(dir / "snapshot", outcome.problems);
  return outcome;
}

// Every file in the library is a whole copy of an original; returns how
// many there are.
size_t checkCopies(const Card& card, Outcome& outcome) {
  for (const auto& [name, bytes] : outcome.library) {
    const int n = originalNumber(bytes);
    if (isHiddenPath(name)) outcome.problems.push_back("left behind: " + name);
    else if (n < 0 || bytes != readFile(card.folder() / card.originals()[n].name))
      outcome.problems.push_back("not a whole copy of an original: " + name);
  }
  return outcome.library.size();
}

int cardSize() { return envNumber("ZANTREL_STRESS_FILES", 500); }

TEST(StressFileSystems, FullLibrary) {
  for (const Mode& mode : Modes) {
    SCOPED_TRACE(mode.name);
    TempDir dir;
    std::mt19937_64 random(7);
    const Card card(dir / "card", cardSize(), random);
    const size_t total = std::accumulate(card.originals().begin(), card.originals().end(), size_t(0),
                                         [](size_t sum, const Original& o) { return sum + o.size; });
    // Room for about a third of the card.
    const size_t room = std::max<size_t>(256 << 10, total / 3);
    Outcome outcome = runOnTmpfs(dir, mode, "size=" + std::to_string(room), "true");
    if (outcome.skipped) GTEST_SKIP() << "no permission to mount a private tmpfs";
    const size_t copied = checkCopies(card, outcome);
    const std::string& out = outcome.run.out;
    const size_t failed = countLines(out, "ERROR! Failed to copy: ") + countOccurrences(out, " Error make directory: ");
    std::map<int, std::string> names;
    for (const std::string& p : checkOriginals(card, true, names)) outcome.problems.push_back(p);
    EXPECT_EQ(outcome.problems, std::vector<std::string>{});
    EXPECT_EQ(countLines(out, "File copied to: "), copied);
    EXPECT_GT(copied, 0u);
    EXPECT_GT(failed, 0u) << "the library never got full";
    // Every file is accounted for: copied, or its failure reported.
    EXPECT_EQ(copied + failed, card.originals().size());
  }
}

TEST(StressFileSystems, ReadOnlyLibrary) {
  for (const Mode& mode : Modes) {
    SCOPED_TRACE(mode.name);
    TempDir dir;
    std::mt19937_64 random(11);
    const Card card(dir / "card", std::min(cardSize(), 200), random);
    // The image folders are there, so that images meet a refused copy and
    // the other kinds a folder that cannot be made.
    const std::string lib = testing_support::shellQuoted((dir / "lib").string());
    Outcome outcome = runOnTmpfs(dir, mode, "size=16m",
                                 "for m in 01 02 03 04 05 06 07 08 09 10 11 12; do mkdir -p " + lib +
                                     "/Imgs/o/2020/$m; done; mount -o remount,ro " + lib);
    if (outcome.skipped) GTEST_SKIP() << "no permission to mount a private tmpfs";
    checkCopies(card, outcome);
    std::map<int, std::string> names;
    for (const std::string& p : checkOriginals(card, true, names)) outcome.problems.push_back(p);
    EXPECT_EQ(outcome.problems, std::vector<std::string>{});
    EXPECT_EQ(outcome.library.size(), 0u);
    const std::string& out = outcome.run.out;
    EXPECT_EQ(countLines(out, "File copied to: "), 0u);
    EXPECT_EQ(countLines(out, "ERROR! Failed to copy: ") + countOccurrences(out, " Error make directory: "),
              card.originals().size())
        << out;
    if (mode.media) {
      EXPECT_GT(countLines(out, "ERROR! Failed to copy: "), 0u);
    }
  }
}

}  // namespace
