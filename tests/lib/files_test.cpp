#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "cli/harness.h"
#include "lib/files.h"
#include "platform/process.h"

namespace {

using namespace zantrel;
using testing_support::TempDir;
namespace fs = std::filesystem;

std::vector<std::string> sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

size_t indexOf(const TNameList& list, const std::string& name) {
  return static_cast<size_t>(std::find(list.begin(), list.end(), name) - list.begin());
}

// a.jpg, b.JPG, c.png, a hidden file, a FIFO, a dangling link, a link to a
// file, a folder named like a match, a subtree, a hidden folder and a link
// to a folder (which must never be entered).
class Tree : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("a.jpg");
    dir.write("b.JPG");
    dir.write("c.png");
    dir.write(".hidden.jpg");
    ASSERT_EQ(::mkfifo((dir / "fifo.jpg").c_str(), 0644), 0);
    fs::create_symlink("nowhere.jpg", dir / "dangling.jpg");
    fs::create_symlink("a.jpg", dir / "link.jpg");
    dir.mkdir("folder.jpg");
    dir.write("sub/d.jpg");
    dir.write("sub/deeper/e.jpg");
    dir.write(".hid/f.jpg");
    fs::create_symlink("sub", dir / "linkdir");
    root = dir.path().string() + "/";
  }
  TempDir dir;
  std::string root;
};

TEST_F(Tree, FilesWithoutRecursionKeepTheFolderPart) {
  TNameList longs, shorts;
  EXPECT_TRUE(FindFiles83(root + "*.jpg", "", longs, shorts, false));
  EXPECT_EQ(sorted(longs), (TNameList{root + "a.jpg", root + "b.JPG", root + "link.jpg"}));
  EXPECT_EQ(longs, shorts);
}

TEST_F(Tree, FilesRecursivelyFilesOfAFolderBeforeItsSubfolders) {
  TNameList longs, shorts;
  EXPECT_TRUE(FindFiles83(root + "*.jpg", root + "*.jpg", longs, shorts, true));
  EXPECT_EQ(sorted(longs), (TNameList{root + "a.jpg", root + "b.JPG", root + "link.jpg", root + "sub/d.jpg",
                                      root + "sub/deeper/e.jpg"}));
  EXPECT_EQ(longs, shorts);
  for (const char* top : {"a.jpg", "b.JPG", "link.jpg"}) {
    EXPECT_LT(indexOf(longs, root + top), indexOf(longs, root + "sub/d.jpg"));
  }
  EXPECT_LT(indexOf(longs, root + "sub/d.jpg"), indexOf(longs, root + "sub/deeper/e.jpg"));
}

// A walk reads no further folder once a stop signal came. In a child
// process, since the signal is noted process-wide.
TEST_F(Tree, StopSignalEndsTheWalk) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    platform::prepareProcess();
    std::raise(SIGTERM);
    TNameList longs, shorts;
    TFolderListings listings;
    const bool found = FindFiles83(root + "*.jpg", "", longs, shorts, true, &listings);
    ::_exit(!found && longs.empty() && listings.folders.empty() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(Tree, FoldersRecursivelyParentsBeforeChildrenLinksListedNotEntered) {
  TNameList longs, shorts;
  EXPECT_TRUE(FindDirs83(root + "*", "", longs, shorts, true));
  EXPECT_EQ(sorted(longs),
            (TNameList{root + "folder.jpg", root + "linkdir", root + "sub", root + "sub/deeper"}));
  EXPECT_LT(indexOf(longs, root + "sub"), indexOf(longs, root + "sub/deeper"));
  EXPECT_EQ(longs, shorts);
}

TEST_F(Tree, FolderSearchEntersNonMatchingFolders) {
  TNameList longs, shorts;
  EXPECT_TRUE(FindDirs83(root + "deep*", "", longs, shorts, true));
  EXPECT_EQ(longs, (TNameList{root + "sub/deeper"}));
}

TEST_F(Tree, ListsAreSharedAndOnlyAppended) {
  TNameList longs{"earlier"}, shorts{"earlier"};
  EXPECT_TRUE(FindFiles83(root + "*.none", "", longs, shorts, false));  // earlier calls count
  EXPECT_EQ(longs.size(), 1u);
  FindFiles83(root + "a.*", "", longs, shorts, false);
  FindFiles83(root + "?.jpg", "", longs, shorts, false);
  EXPECT_EQ(std::count(longs.begin(), longs.end(), root + "a.jpg"), 2);  // duplicates stay
  EXPECT_EQ(longs, shorts);
}

// Shared listings must give every pattern of a pass exactly what a fresh
// read gives, files and folders alike.
TEST_F(Tree, SharedListingsGiveTheSameLists) {
  const std::vector<std::string> patterns = {root + "*.jpg", root + "?.*", root + "sub/*", root + "*.png"};
  for (bool folders : {false, true}) {
    TNameList freshLongs, freshShorts, sharedLongs, sharedShorts;
    TFolderListings listings;
    for (const std::string& p : patterns) {
      if (folders) {
        FindDirs83(p, "", freshLongs, freshShorts, true);
        FindDirs83(p, "", sharedLongs, sharedShorts, true, &listings);
      } else {
        FindFiles83(p, "", freshLongs, freshShorts, true);
        FindFiles83(p, "", sharedLongs, sharedShorts, true, &listings);
      }
    }
    EXPECT_EQ(sharedLongs, freshLongs);
    EXPECT_EQ(sharedShorts, freshShorts);
  }
}

TEST_F(Tree, NothingFoundAndMissingFolder) {
  TNameList longs, shorts;
  EXPECT_FALSE(FindFiles83(root + "*.none", "", longs, shorts, true));
  EXPECT_FALSE(FindFiles83(root + "missing/*.jpg", "", longs, shorts, true));
  EXPECT_FALSE(FindFiles83(root + "a.jpg/*", "", longs, shorts, false));
  EXPECT_TRUE(longs.empty());
  EXPECT_TRUE(shorts.empty());
}

TEST(Files, SizeOfFileFolderAndMissing) {
  TempDir dir;
  dir.write("five", "12345");
  const std::string big = (dir / "big").string();
  const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, 5368709120LL), 0);  // sparse: no disk space used
  ::close(fd);
  EXPECT_EQ(getFileSize((dir / "five").string()), 5);
  EXPECT_EQ(getFileSize(big), 5368709120LL);
  EXPECT_EQ(getFileSize(dir.path().string()), 0);
  EXPECT_EQ(getFileSize((dir / "missing").string()), -1);
}

