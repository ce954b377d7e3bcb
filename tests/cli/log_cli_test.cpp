// Whole-program tests of the rename log as a file: what zantrel accepts at
// the log's predictable name, one log for every pass of a run, and a disk
// that fills up while the log is written.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/harness.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

// The log name is fixed by the start minute: whatever a test plants, it
// plants under this minute's name and the next one's.
struct LogNames {
  std::string now;
  std::string next;
  LogNames() {
    const time_t t = ::time(nullptr);
    now = logNameAt(t);
    next = logNameAt(t + 60);
  }
  bool isOne(const std::string& line) const { return line == "Error! " + now || line == "Error! " + next; }
};

const char* const Crafted = "x;id>PWNED;.JPG";

enum class Plant { LinkToFile, DanglingLink, Fifo, HardLink, ForeignOwner, Device };

struct PlantCase {
  const char* what;
  Plant plant;
  bool needsRoot;
};

void plantAt(const TempDir& dir, const std::string& name, Plant plant) {
  const fs::path at = dir / name;
  switch (plant) {
    case Plant::LinkToFile:
      fs::create_symlink("bashrc", at);
      break;
    case Plant::DanglingLink:
      fs::create_symlink("created-through-link", at);
      break;
    case Plant::Fifo:
      ASSERT_EQ(::mkfifo(at.c_str(), 0666), 0);
      break;
    case Plant::HardLink:
      fs::create_hard_link(dir / "bashrc", at);
      break;
    case Plant::ForeignOwner:
      dir.write(name, "someone else's\r\n");
      ASSERT_EQ(::chown(at.c_str(), 65534, 65534), 0);
      break;
    case Plant::Device:
      ASSERT_EQ(::mknod(at.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
      break;
  }
}

TEST(LogCli, AnythingButTheUsersOwnPlainFileAtTheLogNameIsRefused) {
  const PlantCase cases[] = {
      {"link to a start-up file", Plant::LinkToFile, false},
      {"dangling link", Plant::DanglingLink, false},
      {"FIFO without a reader", Plant::Fifo, false},
      {"second name of a start-up file", Plant::HardLink, false},
      {"another user's file", Plant::ForeignOwner, true},
      {"device", Plant::Device, true},
  };
  for (const PlantCase& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.needsRoot && ::geteuid() != 0) continue;
    TempDir dir;
    dir.write("bashrc", "export PS1=x\n");
    dir.write(Crafted, "photo");
    const LogNames names;
    plantAt(dir, names.now, c.plant);
    plantAt(dir, names.next, c.plant);
    // A run that hangs on the log is stopped, and fails the test.
    RunResult r = runZantrelVia("timeout 60", {"-log", "-pre=x_", Crafted}, dir.path());
    ASSERT_NE(r.exitCode, 124) << "the run hung";
    EXPECT_EQ(r.exitCode, 2) << "a refused log is a failure";
    const Names out = lines(r.out);
    ASSERT_EQ(out.size(), 3u) << r.out;
    EXPECT_TRUE(names.isOne(out[0])) << out[0];
    EXPECT_EQ(out[1], std::string(Crafted) + " -> x_" + Crafted);
    EXPECT_TRUE(names.isOne(out[2])) << out[2];
    EXPECT_EQ(dir.read("bashrc"), "export PS1=x\n");
    EXPECT_FALSE(dir.exists("created-through-link"));
    EXPECT_EQ(dir.read(std::string("x_") + Crafted), "photo");
    if (c.plant == Plant::ForeignOwner) {
      EXPECT_EQ(dir.read(names.now), "someone else's\r\n");
    }
  }
}

TEST(LogCli, TestModeLooksAtNoLog) {
  TempDir dir;
  dir.write("bashrc", "export PS1=x\n");
  dir.write("a.jpg");
  const LogNames names;
  plantAt(dir, names.now, Plant::LinkToFile);
  plantAt(dir, names.next, Plant::LinkToFile);
  RunResult r = runZantrel({"-log", "-t", "-pre=x_", "a.jpg"}, dir.path());
  EXPECT_EQ(r.out, "a.jpg -> x_a.jpg (test)\n");
  EXPECT_EQ(dir.read("bashrc"), "export PS1=x\n");
}

TEST(LogCli, ARunThatLogsNothingLeavesNoLog) {
  TempDir dir;
  dir.write("a.jpg");
  RunResult r = runZantrel({"-log", "-l", "a.jpg"}, dir.path());
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(logFiles(dir).empty());
}

TEST(LogCli, EveryPassOfARunWritesToTheOneLog) {
  TempDir dir;
  dir.write("trip/a.jpg");
  dir.write("b.jpg");
  RunResult r = runZantrel({"-daf", "-log", "-pre=x_", "*"}, dir.path());
  EXPECT_EQ(sortedLines(r.out), (Names{"b.jpg -> x_b.jpg", "trip -> x_trip"})) << r.out;
  EXPECT_EQ(logRecords(dir), (Names{record({"rename", "trip", "x_trip", "directory"}),
                                    record({"rename", "b.jpg", "x_b.jpg", "file"})}));
}

bool privateTmpfsPermitted() {
  TempDir probe;
  probe.mkdir("t");
  const std::string command = "cd " + shellQuoted(probe.path().string()) +
                              " && unshare --mount sh -c 'mount -t tmpfs -o size=16k tmpfs t' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// The records of a log text, and whether it ends in a whole record.
Names recordsOf(const std::string& text, bool& whole) {
  Names records;
  size_t start = 0;
  whole = true;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      whole = false;
      break;
    }
    records.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return records;
}

// A disk that fills up while the log is written: a record that does not fit
// is taken back whole and reported, so the log holds only whole records,
// and every rename is either in it or reported.
TEST(LogCli, RecordCutShortByAFullDiskIsTakenBack) {
  if (::geteuid() != 0 || !privateTmpfsPermitted()) GTEST_SKIP() << "needs root and private mounts";
  TempDir dir;
  dir.mkdir("t");
  dir.mkdir("saved");
  constexpr int Files = 40;
  // Four pages, three of them filled: the log gets one page, about nine of
  // these long records.
  dir.write("full-disk.sh",
            "mount -t tmpfs -o size=16k tmpfs t || exit 99\n"
            "cd t && head -c 12288 /dev/zero > .filler || exit 98\n"
            "i=0; while [ $i -lt " + std::to_string(Files) + " ]; do\n"
            "  : > \"$(printf 'f%03d_%0200d.jpg' $i 0)\"; i=$((i+1))\n"
            "done\n"
            "\"$@\"; s=$?\n"
            "cp -a . ../saved/ && exit $s\n");
  RunResult r = runZantrelVia("unshare --mount sh full-disk.sh", {"-log", "-pre=x_", "*.jpg"}, dir.path());
  ASSERT_LT(r.exitCode, 90) << r.err;
  Names logs;
  for (const std::string& name : dir.list("saved")) {
    if (name.rfind("_zantrel_", 0) == 0) logs.push_back(name);
  }
  ASSERT_EQ(logs.size(), 1u);
  bool whole = false;
  const Names records = recordsOf(dir.read("saved/" + logs[0]), whole);
  EXPECT_TRUE(whole) << "the log ends inside a record";
  EXPECT_GT(records.size(), 0u);
  EXPECT_LT(records.size(), static_cast<size_t>(Files));

  size_t renamed = 0;
  size_t lost = 0;
  for (const std::string& line : lines(r.out)) {
    if (line.find(" -> x_") != std::string::npos) ++renamed;
    else if (line == "Error! " + logs[0]) ++lost;
    else ADD_FAILURE() << "unexpected line: " << line;
  }
  EXPECT_EQ(renamed, static_cast<size_t>(Files));
  EXPECT_EQ(records.size() + lost, static_cast<size_t>(Files));
  for (const std::string& rec : records) {
    ASSERT_EQ(rec.rfind("rename\tf", 0), 0u) << rec;
    const std::string newName = rec.substr(rec.find("\tx_") + 1, rec.rfind('\t') - rec.find("\tx_") - 1);
    EXPECT_TRUE(fs::exists(dir / "saved" / newName)) << newName;
  }
}

}  // namespace
