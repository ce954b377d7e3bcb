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

void writeLogLine(std::initializer_list<std::string_view> fields) {
  std::string line;
  bool first = true;
  for (std::string_view field : fields) {
    if (!first) line += '\t';
    first = false;
    line += escapeLogField(field);
  }
  line += "\r\n";
  if (!platform::appendToFile(RunSettings.LogFileName, line)) platform::writeLine("Error! " + RunSettings.LogFileName);
}

}  // namespace zantrel
