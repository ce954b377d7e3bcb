#include "platform/copy_file.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "cli/harness.h"

namespace {

using platform::CopyOutcome;
using testing_support::TempDir;

TEST(CopyFile, CopiesBytesTimesAndMode) {
  TempDir dir;
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 1000);
  dir.write("a.jpg", big);
  testing_support::setLocalMtime(dir / "a.jpg", 2013, 4, 12, 15, 30, 45);
  ::chmod((dir / "a.jpg").c_str(), 0640);
  ASSERT_EQ(platform::copyFileNoReplace((dir / "a.jpg").string(), (dir / "b.jpg").string()), CopyOutcome::Copied);
  EXPECT_EQ(dir.read("b.jpg"), big);
  struct stat a {}, b {};
  ::stat((dir / "a.jpg").c_str(), &a);
  ::stat((dir / "b.jpg").c_str(), &b);
  EXPECT_EQ(a.st_mtim.tv_sec, b.st_mtim.tv_sec);
  EXPECT_EQ(b.st_mode & 07777, 0640u);
}

TEST(CopyFile, NeverOverwrites) {
  TempDir dir;
  dir.write("a.jpg", "new");
  dir.write("b.jpg", "old");
  EXPECT_EQ(platform::copyFileNoReplace((dir / "a.jpg").string(), (dir / "b.jpg").string()),
            CopyOutcome::DestinationExists);
  EXPECT_EQ(dir.read("b.jpg"), "old");
}

TEST(CopyFile, FailureLeavesNoFile) {
  TempDir dir;
  dir.mkdir("folder");
  EXPECT_EQ(platform::copyFileNoReplace((dir / "missing").string(), (dir / "b").string()), CopyOutcome::Failed);
  EXPECT_EQ(platform::copyFileNoReplace((dir / "folder").string(), (dir / "b").string()), CopyOutcome::Failed);
  EXPECT_FALSE(dir.exists("b"));
  dir.write("a", "x");
  EXPECT_EQ(platform::copyFileNoReplace((dir / "a").string(), (dir / "nofolder/b").string()), CopyOutcome::Failed);
}

TEST(CopyFile, RefusesWhatIsNoRegularFile) {
  TempDir dir;
  EXPECT_EQ(platform::copyFileNoReplace("/dev/zero", (dir / "z").string()), CopyOutcome::Failed);
  EXPECT_FALSE(dir.exists("z"));
}

// A destination on a tiny file system fills up half-way: the copy must say
// so and must not leave a truncated file behind. The mount lives in a
// private mount namespace of a child process, so nothing outside the test
// ever sees it.
TEST(CopyFile, FullDiskLeavesNoPartialCopy) {
  TempDir dir;
  dir.write("big", std::string(1 << 20, 'x'));
  dir.mkdir("small");
  const std::string source = (dir / "big").string();
  const std::string target = (dir / "small").string();
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", target.c_str(), "tmpfs", 0, "size=64k") != 0)
      ::_exit(77);
    const bool failed = platform::copyFileNoReplace(source, target + "/big") == CopyOutcome::Failed;
    const bool leftOver = ::access((target + "/big").c_str(), F_OK) == 0;
    ::_exit(failed && !leftOver ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no permission to mount a private tmpfs";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
