// Where the container scan reads from: an open file, or bytes in memory
// (fuzzing, tests). Reads are positioned, so the scan fetches blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/input_file.h"

namespace zantrel {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to count bytes from offset into buffer; the number read, 0 at the end.
  virtual size_t readAt(uint64_t offset, void* buffer, size_t count) const = 0;
};

class FileSource : public ByteSource {
 public:
  explicit FileSource(const platform::InputFile& file) : file_(file) {}
  size_t readAt(uint64_t offset, void* buffer, size_t count) const override {
    return file_.readAt(offset, buffer, count);
  }

 private:
  const platform::InputFile& file_;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view data) : data_(data) {}
  size_t readAt(uint64_t offset, void* buffer, size_t count) const override {
    if (offset >= data_.size()) return 0;
    const size_t n = std::min<size_t>(count, data_.size() - static_cast<size_t>(offset));
    std::memcpy(buffer, data_.data() + offset, n);
    return n;
  }

 private:
  std::string_view data_;
};

}  // namespace zantrel
