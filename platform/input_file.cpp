#include "platform/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>

#include "platform/at_path.h"
#include "platform/stat_status.h"

namespace platform {

InputFile::~InputFile() { close(); }

bool InputFile::open(const std::string& path) {
  FileStatus status;
  return open(path, status);
}

bool InputFile::open(const std::string& path, FileStatus& status) {
  close();
  status = FileStatus{};
  // O_NONBLOCK keeps a FIFO that slipped through from blocking the open.
  const AtPath at(path);
  int fd = ::openat(at.dir(), at.name(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error_ = errno;
    ::close(fd);
    return false;
  }
  status = statusOf(st);
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
  return true;
}

void InputFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
  error_ = 0;
  probe_ = waited_ = false;
}

size_t InputFile::readAt(uint64_t offset, void* buffer, size_t count) const {
  if (fd_ < 0) return 0;
  size_t done = 0;
  char* out = static_cast<char*>(buffer);
  if (probe_ && count > 0) {
    // The next read asks only the cache; a miss is read again below.
    probe_ = false;
    struct iovec part {out, count};
    const ssize_t n = ::preadv2(fd_, &part, 1, static_cast<off_t>(offset), RWF_NOWAIT);
    if (n > 0) done = static_cast<size_t>(n);
    waited_ = n < 0 && errno == EAGAIN;
  }
  while (done < count) {
    ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && error_ == 0) error_ = errno;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void warmFileHead(const std::string& path, size_t bytes) {
  const AtPath at(path);
  constexpr int Flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  // O_NOATIME only for the file's owner (and root); others open it plainly.
  int fd = ::openat(at.dir(), at.name(), Flags | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = ::openat(at.dir(), at.name(), Flags);
  if (fd < 0) return;
  // What is no regular file refuses the advice, harmlessly.
  static_cast<void>(::posix_fadvise(fd, 0, static_cast<off_t>(bytes), POSIX_FADV_WILLNEED));
  ::close(fd);
}

}  // namespace platform
