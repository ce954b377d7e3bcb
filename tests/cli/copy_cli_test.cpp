// Whole-program tests of -copy and of the -cm media library.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "cli/harness.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Every file below folder, as paths relative to it, sorted.
std::vector<std::string> filesBelow(const fs::path& folder) {
  std::vector<std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    if (e.is_regular_file()) files.push_back(fs::relative(e.path(), folder).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

time_t mtimeOf(const fs::path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return st.st_mtime;
}

TEST(CopyCli, NumbersItsWayToAFreeName) {
  TempDir dir;
  dir.write("src/IMG_1.JPG", "photo");
  dir.write("img_1.jpg", "first");
  dir.write("img_1_1.jpg", "second");
  RunResult r = runZantrel({"-copy", "-l", "-log", "src/*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "File copied to: img_1_2.jpg\n");
  EXPECT_EQ(dir.read("img_1_2.jpg"), "photo");
  EXPECT_EQ(dir.read("img_1.jpg"), "first");
  EXPECT_EQ(dir.read("img_1_1.jpg"), "second");
  EXPECT_EQ(dir.read("src/IMG_1.JPG"), "photo");
  std::string log;
  for (const auto& name : dir.list()) {
    if (name.rfind("_zantrel_", 0) == 0) log = dir.read(name);
  }
  EXPECT_EQ(log, "copy\tsrc/IMG_1.JPG\timg_1_2.jpg\tsrc/IMG_1.JPG\r\n");
}

TEST(CopyCli, KeepsTheSourceTimeAndLeavesTheSource) {
  TempDir dir;
  dir.write("src/a.jpg", "photo");
  setLocalMtime(dir / "src/a.jpg", 2013, 4, 12, 15, 30, 45);
  RunResult r = runZantrel({"-copy", "-pre=x_", "src/*.jpg"}, dir.path());
  EXPECT_EQ(r.out, "File copied to: x_a.jpg\n");
  EXPECT_EQ(mtimeOf(dir / "x_a.jpg"), mtimeOf(dir / "src/a.jpg"));
  EXPECT_TRUE(dir.exists("src/a.jpg"));
}

TEST(CopyCli, TestModeCopiesNothing) {
  TempDir dir;
  dir.write("src/IMG_1.JPG", "photo");
  RunResult r = runZantrel({"-copy", "-t", "-l", "src/*.jpg"}, dir.path());
  EXPECT_EQ(r.out, "Copy to: img_1.jpg (test)\n");
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"src"}));
}

TEST(CopyCli, MediaLibraryFilesByKindAndDate) {
  TempDir dir;
  dir.write("cam/a.jpg", "image");
  dir.write("cam/clip.3gp", "video");
  dir.write("cam/song.m4p", "audio");
  dir.write("cam/tune.mp3", "music");
  dir.write("cam/notes.txt", "none");
  for (const char* f : {"cam/a.jpg", "cam/clip.3gp", "cam/song.m4p", "cam/tune.mp3", "cam/notes.txt"})
    setLocalMtime(dir / f, 2024, 1, 31, 10, 5, 0);
  RunResult r = runZantrel({"-cm=" + (dir / "lib").string()}, dir / "cam");
  EXPECT_EQ(r.exitCode, 0);
  const auto files = filesBelow(dir / "lib");
  // The video stage (date in front) and the music stage (no date) both
  // select *.3gp, so the clip is filed twice under two names.
  EXPECT_EQ(files, (std::vector<std::string>{"Audio/2024/song.m4p", "Imgs/o/2024/01/240131-1005_a.jpg",
                                             "Music/2024/tune.mp3", "Video/20240131_clip/20240131_clip.3gp",
                                             "Video/clip/clip.3gp"}))
      << r.out;
  EXPECT_TRUE(contains(r.out, "File copied to: "));
  EXPECT_FALSE(contains(r.out, "notes"));

  // A second run finds every copy in place and copies nothing.
  RunResult again = runZantrel({"-cm=" + (dir / "lib").string()}, dir / "cam");
  EXPECT_FALSE(contains(again.out, "File copied to: "));
  EXPECT_EQ(std::count(again.out.begin(), again.out.end(), '\n') >= 4, true);
  EXPECT_TRUE(contains(again.out, "File exists (skipping): " + (dir / "lib").string() + "/"));
  EXPECT_EQ(filesBelow(dir / "lib"), files);
}

TEST(CopyCli, MediaLibraryTimeShiftMovesTheYear) {
  TempDir dir;
  dir.write("cam/clip.mp3", "music");
  setLocalMtime(dir / "cam/clip.mp3", 2023, 12, 31, 23, 30, 0);
  runZantrel({"-cm=" + (dir / "lib").string(), "-ts=+01:00"}, dir / "cam");
  const auto files = filesBelow(dir / "lib");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].rfind("Music/2024/", 0), 0u);
}

