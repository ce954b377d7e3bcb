// Feeds arbitrary bytes to the content probes: the magic-byte tests and
// every image size reader, through their memory entry points.
#include <cstddef>
#include <cstdint>
#include <span>

#include "probes/img_size.h"
#include "probes/magic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  (void)zantrel::extensionFromContent(bytes);

  // The search itself, with a limit taken from the input.
  if (size >= 3) {
    int32_t position = 0;
    size_t limit = data[0];
    size_t patternLength = 1 + data[1] % 8;
    if (patternLength <= size - 2) {
      (void)zantrel::findBytes(bytes.subspan(2, patternLength), bytes, limit, position);
    }
  }

  for (const char* name : {"x.jpg", "x.png", "x.gif", "x.tif", "x.bmp"}) {
    zantrel::TImgSize size(name, bytes);
    int32_t width = 0;
    int32_t height = 0;
    if (size.hasSize()) size.getSize(width, height);
  }
  return 0;
}
