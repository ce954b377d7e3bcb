#include "engine/preview.h"

#include <string_view>
#include <unordered_map>

#include "app/settings.h"
#include "engine/pass_report.h"
#include "engine/rename_log.h"
#include "lib/files.h"
#include "lib/paths.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/filesystem.h"

namespace zantrel {

namespace {

struct TPreviewState {
  // A name a shown rename would have taken (with the name it came from),
  // or freed (an empty text).
  std::unordered_map<std::string, std::string> names;
  std::unordered_map<std::string, bool> writable;  // by folder part
};

TPreviewState state;

const std::string Freed;

// "" when the preview has not touched the name, else what it left there.
const std::string* shownState(const std::string& path) {
  const auto known = state.names.find(path);
  return known == state.names.end() ? nullptr : &known->second;
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

std::string renameText(const std::string& source, const std::string& target) {
  return escapeLogField(source) + " -> " + escapeLogField(target);
}

}  // namespace

bool previewFinds(const std::string& path) {
  if (const std::string* shown = shownState(path)) return !shown->empty();
  return platform::pathExists(path);
}

bool checkPreviewedRename(const std::string& source, const std::string& target, bool folder, bool mustExist) {
  const std::string what = renameText(source, target);
  if (mustExist && !previewFinds(source)) {
    return note(what, "would fail: " + escapeLogField(source) + " does not exist", true);
  }
  // Another object of the new name: a name an earlier line takes, or one on
  // disk that no earlier line has taken away. The object itself under a
  // case-only change (a case-insensitive file system) is no other object.
  std::string holder;
  bool taken = false;
  if (const std::string* shown = shownState(target)) {
    taken = !shown->empty();
    holder = *shown;
  } else {
    taken = source != target && platform::pathExists(target) && !platform::sameObject(source, target);
  }
  if (taken) {
    const std::string by = holder.empty() ? escapeLogField(target) + " exists"
                                          : "an earlier item (" + escapeLogField(holder) + ") takes " +
                                                escapeLogField(target);
    const TRunSettings& s = RunSettings;
    // A clash between files is what -ded and -des settle; they do not fail,
    // but neither does the real run do what the line shows.
    const bool settled = !folder && (holder.empty() ? fileExists(target) : true);
    if (settled && s.DeleteExistingDestination) {
      note(what, "would replace the file of that name (-ded): " + by, false);
    } else if (settled && s.DeleteExistingSource) {
      state.names[source] = Freed;
      return note(what, "would delete " + escapeLogField(source) + " instead (-des): " + by, false);
    } else {
      return note(what, "would fail: " + by, true);
    }
  }
  for (const std::string& place : {folderPart(source), folderPart(target)}) {
    if (!folderCanBeWritten(place)) return note(what, "would fail: " + shownFolder(place) + " can not be written", true);
  }
  state.names[source] = Freed;
  state.names[target] = source;
  return true;
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

void forgetPreview() { state = TPreviewState{}; }

}  // namespace zantrel
