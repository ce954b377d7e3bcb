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

namespace zantrel {

namespace {

// The object a rename record left behind is still there, and of the kind
// the record names (a link keeps the kind it reaches, as when it was listed).
bool stillThere(const std::string& path, bool folder) {
  const platform::ObjectKind kind = platform::objectKind(path);
  if (folder) return kind == platform::ObjectKind::Folder;
  return kind != platform::ObjectKind::Folder && platform::pathExists(path);
}

// One rename record, taken back: the object now called now gets the name
// old again, through the commit, so the lines, the records and the rules
// for a name that is taken are those of every rename.
void takeBack(TPassReport& report, const std::string& old, const std::string& now, bool folder) {
  TRunSettings& s = RunSettings;
  TPassItem item;
  item.ListedName = item.AccessPath = item.ShortName = now;
  item.FolderPart = folderPart(now);
  item.WorkName = namePart(old);
  item.NewPath = old;
  report.beginItem(item);
  if (old == now) {
    // A record of a name that did not change (-fdff): nothing to take back.
  } else if (s.Test) {
    writeNameLine(now, " -> " + old + " (test)");
    markItem(ItemMark::Previewed);
    checkPreviewedRename(now, old, folder, true);
  } else if (!stillThere(now, folder)) {
    platform::writeLine(std::string(folder ? "ERROR Can't find directory " : "ERROR Can't find file ") + now +
                        " to rename it back to " + old + " !");
  } else {
    s.Folders = folder;
    stepCommit(item);
    s.Folders = false;
  }
  report.endItem();
}

void reportKept(const TLogRecord& record) {
  const std::vector<std::string>& f = record.Fields;
  if (f[0] == "copy") {
    platform::writeLine("Copy kept: " + f[2]);
  } else if (f[0] == "time") {
    platform::writeLine("Time stamps not restored: " + f[1]);
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
  for (auto it = reading.Records.rbegin(); it != reading.Records.rend(); ++it) {
    const std::vector<std::string>& f = it->Fields;
    if (f[0] == "rename") takeBack(report, f[1], f[2], f[3] == "directory");
    else reportKept(*it);
  }
}

}  // namespace zantrel
