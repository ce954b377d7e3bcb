// The running process: its arguments, current directory, clock and exit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lib/datetime.h"

namespace platform {

// Arguments after the program name, as the shell delivered them.
std::vector<std::string> processArguments(int argc, char** argv);

// Once at start-up: a reader that goes away (zantrel ... | head) must not
// end the run between a rename and its log line, and the local time zone
// is read once instead of at every time conversion. SIGINT, SIGTERM and
// SIGHUP only take note (see stopSignal), so that the item in hand can be
// finished or taken back before the run ends; a second one of them ends
// the process at once.
void prepareProcess();

// The first of SIGINT, SIGTERM and SIGHUP that arrived, 0 while none did.
// Long work (a pass, a copy) looks at it between steps and stops.
int stopSignal();

// "SIGINT", "SIGTERM", "SIGHUP" for messages; the number otherwise.
std::string signalName(int signal);

std::string currentDirectory();
bool setCurrentDirectory(const std::string& path);

// Current local wall-clock time.
zantrel::DateTime localNow();

// Milliseconds of a clock that only goes forward, to a few milliseconds;
// cheap enough to ask once per item (no system call).
int64_t coarseMillis();

// Flushes standard output and ends the process.
[[noreturn]] void exitProcess(int code);

}  // namespace platform

namespace platform {

// The user's home folder: $HOME, or the password database's entry when
// HOME is unset or empty.
std::string homeDirectory();

// Where per-user data files go: $XDG_DATA_HOME when it is set to an
// absolute path, else .local/share in the home folder. Empty when neither
// is known.
std::string userDataDirectory();

// Full path of the running program file, links resolved; empty when the
// system cannot tell.
std::string programFile();

}  // namespace platform
