// Whole-program tests of what a run must never pass over in silence:
// folders it cannot read, files whose content it cannot read, and names
// that would hide a file from every later run.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "cli/harness.h"
#include "support/exif_builder.h"
#include "support/image_builder.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

bool setprivAvailable() { return ::geteuid() == 0 && std::system("command -v setpriv >/dev/null 2>&1") == 0; }

bool hasLine(const RunResult& r, const std::string& line) {
  const Names all = lines(r.out);
  return std::find(all.begin(), all.end(), line) != all.end();
}

// --- folders ---------------------------------------------------------------------

TEST(UnreadableFolderCli, EveryFolderThatCannotBeReadIsReported) {
  if (!setprivAvailable()) GTEST_SKIP() << "needs root and setpriv";
  TempDir dir;
  dir.write("a.jpg");
  dir.write("sub/b.jpg");
  dir.write("locked/c.jpg");
  dir.write("sub/locked2/d.jpg");
  dir.write("sub/locked2/deeper/e.jpg");
  const fs::path locked = dir / "locked";
  const fs::path locked2 = dir / "sub/locked2";
  fs::permissions(locked, fs::perms::none);
  fs::permissions(locked2, fs::perms::none);
  RunResult r = runAsNobody(dir, {"-sub", "-pre=x_", "*.jpg"}, NobodyFolder::Owned);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(sortedLines(r.out), (Names{"Error: Can not read folder locked (Permission denied)",
                                       "Error: Can not read folder sub/locked2 (Permission denied)",
                                       "a.jpg -> x_a.jpg", "sub/b.jpg -> sub/x_b.jpg"}));
  // Each folder once, however many patterns look into it.
  r = runAsNobody(dir, {"-t", "-sub", "-pre=y_", "*.jpg,*.png"}, NobodyFolder::Owned);
  EXPECT_EQ(sortedLines(r.out), (Names{"Error: Can not read folder locked (Permission denied)",
                                       "Error: Can not read folder sub/locked2 (Permission denied)",
                                       "sub/x_b.jpg -> sub/y_x_b.jpg (test)", "x_a.jpg -> y_x_a.jpg (test)"}));
  // And once a run, however many passes look (the media library has four).
  r = runAsNobody(dir, {"-t", "-sub", "-cm=lib"}, NobodyFolder::Owned);
  const Names out = lines(r.out);
  EXPECT_EQ(std::count(out.begin(), out.end(), "Error: Can not read folder locked (Permission denied)"), 1) << r.out;
  EXPECT_EQ(std::count(out.begin(), out.end(), "Error: Can not read folder sub/locked2 (Permission denied)"), 1);
  // The folder that the pattern names, also without -sub.
  r = runAsNobody(dir, {"-pre=x_", "locked/*.jpg"}, NobodyFolder::Owned);
  EXPECT_EQ(r.out, "Error: Can not read folder locked (Permission denied)\n");
  // A folder that is not there is a pattern that matches nothing.
  r = runZantrel({"-sub", "-pre=x_", "missing/*.jpg"}, dir.path());
  EXPECT_EQ(r.out, "");
}

