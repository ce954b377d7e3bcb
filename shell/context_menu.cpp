#include "shell/context_menu.h"

#include <optional>

#include "app/banner.h"
#include "app/settings.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "shell/menu_entries.h"

namespace zantrel {

namespace {

// Larger files in these places are no entries of ours.
constexpr size_t MaxEntrySize = 1 << 20;

// Where the file managers look for the entry, below the user's data folder.
struct MenuFiles {
  std::string ServiceMenuFolder;
  std::string ServiceMenu;  // also the store of the three values
  std::string NemoFolder;
  std::string NemoAction;
  std::string ScriptFolder;
};

std::optional<MenuFiles> menuFiles() {
  std::string data = platform::userDataDirectory();
  if (data.empty()) return std::nullopt;
  if (data.back() != '/') data += '/';
  MenuFiles files;
  files.ServiceMenuFolder = data + "kio/servicemenus";
  files.ServiceMenu = files.ServiceMenuFolder + "/zantrel-folder.desktop";
  files.NemoFolder = data + "nemo/actions";
  files.NemoAction = files.NemoFolder + "/zantrel-folder.nemo_action";
  files.ScriptFolder = data + "nautilus/scripts";
  return files;
}

std::optional<MenuValues> storedValues(const MenuFiles& files) {
  std::string content;
  if (!platform::readWholeFile(files.ServiceMenu, content, MaxEntrySize)) return std::nullopt;
  return readMenuValues(content);
}

std::string scriptPath(const MenuFiles& files, const std::string& menuText) {
  return files.ScriptFolder + "/" + nautilusScriptName(menuText);
}

// A file of that name that an install did not write is the user's own.
bool isForeignFile(const std::string& path) {
  std::string content;
  if (platform::readWholeFile(path, content, MaxEntrySize)) return !isOwnNautilusScript(content);
  // Unreadable, too large or no file: there is something, and it is not ours.
  return platform::pathExists(path);
}

[[noreturn]] void failInstall(const std::string& error) {
  failAndExit("ERROR: Missing registry rights?\r\n" + error, 1);
}

void writeEntry(const std::string& folder, const std::string& path, const std::string& content, bool executable) {
  std::string error;
  if (!platform::createFolders(folder, error) || !platform::replaceFile(path, content, executable, error))
    failInstall(error);
}

}  // namespace

void installContextMenu(const std::string& options) {
  const std::optional<MenuFiles> files = menuFiles();
  std::string error;
  if (!files || !platform::createFolders(files->ServiceMenuFolder, error))
    failAndExit("ERROR: Missing registry rights", 1);
  const std::string program = platform::programFile();
  if (program.empty()) failInstall("the program file of this process cannot be found");

  const std::optional<MenuValues> previous = storedValues(*files);
  const MenuValues values = menuValues(program, options);
  const std::string script = scriptPath(*files, values.MenuText);
  if (isForeignFile(script)) failInstall(script + ": exists and was not written by zantrel");

  // The store first: once it is there, -uninstall finds and removes the rest.
  // Dolphin reads service menus of the user only when they are executable.
  writeEntry(files->ServiceMenuFolder, files->ServiceMenu, serviceMenuText(values, program, options), true);
  writeEntry(files->NemoFolder, files->NemoAction, nemoActionText(values, program, options), false);
  writeEntry(files->ScriptFolder, script, nautilusScriptText(program, options), true);

  // The script of an earlier install with other options is named after them.
  if (previous) {
    const std::string old = scriptPath(*files, previous->MenuText);
    if (old != script && !isForeignFile(old) && platform::removeFile(old, error) == platform::Removal::Failed)
      failInstall(error);
  }
  showBanner("Directory Shell Extension Registered... (right click on directory in explorer)");
}

void uninstallContextMenu() {
  const std::optional<MenuFiles> files = menuFiles();
  bool removed = false;
  if (files) {
    std::string error;
    bool failed = false;
    auto remove = [&](const std::string& path) {
      const platform::Removal result = platform::removeFile(path, error);
      if (result == platform::Removal::Failed) {
        platform::writeErrorLine("zantrel: cannot remove " + error);
        failed = true;
      }
      return result;
    };
    if (const std::optional<MenuValues> values = storedValues(*files)) {
      const std::string script = scriptPath(*files, values->MenuText);
      if (!isForeignFile(script)) remove(script);
    }
    remove(files->NemoAction);
    // The store last, so that a failure above leaves it for another try.
    if (!failed) removed = remove(files->ServiceMenu) == platform::Removal::Removed;
  }
  if (removed) showBanner("Directory Shell Extension Deleted from registy");
  else platform::writeLine("ERROR: Missing registry rights");
}

void showContextMenu() {
  const std::optional<MenuFiles> files = menuFiles();
  const std::optional<MenuValues> values = files ? storedValues(*files) : std::nullopt;
  if (!values) failAndExit("ERROR: Registry not found", 1);
  const std::string text = "\n\rShell Context Menu Extension:\n\rMUIVerb=" + values->MenuText + "\n\rIcon=" +
                           values->Icon + "\n\rCommand=" + values->Command + "\n\r";
  // After an install the banner is out already; the listing must still show.
  if (RunSettings.BannerShown) platform::writeLine(text);
  else showBanner(text);
}

}  // namespace zantrel
