#include "platform/copy_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/write_all.h"

namespace platform {

namespace {

struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// Copies by read/write from where copy_file_range stopped.
bool copyByBuffer(int in, int out, off_t offset, off_t size) {
  std::vector<char> buffer(1 << 20);
  while (offset < size) {
    ssize_t n = ::pread(in, buffer.data(), buffer.size(), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;  // the source shrank meanwhile; what was there is copied
    if (!writeAll(out, buffer.data(), static_cast<size_t>(n))) return false;
    offset += n;
  }
  return true;
}

bool copyContent(int in, int out, off_t size) {
  off_t done = 0;
  while (done < size) {
    ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(size - done), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF ||
                  errno == EPERM))
      return ::lseek(out, done, SEEK_SET) == done && copyByBuffer(in, out, done, size);
    if (n < 0) return false;
    if (n == 0) break;
    done += n;
  }
  return true;
}

}  // namespace

CopyOutcome copyFileNoReplace(const std::string& source, const std::string& destination) {
  Fd in;
  in.fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (in.fd < 0) return CopyOutcome::Failed;
  struct stat st {};
  if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) return CopyOutcome::Failed;

  Fd out;
  out.fd = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out.fd < 0) return errno == EEXIST ? CopyOutcome::DestinationExists : CopyOutcome::Failed;

  bool ok = copyContent(in.fd, out.fd, st.st_size);
  if (ok) {
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ok = ::futimens(out.fd, times) == 0 && ::fchmod(out.fd, st.st_mode & 07777) == 0;
  }
  // A full disk can show up only when the data is flushed at close.
  const int fd = out.fd;
  out.fd = -1;
  if (::close(fd) != 0) ok = false;
  if (!ok) {
    ::unlink(destination.c_str());
    return CopyOutcome::Failed;
  }
  return CopyOutcome::Copied;
}

}  // namespace platform
