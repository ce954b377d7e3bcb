#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>

#include <cstdlib>
#include <filesystem>

#include "cli/harness.h"
#include "platform/files.h"
#include "platform/filesystem.h"
#include "platform/input_file.h"

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

TEST(Platform, SameObjectByEitherPathFollowedOrNot) {
  TempDir dir;
  dir.write("a");
  dir.write("b");
  fs::create_symlink("a", dir / "to-a");
  fs::create_symlink("a", dir / "also-to-a");
  fs::create_symlink("to-a", dir / "to-to-a");
  fs::create_hard_link(dir / "a", dir / "twin");
  fs::create_symlink("missing", dir / "dangling");
  auto same = [&](const char* x, const char* y) {
    return platform::leadToSameObject((dir / x).string(), (dir / y).string());
  };
  EXPECT_TRUE(same("a", "to-a"));
  EXPECT_TRUE(same("to-a", "a"));
  EXPECT_TRUE(same("to-a", "also-to-a"));
  EXPECT_TRUE(same("to-to-a", "a"));
  EXPECT_TRUE(same("twin", "to-a"));
  EXPECT_FALSE(same("a", "b"));
  EXPECT_FALSE(same("to-a", "b"));
  EXPECT_FALSE(same("dangling", "a"));
  EXPECT_FALSE(same("a", "missing"));
}

TEST(Platform, ModeAndTimesNeverChangeThroughALink) {
  TempDir dir;
  const std::string target = dir.write("target").string();
  ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
  const std::string link = (dir / "link").string();
  fs::create_symlink("target", link);
  const zantrel::DateTime before = platform::writeTime(target);
  EXPECT_FALSE(platform::isReadOnly(link));
  EXPECT_TRUE(platform::clearReadOnly(link));
  EXPECT_TRUE(platform::setTimes(link, 0, zantrel::encodeDateTime(2001, 2, 3, 4, 5, 6)));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  EXPECT_EQ(platform::writeTime(target), before);
  EXPECT_EQ(platform::writeTime(link), before);
  EXPECT_EQ(platform::writeTime(link, platform::Links::Itself), zantrel::encodeDateTime(2001, 2, 3, 4, 5, 6));
  EXPECT_EQ(platform::fileAge(link, platform::Links::Itself), zantrel::encodeDateTime(2001, 2, 3, 4, 5, 6));
  fs::create_symlink("missing", dir / "dangling");
  EXPECT_EQ(platform::fileAge((dir / "dangling").string(), platform::Links::Itself), -1.0);
}

// What a run finds at the log's name decides whether it writes there.
TEST(Platform, RecordFileTakesOnlyAPlainFileOfTheUsersOwn) {
  TempDir dir;
  using State = platform::RecordFile::State;
  platform::RecordFile log;
  const std::string path = (dir / "log").string();
  EXPECT_EQ(log.open(path), State::NotThere);
  EXPECT_FALSE(fs::exists(path)) << "looking creates nothing";
  EXPECT_TRUE(log.append("one\r\n"));
  EXPECT_TRUE(log.append("two\r\n"));
  EXPECT_EQ(dir.read("log"), "one\r\ntwo\r\n");
  EXPECT_EQ(log.open(path), State::Open);
  EXPECT_TRUE(log.append("three\r\n"));
  log.close();
  EXPECT_EQ(dir.read("log"), "one\r\ntwo\r\nthree\r\n");

  dir.mkdir("folder");
  fs::create_symlink("log", dir / "link");
  fs::create_symlink("nowhere", dir / "dangling");
  fs::create_hard_link(dir / "log", dir / "second-name");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0666), 0);
  for (const char* refused : {"folder", "link", "dangling", "second-name", "fifo"}) {
    SCOPED_TRACE(refused);
    EXPECT_EQ(log.open((dir / refused).string()), State::Refused);
    EXPECT_FALSE(log.append("x\r\n"));
  }
  EXPECT_FALSE(fs::exists(dir / "nowhere"));
  EXPECT_EQ(dir.read("log"), "one\r\ntwo\r\nthree\r\n");
}

TEST(Platform, RecordFileLooksAgainAtWhatTookTheNameMeanwhile) {
  TempDir dir;
  platform::RecordFile log;
  const std::string path = (dir / "log").string();
  ASSERT_EQ(log.open(path), platform::RecordFile::State::NotThere);
  dir.write("target", "kept");
  fs::create_symlink("target", path);
  EXPECT_FALSE(log.append("x\r\n"));
  EXPECT_EQ(dir.read("target"), "kept");
}

