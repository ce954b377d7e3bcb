// Whole-program tests of the date steps on photos with an EXIF capture
// date: naming by that date and setting the file's time stamps from it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

#include "cli/harness.h"
#include "support/exif_builder.h"

using namespace testing_support;

namespace {

using Names = std::vector<std::string>;

bool hasLine(const RunResult& r, const std::string& line) {
  const auto all = lines(r.out);
  return std::find(all.begin(), all.end(), line) != all.end();
}

bool contains(const RunResult& r, const std::string& text) { return r.out.find(text) != std::string::npos; }

// A photo taken at 2013-04-12 15:30:44 (an even second, so that the
// two-second file age meets it exactly) whose file was last written at the
// given second of that minute.
std::filesystem::path photo(const TempDir& dir, const std::string& name, int writeSecond,
                            const std::string& taken = "2013:04:12 15:30:44") {
  CameraShot shot;
  shot.dateTimeOriginal = taken;
  auto p = dir.write(name, cameraJpeg(shot));
  setLocalMtime(p, 2013, 4, 12, 15, 30, writeSecond);
  return p;
}

TEST(ExifDatesCli, ImagesPresetNamesByCaptureDateAndSecondRunChangesNothing) {
  TempDir dir;
  photo(dir, "IMG_1234.JPG", 45, "2013:04:12 15:30:45");
  RunResult r = runZantrel({"-i", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(hasLine(r, "IMG_1234.jpg")) << r.out;
  EXPECT_TRUE(hasLine(r, "IMG_1234.JPG -> 130412-1530_IMG_1234.jpg")) << r.out;
  EXPECT_FALSE(contains(r, "Create+Write")) << r.out;
  EXPECT_EQ(dir.list(), Names{"130412-1530_IMG_1234.jpg"});

  r = runZantrel({"-i", "*.jpg"}, dir.path());
  EXPECT_FALSE(contains(r, " -> ")) << r.out;
  EXPECT_FALSE(contains(r, "Create+Write")) << r.out;
  EXPECT_EQ(dir.list(), Names{"130412-1530_IMG_1234.jpg"});
}

// A phone names its photos after the capture date: the date steps take it
// out with its separators, so that a second run has nothing to tidy.
TEST(ExifDatesCli, PhoneNamesAreStableFromTheFirstRun) {
  TempDir dir;
  photo(dir, "IMG_20130412_153044.jpg", 44);
  photo(dir, "Screenshot_20130412-153044.png", 44);
  RunResult r = runZantrel({"-i", "*.jpg"}, dir.path());
  EXPECT_TRUE(hasLine(r, "IMG.jpg")) << r.out;
  EXPECT_TRUE(hasLine(r, "IMG_20130412_153044.jpg -> 130412-1530_IMG.jpg")) << r.out;
  r = runZantrel({"-i", "-dn", "*.*"}, dir.path());
  EXPECT_TRUE(hasLine(r, "Screenshot_20130412-153044.png -> 130412-1530_Screenshot.png")) << r.out;
  const Names named = dir.list();
  EXPECT_EQ(named, (Names{"130412-1530_IMG.jpg", "130412-1530_Screenshot.png"}));
  r = runZantrel({"-i", "-dn", "*.*"}, dir.path());
  EXPECT_FALSE(contains(r, " -> ")) << r.out;
  EXPECT_EQ(dir.list(), named);
}

TEST(ExifDatesCli, ExifDateTypeUsesTheCaptureDate) {
  TempDir dir;
  photo(dir, "x.jpg", 0, "2012:01:01 10:00:00");
  dir.write("plain.jpg", "no photo");
  setLocalMtime(dir / "plain.jpg", 2013, 4, 12, 15, 30, 45);
  RunResult r = runZantrel({"-dp", "-dt=E", "*.jpg"}, dir.path());
  EXPECT_TRUE(hasLine(r, "Warning: no Exif date found, using filedate. (plain.jpg)")) << r.out;
  EXPECT_EQ(dir.list(), (Names{"120101-1000_x.jpg", "130412-1530_plain.jpg"}));
  // The default date type is the last write.
  TempDir other;
  photo(other, "x.jpg", 0, "2012:01:01 10:00:00");
  runZantrel({"-dp", "x.jpg"}, other.path());
  EXPECT_EQ(other.list(), Names{"130412-1530_x.jpg"});
}

TEST(ExifDatesCli, TwoSecondsApartIsLeftFourSecondsApartIsSet) {
  TempDir dir;
  auto near = photo(dir, "near.jpg", 46);
  auto far = photo(dir, "far.jpg", 48);
  RunResult r = runZantrel({"-de", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_FALSE(contains(r, "near.jpg Create+Write")) << r.out;
  EXPECT_TRUE(hasLine(r, "far.jpg Create+Write adjusted to: 2013-04-12 15:30:44")) << r.out;
  EXPECT_EQ(localMtimeText(near), "2013-04-12 15:30:46");
  EXPECT_EQ(localMtimeText(far), "2013-04-12 15:30:44");
  // Nothing is left to do the second time.
  r = runZantrel({"-de", "*.jpg"}, dir.path());
  EXPECT_FALSE(contains(r, "Create+Write")) << r.out;
}

TEST(ExifDatesCli, TestModeOnlyTells) {
  TempDir dir;
  auto p = photo(dir, "a.jpg", 0);
  RunResult r = runZantrel({"-de", "-t", "*.jpg"}, dir.path());
  EXPECT_TRUE(hasLine(r, "a.jpg Create+Write adjusted to: 2013-04-12 15:30:44 (test)")) << r.out;
  EXPECT_EQ(localMtimeText(p), "2013-04-12 15:30:00");
}

TEST(ExifDatesCli, TimeShiftAndLogAndNewName) {
  TempDir dir;
  auto p = photo(dir, "IMG_1.JPG", 44);
  RunResult r = runZantrel({"-i", "-ts=+01:00", "-log", "*.jpg"}, dir.path());
  EXPECT_TRUE(hasLine(r, "130412-1630_IMG_1.jpg Create+Write adjusted to: 2013-04-12 16:30:44")) << r.out;
  EXPECT_EQ(localMtimeText(dir / "130412-1630_IMG_1.jpg"), "2013-04-12 16:30:44");
  const Names files = dir.list();
  ASSERT_EQ(files.size(), 2u);  // the photo and the log
  ASSERT_EQ(files[1].rfind("_zantrel_", 0), 0u);
  EXPECT_EQ(dir.read(files[1]),
            "time\t130412-1630_IMG_1.jpg\tCreate+Write adjusted\r\n"
            "rename\tIMG_1.JPG\t130412-1630_IMG_1.jpg\tfile\r\n");
}

// -des deletes a source whose new name is taken: the times set on it went
// with it, so no line and no record names a file that is gone.
TEST(ExifDatesCli, TimesOfADeletedSourceAreNotReported) {
  TempDir dir;
  photo(dir, "IMG_1.JPG", 0);
  dir.write("130412-1530_IMG_1.jpg", "another file");
  RunResult r = runZantrel({"-i", "-des", "-log", "IMG_1.JPG"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(lines(r.out), (Names{"IMG_1.jpg", "WARNING destination exists - delete IMG_1.JPG !"}));
  EXPECT_EQ(logRecords(dir), (Names{record({"WARNING", "IMG_1.JPG", "130412-1530_IMG_1.jpg",
                                            "destination exists - delete source"})}));
  EXPECT_EQ(dir.read("130412-1530_IMG_1.jpg"), "another file");
}

TEST(ExifDatesCli, FileDatedBefore1980IsNotRenamed) {
  // Its age cannot be taken, so the EXIF-date step ends the item.
  TempDir dir;
  CameraShot shot;
  setLocalMtime(dir.write("old.jpg", cameraJpeg(shot)), 1975, 6, 1, 12, 0, 0);
  RunResult r = runZantrel({"-i", "*.jpg"}, dir.path());
  EXPECT_EQ(lines(r.out), (Names{"old.jpg", "ERROR! Filename problem: old.jpg"}));
  EXPECT_EQ(dir.list(), Names{"old.jpg"});
  EXPECT_EQ(localMtimeText(dir / "old.jpg"), "1975-06-01 12:00:00");
}

TEST(ExifDatesCli, NiceMediaLibraryPrefixesOnlyPhotosWithACaptureDate) {
  // -nice keeps Nice set through the media-library passes: a photo without
  // a capture date is filed without a date in front.
  TempDir dir;
  photo(dir, "cam/dsc1.jpg", 44);
  setLocalMtime(dir.write("cam/dsc2.jpg", "no photo"), 2013, 4, 12, 15, 30, 44);
  RunResult r = runZantrel({"-cm=" + (dir / "lib").string(), "-nice"}, dir / "cam");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(dir.list("lib/Imgs/o/2013/04"), (Names{"130412-1530_dsc1.jpg", "dsc2.jpg"})) << r.out;
}

// What selection saw of a file's time no longer holds once -st has set it:
// the EXIF-date step after it must see the new time and set the capture
// date back.
TEST(ExifDatesCli, TimeSetByTheSetTimeStepIsSeenByTheExifDateStep) {
  TempDir dir;
  photo(dir, "x.jpg", 44);
  RunResult r = runZantrel({"-st=2011-05-06", "-de", "x.jpg"}, dir.path());
  EXPECT_TRUE(hasLine(r, "x.jpg LastWriteDateTime adjusted: 2013-04-12 15:30:44 -> 2011-05-06")) << r.out;
  EXPECT_TRUE(hasLine(r, "x.jpg Create+Write adjusted to: 2013-04-12 15:30:44")) << r.out;
  EXPECT_EQ(localMtimeText(dir / "x.jpg"), "2013-04-12 15:30:44");
}

// The photo preset opens each photo once; a read-only one still ends up
// writable under its new name, and one that cannot be read is named by its
// file date.
TEST(ExifDatesCli, ReadOnlyAndUnreadablePhotos) {
  TempDir dir;
  const auto locked = photo(dir, "IMG_1.JPG", 44);
  ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
  RunResult r = runZantrel({"-i", "IMG_1.JPG"}, dir.path());
  EXPECT_TRUE(hasLine(r, "IMG_1.JPG -> 130412-1530_IMG_1.jpg")) << r.out;
  struct stat st {};
  ASSERT_EQ(::stat((dir / "130412-1530_IMG_1.jpg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);

  const auto hidden = photo(dir, "IMG_2.JPG", 44, "2001:01:01 01:01:01");
  ASSERT_EQ(::chmod(hidden.c_str(), 0200), 0);
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  r = runZantrelVia("setpriv --reuid=65534 --regid=65534 --clear-groups", {"-t", "-i", "IMG_2.JPG"}, dir.path());
  // A photo that cannot be read is not one without a capture date: it is
  // not named by its file date, but reported and left as it is.
  EXPECT_EQ(r.out, "Error: Can not read file IMG_2.JPG (Permission denied)\n") << r.err;
}

}  // namespace
