// The time-stamp steps called directly on items, for what needs an EXIF
// date (the EXIF-date step) or is awkward to reach through a whole run.
#include <gtest/gtest.h>

#include "app/settings.h"
#include "cli/harness.h"
#include "engine/steps.h"
#include "platform/console.h"

using namespace zantrel;
using namespace testing_support;

namespace {

class ExifDateStep : public ::testing::Test {
 protected:
  void SetUp() override {
    resetSettings();
    RunSettings.DateExif = true;
    RunSettings.ReadExif = true;
    path_ = dir_.write("IMG_1.JPG").string();
    setLocalMtime(path_, 2013, 4, 12, 15, 30, 44);
    item_.ListedName = item_.AccessPath = item_.ShortName = path_;
    item_.NewPath = (dir_ / "130412-1530_img_1.jpg").string();
  }
  void TearDown() override {
    platform::captureOutput(nullptr);
    resetSettings();
    RunSettings.LogFileName.clear();
  }

  // Runs the step with the given EXIF date and returns what it printed.
  std::string run(DateTime exifDate, StepResult expected = StepResult::Continue) {
    item_.ExifDate = exifDate;
    std::string out;
    platform::captureOutput(&out);
    EXPECT_EQ(stepFileDatesFromExif(item_), expected);
    // What the commit reports once the file has its new name.
    reportExifTimes(item_, item_.NewPath);
    platform::captureOutput(nullptr);
    return out;
  }

  TempDir dir_;
  std::string path_;
  TPassItem item_;
};

TEST_F(ExifDateStep, UpToThreeSecondsCountAsTheSameTime) {
  EXPECT_EQ(run(encodeDateTime(2013, 4, 12, 15, 30, 46)), "");
  EXPECT_EQ(run(encodeDateTime(2013, 4, 12, 15, 30, 47)), "");
  EXPECT_EQ(run(encodeDateTime(2013, 4, 12, 15, 30, 41)), "");
  EXPECT_EQ(localMtimeText(path_), "2013-04-12 15:30:44");
}

TEST_F(ExifDateStep, FourSecondsAwaySetsTheTimeOnceOnly) {
  const DateTime exif = encodeDateTime(2013, 4, 12, 15, 30, 48);
  EXPECT_EQ(run(exif), item_.NewPath + " Create+Write adjusted to: 2013-04-12 15:30:48\n");
  EXPECT_EQ(localMtimeText(path_), "2013-04-12 15:30:48");
  // A second run finds the file dated already.
  EXPECT_EQ(run(exif), "");
  // An odd second of the EXIF date is still within reach of the even
  // second that the file's age is cut to.
  const DateTime odd = encodeDateTime(2014, 1, 2, 3, 4, 5);
  EXPECT_EQ(run(odd), item_.NewPath + " Create+Write adjusted to: 2014-01-02 03:04:05\n");
  EXPECT_EQ(run(odd), "");
}

TEST_F(ExifDateStep, TestModeOnlyTells) {
  RunSettings.Test = true;
  EXPECT_EQ(run(encodeDateTime(2013, 4, 12, 15, 30, 48)),
            item_.NewPath + " Create+Write adjusted to: 2013-04-12 15:30:48 (test)\n");
  EXPECT_EQ(localMtimeText(path_), "2013-04-12 15:30:44");
}

TEST_F(ExifDateStep, TimeShiftIsAdded) {
  RunSettings.TimeShift = 1.0 / 24;
  EXPECT_EQ(run(encodeDateTime(2013, 4, 12, 15, 30, 44)),
            item_.NewPath + " Create+Write adjusted to: 2013-04-12 16:30:44\n");
  EXPECT_EQ(localMtimeText(path_), "2013-04-12 16:30:44");
}

TEST_F(ExifDateStep, WritesTheLogLine) {
  RunSettings.WriteLog = true;
  RunSettings.LogFileName = (dir_ / "run.log").string();
  run(encodeDateTime(2013, 4, 12, 15, 30, 48));
  EXPECT_EQ(dir_.read("run.log"), "time\t" + item_.NewPath + "\tCreate+Write adjusted\r\n");
}

TEST_F(ExifDateStep, MissingOrUndatableFileEndsTheItem) {
  item_.AccessPath = (dir_ / "gone.jpg").string();
  EXPECT_EQ(run(encodeDateTime(2013, 4, 12), StepResult::EndItem), "ERROR! Filename problem: " + item_.AccessPath + "\n");
  // A last-write year before 1980 is out of reach of the file's age.
  item_.AccessPath = path_;
  setLocalMtime(path_, 1975, 1, 1, 0, 0, 0);
  EXPECT_EQ(run(encodeDateTime(2013, 4, 12), StepResult::EndItem), "ERROR! Filename problem: " + path_ + "\n");
  EXPECT_EQ(localMtimeText(path_), "1975-01-01 00:00:00");
}

TEST(FolderMedianDate, PlainFilesDirectlyInside) {
  TempDir dir;
  EXPECT_EQ(folderMedianDate((dir / "missing").string()), 0.0);
  EXPECT_EQ(folderMedianDate(dir.path().string()), 0.0);
  setLocalMtime(dir.write(".hidden"), 2020, 1, 1, 0, 0, 0);
  dir.mkdir("sub");
  setLocalMtime(dir.write("sub/deep"), 2020, 1, 1, 0, 0, 0);
  EXPECT_EQ(folderMedianDate(dir.path().string()), 0.0);
  setLocalMtime(dir.write("b"), 2024, 5, 2, 10, 0, 3);
  EXPECT_EQ(folderMedianDate(dir.path().string()), encodeDateTime(2024, 5, 2, 10, 0, 2));
  setLocalMtime(dir.write("a"), 2024, 5, 1, 10, 0, 0);
  setLocalMtime(dir.write("c"), 2024, 5, 3, 0, 0, 0);
  EXPECT_EQ(folderMedianDate(dir.path().string() + "/"), encodeDateTime(2024, 5, 2, 10, 0, 2));
}

}  // namespace