// A chain of folders whose path is longer than the system takes in one
// call (4096 bytes): walked one folder at a time, and its files renamed.
class DeepTree {
 public:
  static constexpr int Levels = 24;
  explicit DeepTree(const TempDir& dir) : root_(dir.path()) {
    const std::string name(200, 'd');
    int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < Levels; ++i) {
      EXPECT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
      const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
      ::close(fd);
      fd = next;
      path_ += name + "/";
      if (i == Levels / 2) middle_ = path_;
    }
    ::close(fd);
    create(middle_ + "middle.jpg");
    create(path_ + "deep.jpg");
  }
  ~DeepTree() {
    // Too deep for std::filesystem; rm walks by descriptors.
    std::system(("rm -rf " + shellQuoted((root_ / std::string(200, 'd')).string())).c_str());
  }
  const std::string& bottom() const { return path_; }
  const std::string& middle() const { return middle_; }

  // Whether the name, relative to the tree's root, exists.
  bool exists(const std::string& relative) const {
    int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY);
    size_t start = 0;
    for (size_t slash; (slash = relative.find('/', start)) != std::string::npos; start = slash + 1) {
      const int next = ::openat(fd, relative.substr(start, slash - start).c_str(), O_RDONLY | O_DIRECTORY);
      ::close(fd);
      if (next < 0) return false;
      fd = next;
    }
    const bool found = ::faccessat(fd, relative.substr(start).c_str(), F_OK, AT_SYMLINK_NOFOLLOW) == 0;
    ::close(fd);
    return found;
  }

 private:
  void create(const std::string& relative) {
    int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY);
    size_t start = 0;
    for (size_t slash; (slash = relative.find('/', start)) != std::string::npos; start = slash + 1) {
      const int next = ::openat(fd, relative.substr(start, slash - start).c_str(), O_RDONLY | O_DIRECTORY);
      ::close(fd);
      fd = next;
    }
    const int file = ::openat(fd, relative.substr(start).c_str(), O_WRONLY | O_CREAT, 0644);
    EXPECT_GE(file, 0);
    EXPECT_EQ(::write(file, "deep", 4), 4);
    ::close(file);
    ::close(fd);
  }

  fs::path root_;
  std::string path_;
  std::string middle_;
};

