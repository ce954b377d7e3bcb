#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/harness.h"
#include "platform/filesystem.h"

namespace {

using testing_support::TempDir;
namespace fs = std::filesystem;

TEST(Platform, RenameNeverReplaces) {
  TempDir dir;
  const std::string a = dir.write("a", "first").string();
  const std::string b = dir.write("b", "second").string();
  EXPECT_FALSE(platform::renameNoReplace(a, b));
  EXPECT_EQ(dir.read("a"), "first");
  EXPECT_EQ(dir.read("b"), "second");
  const std::string empty = dir.mkdir("empty").string();
  const std::string full = dir.mkdir("full").string();
  EXPECT_FALSE(platform::renameNoReplace(full, empty));  // rename(2) would replace an empty folder
  EXPECT_TRUE(fs::is_directory(full));
}

TEST(Platform, RenameCaseOnlyAndOntoItself) {
  TempDir dir;
  const std::string upper = dir.write("IMG_1.JPG", "photo").string();
  EXPECT_TRUE(platform::renameNoReplace(upper, upper));
  EXPECT_TRUE(platform::renameNoReplace(upper, (dir / "img_1.jpg").string()));
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"img_1.jpg"}));
  // A second hard link is the same object, but its name would stay: the
  // rename fails and nothing is touched.
  fs::create_hard_link(dir / "img_1.jpg", dir / "twin.jpg");
  EXPECT_TRUE(platform::sameObject((dir / "img_1.jpg").string(), (dir / "twin.jpg").string()));
  EXPECT_FALSE(platform::renameNoReplace((dir / "img_1.jpg").string(), (dir / "twin.jpg").string()));
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"img_1.jpg", "twin.jpg"}));
}

TEST(Platform, ReplacingRenameTakesOnlyAFileOfAnotherObject) {
  TempDir dir;
  const std::string a = dir.write("a", "new").string();
  const std::string b = dir.write("b", "old").string();
  const std::string folder = dir.mkdir("folder").string();
  EXPECT_FALSE(platform::renameReplacingFile(a, folder));
  EXPECT_FALSE(platform::renameReplacingFile(a, (dir / "missing").string()));
  EXPECT_FALSE(platform::renameReplacingFile(a, a));
  EXPECT_TRUE(platform::renameReplacingFile(a, b));
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"b", "folder"}));
  EXPECT_EQ(dir.read("b"), "new");
}

TEST(Platform, SameObjectDoesNotFollowLinks) {
  TempDir dir;
  dir.write("a");
  fs::create_symlink("a", dir / "l");
  EXPECT_FALSE(platform::sameObject((dir / "a").string(), (dir / "l").string()));
  EXPECT_FALSE(platform::sameObject((dir / "a").string(), (dir / "missing").string()));
}

TEST(Platform, ReadOnlyClearingKeepsOtherBits) {
  TempDir dir;
  const std::string file = dir.write("f").string();
  ASSERT_EQ(::chmod(file.c_str(), 0445), 0);
  EXPECT_TRUE(platform::isReadOnly(file));
  EXPECT_TRUE(platform::clearReadOnly(file));
  EXPECT_FALSE(platform::isReadOnly(file));
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0645u);
}

TEST(Platform, AppendToFile) {
  TempDir dir;
  const std::string file = (dir / "log").string();
  EXPECT_TRUE(platform::appendToFile(file, "one\r\n"));
  EXPECT_TRUE(platform::appendToFile(file, "two\r\n"));
  EXPECT_EQ(dir.read("log"), "one\r\ntwo\r\n");
  dir.mkdir("folder");
  EXPECT_FALSE(platform::appendToFile((dir / "folder").string(), "x"));
}

}  // namespace
