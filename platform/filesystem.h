// What the program needs from the Linux file system. Every operation
// reports whether it succeeded; none throws. Paths are used as given
// (relative paths against the current directory). Times are local
// wall-clock DateTime values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lib/datetime.h"

namespace platform {

// ---- Listing ---------------------------------------------------------------

enum class EntryKind { File, Folder };

struct FolderEntry {
  std::string name;
  EntryKind kind = EntryKind::File;
  // A folder reached through a symbolic link: it may be listed, but a
  // recursive search never enters it, so a link loop cannot run forever.
  bool throughLink = false;
};

enum class ListStatus {
  Listed,      // the folder was read to its end
  CannotOpen,  // missing, not a folder, or no permission: nothing to list
  ReadError,   // the folder was opened but reading it failed part-way
};

// A folder opened for a walk through a tree: it is read once, and the
// folders inside it are opened through it, not by their paths, so that the
// depth of a tree is not limited by the length of a path.
class Folder {
 public:
  Folder() = default;
  ~Folder();
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  // Opens the folder at path ("" is the current folder); false with error()
  // telling why.
  bool open(const std::string& path);
  // Opens the folder name inside parent. A name that is a symbolic link by
  // now is refused: a walk never goes through a link.
  bool openInside(const Folder& parent, const std::string& name);
  bool isOpen() const { return dir_ != nullptr; }
  // The system's error number of the last failure.
  int error() const { return error_; }

  // Appends the entries of the folder. Hidden entries (a name beginning
  // with ".") are never listed. A file is a regular file, a folder a
  // directory, both following symbolic links; FIFOs, sockets, devices and
  // dangling links are left out. Entries keep the order the system
  // delivers. After a ReadError the entries read before it are there.
  // unlisted, when given, gets the names left out (but "." and ".."), so
  // that with both the caller knows every name the folder held.
  ListStatus read(std::vector<FolderEntry>& entries, std::vector<std::string>* unlisted = nullptr);

 private:
  void* dir_ = nullptr;  // the open DIR stream
  int error_ = 0;
};

// Reads a folder once ("" is the current folder), as Folder::read does.
ListStatus listFolder(const std::string& folder, std::vector<FolderEntry>& entries);

// The system's text for an error number ("Permission denied").
std::string errorText(int code);

// Whether the folder can be opened for listing ("" is the current folder),
// without reading it.
bool folderReadable(const std::string& folder);

// Whether this process may create and remove names in the folder ("" is
// the current folder), as the system decides for its effective ids; false
// also for a folder that does not exist or lies on a read-only mount.
bool folderWritable(const std::string& folder);

// ---- Queries ---------------------------------------------------------------

enum class ObjectKind { Missing, File, Folder, Other };

// What the path reaches, following symbolic links; Missing also for a
// dangling link.
ObjectKind objectKind(const std::string& path);

// What one stat call (following symbolic links) tells of a path, kept so
// that nothing asks the system again: whether it is there and what it is,
// its size, whether the owner may write it, and its last-write time.
struct FileStatus {
  bool exists = false;
  bool isFolder = false;
  bool isFile = false;  // a regular file
  bool ownerWritable = false;
  uint64_t size = 0;
  int64_t writeSeconds = 0;  // since 1970-01-01 UTC
  int64_t writeNanoseconds = 0;
};
FileStatus fileStatus(const std::string& path);

// The local last-write time of the status (writeTime of the path it came
// from); 0 when it tells of nothing.
zantrel::DateTime localWriteTime(const FileStatus& status);
// fileAge (below) of the path the status came from.
zantrel::DateTime fileAgeOf(const FileStatus& status);

// Size in bytes of the object the path reaches; a folder counts as 0, and
// -1 means that nothing can be reached.
int64_t objectSize(const std::string& path);

// Whose time stamps a query reads: those of the object a symbolic link
// leads to, or those of the link itself. Time stamps are only ever set on
// the name itself (setTimes), so a step that compares before it sets reads
// Itself.
enum class Links { Follow, Itself };

// The three time stamps of a file or folder as local time; 0 when the
// object cannot be reached, and for the creation time also where the file
// system keeps no birth time.
zantrel::DateTime creationTime(const std::string& path, Links links = Links::Follow);
zantrel::DateTime accessTime(const std::string& path, Links links = Links::Follow);
zantrel::DateTime writeTime(const std::string& path, Links links = Links::Follow);

// The local last-write time of a regular file, cut down to an even second,
// or -1 for a missing path, a folder, or a year outside 1980..2107. With
// Itself, the path must still lead to a regular file, but a symbolic link
// gives its own time.
zantrel::DateTime fileAge(const std::string& path, Links links = Links::Follow);

// Sets the last-access and last-write times of a file or folder; a value of
// 0 leaves that time alone. A symbolic link gets times of its own: what it
// leads to is never touched. Linux keeps no settable creation time, so a
// request with both values 0 can change nothing and fails.
bool setTimes(const std::string& path, zantrel::DateTime access, zantrel::DateTime write);

// True when both paths name one and the same object (device and inode). A
// symbolic link is an object of its own here: it is not followed.
bool sameObject(const std::string& a, const std::string& b);

// True when the two paths lead to one object, either of them followed or
// not: a link and what it leads to, two links to one file, two names of
// one file.
bool leadToSameObject(const std::string& a, const std::string& b);

// ---- Changes ---------------------------------------------------------------

// Read-only means: without the owner's write permission. A symbolic link
// is never read-only: Linux keeps no mode of its own for it.
bool isReadOnly(const std::string& path);
// Adds the owner's write permission, keeping every other mode bit. Never
// through a symbolic link: a link is left as it is (true).
bool clearReadOnly(const std::string& path);

// Renames without ever replacing an existing object. A rename onto the
// object's own name succeeds: the same text without touching anything, a
// case-only change on a case-insensitive file system through a temporary
// name. Onto another hard link of the same file it fails.
bool renameNoReplace(const std::string& from, const std::string& to);

// Gives from the name to in one step, replacing the regular file there
// (-ded): if this fails, the file there is still whole. Never replaces a
// folder or the object itself.
bool renameReplacingFile(const std::string& from, const std::string& to);

// A file that whole records are appended to, kept open for a whole run
// (the rename log). Its name is predictable, so what is found there is
// taken only when it is a regular file of the user's own with no second
// name: never through a symbolic link, never a FIFO (which would hold the
// run) or a device, never someone else's file.
class RecordFile {
 public:
  enum class State {
    Closed,    // not looked at yet
    NotThere,  // nothing of that name: the first record creates the file
    Open,
    Refused,   // something that is not to be written to, or cannot be
  };

  RecordFile() = default;
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // Looks at path and opens what is there for appending; creates nothing.
  State open(const std::string& path);
  // One write of the whole record, creating the file first when there was
  // none. A record that the system takes only in part (a full disk) is
  // taken back, so the file always ends with a whole record. False when
  // the record is not in the file.
  bool append(std::string_view record);
  void close();

  State state() const { return state_; }
  const std::string& path() const { return path_; }

 private:
  State openExisting();

  std::string path_;
  int fd_ = -1;
  State state_ = State::Closed;
};

}  // namespace platform
