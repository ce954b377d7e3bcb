// Whole-program tests of what a copy promises when things go wrong: a
// file carries its final name only once it is complete, a signal rolls the
// copy in hand back and ends the run with the signal's exit status, holes
// stay holes, and the media library tells a different photo of the same
// name from the one already imported.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "cli/harness.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Every entry below folder, hidden ones included, relative and sorted.
std::vector<std::string> everythingBelow(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    names.push_back(fs::relative(it->path(), folder).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A file of size bytes whose 4 KiB blocks all differ, written in large
// blocks so that big test files are quick to make.
void writeBigFile(const fs::path& path, size_t size) {
  fs::create_directories(path.parent_path());
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  std::string block(1 << 20, '\0');
  for (size_t done = 0; done < size;) {
    for (size_t i = 0; i < block.size(); i += 4096) {
      const size_t n = done + i;
      std::memcpy(&block[i], &n, sizeof n);
    }
    const size_t n = std::min(block.size(), size - done);
    f.write(block.data(), static_cast<std::streamsize>(n));
    done += n;
  }
}

std::string fileBytes(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

uintmax_t sizeOrZero(const fs::path& path) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(path, ec);
  return ec ? 0 : size;
}

// Polls until the path exists or the run ends; true when it exists.
bool waitForPath(BackgroundRun& run, const fs::path& path) {
  for (;;) {
    std::error_code ec;
    if (fs::exists(path, ec)) return true;
    if (run.finished()) return fs::exists(path, ec);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

struct CopyMode {
  const char* name;
  bool media;
};

const CopyMode CopyModes[] = {{"copy", false}, {"media", true}};

// The command line, the folder it runs in, and where the copies go: the
// plain copy runs in the library folder and reads the card, the media
// library files by kind and by the date 2020-05.
std::vector<std::string> copyArgs(const CopyMode& mode, const TempDir& dir) {
  if (mode.media) return {"-cm=" + (dir / "lib").string()};
  return {"-copy", "../cam/small.jpg,../cam/big.mp3"};
}

fs::path runFolder(const CopyMode& mode, const TempDir& dir) { return mode.media ? dir / "cam" : dir / "lib"; }

fs::path finalName(const CopyMode& mode, const TempDir& dir, const std::string& name) {
  const bool image = name.ends_with(".jpg");
  if (!mode.media) return dir / "lib" / name;
  return image ? dir / "lib/Imgs/o/2020/05" / ("200501-1200_" + name) : dir / "lib/Music/2020" / name;
}

void makeCard(const TempDir& dir, size_t bigSize) {
  dir.write("cam/small.jpg", "a small photo");
  writeBigFile(dir / "cam/big.mp3", bigSize);
  setLocalMtime(dir / "cam/small.jpg", 2020, 5, 1, 12, 0, 0);
  setLocalMtime(dir / "cam/big.mp3", 2020, 5, 1, 12, 0, 0);
  dir.mkdir("lib");
}

// Someone looking at the library while a copy runs never sees the final
// name on anything but the complete file.
TEST(CopySafety, FinalNameAppearsOnlyWhenComplete) {
  for (const CopyMode& mode : CopyModes) {
    SCOPED_TRACE(mode.name);
    TempDir dir;
    const size_t size = 192u << 20;
    makeCard(dir, size);
    const fs::path big = finalName(mode, dir, "big.mp3");
    BackgroundRun run(copyArgs(mode, dir), runFolder(mode, dir));
    ASSERT_TRUE(waitForPath(run, big));
    EXPECT_EQ(sizeOrZero(big), size) << "the name appeared on a partial file";
    const RunResult r = run.wait();
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_TRUE(fileBytes(big) == fileBytes(dir / "cam/big.mp3"));
  }
}

// A signal while a big file is copied: the file before it stays copied and
// reported, the copy in hand is taken back without a trace, and the exit
// status tells which signal ended the run.
TEST(CopySafety, SignalRollsBackTheCopyInHand) {
  const struct {
    int signal;
    int exitCode;
  } cases[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
  for (const CopyMode& mode : CopyModes) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(mode.name) + " signal " + std::to_string(c.signal));
      TempDir dir;
      makeCard(dir, 384u << 20);
      const fs::path library = dir / "lib";
      BackgroundRun run(copyArgs(mode, dir), runFolder(mode, dir));
      ASSERT_TRUE(waitForPath(run, finalName(mode, dir, "small.jpg")));
      run.signal(c.signal);
      const RunResult r = run.wait();
      EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
      EXPECT_TRUE(contains(r.out, "File copied to: ")) << "output before the signal was lost: " << r.out;
      EXPECT_FALSE(contains(r.out, "big.mp3")) << r.out;
      for (const std::string& name : everythingBelow(library)) {
        EXPECT_TRUE(name.find("small.jpg") != std::string::npos || fs::is_directory(library / name))
            << "left behind: " << name;
      }
      EXPECT_EQ(sizeOrZero(dir / "cam/big.mp3"), 384u << 20);
    }
  }
}

// SIGKILL cannot be caught: whatever it cuts short must not carry a final
// name, and the next run copies the file afresh instead of skipping it.
TEST(CopySafety, KillLeavesNoPartialFileAndTheNextRunCopiesIt) {
  for (const CopyMode& mode : CopyModes) {
    SCOPED_TRACE(mode.name);
    TempDir dir;
    const size_t size = 256u << 20;
    makeCard(dir, size);
    const fs::path big = finalName(mode, dir, "big.mp3");
    {
      BackgroundRun run(copyArgs(mode, dir), runFolder(mode, dir));
      ASSERT_TRUE(waitForPath(run, finalName(mode, dir, "small.jpg")));
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      run.signal(SIGKILL);
      run.wait();
    }
    EXPECT_TRUE(!fs::exists(big) || sizeOrZero(big) == size) << "partial file under its final name";
    if (mode.media) {
      const RunResult again = runZantrel(copyArgs(mode, dir), runFolder(mode, dir));
      EXPECT_EQ(again.exitCode, 0) << again.out;
      EXPECT_TRUE(fileBytes(big) == fileBytes(dir / "cam/big.mp3"));
    }
  }
}

// A mostly empty file keeps its holes: the copy takes about as much disk
// as the source, not its full length.
TEST(CopySafety, SparseFileKeepsItsHoles) {
  for (const CopyMode& mode : CopyModes) {
    SCOPED_TRACE(mode.name);
    TempDir dir;
    makeCard(dir, 0);
    {
      std::fstream f(dir / "cam/big.mp3", std::ios::binary | std::ios::in | std::ios::out);
      for (const std::streamoff at : {std::streamoff(0), std::streamoff(5) << 20, (std::streamoff(40) << 20) + 123}) {
        f.seekp(at);
        f << std::string(10000, 'd');
      }
      f.seekp((std::streamoff(64) << 20) - 1);
      f << 'e';
    }
    setLocalMtime(dir / "cam/big.mp3", 2020, 5, 1, 12, 0, 0);
    const RunResult r = runZantrel(copyArgs(mode, dir), runFolder(mode, dir));
    EXPECT_EQ(r.exitCode, 0) << r.out;
    const fs::path big = finalName(mode, dir, "big.mp3");
    ASSERT_EQ(sizeOrZero(big), 64u << 20) << r.out;
    EXPECT_TRUE(fileBytes(big) == fileBytes(dir / "cam/big.mp3"));
    struct stat st {};
    ::stat(big.c_str(), &st);
    EXPECT_LT(st.st_blocks * 512, 2 << 20) << "the holes were filled";
  }
}

// An ordinary user copies too (the final name is given without root's
// rights to link any open file), and leaves nothing else behind.
TEST(CopySafety, OrdinaryUserCopiesWithoutLeftovers) {
  if (std::system("command -v setpriv >/dev/null 2>&1") != 0) GTEST_SKIP() << "setpriv is not installed";
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
  TempDir dir;
  dir.write("a.jpg", "photo");
  dir.write("b.jpg", "other");
  fs::permissions(dir.path(), fs::perms::all);
  RunResult r = runZantrelVia("setpriv --reuid=65534 --regid=65534 --clear-groups", {"-copy", "-pre=c_", "*.jpg"},
                              dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(dir.read("c_a.jpg"), "photo");
  EXPECT_EQ(dir.read("c_b.jpg"), "other");
  EXPECT_EQ(everythingBelow(dir.path()), (std::vector<std::string>{"a.jpg", "b.jpg", "c_a.jpg", "c_b.jpg"}));
}

// ---- The media library: the same name is not the same photo ----------------

struct Library {
  TempDir dir;
  std::string root() const { return (dir / "lib").string(); }
  std::string music(const std::string& name) const { return root() + "/Music/2020/" + name; }
  void card(const std::string& name, const std::string& bytes) const {
    dir.write("cam/" + name, bytes);
    setLocalMtime(dir / ("cam/" + name), 2020, 5, 1, 12, 0, 0);
  }
  void imported(const std::string& name, const std::string& bytes) const { dir.write("lib/Music/2020/" + name, bytes); }
  RunResult run(const std::vector<std::string>& extra = {}) const {
    std::vector<std::string> args{"-cm=" + root(), "-log"};
    args.insert(args.end(), extra.begin(), extra.end());
    return runZantrel(args, dir / "cam");
  }
  std::string log() const {
    for (const auto& name : dir.list("cam")) {
      if (name.rfind("_zantrel_", 0) == 0) return dir.read("cam/" + name);
    }
    return {};
  }
};

TEST(MediaLibraryDuplicates, SkipsOnlyTheSameBytes) {
  const struct {
    const char* what;
    std::string inLibrary;
    bool skipped;
  } cases[] = {
      {"same bytes", "song one", true},
      {"other photo, other size", "another song", false},
      {"same size, last byte differs", "song onf", false},
      {"same size, first byte differs", "Song one", false},
      {"a copy cut short", "song o", false},
      {"empty file", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Library lib;
    lib.card("tune.mp3", "song one");
    lib.imported("tune.mp3", c.inLibrary);
    const RunResult r = lib.run();
    EXPECT_EQ(r.exitCode, 0);
    if (c.skipped) {
      EXPECT_EQ(r.out, "File exists (skipping): " + lib.music("tune.mp3") + "\n");
      EXPECT_EQ(lib.log(), "");
      EXPECT_FALSE(lib.dir.exists("lib/Music/2020/tune_1.mp3"));
    } else {
      EXPECT_EQ(r.out, "File copied to: " + lib.music("tune_1.mp3") + "\n");
      EXPECT_EQ(lib.log(), "copy\ttune.mp3\t" + lib.music("tune_1.mp3") + "\ttune.mp3\r\n");
      EXPECT_EQ(lib.dir.read("lib/Music/2020/tune_1.mp3"), "song one");
    }
    EXPECT_EQ(lib.dir.read("lib/Music/2020/tune.mp3"), c.inLibrary);
  }
}

// A second import of the same card finds what the first one numbered.
TEST(MediaLibraryDuplicates, SecondRunFindsNumberedCopies) {
  Library lib;
  lib.card("tune.mp3", "camera two");
  lib.imported("tune.mp3", "camera one");
  lib.imported("tune_1.mp3", "camera three");
  EXPECT_EQ(lib.run().out, "File copied to: " + lib.music("tune_2.mp3") + "\n");
  const RunResult again = lib.run();
  EXPECT_EQ(again.out, "File exists (skipping): " + lib.music("tune_2.mp3") + "\n");
  EXPECT_EQ(lib.dir.list("lib/Music/2020"), (std::vector<std::string>{"tune.mp3", "tune_1.mp3", "tune_2.mp3"}));
  EXPECT_EQ(lib.dir.read("lib/Music/2020/tune_2.mp3"), "camera two");
}

TEST(MediaLibraryDuplicates, TestModeShowsTheNumberedName) {
  Library lib;
  lib.card("tune.mp3", "camera two");
  lib.imported("tune.mp3", "camera one");
  const RunResult r = lib.run({"-t"});
  EXPECT_EQ(r.out, "Copy from: tune.mp3\nto: " + lib.music("tune_1.mp3") + "\n(test - nothing copied)\n");
  EXPECT_EQ(lib.dir.list("lib/Music/2020"), (std::vector<std::string>{"tune.mp3"}));
}

}  // namespace
