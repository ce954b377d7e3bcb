#include "platform/copy_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/at_path.h"

#include "platform/files.h"
#include "platform/filesystem.h"
#include "platform/input_file.h"
#include "platform/process.h"
#include "platform/write_all.h"

namespace platform {

namespace {

bool namedTemporariesOnly = false;
// Cleared once an unnamed file could not be given a name at all (no /proc
// and no right to link by descriptor): every later copy goes the named way.
bool unnamedFilesNameable = true;
// Linking by descriptor needs a right that ordinary users lack; they go
// through /proc from the first refusal on.
bool linkByDescriptor = true;

// Per copy_file_range call: large enough to cost nothing, small enough
// that a stop signal waits a fraction of a second even on a slow card.
constexpr size_t RangeChunk = size_t(8) << 20;
constexpr size_t BufferSize = size_t(1) << 20;
constexpr size_t HoleBlock = 4096;

struct Fd {
  int fd = -1;
  Fd() = default;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

enum class Step { Done, Failed, Interrupted };

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool allZero(const char* data, size_t size) { return size == 0 || (data[0] == 0 && std::memcmp(data, data + 1, size - 1) == 0); }

// Writes data at offset at. With holes, runs of all-zero blocks are
// skipped, so that they stay holes.
bool writeAt(int out, const char* data, size_t size, off_t at, bool holes) {
  if (!holes) return writeAllAt(out, data, size, at);
  auto blockAt = [&](size_t i) { return std::min(HoleBlock, size - i); };
  for (size_t i = 0; i < size;) {
    const bool zero = allZero(data + i, blockAt(i));
    size_t j = i + blockAt(i);
    while (j < size && allZero(data + j, blockAt(j)) == zero) j += blockAt(j);
    if (!zero && !writeAllAt(out, data + i, j - i, at + static_cast<off_t>(i))) return false;
    i = j;
  }
  return true;
}

// copy_file_range refuses some pairs of files with these; the buffer copy
// serves them.
bool refusedPair(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF ||
         error == EPERM;
}

struct RangeCopier {
  int in;
  int out;
  bool holes;            // the source is sparse: zeros read by the buffer copy stay holes
  bool inKernel = true;  // copy_file_range until it refuses this pair of files
  std::vector<char> buffer;

  // Bytes [from, to) of the source to the same offsets of the copy. A
  // source that ends before to (it shrank meanwhile) fails the copy: what
  // was there is no complete copy of the file that was asked for.
  Step copy(off_t from, off_t to) {
    off_t inAt = from;
    off_t outAt = from;
    while (inAt < to) {
      if (stopSignal() != 0) return Step::Interrupted;
      const size_t want = static_cast<size_t>(std::min<off_t>(to - inAt, static_cast<off_t>(RangeChunk)));
      if (inKernel) {
        const ssize_t n = ::copy_file_range(in, &inAt, out, &outAt, want, 0);
        if (n > 0) continue;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && !refusedPair(errno)) return Step::Failed;
        // Refused, or nothing copied before the end: some file systems
        // answer 0 where they cannot copy in the kernel, so only a read
        // tells whether the source really ends here.
        inKernel = false;
      }
      if (buffer.empty()) buffer.resize(BufferSize);
      const ssize_t n = ::pread(in, buffer.data(), std::min(want, buffer.size()), inAt);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return Step::Failed;
      if (n == 0) {
        errno = ENODATA;
        return Step::Failed;
      }
      if (!writeAt(out, buffer.data(), static_cast<size_t>(n), inAt, holes)) return Step::Failed;
      inAt += n;
    }
    return Step::Done;
  }
};

// The source's bytes into out, data extent by data extent, so that holes
// are never read or written; a sparse copy gets its length at the end,
// which keeps a hole at the end a hole too. Any other copy has every byte
// written, so its length is right already.
Step copyBytes(int in, int out, const struct stat& st) {
  const off_t size = st.st_size;
  const bool sparse = static_cast<off_t>(st.st_blocks) * 512 < size;
  RangeCopier copier{in, out, sparse, true, {}};
  if (!sparse) return copier.copy(0, size);
  Step step = Step::Done;
  for (off_t at = 0; at < size && step == Step::Done;) {
    off_t data = ::lseek(in, at, SEEK_DATA);
    off_t hole = size;
    if (data < 0) {
      if (errno == ENXIO) break;  // nothing but a hole to the end, or a source that shrank: see below
      data = at;                  // the file system cannot tell: all of it is data
    } else {
      hole = std::min(size, std::max(data, ::lseek(in, data, SEEK_HOLE)));
      if (hole <= data) hole = size;
    }
    if (data >= size) break;
    step = copier.copy(data, hole);
    at = hole;
  }
  if (step != Step::Done) return step;
  // A hole read as the end of the data may be a source cut short.
  struct stat now {};
  if (::fstat(in, &now) != 0) return Step::Failed;
  if (now.st_size < size) {
    errno = ENODATA;
    return Step::Failed;
  }
  return ::ftruncate(out, size) == 0 ? Step::Done : Step::Failed;
}

// Everything a copy is before it gets its name: the bytes, the source's
// times and permission bits, and all of it on disk.
Step fillTemporary(int in, int out, const struct stat& st) {
  const Step step = copyBytes(in, out, st);
  if (step != Step::Done) return step;
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (::futimens(out, times) != 0 || ::fchmod(out, st.st_mode & 07777) != 0) return Step::Failed;
  return ::fsync(out) == 0 ? Step::Done : Step::Failed;
}

// The destination folder itself cannot be opened: missing, or a file.
bool noFolder(int error) { return error == ENOENT || error == ENOTDIR; }

CopyOutcome outcomeOf(Step step) { return step == Step::Interrupted ? CopyOutcome::Interrupted : CopyOutcome::Failed; }

// Gives an unnamed file its first name; fails with EEXIST when the name is
// taken, since a link never replaces.
bool nameUnnamed(int fd, const std::string& destination) {
  if (linkByDescriptor) {
    if (::linkat(fd, "", AT_FDCWD, destination.c_str(), AT_EMPTY_PATH) == 0) return true;
    if (errno != ENOENT && errno != EPERM) return false;
    linkByDescriptor = false;
  }
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, destination.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
    unnamedFilesNameable = false;
    errno = EOPNOTSUPP;
  }
  return false;
}

// For file systems without unnamed files (vfat on a card): a hidden name
// in the destination folder, then a rename that never replaces. It is
// removed again on every way out but SIGKILL and power loss, which can
// leave it, hidden and never under the final name.
CopyOutcome copyThroughHiddenName(int in, const struct stat& st, const std::string& destination) {
  static unsigned counter = 0;
  const std::string prefix = folderOf(destination) + "/.zantrel-copy-" + std::to_string(::getpid()) + "-";
  std::string temp;
  Fd out;
  for (int attempt = 0; out.fd < 0; ++attempt) {
    temp = prefix + std::to_string(counter++);
    out.fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out.fd < 0 && noFolder(errno)) return CopyOutcome::FolderMissing;
    if (out.fd < 0 && (errno != EEXIST || attempt > 100)) return CopyOutcome::Failed;
  }
  Step step = fillTemporary(in, out.fd, st);
  const int fd = out.fd;
  out.fd = -1;
  if (::close(fd) != 0 && step == Step::Done) step = Step::Failed;
  if (step == Step::Done && renameNoReplace(temp, destination)) return CopyOutcome::Copied;
  ::unlink(temp.c_str());
  if (step != Step::Done) return outcomeOf(step);
  return pathExists(destination) ? CopyOutcome::DestinationExists : CopyOutcome::Failed;
}

