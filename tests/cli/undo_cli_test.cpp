// Whole-program tests of -undo: a logged run taken back gives the tree it
// started from; what cannot be taken back is reported; a log that is not
// one of zantrel's changes nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "cli/harness.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;
// Every object below the folder, by relative path: "dir", or the content
// of a file. Logs and the hidden home folder of the harness are left out.
using Tree = std::map<std::string, std::string>;

Tree treeOf(const TempDir& dir) {
  Tree tree;
  for (auto it = fs::recursive_directory_iterator(dir.path()); it != fs::recursive_directory_iterator(); ++it) {
    const std::string name = it->path().filename().string();
    if (name == ".home") {
      it.disable_recursion_pending();
      continue;
    }
    if (it.depth() == 0 && name.rfind("_zantrel_", 0) == 0) continue;
    const std::string rel = fs::relative(it->path(), dir.path()).string();
    tree[rel] = it->is_directory() ? "dir" : dir.read(rel);
  }
  return tree;
}

Names logsIn(const TempDir& dir, const std::string& sub = "") {
  Names logs;
  for (const std::string& name : dir.list(sub)) {
    if (name.rfind("_zantrel_", 0) == 0) logs.push_back(name);
  }
  return logs;
}

// The log a run wrote: the one log name that was not there before.
std::string newLog(const TempDir& dir, const Names& before) {
  for (const std::string& name : logsIn(dir)) {
    if (std::find(before.begin(), before.end(), name) == before.end()) return name;
  }
  ADD_FAILURE() << "no new log";
  return {};
}

// Names that the log escapes (tab, line feed, backslash, carriage return),
// in folders and files, with contents that tell every file apart.
void makeTricky(const TempDir& dir) {
  dir.write("IMG 0001.JPG", "one");
  dir.write("tab\there.JPG", "tab");
  dir.write("line\nbreak.JPG", "line");
  dir.write("back\\slash.JPG", "back");
  dir.write("cr\rname.JPG", "cr");
  dir.write("Trip One/Beach Day.JPG", "beach");
  dir.write("Trip One/Deep Down/Fish\tEye.JPG", "fish");
  dir.write("Second\\Trip/Night Shot.JPG", "night");
  dir.mkdir("Empty\nFolder");
}

struct RoundTrip {
  const char* name;
  Names args;
};

class UndoRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(UndoRoundTrip, GivesBackTheExactTree) {
  TempDir dir;
  makeTricky(dir);
  const Tree before = treeOf(dir);
  RunResult forward = runZantrel(GetParam().args, dir.path());
  const Tree renamed = treeOf(dir);
  ASSERT_NE(renamed, before) << forward.out;
  const std::string log = newLog(dir, {});
  ASSERT_FALSE(log.empty()) << forward.out;

