// Byte strings read with a byte order, the base of the EXIF container and
// of its tag reader. Positions are 1-based, as the directory offsets are
// turned into positions by adding a base.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zantrel {

class tEndInd {
 public:
  std::string Bytes;
  bool BigEndian = false;  // false for "II" data, true for "MM" data

  // True when the count bytes from position p on all lie inside Bytes.
  bool holds(int64_t p, int64_t count) const {
    return p >= 1 && count >= 0 && p - 1 <= static_cast<int64_t>(Bytes.size()) - count;
  }

  // Unsigned 16-bit value at p, p+1; 0 when the bytes lie outside Bytes.
  uint16_t read16At(int64_t p) const;
  // 32-bit value at p..p+3, signed for position arithmetic; 0 outside Bytes.
  int32_t read32At(int64_t p) const;

  // The bytes as one unsigned number in this byte order, low 32 bits kept.
  uint32_t intFromBytes(std::string_view bytes) const;

  void setBytes(std::string bytes) { Bytes = std::move(bytes); }
  const std::string& getBytes() const { return Bytes; }
};

}  // namespace zantrel
