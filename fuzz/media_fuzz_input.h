// What the media fuzz target does with one input; the unit tests replay
// the committed corpus through the same routine. Byte 0 picks an
// extension from MediaFuzzExtensions (modulo its size), the remaining
// bytes are the file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "exif/capture_date.h"
#include "lib/byte_reader.h"
#include "probes/img_size.h"
#include "probes/magic.h"

inline constexpr std::array<const char*, 12> MediaFuzzExtensions = {
    ".heic", ".avif", ".cr3", ".mov", ".mp4", ".cr2", ".orf", ".rw2", ".raf", ".png", ".webp", ".dng",
};

inline void mediaFuzzInput(std::span<const uint8_t> input) {
  if (input.empty()) return;
  const std::string extension = MediaFuzzExtensions[input[0] % MediaFuzzExtensions.size()];
  const std::span<const uint8_t> file = input.subspan(1);
  const zantrel::MemoryBytes source(file);
  (void)zantrel::captureDateFrom(source, zantrel::captureFormatOf(extension));
  zantrel::TImgSize size("x" + extension, file);
  (void)size.hasSize();
  (void)zantrel::extensionFromContent(file);
}
