// Step 29: decides whether the item gets its new name, shows it in test
// mode, settles a clash with an existing object of the new name, renames,
// and reports every outcome on standard output and in the log.
//
// Nothing here can replace an existing object by accident: the rename never
// replaces (platform::renameNoReplace); only -ded replaces, and only a file
// that is not the item itself, in one step; only -des deletes, the source.
#include "app/settings.h"
#include "engine/pass_report.h"
#include "engine/preview.h"
#include "engine/rename_log.h"
#include "engine/steps.h"
#include "lib/files.h"
#include "lib/strings.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/filesystem.h"

namespace zantrel {

namespace {

void log(std::initializer_list<std::string_view> fields) {
  if (RunSettings.WriteLog) writeLogLine(fields);
}

// The new name is the item's own name: the same text, or a name that
// reaches the very same object (a case-only change on a case-insensitive
// file system). Names differing only in case are different files on a
// case-sensitive file system, and then the clash rules apply.
bool sameName(const TPassItem& item) {
  return trimControls(item.ListedName) == trimControls(item.NewPath) ||
         platform::sameObject(item.ShortName, item.NewPath);
}

// The report of a done rename. The read-only attribute goes only once the
// object has its new name, so a failed rename leaves it as it was. What
// selection saw tells whether there is one to clear.
void reportRenamed(TPassItem& item, const char* kind) {
  if (!(item.StatusKnown && item.Status.ownerWritable)) platform::clearReadOnly(item.NewPath);
  writeNameLine(item.ListedName, " -> " + item.NewPath);
  markItem(ItemMark::Renamed);
  item.PlacedAt = item.NewPath;
  log({"rename", item.ListedName, item.NewPath, kind});
}

void renameItem(TPassItem& item, const char* kind, const char* errorText, const char* errorLog) {
  if (!platform::renameNoReplace(item.ShortName, item.NewPath)) {
    platform::writeLine(std::string(errorText) + item.ListedName + " -> " + item.NewPath + " !");
    log({"ERROR", item.ListedName, item.NewPath, errorLog});
    return;
  }
  reportRenamed(item, kind);
}

const char* const FolderError = "ERROR Can't rename directory ";
const char* const FolderErrorLog = "can not rename directory";
const char* const FileError = "ERROR Can't rename file ";
const char* const FileErrorLog = "can not rename file";

void commitFolder(TPassItem& item) {
  if (RunSettings.FolderDateFromFiles) adjustFolderDate(item);
  if (folderExists(item.NewPath)) {
    if (sameName(item)) return;
    platform::writeLine(FolderError + item.ListedName + " -> " + item.NewPath + " !");
    log({"ERROR", item.ListedName, item.NewPath, FolderErrorLog});
    return;
  }
  renameItem(item, "directory", FolderError, FolderErrorLog);
}

bool deleteOrReport(const std::string& path) {
  std::string error;
  if (platform::removeFile(path, error) != platform::Removal::Failed) return true;
  platform::writeLine("ERROR! Failed to delete: " + path);
  return false;
}

// The rename itself refuses to replace anything, so it comes first; only
// when it is refused does the commit look whether a file of the new name
// is what stands in the way, and settle that clash by rule.
void commitFile(TPassItem& item) {
  const TRunSettings& s = RunSettings;
  if (platform::renameNoReplace(item.ShortName, item.NewPath)) return reportRenamed(item, "file");
  if (fileExists(item.NewPath) && !sameName(item)) {
    if (s.DeleteExistingDestination) {
      platform::writeLine("WARNING destination exists - overwrite " + item.NewPath + " !");
      log({"WARNING", item.ListedName, item.NewPath, "overwrite destination file"});
      // The old file goes in the same step in which the item takes its
      // name: a failure leaves it whole, and it was not deleted.
      if (!platform::renameReplacingFile(item.ShortName, item.NewPath)) {
        platform::writeLine("ERROR! Failed to delete: " + item.NewPath);
        return;
      }
      return reportRenamed(item, "file");
    }
    if (s.DeleteExistingSource) {
      platform::writeLine("WARNING destination exists - delete " + item.ListedName + " !");
      log({"WARNING", item.ListedName, item.NewPath, "destination exists - delete source"});
      if (deleteOrReport(item.ListedName)) markItem(ItemMark::Deleted);
      return;
    }
  }
  // A clash without an option to settle it, or a rename that failed.
  platform::writeLine(FileError + item.ListedName + " -> " + item.NewPath + " !");
  log({"ERROR", item.ListedName, item.NewPath, FileErrorLog});
}

}  // namespace

StepResult stepCommit(TPassItem& item) {
  const TRunSettings& s = RunSettings;
  // -fdff lets every item in, so that the folder date is set also where
  // the name stays.
  if (item.ListedName == item.NewPath && !s.FolderDateFromFiles) return StepResult::EndItem;
  if (item.ShortName.empty()) return StepResult::EndItem;
  if (s.Test) {
    writeNameLine(item.ListedName, " -> " + item.NewPath + " (test)");
    markItem(ItemMark::Previewed);
    if (checkPreviewedRename(item.ShortName, item.NewPath, s.Folders)) item.PlacedAt = item.NewPath;
    return StepResult::EndItem;
  }
  if (s.Folders) commitFolder(item);
  else commitFile(item);
  return StepResult::EndItem;
}

}  // namespace zantrel
