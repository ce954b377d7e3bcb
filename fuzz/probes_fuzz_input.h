// What the content-probe fuzz target does with one input; the unit tests
// replay the committed corpus through the same routine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "probes/img_size.h"
#include "probes/magic.h"

inline void probeFuzzInput(std::span<const uint8_t> bytes) {
  (void)zantrel::extensionFromContent(bytes);

  // The search itself, with a limit and a pattern taken from the input.
  if (bytes.size() >= 3) {
    int32_t position = 0;
    size_t limit = bytes[0];
    size_t patternLength = 1 + bytes[1] % 8;
    if (patternLength <= bytes.size() - 2) {
      (void)zantrel::findBytes(bytes.subspan(2, patternLength), bytes, limit, position);
    }
  }

  for (const char* name : {"x.jpg", "x.png", "x.gif", "x.tif", "x.bmp"}) {
    zantrel::TImgSize size(name, bytes);
    int32_t width = 0;
    int32_t height = 0;
    if (size.hasSize()) size.getSize(width, height);
  }
}
