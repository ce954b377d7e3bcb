// Runs the built zantrel with standard output, standard error or both on
// pseudo-terminals, as a person at a terminal would run it, so that tests
// can see what the terminal receives and can type into it (Ctrl-S stops a
// terminal's output, Ctrl-Q lets it go on).
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/harness.h"

namespace testing_support {

enum class Terminals {
  Output,    // standard output on a terminal, standard error to a file
  Error,     // standard error on a terminal, standard output to a file
  Shared,    // both on one terminal
  Separate,  // each on a terminal of its own
};

class TerminalRun {
 public:
  // Starts zantrel in cwd with the environment of runZantrel. stopped: the
  // output terminal(s) are stopped (Ctrl-S) before the program starts.
  TerminalRun(const std::vector<std::string>& args, const std::filesystem::path& cwd, Terminals terminals,
              bool stopped = false);
  ~TerminalRun();
  TerminalRun(const TerminalRun&) = delete;
  TerminalRun& operator=(const TerminalRun&) = delete;

  // Lets the stopped terminals go on (Ctrl-Q).
  void resume();
  // Reads what has arrived for about ms milliseconds.
  void collect(int ms);
  // True while the program runs.
  bool running();

  // Waits for the end, reading to it. out and err hold what each stream
  // received (the terminal's bytes where it went to one; with Shared both
  // are in out).
  RunResult finish();

 private:
  // True when anything arrived.
  bool readAvailable(int timeoutMs);

  pid_t pid_ = -1;
  int outMaster_ = -1;
  int errMaster_ = -1;
  int outFile_ = -1;
  int errFile_ = -1;
  std::string out_;
  std::string err_;
  int status_ = -1;
  bool done_ = false;
};

// What a terminal shows of the bytes it received, line by line: a carriage
// return goes back to the start of the line, ESC [ K clears to its end, and
// every line end is one "\n" (the terminal's "\r\n" included).
std::string screenText(const std::string& bytes);

}  // namespace testing_support
