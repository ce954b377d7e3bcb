#include "platform/filesystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/at_path.h"
#include "platform/localtime.h"
#include "platform/stat_status.h"

namespace platform {

namespace {

bool statAt(const std::string& path, struct stat& st, int flags) {
  if (path.empty()) return false;
  const AtPath at(path);
  return ::fstatat(at.dir(), at.name(), &st, flags) == 0;
}

bool statFollow(const std::string& path, struct stat& st) { return statAt(path, st, 0); }

bool statNoFollow(const std::string& path, struct stat& st) { return statAt(path, st, AT_SYMLINK_NOFOLLOW); }

bool statBy(const std::string& path, struct stat& st, Links links) {
  return links == Links::Follow ? statFollow(path, st) : statNoFollow(path, st);
}

UnixTime unixTimeOf(const struct timespec& ts) { return UnixTime{ts.tv_sec, ts.tv_nsec}; }

// Resolves an entry whose type the directory itself does not tell (a link,
// or a file system that reports no types). False when the entry is to be
// left out.
bool resolveEntry(int dirFd, const char* name, bool knownLink, FolderEntry& entry) {
  struct stat st {};
  bool isLink = knownLink;
  if (!isLink) {
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    isLink = S_ISLNK(st.st_mode);
  }
  if (isLink && ::fstatat(dirFd, name, &st, 0) != 0) return false;  // dangling
  if (S_ISREG(st.st_mode)) entry.kind = EntryKind::File;
  else if (S_ISDIR(st.st_mode)) entry.kind = EntryKind::Folder;
  else return false;
  entry.throughLink = isLink;
  return true;
}

bool linkThenUnlink(const std::string& from, const std::string& to, bool& linkUnsupported) {
  linkUnsupported = false;
  const AtPath source(from), target(to);
  if (::linkat(source.dir(), source.name(), target.dir(), target.name(), 0) != 0) {
    linkUnsupported = errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK;
    return false;
  }
  if (::unlinkat(source.dir(), source.name(), 0) == 0) return true;
  // Two names for one file would be a half-done rename: take the new one back.
  ::unlinkat(target.dir(), target.name(), 0);
  return false;
}

bool renameAt(const std::string& from, const std::string& to, unsigned flags) {
  const AtPath source(from), target(to);
  return ::renameat2(source.dir(), source.name(), target.dir(), target.name(), flags) == 0;
}

// For file systems that cannot rename without replacing and cannot link:
// look immediately before the rename.
bool checkThenRename(const std::string& from, const std::string& to) {
  struct stat st {};
  if (statNoFollow(to, st) || errno != ENOENT) return false;
  return renameAt(from, to, 0);
}

}  // namespace

Folder::~Folder() {
  if (dir_) ::closedir(static_cast<DIR*>(dir_));
}

namespace {

// A descriptor of a folder, read as a directory stream.
void* streamOf(int fd, int& error) {
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    error = errno;
    ::close(fd);
  }
  return dir;
}

}  // namespace

bool Folder::open(const std::string& path) {
  const std::string where = path.empty() ? std::string(".") : path;
  const AtPath at(where);
  dir_ = streamOf(::openat(at.dir(), at.name(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), error_);
  return dir_ != nullptr;
}

bool Folder::openInside(const Folder& parent, const std::string& name) {
  if (!parent.dir_) {
    error_ = EBADF;
    return false;
  }
  const int parentFd = ::dirfd(static_cast<DIR*>(parent.dir_));
  dir_ = streamOf(::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), error_);
  return dir_ != nullptr;
}

ListStatus Folder::read(std::vector<FolderEntry>& entries, std::vector<std::string>* unlisted) {
  DIR* dir = static_cast<DIR*>(dir_);
  if (!dir) return ListStatus::CannotOpen;
  const int dirFd = ::dirfd(dir);
  for (;;) {
    errno = 0;
    const struct dirent* d = ::readdir(dir);
    if (!d) {
      if (errno == 0) return ListStatus::Listed;
      error_ = errno;
      return ListStatus::ReadError;
    }
    const char* name = d->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    FolderEntry entry;
    bool listed = name[0] != '.';  // hidden
    switch (d->d_type) {
      case DT_REG:
        entry.kind = EntryKind::File;
        break;
      case DT_DIR:
        entry.kind = EntryKind::Folder;
        break;
      case DT_LNK:
        listed = listed && resolveEntry(dirFd, name, true, entry);
        break;
      case DT_UNKNOWN:
        listed = listed && resolveEntry(dirFd, name, false, entry);
        break;
      default:
        listed = false;  // FIFO, socket, device
    }
    if (!listed) {
      if (unlisted) unlisted->emplace_back(name);
      continue;
    }
    entry.name = name;
    entries.push_back(std::move(entry));
  }
}

