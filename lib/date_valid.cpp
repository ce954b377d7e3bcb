#include "lib/date_valid.h"

#include "lib/strings.h"
#include "platform/process.h"

namespace zantrel {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A whole field as a signed decimal integer; false for anything else.
bool readInt(std::string_view text, int& value) {
  size_t i = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    i = 1;
  }
  if (i == text.size() || text.size() - i > 9) return false;
  int v = 0;
  for (; i < text.size(); ++i) {
    if (!isDigit(text[i])) return false;
    v = v * 10 + (text[i] - '0');
  }
  value = negative ? -v : v;
  return true;
}

int intOrZero(std::string_view text) {
  int v = 0;
  return readInt(text, v) ? v : 0;
}

// Two-digit years from 80 on belong to the 1900s, the rest to the 2000s.
std::string centuryFor(std::string_view shortYear) {
  return (shortYear[0] == '8' || shortYear[0] == '9') ? "19" : "20";
}

void replaceFirstColonAt(std::string& text, size_t position) {
  const size_t colon = text.find(':');
  if (colon == position - 1) text[colon] = '-';
}

// Month/day/year with an optional 12-hour time; the seconds become "00".
bool rewriteAmerican(std::string& text, std::string& y, std::string& m, std::string& d) {
  const std::string datePart = splitField(text, 1, ' ');
  const std::string timePart = splitField(text, 2, ' ');
  std::string hour = splitField(timePart, 1, ':');
  const std::string minute = splitField(timePart, 2, ':');
  if (asciiLowerText(text).find("pm") != std::string::npos) {
    int h = 0;
    if (!readInt(hour, h)) return false;
    hour = std::to_string(h + 12);
  }
  y = splitField(datePart, 3, '/');
  m = splitField(datePart, 1, '/');
  d = splitField(datePart, 2, '/');
  int month = 0;
  if (!readInt(m, month)) return false;
  if (month > 12) std::swap(m, d);
  if (m.size() == 1) m = "0" + m;
  if (d.size() == 1) d = "0" + d;
  if (y.empty()) return false;
  if (y.size() < 4) y = centuryFor(y) + y;
  text = y + "-" + m + "-" + d + " " + hour + ":" + minute + ":00";
  return true;
}

}  // namespace

std::string trimToDigits(std::string_view text) {
  const std::string trimmed = trimControls(text);
  size_t b = 0, e = trimmed.size();
  while (b < e && !isDigit(trimmed[b])) ++b;
  while (e > b && !isDigit(trimmed[e - 1])) --e;
  return trimmed.substr(b, e - b);
}

bool normalizeDateText(std::string& text, uint8_t maxAge) {
  return normalizeDateText(text, maxAge, maxAge > 0 ? platform::localNow() : 0.0);
}

bool normalizeDateText(std::string& text, uint8_t maxAge, DateTime now) {
  text = trimToDigits(text);
  if (text.empty() || text.starts_with("0000") || text.size() < 6) return false;

  // EXIF writes yyyy:mm:dd.
  replaceFirstColonAt(text, 5);
  replaceFirstColonAt(text, 8);
  for (char& c : text) {
    if (c == '.') c = ':';
  }

  std::string y, m, d;
  if (text.find('/') == 2) {
    if (!rewriteAmerican(text, y, m, d)) return false;
  } else if (text.size() == 6) {
    y = centuryFor(text) + text.substr(0, 2);
    m = text.substr(2, 2);
    d = text.substr(4, 2);
    const int month = intOrZero(m), day = intOrZero(d);
    if (month < 1 || month > 12 || day < 1 || day > 31) {
      // Not yymmdd, so yyyymm.
      y = text.substr(0, 4);
      m = text.substr(4, 2);
      d = "01";
    }
    text = y + "-" + m + "-" + d + " 00:00:00";
  } else if (text.size() == 8) {
    y = text.substr(0, 4);
    m = text.substr(4, 2);
    d = text.substr(6, 2);
    text = y + "-" + m + "-" + d + " 00:00:00";
  } else if (text.size() == 19 || text.size() == 16 || text.size() == 10) {
    y = text.substr(0, 4);
    m = text.substr(5, 2);
    d = text.substr(8, 2);
    if (text.size() == 16) text += ":00";
    if (text.size() == 10) text += " 00:00:00";
    if (text.find('-') != 4) return false;
  } else {
    text.clear();
    return false;
  }

  const int year = intOrZero(y), month = intOrZero(m), day = intOrZero(d);
  if (year < 1900 || year > 2100 || month < 1 || month > 12 || day < 1 || day > 31) return false;

  DateTime date = 0;
  if (!parseDateTimeText(text, date)) return false;
  if (maxAge > 0) return now - 370.0 * maxAge < date && date < now + 37.0 * maxAge;
  return true;
}

}  // namespace zantrel
