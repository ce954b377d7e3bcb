// The rename log: one tab-separated record per line, CR LF at the end, in
// the file LogFileName of the current folder. The file is looked at once,
// when the run starts, and kept open for every pass of the run; each
// record goes in with one write, so an interrupted run leaves a complete
// record of everything done so far.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace zantrel {

// A field as the log holds it: a backslash becomes "\\", a tab "\t", a
// line feed "\n", a carriage return "\r", any other control character
// "\xHH"; all other bytes stay. So one line is always one record.
std::string escapeLogField(std::string_view field);

// Before the run changes anything (with -log, not in test mode): takes the
// file at LogFileName for the run's log, or reports "Error! " + LogFileName
// when what is there may not be written to (a link, a FIFO, a device,
// another user's file, a file with a second name). Nothing is created
// until the first record. False when refused.
bool openRunLog();
// At the end of the run.
void closeRunLog();

// Appends one record built from the fields. Callers call it only when
// WriteLog is set and never in test mode. When the record cannot be
// written, "Error! " + LogFileName goes to standard output and the record
// is lost.
void writeLogLine(std::initializer_list<std::string_view> fields);

}  // namespace zantrel
