// Boxes of ISO base media files (MP4, MOV, 3GP, HEIF, AVIF, CR3): a size,
// a four-character type and a payload, nested. Every size comes from the
// file, so the walk checks each box against its parent and never reads
// past either.
#pragma once

#include <cstdint>
#include <string>

#include "lib/byte_reader.h"

namespace zantrel {

// A four-character code as the big-endian number the file stores.
constexpr uint32_t fourCC(const char (&code)[5]) {
  return uint32_t{static_cast<uint8_t>(code[0])} << 24 | uint32_t{static_cast<uint8_t>(code[1])} << 16 |
         uint32_t{static_cast<uint8_t>(code[2])} << 8 | uint32_t{static_cast<uint8_t>(code[3])};
}

// One box; every offset is one of the source the walk reads.
struct IsoBox {
  uint32_t type = 0;
  uint64_t start = 0;    // the size field
  uint64_t payload = 0;  // the first byte after the header
  uint64_t end = 0;      // just past the box
  uint64_t payloadSize() const { return end - payload; }
};

// A box walk visits at most this many boxes on one level: a real file has
// a few dozen, a long fragmented recording some thousands.
inline constexpr int MaxBoxesPerLevel = 1 << 16;

// The boxes in [begin, end) of the reader's source, one after the other by
// their sizes. Only headers are read; a payload is never touched.
class IsoBoxWalker {
 public:
  IsoBoxWalker(BlockReader& reader, uint64_t begin, uint64_t end) : reader_(reader), next_(begin), end_(end) {}

  // The next box; false after the last one, at a header that cannot be
  // read or states a size smaller than itself, and after MaxBoxesPerLevel
  // boxes. A box that claims to run past the end of its parent is cut at
  // that end and is the last one (a file cut short keeps what it holds).
  bool next(IsoBox& box);

 private:
  BlockReader& reader_;
  uint64_t next_;
  uint64_t end_;
  int count_ = 0;
  bool done_ = false;
};

// The first box of that type in [begin, end); false when there is none.
bool findBox(BlockReader& reader, uint64_t begin, uint64_t end, uint32_t type, IsoBox& found);

// Where the children of a meta box begin. In QuickTime files meta is a
// plain box, in MP4 and HEIF files a full box (version and flags, zero).
uint64_t metaChildren(BlockReader& reader, const IsoBox& meta);

// Big-endian fields read one after the other inside [position, end): a
// box's payload. Once a field would cross the end, ok() turns false and
// every later field reads as 0, so a parser checks once at the end.
class BoxFields {
 public:
  BoxFields(BlockReader& reader, uint64_t position, uint64_t end) : reader_(reader), position_(position), end_(end) {}

  // An unsigned number of 0 to 8 bytes (0 bytes read as 0).
  uint64_t number(unsigned bytes);
  uint8_t u8() { return static_cast<uint8_t>(number(1)); }
  uint16_t u16() { return static_cast<uint16_t>(number(2)); }
  uint32_t u32() { return static_cast<uint32_t>(number(4)); }
  uint64_t u64() { return number(8); }
  // Up to count bytes as they stand, at most as far as the end.
  std::string bytes(size_t count);
  void skip(uint64_t count);

  bool ok() const { return ok_; }
  uint64_t position() const { return position_; }
  uint64_t left() const { return position_ < end_ ? end_ - position_ : 0; }

 private:
  BlockReader& reader_;
  uint64_t position_;
  uint64_t end_;
  bool ok_ = true;
};

}  // namespace zantrel
