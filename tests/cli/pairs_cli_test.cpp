// Whole-program tests of -pairs: the RAW and JPEG twins and the sidecars of
// a camera folder keep one name through renames, copies, the media
// library, test runs and an undo.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/harness.h"
#include "support/exif_builder.h"
#include "support/media_builder.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

// A shot whose only date is when ("" for none).
CameraShot takenAt(const std::string& when) {
  CameraShot shot;
  shot.dateTime = "";
  shot.dateTimeDigitized = "";
  shot.dateTimeOriginal = when;
  return shot;
}

// A camera card: a photo as JPEG and RAW with their sidecars, a clip with
// its thumbnail, and a file of the same base name that is no companion.
void makeCameraFolder(const TempDir& dir, const std::string& folder = "") {
  dir.write(folder + "IMG_0001.JPG", cameraJpeg(takenAt("2013:04:12 15:30:45")));
  dir.write(folder + "IMG_0001.CR2", rawTiff(takenAt("2013:04:12 15:30:45"), "II*\0"));
  dir.write(folder + "IMG_0001.CR2.xmp", "<x:xmpmeta raw/>");
  dir.write(folder + "IMG_0001.XMP", "<x:xmpmeta/>");
  dir.write(folder + "MVI_0002.MOV", "clip");
  dir.write(folder + "MVI_0002.THM", "thumbnail");
  setLocalMtime(dir / (folder + "MVI_0002.MOV"), 2013, 4, 13, 9, 10, 0);
}

bool hasLine(const RunResult& r, const std::string& line) {
  const Names all = lines(r.out);
  return std::find(all.begin(), all.end(), line) != all.end();
}

Names withoutLogs(Names names) {
  names.erase(std::remove_if(names.begin(), names.end(),
                             [](const std::string& n) { return n.rfind("_zantrel_", 0) == 0; }),
              names.end());
  return names;
}

const Names Renamed = {"130412-1530_IMG_0001.cr2", "130412-1530_IMG_0001.cr2.xmp", "130412-1530_IMG_0001.jpg",
                       "130412-1530_IMG_0001.xmp", "130413-0910_MVI_0002.mov", "130413-0910_MVI_0002.thm"};

