#include "engine/undo.h"

#include <vector>

#include "app/outcome.h"
#include "app/settings.h"
#include "engine/item.h"
#include "engine/pass_report.h"
#include "engine/preview.h"
#include "engine/steps.h"
#include "lib/paths.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/filesystem.h"
#include "platform/process.h"

namespace zantrel {

namespace {

// The object a rename record left behind is still there, and of the kind
// the record names (a link keeps the kind it reaches, as when it was
// listed). The one look at it serves the commit too.
bool stillThere(TPassItem& item, bool folder) {
  item.Status = platform::fileStatus(item.ShortName);
  item.StatusKnown = item.Status.exists;
  if (folder) return item.Status.isFolder;
  // A link that leads nowhere is still an object of that name.
  return item.Status.exists ? !item.Status.isFolder : platform::pathExists(item.ShortName);
}

// One rename record, taken back: the object now called now gets the name
// old again, through the commit, so the lines, the records and the rules
// for a name that is taken are those of every rename. True when it has
// (or, in test mode, would have) the old name again.
bool takeBack(TPassReport& report, const std::string& old, const std::string& now, bool folder) {
  TRunSettings& s = RunSettings;
  TPassItem item;
  item.ListedName = item.AccessPath = item.ShortName = now;
  item.FolderPart = folderPart(now);
  item.WorkName = namePart(old);
  item.NewPath = old;
  report.beginItem(item);
  bool back = false;
  if (old == now) {
    // A record of a name that did not change (-fdff): nothing to take back.
  } else if (s.Test) {
    writeNameLine(now, " -> " + old + " (test)");
    markItem(ItemMark::Previewed);
    back = checkPreviewedRename(now, old, folder, true);
  } else if (!stillThere(item, folder)) {
    platform::writeLine(std::string(folder ? "ERROR Can't find directory " : "ERROR Can't find file ") + now +
                        " to rename it back to " + old + " !");
  } else {
    s.Folders = folder;
    stepCommit(item);
    s.Folders = false;
    back = !item.PlacedAt.empty();
  }
  report.endItem();
  return back;
}

// now: the name the record's object has now (a time record comes right
// before the rename of its file, which the undo has taken back by then).
void reportKept(const TLogRecord& record, const std::string& now) {
  const std::vector<std::string>& f = record.Fields;
  if (f[0] == "copy") {
    platform::writeLine("Copy kept: " + f[2]);
  } else if (f[0] == "time") {
    platform::writeLine("Time stamps not restored: " + now);
  } else if (f[0] == "WARNING") {
    if (f[3] == "overwrite destination file") platform::writeLine("Overwritten file not restored: " + f[2]);
    else platform::writeLine("Deleted file not restored: " + f[1]);
  }
  // An "ERROR" record changed nothing.
}

}  // namespace

void runUndo(const TLogReading& reading) {
  TPassReport report;
  for (const TLogRecord& record : reading.Records) {
    if (record.Fields[0] == "rename") ++RunOutcome.Selected;
  }
  // The rename taken back last, when it gave its object its old name again.
  const TLogRecord* renamedBack = nullptr;
  for (auto it = reading.Records.rbegin(); it != reading.Records.rend(); ++it) {
    // A stop signal ends the undo between two records, as it ends a pass.
    if (platform::stopSignal() != 0) return;
    const std::vector<std::string>& f = it->Fields;
    if (f[0] == "rename") {
      renamedBack = takeBack(report, f[1], f[2], f[3] == "directory") ? &*it : nullptr;
      continue;
    }
    // The times of a file renamed in the same step are logged under its new
    // name, just before its rename.
    const bool moved = renamedBack && f[0] == "time" && renamedBack->Fields[2] == f[1];
    reportKept(*it, moved ? renamedBack->Fields[1] : f[1]);
    renamedBack = nullptr;
  }
}

}  // namespace zantrel
