// Whole-program tests of test runs that tell where the real run would not
// do what a " (test)" line shows: the lines stay, a note on standard error
// names the item and the reason, and the run exits as the real run would.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "cli/harness.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

void makeReadOnlyForOthers(const fs::path& folder) {
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
}

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(PreviewCli, NameTakenOnDisk) {
  TempDir dir;
  dir.write("A.JPG");
  dir.write("a.jpg");
  RunResult r = runZantrel({"-t", "-l", "A.JPG"}, dir.path());
  EXPECT_EQ(r.out, "A.JPG -> a.jpg (test)\n");
  EXPECT_EQ(r.err, "zantrel: test: A.JPG -> a.jpg would fail: a.jpg exists\n");
  EXPECT_EQ(r.exitCode, 2);
}

// The preview looks new names up in the pass's listing, which leaves out
// FIFOs and dangling links, and cannot tell case apart in a folder without
// letters: each still counts as taken.
TEST(PreviewCli, NameTakenByWhatTheListingDoesNotShow) {
  struct Case {
    const char* what;
    std::function<void(const TempDir&)> plant;
    std::vector<std::string> args;
    const char* err;
  };
  const Case cases[] = {
      {"FIFO", [](const TempDir& d) { ASSERT_EQ(::mkfifo((d.path() / "x_a.jpg").c_str(), 0644), 0); },
       {"-t", "-pre=x_", "a.jpg"}, "zantrel: test: a.jpg -> x_a.jpg would fail: x_a.jpg exists\n"},
      {"dangling link", [](const TempDir& d) { fs::create_symlink("nowhere", d.path() / "x_a.jpg"); },
       {"-t", "-pre=x_", "a.jpg"}, "zantrel: test: a.jpg -> x_a.jpg would fail: x_a.jpg exists\n"},
      {"no letters", [](const TempDir& d) { d.write("11"); }, {"-t", "-pre=1", "1"},
       "zantrel: test: 1 -> 11 would fail: 11 exists\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.write(c.args.back());
    c.plant(dir);
    RunResult r = runZantrel(c.args, dir.path());
    EXPECT_EQ(r.err, c.err) << c.what;
    EXPECT_EQ(r.exitCode, 2) << c.what;
  }
}

TEST(PreviewCli, NameTakenByAnEarlierItemOfThePreview) {
  TempDir dir;
  dir.write("a b.jpg");
  dir.write("a_b.JPG");
  RunResult r = runZantrel({"-t", "-s", "*.jpg"}, dir.path());
  EXPECT_EQ(sortedLines(r.out), (Names{"a b.jpg -> a_b.jpg (test)", "a_b.JPG -> a_b.jpg (test)"}));
  EXPECT_EQ(count(r.err, "would fail: an earlier item ("), 1u) << r.err;
  EXPECT_EQ(count(r.err, ") takes a_b.jpg"), 1u) << r.err;
  EXPECT_EQ(r.exitCode, 2);
}

// A name that an earlier line of the preview moves away is free for the
// items after it, as in the real run; in the other order it is not.
TEST(PreviewCli, NameFreedByAnEarlierItem) {
  TempDir dir;
  dir.write("xb.jpg");
  dir.write("yxb.jpg");
  RunResult freed = runZantrel({"-t", "-dcs=1", "xb.jpg,yxb.jpg"}, dir.path());
  EXPECT_EQ(freed.out, "xb.jpg -> b.jpg (test)\nyxb.jpg -> xb.jpg (test)\n");
  EXPECT_EQ(freed.err, "");
  EXPECT_EQ(freed.exitCode, 0);
  RunResult taken = runZantrel({"-t", "-dcs=1", "yxb.jpg,xb.jpg"}, dir.path());
  EXPECT_EQ(taken.err, "zantrel: test: yxb.jpg -> xb.jpg would fail: xb.jpg exists\n");
  EXPECT_EQ(taken.exitCode, 2);
  // And the real run agrees.
  RunResult real = runZantrel({"-dcs=1", "yxb.jpg,xb.jpg"}, dir.path());
  EXPECT_EQ(real.out, "ERROR Can't rename file yxb.jpg -> xb.jpg !\nxb.jpg -> b.jpg\n");
  EXPECT_EQ(real.exitCode, 2);
}

TEST(PreviewCli, FolderNamesTakenToo) {
  TempDir dir;
  dir.mkdir("Trip");
  dir.mkdir("x_Trip");
  RunResult r = runZantrel({"-t", "-dir", "-pre=x_", "Trip"}, dir.path());
  EXPECT_EQ(r.out, "Trip -> x_Trip (test)\n");
  EXPECT_EQ(r.err, "zantrel: test: Trip -> x_Trip would fail: x_Trip exists\n");
  EXPECT_EQ(r.exitCode, 2);
}

// -ded and -des settle a clash between files: the real run does not fail,
// but -des deletes the item instead of renaming it, and the note says so.
TEST(PreviewCli, ClashesThatAnOptionSettles) {
  TempDir dir;
  dir.write("a.jpg");
  dir.write("x_a.jpg");
  RunResult des = runZantrel({"-t", "-des", "-pre=x_", "a.jpg"}, dir.path());
  EXPECT_EQ(des.out, "a.jpg -> x_a.jpg (test)\n");
  EXPECT_EQ(des.err, "zantrel: test: a.jpg -> x_a.jpg would delete a.jpg instead (-des): x_a.jpg exists\n");
  EXPECT_EQ(des.exitCode, 0);
  RunResult ded = runZantrel({"-t", "-ded", "-pre=x_", "a.jpg"}, dir.path());
  EXPECT_EQ(ded.err, "zantrel: test: a.jpg -> x_a.jpg would replace the file of that name (-ded): x_a.jpg exists\n");
  EXPECT_EQ(ded.exitCode, 0);
  EXPECT_EQ(dir.list(), (Names{"a.jpg", "x_a.jpg"}));
}

TEST(PreviewCli, FolderThatCannotBeWritten) {
  if (!setprivAvailable()) GTEST_SKIP() << "setpriv is not installed";
  TempDir dir;
  dir.write("ok/a.jpg");
  dir.write("locked/b.jpg");
  dir.write("locked/c.jpg");
  makeReadOnlyForOthers(dir / "locked");
  fs::permissions(dir / "ok", fs::perms::all);
  RunResult r = runAsNobody(dir, {"-t", "-sub", "-pre=x_", "*.jpg"});
  EXPECT_EQ(sortedLines(r.out), (Names{"locked/b.jpg -> locked/x_b.jpg (test)", "locked/c.jpg -> locked/x_c.jpg (test)",
                                       "ok/a.jpg -> ok/x_a.jpg (test)"}));
  EXPECT_EQ(sortedLines(r.err),
            (Names{"zantrel: test: locked/b.jpg -> locked/x_b.jpg would fail: the folder locked/ can not be written",
                   "zantrel: test: locked/c.jpg -> locked/x_c.jpg would fail: the folder locked/ can not be written"}));
  EXPECT_EQ(r.exitCode, 2);
  // The real run fails where the preview said.
  RunResult real = runAsNobody(dir, {"-sub", "-pre=x_", "*.jpg"});
  EXPECT_EQ(real.exitCode, 2);
  EXPECT_EQ(dir.list("ok"), (Names{"x_a.jpg"}));
  EXPECT_EQ(dir.list("locked"), (Names{"b.jpg", "c.jpg"}));
}

TEST(PreviewCli, CopiesIntoAFolderThatCannotBeWritten) {
  if (!setprivAvailable()) GTEST_SKIP() << "setpriv is not installed";
  TempDir dir;
  dir.write("card/a.mp3", "tune");
  dir.mkdir("library");
  makeReadOnlyForOthers(dir / "library");
  makeReadOnlyForOthers(dir / "card");
  RunResult media = runAsNobody(dir, {"-t", "-cd=card", "-cm=" + (dir / "library").string()});
  EXPECT_NE(media.out.find("(test - nothing copied)"), std::string::npos) << media.out;
  EXPECT_EQ(media.err, "zantrel: test: a.mp3 would not be copied: the folder " + (dir / "library").string() +
                           "/ can not be written\n");
  EXPECT_EQ(media.exitCode, 2);
  RunResult plain = runAsNobody(dir, {"-t", "-cd=card", "-copy", "-pre=x_", "*.mp3"});
  EXPECT_EQ(plain.out, "Copy to: x_a.mp3 (test)\n");
  EXPECT_EQ(plain.err, "zantrel: test: a.mp3 would not be copied: the current folder can not be written\n");
  EXPECT_EQ(plain.exitCode, 2);
}

// An undo's preview follows the names its own lines move: a chain of
// renames comes back without false alarms, and each reason of a real
// failure is told.
TEST(PreviewCli, UndoPreview) {
  TempDir dir;
  dir.write("chain.log", "rename\ta.jpg\tb.jpg\tfile\r\nrename\tb.jpg\tc.jpg\tfile\r\n");
  dir.write("c.jpg");
  RunResult chain = runZantrel({"-t", "-undo=chain.log"}, dir.path());
  EXPECT_EQ(chain.out, "c.jpg -> b.jpg (test)\nb.jpg -> a.jpg (test)\n");
  EXPECT_EQ(chain.err, "");
  EXPECT_EQ(chain.exitCode, 0);

  TempDir other;
  other.write("reasons.log",
              "rename\tm.jpg\tgone.jpg\tfile\r\n"
              "rename\tk.jpg\tl.jpg\tfile\r\n"
              "rename\ta.jpg\tb.jpg\tfile\r\n"
              "rename\ta.jpg\tc.jpg\tfile\r\n");
  other.write("b.jpg");
  other.write("c.jpg");
  other.write("k.jpg");
  other.write("l.jpg");
  RunResult r = runZantrel({"-t", "-undo=reasons.log"}, other.path());
  EXPECT_EQ(r.out, "c.jpg -> a.jpg (test)\nb.jpg -> a.jpg (test)\nl.jpg -> k.jpg (test)\ngone.jpg -> m.jpg (test)\n");
  EXPECT_EQ(lines(r.err), (Names{"zantrel: test: b.jpg -> a.jpg would fail: an earlier item (c.jpg) takes a.jpg",
                                 "zantrel: test: l.jpg -> k.jpg would fail: k.jpg exists",
                                 "zantrel: test: gone.jpg -> m.jpg would fail: gone.jpg does not exist"}));
  EXPECT_EQ(r.exitCode, 2);
}

}  // namespace

