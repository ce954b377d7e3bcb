// Photos that the system's cache no longer holds, as on a card just put
// in: the run reads ahead of itself, and does and says exactly what a run
// over cached files does.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/harness.h"
#include "support/exif_builder.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

constexpr long TmpfsMagic = 0x01021994;  // its files live in the cache

void writePhotos(const TempDir& dir, int count) {
  for (int i = 0; i < count; ++i) {
    CameraShot shot;
    shot.bigEndian = i % 2 == 1;
    shot.dateTimeOriginal = "2013:04:" + std::to_string(10 + i % 15) + " 15:30:" + std::to_string(10 + i % 40);
    dir.write("IMG_" + std::to_string(1000 + i) + ".JPG", cameraJpeg(shot));
  }
}

// Written to disk and dropped from the cache, so that reading them waits.
bool evict(const TempDir& dir) {
  struct statfs fsInfo {};
  if (::statfs(dir.path().c_str(), &fsInfo) != 0 || fsInfo.f_type == TmpfsMagic) return false;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    const int fd = ::open(entry.path().c_str(), O_RDONLY);
    if (fd < 0) return false;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
  }
  return true;
}

// Whether the system's cache holds the first page of every file.
bool firstPagesCached(const TempDir& dir, bool& all, bool& none) {
  all = none = true;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    if (entry.path().extension() != ".JPG") continue;
    const int fd = ::open(entry.path().c_str(), O_RDONLY);
    if (fd < 0) return false;
    void* map = ::mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) return false;
    unsigned char page = 0;
    const bool known = ::mincore(map, 4096, &page) == 0;
    ::munmap(map, 4096);
    if (!known) return false;
    ((page & 1) ? none : all) = false;
  }
  return true;
}

void readAll(const TempDir& dir) {
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
  }
}

std::string treeOf(const TempDir& dir) {
  std::string text;
  for (const std::string& name : dir.list()) text += name + "\n";
  return text;
}

TEST(ReadAheadCli, UncachedFilesGiveWhatCachedOnesGive) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"-t", "-i", "*.jpg"},
                                               std::vector<std::string>{"-i", "-de", "*.jpg"}}) {
    TempDir cached, uncached;
    writePhotos(cached, 120);
    writePhotos(uncached, 120);
    evict(uncached);
    const RunResult warm = runZantrel(args, cached.path());
    const RunResult cold = runZantrel(args, uncached.path());
    EXPECT_EQ(cold.out, warm.out) << args[0];
    EXPECT_EQ(cold.err, warm.err) << args[0];
    EXPECT_EQ(cold.exitCode, warm.exitCode) << args[0];
    EXPECT_EQ(treeOf(uncached), treeOf(cached)) << args[0];
    EXPECT_NE(warm.out.find(" -> "), std::string::npos) << warm.out;
  }
}

// Where strace is there to see the thread start.
TEST(ReadAheadCli, ReadsAheadOnlyWhereFilesAreNotCached) {
  if (std::system("command -v strace >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  TempDir dir;
  writePhotos(dir, 120);
  bool all = false, none = false;
  if (!evict(dir) || !firstPagesCached(dir, all, none) || !none) GTEST_SKIP() << "files here stay in the cache";
  const std::string trace = (dir / "trace").string();
  // Threads started; a sanitizer's runtime may start one of its own in
  // every run, so the two runs are compared with each other.
  auto threads = [&] {
    runZantrelVia("strace -f -e trace=clone,clone3 -o " + shellQuoted(trace), {"-t", "-i", "*.jpg"}, dir.path());
    std::ifstream in(trace);
    size_t count = 0;
    // A call cut in two by another thread's calls has its result on the
    // second line only.
    for (std::string line; std::getline(in, line);) {
      count += line.find("clone") != std::string::npos && line.find(") = ") != std::string::npos;
    }
    return count;
  };
  const size_t uncached = threads();
  readAll(dir);
  ASSERT_TRUE(firstPagesCached(dir, all, none) && all);
  const size_t cached = threads();
  EXPECT_EQ(uncached, cached + 1) << "one reader thread on uncached files, none on cached ones";
}

}  // namespace
