// Step 5 of the pipeline: the guarded EXIF read, its two lines and the
// fall-back to the last-write time.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/settings.h"
#include "cli/harness.h"
#include "engine/steps.h"
#include "lib/datetime.h"
#include "platform/console.h"
#include "support/exif_builder.h"

using namespace zantrel;
using namespace testing_support;

namespace {

const std::string ErrorLine = "Error: Can not find Exif date? (IMG_1.JPG)";
const std::string WarningLine = "Warning: no Exif date found, using filedate. (IMG_1.JPG)";

DateTime failingReader(const TPassItem&) { throw std::runtime_error("broken maker note"); }
DateTime tooEarlyReader(const TPassItem&) { return 0.999; }  // 1899-12-30 23:58
DateTime fixedReader(const TPassItem&) { return encodeDateTime(2008, 5, 17, 14, 30, 0); }

struct StepRun {
  TPassItem item;
  std::vector<std::string> lines;
};

StepRun runStep(const std::string& path, ExifDateReader reader, const std::string& listed = "IMG_1.JPG") {
  StepRun run;
  run.item.ListedName = listed;
  run.item.AccessPath = path;
  std::string out;
  platform::captureOutput(&out);
  const StepResult result = reader ? readExifDateWith(run.item, reader) : stepExifRead(run.item);
  platform::captureOutput(nullptr);
  EXPECT_EQ(result, StepResult::Continue);
  run.lines = testing_support::lines(out);
  return run;
}

class ExifStep : public ::testing::Test {
 protected:
  void SetUp() override {
    photo_ = dir_.write("IMG_1.JPG", cameraJpeg()).string();
    setLocalMtime(photo_, 2021, 3, 4, 5, 6, 8);
  }
  const DateTime fileDate_ = encodeDateTime(2021, 3, 4, 5, 6, 8);
  TempDir dir_;
  std::string photo_;
};

TEST_F(ExifStep, CaptureDateIsTaken) {
  const StepRun run = runStep(photo_, nullptr);
  EXPECT_TRUE(run.lines.empty());
  EXPECT_FALSE(run.item.NoExifDate);
  EXPECT_DOUBLE_EQ(run.item.ExifDate, encodeDateTime(2013, 4, 12, 15, 30, 45));
  EXPECT_DOUBLE_EQ(runStep(photo_, fixedReader).item.ExifDate, encodeDateTime(2008, 5, 17, 14, 30, 0));
}

TEST_F(ExifStep, ZeroDateFallsBackToTheFileDate) {
  CameraShot shot;
  shot.dateTimeOriginal = "0000:00:00 00:00:00";
  dir_.write("IMG_1.JPG", cameraJpeg(shot));
  setLocalMtime(photo_, 2021, 3, 4, 5, 6, 8);
  const StepRun run = runStep(photo_, nullptr);
  EXPECT_EQ(run.lines, (std::vector<std::string>{WarningLine}));
  EXPECT_TRUE(run.item.NoExifDate);
  EXPECT_DOUBLE_EQ(run.item.ExifDate, fileDate_);
}

TEST_F(ExifStep, DateBeforeDayOneCountsAsNone) {
  const StepRun run = runStep(photo_, tooEarlyReader);
  EXPECT_EQ(run.lines, (std::vector<std::string>{WarningLine}));
  EXPECT_TRUE(run.item.NoExifDate);
  EXPECT_DOUBLE_EQ(run.item.ExifDate, fileDate_);
}

TEST_F(ExifStep, ReaderErrorWritesBothLinesAndGoesOn) {
  const StepRun run = runStep(photo_, failingReader);
  EXPECT_EQ(run.lines, (std::vector<std::string>{ErrorLine, WarningLine}));
  EXPECT_TRUE(run.item.NoExifDate);
  EXPECT_DOUBLE_EQ(run.item.ExifDate, fileDate_);
}

TEST_F(ExifStep, VanishedFileGivesNoDateAtAll) {
  const StepRun run = runStep((dir_ / "gone.jpg").string(), nullptr);
  EXPECT_EQ(run.lines, (std::vector<std::string>{WarningLine}));
  EXPECT_TRUE(run.item.NoExifDate);
  EXPECT_EQ(run.item.ExifDate, 0.0);
}

// With -dn the name's date stands in for a missing capture date, and only
// for a missing one; the item then counts as having a capture date.
TEST_F(ExifStep, DateFromTheNameWhereTheFileHasNone) {
  RunSettings.DateFromName = true;
  const DateTime named = encodeDateTime(2023, 5, 1, 10, 20, 30);
  const std::string listed = "2022-01-01 trip/IMG_20230501_102030.jpg";
  const std::string nameLine = "Warning: no Exif date found, using the date in the name. (" + listed + ")";

  StepRun run = runStep(photo_, tooEarlyReader, listed);
  EXPECT_EQ(run.lines, (std::vector<std::string>{nameLine}));
  EXPECT_FALSE(run.item.NoExifDate);
  EXPECT_DOUBLE_EQ(run.item.ExifDate, named);

  run = runStep(photo_, failingReader, listed);
  EXPECT_EQ(run.lines, (std::vector<std::string>{"Error: Can not find Exif date? (" + listed + ")", nameLine}));
  EXPECT_DOUBLE_EQ(run.item.ExifDate, named);

  run = runStep(photo_, fixedReader, listed);
  EXPECT_TRUE(run.lines.empty());
  EXPECT_DOUBLE_EQ(run.item.ExifDate, encodeDateTime(2008, 5, 17, 14, 30, 0));

  // The folder's date is not the file's.
  run = runStep(photo_, tooEarlyReader, "2022-01-01 trip/IMG_1.JPG");
  EXPECT_EQ(run.lines, (std::vector<std::string>{"Warning: no Exif date found, using filedate. (2022-01-01 trip/IMG_1.JPG)"}));
  EXPECT_TRUE(run.item.NoExifDate);
  EXPECT_DOUBLE_EQ(run.item.ExifDate, fileDate_);

  RunSettings.DateFromName = false;
  run = runStep(photo_, tooEarlyReader, listed);
  EXPECT_TRUE(run.item.NoExifDate);
  EXPECT_DOUBLE_EQ(run.item.ExifDate, fileDate_);
}

}  // namespace
