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

ByteWindow::ByteWindow(const ByteSource& source, uint64_t offset, uint64_t length)
    : source_(source), offset_(offset), length_(0) {
  const uint64_t total = source.size();
  if (offset < total) length_ = std::min(length, total - offset);
}

size_t ByteWindow::readAt(uint64_t offset, void* buffer, size_t count) const {
  if (offset >= length_) return 0;
  return source_.readAt(offset_ + offset, buffer, static_cast<size_t>(std::min<uint64_t>(count, length_ - offset)));
}

JoinedBytes::JoinedBytes(const ByteSource& source, const std::vector<Part>& parts) : source_(source) {
  const uint64_t total = source.size();
  for (const Part& part : parts) {
    if (part.offset >= total) continue;
    const uint64_t length = std::min(part.length, total - part.offset);
    if (length == 0) continue;
    parts_.push_back({part.offset, length});
    size_ += length;
  }
}

size_t JoinedBytes::readAt(uint64_t offset, void* buffer, size_t count) const {
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  uint64_t partStart = 0;  // offset of the current part in the joined bytes
  for (const Part& part : parts_) {
    if (done == count) break;
    const uint64_t at = offset + done;
    if (at < partStart + part.length) {
      const uint64_t within = at - partStart;
      const size_t want = static_cast<size_t>(std::min<uint64_t>(count - done, part.length - within));
      const size_t got = source_.readAt(part.offset + within, out + done, want);
      done += got;
      if (got < want) break;
    }
    partStart += part.length;
  }
  return done;
}

PrefixedBytes::PrefixedBytes(const ByteSource& source, size_t first, size_t most)
    : source_(source), most_(std::max(first, most)) {
  prefix_.resize(static_cast<size_t>(std::min<uint64_t>(first, source.size())));
  prefix_.resize(source.readAt(0, prefix_.data(), prefix_.size()));
  more_ = prefix_.size() < source.size();
}

void PrefixedBytes::grow(uint64_t to) const {
  const size_t had = prefix_.size();
  const uint64_t wanted = std::min<uint64_t>({std::max<uint64_t>(to, 2 * uint64_t{had}), most_, source_.size()});
  if (wanted <= had) return;
  prefix_.resize(static_cast<size_t>(wanted));
  const size_t got = source_.readAt(had, prefix_.data() + had, prefix_.size() - had);
  prefix_.resize(had + got);
  more_ = prefix_.size() < source_.size();
}

size_t PrefixedBytes::readAt(uint64_t offset, void* buffer, size_t count) const {
  if (more_ && offset < prefix_.size() && count > prefix_.size() - offset) grow(offset + count);
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  if (offset < prefix_.size()) {
    done = static_cast<size_t>(std::min<uint64_t>(count, prefix_.size() - offset));
    std::memcpy(out, prefix_.data() + offset, done);
  }
  if (done == count || !more_) return done;
  return done + source_.readAt(offset + done, out + done, count - done);
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
