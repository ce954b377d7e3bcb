// The calls a run makes for each item, counted from an strace of the
// built program: what one look at an item told is not asked again, and a
// copy opens and looks at no more than it needs. Each bound is what the
// work needs; a change that asks the system once more per item breaks it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli/harness.h"
#include "support/exif_builder.h"

using namespace testing_support;

namespace {

constexpr int Photos = 12;

std::string photoName(int i) { return "IMG_" + std::to_string(1000 + i) + ".JPG"; }

// Camera photos whose file dates are not their capture dates.
void writePhotos(const TempDir& dir, const std::string& folder = "") {
  for (int i = 0; i < Photos; ++i) {
    CameraShot shot;
    shot.dateTimeOriginal = "2013:04:12 15:" + std::to_string(10 + i) + ":45";
    dir.write(folder + photoName(i), cameraJpeg(shot));
  }
}

bool straceWorks() { return std::system("strace -o /dev/null true >/dev/null 2>&1") == 0; }

// The trace of a run, one call a line.
std::vector<std::string> traced(const TempDir& dir, const std::vector<std::string>& args) {
  const std::string trace = (dir / "trace").string();
  runZantrelVia("strace -f -o " + shellQuoted(trace), args, dir.path());
  std::ifstream in(trace);
  std::vector<std::string> calls;
  for (std::string line; std::getline(in, line);) calls.push_back(line);
  return calls;
}

// The calls of the given kinds that name path exactly.
size_t naming(const std::vector<std::string>& calls, const std::string& path, const std::vector<std::string>& kinds) {
  size_t n = 0;
  for (const std::string& call : calls) {
    if (call.find("\"" + path + "\"") == std::string::npos) continue;
    // "1234 openat(AT_FDCWD, ..." with -f.
    const size_t start = call.find(' ') + 1;
    for (const std::string& kind : kinds) {
      if (call.compare(start, kind.size() + 1, kind + "(") == 0) ++n;
    }
  }
  return n;
}

const std::vector<std::string> Looks = {"stat", "lstat", "newfstatat", "fstatat64", "statx"};
const std::vector<std::string> Opens = {"open", "openat"};

TEST(SystemCallsCli, CallsPerItem) {
  if (!straceWorks()) GTEST_SKIP() << "strace is not installed or may not trace here";
  struct Case {
    const char* what;
    std::vector<std::string> args;
    // A path (relative to the test folder) for photo i, the calls counted,
    // and how many each photo may take.
    std::string (*path)(int i);
    const std::vector<std::string>* kinds;
    size_t most;
  };
  const Case cases[] = {
      // The times are set on the name itself; only a link's own times need
      // a look of their own.
      {"-i, photo name looked at", {"-i", "*.jpg"}, [](int i) { return photoName(i); }, &Looks, 0},
      // The size limit is judged by the look that selection takes anyway.
      {"-minsize, photo name looked at", {"-t", "-minsize=10", "-pre=x_", "*.jpg"},
       [](int i) { return photoName(i); }, &Looks, 1},
      // The copy reads the file that was opened for its capture date.
      {"-cm, photo opened", {"-cm=lib"}, [](int i) { return photoName(i); }, &Opens, 1},
      // The copy finds out itself whether the library name is taken.
      {"-cm, library name looked at", {"-cm=lib"},
       [](int i) { return "lib/Imgs/o/2013/04/130412-15" + std::to_string(10 + i) + "_IMG_" + std::to_string(1000 + i) + ".jpg"; },
       &Looks, 1},
  };
  for (const Case& c : cases) {
    TempDir dir;
    writePhotos(dir);
    const std::vector<std::string> calls = traced(dir, c.args);
    ASSERT_FALSE(calls.empty()) << c.what;
    // The first photo into a library folder that is not there yet tries
    // its copy once more, once the folder is made.
    size_t total = 0;
    std::string seen;
    for (int i = 0; i < Photos; ++i) {
      total += naming(calls, c.path(i), *c.kinds);
      if (i == 0) {
        for (const std::string& call : calls) {
          if (call.find("\"" + c.path(i) + "\"") != std::string::npos) seen += call + "\n";
        }
      }
    }
    EXPECT_LE(total, c.most * Photos + 1) << c.what << ", the calls naming the first one:\n" << seen;
  }
}

// The library folder is made once and then taken as there: no look at it
// for every photo.
TEST(SystemCallsCli, LibraryFolderIsNotLookedAtPerPhoto) {
  if (!straceWorks()) GTEST_SKIP() << "strace is not installed or may not trace here";
  TempDir dir;
  writePhotos(dir);
  const std::vector<std::string> calls = traced(dir, {"-cm=lib"});
  size_t looks = 0;
  for (const char* folder : {"lib/Imgs/o/2013/04/", "lib/Imgs/o/2013/04"}) looks += naming(calls, folder, Looks);
  EXPECT_LE(looks, 2u);
  EXPECT_EQ(dir.list("lib/Imgs/o/2013/04").size(), static_cast<size_t>(Photos));
}

}  // namespace
