// Feeds arbitrary bytes to the content probes: the magic-byte tests and
// every image size reader, through their memory entry points.
#include "fuzz/probes_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  probeFuzzInput(std::span<const uint8_t>(data, size));
  return 0;
}
