#include "platform/filesystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/localtime.h"
#include "platform/stat_status.h"
#include "platform/write_all.h"

namespace platform {

namespace {

bool statFollow(const std::string& path, struct stat& st) {
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool statNoFollow(const std::string& path, struct stat& st) {
  return !path.empty() && ::lstat(path.c_str(), &st) == 0;
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
  if (::link(from.c_str(), to.c_str()) != 0) {
    linkUnsupported = errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK;
    return false;
  }
  if (::unlink(from.c_str()) == 0) return true;
  // Two names for one file would be a half-done rename: take the new one back.
  ::unlink(to.c_str());
  return false;
}

// For file systems that cannot rename without replacing and cannot link:
// look immediately before the rename.
bool checkThenRename(const std::string& from, const std::string& to) {
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0 || errno != ENOENT) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

bool folderReadable(const std::string& folder) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return false;
  ::closedir(dir);
  return true;
}

bool folderWritable(const std::string& folder) {
  return ::faccessat(AT_FDCWD, folder.empty() ? "." : folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

ListStatus listFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return ListStatus::CannotOpen;
  const int dirFd = ::dirfd(dir);
  ListStatus status = ListStatus::Listed;
  for (;;) {
    errno = 0;
    const struct dirent* d = ::readdir(dir);
    if (!d) {
      if (errno != 0) status = ListStatus::ReadError;
      break;
    }
    if (d->d_name[0] == '.') continue;  // hidden, and "." and ".."
    FolderEntry entry;
    switch (d->d_type) {
      case DT_REG:
        entry.kind = EntryKind::File;
        break;
      case DT_DIR:
        entry.kind = EntryKind::Folder;
        break;
      case DT_LNK:
        if (!resolveEntry(dirFd, d->d_name, true, entry)) continue;
        break;
      case DT_UNKNOWN:
        if (!resolveEntry(dirFd, d->d_name, false, entry)) continue;
        break;
      default:
        continue;  // FIFO, socket, device
    }
    entry.name = d->d_name;
    entries.push_back(std::move(entry));
  }
  ::closedir(dir);
  return status;
}

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

zantrel::DateTime creationTime(const std::string& path) {
  if (path.empty()) return 0.0;
  struct statx stx {};
  if (::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BTIME, &stx) != 0) return 0.0;
  if (!(stx.stx_mask & STATX_BTIME)) return 0.0;
  return localDateTimeOf(UnixTime{stx.stx_btime.tv_sec, stx.stx_btime.tv_nsec});
}

zantrel::DateTime accessTime(const std::string& path) {
  struct stat st {};
  return statFollow(path, st) ? localDateTimeOf(unixTimeOf(st.st_atim)) : 0.0;
}

zantrel::DateTime writeTime(const std::string& path) { return localWriteTime(fileStatus(path)); }

zantrel::DateTime fileAge(const std::string& path) { return fileAgeOf(fileStatus(path)); }

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
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool sameObject(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return statNoFollow(a, sa) && statNoFollow(b, sb) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool isReadOnly(const std::string& path) {
  struct stat st {};
  return statFollow(path, st) && !(st.st_mode & S_IWUSR);
}

bool clearReadOnly(const std::string& path) {
  struct stat st {};
  if (!statFollow(path, st)) return false;
  if (st.st_mode & S_IWUSR) return true;
  return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

namespace {

// Moves from to to unless something of that name exists.
bool moveNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
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
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  const int error = errno;
  if (error != EEXIST && error != EINVAL && error != ENOSYS) return false;
  if (sameObject(from, to)) return renameOntoItself(from, to);
  return error != EEXIST && moveNoReplace(from, to);
}

bool renameReplacingFile(const std::string& from, const std::string& to) {
  struct stat target {};
  if (from.empty() || !statNoFollow(to, target) || !S_ISREG(target.st_mode) || sameObject(from, to)) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool appendToFile(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = writeAll(fd, bytes.data(), bytes.size());
  if (::close(fd) != 0) ok = false;
  return ok;
}

}  // namespace platform