bool folderReadable(const std::string& folder) { return Folder().open(folder); }

bool folderWritable(const std::string& folder) {
  const std::string where = folder.empty() ? std::string(".") : folder;
  const AtPath at(where);
  return ::faccessat(at.dir(), at.name(), W_OK | X_OK, AT_EACCESS) == 0;
}

ListStatus listFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  Folder dir;
  if (!dir.open(folder)) return ListStatus::CannotOpen;
  return dir.read(entries);
}

std::string errorText(int code) { return std::strerror(code); }

ObjectKind objectKind(const std::string& path) {
  struct stat st {};
  if (!statFollow(path, st)) return ObjectKind::Missing;
  if (S_ISREG(st.st_mode)) return ObjectKind::File;
  if (S_ISDIR(st.st_mode)) return ObjectKind::Folder;
  return ObjectKind::Other;
}

FileStatus fileStatus(const std::string& path) {
  struct stat st {};
  if (!statFollow(path, st)) return FileStatus{};
  return statusOf(st);
}

FileStatus statusOf(const struct stat& st) {
  FileStatus result;
  result.exists = true;
  result.isFolder = S_ISDIR(st.st_mode);
  result.isFile = S_ISREG(st.st_mode);
  result.ownerWritable = (st.st_mode & S_IWUSR) != 0;
  result.size = static_cast<uint64_t>(st.st_size);
  result.writeSeconds = static_cast<int64_t>(st.st_mtim.tv_sec);
  result.writeNanoseconds = static_cast<int64_t>(st.st_mtim.tv_nsec);
  return result;
}

zantrel::DateTime localWriteTime(const FileStatus& status) {
  return status.exists ? localDateTimeOf(UnixTime{status.writeSeconds, status.writeNanoseconds}) : 0.0;
}

zantrel::DateTime fileAgeOf(const FileStatus& status) {
  if (!status.isFile) return -1.0;
  zantrel::DateParts p;
  if (!localPartsOf(UnixTime{status.writeSeconds, 0}, p) || p.year < 1980 || p.year > 2107) return -1.0;
  // Two-second steps, as a DOS date-time holds them.
  return zantrel::encodeDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second & ~1);
}

int64_t objectSize(const std::string& path) {
  struct stat st {};
  if (!statFollow(path, st)) return -1;
  if (S_ISDIR(st.st_mode)) return 0;
  return static_cast<int64_t>(st.st_size);
}

zantrel::DateTime creationTime(const std::string& path, Links links) {
  if (path.empty()) return 0.0;
  const AtPath at(path);
  struct statx stx {};
  const int flags = AT_STATX_SYNC_AS_STAT | (links == Links::Itself ? AT_SYMLINK_NOFOLLOW : 0);
  if (::statx(at.dir(), at.name(), flags, STATX_BTIME, &stx) != 0) return 0.0;
  if (!(stx.stx_mask & STATX_BTIME)) return 0.0;
  return localDateTimeOf(UnixTime{stx.stx_btime.tv_sec, stx.stx_btime.tv_nsec});
}

zantrel::DateTime accessTime(const std::string& path, Links links) {
  struct stat st {};
  return statBy(path, st, links) ? localDateTimeOf(unixTimeOf(st.st_atim)) : 0.0;
}

zantrel::DateTime writeTime(const std::string& path, Links links) {
  struct stat st {};
  return statBy(path, st, links) ? localWriteTime(statusOf(st)) : 0.0;
}

zantrel::DateTime fileAge(const std::string& path, Links links) {
  struct stat st {};
  if (!statBy(path, st, links)) return -1.0;
  FileStatus status = statusOf(st);
  if (S_ISLNK(st.st_mode)) {
    // Its own time, as long as it leads to a regular file.
    struct stat target {};
    status.isFile = statFollow(path, target) && S_ISREG(target.st_mode);
  }
  return fileAgeOf(status);
}

