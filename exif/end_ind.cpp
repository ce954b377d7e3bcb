#include "exif/end_ind.h"

namespace zantrel {

uint16_t tEndInd::read16At(int64_t p) const {
  if (!holds(p, 2)) return 0;
  return static_cast<uint16_t>(intFromBytes(std::string_view(Bytes).substr(static_cast<size_t>(p - 1), 2)));
}

int32_t tEndInd::read32At(int64_t p) const {
  if (!holds(p, 4)) return 0;
  return static_cast<int32_t>(intFromBytes(std::string_view(Bytes).substr(static_cast<size_t>(p - 1), 4)));
}

uint32_t tEndInd::intFromBytes(std::string_view bytes) const {
  uint32_t value = 0;
  const size_t n = bytes.size();
  for (size_t i = 0; i < n; ++i) {
    const auto b = static_cast<unsigned char>(BigEndian ? bytes[i] : bytes[n - 1 - i]);
    value = (value << 8) | b;
  }
  return value;
}

}  // namespace zantrel
