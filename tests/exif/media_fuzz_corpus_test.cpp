// Replays the media fuzz corpus and the inputs that once failed, so that
// every build (and the sanitizer build) runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/media_fuzz_input.h"

namespace {

TEST(MediaFuzzCorpus, EveryInputRunsClean) {
  namespace fs = std::filesystem;
  int inputs = 0;
  for (const char* sub : {"fuzz/corpus/media", "fuzz/regressions/media"}) {
    const fs::path dir = fs::path(ZANTREL_SOURCE_DIR) / sub;
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    for (const auto& entry : fs::directory_iterator(dir)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      mediaFuzzInput(bytes);
      ++inputs;
    }
  }
  EXPECT_GE(inputs, 15);
}

}  // namespace
