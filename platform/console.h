// Standard output and standard error. Output is buffered in the process
// and written in large blocks; flushOutput() pushes it out at once.
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

}  // namespace platform
