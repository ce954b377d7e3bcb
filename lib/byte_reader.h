// Bounded access to the bytes of a file or of a memory block, for the
// readers that look into file headers. A reader asks a ByteSource for bytes
// at an offset and gets at most what is there, so whatever offsets and
// lengths a header claims, nothing outside the data is ever touched. The
// same readers run on a file (FileBytes) and, in tests and fuzzing, on
// memory (MemoryBytes).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_file.h"

namespace zantrel {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to count bytes from offset into buffer; the number copied, 0 at or
  // past the end.
  virtual size_t readAt(uint64_t offset, void* buffer, size_t count) const = 0;
  // The number of bytes the source holds; container readers bound the
  // sizes a file states ("to the end of the file") by it.
  virtual uint64_t size() const = 0;
};

// A file whose content a reader needed but could not read (no permission,
// an I/O error), as opposed to content that holds nothing the reader
// wants. error is the system's error number.
struct UnreadableFile : std::runtime_error {
  explicit UnreadableFile(int code) : std::runtime_error("content cannot be read"), error(code) {}
  int error;
};

class MemoryBytes : public ByteSource {
 public:
  explicit MemoryBytes(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  explicit MemoryBytes(std::string_view bytes)
      : bytes_(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) {}
  size_t readAt(uint64_t offset, void* buffer, size_t count) const override;
  uint64_t size() const override { return bytes_.size(); }

 private:
  std::span<const uint8_t> bytes_;
};

class FileBytes : public ByteSource {
 public:
  FileBytes() = default;
  // Reads a file that the caller opened (and keeps open).
  explicit FileBytes(const platform::InputFile& opened) : file_(&opened) {}
  // False when the path is no regular file that can be opened for reading.
  bool open(const std::string& path) {
    file_ = &own_;
    return own_.open(path);
  }
  // Why the content could not be read (the system's error number of a
  // failed open or read), 0 when nothing failed.
  int error() const { return file_->error(); }
  // Asks no more than the file holds, so that a block read at the end of
  // the file takes one system call.
  size_t readAt(uint64_t offset, void* buffer, size_t count) const override {
    if (offset >= file_->size()) return 0;
    return file_->readAt(offset, buffer, static_cast<size_t>(std::min<uint64_t>(count, file_->size() - offset)));
  }
  uint64_t size() const override { return file_->size(); }

 private:
  platform::InputFile own_;
  const platform::InputFile* file_ = &own_;
};

// A part of another source, read as a source of its own: offset 0 is the
// part's first byte and no read reaches past its end, so a reader given
// one box or chunk of a file cannot stray into its neighbours. A part that
// reaches past the end of the source is cut at that end.
class ByteWindow : public ByteSource {
 public:
  ByteWindow(const ByteSource& source, uint64_t offset, uint64_t length);
  size_t readAt(uint64_t offset, void* buffer, size_t count) const override;
  uint64_t size() const override { return length_; }

 private:
  const ByteSource& source_;
  uint64_t offset_;
  uint64_t length_;
};

// Parts of a source joined in order and read as one source: an item of a
// container stored in several pieces (extents).
class JoinedBytes : public ByteSource {
 public:
  struct Part {
    uint64_t offset = 0;
    uint64_t length = 0;
  };
  // Each part is cut at the end of the source, as a ByteWindow is.
  JoinedBytes(const ByteSource& source, const std::vector<Part>& parts);
  size_t readAt(uint64_t offset, void* buffer, size_t count) const override;
  uint64_t size() const override { return size_; }

 private:
  const ByteSource& source_;
  std::vector<Part> parts_;
  uint64_t size_ = 0;
};

// The first bytes of another source, read into memory in one request and
// served from there; bytes past them still come from the source. For a
// block that a reader visits here and there (the directories and values
// of a TIFF block), which mostly lies within those first bytes. A read
// that starts in them and runs past their end makes them grow (to twice
// as many, at most to most bytes), so that the reads near it that follow
// are served from memory too.
class PrefixedBytes : public ByteSource {
 public:
  PrefixedBytes(const ByteSource& source, size_t first, size_t most = 0);
  size_t readAt(uint64_t offset, void* buffer, size_t count) const override;
  uint64_t size() const override { return source_.size(); }

 private:
  void grow(uint64_t to) const;

  const ByteSource& source_;
  size_t most_;
  mutable std::vector<uint8_t> prefix_;
  mutable bool more_ = false;  // the source holds bytes past the prefix
};

// Sequential reading with cheap skips: bytes come from the source one block
// at a time, so a walk over many small fields costs one read per block, and
// a skip within the block costs nothing.
class BlockReader {
 public:
  static constexpr size_t BlockSize = 4096;

  // A reader that expects long runs of data (whole segments) takes larger
  // blocks. A first block smaller than the others suits readers that are
  // mostly done within it (the leading segments of a photo).
  explicit BlockReader(const ByteSource& source, uint64_t position = 0, size_t blockSize = BlockSize,
                       size_t firstBlockSize = 0);

  uint64_t position() const { return position_; }
  void seek(uint64_t position) { position_ = position; }
  // The size of the blocks fetched from now on, for a reader that learns
  // as it goes how far apart the bytes it wants lie.
  void setBlockSize(size_t size) { blockSize_ = nextFill_ = std::max<size_t>(size, 1); }
  // Moves on by count bytes; false when that would pass 2^64 (the position
  // is then left alone). Skipping past the end is allowed: reads there fail.
  bool skip(uint64_t count);

  // One byte; false at the end of the data.
  bool readByte(uint8_t& value);
  // Up to count bytes; the number read. The position moves by that number.
  // What the block does not hold comes in one request of just that size
  // when it is at least BlockSize long, so a long segment costs one read
  // however long it is, and nothing behind it is fetched.
  size_t read(void* buffer, size_t count);
  // Exactly count bytes or false (the position then stays where it was).
  bool readExact(void* buffer, size_t count);

 private:
  bool fill();

  const ByteSource& source_;
  // Allocated at the first fill, and not cleared: it only ever holds what
  // was read into it.
  std::unique_ptr<uint8_t[]> block_;
  size_t blockSize_;
  size_t capacity_ = 0;
  size_t nextFill_;  // bytes the next fill asks for
  uint64_t blockStart_ = 0;
  size_t blockLength_ = 0;
  uint64_t position_;
};

// Numbers from raw bytes in a stated byte order.
inline uint16_t bigEndian16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint16_t littleEndian16(const uint8_t* p) { return static_cast<uint16_t>(p[1] << 8 | p[0]); }
inline uint32_t bigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}
inline uint32_t littleEndian32(const uint8_t* p) {
  return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | uint32_t{p[0]};
}

}  // namespace zantrel
