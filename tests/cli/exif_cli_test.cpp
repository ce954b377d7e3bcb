// Whole-program tests of the EXIF read: which photos yield a capture date
// and which fall back to their file date with a warning, and broken files
// that must not stop a run.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/harness.h"
#include "support/exif_builder.h"

using namespace testing_support;

namespace {

using Names = std::vector<std::string>;

std::string warning(const std::string& name) { return "Warning: no Exif date found, using filedate. (" + name + ")"; }

// The warning lines of the output, sorted; every one must come right
// before the test line of its own file. The runs read dates with -dt=E
// alone, so that no date step writes a line in between.
Names warnedFiles(const RunResult& r) {
  const Names out = lines(r.out);
  Names warned;
  for (size_t i = 0; i < out.size(); ++i) {
    const std::string& line = out[i];
    if (line.rfind("Warning: ", 0) != 0) continue;
    const std::string name = line.substr(line.rfind('(') + 1, line.size() - line.rfind('(') - 2);
    EXPECT_EQ(line, warning(name));
    EXPECT_TRUE(i + 1 < out.size() && out[i + 1].rfind(name + " -> ", 0) == 0) << line;
    warned.push_back(name);
  }
  std::sort(warned.begin(), warned.end());
  return warned;
}

std::string datedTiff(bool bigEndian = false) {
  CameraShot shot;
  shot.bigEndian = bigEndian;
  shot.gps = shot.interop = shot.thumbnail = false;
  return cameraTiff(shot);
}

TEST(ExifCli, CapturedPhotosAreReadOthersWarned) {
  TempDir dir;
  CameraShot bigEndian;
  bigEndian.bigEndian = true;
  CameraShot zero;
  zero.dateTimeOriginal = "0000:00:00 00:00:00";
  CameraShot invalid;
  invalid.dateTimeOriginal = "2007:02:29 00:00:00";
  CameraShot onlyDateTime;
  onlyDateTime.dateTimeOriginal.clear();
  onlyDateTime.dateTimeDigitized.clear();

  dir.write("IMG_1234.JPG", cameraJpeg());
  dir.write("mm.jpeg", cameraJpeg(bigEndian));
  dir.write("raw.nef", cameraTiff());
  dir.write("scan.TIF", cameraTiff(bigEndian));
  dir.write("datetime.jpg", cameraJpeg(onlyDateTime));
  dir.write("commented.jpg", JpegBuilder().app0().comment().dqt().sof().app1Exif(datedTiff()).build());
  dir.write("jfif.jpg", JpegBuilder().app0().app1Exif(datedTiff(true)).dqt().build());
  dir.write("zero.jpg", cameraJpeg(zero));
  dir.write("invalid.jpg", cameraJpeg(invalid));
  dir.write("plain.jpg", JpegBuilder().app0().dqt().sof().dht().build());
  dir.write("xmp.jpg", JpegBuilder().app1Xmp().app1Exif(datedTiff()).build());
  dir.write("fifth.jpg", JpegBuilder().app0().dqt().dht().sof().app1Exif(datedTiff()).build());
  dir.write("photo.png", cameraJpeg());  // the extension decides: not read
  const Names before = dir.list();

  const RunResult r = runZantrel({"-t", "-dt=E", "-pre=x_", "*.*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(warnedFiles(r), (Names{"fifth.jpg", "invalid.jpg", "photo.png", "plain.jpg", "xmp.jpg", "zero.jpg"}));
  EXPECT_EQ(r.out.find("Error:"), std::string::npos);
  EXPECT_NE(r.out.find("IMG_1234.JPG -> x_IMG_1234"), std::string::npos);
  EXPECT_EQ(dir.list(), before);
}

TEST(ExifCli, ExifDateTypeReadsToo) {
  TempDir dir;
  dir.write("a.jpg", cameraJpeg());
  dir.write("b.jpg", JpegBuilder().comment().build());
  const RunResult r = runZantrel({"-t", "-dt=E", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(warnedFiles(r), (Names{"b.jpg"}));
  // Without an EXIF date type nothing is read and nothing is warned.
  const RunResult plain = runZantrel({"-t", "-dt=W", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(warnedFiles(plain), Names{});
}

TEST(ExifCli, PhotoWithAnOldFileDateIsStillRead) {
  TempDir dir;
  setLocalMtime(dir.write("old.jpg", cameraJpeg()), 1975, 6, 1, 12, 0, 0);
  const RunResult r = runZantrel({"-t", "-dt=E", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(lines(r.out), (Names{"old.jpg -> x_old.jpg (test)"}));
}

TEST(ExifCli, BrokenFilesNeverStopTheRun) {
  TempDir dir;
  const std::string camera = cameraJpeg();
  TiffBuilder loop(true);
  const int ifd0 = loop.addDirectory();
  const int exif = loop.addDirectory();
  loop.pointer(ifd0, TagExifOffset, exif).pointer(exif, TagInteropOffset, ifd0).pointer(exif, TagGpsInfo, exif);
  loop.ascii(exif, TagDateTimeOriginal, "2008:05:17 14:30:00");
  TiffBuilder huge;
  const int big = huge.addDirectory();
  huge.rawEntry(big, TagDateTime, TiffDouble, 0xFFFFFFFFu, 0xFFFFFFF0u).claimEntries(big, 5000);

  dir.write("cut.jpg", camera.substr(0, camera.size() / 2));
  dir.write("soi.jpg", camera.substr(0, 2));
  dir.write("empty.jpg", "");
  dir.write("zero-length.jpg", std::string("\xFF\xD8\xFF\xE1\0\0", 6) + camera);
  dir.write("loop.jpg", JpegBuilder().app1Exif(loop.build()).build());
  dir.write("loop.tif", loop.build());
  dir.write("huge.jpg", JpegBuilder().app1Exif(huge.build()).build());
  dir.write("huge.nef", huge.build());
  dir.write("text.tif", "just some text");
  const RunResult r = runZantrel({"-t", "-dt=E", "-pre=x_", "*.*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(warnedFiles(r), (Names{"empty.jpg", "huge.jpg", "huge.nef", "soi.jpg", "text.tif", "zero-length.jpg"}));
  for (const std::string& name : dir.list()) {
    EXPECT_NE(r.out.find(name + " -> x_" + name + " (test)"), std::string::npos) << name;
  }
}

}  // namespace