TEST(PairsCli, CameraFolderKeepsOneNamePerSetAndComesBack) {
  TempDir dir;
  makeCameraFolder(dir);
  const Names before = dir.list();
  RunResult r = runZantrel({"-i", "-pairs", "-log", "*.*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(withoutLogs(dir.list()), Renamed) << r.out;
  // The JPEG leads; each follower has its own line, after its leader's.
  const Names out = lines(r.out);
  const auto at = [&](const std::string& line) { return std::find(out.begin(), out.end(), line) - out.begin(); };
  for (const char* line : {"IMG_0001.CR2 -> 130412-1530_IMG_0001.cr2", "IMG_0001.CR2.xmp -> 130412-1530_IMG_0001.cr2.xmp",
                           "IMG_0001.XMP -> 130412-1530_IMG_0001.xmp"}) {
    EXPECT_TRUE(hasLine(r, line)) << line << "\n" << r.out;
    EXPECT_GT(at(line), at("IMG_0001.JPG -> 130412-1530_IMG_0001.jpg")) << line;
  }
  EXPECT_TRUE(hasLine(r, "MVI_0002.THM -> 130413-0910_MVI_0002.thm")) << r.out;
  // A follower is not processed again on its own: no date read, no second line.
  EXPECT_FALSE(hasLine(r, "IMG_0001.cr2")) << r.out;
  EXPECT_EQ(r.out.find("(MVI_0002.THM)"), std::string::npos) << r.out;

  std::string log;
  for (const std::string& name : dir.list()) {
    if (name.rfind("_zantrel_", 0) == 0) log = name;
  }
  ASSERT_FALSE(log.empty());
  const std::string records = dir.read(log);
  EXPECT_NE(records.find("rename\tIMG_0001.CR2.xmp\t130412-1530_IMG_0001.cr2.xmp\tfile\r\n"), std::string::npos);

  RunResult undo = runZantrel({"-undo=" + log}, dir.path());
  EXPECT_EQ(undo.exitCode, 0) << undo.out << undo.err;
  EXPECT_EQ(withoutLogs(dir.list()), withoutLogs(before));
  EXPECT_EQ(dir.read("IMG_0001.XMP"), "<x:xmpmeta/>");
}

TEST(PairsCli, TestRunShowsEveryFollowerAndChangesNothing) {
  TempDir dir;
  makeCameraFolder(dir);
  const Names before = dir.list();
  RunResult r = runZantrel({"-t", "-i", "-pairs", "*.*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  for (const char* line : {"IMG_0001.JPG -> 130412-1530_IMG_0001.jpg (test)", "IMG_0001.CR2 -> 130412-1530_IMG_0001.cr2 (test)",
                           "IMG_0001.CR2.xmp -> 130412-1530_IMG_0001.cr2.xmp (test)",
                           "IMG_0001.XMP -> 130412-1530_IMG_0001.xmp (test)", "MVI_0002.THM -> 130413-0910_MVI_0002.thm (test)"}) {
    EXPECT_TRUE(hasLine(r, line)) << line << "\n" << r.out;
  }
  EXPECT_EQ(dir.list(), before);
}

TEST(PairsCli, MediaLibraryFilesTheSetTogether) {
  TempDir dir;
  makeCameraFolder(dir, "card/");
  RunResult r = runZantrel({"-cd=card", "-cm", "-pairs"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  // HOME is the harness's folder inside the test folder.
  EXPECT_EQ(dir.list(".home/Media/Imgs/o/2013/04"),
            (Names{"130412-1530_IMG_0001.cr2", "130412-1530_IMG_0001.cr2.xmp", "130412-1530_IMG_0001.jpg",
                   "130412-1530_IMG_0001.xmp"}))
      << r.out;
  // The RAW file is in the photo patterns itself, but it follows the JPEG
  // instead of being copied on its own.
  EXPECT_FALSE(hasLine(r, "IMG_0001.cr2")) << r.out;
  const fs::path video = dir / ".home/Media/Video";
  ASSERT_TRUE(fs::exists(video)) << r.out;
  for (const auto& folder : fs::directory_iterator(video)) {
    Names clip;
    for (const auto& f : fs::directory_iterator(folder)) clip.push_back(f.path().filename().string());
    std::sort(clip.begin(), clip.end());
    ASSERT_EQ(clip.size(), 2u);
    EXPECT_EQ(fs::path(clip[0]).stem(), fs::path(clip[1]).stem());
    EXPECT_EQ(fs::path(clip[1]).extension(), ".thm");
  }
  EXPECT_EQ(dir.list("card").size(), 6u);  // copies only
  // A second run finds the set in the library and copies nothing.
  RunResult again = runZantrel({"-cd=card", "-cm", "-pairs"}, dir.path());
  EXPECT_EQ(again.out.find("File copied to"), std::string::npos) << again.out;
}

// The first of the twins with a capture date leads, JPEG before RAW.
TEST(PairsCli, TheTwinWithACaptureDateLeads) {
  TempDir dir;
  dir.write("IMG_0003.JPG", cameraJpeg(takenAt("")));  // no capture date
  dir.write("IMG_0003.CR2", rawTiff(takenAt("2014:05:06 07:08:09"), "II*\0"));
  RunResult r = runZantrel({"-i", "-pairs", "*.*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(dir.list(), (Names{"140506-0708_IMG_0003.cr2", "140506-0708_IMG_0003.jpg"})) << r.out;
  EXPECT_TRUE(hasLine(r, "IMG_0003.JPG -> 140506-0708_IMG_0003.jpg")) << r.out;
}

// A follower whose name is taken is a clash of its own; the leader's rename
// stands and the other followers still follow.
TEST(PairsCli, FollowerClash) {
  TempDir dir;
  dir.write("IMG_1.JPG", "jpeg");
  dir.write("IMG_1.CR2", "raw");
  dir.write("IMG_1.xmp", "sidecar");
  dir.write("x_IMG_1.CR2", "in the way");
  RunResult r = runZantrel({"-pairs", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(sortedLines(r.out), (Names{"ERROR Can't rename file IMG_1.CR2 -> x_IMG_1.CR2 !", "IMG_1.JPG -> x_IMG_1.JPG",
                                       "IMG_1.xmp -> x_IMG_1.xmp"}));
  EXPECT_EQ(dir.read("x_IMG_1.CR2"), "in the way");
  EXPECT_EQ(dir.read("IMG_1.CR2"), "raw");
}

// The run's case rules apply to every follower's extension; sets are
// matched without regard to case; other files of the base name stay.
TEST(PairsCli, CaseRulesAndWhatBelongsToASet) {
  TempDir dir;
  dir.write("dsc_5.jpeg");
  dir.write("DSC_5.nef");
  dir.write("Dsc_5.Xmp");
  dir.write("DSC_5.txt", "not a companion");
  dir.write("DSC_6.nef", "another shot");
  RunResult r = runZantrel({"-pairs", "-pre=a_", "-ue", "*.jpeg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(dir.list(), (Names{"DSC_5.txt", "DSC_6.nef", "a_dsc_5.JPEG", "a_dsc_5.NEF", "a_dsc_5.XMP"}));
}

// Without -pairs nothing follows.
TEST(PairsCli, OffByDefault) {
  TempDir dir;
  dir.write("IMG_1.JPG");
  dir.write("IMG_1.CR2");
  RunResult r = runZantrel({"-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(dir.list(), (Names{"IMG_1.CR2", "x_IMG_1.JPG"}));
}

// A plain copy numbers its way to a name that is free for the whole set.
TEST(PairsCli, PlainCopyNumbersTheWholeSet) {
  TempDir dir;
  dir.write("card/IMG_1.JPG", "jpeg");
  dir.write("card/IMG_1.CR2", "raw");
  dir.write("IMG_1.CR2", "an earlier raw");
  RunResult r = runZantrel({"-copy", "-pairs", "card/*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(r.out, "File copied to: IMG_1_1.JPG\nFile copied to: IMG_1_1.CR2\n");
  EXPECT_EQ(dir.read("IMG_1_1.CR2"), "raw");
  EXPECT_EQ(dir.read("IMG_1.CR2"), "an earlier raw");
}

// -nice keeps its stages, and the sets stay together through all of them.
TEST(PairsCli, NiceStagesKeepSetsTogether) {
  TempDir dir;
  dir.write("DSC1.JPG", cameraJpeg(takenAt("2013:04:12 15:30:45")));
  dir.write("DSC1.CR2", "raw");
  dir.write("DSC1.XMP", "sidecar");
  RunResult r = runZantrel({"-nice", "-pairs", "-log"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(withoutLogs(dir.list()), (Names{"130412-1530_DSC1.cr2", "130412-1530_DSC1.jpg", "130412-1530_DSC1.xmp"}))
      << r.out;
}

// Followers in subfolders follow within their own folder.
TEST(PairsCli, SubfoldersKeepTheirOwnSets) {
  TempDir dir;
  dir.write("a/P1.JPG");
  dir.write("a/P1.XMP");
  dir.write("b/P1.XMP", "not the same photo");
  RunResult r = runZantrel({"-sub", "-pairs", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(dir.list("a"), (Names{"x_P1.JPG", "x_P1.XMP"}));
  EXPECT_EQ(dir.list("b"), (Names{"P1.XMP"}));
}

}  // namespace

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

// Every file of the folder, logs left out, with the name of the file of
// before whose bytes it holds ("?" for none).
Files originsIn(const TempDir& dir, const Files& before) {
  Files files;
  for (const std::string& name : withoutLogs(dir.list())) {
    const std::string bytes = dir.read(name);
    const auto origin = std::find_if(before.begin(), before.end(), [&](const auto& f) { return f.second == bytes; });
    files.emplace_back(name, origin == before.end() ? "?" : origin->first);
  }
  return files;
}

// Who follows whom, and what a follower does where its new name is taken:
// every file keeps its bytes, so that what ends up where shows, and no
// file is lost.
TEST(PairsCli, WhoFollowsWhomAndNothingIsLost) {
  const std::string photoA = cameraJpeg(takenAt("2013:04:12 15:30:45"));
  const std::string photoB = cameraJpeg(takenAt("2014:05:06 07:08:09"));
  const struct {
    const char* name;
    Names args;
    Files before;
    Files after;
    int exitCode;
  } cases[] = {
      // Two photos whose names differ only in case are no set, whatever
      // -ded or -des would do with a clash.
      {"case twins, -ded",
       {"-i", "-pairs", "-ded", "*"},
       {{"IMG_1.JPG", photoA}, {"img_1.jpg", photoB}},
       {{"130412-1530_IMG_1.jpg", "IMG_1.JPG"}, {"140506-0708_img_1.jpg", "img_1.jpg"}},
       0},
      {"case twins, -des",
       {"-i", "-pairs", "-des", "*"},
       {{"IMG_1.JPG", photoA}, {"img_1.jpg", photoB}},
       {{"130412-1530_IMG_1.jpg", "IMG_1.JPG"}, {"140506-0708_img_1.jpg", "img_1.jpg"}},
       0},
      // A follower's taken name is refused: -ded and -des are for what the
      // pass selected, and the only copy of a RAW file is not theirs.
      {"follower name taken, -des",
       {"-des", "-pairs", "A=X", "A.jpg"},
       {{"A.jpg", "A.jpg"}, {"A.cr2", "A.cr2"}, {"X.cr2", "X.cr2"}},
       {{"A.cr2", "A.cr2"}, {"X.cr2", "X.cr2"}, {"X.jpg", "A.jpg"}},
       2},
      {"follower name taken, -ded",
       {"-ded", "-pairs", "A=X", "A.jpg"},
       {{"A.jpg", "A.jpg"}, {"A.cr2", "A.cr2"}, {"X.cr2", "X.cr2"}},
       {{"A.cr2", "A.cr2"}, {"X.cr2", "X.cr2"}, {"X.jpg", "A.jpg"}},
       2},
      {"follower name taken, -ded, test run",
       {"-t", "-ded", "-pairs", "A=X", "A.jpg"},
       {{"A.jpg", "A.jpg"}, {"A.cr2", "A.cr2"}, {"X.cr2", "X.cr2"}},
       {{"A.cr2", "A.cr2"}, {"A.jpg", "A.jpg"}, {"X.cr2", "X.cr2"}},
       2},
      // A leader that keeps its name still has its followers follow, also
      // one the pass selected itself.
      {"leader keeps its name, follower selected",
       {"-le", "-pairs", "*"},
       {{"IMG_1.jpg", "IMG_1.jpg"}, {"IMG_1.CR2", "IMG_1.CR2"}},
       {{"IMG_1.cr2", "IMG_1.CR2"}, {"IMG_1.jpg", "IMG_1.jpg"}},
       0},
      {"leader keeps its name, follower not selected",
       {"-le", "-pairs", "*.jpg"},
       {{"IMG_1.jpg", "IMG_1.jpg"}, {"IMG_1.CR2", "IMG_1.CR2"}, {"IMG_1.XMP", "IMG_1.XMP"}},
       {{"IMG_1.cr2", "IMG_1.CR2"}, {"IMG_1.jpg", "IMG_1.jpg"}, {"IMG_1.xmp", "IMG_1.XMP"}},
       0},
      // A sidecar takes only sidecars along; a clip takes no photo of its
      // base name, and a photo no clip.
      {"a sidecar leads no photo",
       {"-pairs", "-pre=X_", "*.xmp"},
       {{"IMG_1.JPG", "IMG_1.JPG"}, {"IMG_1.CR2", "IMG_1.CR2"}, {"IMG_1.xmp", "IMG_1.xmp"}},
       {{"IMG_1.CR2", "IMG_1.CR2"}, {"IMG_1.JPG", "IMG_1.JPG"}, {"X_IMG_1.xmp", "IMG_1.xmp"}},
       0},
      {"a clip takes its thumbnail, not the photo",
       {"-pairs", "-pre=X_", "*.mov"},
       {{"IMG_2.MOV", "IMG_2.MOV"}, {"IMG_2.JPG", "IMG_2.JPG"}, {"IMG_2.THM", "IMG_2.THM"}},
       {{"IMG_2.JPG", "IMG_2.JPG"}, {"X_IMG_2.MOV", "IMG_2.MOV"}, {"X_IMG_2.THM", "IMG_2.THM"}},
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    for (const auto& [name, bytes] : c.before) dir.write(name, bytes);
    RunResult r = runZantrel(c.args, dir.path());
    EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
    Files expected = c.after;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(originsIn(dir, c.before), expected) << r.out << r.err;
    EXPECT_EQ(r.out.find("WARNING"), std::string::npos) << r.out;
  }
}

// A follower's refused name has the error line of any refused rename.
TEST(PairsCli, FollowerClashIsNeverSettledByDeleting) {
  TempDir dir;
  dir.write("A.jpg");
  dir.write("A.cr2");
  dir.write("X.cr2");
  RunResult r = runZantrel({"-des", "-pairs", "-log", "A=X", "A.jpg"}, dir.path());
  EXPECT_EQ(lines(r.out), (Names{"A.jpg -> X.jpg", "ERROR Can't rename file A.cr2 -> X.cr2 !"}));
  EXPECT_EQ(logRecords(dir), (Names{record({"rename", "A.jpg", "X.jpg", "file"}),
                                    record({"ERROR", "A.cr2", "X.cr2", "can not rename file"})}));
}

// The media library files a photo set once: the video pass takes a clip of
// the same base name alone, not the photos and sidecar the image pass
// copied already.
TEST(PairsCli, MediaLibraryCopiesEachFileOnce) {
  TempDir dir;
  dir.write("card/IMG_1.JPG", cameraJpeg(takenAt("2013:04:12 15:30:45")));
  dir.write("card/IMG_1.CR2", rawTiff(takenAt("2013:04:12 15:30:45"), "II*\0"));
  dir.write("card/IMG_1.XMP", "sidecar");
  dir.write("card/IMG_1.MOV", "clip");
  RunResult r = runZantrel({"-cd=card", "-cm", "-pairs"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  size_t copies = 0;
  for (const std::string& line : lines(r.out)) copies += line.rfind("File copied to: ", 0) == 0;
  EXPECT_EQ(copies, 4u) << r.out;
  for (const auto& f : fs::recursive_directory_iterator(dir / ".home/Media/Video")) {
    if (!f.is_regular_file()) continue;
    const std::string ext = f.path().extension().string();
    EXPECT_TRUE(ext == ".mov" || ext == ".MOV") << f.path() << "\n" << r.out;
  }
}

}  // namespace
