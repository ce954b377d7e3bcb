#include "lib/files.h"

#include <algorithm>
#include <cerrno>
#include <exception>

#include "lib/paths.h"
#include "lib/wildcard.h"
#include "platform/files.h"
#include "platform/process.h"

namespace zantrel {

namespace {

using platform::EntryKind;
using platform::FolderEntry;

struct TSearch {
  std::string mask;
  EntryKind wanted;
  bool recursive;
  TNameList& longNames;
  TNameList& shortNames;
  TFolderListings* listings;
};

// The folder path as a message shows it: without its closing "/", "." for
// the current folder.
std::string shownFolder(const std::string& folder) {
  if (folder.empty()) return ".";
  return folder.size() > 1 && folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder;
}

void noteUnreadable(TFolderListings& listings, const std::string& folder, int error) {
  listings.unreadable.push_back(shownFolder(folder) + " (" + platform::errorText(error) + ")");
}

// Opens folder: through parent when the walk came down from there, else by
// its path. A failure is recorded, once per folder, unless the folder is
// simply not there.
bool openFolder(platform::Folder& dir, const platform::Folder* parent, const std::string& name,
                const std::string& folder, TFolderListings* listings) {
  if (parent ? dir.openInside(*parent, name) : dir.open(folder)) return true;
  const bool absent = dir.error() == ENOENT || (!parent && dir.error() == ENOTDIR);
  if (listings && !absent) noteUnreadable(*listings, folder, dir.error());
  return false;
}

// The entries of folder, read at most once per pass when listings is given.
// dir is left open when it had to be opened.
const std::vector<FolderEntry>& readFolder(platform::Folder& dir, const platform::Folder* parent,
                                           const std::string& name, const std::string& folder,
                                           std::vector<FolderEntry>& own, TFolderListings* listings) {
  if (listings) {
    const auto known = listings->folders.find(folder);
    if (known != listings->folders.end()) return known->second;
  }
  std::vector<FolderEntry> entries;
  std::vector<std::string>* unlisted = listings ? &listings->unlisted[folder] : nullptr;
  if (!openFolder(dir, parent, name, folder, listings)) {
    // Nothing is known of what it holds.
    if (listings) listings->incomplete.insert(folder);
  } else if (dir.read(entries, unlisted) == platform::ListStatus::ReadError && listings) {
    // What was read before the failure is still worked on.
    noteUnreadable(*listings, folder, dir.error());
    listings->incomplete.insert(folder);
  }
  if (listings) return listings->folders.emplace(folder, std::move(entries)).first->second;
  own = std::move(entries);
  return own;
}

// One read of the folder serves both the matches and the recursion (and,
// with listings, every further pattern of the pass). The walk keeps the
// folders on its way open, and opens each subfolder through its parent.
void searchFolder(const TSearch& search, const platform::Folder* parent, const std::string& name,
                  const std::string& folder, const std::string& shortFolder) {
  // On a slow share a walk takes long: a stop signal ends it between two
  // folders, and the pass then stops before its first item.
  if (platform::stopSignal() != 0) return;
  platform::Folder dir;
  std::vector<FolderEntry> own;
  const std::vector<FolderEntry>& entries = readFolder(dir, parent, name, folder, own, search.listings);
  for (const FolderEntry& entry : entries) {
    if (entry.kind != search.wanted || !matchesWildcard(search.mask, entry.name)) continue;
    search.longNames.push_back(folder + entry.name);
    search.shortNames.push_back(shortFolder + entry.name);
  }
  if (!search.recursive) return;
  for (const FolderEntry& entry : entries) {
    if (entry.kind != EntryKind::Folder || entry.throughLink) continue;
    // A listing that an earlier pattern read: this folder is not open, and
    // its subfolders' listings are known too, so nothing is opened.
    searchFolder(search, dir.isOpen() ? &dir : nullptr, entry.name, folder + entry.name + "/",
                 shortFolder + entry.name + "/");
  }
}

bool find(EntryKind wanted, const char* failureText, const std::string& pattern, const std::string& shortPattern,
          TNameList& longNames, TNameList& shortNames, bool recursive, TFolderListings* listings) {
  try {
    const std::string& shortSpec = shortPattern.empty() ? pattern : shortPattern;
    const TSearch search{namePart(pattern), wanted, recursive, longNames, shortNames, listings};
    searchFolder(search, nullptr, std::string(), folderPart(pattern), folderPart(shortSpec));
  } catch (const std::exception&) {
    // Keep the lists parallel whatever was appended before the failure.
    const size_t common = std::min(longNames.size(), shortNames.size());
    longNames.resize(common);
    shortNames.resize(common);
    longNames.emplace_back(failureText);
    shortNames.emplace_back(failureText);
    return false;
  }
  return !longNames.empty();
}

}  // namespace

bool FindFiles83(const std::string& pattern, const std::string& shortPattern, TNameList& longNames,
                 TNameList& shortNames, bool recursive, TFolderListings* listings) {
  return find(EntryKind::File, "EXCEPTION - ERROR - FindFiles83", pattern, shortPattern, longNames, shortNames,
              recursive, listings);
}

bool FindDirs83(const std::string& pattern, const std::string& shortPattern, TNameList& longNames,
                TNameList& shortNames, bool recursive, TFolderListings* listings) {
  return find(EntryKind::Folder, "EXCEPTION - ERROR - FindDirs83", pattern, shortPattern, longNames, shortNames,
              recursive, listings);
}

int64_t getFileSize(const std::string& path) { return platform::objectSize(normalizeSlashes(path)); }

DateTime getCreationTime(const std::string& path, Links links) {
  return platform::creationTime(normalizeSlashes(path), links);
}
DateTime getAccessTime(const std::string& path, Links links) {
  return platform::accessTime(normalizeSlashes(path), links);
}
DateTime getWriteTime(const std::string& path, Links links) { return platform::writeTime(normalizeSlashes(path), links); }
DateTime getFolderWriteTime(const std::string& path, Links links) { return platform::writeTime(path, links); }

bool setFileTimes(const std::string& path, DateTime /*creation*/, DateTime access, DateTime write) {
  return platform::setTimes(normalizeSlashes(path), access, write);
}

bool setFolderTimes(const std::string& path, DateTime creation, DateTime access, DateTime write) {
  return setFileTimes(path, creation, access, write);
}

bool folderExists(const std::string& path) { return platform::objectKind(path) == platform::ObjectKind::Folder; }

bool forceFolders(const std::string& path) {
  std::string error;
  return !path.empty() && platform::createFolders(path, error);
}

bool fileExists(const std::string& path) { return fileAge(path) != -1.0; }

}  // namespace zantrel
