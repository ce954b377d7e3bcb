// The rename log: one tab-separated record per line, CR LF at the end, in
// the file LogFileName of the current folder. Each line is appended with
// its own open-write-close, so an interrupted run leaves a complete record
// of everything done so far.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace zantrel {

// A field as the log holds it: a backslash becomes "\\", a tab "\t", a
// line feed "\n", a carriage return "\r", any other control character
// "\xHH"; all other bytes stay. So one line is always one record.
std::string escapeLogField(std::string_view field);

// Appends one record built from the fields. Callers call it only when
// WriteLog is set and never in test mode. When the file cannot be written,
// "Error! " + LogFileName goes to standard output and the record is lost.
void writeLogLine(std::initializer_list<std::string_view> fields);

}  // namespace zantrel
