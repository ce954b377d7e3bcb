// Value texts of tags: value lists, clean-up, rationals in text form, the
// format patterns of the tables and the decoders of single tags. Every
// routine takes any text, also one from a hostile file, and reads only
// inside it.
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "exif/tag_tables.h"
#include "lib/strings.h"
#include "lib/utf8.h"

namespace zantrel {

namespace {

bool isCapital(char c) { return c >= 'A' && c <= 'Z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A whole decimal number, optionally signed, and nothing else.
bool parseWhole(std::string_view text, int64_t& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// The items of a list text such as "1/1, 2/1, 3/1", split at ",".
std::vector<std::string_view> listItems(std::string_view text) {
  std::vector<std::string_view> items;
  size_t from = 0;
  while (true) {
    const size_t comma = text.find(',', from);
    items.push_back(trimmedView(text.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from)));
    if (comma == std::string_view::npos) return items;
    from = comma + 1;
  }
}

double rationalItem(const std::vector<std::string_view>& items, size_t i) {
  return i < items.size() ? parseRationalText(items[i]) : 0.0;
}

}  // namespace

std::string titleFromName(std::string_view name) {
  std::string title;
  title.reserve(name.size() + 8);
  for (size_t i = 0; i < name.size(); ++i) {
    if (i > 0 && isCapital(name[i]) && !isCapital(name[i - 1])) title += ' ';
    title += name[i];
  }
  return title;
}

std::string reportLine(uint16_t tag, std::string_view title, std::string_view text, uint64_t byteCount,
                       int64_t valuePos, int tracing) {
  std::string line = "\r\n";
  if (tracing > 0) {
    static constexpr char hex[] = "0123456789ABCDEF";
    line += "tag[$";
    for (int shift = 12; shift >= 0; shift -= 4) line += hex[(tag >> shift) & 0xF];
    line += "]: ";
  }
  line += title;
  line += '=';
  line += text;
  if (tracing > 0) {
    line += " [size: " + std::to_string(byteCount) + "]";
    line += " [start: " + std::to_string(valuePos) + "]";
  }
  return line;
}

std::string decodeValueList(std::string_view list, std::string_view code) {
  code = trimmedView(code);
  if (code.empty()) return {};
  // Items are compared without the blanks around them: one table writes
  // "1:Monochrome, 2:RGB", and the code after the blank must be found too.
  for (const std::string_view item : listItems(list)) {
    const size_t colon = item.find(':');
    if (colon != std::string_view::npos && trimmedView(item.substr(0, colon)) == code) {
      return std::string(item.substr(colon + 1));
    }
  }
  return {};
}

std::string cleanTagText(std::string_view text) {
  const std::string_view t = trimmedView(text);
  // At most 64 characters; a UTF-8 character is never cut in half.
  const std::string_view head = t.substr(0, charOffset(t, textEncoding(t), 64));
  std::string result;
  result.reserve(head.size());
  for (const char c : head) {
    if (static_cast<unsigned char>(c) >= 32) result += c;
  }
  if (result.size() > 1 && result.front() == '"' && result.back() == '"') return result.substr(1, result.size() - 2);
  return result;
}

double parseRationalText(std::string_view text) {
  std::string_view t = trimmedView(text);
  int64_t whole = 0;
  if (const size_t blank = t.find(' '); blank != std::string_view::npos) {
    if (!parseWhole(t.substr(0, blank), whole)) return 0;
    t = trimmedView(t.substr(blank + 1));
  }
  const size_t slash = t.find('/');
  if (slash == std::string_view::npos) return 0;
  int64_t numerator = 0, denominator = 0;
  if (!parseWhole(t.substr(0, slash), numerator) || !parseWhole(t.substr(slash + 1), denominator)) return 0;
  if (denominator == 0) return 0;
  const auto d = static_cast<double>(denominator);
  const double value = (static_cast<double>(whole) * d + static_cast<double>(numerator)) / d;
  return std::isfinite(value) ? value : 0;
}

std::string applyFormatPattern(std::string_view pattern, std::string_view text, double value) {
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c != '%' || i + 1 == pattern.size()) {
      out += c;
      continue;
    }
    if (pattern[i + 1] == '%' || pattern[i + 1] == 's') {
      if (pattern[i + 1] == '%') {
        out += '%';
      } else {
        out += text;
      }
      ++i;
      continue;
    }
    // "%[width][.precision]f" with at most two digits each.
    size_t k = i + 1;
    int width = 0, precision = 6;
    for (int digits = 0; k < pattern.size() && isDigit(pattern[k]) && digits < 2; ++k, ++digits) {
      width = width * 10 + (pattern[k] - '0');
    }
    if (k < pattern.size() && pattern[k] == '.') {
      ++k;
      precision = 0;
      for (int digits = 0; k < pattern.size() && isDigit(pattern[k]) && digits < 2; ++k, ++digits) {
        precision = precision * 10 + (pattern[k] - '0');
      }
    }
    if (k < pattern.size() && pattern[k] == 'f') {
      out += fixedText(value, precision, width);
      i = k;
    } else {
      out += c;  // no conversion: the percent sign stands for itself
    }
  }
  return out;
}

