#include "engine/preview.h"

#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "app/settings.h"
#include "engine/pass_report.h"
#include "engine/rename_log.h"
#include "lib/files.h"
#include "lib/name_table.h"
#include "lib/paths.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/filesystem.h"

namespace zantrel {

namespace {

// The names the preview keeps for the whole run, in large blocks: a run
// over 100,000 files would otherwise allocate twice per item.
class TNameStore {
 public:
  std::string_view keep(std::string_view text) {
    if (text.size() > left_) {
      const size_t size = std::max(BlockSize, text.size());
      blocks_.emplace_back(new char[size]);
      next_ = blocks_.back().get();
      left_ = size;
    }
    char* const at = next_;
    std::memcpy(at, text.data(), text.size());
    next_ += text.size();
    left_ -= text.size();
    return {at, text.size()};
  }

 private:
  static constexpr size_t BlockSize = 64 * 1024;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  size_t left_ = 0;
};

// A listed folder whose names can answer for the disk: every name it held
// is known, and the file system tells names apart by case, so a name not
// among them is not there either.
struct TKnownFolder {
  bool trusted = false;
  TNameTable<bool> names;  // views into the listing
};

struct TPreviewState {
  TNameStore store;
  // A name a shown rename would have taken (with the name it came from),
  // or freed (an empty view).
  TNameTable<std::string_view> names;
  std::unordered_map<std::string, bool> writable;  // by folder part
  // The listings of the pass in hand, and what they tell of each folder.
  TFolderListings listings;
  std::unordered_map<std::string, TKnownFolder> known;
  // The folder onDisk looked up last (a key of known, which never moves
  // its elements).
  std::string_view lastFolder;
  const TKnownFolder* lastKnown = nullptr;
};

// Never destroyed: the run ends soon after the preview, and freeing every
// name one by one would cost it more than the lookups did.
TPreviewState& state = *new TPreviewState;

const std::string_view Freed;

// What the preview left at path (a name, or Freed), or nullptr where it
// has not touched it.
const std::string_view* shownState(std::string_view path) { return state.names.find(path); }

// Sets what path holds as the preview would have left it; the kept name.
std::string_view setShown(std::string_view path, std::string_view holder) {
  bool added = false;
  auto& slot = state.names.slotFor(path, added);
  if (added) slot.name = state.store.keep(path);
  slot.value = holder;
  return slot.name;
}

std::string swappedAsciiCase(std::string_view name) {
  std::string swapped(name);
  for (char& c : swapped) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return swapped;
}

// One name of the folder with its letters' case swapped tells the file
// system's way: listed too, or not found, and names differ by case.
bool tellsCaseApart(const std::string& folder, const TKnownFolder& known, std::string_view sample) {
  const std::string swapped = swappedAsciiCase(sample);
  return known.names.contains(swapped) || !platform::pathExists(folder + swapped);
}

bool hasAsciiLetter(std::string_view name) {
  for (const char c : name) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  }
  return false;
}

TKnownFolder indexFolder(const std::string& folder) {
  TKnownFolder known;
  const TFolderListings& listings = state.listings;
  const auto entries = listings.folders.find(folder);
  if (entries == listings.folders.end() || listings.incomplete.contains(folder)) return known;
  const auto unlisted = listings.unlisted.find(folder);
  const bool hasUnlisted = unlisted != listings.unlisted.end();
  known.names.reserve(entries->second.size() + (hasUnlisted ? unlisted->second.size() : 0));
  std::string_view sample;  // a name with a letter, to tell case by
  auto add = [&](std::string_view name) {
    bool added = false;
    known.names.slotFor(name, added);
    if (sample.empty() && hasAsciiLetter(name)) sample = name;
  };
  for (const platform::FolderEntry& entry : entries->second) add(entry.name);
  if (hasUnlisted) {
    for (const std::string& name : unlisted->second) add(name);
  }
  known.trusted = !sample.empty() && tellsCaseApart(folder, known, sample);
  return known;
}

// Whether something of that name is on disk: from the pass's listing where
// it can tell, else by a look.
bool onDisk(const std::string& path) {
  const std::string_view folder = std::string_view(path).substr(0, nameStart(path));
  // Items come folder by folder: the folder of the last look is mostly the
  // folder of this one.
  if (!state.lastKnown || folder != state.lastFolder) {
    std::string key(folder);
    auto known = state.known.find(key);
    if (known == state.known.end()) known = state.known.emplace(key, indexFolder(key)).first;
    state.lastFolder = known->first;
    state.lastKnown = &known->second;
  }
  if (state.lastKnown->trusted) return state.lastKnown->names.contains(std::string_view(path).substr(folder.size()));
  return platform::pathExists(path);
}

bool folderCanBeWritten(const std::string& folder) {
  const auto known = state.writable.find(folder);
  if (known != state.writable.end()) return known->second;
  const bool writable = platform::folderWritable(folder);
  state.writable.emplace(folder, writable);
  return writable;
}

std::string shownFolder(const std::string& folder) {
  return folder.empty() ? std::string("the current folder") : "the folder " + escapeLogField(folder);
}

// False: the real run would not give the item the name the line shows.
bool note(const std::string& what, const std::string& outcome, bool fails) {
  platform::flushOutput();
  platform::writeErrorLine("zantrel: test: " + what + " " + outcome);
  if (fails) markItem(ItemMark::WouldFail);
  return false;
}

// Why a name is not free: a file on disk, or an earlier line (holder).
std::string takenBy(const std::string& name, const std::string& holder) {
  if (holder.empty()) return escapeLogField(name) + " exists";
  return "an earlier item (" + escapeLogField(holder) + ") takes " + escapeLogField(name);
}

std::string renameText(const std::string& source, const std::string& target) {
  return escapeLogField(source) + " -> " + escapeLogField(target);
}

}  // namespace