TEST(CopyCli, DefaultLibraryIsInTheHomeFolder) {
  TempDir dir;
  dir.write("cam/tune.mp3", "music");
  setLocalMtime(dir / "cam/tune.mp3", 2020, 5, 1, 12, 0, 0);
  RunResult r = runZantrel({"-cm"}, dir / "cam", {{"HOME", (dir / "home").string()}});
  EXPECT_EQ(r.out, "File copied to: " + (dir / "home").string() + "/Media/Music/2020/tune.mp3\n");
  EXPECT_EQ(dir.read("home/Media/Music/2020/tune.mp3"), "music");
}

TEST(CopyCli, MediaLibraryTestModeCreatesNothing) {
  TempDir dir;
  dir.write("cam/tune.mp3", "music");
  setLocalMtime(dir / "cam/tune.mp3", 2020, 5, 1, 12, 0, 0);
  RunResult r = runZantrel({"-cm=" + (dir / "lib").string(), "-t"}, dir / "cam");
  const std::string dest = (dir / "lib").string() + "/Music/2020/tune.mp3";
  EXPECT_EQ(r.out, "Copy from: tune.mp3\nto: " + dest + "\n(test - nothing copied)\n");
  EXPECT_FALSE(dir.exists("lib"));
}

TEST(CopyCli, MediaFolderThatCannotBeMade) {
  TempDir dir;
  dir.write("cam/tune.mp3", "music");
  dir.write("blocker", "a file where a folder should be");
  setLocalMtime(dir / "cam/tune.mp3", 2020, 5, 1, 12, 0, 0);
  RunResult r = runZantrel({"-cm=" + (dir / "blocker/lib").string()}, dir / "cam");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "tune.mp3 Error make directory: " + (dir / "blocker/lib").string() + "/Music/2020/\n");
}

// A library on a file system too small for the file: the copy fails
// half-way, is reported, and leaves no truncated file behind. The tiny file
// system is mounted in a private mount namespace that only this run sees.
TEST(CopyCli, FailedCopyLeavesNoPartialFile) {
  TempDir dir;
  dir.write("cam/big.mp3", std::string(1 << 20, 'm'));
  dir.write("cam/small.mp3", "small");
  for (const char* f : {"cam/big.mp3", "cam/small.mp3"}) setLocalMtime(dir / f, 2020, 5, 1, 12, 0, 0);
  dir.mkdir("lib");
  const std::string script =
      "mount -t tmpfs -o size=64k tmpfs ../lib || exit 77; \"$0\" \"$@\"; code=$?; "
      "ls -R ../lib > ../listing; exit $code";
  RunResult r = runProgramFile("/usr/bin/unshare",
                               {"--mount", "sh", "-c", script, ZANTREL_BINARY, "-cm=" + (dir / "lib").string()},
                               dir / "cam");
  if (r.exitCode == 77 || contains(r.err, "unshare")) GTEST_SKIP() << "no permission to mount a private tmpfs";
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(contains(r.out, "ERROR! Failed to copy: big.mp3\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "File copied to: ")) << r.out;
  const std::string listing = dir.read("listing");
  EXPECT_FALSE(contains(listing, "big.mp3")) << listing;
  EXPECT_TRUE(contains(listing, "small.mp3")) << listing;
}

}  // namespace