TEST(Files, WriteTimeRoundTripsInLocalTime) {
  TempDir dir;
  const std::string file = dir.write("f").string();
  const DateTime summer = encodeDateTime(2013, 4, 12, 15, 30, 45, 250);
  EXPECT_TRUE(setFileTimes(file, 0, 0, summer));
  EXPECT_DOUBLE_EQ(getWriteTime(file), summer);
  const DateTime winter = encodeDateTime(2020, 1, 1, 0, 0, 1);
  EXPECT_TRUE(setFileTimes(file, 0, winter, 0));
  EXPECT_DOUBLE_EQ(getAccessTime(file), winter);
  EXPECT_DOUBLE_EQ(getWriteTime(file), summer);  // 0 left it alone
  // The same instant as the test harness writes it: local wall clock.
  testing_support::setLocalMtime(file, 2013, 7, 1, 12, 0, 0);
  EXPECT_DOUBLE_EQ(getWriteTime(file), encodeDateTime(2013, 7, 1, 12, 0, 0));
}

TEST(Files, CreationTimeAloneCannotBeSet) {
  TempDir dir;
  const std::string file = dir.write("f").string();
  const DateTime before = getWriteTime(file);
  EXPECT_FALSE(setFileTimes(file, encodeDateTime(2001, 1, 1), 0, 0));
  EXPECT_FALSE(setFileTimes((dir / "missing").string(), 0, 0, encodeDateTime(2001, 1, 1)));
  EXPECT_DOUBLE_EQ(getWriteTime(file), before);
  EXPECT_EQ(getWriteTime((dir / "missing").string()), 0.0);
}

TEST(Files, FolderTimes) {
  TempDir dir;
  const std::string folder = dir.mkdir("d").string();
  const DateTime when = encodeDateTime(2019, 5, 3, 8, 9, 10);
  EXPECT_TRUE(setFolderTimes(folder, when, when, when));
  EXPECT_DOUBLE_EQ(getFolderWriteTime(folder), when);
  EXPECT_DOUBLE_EQ(getWriteTime(folder), when);
}

TEST(Files, FileAgeAndFileExists) {
  TempDir dir;
  const std::string file = dir.write("f").string();
  testing_support::setLocalMtime(file, 2013, 4, 12, 15, 30, 45);
  EXPECT_DOUBLE_EQ(fileAge(file), encodeDateTime(2013, 4, 12, 15, 30, 44));  // even second
  EXPECT_TRUE(fileExists(file));
  testing_support::setLocalMtime(file, 1975, 1, 1, 0, 0, 0);
  EXPECT_EQ(fileAge(file), -1.0);
  EXPECT_FALSE(fileExists(file));
  EXPECT_EQ(fileAge(dir.path().string()), -1.0);
  EXPECT_FALSE(fileExists((dir / "missing").string()));
}

TEST(Files, ForceFolders) {
  TempDir dir;
  const std::string base = dir.path().string();
  EXPECT_FALSE(forceFolders(""));
  EXPECT_TRUE(forceFolders("/"));
  EXPECT_TRUE(forceFolders(base + "/a/b/c/"));
  EXPECT_TRUE(folderExists(base + "/a/b/c"));
  EXPECT_TRUE(forceFolders(base + "/a/b"));
  dir.write("file");
  EXPECT_FALSE(forceFolders(base + "/file/x"));
  EXPECT_FALSE(folderExists(base + "/file/x"));
}

}  // namespace
