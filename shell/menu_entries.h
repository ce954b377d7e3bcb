// The files that put the folder menu entry into the Linux file managers:
// their content, built from the program file and the options of an
// install, and the reading back of the stored values.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zantrel {

// The three values of the entry, kept exactly as they are shown.
struct MenuValues {
  std::string MenuText;  // "Zantrel " + options
  std::string Icon;      // the program path in double quotes
  std::string Command;   // program path, -cd="%1", options
};

// options as typed for the install (single quotes become double quotes).
MenuValues menuValues(const std::string& programFile, const std::string& options);

// What a run from the menu receives after the program file: -cd= with the
// clicked folder, then the options split as the command line of the stored
// command is split (blanks and control characters separate, double quotes
// group and are removed).
std::vector<std::string> menuOptionArguments(const std::string& options);
std::vector<std::string> splitCommandLine(std::string_view text);

// Desktop Entry string escapes (\\ \n \t \r, \s for a blank at either end).
std::string keyFileEscape(std::string_view value);
std::string keyFileUnescape(std::string_view value);

// One argument of a Desktop Entry Exec line: quoted where it holds any
// character beyond a plain set, % doubled.
std::string execArgument(std::string_view argument);

// The Dolphin service menu; it also keeps the three values for -show.
std::string serviceMenuText(const MenuValues& values, const std::string& programFile, const std::string& options);
// The Nemo action.
std::string nemoActionText(const MenuValues& values, const std::string& programFile, const std::string& options);
// The Nautilus script and its file name: "Zantrel (options)", made a valid
// file name (no slash, no control character, at most 255 bytes). Nautilus
// lists only scripts that the desktop takes for programs, and the type of a
// file is told by its name before its content: a name that ends in ".jpg"
// is a photo. No type is known by a name that ends in ")".
std::string nautilusScriptText(const std::string& programFile, const std::string& options);
std::string nautilusScriptName(std::string_view menuText);
// The name that earlier installs gave the script: the menu text itself.
std::string formerNautilusScriptName(std::string_view menuText);
// True for a script that an install wrote.
bool isOwnNautilusScript(std::string_view content);

// The values kept in a service-menu file; nullopt when it holds no
// command. A missing menu text or icon reads as empty.
std::optional<MenuValues> readMenuValues(std::string_view serviceMenu);

}  // namespace zantrel
