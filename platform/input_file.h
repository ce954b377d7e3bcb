// Read-only access to a file's bytes for the content readers (EXIF,
// magic bytes, image size). Reads are positioned (pread), so a reader can
// fetch exactly the blocks it needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/filesystem.h"

namespace platform {

class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  // Opens a regular file for reading; false when it cannot be opened or is
  // no regular file (a folder, a FIFO, a device).
  bool open(const std::string& path);
  // The same, and what the open file is, from the one fstat the open needs
  // anyway (status.exists false when the open itself failed).
  bool open(const std::string& path, FileStatus& status);
  void close();
  bool isOpen() const { return fd_ >= 0; }
  // For the platform's own work on the open file (a copy of it); -1 when
  // it is not open.
  int descriptor() const { return fd_; }
  uint64_t size() const { return size_; }

  // Up to count bytes from offset into buffer; the number read, 0 at the
  // end of the file or on a read error.
  size_t readAt(uint64_t offset, void* buffer, size_t count) const;

  // Why the content could not be read: the system's error number of a
  // failed open or of the first failed read, 0 when nothing failed. A path
  // that is no regular file is no failure here: it has no content to read.
  int error() const { return error_; }

  // The next read tells whether its data had to come from the medium (the
  // system's cache did not hold it): waitedForMedium() then says so. It
  // costs no further call where the cache holds the data.
  void probeCache() { probe_ = true; }
  bool waitedForMedium() const { return waited_; }

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
  mutable int error_ = 0;
  mutable bool probe_ = false;
  mutable bool waited_ = false;
};

// Asks the system to bring the first bytes of the file at path into its
// cache, without waiting for them and, where the system lets the caller,
// without touching the file's access time. Nothing is reported: a file
// that cannot be opened is simply left for its reader to find so.
void warmFileHead(const std::string& path, size_t bytes);

}  // namespace platform