TEST(UnreadableFolderCli, FoldersDeeperThanAPathCanReachAreWalked) {
  TempDir dir;
  DeepTree tree(dir);
  ASSERT_GT(tree.bottom().size(), 4096u);
  RunResult r = runZantrel({"-sub", "-log", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(sortedLines(r.out), (Names{tree.bottom() + "deep.jpg -> " + tree.bottom() + "x_deep.jpg",
                                       tree.middle() + "middle.jpg -> " + tree.middle() + "x_middle.jpg"}));
  EXPECT_TRUE(tree.exists(tree.bottom() + "x_deep.jpg"));
  EXPECT_FALSE(tree.exists(tree.bottom() + "deep.jpg"));
  EXPECT_TRUE(tree.exists(tree.middle() + "x_middle.jpg"));
  EXPECT_EQ(logRecords(dir).size(), 2u);
}

// The same where the user spells the long path with a doubled slash right
// where it is cut for the system (byte 4094): the piece after the cut must
// not be taken from the root; the file in the tree is the one renamed.
TEST(UnreadableFolderCli, ADoubledSlashInALongPathStaysInTheTree) {
  TempDir dir;
  std::string path = dir.path().string();
  std::vector<std::string> names;
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
  auto descend = [&](const std::string& name, const char* slash) {
    ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
    const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
    path += slash + name;
    names.push_back(name);
  };
  while (4094 - path.size() > 252) descend(std::string(250, 'n'), "/");
  descend(std::string(4094 - path.size() - 1, 'm'), "/");
  descend(std::string(200, 'k'), "//");
  descend(std::string(250, 'n'), "/");
  const int file = ::openat(fd, "a.jpg", O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(file, 0);
  ::close(file);
  RunResult r = runZantrel({"-pre=x_", path + "/*.jpg"}, dir.path());
  EXPECT_EQ(lines(r.out), Names{path + "/a.jpg -> " + path + "/x_a.jpg"}) << r.err;
  EXPECT_EQ(::faccessat(fd, "x_a.jpg", F_OK, 0), 0);
  EXPECT_NE(::faccessat(fd, "a.jpg", F_OK, 0), 0);
  ::close(fd);
  // Too deep for std::filesystem; rm walks by descriptors.
  std::system(("rm -rf " + shellQuoted((dir / names.front()).string())).c_str());
}

// --- file content ----------------------------------------------------------------

struct ContentStep {
  const char* what;
  Names args;
};

TEST(UnreadableFileCli, StepsThatReadContentReportAFileTheyCannotRead) {
  if (!setprivAvailable()) GTEST_SKIP() << "needs root and setpriv";
  const ContentStep steps[] = {
      {"-i", {"-i"}},
      {"-de", {"-de"}},
      {"-dt=E", {"-dt=E", "-dp"}},
      {"-ss", {"-ss"}},
  };
  CameraShot shot;
  shot.dateTimeOriginal = "2013:04:12 15:30:44";
  for (const ContentStep& step : steps) {
    SCOPED_TRACE(step.what);
    TempDir dir;
    dir.write("IMG_1.JPG", cameraJpeg(shot));
    setLocalMtime(dir.write("IMG_2.JPG", cameraJpeg(shot)), 2020, 1, 1, 0, 0, 0);
    fs::permissions(dir / "IMG_1.JPG", fs::perms::owner_write);
    Names args = step.args;
    args.push_back("-l");  // so that every readable photo gets a new name
    args.push_back("-log");
    args.push_back("*.jpg");
    RunResult r = runAsNobody(dir, args, NobodyFolder::Owned);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(hasLine(r, "Error: Can not read file IMG_1.JPG (Permission denied)")) << r.out;
    EXPECT_EQ(r.out.find("IMG_1.JPG -> "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Warning: no Exif date found, using filedate. (IMG_1.JPG)"), std::string::npos) << r.out;
    EXPECT_TRUE(dir.exists("IMG_1.JPG"));
    EXPECT_FALSE(dir.exists("IMG_2.JPG")) << "the readable photo is renamed";
  }
}

TEST(UnreadableFileCli, EveryCaptureDateReaderReportsAFileItCannotRead) {
  if (!setprivAvailable()) GTEST_SKIP() << "needs root and setpriv";
  TempDir dir;
  for (const char* name : {"clip.mov", "shot.png", "photo.heic", "scan.tif"}) {
    fs::permissions(dir.write(name, "not read"), fs::perms::owner_write);
  }
  RunResult r = runAsNobody(dir, {"-dt=E", "-dp", "*.mov,*.png,*.heic,*.tif"}, NobodyFolder::Owned);
  EXPECT_EQ(sortedLines(r.out), (Names{"Error: Can not read file clip.mov (Permission denied)",
                                       "Error: Can not read file photo.heic (Permission denied)",
                                       "Error: Can not read file scan.tif (Permission denied)",
                                       "Error: Can not read file shot.png (Permission denied)"}));
  EXPECT_EQ(dir.list().size(), 4u);
}

// --- hidden names ----------------------------------------------------------------

TEST(HiddenNameCli, ANewNameThatWouldHideTheFileIsRefused) {
  TempDir dir;
  dir.write("abc.jpg", "abc");
  dir.write("x/a.jpg", "a");
  dir.mkdir("work");
  dir.mkdir("abc.d");
  RunResult r = runZantrel({"-log", "-dcs=3", "abc.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "ERROR Can't rename file abc.jpg -> .jpg !\n");
  EXPECT_EQ(logRecords(dir), Names{record({"ERROR", "abc.jpg", ".jpg", "can not rename file"})});
  EXPECT_EQ(dir.read("abc.jpg"), "abc");

  r = runZantrel({"-sub", "-pfn", "../x/*.jpg"}, dir / "work");
  EXPECT_EQ(r.out, "ERROR Can't rename file ../x/a.jpg -> ../x/.. x a.jpg !\n");
  EXPECT_EQ(dir.list("x"), Names{"a.jpg"});

  r = runZantrel({"-dir", "-dcs=3", "abc.d"}, dir.path());
  EXPECT_EQ(r.out, "ERROR Can't rename directory abc.d -> .d !\n");
  EXPECT_TRUE(dir.exists("abc.d"));

  // Test mode tells what the real run would do.
  r = runZantrel({"-t", "-dcs=3", "abc.jpg"}, dir.path());
  EXPECT_EQ(r.out, "ERROR Can't rename file abc.jpg -> .jpg !\n");
}

}  // namespace
