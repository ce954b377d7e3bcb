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

bool unescapeLogField(std::string_view field, std::string& out) {
  out.clear();
  out.reserve(field.size());
  auto hexValue = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  for (size_t i = 0; i < field.size(); ++i) {
    const char c = field[i];
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == field.size()) return false;
    switch (field[i]) {
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 'x': {
        if (i + 2 >= field.size()) return false;
        const int high = hexValue(field[i + 1]);
        const int low = hexValue(field[i + 2]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

namespace {

struct TRecordShape {
  std::string_view kind;
  size_t fields;
  // The fixed texts the last field may hold; empty: any name.
  std::initializer_list<std::string_view> lastField;
};

// Every record the engine writes, with its fixed last field.
const TRecordShape RecordShapes[] = {
    {"rename", 4, {"file", "directory"}},
    {"ERROR", 4, {"can not rename file", "can not rename directory"}},
    {"WARNING", 4, {"overwrite destination file", "destination exists - delete source"}},
    {"copy", 4, {}},
    {"time", 3, {"Create+Write adjusted"}},
    {"time", 4, {"Folder Date adjusted"}},
};

// Why one line is no record, or empty when it is one.
std::string parseRecord(std::string_view line, TLogRecord& record) {
  record.Fields.clear();
  if (line.find('\r') != std::string_view::npos) return "a carriage return inside the line";
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    const std::string_view raw = line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
    std::string field;
    if (!unescapeLogField(raw, field)) return "an escape that zantrel does not write";
    record.Fields.push_back(std::move(field));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  const std::string& kind = record.Fields[0];
  bool kindKnown = false;
  for (const TRecordShape& shape : RecordShapes) {
    if (shape.kind != kind) continue;
    kindKnown = true;
    if (shape.fields != record.Fields.size()) continue;
    const std::string& last = record.Fields.back();
    bool lastFits = shape.lastField.size() == 0;
    for (std::string_view text : shape.lastField) lastFits = lastFits || text == last;
    if (!lastFits) continue;
    for (size_t k = 1; k < record.Fields.size(); ++k) {
      const std::string& name = record.Fields[k];
      if (name.empty() || name.find('\0') != std::string::npos) return "a field that names no file";
    }
    return {};
  }
  if (!kindKnown) return "no record kind of zantrel";
  return "not the fields of a \"" + kind + "\" record";
}

}  // namespace

TLogReading readLogRecords(std::string_view text) {
  TLogReading reading;
  size_t start = 0;
  size_t lineNumber = 0;
  while (start < text.size()) {
    ++lineNumber;
    const size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    const bool ended = end != std::string_view::npos;
    if (ended && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    TLogRecord record;
    record.Line = lineNumber;
    const std::string problem = parseRecord(line, record);
    if (problem.empty()) {
      reading.Records.push_back(std::move(record));
    } else if (!ended) {
      reading.CutShort = true;
      reading.CutText = std::string(line);
    } else {
      reading.BadLine = lineNumber;
      reading.Problem = problem;
      reading.Records.clear();
      return reading;
    }
    if (!ended) break;
    start = end + 1;
  }
  return reading;
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
