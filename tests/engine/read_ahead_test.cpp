// The reader thread of a pass: what it hands over, and that nothing it saw
// before the pass changed a name or an object is handed over.
#include "engine/read_ahead.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "cli/harness.h"

using namespace zantrel;
using namespace testing_support;

namespace {

struct Files {
  TempDir dir;
  std::vector<std::string> paths;
  explicit Files(int n) {
    for (int i = 0; i < n; ++i) {
      const std::string name = "f" + std::to_string(i) + ".jpg";
      paths.push_back(dir.write(name, std::string(5000, static_cast<char>('a' + i))).string());
    }
  }
};

TEST(ReadAhead, HandsOverOpenFilesWithTheirFirstBlockInOrder) {
  Files f(40);  // more than a window
  std::vector<bool> wanted(f.paths.size(), true);
  wanted[3] = false;
  TReadAhead ahead(f.paths, wanted, 1);
  std::shared_ptr<platform::InputFile> file;
  platform::FileStatus status;
  EXPECT_FALSE(ahead.take(0, file, status));  // before the first item read ahead
  // Time for the reader to fill its window; later items the pass may reach
  // first, and then they are its own.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  for (size_t i = 1; i < f.paths.size(); ++i) {
    const bool taken = ahead.take(i, file, status);
    if (i == 3) EXPECT_FALSE(taken);
    else if (i <= TReadAhead::Window) EXPECT_TRUE(taken) << i;
    if (!taken) continue;
    EXPECT_TRUE(status.isFile);
    EXPECT_EQ(status.size, 5000u);
    char bytes[3] = {};
    EXPECT_EQ(file->readAt(4094, bytes, 3), 3u);  // across the end of the first block
    EXPECT_EQ(std::string(bytes, 3), std::string(3, static_cast<char>('a' + i)));
    file.reset();
  }
  EXPECT_FALSE(ahead.take(5, file, status));  // taken in order only
}

TEST(ReadAhead, ChangedNamesAndObjectsAreLookedAtAgain) {
  Files f(6);
  TReadAhead ahead(f.paths, std::vector<bool>(f.paths.size(), true), 0);
  std::shared_ptr<platform::InputFile> file;
  platform::FileStatus status;
  const platform::FileStatus third = platform::fileStatus(f.paths[3]);
  ahead.nameChanged(f.paths[2]);
  ahead.objectChanged(third);
  // Whatever the reader had seen of them is not handed over.
  EXPECT_FALSE(ahead.take(2, file, status));
  EXPECT_FALSE(ahead.take(3, file, status));
  // An item passed over is given up.
  ahead.take(5, file, status);
  EXPECT_FALSE(ahead.take(4, file, status));
}

}  // namespace
