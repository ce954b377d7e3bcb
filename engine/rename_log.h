// The rename log: one tab-separated record per line, CR LF at the end, in
// the file LogFileName of the current folder. The file is looked at once,
// when the run starts, and kept open for every pass of the run; each
// record goes in with one write, so an interrupted run leaves a complete
// record of everything done so far.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

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

// The reverse of escapeLogField; false for an escape that escapeLogField
// never writes ("\\q", a cut "\\x4", a lone "\\" at the end).
bool unescapeLogField(std::string_view field, std::string& out);

// One record of a log as zantrel writes it, its fields unescaped; Fields[0]
// is the kind ("rename", "ERROR", "WARNING", "copy", "time").
struct TLogRecord {
  std::vector<std::string> Fields;
  size_t Line = 0;  // counted from 1
};

struct TLogReading {
  std::vector<TLogRecord> Records;
  // Set when the text is no zantrel log: the first line that shows it, and
  // what is wrong with it.
  size_t BadLine = 0;
  std::string Problem;
  // The text ends in a line without line end that is no whole record (a
  // write cut short): it is left out of Records and kept here as it stands.
  bool CutShort = false;
  std::string CutText;
};

// Reads the text of a log: lines ended by CR LF or LF, each a record of a
// known kind with its fixed number of fields and fixed last field, names
// not empty and free of NUL. Nothing but whole records is taken: one line
// that is none makes the whole text no log, except a last line without
// line end, which a cut write leaves behind.
TLogReading readLogRecords(std::string_view text);

// Appends one record built from the fields. Callers call it only when
// WriteLog is set and never in test mode. When the record cannot be
// written, "Error! " + LogFileName goes to standard output and the record
// is lost.
void writeLogLine(std::initializer_list<std::string_view> fields);

}  // namespace zantrel
