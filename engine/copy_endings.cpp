// The copy endings of step 26: the item is copied under its new name and
// keeps its own. A copy never replaces anything: the plain copy numbers its
// way to a free name, the media library skips a file that it already holds
// byte for byte and numbers past any other.
#include <string>

#include "app/settings.h"
#include "engine/media_library.h"
#include "engine/pairs.h"
#include "engine/pass_report.h"
#include "engine/preview.h"
#include "engine/rename_log.h"
#include "engine/steps.h"
#include "lib/files.h"
#include "lib/paths.h"
#include "platform/console.h"
#include "platform/copy_file.h"
#include "platform/files.h"

namespace zantrel {

namespace {

const std::string& copySource(const TPassItem& item) {
  return item.ShortName.empty() ? item.ListedName : item.ShortName;
}

void reportCopied(TPassItem& item, const std::string& dest) {
  platform::writeLine("File copied to: " + dest);
  markItem(ItemMark::Copied);
  item.PlacedAt = dest;
  if (RunSettings.WriteLog) writeLogLine({"copy", item.ListedName, dest, copySource(item)});
}

void reportFailed(const TPassItem& item) { platform::writeLine("ERROR! Failed to copy: " + copySource(item)); }

// A stop signal came while the bytes were copied: the copy was taken back,
// and the run ends after this item.
void reportTakenBack(const TPassItem& item) {
  platform::writeErrorLine("zantrel: not copied, the run was stopped: " + copySource(item));
}

// img_1.jpg, then img_1_1.jpg, img_1_2.jpg, ...
std::string candidateName(const std::string& workName, long n) {
  if (n == 0) return workName;
  return baseName(workName) + "_" + std::to_string(n) + fileExtension(workName);
}

void reportInLibrary(TPassItem& item, const std::string& dest) {
  platform::writeLine("File exists (skipping): " + dest);
  markItem(ItemMark::Skipped);
  // The library has the item: its companions still belong beside it.
  item.PlacedAt = dest;
}

// The date the library files an item under: the one a date step used, or
// else the one the date type selects, moved by the time shift.
DateTime libraryDate(const TPassItem& item) {
  return item.NameDate != 0 ? item.NameDate : selectItemDate(item);
}

// A name for the plain copy where the item's followers (-pairs) find
// their names free too, so that the set keeps one name.
bool freeForTheSet(const TPassItem& item, const std::string& dest) {
  if (platform::pathExists(dest)) return false;
  if (!item.Followers) return true;
  for (const TFollower& follower : *item.Followers) {
    if (platform::pathExists(followerName(dest, follower))) return false;
  }
  return true;
}

// The media-library copy once the folder and the name are known. A
// library name that is taken is not yet the same photo: two cameras count
// from IMG_0001 alike, and a card is reused after a counter reset. The
// item is skipped only where a file of the same bytes is already there,
// under the name or a numbered one an earlier import gave it; otherwise it
// is copied under the first free name, numbered as the plain copy numbers.
void copyIntoLibrary(TPassItem& item, const std::string& folder, const std::string& name) {
  for (long n = 0;;) {
    const std::string dest = folder + candidateName(name, n);
    if (platform::pathExists(dest)) {
      if (platform::sameFileContent(copySource(item), dest)) return reportInLibrary(item, dest);
      ++n;
      continue;
    }
    if (RunSettings.Test) {
      platform::writeLine("Copy from: " + copySource(item));
      platform::writeLine("to: " + dest);
      platform::writeLine("(test - nothing copied)");
      markItem(ItemMark::Previewed);
      item.PlacedAt = dest;
      checkPreviewedCopy(item.ListedName, folder);
      return;
    }
    if (!folderExists(folder) && !forceFolders(folder)) {
      writeNameLine(item.ListedName, " Error make directory: " + folder);
      return;
    }
    switch (platform::copyFileNoReplace(copySource(item), dest)) {
      case platform::CopyOutcome::Copied:
        return reportCopied(item, dest);
      case platform::CopyOutcome::DestinationExists:
        continue;  // it appeared meanwhile: compared like any other
      case platform::CopyOutcome::Failed:
        return reportFailed(item);
      case platform::CopyOutcome::Interrupted:
        return reportTakenBack(item);
    }
  }
}

}  // namespace

void copyEnding(TPassItem& item) {
  if (RunSettings.Test) {
    platform::writeLine("Copy to: " + item.WorkName + " (test)");
    markItem(ItemMark::Previewed);
    item.PlacedAt = item.WorkName;
    checkPreviewedCopy(item.ListedName, "");
    return;
  }
  // Anything already there, also a name taken between the test and the
  // copy, moves the copy on to the next number.
  for (long n = 0;; ++n) {
    const std::string dest = candidateName(item.WorkName, n);
    if (!freeForTheSet(item, dest)) continue;
    switch (platform::copyFileNoReplace(copySource(item), dest)) {
      case platform::CopyOutcome::Copied:
        return reportCopied(item, dest);
      case platform::CopyOutcome::DestinationExists:
        continue;
      case platform::CopyOutcome::Failed:
        return reportFailed(item);
      case platform::CopyOutcome::Interrupted:
        return reportTakenBack(item);
    }
  }
}

void mediaCopyEnding(TPassItem& item) {
  item.NameDate = libraryDate(item);
  const MediaKind kind = mediaKindOf(fileExtension(item.WorkName));
  if (kind == MediaKind::None) {
    markItem(ItemMark::Skipped);
    return;
  }
  const std::string folder = mediaFolder(RunSettings.MediaRoot, kind, item.NameDate, item.WorkName);
  copyIntoLibrary(item, folder, item.WorkName);
}

void copyFollower(TPassItem& item, const std::string& dest) {
  if (RunSettings.Test) {
    platform::writeLine("Copy to: " + dest + " (test)");
    markItem(ItemMark::Previewed);
    checkPreviewedCopy(item.ListedName, "");
    return;
  }
  // The leader took a number that leaves this name free: a file there now
  // came meanwhile, and another number would split the set.
  switch (platform::copyFileNoReplace(copySource(item), dest)) {
    case platform::CopyOutcome::Copied:
      return reportCopied(item, dest);
    case platform::CopyOutcome::Interrupted:
      return reportTakenBack(item);
    default:
      return reportFailed(item);
  }
}

// A follower whose name in the library holds other bytes (a sidecar edited
// since) is numbered like any item: a set split in two loses nothing.
void mediaCopyFollower(TPassItem& item, const std::string& dest) {
  copyIntoLibrary(item, folderPart(dest), namePart(dest));
}

}  // namespace zantrel
