// Standard output and standard error. Output to a file or pipe is buffered
// in the process and written in large blocks, byte for byte as given; to a
// terminal every line goes out as it is written. flushOutput() pushes the
// buffer out at once.
#pragma once

#include <string>
#include <string_view>

namespace platform {

void writeLine(std::string_view text);  // text and a line end
void writeText(std::string_view text);  // text, line left open
void flushOutput();
void writeErrorLine(std::string_view text);  // unbuffered, to standard error

// Tests capture output instead of writing it: while a sink is set, every
// write appends to it. Pass nullptr to write to the real stream again.
void captureOutput(std::string* sink);

// Sees every text of standard output before it is written, captured or not.
class OutputObserver {
 public:
  virtual ~OutputObserver() = default;
  // The text of each writeLine, without its line end.
  virtual void onLine(std::string_view text) = 0;
  // How a terminal is to show a text of writeLine or writeText; asked only
  // when standard output is a terminal. shown arrives empty.
  virtual void forTerminal(std::string_view text, std::string& shown) = 0;
};

// At most one observer at a time; nullptr removes it.
void setOutputObserver(OutputObserver* observer);

// Whether standard output (not captured) and standard error are terminals;
// asked of the system once.
bool outputIsTerminal();
bool errorIsTerminal();

// A status line at the foot of the standard-error terminal: each call
// replaces the last, cut to the terminal's width. Standard-output lines to
// the same terminal take it away first; the next call brings it back.
// Nothing happens when standard error is no terminal.
void showStatusLine(std::string_view text);
void clearStatusLine();

}  // namespace platform
