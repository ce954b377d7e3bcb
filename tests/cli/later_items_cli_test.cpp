// Each item of a pass is looked at once, and what that look told is kept
// for the item's later steps. What an earlier item changed on disk must
// still be seen by a later one: its look comes in its own turn. The
// patterns fix the order of the items.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "cli/harness.h"
#include "support/exif_builder.h"

using namespace testing_support;

namespace {

using Names = std::vector<std::string>;

std::filesystem::path photo(const TempDir& dir, const std::string& name, const std::string& taken) {
  CameraShot shot;
  shot.dateTimeOriginal = taken;
  const auto path = dir.write(name, cameraJpeg(shot));
  setLocalMtime(path, 2013, 4, 12, 15, 30, 44);
  return path;
}

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Also where the run only changes names, and so looks at most items only
// when it renames them.
TEST(LaterItemsCli, LinkToAFileRenamedBeforeItIsUnreachable) {
  for (const char* option : {"-i", "-pre=x_"}) {
    TempDir dir;
    photo(dir, "IMG_1.JPG", "2013:04:12 15:30:44");
    std::filesystem::create_symlink("IMG_1.JPG", dir / "link.jpg");
    const RunResult r = runZantrel({option, "IMG_1.JPG,link.jpg"}, dir.path());
    const Names out = lines(r.out);
    EXPECT_NE(std::find(out.begin(), out.end(), "Error: Can not find file (char-set?) (link.jpg / link.jpg)"),
              out.end())
        << option << "\n" << r.out;
    EXPECT_EQ(count(r.out, " -> "), 1u) << option << "\n" << r.out;
  }
}

TEST(LaterItemsCli, NameListedTwiceIsGoneTheSecondTime) {
  TempDir dir;
  photo(dir, "IMG_1.JPG", "2013:04:12 15:30:44");
  photo(dir, "IMG_2.JPG", "2013:04:12 15:30:44");
  const RunResult r = runZantrel({"-i", "IMG_1.JPG,IMG_2.JPG,IMG_1.JPG"}, dir.path());
  EXPECT_EQ(count(r.out, "Error: Can not find file (char-set?) (IMG_1.JPG / IMG_1.JPG)"), 1u) << r.out;
  EXPECT_EQ(dir.list(), (Names{"130412-1530_IMG_1.jpg", "130412-1530_IMG_2.jpg"}));
}

// Two names of one file: the first item sets the file's time, so the
// second finds nothing left to set.
TEST(LaterItemsCli, SecondNameOfAFileSeesTheTimeTheFirstSet) {
  TempDir dir;
  const auto first = photo(dir, "IMG_1.JPG", "2011:01:01 10:00:00");
  ASSERT_EQ(::link(first.c_str(), (dir / "IMG_2.JPG").c_str()), 0);
  const RunResult r = runZantrel({"-de", "IMG_1.JPG,IMG_2.JPG"}, dir.path());
  EXPECT_EQ(count(r.out, "Create+Write adjusted to: 2011-01-01 10:00:00"), 1u) << r.out;
  EXPECT_EQ(localMtimeText(dir / "IMG_2.JPG"), "2011-01-01 10:00:00");
}

// The first item replaces (-ded) the file that the second item names: the
// second then reads the first one's photo, which already carries its date.
TEST(LaterItemsCli, NameTakenOverByAnEarlierItemIsReadAfresh) {
  TempDir dir;
  photo(dir, "IMG_1.JPG", "2013:04:12 15:30:44");
  photo(dir, "130412-1530_IMG_1.jpg", "2001:02:03 04:05:06");
  const RunResult r = runZantrel({"-i", "-ded", "IMG_1.JPG,130412-1530_IMG_1.jpg"}, dir.path());
  EXPECT_EQ(count(r.out, " -> "), 1u) << r.out;
  EXPECT_EQ(dir.list(), Names{"130412-1530_IMG_1.jpg"});
}

}  // namespace