bool previewFinds(const std::string& path) {
  if (const std::string_view* shown = shownState(path)) return !shown->empty();
  return onDisk(path);
}

void previewListedFolders(TFolderListings&& listings, size_t items) {
  state.listings = std::move(listings);
  state.known.clear();
  state.lastKnown = nullptr;
  state.names.reserve(state.names.size() + 2 * items);
}

bool checkPreviewedRename(const std::string& source, const std::string& target, bool folder, bool mustExist,
                          bool deletionSettles) {
  // Built only for a note: most items get none.
  const auto what = [&] { return renameText(source, target); };
  if (mustExist && !previewFinds(source)) {
    return note(what(), "would fail: " + escapeLogField(source) + " does not exist", true);
  }
  // Another object of the new name: a name an earlier line takes, or one on
  // disk that no earlier line has taken away. The object itself under a
  // case-only change (a case-insensitive file system) is no other object.
  std::string holder;
  bool taken = false;
  if (const std::string_view* shown = shownState(target)) {
    taken = !shown->empty();
    holder = *shown;
  } else {
    taken = source != target && onDisk(target) && !platform::sameObject(source, target);
  }
  if (taken) {
    const std::string by = takenBy(target, holder);
    const TRunSettings& s = RunSettings;
    // A clash between files is what -ded and -des settle; they do not fail,
    // but neither does the real run do what the line shows.
    const bool settled = !folder && deletionSettles && (holder.empty() ? fileExists(target) : true);
    if (settled && s.DeleteExistingDestination) {
      note(what(), "would replace the file of that name (-ded): " + by, false);
    } else if (settled && s.DeleteExistingSource) {
      setShown(source, Freed);
      return note(what(), "would delete " + escapeLogField(source) + " instead (-des): " + by, false);
    } else {
      return note(what(), "would fail: " + by, true);
    }
  }
  for (const std::string& place : {folderPart(source), folderPart(target)}) {
    if (!folderCanBeWritten(place)) {
      return note(what(), "would fail: " + shownFolder(place) + " can not be written", true);
    }
  }
  setShown(target, setShown(source, Freed));
  return true;
}

void previewTakes(const std::string& path, const std::string& source) { setShown(path, state.store.keep(source)); }

std::string previewHolder(const std::string& path) {
  const std::string_view* shown = shownState(path);
  return shown ? std::string(*shown) : std::string();
}

void notePreviewedCopyName(const std::string& source, const std::string& dest, const std::string& taken) {
  note(escapeLogField(source), "would be copied to " + escapeLogField(dest) + ": " + takenBy(taken, previewHolder(taken)),
       false);
}

void checkPreviewedCopy(const std::string& source, const std::string& folder) {
  std::string existing = folder;
  // The nearest folder that is there: the one the copy would make its
  // folders in.
  while (!existing.empty() && !folderExists(existing)) {
    if (existing.back() == '/') existing.pop_back();
    const size_t slash = existing.rfind('/');
    existing = slash == std::string::npos ? std::string() : existing.substr(0, slash + 1);
  }
  if (folderCanBeWritten(existing)) return;
  note(escapeLogField(source), "would not be copied: " + shownFolder(existing) + " can not be written", true);
}

void forgetPreview() {
  state.names.clear();
  state.writable.clear();
  state.listings = TFolderListings{};
  state.known.clear();
  state.lastKnown = nullptr;
  state.store = TNameStore{};
}

}  // namespace zantrel
