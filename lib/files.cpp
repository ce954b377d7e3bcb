#include "lib/files.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "lib/paths.h"
#include "lib/wildcard.h"
#include "platform/files.h"

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

const std::vector<FolderEntry>& readFolder(const std::string& folder, std::vector<FolderEntry>& own,
                                           TFolderListings* listings) {
  if (listings) {
    const auto known = listings->find(folder);
    if (known != listings->end()) return known->second;
  }
  std::vector<FolderEntry> entries;
  if (platform::listFolder(folder, entries) == platform::ListStatus::ReadError) {
    throw std::runtime_error("folder listing failed: " + folder);
  }
  if (listings) return listings->emplace(folder, std::move(entries)).first->second;
  own = std::move(entries);
  return own;
}

// One read of the folder serves both the matches and the recursion (and,
// with listings, every further pattern of the pass).
void searchFolder(const TSearch& search, const std::string& folder, const std::string& shortFolder) {
  std::vector<FolderEntry> own;
  const std::vector<FolderEntry>& entries = readFolder(folder, own, search.listings);
  for (const FolderEntry& entry : entries) {
    if (entry.kind != search.wanted || !matchesWildcard(search.mask, entry.name)) continue;
    search.longNames.push_back(folder + entry.name);
    search.shortNames.push_back(shortFolder + entry.name);
  }
  if (!search.recursive) return;
  for (const FolderEntry& entry : entries) {
    if (entry.kind != EntryKind::Folder || entry.throughLink) continue;
    searchFolder(search, folder + entry.name + "/", shortFolder + entry.name + "/");
  }
}

bool find(EntryKind wanted, const char* failureText, const std::string& pattern, const std::string& shortPattern,
          TNameList& longNames, TNameList& shortNames, bool recursive, TFolderListings* listings) {
  try {
    const std::string& shortSpec = shortPattern.empty() ? pattern : shortPattern;
    const TSearch search{namePart(pattern), wanted, recursive, longNames, shortNames, listings};
    searchFolder(search, folderPart(pattern), folderPart(shortSpec));
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

DateTime getCreationTime(const std::string& path) { return platform::creationTime(normalizeSlashes(path)); }
DateTime getAccessTime(const std::string& path) { return platform::accessTime(normalizeSlashes(path)); }
DateTime getWriteTime(const std::string& path) { return platform::writeTime(normalizeSlashes(path)); }
DateTime getFolderWriteTime(const std::string& path) { return platform::writeTime(path); }

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
