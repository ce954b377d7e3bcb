// Whole-program tests of a rename pass: selection, the commit with its
// clash outcomes, and the rename log.
#include <sys/stat.h>

#include <ctime>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "cli/harness.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;


TEST(RenameCli, TestModeShowsAndChangesNothing) {
  TempDir dir;
  dir.write("a.jpg");
  dir.write("B.JPG");
  dir.write("c.png");
  RunResult r = runZantrel({"-t", "-log", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(sortedLines(r.out), (Names{"B.JPG -> x_B.JPG (test)", "a.jpg -> x_a.jpg (test)"}));
  EXPECT_EQ(dir.list(), (Names{"B.JPG", "a.jpg", "c.png"}));
  EXPECT_TRUE(logFiles(dir).empty());
}

TEST(RenameCli, RealRenameWithLog) {
  TempDir dir;
  dir.write("a.jpg", "photo a");
  dir.write("c.png");
  RunResult r = runZantrel({"-log", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "a.jpg -> x_a.jpg\n");
  EXPECT_EQ(dir.read("x_a.jpg"), "photo a");
  EXPECT_FALSE(dir.exists("a.jpg"));
  EXPECT_EQ(logRecords(dir), (Names{record({"rename", "a.jpg", "x_a.jpg", "file"})}));
}

TEST(RenameCli, VerboseLines) {
  TempDir dir;
  dir.write("a.jpg");
  RunResult r = runZantrel({"-verbose", "-t", "-pre=x_", "a.jpg,*.none"}, dir.path());
  EXPECT_EQ(r.out, "Time-Shift: 00:00:00\n1 files found\na.jpg - x_a.jpg\na.jpg -> x_a.jpg (test)\n");
  r = runZantrel({"-verbose", "-pre=x_", "*.none"}, dir.path());
  EXPECT_EQ(r.out, "Time-Shift: 00:00:00\n0 files found\n");
}

TEST(RenameCli, NoLogWhenNothingChanges) {
  TempDir dir;
  dir.write("a.jpg");
  RunResult r = runZantrel({"-log", "-pfn", "*.jpg"}, dir.path());  // no folder: nothing to add
  EXPECT_EQ(r.out, "");
  r = runZantrel({"-log", "-pre=x_", "*.none"}, dir.path());
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(dir.list(), (Names{"a.jpg"}));
}

TEST(RenameCli, ClashWithoutOptionKeepsBoth) {
  TempDir dir;
  dir.write("a.jpg", "source");
  dir.write("x_a.jpg", "existing");
  RunResult r = runZantrel({"-log", "-pre=x_", "a.jpg"}, dir.path());
  EXPECT_EQ(r.out, "ERROR Can't rename file a.jpg -> x_a.jpg !\n");
  EXPECT_EQ(dir.read("a.jpg"), "source");
  EXPECT_EQ(dir.read("x_a.jpg"), "existing");
  EXPECT_EQ(logRecords(dir), (Names{record({"ERROR", "a.jpg", "x_a.jpg", "can not rename file"})}));
}

// A file of the new name whose date lies outside 1980..2107 does not count
// as an existing file, so no option may settle the clash by deleting: the
// refused rename is an error and both files stay as they were.
TEST(RenameCli, ClashWithAFileOutsideTheDateRangeIsAnError) {
  for (const Names& options : {Names{}, Names{"-ded"}, Names{"-des"}}) {
    TempDir dir;
    dir.write("a.jpg", "source");
    setLocalMtime(dir.write("x_a.jpg", "existing"), 1975, 1, 1, 0, 0, 0);
    Names args = options;
    args.insert(args.end(), {"-pre=x_", "a.jpg"});
    RunResult r = runZantrel(args, dir.path());
    EXPECT_EQ(r.out, "ERROR Can't rename file a.jpg -> x_a.jpg !\n") << options.size();
    EXPECT_EQ(dir.read("a.jpg"), "source");
    EXPECT_EQ(dir.read("x_a.jpg"), "existing");
  }
}

// A new name that is another hard link of the same file: no rename can
// make it the file's only name, so it is an error, not a success, and even
// -ded and -des must not remove either name.
TEST(RenameCli, HardLinkTwinIsNoRename) {
  for (const Names& options : {Names{}, Names{"-ded"}, Names{"-des"}}) {
    TempDir dir;
    dir.write("a.jpg", "photo");
    fs::create_hard_link(dir / "a.jpg", dir / "x_a.jpg");
    Names args = options;
    args.insert(args.end(), {"-log", "-pre=x_", "a.jpg"});
    RunResult r = runZantrel(args, dir.path());
    EXPECT_EQ(r.out, "ERROR Can't rename file a.jpg -> x_a.jpg !\n");
    EXPECT_EQ(dir.read("a.jpg"), "photo");
    EXPECT_EQ(dir.read("x_a.jpg"), "photo");
    EXPECT_EQ(logRecords(dir), (Names{record({"ERROR", "a.jpg", "x_a.jpg", "can not rename file"})}));
  }
}

// A reader that stops early (| head) must not end the run half-way: every
// file is renamed and every rename is logged.
TEST(RenameCli, ClosedOutputDoesNotStopTheRun) {
  TempDir dir;
  const int count = 1500;
  for (int i = 0; i < count; ++i) dir.write("photo_with_a_rather_long_name_" + std::to_string(i) + ".jpg", "p");
  RunResult r = runProgramFile("/bin/sh", {"-c", "\"$0\" -log -pre=x_ '*.jpg' | head -c 1 >/dev/null", ZANTREL_BINARY},
                               dir.path());
  EXPECT_EQ(r.exitCode, 0);
  const Names records = logRecords(dir);
  EXPECT_EQ(records.size(), static_cast<size_t>(count));
  EXPECT_EQ(dir.list().size(), static_cast<size_t>(count) + 1);  // the renamed photos and the log
  for (const std::string& name : dir.list()) {
    if (name.rfind("_zantrel_", 0) != 0) {
      EXPECT_EQ(name.rfind("x_photo", 0), 0u) << name;
    }
  }
}

TEST(RenameCli, ClashDeleteExistingDestination) {
  TempDir dir;
  dir.write("a.jpg", "source");
  dir.write("x_a.jpg", "existing");
  RunResult r = runZantrel({"-log", "-ded", "-pre=x_", "a.jpg"}, dir.path());
  EXPECT_EQ(r.out, "WARNING destination exists - overwrite x_a.jpg !\na.jpg -> x_a.jpg\n");
  EXPECT_FALSE(dir.exists("a.jpg"));
  EXPECT_EQ(dir.read("x_a.jpg"), "source");
  EXPECT_EQ(logRecords(dir), (Names{record({"WARNING", "a.jpg", "x_a.jpg", "overwrite destination file"}),
                                    record({"rename", "a.jpg", "x_a.jpg", "file"})}));
}

TEST(RenameCli, ClashDeleteExistingSource) {
  TempDir dir;
  dir.write("a.jpg", "source");
  dir.write("x_a.jpg", "existing");
  RunResult r = runZantrel({"-log", "-des", "-pre=x_", "a.jpg"}, dir.path());
  EXPECT_EQ(r.out, "WARNING destination exists - delete a.jpg !\n");
  EXPECT_FALSE(dir.exists("a.jpg"));
  EXPECT_EQ(dir.read("x_a.jpg"), "existing");
  EXPECT_EQ(logRecords(dir),
            (Names{record({"WARNING", "a.jpg", "x_a.jpg", "destination exists - delete source"})}));
}

TEST(RenameCli, DestinationWinsOverSource) {
  TempDir dir;
  dir.write("a.jpg", "source");
  dir.write("x_a.jpg", "existing");
  RunResult r = runZantrel({"-ded", "-des", "-pre=x_", "a.jpg"}, dir.path());
  EXPECT_EQ(r.out, "WARNING destination exists - overwrite x_a.jpg !\na.jpg -> x_a.jpg\n");
  EXPECT_EQ(dir.read("x_a.jpg"), "source");
}

TEST(RenameCli, ReadOnlyFileIsRenamedAndWritableAfter) {
  TempDir dir;
  const fs::path file = dir.write("a.jpg", "locked");
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  RunResult r = runZantrel({"-pre=x_", "a.jpg"}, dir.path());
  EXPECT_EQ(r.out, "a.jpg -> x_a.jpg\n");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "x_a.jpg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST(RenameCli, TwoItemsWantingOneName) {
  TempDir dir;
  dir.write("1a.jpg", "one");
  dir.write("2a.jpg", "two");
  RunResult r = runZantrel({"-log", "1=.", "2=.", "*.jpg"}, dir.path());
  const Names out = lines(r.out);
  ASSERT_EQ(out.size(), 2u);
  // The listing order decides which one is first.
  const bool oneFirst = out[0] == "1a.jpg -> a.jpg";
  const std::string winner = oneFirst ? "1a.jpg" : "2a.jpg";
  const std::string loser = oneFirst ? "2a.jpg" : "1a.jpg";
  EXPECT_EQ(out[0], winner + " -> a.jpg");
  EXPECT_EQ(out[1], "ERROR Can't rename file " + loser + " -> a.jpg !");
  EXPECT_EQ(dir.read("a.jpg"), oneFirst ? "one" : "two");
  EXPECT_EQ(dir.read(loser), oneFirst ? "two" : "one");
  EXPECT_EQ(logRecords(dir), (Names{record({"rename", winner, "a.jpg", "file"}),
                                    record({"ERROR", loser, "a.jpg", "can not rename file"})}));
}

// Every way to reach an existing name at once: case variants of the item's
// own name, two items with one target, no delete option. No byte may go.
TEST(RenameCli, NothingIsEverOverwritten) {
  TempDir dir;
  dir.write("IMG_1.JPG", "camera 1");
  dir.write("img_1.jpg", "unrelated 1");
  dir.write("IMG_2.JPG", "camera 2");
  dir.write("IMG_3.jpg", "camera 3 lower ext");
  dir.write("img_3.JPG", "camera 3 upper ext");
  RunResult r = runZantrel({"-log", "IMG=img", "JPG=jpg", "*.*"}, dir.path());
  EXPECT_EQ(r.exitCode, 2);
  // IMG_3.jpg and img_3.JPG both want img_3.jpg: the first one listed gets it.
  const bool upperFirst = r.out.find("IMG_3.jpg -> img_3.jpg\n") != std::string::npos;
  const std::string third = upperFirst ? "IMG_3.jpg" : "img_3.JPG";
  const std::string other = upperFirst ? "img_3.JPG" : "IMG_3.jpg";
  Names expected{"ERROR Can't rename file IMG_1.JPG -> img_1.jpg !",
                 "IMG_2.JPG -> img_2.jpg",  // a case-only change on a case-sensitive file system
                 third + " -> img_3.jpg", "ERROR Can't rename file " + other + " -> img_3.jpg !"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(sortedLines(r.out), expected);
  EXPECT_EQ(dir.read("IMG_1.JPG"), "camera 1");
  EXPECT_EQ(dir.read("img_1.jpg"), "unrelated 1");
  EXPECT_EQ(dir.read("img_2.jpg"), "camera 2");
  EXPECT_EQ(dir.read("img_3.jpg"), upperFirst ? "camera 3 lower ext" : "camera 3 upper ext");
  EXPECT_EQ(dir.read(other), upperFirst ? "camera 3 upper ext" : "camera 3 lower ext");
  EXPECT_EQ(dir.list().size(), 6u);  // five files and the log
  EXPECT_EQ(logFiles(dir).size(), 1u);
}

TEST(RenameCli, SameNameCaseVariantIsNotDeletedByDeleteSource) {
  TempDir dir;
  dir.write("IMG_1.JPG", "camera 1");
  dir.write("img_1.jpg", "unrelated 1");
  RunResult r = runZantrel({"-des", "IMG=img", "JPG=jpg", "IMG_1.JPG"}, dir.path());
  // -des removes the item itself, as asked; the unrelated file stays.
  EXPECT_EQ(r.out, "WARNING destination exists - delete IMG_1.JPG !\n");
  EXPECT_EQ(dir.list(), (Names{"img_1.jpg"}));
  EXPECT_EQ(dir.read("img_1.jpg"), "unrelated 1");
}

TEST(RenameCli, SizeFiltersAtTheirBoundaries) {
  TempDir dir;
  dir.write("s999.bin", std::string(999, 'x'));
  dir.write("s1000.bin", std::string(1000, 'x'));
  dir.write("s1001.bin", std::string(1001, 'x'));
  RunResult r = runZantrel({"-t", "-minsize=1000", "-pre=x_", "*.bin"}, dir.path());
  EXPECT_EQ(sortedLines(r.out), (Names{"s1000.bin -> x_s1000.bin (test)", "s1001.bin -> x_s1001.bin (test)"}));
  r = runZantrel({"-t", "-maxsize=1000", "-pre=x_", "*.bin"}, dir.path());
  EXPECT_EQ(sortedLines(r.out), (Names{"s1000.bin -> x_s1000.bin (test)", "s999.bin -> x_s999.bin (test)"}));
  r = runZantrel({"-t", "-minsize=1000", "-maxsize=1000", "-pre=x_", "*.bin"}, dir.path());
  EXPECT_EQ(r.out, "s1000.bin -> x_s1000.bin (test)\n");
}

// Limits beyond 2 GiB are limits like any other; one that cannot be read
// is ignored with a note, as any other number that cannot be read.
TEST(RenameCli, SizeLimitsOfAnyWidth) {
  const struct {
    std::vector<std::string> limits;
    std::string out;
    bool noted;
  } cases[] = {
      {{"-minsize=3000000000"}, "", false},
      {{"-maxsize=3000000000"}, "A.BIN -> a.bin (test)\n", false},
      {{"-maxsize=1", "--maxsize=+9223372036854775807"}, "A.BIN -> a.bin (test)\n", false},
      {{"-minsize=3000000000", "-minsize=3G"}, "", true},
      {{"-minsize=9223372036854775808"}, "A.BIN -> a.bin (test)\n", true},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.write("A.BIN", "xy");
    std::vector<std::string> args = {"-t", "-l"};
    args.insert(args.end(), c.limits.begin(), c.limits.end());
    args.push_back("*.bin");
    const RunResult r = runZantrel(args, dir.path());
    const std::string& limit = c.limits.back();
    EXPECT_EQ(r.exitCode, 0) << limit;
    EXPECT_EQ(r.out, c.out) << limit;
    EXPECT_EQ(r.err.find("ignored " + limit + ": ") != std::string::npos, c.noted) << limit << "\n" << r.err;
  }
}

TEST(RenameCli, FoldersAreSkippedByMinimumSize) {
  TempDir dir;
  dir.mkdir("folder");
  RunResult r = runZantrel({"-t", "-dir", "-minsize=1", "-pre=x_", "*"}, dir.path());
  EXPECT_EQ(r.out, "");
}

TEST(RenameCli, EightCharacterNamesOnly) {
  TempDir dir;
  dir.write("abcd.jpg");
  dir.write("IMG_1234.JPG");
  dir.write("\xC3\xA4" "bcd.jpg");  // eight characters, nine bytes
  RunResult r = runZantrel({"-t", "-8", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(sortedLines(r.out),
            (Names{"abcd.jpg -> x_abcd.jpg (test)", "\xC3\xA4" "bcd.jpg -> x_\xC3\xA4" "bcd.jpg (test)"}));
}

TEST(RenameCli, VerboseNameOfASkippedItemStaysOnItsLine) {
  TempDir dir;
  dir.write("IMG_1234.JPG");
  RunResult r = runZantrel({"-verbose", "-t", "-8", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(r.out, "Time-Shift: 00:00:00\n1 files found\nIMG_1234.JPG");
}

TEST(RenameCli, RecursionSkipsHiddenAndDoesNotFollowFolderLinks) {
  TempDir dir;
  dir.write("a.jpg");
  dir.write(".hidden.jpg");
  dir.write("sub/b.jpg");
  dir.write("sub/.c.jpg");
  dir.write(".secret/d.jpg");
  dir.write("sub/deeper/e.jpg");
  fs::create_directory_symlink("sub", dir / "loop");
  fs::create_directory_symlink("..", dir / "sub/up");
  RunResult r = runZantrel({"-t", "-sub", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(sortedLines(r.out), (Names{"a.jpg -> x_a.jpg (test)", "sub/b.jpg -> sub/x_b.jpg (test)",
                                       "sub/deeper/e.jpg -> sub/deeper/x_e.jpg (test)"}));
}

TEST(RenameCli, PatternWithFolderActsInsideThatFolder) {
  TempDir dir;
  dir.write("pics/a.jpg", "in pics");
  dir.write("a.jpg", "namesake");
  RunResult r = runZantrel({"-log", "-pre=x_", "pics/*.jpg"}, dir.path());
  EXPECT_EQ(r.out, "pics/a.jpg -> pics/x_a.jpg\n");
  EXPECT_EQ(dir.read("pics/x_a.jpg"), "in pics");
  EXPECT_EQ(dir.read("a.jpg"), "namesake");
  EXPECT_FALSE(dir.exists("x_a.jpg"));
  EXPECT_EQ(logRecords(dir), (Names{record({"rename", "pics/a.jpg", "pics/x_a.jpg", "file"})}));
}

TEST(RenameCli, FolderRenames) {
  TempDir dir;
  dir.write("trip/a.jpg");
  dir.write("file.txt");
  dir.mkdir("party");
  dir.mkdir("x_party");
  RunResult r = runZantrel({"-log", "-dir", "-pre=x_", "trip,party"}, dir.path());
  EXPECT_EQ(r.out, "trip -> x_trip\nERROR Can't rename directory party -> x_party !\n");
  EXPECT_TRUE(dir.exists("x_trip/a.jpg"));
  EXPECT_TRUE(dir.exists("party"));
  EXPECT_EQ(logRecords(dir), (Names{record({"rename", "trip", "x_trip", "directory"}),
                                    record({"ERROR", "party", "x_party", "can not rename directory"})}));
}

TEST(RenameCli, FolderOntoAnExistingFileFails) {
  TempDir dir;
  dir.mkdir("trip");
  dir.write("x_trip", "a file");
  RunResult r = runZantrel({"-dir", "-pre=x_", "trip"}, dir.path());
  EXPECT_EQ(r.out, "ERROR Can't rename directory trip -> x_trip !\n");
  EXPECT_EQ(dir.read("x_trip"), "a file");
  EXPECT_TRUE(fs::is_directory(dir / "trip"));
}

TEST(RenameCli, PathPrefixes) {
  TempDir dir;
  dir.write("photos/2013/IMG_1.jpg");
  dir.write("photos/2013/2013-05-01 party.jpg");
  dir.write("photos/Party/party_01.jpg");
  RunResult r = runZantrel({"-t", "-sub", "-pfn", "photos/*.jpg"}, dir.path());
  EXPECT_EQ(sortedLines(r.out),
            (Names{"photos/2013/2013-05-01 party.jpg -> photos/2013/photos 2013 2013-05-01 party.jpg (test)",
                   "photos/2013/IMG_1.jpg -> photos/2013/photos 2013 IMG_1.jpg (test)",
                   "photos/Party/party_01.jpg -> photos/Party/photos Party party_01.jpg (test)"}));
  r = runZantrel({"-t", "-sub", "-pfn1", "photos/*.jpg"}, dir.path());
  EXPECT_EQ(r.out, "photos/2013/IMG_1.jpg -> photos/2013/2013 IMG_1.jpg (test)\n");
}

TEST(RenameCli, PathPrefixesWithoutFolderAddNothing) {
  TempDir dir;
  dir.write("a.jpg");
  for (const char* option : {"-pfn", "-pfn1"}) {
    RunResult r = runZantrel({"-t", option, "*.jpg"}, dir.path());
    EXPECT_EQ(r.out, "") << option;
  }
}

TEST(RenameCli, PatternListRules) {
  TempDir dir;
  dir.write("a.jpg");
  dir.write("b.png");
  dir.write("c.gif");
  RunResult r = runZantrel({"-t", "-pre=x_", "*.jpg, *.png"}, dir.path());
  EXPECT_EQ(sortedLines(r.out), (Names{"a.jpg -> x_a.jpg (test)", "b.png -> x_b.png (test)"}));
  r = runZantrel({"-t", "-pre=x_", "*.jpg,,*.png"}, dir.path());  // an empty pattern ends the list
  EXPECT_EQ(r.out, "a.jpg -> x_a.jpg (test)\n");
}

TEST(RenameCli, AtMostOneHundredPatterns) {
  TempDir dir;
  std::string spec;
  for (int k = 1; k <= 101; ++k) {
    const std::string name = "p" + std::to_string(k);
    dir.write(name);
    spec += (k > 1 ? "," : "") + name;
  }
  RunResult r = runZantrel({"-t", "-pre=x_", spec}, dir.path());
  const Names out = lines(r.out);
  EXPECT_EQ(out.size(), 100u);
  EXPECT_EQ(std::count(out.begin(), out.end(), "p101 -> x_p101 (test)"), 0);
  EXPECT_EQ(out.back(), "p100 -> x_p100 (test)");
}

TEST(RenameCli, AnItemListedTwiceIsFoundOnce) {
  TempDir dir;
  dir.write("a.jpg");
  RunResult r = runZantrel({"-pre=x_", "a.jpg,*.jpg"}, dir.path());
  EXPECT_EQ(r.out, "a.jpg -> x_a.jpg\nError: Can not find file (char-set?) (a.jpg / a.jpg)\n");
}

TEST(RenameCli, FolderDateFromFilesLetsUnchangedNamesIn) {
  TempDir dir;
  dir.write("a.jpg", "kept");
  // -fdff alone is a folder pass; after -daf's folder pass the file pass
  // keeps it.
  RunResult r = runZantrel({"-daf", "-fdff", "a.jpg"}, dir.path());
  EXPECT_EQ(r.out, "a.jpg -> a.jpg\n");
  EXPECT_EQ(dir.read("a.jpg"), "kept");
}

TEST(RenameCli, ThePassNeverRenamesItsOwnLog) {
  TempDir dir;
  dir.mkdir("d");
  dir.write("a.txt");
  // The folder pass writes the first log line; the file pass then lists
  // every file, the log included.
  RunResult r = runZantrel({"-daf", "-log", "-pre=x_", "*.*"}, dir.path());
  EXPECT_EQ(r.out, "d -> x_d\na.txt -> x_a.txt\n");
  EXPECT_EQ(logRecords(dir), (Names{record({"rename", "d", "x_d", "directory"}),
                                    record({"rename", "a.txt", "x_a.txt", "file"})}));
}

TEST(RenameCli, NamesWithControlCharactersKeepTheLogOneRecordPerLine) {
  TempDir dir;
  dir.write("a\tb\nc.jpg", "odd");
  RunResult r = runZantrel({"-log", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(dir.read("x_a\tb\nc.jpg"), "odd");
  EXPECT_EQ(logRecords(dir), (Names{record({"rename", "a\\tb\\nc.jpg", "x_a\\tb\\nc.jpg", "file"})}));
}

TEST(RenameCli, LogThatCannotBeWrittenIsReportedAndTheChangeStands) {
  TempDir dir;
  dir.write("a.jpg");
  // The log name comes from the start minute: block this one and the next
  // with folders of that name.
  const time_t now = ::time(nullptr);
  dir.mkdir(logNameAt(now));
  dir.mkdir(logNameAt(now + 60));
  RunResult r = runZantrel({"-log", "-pre=x_", "a.jpg"}, dir.path());
  const Names out = lines(r.out);
  auto isLogError = [&](const std::string& line) {
    return line == "Error! " + logNameAt(now) || line == "Error! " + logNameAt(now + 60);
  };
  // Once when the run starts, before anything changes, and once for the
  // record that is lost.
  ASSERT_EQ(out.size(), 3u);
  EXPECT_TRUE(isLogError(out[0])) << out[0];
  EXPECT_EQ(out[1], "a.jpg -> x_a.jpg");
  EXPECT_TRUE(isLogError(out[2])) << out[2];
  EXPECT_TRUE(dir.exists("x_a.jpg"));
}

// A target in a folder that does not exist: the rename fails.
TEST(RenameCli, RefusedRenameIsAnErrorNotADoneRename) {
  TempDir dir;
  dir.write("a.jpg", "intact");
  RunResult r = runZantrel({"-log", "-pre=missing/", "a.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "ERROR Can't rename file a.jpg -> missing/a.jpg !\n");
  EXPECT_EQ(dir.read("a.jpg"), "intact");
  EXPECT_EQ(logRecords(dir), (Names{record({"ERROR", "a.jpg", "missing/a.jpg", "can not rename file"})}));
}

}  // namespace
