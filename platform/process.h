// The running process: its arguments, current directory, clock and exit.
#pragma once

#include <string>
#include <vector>

#include "lib/datetime.h"

namespace platform {

// Arguments after the program name, as the shell delivered them.
std::vector<std::string> processArguments(int argc, char** argv);

std::string currentDirectory();
bool setCurrentDirectory(const std::string& path);

// Current local wall-clock time.
zantrel::DateTime localNow();

// Flushes standard output and ends the process.
[[noreturn]] void exitProcess(int code);

}  // namespace platform

namespace platform {

// The user's home folder: $HOME, or the password database's entry when
// HOME is unset or empty.
std::string homeDirectory();

}  // namespace platform
