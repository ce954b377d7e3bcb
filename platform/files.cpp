#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/at_path.h"
#include "platform/input_file.h"
#include "platform/write_all.h"

namespace platform {

namespace {

std::string describe(const std::string& path, int code) { return path + ": " + std::strerror(code); }

bool isFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Writes all of data, at offset, or at the file's own position where
// offset is negative; a signal or a short write goes on where it stopped.
bool writeFully(int fd, const char* data, size_t size, long long offset) {
  while (size > 0) {
    const ssize_t n = offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
    if (offset >= 0) offset += n;
  }
  return true;
}

}  // namespace

bool writeAll(int fd, const char* data, size_t size) { return writeFully(fd, data, size, -1); }

bool writeAllAt(int fd, const char* data, size_t size, long long offset) {
  return writeFully(fd, data, size, offset);
}

bool createFolders(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "empty folder name";
    return false;
  }
  if (isFolder(path)) return true;
  // Parents first; a run of slashes is one separator.
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    const std::string part = path.substr(0, pos);
    if (part.empty() || part.back() == '/') continue;
    if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
      error = describe(part, errno);
      return false;
    }
  }
  if (!isFolder(path)) {
    error = describe(path, ENOTDIR);
    return false;
  }
  return true;
}

bool replaceFile(const std::string& path, std::string_view bytes, bool executable, std::string& error) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  // Hidden, so that no file manager lists the half-written file.
  std::string temp = folder + "." + name.substr(0, 200) + ".XXXXXX";
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    error = describe(path, errno);
    return false;
  }
  const mode_t umask = ::umask(0);
  ::umask(umask);
  const mode_t mode = (executable ? 0755 : 0644) & ~umask;
  bool ok = writeAll(fd, bytes.data(), bytes.size()) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  int code = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    code = errno;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    code = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    error = describe(path, code);
  }
  return ok;
}

bool pathExists(const std::string& path) {
  const AtPath at(path);
  struct stat st {};
  return ::fstatat(at.dir(), at.name(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

Removal removeFile(const std::string& path, std::string& error) {
  const AtPath at(path);
  struct stat st {};
  if (::fstatat(at.dir(), at.name(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return Removal::Missing;
    error = describe(path, errno);
    return Removal::Failed;
  }
  if (S_ISDIR(st.st_mode)) {
    error = describe(path, EISDIR);
    return Removal::Failed;
  }
  if (::unlinkat(at.dir(), at.name(), 0) != 0) {
    if (errno == ENOENT) return Removal::Missing;
    error = describe(path, errno);
    return Removal::Failed;
  }
  return Removal::Removed;
}

bool readWholeFile(const std::string& path, std::string& bytes, size_t limit) {
  InputFile file;
  if (!file.open(path) || file.size() > limit) return false;
  bytes.resize(static_cast<size_t>(file.size()));
  return file.readAt(0, bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace platform
