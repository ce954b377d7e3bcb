// The folder context-menu entry of the desktop file managers.
#pragma once

#include <string>

namespace zantrel {

// The default options of a bare -install.
inline constexpr const char* DefaultMenuOptions = "--images *.jpg";

// Install writes the entries and lists what it stored; uninstall removes
// them. A test run only says on standard error which files it would write
// or remove and changes nothing.
void installContextMenu(const std::string& options, bool testRun);
void uninstallContextMenu(bool testRun);
void showContextMenu();

}  // namespace zantrel
