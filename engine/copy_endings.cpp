// The copy endings of step 26: the item is copied under its new name and
// keeps its own. A copy never replaces anything: the plain copy numbers its
// way to a free name, the media library skips a file that it already holds
// byte for byte and numbers past any other.
#include <memory>
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

// Whether something is at path: on disk, or in a test run where the
// preview's earlier lines would have put it.
bool taken(const std::string& path) {
  return RunSettings.Test ? previewFinds(path) : platform::pathExists(path);
}

// The first name of the set (the item's, then its followers' under
// -pairs) that is taken at dest; empty when the whole set finds its names
// free, so that the set keeps one name.
std::string firstTaken(const TPassItem& item, const std::string& dest) {
  if (taken(dest)) return dest;
  if (!item.Followers) return {};
  for (const TFollower& follower : *item.Followers) {
    std::string name = followerName(dest, follower);
    if (taken(name)) return name;
  }
  return {};
}

// The item's file, opened once for every name the copy tries (and for the
// comparisons with what a taken name holds): the very file step 5 read
// the capture date from where that is still open.
class TCopySource {
 public:
  explicit TCopySource(const TPassItem& item) : item_(item) {}

  platform::CopyOutcome copyTo(const std::string& dest) {
    const platform::InputFile* source = file();
    return source ? platform::copyFileNoReplace(*source, dest) : platform::CopyOutcome::Failed;
  }
  bool sameContentAs(const std::string& path) {
    const platform::InputFile* source = file();
    return source && platform::sameFileContent(*source, path);
  }

 private:
  const platform::InputFile* file() {
    if (file_ || tried_) return file_;
    tried_ = true;
    const std::shared_ptr<platform::InputFile>& opened = item_.Opened;
    if (opened && opened->isOpen() && item_.AccessPath == copySource(item_)) file_ = opened.get();
    else if (own_.open(copySource(item_))) file_ = &own_;
    return file_;
  }

  const TPassItem& item_;
  platform::InputFile own_;
  const platform::InputFile* file_ = nullptr;
  bool tried_ = false;
};

void previewLibraryCopy(TPassItem& item, const std::string& folder, const std::string& dest) {
  platform::writeLine("Copy from: " + copySource(item));
  platform::writeLine("to: " + dest);
  platform::writeLine("(test - nothing copied)");
  markItem(ItemMark::Previewed);
  item.PlacedAt = dest;
  previewTakes(dest, copySource(item));
  checkPreviewedCopy(item.ListedName, folder);
}

// The media-library copy once the folder and the name are known. A
// library name that is taken is not yet the same photo: two cameras count
// from IMG_0001 alike, and a card is reused after a counter reset. The
// item is skipped only where a file of the same bytes is already there,
// under the name or a numbered one an earlier import gave it; otherwise it
// is copied under the first free name, numbered as the plain copy numbers.
// A test run takes the names that its own earlier lines would have filled
// as filled, with the bytes of the item that filled them.
//
// The copy itself finds out whether the folder is there, so a library
// that has the folder costs no look at it.
void copyIntoLibrary(TPassItem& item, const std::string& folder, const std::string& name) {
  const bool test = RunSettings.Test;
  TCopySource source(item);
  bool folderMade = false;
  for (long n = 0;;) {
    const std::string dest = folder + candidateName(name, n);
    if (taken(dest)) {
      const std::string holder = test ? previewHolder(dest) : std::string();
      if (source.sameContentAs(holder.empty() ? dest : holder)) return reportInLibrary(item, dest);
      ++n;
      continue;
    }
    if (test) return previewLibraryCopy(item, folder, dest);
    switch (source.copyTo(dest)) {
      case platform::CopyOutcome::Copied:
        return reportCopied(item, dest);
      case platform::CopyOutcome::DestinationExists:
        continue;  // it appeared meanwhile: compared like any other
      case platform::CopyOutcome::FolderMissing:
        if (!folderMade && forceFolders(folder)) {
          folderMade = true;
          continue;
        }
        writeNameLine(item.ListedName, " Error make directory: " + folder);
        return;
      case platform::CopyOutcome::Failed:
        return reportFailed(item);
      case platform::CopyOutcome::Interrupted:
        return reportTakenBack(item);
    }
  }
}

// The line shows the new name as it is; where the real copy would number
// its way past a name that is taken, a note says which name it would take.
void previewPlainCopy(TPassItem& item, const std::string& dest, const std::string& clash) {
  platform::writeLine("Copy to: " + item.WorkName + " (test)");
  markItem(ItemMark::Previewed);
  item.PlacedAt = dest;
  previewTakes(dest, copySource(item));
  if (!clash.empty()) notePreviewedCopyName(item.ListedName, dest, clash);
  checkPreviewedCopy(item.ListedName, "");
}

}  // namespace

void copyEnding(TPassItem& item) {
  // Anything already there, also a name taken between the look and the
  // copy, moves the copy on to the next number.
  std::string clash;  // what made the copy leave the new name itself
  TCopySource source(item);
  for (long n = 0;; ++n) {
    const std::string dest = candidateName(item.WorkName, n);
    const std::string name = firstTaken(item, dest);
    if (!name.empty()) {
      if (n == 0) clash = name;
      continue;
    }
    if (RunSettings.Test) return previewPlainCopy(item, dest, clash);
    switch (source.copyTo(dest)) {
      case platform::CopyOutcome::Copied:
        return reportCopied(item, dest);
      case platform::CopyOutcome::DestinationExists:
        continue;
      case platform::CopyOutcome::Interrupted:
        return reportTakenBack(item);
      default:
        return reportFailed(item);
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
    previewTakes(dest, copySource(item));
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