bool noUnnamedFiles(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

// Folders where a copy got its name since they were last flushed. A new
// name is on disk only once its folder is, and one flush of the folder
// serves every copy named there since.
std::vector<std::string> unflushedFolders;
std::vector<std::string> flushFailures;
// A run that copies into many folders flushes them in groups.
constexpr size_t MaxUnflushedFolders = 16;

void flushFolders() {
  for (const std::string& folder : unflushedFolders) {
    const AtPath at(folder);
    const int fd = ::openat(at.dir(), at.name(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A file system that cannot flush a folder (EINVAL) keeps its names
    // as it keeps everything else.
    if (fd < 0 || (::fsync(fd) != 0 && errno != EINVAL)) {
      flushFailures.push_back(folder + " (" + std::strerror(errno) + ")");
    }
    if (fd >= 0) ::close(fd);
  }
  unflushedFolders.clear();
}

void noteNamed(const std::string& destination) {
  std::string folder = folderOf(destination);
  if (std::find(unflushedFolders.begin(), unflushedFolders.end(), folder) != unflushedFolders.end()) return;
  if (unflushedFolders.size() >= MaxUnflushedFolders) flushFolders();
  unflushedFolders.push_back(std::move(folder));
}

CopyOutcome copyUnflushed(int in, const std::string& destination) {
  struct stat st {};
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) return CopyOutcome::Failed;

  if (!namedTemporariesOnly && unnamedFilesNameable) {
    Fd out(::open(folderOf(destination).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (out.fd < 0 && noFolder(errno)) return CopyOutcome::FolderMissing;
    if (out.fd < 0 && !noUnnamedFiles(errno)) return CopyOutcome::Failed;
    if (out.fd >= 0) {
      // An unnamed file that is closed is gone: nothing to take back.
      const Step step = fillTemporary(in, out.fd, st);
      if (step != Step::Done) return outcomeOf(step);
      if (nameUnnamed(out.fd, destination)) return CopyOutcome::Copied;
      if (errno == EEXIST) return CopyOutcome::DestinationExists;
      if (unnamedFilesNameable) return CopyOutcome::Failed;
    }
  }
  return copyThroughHiddenName(in, st, destination);
}

CopyOutcome copyNamed(int in, const std::string& destination) {
  const CopyOutcome outcome = copyUnflushed(in, destination);
  if (outcome == CopyOutcome::Copied) noteNamed(destination);
  return outcome;
}

}  // namespace

CopyOutcome copyFileNoReplace(const std::string& source, const std::string& destination) {
  Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (in.fd < 0) return CopyOutcome::Failed;
  return copyNamed(in.fd, destination);
}

CopyOutcome copyFileNoReplace(const InputFile& source, const std::string& destination) {
  if (!source.isOpen()) return CopyOutcome::Failed;
  return copyNamed(source.descriptor(), destination);
}

std::vector<std::string> flushCopyFolders() {
  flushFolders();
  return std::exchange(flushFailures, {});
}

bool sameFileContent(const std::string& a, const std::string& b) {
  InputFile fa;
  return fa.open(a) && sameFileContent(fa, b);
}

bool sameFileContent(const InputFile& fa, const std::string& b) {
  InputFile fb;
  if (!fa.isOpen() || !fb.open(b) || fa.size() != fb.size()) return false;
  std::vector<char> ba(BufferSize), bb(BufferSize);
  for (uint64_t at = 0; at < fa.size();) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(BufferSize, fa.size() - at));
    if (fa.readAt(at, ba.data(), want) != want || fb.readAt(at, bb.data(), want) != want) return false;
    if (std::memcmp(ba.data(), bb.data(), want) != 0) return false;
    at += want;
  }
  return true;
}

void forceNamedTemporaryCopies(bool on) { namedTemporariesOnly = on; }

}  // namespace platform
