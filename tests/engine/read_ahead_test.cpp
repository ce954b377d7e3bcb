// The read-ahead thread only warms the cache: these tests hold it to its
// window, to files it may meet in a folder (FIFOs, folders, names gone),
// and to stopping wherever it is; and the watch to starting it only where
// reads clearly wait.
#include "engine/read_ahead.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace zantrel {
namespace {

namespace fs = std::filesystem;

// Waits (up to two seconds) until the thread has come to at least count.
size_t waitForWarmed(const TReadAhead& ahead, size_t count) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (ahead.warmed() < count && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return ahead.warmed();
}

class ReadAheadTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("zantrel-read-ahead-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    // Regular files, a FIFO that must not block the thread, a folder and
    // names that are gone.
    for (size_t i = 0; i < 200; ++i) {
      const fs::path path = dir_ / ("f" + std::to_string(i) + ".jpg");
      if (i % 3 == 0) std::ofstream(path) << "photo " << i;
      paths_.push_back(path.string());
    }
    ASSERT_EQ(::mkfifo(paths_[1].c_str(), 0644), 0);
    fs::create_directory(paths_[2]);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
  std::vector<std::string> paths_;
};

TEST_F(ReadAheadTest, StaysWithinItsWindowAndFollowsThePass) {
  TReadAhead ahead(paths_, std::vector<bool>(paths_.size(), true), 0, 4096);
  EXPECT_EQ(waitForWarmed(ahead, TReadAhead::Window), TReadAhead::Window);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ahead.warmed(), TReadAhead::Window) << "went past its window";
  // Not yet half a window on: the thread sleeps on.
  ahead.passAt(TReadAhead::Window / 2 - 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ahead.warmed(), TReadAhead::Window);
  ahead.passAt(40);
  EXPECT_EQ(waitForWarmed(ahead, 40 + TReadAhead::Window), 40 + TReadAhead::Window);
  ahead.passAt(paths_.size() - 1);
  EXPECT_EQ(waitForWarmed(ahead, paths_.size()), paths_.size());
}

TEST_F(ReadAheadTest, StartsWhereThePassIsAndSkipsWhatItDoesNotRead) {
  std::vector<bool> wanted(paths_.size(), false);
  TReadAhead ahead(paths_, wanted, 150, 4096);
  ahead.passAt(150);
  EXPECT_EQ(waitForWarmed(ahead, paths_.size()), paths_.size());
}

TEST_F(ReadAheadTest, StopsWhileWaitingAndWhileWorking) {
  for (const size_t pass : {size_t{0}, paths_.size()}) {
    const auto start = std::chrono::steady_clock::now();
    {
      TReadAhead ahead(paths_, std::vector<bool>(paths_.size(), true), 0, 4096);
      ahead.passAt(pass);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << pass;
  }
}

TEST(SlowMediumWatch, StartsOnlyWhenMostReadsOfTwoSpansWait) {
  struct Case {
    const char* what;
    std::string reads;  // one letter per item: w waited, c from the cache
    int slowAfter;      // items after which the watch says slow, -1 never
  };
  auto spans = [](const std::string& span, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += span;
    return s;
  };
  const Case cases[] = {
      {"all cached", std::string(100, 'c'), -1},
      {"all waited", std::string(100, 'w'), 32},
      {"twelve of each span", spans("wwwwwwwwwwwwcccc", 4), 32},
      {"eleven of each span", spans("wwwwwwwwwwwccccc", 6), -1},
      {"one slow span between cached ones", spans("c", 16) + spans("w", 16) + spans("c", 16) + spans("w", 16), -1},
      {"a few lost files now and then", spans("cccccccwcccccccw", 20), -1},
  };
  for (const Case& c : cases) {
    TSlowMediumWatch watch;
    int slowAfter = -1;
    for (size_t i = 0; i < c.reads.size() && slowAfter < 0; ++i) {
      watch.readItem(c.reads[i] == 'w');
      if (watch.slow()) slowAfter = static_cast<int>(i) + 1;
    }
    EXPECT_EQ(slowAfter, c.slowAfter) << c.what;
  }
}

}  // namespace
}  // namespace zantrel
