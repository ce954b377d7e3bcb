#include "lib/byte_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace zantrel {

size_t MemoryBytes::readAt(uint64_t offset, void* buffer, size_t count) const {
  if (offset >= bytes_.size()) return 0;
  size_t n = std::min<uint64_t>(count, bytes_.size() - offset);
  if (n > 0) std::memcpy(buffer, bytes_.data() + offset, n);
  return n;
}

BlockReader::BlockReader(const ByteSource& source, uint64_t position, size_t blockSize, size_t firstBlockSize)
    : source_(source),
      blockSize_(std::max<size_t>(blockSize, 1)),
      nextFill_(firstBlockSize > 0 && firstBlockSize < blockSize_ ? firstBlockSize : blockSize_),
      position_(position) {}

bool BlockReader::skip(uint64_t count) {
  if (count > std::numeric_limits<uint64_t>::max() - position_) return false;
  position_ += count;
  return true;
}

// Makes the block hold the byte at the current position; false when the
// data ends before it.
bool BlockReader::fill() {
  if (position_ >= blockStart_ && position_ - blockStart_ < blockLength_) return true;
  if (capacity_ < nextFill_) {
    block_.reset(new uint8_t[nextFill_]);
    capacity_ = nextFill_;
  }
  blockStart_ = position_;
  blockLength_ = source_.readAt(position_, block_.get(), nextFill_);
  nextFill_ = blockSize_;
  return blockLength_ > 0;
}

bool BlockReader::readByte(uint8_t& value) {
  if (!fill()) return false;
  value = block_[position_ - blockStart_];
  ++position_;
  return true;
}

size_t BlockReader::read(void* buffer, size_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    if (!(position_ >= blockStart_ && position_ - blockStart_ < blockLength_) && count - done >= BlockSize) {
      const size_t n = source_.readAt(position_, out + done, count - done);
      done += n;
      position_ += n;
      break;
    }
    if (!fill()) break;
    size_t at = position_ - blockStart_;
    size_t n = std::min(count - done, blockLength_ - at);
    std::memcpy(out + done, block_.get() + at, n);
    done += n;
    position_ += n;
  }
  return done;
}

bool BlockReader::readExact(void* buffer, size_t count) {
  uint64_t start = position_;
  if (read(buffer, count) == count) return true;
  position_ = start;
  return false;
}

}  // namespace zantrel