std::string decodeComponents(const std::string& text) {
  static constexpr const char* names[] = {"", "Y", "Cb", "Cr", "R", "G", "B"};
  std::string out;
  // Characters 2 to 5: the component bytes inside the quotes.
  for (size_t i = 1; i <= 4 && i < text.size(); ++i) {
    const auto code = static_cast<unsigned char>(text[i]);
    if (code >= 1 && code <= 6) out += names[code];
  }
  return out;
}

std::string decodeShutterSpeed(const std::string& text) {
  const double apex = parseRationalText(text);
  const double seconds = 1 / std::exp2(apex);
  if (!std::isfinite(seconds)) return cleanTagText(text);
  std::string out = fixedText(seconds, 4, 4) + " sec";
  if (seconds > 0 && seconds <= 0.5) out += " (1/" + std::to_string(roundToInt(1 / seconds)) + ")";
  return out;
}

std::string decodeFlash(const std::string& text) {
  int64_t flash = 0;
  if (!parseWhole(trimmedView(text), flash)) return cleanTagText(text);
  std::string out = (flash & 1) ? "On" : "Off";
  switch (flash & 6) {
    case 2:
      out += ", UNKNOWN";
      break;
    case 4:
      out += ", no strobe return";
      break;
    case 6:
      out += ", strobe return";
      break;
    default:
      break;
  }
  switch (flash & 24) {
    case 8:
      out += ", forced";
      break;
    case 16:
      out += ", surpressed";
      break;
    case 24:
      out += ", auto mode";
      break;
    default:
      break;
  }
  if (flash & 32) out += ", no flash function";
  if (flash & 64) out += ", red-eye reduction";
  return out;
}

std::string decodeUserComment(const std::string& text) { return text.substr(std::min<size_t>(8, text.size())); }

std::string decodeXpText(const std::string& text) {
  // The bytes of UTF-16 (little-endian) text, listed as numbers; the
  // terminating zero and any zero unit carry no character.
  std::u16string units;
  const std::vector<std::string_view> items = listItems(text);
  for (size_t i = 0; i < items.size(); i += 2) {
    int64_t low = 0, high = 0;
    if (!parseWhole(items[i], low)) low = 0;
    if (i + 1 >= items.size() || !parseWhole(items[i + 1], high)) high = 0;
    const auto unit = static_cast<char16_t>((low & 0xFF) | (high & 0xFF) << 8);
    if (unit != 0) units += unit;
  }
  return utf16ToUtf8(units);
}

std::string gpsCoordinateText(std::string_view text, int format) {
  const std::vector<std::string_view> items = listItems(text);
  const double degrees = rationalItem(items, 0);
  double minutes = rationalItem(items, 1);
  double seconds = rationalItem(items, 2);
  if (seconds == 0) {
    const double whole = std::trunc(minutes);
    seconds = (minutes - whole) * 60;
    minutes = whole;
  }
  const double decimalDegrees = degrees + (minutes + seconds / 60) / 60;
  switch (format) {
    case 1:
      return fixedText(decimalDegrees, 4) + " Decimal Degrees";
    case 2:
      return fixedText(degrees, 0) + " Degrees " + fixedText(minutes + seconds / 60, 2) + " Minutes";
    case 3:
      return fixedText(degrees, 0) + " Degrees " + fixedText(minutes, 0) + " Minutes " + fixedText(seconds, 0) +
             " Seconds";
    default:
      return fixedText(decimalDegrees, 6);
  }
}

std::string decodeGpsCoordinate(const std::string& text) { return gpsCoordinateText(text, GpsFormat); }

std::string decodeGpsTime(const std::string& text) {
  const std::vector<std::string_view> items = listItems(text);
  return fixedText(rationalItem(items, 0), 0) + ":" + fixedText(rationalItem(items, 1), 0) + ":" +
         fixedText(rationalItem(items, 2), 0);
}

std::string userCommentText(std::string_view raw, bool bigEndian) {
  if (raw.size() <= 8) return {};
  const std::string_view code = raw.substr(0, 8);
  std::string_view body = raw.substr(8);
  if (code.substr(0, 7) != "UNICODE") return trimControls(body);
  // A byte-order mark overrides the block's byte order.
  if (body.substr(0, 2) == "\xFE\xFF" || body.substr(0, 2) == "\xFF\xFE") {
    bigEndian = body[0] == '\xFE';
    body.remove_prefix(2);
  }
  std::u16string units;
  units.reserve(body.size() / 2);
  for (size_t i = 0; i + 1 < body.size(); i += 2) {
    const auto first = static_cast<unsigned char>(body[i]), second = static_cast<unsigned char>(body[i + 1]);
    units += static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
  }
  return trimControls(utf16ToUtf8(units));
}

}  // namespace zantrel