// A reader must tell content it could not read from content that ended.
TEST(Platform, InputFileTellsAReadErrorFromTheEnd) {
  TempDir dir;
  platform::InputFile file;
  char bytes[16];
  ASSERT_TRUE(file.open(dir.write("short", "abc").string()));
  EXPECT_EQ(file.readAt(0, bytes, sizeof bytes), 3u);
  EXPECT_EQ(file.readAt(100, bytes, sizeof bytes), 0u);
  EXPECT_EQ(file.error(), 0);
  EXPECT_FALSE(file.open((dir / "missing").string()));
  EXPECT_EQ(file.error(), ENOENT);
  EXPECT_FALSE(file.open(dir.path().string()));
  EXPECT_EQ(file.error(), 0) << "a folder has no content: no failure";
  // Address 0 of the process's own memory is never mapped: reading the
  // file there is an I/O error.
  ASSERT_TRUE(file.open("/proc/self/mem"));
  EXPECT_EQ(file.readAt(0, bytes, sizeof bytes), 0u);
  EXPECT_EQ(file.error(), EIO);
}

// A path longer than one system call takes still reaches its object.
TEST(Platform, PathsLongerThanTheSystemLimitWork) {
  TempDir dir;
  const std::string name(250, 'n');
  std::string path = dir.path().string();
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
    const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
    path += "/" + name;
  }
  const int file = ::openat(fd, "a.jpg", O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(::write(file, "deep", 4), 4);
  ::close(file);
  ::close(fd);
  ASSERT_GT(path.size(), 4096u);

  const std::string a = path + "/a.jpg";
  const std::string b = path + "/b.jpg";
  EXPECT_EQ(platform::objectKind(a), platform::ObjectKind::File);
  platform::InputFile in;
  ASSERT_TRUE(in.open(a));
  char bytes[4];
  EXPECT_EQ(in.readAt(0, bytes, 4), 4u);
  in.close();
  EXPECT_TRUE(platform::renameNoReplace(a, b));
  EXPECT_EQ(platform::objectKind(a), platform::ObjectKind::Missing);
  EXPECT_TRUE(platform::setTimes(b, 0, zantrel::encodeDateTime(2001, 2, 3, 4, 5, 6)));
  EXPECT_EQ(platform::fileAge(b), zantrel::encodeDateTime(2001, 2, 3, 4, 5, 6));
  platform::Folder folder;
  std::vector<platform::FolderEntry> entries;
  ASSERT_TRUE(folder.open(path));
  EXPECT_EQ(folder.read(entries), platform::ListStatus::Listed);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "b.jpg");
  std::string error;
  EXPECT_EQ(platform::removeFile(b, error), platform::Removal::Removed);
  // Too deep for std::filesystem; rm walks by descriptors.
  std::system(("rm -rf " + testing_support::shellQuoted((dir / name).string())).c_str());
}


// Where a long path is cut into pieces for the system, a doubled slash at
// the cut must not make the next piece begin with "/": it would then be
// resolved from the root, and the call would act on another object or on
// none. Each case puts the separator at the first cut (byte 4094).
TEST(Platform, LongPathsWithRepeatedSlashesStayInTheirTree) {
  for (const std::string separator : {"//", "///", "////"}) {
    TempDir dir;
    std::string path = dir.path().string();
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    auto descend = [&](const std::string& name, const std::string& slash) {
      ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
      const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
      ::close(fd);
      fd = next;
      path += slash + name;
    };
    while (4094 - path.size() > 252) descend(std::string(250, 'n'), "/");
    descend(std::string(4094 - path.size() - 1, 'm'), "/");
    ASSERT_EQ(path.size(), 4094u);
    descend(std::string(200, 'k'), separator);  // the separator starts at byte 4094
    for (int i = 0; i < 4; ++i) descend(std::string(250, 'n'), "/");
    const int file = ::openat(fd, "a.jpg", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::write(file, "deep", 4), 4);
    ::close(file);
    ::close(fd);

    const std::string a = path + "/a.jpg";
    EXPECT_EQ(platform::objectKind(a), platform::ObjectKind::File) << separator;
    EXPECT_EQ(platform::objectKind(path + separator), platform::ObjectKind::Folder) << separator;
    // Slashes after the last name are the name's, not the root.
    EXPECT_EQ(platform::objectKind(a + separator), platform::ObjectKind::Missing) << separator;
    platform::InputFile in;
    ASSERT_TRUE(in.open(a)) << separator;
    in.close();
    EXPECT_TRUE(platform::renameNoReplace(a, path + separator + "b.jpg")) << separator;
    EXPECT_EQ(platform::objectKind(path + "/b.jpg"), platform::ObjectKind::File) << separator;
    std::system(("rm -rf " + testing_support::shellQuoted((dir / std::string(250, 'n')).string())).c_str());
  }
}

}  // namespace
