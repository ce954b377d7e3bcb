// Replays the content-probe fuzz corpus and the inputs that once failed,
// so that every build (and the sanitizer build) runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/probes_fuzz_input.h"

namespace {

TEST(ProbesFuzzCorpus, EveryInputRunsClean) {
  namespace fs = std::filesystem;
  int inputs = 0;
  for (const char* sub : {"fuzz/corpus/probes", "fuzz/regressions/probes"}) {
    fs::path dir = fs::path(ZANTREL_SOURCE_DIR) / sub;
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    for (const auto& entry : fs::directory_iterator(dir)) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      probeFuzzInput(bytes);
      ++inputs;
    }
  }
  EXPECT_GE(inputs, 10);
}

}  // namespace
