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
#include "lib/paths.h"
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

const char* const FolderError = "ERROR Can't rename directory ";
const char* const FolderErrorLog = "can not rename directory";
const char* const FileError = "ERROR Can't rename file ";
const char* const FileErrorLog = "can not rename file";

struct TBranch {
  const char* kind;  // the last field of a rename record
  const char* errorText;
  const char* errorLog;
};
const TBranch FileBranch{"file", FileError, FileErrorLog};
const TBranch FolderBranch{"directory", FolderError, FolderErrorLog};

// The item keeps its name. Times that step 28 set are reported first,
// under that name: the order of the lines is the order of the steps.
void refuse(TPassItem& item, const TBranch& branch) {
  reportExifTimes(item, item.ListedName);
  platform::writeLine(std::string(branch.errorText) + item.ListedName + " -> " + item.NewPath + " !");
  if (!RunSettings.Test) log({"ERROR", item.ListedName, item.NewPath, branch.errorLog});
}

// The report of a done rename. The read-only attribute goes only once the
// object has its new name, so a failed rename leaves it as it was; a link
// keeps what it leads to as it was.
void reportRenamed(TPassItem& item, const TBranch& branch) {
  // What selection saw tells whether there is a read-only attribute to clear.
  if (!(item.StatusKnown && item.Status.ownerWritable)) platform::clearReadOnly(item.NewPath);
  writeNameLine(item.ListedName, " -> " + item.NewPath);
  markItem(ItemMark::Renamed);
  item.PlacedAt = item.NewPath;
  log({"rename", item.ListedName, item.NewPath, branch.kind});
}

void renameItem(TPassItem& item, const TBranch& branch) {
  if (!platform::renameNoReplace(item.ShortName, item.NewPath)) return refuse(item, branch);
  reportExifTimes(item, item.NewPath);
  reportRenamed(item, branch);
}

// A name beginning with "." is hidden: no later run would list the item.
bool hidesItem(const TPassItem& item) {
  return !namePart(item.ListedName).starts_with('.') && namePart(item.NewPath).starts_with('.');
}

void commitFolder(TPassItem& item) {
  if (RunSettings.FolderDateFromFiles) adjustFolderDate(item);
  if (folderExists(item.NewPath)) {
    if (sameName(item)) return reportExifTimes(item, item.ListedName);
    return refuse(item, FolderBranch);
  }
  renameItem(item, FolderBranch);
}

// The rename itself refuses to replace anything, so it comes first; only
// when it is refused does the commit look whether a file of the new name
// is what stands in the way, and settle that clash by rule.
void commitFile(TPassItem& item) {
  const TRunSettings& s = RunSettings;
  if (platform::renameNoReplace(item.ShortName, item.NewPath)) {
    reportExifTimes(item, item.NewPath);
    return reportRenamed(item, FileBranch);
  }
  // Selection left the look at the item to now: it went after it was listed.
  if (!item.StatusKnown && !platform::pathExists(item.ShortName)) return reportNotFound(item);
  // A rename that failed, or a name that leads to the item itself (a link
  // to it, or the item is a link to it): deleting either side would lose
  // the only copy.
  if (!fileExists(item.NewPath) || sameName(item) || platform::leadToSameObject(item.ShortName, item.NewPath)) {
    return refuse(item, FileBranch);
  }
  if (s.DeleteExistingDestination && !item.Follower) {
    // The old file goes in the same step in which the item takes its name:
    // a failure leaves it whole, and it was not deleted.
    const bool replaced = platform::renameReplacingFile(item.ShortName, item.NewPath);
    reportExifTimes(item, replaced ? item.NewPath : item.ListedName);
    platform::writeLine("WARNING destination exists - overwrite " + item.NewPath + " !");
    if (!replaced) {
      platform::writeLine("ERROR! Failed to delete: " + item.NewPath);
      log({"ERROR", item.ListedName, item.NewPath, FileErrorLog});
      return;
    }
    log({"WARNING", item.ListedName, item.NewPath, "overwrite destination file"});
    return reportRenamed(item, FileBranch);
  }
  if (s.DeleteExistingSource && !item.Follower) {
    std::string error;
    const bool deleted = platform::removeFile(item.ListedName, error) != platform::Removal::Failed;
    // Times set on a file that is gone now are no longer anywhere: a line
    // and a record under its name would name nothing that exists.
    if (deleted) item.TimesSetTo = 0;
    reportExifTimes(item, item.ListedName);
    platform::writeLine("WARNING destination exists - delete " + item.ListedName + " !");
    if (!deleted) {
      platform::writeLine("ERROR! Failed to delete: " + item.ListedName);
      log({"ERROR", item.ListedName, item.NewPath, FileErrorLog});
      return;
    }
    markItem(ItemMark::Deleted);
    log({"WARNING", item.ListedName, item.NewPath, "destination exists - delete source"});
    return;
  }
  refuse(item, FileBranch);
}

}  // namespace

StepResult stepCommit(TPassItem& item) {
  const TRunSettings& s = RunSettings;
  // -fdff lets every item in, so that the folder date is set also where
  // the name stays.
  if ((item.ListedName == item.NewPath && !s.FolderDateFromFiles) || item.ShortName.empty()) {
    reportExifTimes(item, item.ListedName);
    // An item that keeps its name still has its followers (-pairs) follow.
    if (!item.ShortName.empty()) item.PlacedAt = item.ListedName;
    return StepResult::EndItem;
  }
  if (hidesItem(item)) {
    refuse(item, s.Folders ? FolderBranch : FileBranch);
    return StepResult::EndItem;
  }
  if (s.Test) {
    writeNameLine(item.ListedName, " -> " + item.NewPath + " (test)");
    markItem(ItemMark::Previewed);
    if (checkPreviewedRename(item.ShortName, item.NewPath, s.Folders, false, !item.Follower)) {
      item.PlacedAt = item.NewPath;
    }
    return StepResult::EndItem;
  }
  // A first stop signal cannot split the rename from its line and record:
  // its handler only notes it, the calls it meets are restarted, and the
  // pass stops between items. A second one ends the program at once.
  if (s.Folders) commitFolder(item);
  else commitFile(item);
  return StepResult::EndItem;
}

}  // namespace zantrel
