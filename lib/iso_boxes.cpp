#include "lib/iso_boxes.h"

#include <algorithm>

namespace zantrel {

bool IsoBoxWalker::next(IsoBox& box) {
  if (done_ || next_ >= end_ || count_ >= MaxBoxesPerLevel) return false;
  ++count_;
  BoxFields header(reader_, next_, end_);
  const uint64_t size32 = header.u32();
  box.type = header.u32();
  uint64_t size = size32;
  if (size32 == 1) size = header.u64();
  if (!header.ok()) {
    done_ = true;
    return false;
  }
  const uint64_t headerSize = header.position() - next_;
  box.start = next_;
  box.payload = header.position();
  if (size32 == 0) {
    size = end_ - next_;  // runs to the end of its parent
  } else if (size < headerSize) {
    done_ = true;
    return false;
  }
  if (size > end_ - next_) {
    size = end_ - next_;
    done_ = true;
  }
  box.end = next_ + size;
  next_ = box.end;
  return true;
}

bool findBox(BlockReader& reader, uint64_t begin, uint64_t end, uint32_t type, IsoBox& found) {
  IsoBoxWalker walker(reader, begin, end);
  IsoBox box;
  while (walker.next(box)) {
    if (box.type == type) {
      found = box;
      return true;
    }
  }
  return false;
}

namespace {

// Whether a number read as a box type is four printable characters (the
// first may be the copyright sign of QuickTime's own types). No size that
// a box of metadata has looks like one.
bool isBoxType(uint32_t type) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    const uint32_t c = type >> shift & 0xFF;
    if ((c < 0x20 || c > 0x7E) && !(shift == 24 && c == 0xA9)) return false;
  }
  return true;
}

bool isFullMetaBox(BlockReader& reader, const IsoBox& meta) {
  // A full box starts with four zero bytes, then its first child's size. A
  // plain box starts with its first child's size, which is zero too where
  // that child runs to the end of meta; the child's type follows then.
  BoxFields head(reader, meta.payload, meta.end);
  const bool zero = head.u32() == 0;
  const uint32_t next = head.u32();
  return zero && head.ok() && !isBoxType(next);
}

}  // namespace

uint64_t metaChildren(BlockReader& reader, const IsoBox& meta) {
  return isFullMetaBox(reader, meta) ? meta.payload + 4 : meta.payload;
}

uint64_t BoxFields::number(unsigned bytes) {
  if (!ok_ || bytes > 8 || bytes > left()) {
    ok_ = false;
    return 0;
  }
  uint8_t raw[8];
  reader_.seek(position_);
  if (!reader_.readExact(raw, bytes)) {
    ok_ = false;
    return 0;
  }
  position_ += bytes;
  uint64_t value = 0;
  for (unsigned i = 0; i < bytes; ++i) value = value << 8 | raw[i];
  return value;
}

std::string BoxFields::bytes(size_t count) {
  std::string out;
  if (!ok_) return out;
  out.resize(static_cast<size_t>(std::min<uint64_t>(count, left())));
  reader_.seek(position_);
  out.resize(reader_.read(out.data(), out.size()));
  position_ += out.size();
  return out;
}

void BoxFields::skip(uint64_t count) {
  if (count > left()) {
    ok_ = false;
    position_ = end_;
    return;
  }
  position_ += count;
}

}  // namespace zantrel
