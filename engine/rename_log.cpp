#include "engine/rename_log.h"

#include "app/settings.h"
#include "platform/console.h"
#include "platform/filesystem.h"

namespace zantrel {

std::string escapeLogField(std::string_view field) {
  static const char Hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(field.size());
  for (const char c : field) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (b < 0x20 || b == 0x7F) {
      out += "\\x";
      out += Hex[b >> 4];
      out += Hex[b & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

namespace {

platform::RecordFile& runLog() {
  static platform::RecordFile log;
  return log;
}

void reportLogError() { platform::writeLine("Error! " + RunSettings.LogFileName); }

// The log of this run, looked at on first use where the run did not open
// it (a pass on its own, as tests run it).
platform::RecordFile& currentLog() {
  platform::RecordFile& log = runLog();
  if (log.state() == platform::RecordFile::State::Closed || log.path() != RunSettings.LogFileName) {
    log.open(RunSettings.LogFileName);
  }
  return log;
}

}  // namespace

bool openRunLog() {
  if (runLog().open(RunSettings.LogFileName) != platform::RecordFile::State::Refused) return true;
  reportLogError();
  return false;
}

void closeRunLog() { runLog().close(); }

void writeLogLine(std::initializer_list<std::string_view> fields) {
  std::string line;
  bool first = true;
  for (std::string_view field : fields) {
    if (!first) line += '\t';
    first = false;
    line += escapeLogField(field);
  }
  line += "\r\n";
  if (!currentLog().append(line)) reportLogError();
}

}  // namespace zantrel
