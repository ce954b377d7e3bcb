#include "shell/context_menu.h"

#include <algorithm>
#include <optional>
#include <vector>

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

// Scripts of ours under another name than the one just written: under the
// name of an earlier install's options, or under the name that installs
// used to give.
std::vector<std::string> strayScripts(const MenuFiles& files, const std::optional<MenuValues>& previous,
                                      const std::string& menuText, const std::string& keep) {
  std::vector<std::string> names = {formerNautilusScriptName(menuText)};
  if (previous) {
    names.push_back(nautilusScriptName(previous->MenuText));
    names.push_back(formerNautilusScriptName(previous->MenuText));
  }
  std::vector<std::string> paths;
  for (const std::string& name : names) {
    const std::string path = files.ScriptFolder + "/" + name;
    if (path == keep || std::find(paths.begin(), paths.end(), path) != paths.end()) continue;
    std::string content;
    if (platform::readWholeFile(path, content, MaxEntrySize) && isOwnNautilusScript(content)) paths.push_back(path);
  }
  return paths;
}

void reportTestRun(std::string_view what, const std::string& path) {
  platform::writeErrorLine("zantrel: -t: would " + std::string(what) + " " + path);
}

void showListing(const MenuValues& values) {
  const std::string text = "\n\rShell Context Menu Extension:\n\rMUIVerb=" + values.MenuText + "\n\rIcon=" +
                           values.Icon + "\n\rCommand=" + values.Command + "\n\r";
  // After an install the banner is out already; the listing must still show.
  if (RunSettings.BannerShown) platform::writeLine(text);
  else showBanner(text);
}

}  // namespace

void installContextMenu(const std::string& options, bool testRun) {
  const std::optional<MenuFiles> files = menuFiles();
  std::string error;
  if (!files || (!testRun && !platform::createFolders(files->ServiceMenuFolder, error)))
    failAndExit("ERROR: Missing registry rights", 1);
  const std::string program = platform::programFile();
  if (program.empty()) failInstall("the program file of this process cannot be found");

  const std::optional<MenuValues> previous = storedValues(*files);
  const MenuValues values = menuValues(program, options);
  const std::string script = scriptPath(*files, values.MenuText);
  if (isForeignFile(script)) failInstall(script + ": exists and was not written by zantrel");
  const std::vector<std::string> strays = strayScripts(*files, previous, values.MenuText, script);

  if (testRun) {
    for (const std::string* path : {&files->ServiceMenu, &files->NemoAction, &script}) reportTestRun("write", *path);
    for (const std::string& path : strays) reportTestRun("remove", path);
    // Nothing was registered, so there is no confirmation; the listing
    // shows what an install would store.
    showListing(values);
    return;
  }

  // The store first: once it is there, -uninstall finds and removes the rest.
  // Dolphin reads service menus of the user only when they are executable.
  writeEntry(files->ServiceMenuFolder, files->ServiceMenu, serviceMenuText(values, program, options), true);
  writeEntry(files->NemoFolder, files->NemoAction, nemoActionText(values, program, options), false);
  writeEntry(files->ScriptFolder, script, nautilusScriptText(program, options), true);
  for (const std::string& path : strays) {
    if (platform::removeFile(path, error) == platform::Removal::Failed) failInstall(error);
  }
  showBanner("Directory Shell Extension Registered... (right click on directory in explorer)");
  showContextMenu();
}

void uninstallContextMenu(bool testRun) {
  const std::optional<MenuFiles> files = menuFiles();
  bool removed = false;
  if (files) {
    std::string error;
    bool failed = false;
    auto remove = [&](const std::string& path) {
      if (testRun) {
        if (!platform::pathExists(path)) return platform::Removal::Missing;
        reportTestRun("remove", path);
        return platform::Removal::Removed;
      }
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
      for (const std::string& path : strayScripts(*files, std::nullopt, values->MenuText, script)) remove(path);
    }
    remove(files->NemoAction);
    // The store last, so that a failure above leaves it for another try.
    if (!failed) removed = remove(files->ServiceMenu) == platform::Removal::Removed;
  }
  if (!removed) platform::writeLine("ERROR: Missing registry rights");
  else if (testRun) showBanner();
  else showBanner("Directory Shell Extension Deleted from registy");
}

void showContextMenu() {
  const std::optional<MenuFiles> files = menuFiles();
  const std::optional<MenuValues> values = files ? storedValues(*files) : std::nullopt;
  if (!values) failAndExit("ERROR: Registry not found", 1);
  showListing(*values);
}

}  // namespace zantrel
