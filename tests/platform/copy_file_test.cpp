#include "platform/copy_file.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "cli/harness.h"
#include "platform/process.h"

namespace {

using platform::CopyOutcome;
using testing_support::TempDir;

// Both ways a copy gets its final name: from an unnamed file, and from a
// hidden one where the file system has no unnamed files (vfat).
struct TemporaryKind {
  const char* name;
  bool named;
};
const TemporaryKind TemporaryKinds[] = {{"unnamed", false}, {"hidden name", true}};

struct NamedTemporaries {
  explicit NamedTemporaries(bool on) { platform::forceNamedTemporaryCopies(on); }
  ~NamedTemporaries() { platform::forceNamedTemporaryCopies(false); }
};

// Everything in the folder, hidden names too.
std::vector<std::string> everything(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

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
  // Told apart from other failures: the caller can make the folder and try
  // again, without looking for the folder before every copy.
  EXPECT_EQ(platform::copyFileNoReplace((dir / "a").string(), (dir / "nofolder/b").string()),
            CopyOutcome::FolderMissing);
  EXPECT_EQ(platform::copyFileNoReplace((dir / "a").string(), (dir / "a/b").string()), CopyOutcome::FolderMissing);
  EXPECT_EQ(everything(dir), (std::vector<std::string>{"a", "folder"}));
}

TEST(CopyFile, RefusesWhatIsNoRegularFile) {
  TempDir dir;
  EXPECT_EQ(platform::copyFileNoReplace("/dev/zero", (dir / "z").string()), CopyOutcome::Failed);
  EXPECT_FALSE(dir.exists("z"));
}

// A source whose bytes end before its stated size (a file cut short while
// it is copied; here a kernel attribute file, which states 4096 bytes and
// holds a few): what was read is no complete copy, so none is named.
TEST(CopyFile, SourceEndingEarlyIsNoCopy) {
  const std::string source = "/sys/kernel/uevent_seqnum";
  struct stat st {};
  if (::stat(source.c_str(), &st) != 0 || st.st_size <= 64) GTEST_SKIP() << "no attribute file to copy";
  for (const TemporaryKind& kind : TemporaryKinds) {
    SCOPED_TRACE(kind.name);
    NamedTemporaries named(kind.named);
    TempDir dir;
    EXPECT_EQ(platform::copyFileNoReplace(source, (dir / "copy").string()), CopyOutcome::Failed);
    EXPECT_EQ(everything(dir), std::vector<std::string>{});
  }
}

// A destination on a tiny file system fills up half-way: the copy must say
// so and must leave nothing behind, neither a truncated file nor its
// temporary. The mount lives in a private mount namespace of a child
// process, so nothing outside the test ever sees it.
TEST(CopyFile, FullDiskLeavesNoPartialCopy) {
  for (const TemporaryKind& kind : TemporaryKinds) {
    SCOPED_TRACE(kind.name);
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
      platform::forceNamedTemporaryCopies(kind.named);
      const bool failed = platform::copyFileNoReplace(source, target + "/big") == CopyOutcome::Failed;
      ::_exit(failed && std::filesystem::is_empty(target) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no permission to mount a private tmpfs";
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
}

TEST(CopyFile, BothTemporaryKindsCopyWholeAndLeaveNothingElse) {
  for (const TemporaryKind& kind : TemporaryKinds) {
    SCOPED_TRACE(kind.name);
    const NamedTemporaries named(kind.named);
    TempDir dir;
    std::string bytes(2 * 1024 * 1024 + 5, 'p');
    bytes[1234567] = 'q';
    dir.write("a.jpg", bytes);
    dir.write("taken.jpg", "old");
    testing_support::setLocalMtime(dir / "a.jpg", 2013, 4, 12, 15, 30, 45);
    ::chmod((dir / "a.jpg").c_str(), 0444);
    const std::string a = (dir / "a.jpg").string();
    EXPECT_EQ(platform::copyFileNoReplace(a, (dir / "b.jpg").string()), CopyOutcome::Copied);
    EXPECT_EQ(platform::copyFileNoReplace(a, (dir / "taken.jpg").string()), CopyOutcome::DestinationExists);
    EXPECT_EQ(platform::copyFileNoReplace(a, (dir / "none/c.jpg").string()), CopyOutcome::FolderMissing);
    EXPECT_EQ(dir.read("b.jpg"), bytes);
    EXPECT_EQ(dir.read("taken.jpg"), "old");
    struct stat st {};
    ::stat((dir / "b.jpg").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(testing_support::localMtimeText(dir / "b.jpg"), "2013-04-12 15:30:45");
    EXPECT_EQ(everything(dir), (std::vector<std::string>{"a.jpg", "b.jpg", "taken.jpg"}));
  }
}

TEST(CopyFile, BothTemporaryKindsKeepHoles) {
  for (const TemporaryKind& kind : TemporaryKinds) {
    SCOPED_TRACE(kind.name);
    const NamedTemporaries named(kind.named);
    TempDir dir;
    {
      std::ofstream f(dir / "sparse", std::ios::binary);
      f << "head";
      f.seekp(std::streamoff(32) << 20);
      f << "middle";
      f.seekp((std::streamoff(48) << 20) - 1);
      f << 't';
    }
    ASSERT_EQ(platform::copyFileNoReplace((dir / "sparse").string(), (dir / "copy").string()), CopyOutcome::Copied);
    EXPECT_TRUE(dir.read("copy") == dir.read("sparse"));
    struct stat st {};
    ::stat((dir / "copy").c_str(), &st);
    EXPECT_EQ(st.st_size, std::streamoff(48) << 20);
    EXPECT_LT(st.st_blocks * 512, 1 << 20);
  }
}

// A stop signal that came before or during the copy: the copy is taken
// back, including the hidden file, and says so. In a child process, since
// the signal is noted process-wide.
TEST(CopyFile, StopSignalTakesTheCopyBack) {
  for (const TemporaryKind& kind : TemporaryKinds) {
    SCOPED_TRACE(kind.name);
    TempDir dir;
    dir.write("a.jpg", std::string(1 << 20, 'a'));
    const pid_t pid = ::fork();
    if (pid == 0) {
      platform::forceNamedTemporaryCopies(kind.named);
      platform::prepareProcess();
      std::raise(SIGTERM);
      const bool takenBack = platform::stopSignal() == SIGTERM &&
                             platform::copyFileNoReplace((dir / "a.jpg").string(), (dir / "b.jpg").string()) ==
                                 CopyOutcome::Interrupted;
      ::_exit(takenBack && everything(dir) == std::vector<std::string>{"a.jpg"} ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the signal ended the process";
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
}

TEST(SameFileContent, ComparesEveryByte) {
  TempDir dir;
  const std::string big(3 * 1024 * 1024, 'b');
  std::string lastDiffers = big;
  lastDiffers.back() = 'c';
  std::string blockEdgeDiffers = big;
  blockEdgeDiffers[1 << 20] = 'c';
  dir.write("big", big);
  dir.mkdir("folder");
  const struct {
    const char* what;
    std::string other;
    bool same;
  } cases[] = {
      {"equal", big, true},
      {"last byte", lastDiffers, false},
      {"first byte of the second block", blockEdgeDiffers, false},
      {"shorter", big.substr(1), false},
      {"empty", "", false},
  };
  for (const auto& c : cases) {
    dir.write("other", c.other);
    EXPECT_EQ(platform::sameFileContent((dir / "big").string(), (dir / "other").string()), c.same) << c.what;
  }
  dir.write("e1", "");
  dir.write("e2", "");
  EXPECT_TRUE(platform::sameFileContent((dir / "e1").string(), (dir / "e2").string()));
  EXPECT_FALSE(platform::sameFileContent((dir / "big").string(), (dir / "missing").string()));
  EXPECT_FALSE(platform::sameFileContent((dir / "folder").string(), (dir / "folder").string()));
}

}  // namespace
