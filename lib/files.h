// The file-system side of the support library: enumeration under two
// parallel name lists, sizes, time stamps, folders, and where the program
// lies. Nothing here throws; every failure is a documented value.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "lib/datetime.h"
#include "platform/filesystem.h"

namespace zantrel {

using TNameList = std::vector<std::string>;

// Appends the files (FindFiles83) or folders (FindDirs83) that match the
// pattern to both lists; entry k of both lists names the same object (on
// Linux under the same spelling). An entry keeps the pattern's folder part
// ("pics/*.jpg" gives "pics/a.jpg"); with recursive, the subfolders on the
// way follow it ("pics/sub/b.jpg"), files of a folder before those of its
// subfolders. Hidden entries are never listed or entered, and folders
// reached through a symbolic link are never entered. An empty short pattern
// means the pattern. Nothing is sorted; entries keep the listing order.
// True when the long-name list holds an entry after the call. An error
// while listing appends "EXCEPTION - ERROR - FindFiles83" (FindDirs83) to
// both lists and yields false.
//
// Folders are opened through the folder above them, so a tree is walked
// however long its paths. Every folder on the way down stays open while
// its subfolders are walked, one descriptor per level: in a tree deeper
// than the process may hold descriptors (about a thousand levels under the
// usual limit of 1024), the folders past that depth are reported as
// unreadable ("Too many open files"); the rest is walked.
//
// listings, when given, keeps every folder read, so that the further
// patterns of one pass (the media library has up to 30) read no folder a
// second time, and it collects the folders that could not be read (each
// once), for the caller to report. It must not outlive a state of the
// disk: one pass, before anything is renamed.
struct TFolderListings {
  std::unordered_map<std::string, std::vector<platform::FolderEntry>> folders;
  // The names of each folder that the entries leave out (hidden names,
  // FIFOs, sockets, devices, dangling links), and the folders whose reading
  // stopped part-way: with these a listing tells for certain which names
  // were there.
  std::unordered_map<std::string, std::vector<std::string>> unlisted;
  std::unordered_set<std::string> incomplete;
  // Each as the folder's path ("." for the current one) and the system's
  // reason: "photos/locked (Permission denied)". A folder that is not there
  // at all is no failure: nothing matches in it.
  std::vector<std::string> unreadable;
};
bool FindFiles83(const std::string& pattern, const std::string& shortPattern, TNameList& longNames,
                 TNameList& shortNames, bool recursive, TFolderListings* listings = nullptr);
bool FindDirs83(const std::string& pattern, const std::string& shortPattern, TNameList& longNames,
                TNameList& shortNames, bool recursive, TFolderListings* listings = nullptr);

// Size in bytes; 0 for a folder, -1 when nothing can be reached.
int64_t getFileSize(const std::string& path);

// Local time stamps of a file or folder; 0 when they cannot be read (and
// the creation time also where the file system keeps none). Those of what
// a symbolic link leads to, or with Links::Itself, of the link itself.
using platform::Links;
DateTime getCreationTime(const std::string& path, Links links = Links::Follow);
DateTime getAccessTime(const std::string& path, Links links = Links::Follow);
DateTime getWriteTime(const std::string& path, Links links = Links::Follow);
DateTime getFolderWriteTime(const std::string& path, Links links = Links::Follow);

// Sets the time stamps of a file or folder; 0 leaves a time alone. A
// symbolic link gets times of its own; what it leads to is never changed.
// Linux keeps no settable creation time: the result tells whether the
// last-access or last-write time was set, so a creation time alone always
// fails.
bool setFileTimes(const std::string& path, DateTime creation, DateTime access, DateTime write);
bool setFolderTimes(const std::string& path, DateTime creation, DateTime access, DateTime write);

bool folderExists(const std::string& path);

// Creates the folder and every missing folder above it; true when the
// folder exists afterwards.
bool forceFolders(const std::string& path);

// fileAge: the local last-write time of a regular file cut down to an even
// second, or -1 (missing, a folder, a year outside 1980..2107).
using platform::fileAge;
// A regular file whose last-write year lies within 1980..2107.
bool fileExists(const std::string& path);

}  // namespace zantrel
