// The folder context-menu entry of the desktop file managers.
#pragma once

#include <string>

namespace zantrel {

// The default options of a bare -install.
inline constexpr const char* DefaultMenuOptions = "--images *.jpg";

void installContextMenu(const std::string& options);
void uninstallContextMenu();
void showContextMenu();

}  // namespace zantrel