bool setTimes(const std::string& path, zantrel::DateTime access, zantrel::DateTime write) {
  if (path.empty() || (access == 0.0 && write == 0.0)) return false;
  struct timespec times[2];
  const zantrel::DateTime values[2] = {access, write};
  for (int k = 0; k < 2; ++k) {
    if (values[k] == 0.0) {
      times[k].tv_sec = 0;
      times[k].tv_nsec = UTIME_OMIT;
      continue;
    }
    UnixTime when;
    if (!unixTimeOf(values[k], when)) return false;
    times[k].tv_sec = static_cast<time_t>(when.seconds);
    times[k].tv_nsec = static_cast<long>(when.nanoseconds);
  }
  const AtPath at(path);
  return ::utimensat(at.dir(), at.name(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

namespace {

bool same(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

bool sameObject(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return statNoFollow(a, sa) && statNoFollow(b, sb) && same(sa, sb);
}

bool leadToSameObject(const std::string& a, const std::string& b) {
  struct stat as[2] {}, bs[2] {};
  const bool aHas[2] = {statNoFollow(a, as[0]), statFollow(a, as[1])};
  const bool bHas[2] = {statNoFollow(b, bs[0]), statFollow(b, bs[1])};
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      if (aHas[i] && bHas[j] && same(as[i], bs[j])) return true;
    }
  }
  return false;
}

bool isReadOnly(const std::string& path) {
  struct stat st {};
  return statNoFollow(path, st) && !S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR);
}

bool clearReadOnly(const std::string& path) {
  struct stat st {};
  if (!statNoFollow(path, st)) return false;
  if (S_ISLNK(st.st_mode) || (st.st_mode & S_IWUSR)) return true;
  const AtPath at(path);
  return ::fchmodat(at.dir(), at.name(), (st.st_mode & 07777) | S_IWUSR, 0) == 0;
}

namespace {

// Moves from to to unless something of that name exists.
bool moveNoReplace(const std::string& from, const std::string& to) {
  if (renameAt(from, to, RENAME_NOREPLACE)) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // The file system does not know the no-replace flag.
  struct stat st {};
  if (!statNoFollow(from, st)) return false;
  if (!S_ISDIR(st.st_mode)) {
    bool linkUnsupported = false;
    if (linkThenUnlink(from, to, linkUnsupported)) return true;
    if (!linkUnsupported) return false;
  }
  return checkThenRename(from, to);
}

// The new name reaches the object itself. The same text is nothing to do.
// A case-insensitive file system (a camera card) finds a case-only change
// as the object itself: the change goes through a temporary name. Another
// hard link of the same file is a name that would stay, so no rename can
// give the object that name alone: that is a failure, not a success.
bool renameOntoItself(const std::string& from, const std::string& to) {
  if (from == to) return true;
  struct stat st {};
  if (!statNoFollow(from, st)) return false;
  if (!S_ISDIR(st.st_mode) && st.st_nlink > 1) return false;
  const size_t slash = from.rfind('/');
  const std::string temp = (slash == std::string::npos ? std::string() : from.substr(0, slash + 1)) +
                           ".zantrel-rename-" + std::to_string(::getpid());
  if (!moveNoReplace(from, temp)) return false;
  if (moveNoReplace(temp, to)) return true;
  moveNoReplace(temp, from);
  return false;
}

}  // namespace

bool renameNoReplace(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return false;
  if (renameAt(from, to, RENAME_NOREPLACE)) return true;
  const int error = errno;
  if (error != EEXIST && error != EINVAL && error != ENOSYS) return false;
  if (sameObject(from, to)) return renameOntoItself(from, to);
  return error != EEXIST && moveNoReplace(from, to);
}

bool renameReplacingFile(const std::string& from, const std::string& to) {
  struct stat target {};
  if (from.empty() || !statNoFollow(to, target) || !S_ISREG(target.st_mode) || leadToSameObject(from, to)) {
    return false;
  }
  return renameAt(from, to, 0);
}

RecordFile::~RecordFile() { close(); }

RecordFile::State RecordFile::open(const std::string& path) {
  close();
  path_ = path;
  state_ = openExisting();
  return state_;
}

namespace {

// Never waits (a FIFO without a reader fails at once instead of holding
// the run) and never follows a link at the name itself.
constexpr int RecordFlags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

}  // namespace

RecordFile::State RecordFile::openExisting() {
  if (path_.empty()) return State::Refused;
  const int fd = ::open(path_.c_str(), RecordFlags);
  if (fd < 0) return errno == ENOENT ? State::NotThere : State::Refused;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink != 1) {
    ::close(fd);
    return State::Refused;
  }
  fd_ = fd;
  return State::Open;
}

bool RecordFile::append(std::string_view record) {
  if (state_ == State::NotThere) {
    // Created here and now, so it can be nothing but a new file of ours;
    // if something took the name meanwhile, that is looked at instead.
    fd_ = ::open(path_.c_str(), RecordFlags | O_CREAT | O_EXCL, 0666);
    state_ = fd_ >= 0 ? State::Open : errno == EEXIST ? openExisting() : State::Refused;
  }
  if (state_ != State::Open) return false;
  ssize_t n;
  do {
    n = ::write(fd_, record.data(), record.size());
  } while (n < 0 && errno == EINTR);
  if (n == static_cast<ssize_t>(record.size())) return true;
  if (n > 0) {
    // Only the start of the record went in: take it back, so that the next
    // record does not run on in the same line.
    const off_t end = ::lseek(fd_, 0, SEEK_CUR);
    if (end >= n) static_cast<void>(::ftruncate(fd_, end - n));
  }
  return false;
}

void RecordFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  state_ = State::Closed;
}

}  // namespace platform