  RunResult undo = runZantrel({"-undo=" + log}, dir.path());
  EXPECT_EQ(undo.exitCode, 0) << undo.out << undo.err;
  EXPECT_EQ(treeOf(dir), before) << undo.out;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, UndoRoundTrip,
    ::testing::Values(RoundTrip{"plain", {"-s", "-log", "*.*"}}, RoundTrip{"sub", {"-s", "-sub", "-log", "*.*"}},
                      RoundTrip{"dir", {"-dir", "-s", "-log", "*"}},
                      RoundTrip{"dirsub", {"-dir", "-pre=x_", "-sub", "-log", "*"}},
                      RoundTrip{"daf", {"-daf", "-s", "-sub", "-log", "*.*"}},
                      RoundTrip{"nice", {"-nice", "-log"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UndoCli, LinesAndRecordsOfAnUndo) {
  TempDir dir;
  dir.write("A.JPG", "a");
  dir.write("Trip/B.JPG", "b");
  ASSERT_EQ(runZantrel({"-l", "-log", "-sub", "*.*"}, dir.path()).exitCode, 0);
  const std::string log = newLog(dir, {});
  RunResult undo = runZantrel({"-log", "-undo=" + log}, dir.path());
  EXPECT_EQ(undo.exitCode, 0) << undo.err;
  // Last first.
  EXPECT_EQ(undo.out, "Trip/b.jpg -> Trip/B.JPG\na.jpg -> A.JPG\n");
  // The undo keeps a log of its own, also within the minute of the log it
  // takes back, and then says where.
  const std::string own = newLog(dir, {log});
  ASSERT_FALSE(own.empty());
  if (own.size() > log.size()) {
    EXPECT_NE(undo.err.find("this run logs to " + own), std::string::npos) << undo.err;
  }
  EXPECT_EQ(dir.read(own), "rename\tTrip/b.jpg\tTrip/B.JPG\tfile\r\nrename\ta.jpg\tA.JPG\tfile\r\n");
}

TEST(UndoCli, UndoOfAnUndoRedoesTheRun) {
  TempDir dir;
  makeTricky(dir);
  runZantrel({"-daf", "-s", "-sub", "-log", "*.*"}, dir.path());
  const Tree renamed = treeOf(dir);
  const std::string first = newLog(dir, {});
  ASSERT_EQ(runZantrel({"-log", "-undo=" + first}, dir.path()).exitCode, 0);
  const std::string second = newLog(dir, {first});
  ASSERT_FALSE(second.empty());
  RunResult redo = runZantrel({"-undo=" + second}, dir.path());
  EXPECT_EQ(redo.exitCode, 0) << redo.out << redo.err;
  EXPECT_EQ(treeOf(dir), renamed);
}

TEST(UndoCli, TestModeShowsAndChangesNothing) {
  TempDir dir;
  dir.write("a.jpg", "a");
  dir.write("b.jpg", "b");
  runZantrel({"-pre=x_", "-log", "*.jpg"}, dir.path());
  const std::string log = newLog(dir, {});
  const Tree renamed = treeOf(dir);
  RunResult r = runZantrel({"-t", "-log", "-undo=" + log}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(sortedLines(r.out), (Names{"x_a.jpg -> a.jpg (test)", "x_b.jpg -> b.jpg (test)"}));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(treeOf(dir), renamed);
  EXPECT_EQ(logsIn(dir), (Names{log}));
}

// Records whose object went or whose old name was taken meanwhile are
// reported and left; every other record is still taken back.
TEST(UndoCli, PartialUndoWhenNamesChangedMeanwhile) {
  TempDir dir;
  dir.write("_zantrel_000101-0000.log",
            "rename\ta.jpg\tb.jpg\tfile\r\n"
            "rename\tc.jpg\td.jpg\tfile\r\n"
            "rename\te.jpg\tf.jpg\tfile\r\n"
            "rename\tOld\tNew\tdirectory\r\n"
            "rename\tg.jpg\th.jpg\tfile\r\n");
  dir.write("b.jpg", "renamed a");
  dir.write("a.jpg", "a newcomer");  // the old name is taken
  // d.jpg went away
  dir.write("f.jpg", "renamed e");
  dir.write("New/x.jpg", "inside");
  dir.mkdir("h.jpg");  // a folder where the log renamed a file
  RunResult r = runZantrel({"-log", "-undo=_zantrel_000101-0000.log"}, dir.path());
  EXPECT_EQ(r.exitCode, 2) << r.err;
  EXPECT_EQ(lines(r.out), (Names{"ERROR Can't find file h.jpg to rename it back to g.jpg !",
                                 "New -> Old",
                                 "f.jpg -> e.jpg",
                                 "ERROR Can't find file d.jpg to rename it back to c.jpg !",
                                 "ERROR Can't rename file b.jpg -> a.jpg !"}));
  EXPECT_EQ(dir.read("a.jpg"), "a newcomer");
  EXPECT_EQ(dir.read("b.jpg"), "renamed a");
  EXPECT_EQ(dir.read("e.jpg"), "renamed e");
  EXPECT_EQ(dir.read("Old/x.jpg"), "inside");
  const std::string own = newLog(dir, {"_zantrel_000101-0000.log"});
  EXPECT_EQ(dir.read(own),
            "rename\tNew\tOld\tdirectory\r\n"
            "rename\tf.jpg\te.jpg\tfile\r\n"
            "ERROR\tb.jpg\ta.jpg\tcan not rename file\r\n");
}

TEST(UndoCli, WhatARenameCannotTakeBackIsReported) {
  TempDir dir;
  dir.write("_zantrel_000101-0000.log",
            "copy\tIMG_1.JPG\timg_1.jpg\tIMG_1.JPG\r\n"
            "time\t130412-1530_img_2.jpg\tCreate+Write adjusted\r\n"
            "rename\tIMG_2.JPG\t130412-1530_img_2.jpg\tfile\r\n"
            "time\tTrip\tTrip\tFolder Date adjusted\r\n"
            "WARNING\tc.jpg\td.jpg\toverwrite destination file\r\n"
            "rename\tc.jpg\td.jpg\tfile\r\n"
            "WARNING\te.jpg\tf.jpg\tdestination exists - delete source\r\n"
            "ERROR\tg.jpg\th.jpg\tcan not rename file\r\n");
  dir.write("img_1.jpg", "the copy");
  dir.write("IMG_1.JPG", "the original");
  dir.write("130412-1530_img_2.jpg", "2");
  dir.write("d.jpg", "c");
  RunResult r = runZantrel({"-undo=_zantrel_000101-0000.log"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(lines(r.out), (Names{"Deleted file not restored: e.jpg", "d.jpg -> c.jpg",
                                 "Overwritten file not restored: d.jpg", "Time stamps not restored: Trip",
                                 "130412-1530_img_2.jpg -> IMG_2.JPG",
                                 // Under the name the file has again, not the one just taken back.
                                 "Time stamps not restored: IMG_2.JPG", "Copy kept: img_1.jpg"}));
  EXPECT_EQ(dir.read("img_1.jpg"), "the copy");
  EXPECT_EQ(dir.read("IMG_2.JPG"), "2");
  EXPECT_EQ(dir.read("c.jpg"), "c");
}

// A log copied through a tool that wrote plain LF line ends, or mixed them,
// is the same log.
TEST(UndoCli, LineEndsCrLfOrLf) {
  TempDir dir;
  dir.write("b.jpg", "a");
  dir.write("d.jpg", "c");
  dir.write("tab\tname.jpg", "e");
  dir.write("lf.log", "rename\ta.jpg\tb.jpg\tfile\nrename\tc.jpg\td.jpg\tfile\r\nrename\te\\x41.jpg\ttab\\tname.jpg\tfile\n");
  RunResult r = runZantrel({"-undo=lf.log"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(dir.list(), (Names{"a.jpg", "c.jpg", "eA.jpg", "lf.log"}));
}

// A write cut short leaves a last line without line end; what it held is
// left out. Whole records before it are taken back.
TEST(UndoCli, TruncatedLastRecord) {
  struct Case {
    const char* name;
    std::string last;
    int exitCode;
    bool noted;
  } cases[] = {
      {"cut rename", "rename\tc.jpg\td.j", 2, true},
      {"cut escape", "rename\tc.jpg\td\\", 2, true},
      {"cut hex escape", "rename\tc.jpg\td\\x0", 2, true},
      {"cut kind", "ren", 2, true},
      {"cut copy", "copy\tc.jpg\tx.j", 0, true},
      {"whole record without line end", "rename\tc.jpg\td.jpg\tfile", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.write("b.jpg", "a");
    dir.write("d.jpg", "c");
    dir.write("_zantrel_000101-0000.log", "rename\ta.jpg\tb.jpg\tfile\r\n" + c.last);
    RunResult r = runZantrel({"-undo=_zantrel_000101-0000.log"}, dir.path());
    EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
    EXPECT_EQ(dir.read("a.jpg"), "a");
    EXPECT_EQ(r.err.find("no line end") != std::string::npos, c.noted) << r.err;
    EXPECT_EQ(dir.exists("c.jpg"), !c.noted);
  }
}

// Every line is looked at before the first change: a log that is not one
// of zantrel's is refused, and the record before the bad line stays.
TEST(UndoCli, NotAZantrelLogChangesNothing) {
  struct Case {
    const char* name;
    std::string text;
    const char* reason;
  } cases[] = {
      {"unknown kind", "rename\ta.jpg\tb.jpg\tfile\r\nmove\tc\td\tfile\r\n", "line 2: no record kind of zantrel"},
      {"too few fields", "rename\ta.jpg\tb.jpg\tfile\r\nrename\tc\td\r\n", "line 2: not the fields"},
      {"unknown last field", "rename\ta.jpg\tb.jpg\tfile\r\nrename\tc\td\tlink\r\n", "line 2: not the fields"},
      {"bad escape", "rename\ta.jpg\tb.jpg\tfile\r\nrename\tc\\q\td\tfile\r\n", "line 2: an escape"},
      {"bad hex escape", "rename\ta.jpg\tb.jpg\tfile\r\nrename\tc\\xZ1\td\tfile\r\n", "line 2: an escape"},
      {"lone carriage return", "rename\ta.jpg\tb.jpg\tfile\r\nrename\tc\rx\td\tfile\r\n", "line 2: a carriage"},
      {"empty line", "rename\ta.jpg\tb.jpg\tfile\r\n\r\nrename\tc\td\tfile\r\n", "line 2: no record kind"},
      {"empty name", "rename\ta.jpg\tb.jpg\tfile\r\nrename\t\td\tfile\r\n", "line 2: a field that names no file"},
      {"NUL in a name", "rename\ta.jpg\tb.jpg\tfile\r\nrename\tc\\x00\td\tfile\r\n", "line 2: a field"},
      {"text file", "rename\ta.jpg\tb.jpg\tfile\r\nSome notes\r\n", "line 2"},
      {"empty file", "", "it holds no record"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.write("b.jpg", "a");
    dir.write("the.log", c.text);
    RunResult r = runZantrel({"-log", "-undo=the.log"}, dir.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("Error - Not a zantrel log: the.log"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(c.reason), std::string::npos) << r.out;
    EXPECT_EQ(dir.list(), (Names{"b.jpg", "the.log"}));
  }
}

TEST(UndoCli, LogThatCannotBeRead) {
  TempDir dir;
  dir.mkdir("folder.log");
  RunResult missing = runZantrel({"-undo=none.log"}, dir.path());
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.out.find("Error - Log not found: none.log"), std::string::npos) << missing.out;
  RunResult folder = runZantrel({"-undo=folder.log"}, dir.path());
  EXPECT_EQ(folder.exitCode, 1);
  EXPECT_NE(folder.out.find("(a folder)"), std::string::npos) << folder.out;
}

TEST(UndoCli, OptionsThatBuildNamesAreRefused) {
  const std::pair<Names, const char*> cases[] = {
      {{"-s", "-undo=x.log"}, "-s"},
      {{"-undo=x.log", "-i"}, "-i"},
      {{"-undo=x.log", "-pairs"}, "-pairs"},
      {{"-undo=x.log", "-pre=x_"}, "-pre="},
      {{"-undo=x.log", "IMG_=x"}, "IMG_=x"},
      {{"-undo=x.log", "*.jpg"}, "*.jpg"},
      {{"-undo=x.log", "-sub"}, "-sub"},
      {{"-undo=x.log", "-ded"}, "-ded"},
  };
  for (const auto& [args, named] : cases) {
    TempDir dir;
    dir.write("b.jpg");
    dir.write("x.log", "rename\ta.jpg\tb.jpg\tfile\r\n");
    RunResult r = runZantrel(args, dir.path());
    EXPECT_EQ(r.exitCode, 1) << named;
    EXPECT_NE(r.out.find(std::string("Error - -undo can not be combined with ") + named), std::string::npos) << r.out;
    EXPECT_TRUE(dir.exists("b.jpg"));
  }
  TempDir dir;
  RunResult empty = runZantrel({"-undo="}, dir.path());
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_NE(empty.out.find("-undo=LOG"), std::string::npos) << empty.out;
}

// The names of a log are relative to the folder it lies in; -cd says
// where to work (and where a relative log is found).
TEST(UndoCli, WorksInTheFolderOfTheLogOrOfCd) {
  TempDir dir;
  dir.write("photos/B.JPG", "b");
  dir.write("photos/_zantrel_000101-0000.log", "rename\tb.jpg\tB.JPG\tfile\r\n");
  RunResult r = runZantrel({"-undo=photos/_zantrel_000101-0000.log"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "B.JPG -> b.jpg\n");
  EXPECT_EQ(dir.read("photos/b.jpg"), "b");

  dir.write("elsewhere/_zantrel_000101-0000.log", "rename\tphotos/x.jpg\tphotos/b.jpg\tfile\r\n");
  RunResult cd = runZantrel({"-cd=" + dir.path().string(), "-undo=elsewhere/_zantrel_000101-0000.log"},
                            dir.path() / "photos");
  EXPECT_EQ(cd.exitCode, 0) << cd.out << cd.err;
  EXPECT_EQ(dir.read("photos/x.jpg"), "b");
}

TEST(UndoCli, KeepsCopies) {
  TempDir dir;
  dir.write("card/IMG_1.JPG", "photo");
  ASSERT_EQ(runZantrel({"-copy", "-s", "-log", "card/*.JPG"}, dir.path()).exitCode, 0);
  const std::string log = newLog(dir, {});
  RunResult r = runZantrel({"-undo=" + log}, dir.path());
  EXPECT_EQ(r.out, "Copy kept: IMG_1.jpg\n");
  EXPECT_EQ(dir.read("IMG_1.jpg"), "photo");
  EXPECT_EQ(dir.read("card/IMG_1.JPG"), "photo");
}

}  // namespace

namespace {

// A stop signal ends an undo between two records, as it ends a pass. The
// undo writes into a pipe that the test stops reading after the first
// bytes, so the undo cannot get far before the signal comes.
TEST(UndoCli, StopSignalEndsTheUndo) {
  TempDir dir;
  const size_t records = 200000;
  std::string log;
  for (size_t i = 0; i < records; ++i) {
    const std::string n = std::to_string(i);
    log += "rename\tgone" + n + ".jpg\tnow" + n + ".jpg\tfile\r\n";
  }
  dir.write("_zantrel_000101-0000.log", log);
  const fs::path out = dir / "out.fifo";
  ASSERT_EQ(::mkfifo(out.c_str(), 0600), 0);
  BackgroundRun run("/bin/sh", {"-c", "exec \"$0\" -undo=_zantrel_000101-0000.log >out.fifo", ZANTREL_BINARY},
                    dir.path());
  const int fifo = ::open(out.c_str(), O_RDONLY);
  ASSERT_GE(fifo, 0);
  std::string text(4096, '\0');
  const ssize_t first = ::read(fifo, text.data(), text.size());
  ASSERT_GT(first, 0);
  text.resize(static_cast<size_t>(first));
  run.signal(SIGINT);
  char buffer[65536];
  for (ssize_t got; (got = ::read(fifo, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(got));
  ::close(fifo);
  const RunResult r = run.wait();
  EXPECT_EQ(r.exitCode, 130) << r.err;
  EXPECT_NE(r.err.find("zantrel: stopped by SIGINT"), std::string::npos) << r.err;
  EXPECT_LT(lines(text).size(), records / 2);
}

}  // namespace
