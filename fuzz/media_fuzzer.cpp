// Feeds arbitrary bytes to the capture-date readers of the containers
// beyond JPEG and TIFF (HEIF, CR3, raw TIFF, RAF, PNG, WebP, QuickTime)
// and to the size readers of HEIF and WebP. The first byte chooses the
// file's extension, the rest is the file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/media_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mediaFuzzInput(std::span<const uint8_t>(data, size));
  return 0;
}
