// Whole-program tests of -dn: files whose capture date was stripped by a
// phone or messenger take the date written in their names.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/harness.h"
#include "support/exif_builder.h"

using namespace testing_support;

namespace {

using Names = std::vector<std::string>;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string nameWarning(const std::string& name) {
  return "Warning: no Exif date found, using the date in the name. (" + name + ")";
}
std::string fileWarning(const std::string& name) {
  return "Warning: no Exif date found, using filedate. (" + name + ")";
}

// Messages leave out a time of exactly midnight.
std::string shownDate(const std::string& date) {
  return date.ends_with(" 00:00:00") ? date.substr(0, 10) : date;
}

// Every file was last written (copied off the phone) on 2021-03-04 05:06:08.
void writeCopiedFile(const TempDir& dir, const std::string& name, const std::string& bytes = "no metadata") {
  setLocalMtime(dir.write(name, bytes), 2021, 3, 4, 5, 6, 8);
}

struct Layout {
  const char* name;
  const char* renamed;  // by -i -dn
  const char* date;     // the file time -de sets
};

// The date prefix, and the old-date removal taking out what it knows of the
// name's rendering.
const Layout Layouts[] = {
    {"IMG-20230501-WA0001.jpg", "230501-0000_IMG-WA0001.jpg", "2023-05-01 00:00:00"},
    {"VID-20230501-WA0003.mp4", "230501-0000_VID-WA0003.mp4", "2023-05-01 00:00:00"},
    {"PXL_20230501_102030123.jpg", "230501-1020_PXL_123.jpg", "2023-05-01 10:20:30"},
    {"IMG_20230501_102030.jpg", "230501-1020_IMG.jpg", "2023-05-01 10:20:30"},
    {"VID_20230501_102031.mp4", "230501-1020_VID.mp4", "2023-05-01 10:20:31"},
    {"Screenshot_20230501-102030.png", "230501-1020_Screenshot.png", "2023-05-01 10:20:30"},
    {"signal-2023-05-01-102030.jpg", "230501-1020_signal-2030.jpg", "2023-05-01 10:20:30"},
    {"2023-05-01 10.20.30.jpg", "230501-1020_20_30.jpg", "2023-05-01 10:20:30"},
};

// Names that hold no date: a counter, impossible dates, a bad clock, the
// future, a date inside a longer digit run, years out of range.
const char* const NearMisses[] = {
    "IMG_20230.jpg",          "IMG_20231340.jpg",    "IMG_20230229.jpg",  "IMG_20230501_250000.jpg",
    "IMG_20991231.jpg",       "IMG_120230501.jpg",   "IMG_19891231.jpg",  "IMG_21000101.jpg",
};

TEST(DateFromNameCli, TestRunShowsTheDateOfEveryLayoutAndTheFileDateOfNearMisses) {
  TempDir dir;
  for (const Layout& l : Layouts) writeCopiedFile(dir, l.name);
  for (const char* name : NearMisses) writeCopiedFile(dir, name);
  const Names before = dir.list();

  RunResult r = runZantrel({"-t", "-i", "-dn", "*.*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  for (const Layout& l : Layouts) {
    EXPECT_TRUE(hasOutputLine(r, nameWarning(l.name))) << r.out;
    EXPECT_FALSE(hasOutputLine(r, fileWarning(l.name))) << l.name;
    EXPECT_TRUE(hasOutputLine(r, std::string(l.name) + " -> " + l.renamed + " (test)")) << r.out;
  }
  for (const char* name : NearMisses) {
    EXPECT_TRUE(hasOutputLine(r, fileWarning(name))) << r.out;
    EXPECT_FALSE(hasOutputLine(r, nameWarning(name))) << name;
    EXPECT_TRUE(hasOutputLine(r, std::string(name) + " -> 210304-0506_" + name + " (test)")) << r.out;
  }
  EXPECT_EQ(dir.list(), before);
}

TEST(DateFromNameCli, WithoutTheOptionEveryFileKeepsItsFileDate) {
  TempDir dir;
  for (const Layout& l : Layouts) writeCopiedFile(dir, l.name);
  RunResult r = runZantrel({"-t", "-i", "*.*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_FALSE(contains(r.out, "date in the name")) << r.out;
  for (const Layout& l : Layouts) {
    EXPECT_TRUE(hasOutputLine(r, fileWarning(l.name))) << r.out;
    EXPECT_TRUE(contains(r.out, std::string(l.name) + " -> 210304-0506_")) << r.out;
  }
}

TEST(DateFromNameCli, ACaptureDateInTheFileWinsOverTheName) {
  TempDir dir;
  CameraShot shot;
  shot.dateTimeOriginal = "2013:04:12 15:30:44";
  writeCopiedFile(dir, "IMG_20230501_102030.jpg", cameraJpeg(shot));
  RunResult r = runZantrel({"-t", "-i", "-dn", "*.jpg"}, dir.path());
  EXPECT_FALSE(contains(r.out, "Warning")) << r.out;
  EXPECT_TRUE(contains(r.out, "IMG_20230501_102030.jpg -> 130412-1530_")) << r.out;
}

TEST(DateFromNameCli, RenamesAndDatesTheFilesAndASecondRunChangesNothing) {
  TempDir dir;
  for (const Layout& l : Layouts) writeCopiedFile(dir, l.name);
  RunResult r = runZantrel({"-i", "-dn", "*.*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out;
  Names expected;
  for (const Layout& l : Layouts) {
    expected.push_back(l.renamed);
    EXPECT_TRUE(hasOutputLine(r, std::string(l.renamed) + " Create+Write adjusted to: " + shownDate(l.date))) << r.out;
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(dir.list(), expected);
  for (const Layout& l : Layouts) EXPECT_EQ(localMtimeText(dir / l.renamed), l.date) << l.renamed;

  r = runZantrel({"-i", "-dn", "*.*"}, dir.path());
  EXPECT_FALSE(contains(r.out, " -> ")) << r.out;
  EXPECT_FALSE(contains(r.out, "Create+Write")) << r.out;
  EXPECT_EQ(dir.list(), expected);
}

TEST(DateFromNameCli, FileTimesAloneAndTheTimeShift) {
  TempDir dir;
  writeCopiedFile(dir, "IMG_20230501_102030.jpg");
  writeCopiedFile(dir, "IMG-20230502-WA0001.jpg");
  RunResult r = runZantrel({"-de", "-dn", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(dir.list(), (Names{"IMG-20230502-WA0001.jpg", "IMG_20230501_102030.jpg"}));
  EXPECT_EQ(localMtimeText(dir / "IMG_20230501_102030.jpg"), "2023-05-01 10:20:30");
  EXPECT_EQ(localMtimeText(dir / "IMG-20230502-WA0001.jpg"), "2023-05-02 00:00:00");

  TempDir shifted;
  writeCopiedFile(shifted, "IMG_20230501_102030.jpg");
  r = runZantrel({"-t", "-i", "-dn", "-ts=+01:00", "*.jpg"}, shifted.path());
  EXPECT_TRUE(hasOutputLine(r, "IMG_20230501_102030.jpg -> 230501-1120_IMG_102030.jpg (test)")) << r.out;
  EXPECT_TRUE(hasOutputLine(r, "230501-1120_IMG_102030.jpg Create+Write adjusted to: 2023-05-01 11:20:30 (test)")) << r.out;
}

TEST(DateFromNameCli, MediaLibraryFilesByTheDateInTheName) {
  TempDir dir;
  writeCopiedFile(dir, "IMG-20230501-WA0001.jpg");
  writeCopiedFile(dir, "Screenshot_20221224-183000.png");
  writeCopiedFile(dir, "IMG_20230.jpg");
  RunResult r = runZantrel({"-cm", "-dn"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(dir.list(".home/Media/Imgs/o/2023/05"), Names{"230501-0000_IMG-WA0001.jpg"});
  EXPECT_EQ(dir.list(".home/Media/Imgs/o/2022/12"), Names{"221224-1830_Screenshot.png"});
  EXPECT_EQ(dir.list(".home/Media/Imgs/o/2021/03"), Names{"210304-0506_IMG_20230.jpg"});

  r = runZantrel({"-cm", "-dn"}, dir.path());
  EXPECT_FALSE(contains(r.out, "File copied to")) << r.out;
  EXPECT_TRUE(contains(r.out, "File exists (skipping): ")) << r.out;

  // Without -dn the library goes by the day of the copy.
  TempDir plain;
  writeCopiedFile(plain, "IMG-20230501-WA0001.jpg");
  runZantrel({"-cm"}, plain.path());
  EXPECT_EQ(plain.list(".home/Media/Imgs/o/2021/03"), Names{"210304-0506_IMG-20230501-WA0001.jpg"});
}

TEST(DateFromNameCli, WhereNoCaptureDateIsReadItSaysSoAndChangesNothing) {
  TempDir dir;
  writeCopiedFile(dir, "IMG_20230501_102030.jpg");
  RunResult r = runZantrel({"-t", "-dp", "-dn", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(contains(r.err, "-dn changes nothing")) << r.err;
  EXPECT_TRUE(hasOutputLine(r, "IMG_20230501_102030.jpg -> 210304-0506_IMG_20230501_102030.jpg (test)")) << r.out;
  for (const char* mode : {"-i", "-de", "-dt=E"}) {
    EXPECT_EQ(runZantrel({"-t", mode, "-dn", "*.jpg"}, dir.path()).err, "") << mode;
  }
}

}  // namespace