namespace {

// What a -cm run says of each item, in listing order: the library name the
// test run shows ("to: " + name) or the real run copies to, and the names
// either run skips as held already.
Names libraryNames(const std::string& out) {
  Names names;
  for (const std::string& line : lines(out)) {
    for (const char* lead : {"to: ", "File copied to: ", "File exists (skipping): "}) {
      if (line.rfind(lead, 0) == 0) {
        const std::string skip = line.rfind("File exists", 0) == 0 ? "skip " : "";
        names.push_back(skip + line.substr(std::string(lead).size()));
      }
    }
  }
  return names;
}

// The plain copy's line names the new name; where the real copy numbers its
// way past a name that is taken (on disk, by a follower's name, or by an
// earlier line), a note says which name it takes, and the followers' lines
// name theirs. The real run then does what the notes said.
TEST(PreviewCli, PlainCopyTellsTheNumberedName) {
  TempDir dir;
  dir.write("card/IMG_1.JPG", "jpeg");
  dir.write("card/IMG_1.CR2", "raw");
  dir.write("IMG_1.CR2", "an earlier raw");
  RunResult r = runZantrel({"-t", "-copy", "-pairs", "card/*.jpg"}, dir.path());
  EXPECT_EQ(r.out, "Copy to: IMG_1.JPG (test)\nCopy to: IMG_1_1.CR2 (test)\n");
  EXPECT_EQ(r.err, "zantrel: test: card/IMG_1.JPG would be copied to IMG_1_1.JPG: IMG_1.CR2 exists\n");
  EXPECT_EQ(r.exitCode, 0);
  r = runZantrel({"-copy", "-pairs", "card/*.jpg"}, dir.path());
  EXPECT_EQ(r.out, "File copied to: IMG_1_1.JPG\nFile copied to: IMG_1_1.CR2\n");

  TempDir two;
  two.write("x/P.JPG", "one");
  two.write("y/P.JPG", "two");
  r = runZantrel({"-t", "-copy", "x/*.jpg,y/*.jpg"}, two.path());
  EXPECT_EQ(r.out, "Copy to: P.JPG (test)\nCopy to: P.JPG (test)\n");
  EXPECT_EQ(r.err, "zantrel: test: y/P.JPG would be copied to P_1.JPG: an earlier item (x/P.JPG) takes P.JPG\n");
  EXPECT_EQ(r.exitCode, 0);
  r = runZantrel({"-copy", "x/*.jpg,y/*.jpg"}, two.path());
  EXPECT_EQ(r.out, "File copied to: P.JPG\nFile copied to: P_1.JPG\n");
}

// Two different photos of one library name in one run: the second one is
// numbered, and one with the bytes of the first is skipped, in the test
// run as in the real one.
TEST(PreviewCli, LibraryCopyNumbersPastEarlierLines) {
  TempDir dir;
  dir.write("card/a/IMG_1.mp3", "first tune");
  dir.write("card/b/IMG_1.mp3", "second tune");
  dir.write("card/c/IMG_1.mp3", "first tune");
  for (const char* name : {"card/a/IMG_1.mp3", "card/b/IMG_1.mp3", "card/c/IMG_1.mp3"})
    setLocalMtime(dir / name, 2020, 5, 1, 12, 0, 0);
  const std::vector<std::string> args = {"-cd=card", "-sub", "-cm=" + (dir / "lib").string()};
  std::vector<std::string> test = args;
  test.insert(test.begin(), "-t");
  const RunResult shown = runZantrel(test, dir.path());
  EXPECT_EQ(shown.err, "");
  EXPECT_FALSE(dir.exists("lib"));
  const RunResult real = runZantrel(args, dir.path());
  EXPECT_EQ(libraryNames(shown.out), libraryNames(real.out)) << shown.out << real.out;
  // Which folder is listed first decides which tune takes which name.
  const Names names = libraryNames(real.out);
  EXPECT_EQ(names.size(), 3u) << real.out;
  EXPECT_EQ(std::count_if(names.begin(), names.end(), [](const std::string& n) { return n.rfind("skip ", 0) == 0; }), 1)
      << real.out;
  EXPECT_EQ(dir.list("lib/Music/2020"), (Names{"IMG_1.mp3", "IMG_1_1.mp3"}));
}

}  // namespace
