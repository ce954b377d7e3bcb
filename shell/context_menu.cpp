#include "shell/context_menu.h"

#include "app/banner.h"

namespace zantrel {

// Not yet backed by a store: every operation reports the store as missing.
void installContextMenu(const std::string&) { failAndExit("ERROR: Missing registry rights", 1); }

void uninstallContextMenu() { failAndExit("ERROR: Missing registry rights", 1); }

void showContextMenu() { failAndExit("ERROR: Registry not found", 1); }

}  // namespace zantrel
