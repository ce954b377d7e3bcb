#include "lib/name_date.h"

#include <cstddef>

namespace zantrel {

namespace {

constexpr int FirstYear = 1990;
constexpr int LastYear = 2099;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSeparator(char c) { return c == '-' || c == '_' || c == '.' || c == ' '; }

class NameScanner {
 public:
  explicit NameScanner(std::string_view text) : text_(text) {}

  // The length of the run of digits that starts at pos.
  size_t digitRun(size_t pos) const {
    size_t end = pos;
    while (end < text_.size() && isDigit(text_[end])) ++end;
    return end - pos;
  }

  int number(size_t pos, size_t digits) const {
    int value = 0;
    for (size_t i = pos; i < pos + digits; ++i) value = value * 10 + (text_[i] - '0');
    return value;
  }

  char at(size_t pos) const { return pos < text_.size() ? text_[pos] : '\0'; }

  // Three runs of exactly first, 2 and 2 digits with one separator, the
  // same both times, between them: yyyy-mm-dd, hh.nn.ss. Sets end past the
  // last run.
  bool separatedTriple(size_t pos, size_t first, int (&fields)[3], size_t& end) const {
    if (digitRun(pos) != first) return false;
    const char separator = at(pos + first);
    if (!isSeparator(separator)) return false;
    const size_t second = pos + first + 1;
    if (digitRun(second) != 2 || at(second + 2) != separator || digitRun(second + 3) != 2) return false;
    fields[0] = number(pos, first);
    fields[1] = number(second, 2);
    fields[2] = number(second + 3, 2);
    end = second + 5;
    return true;
  }

  // The date that starts at pos, the first digit of a run; false when
  // there is none.
  bool dateAt(size_t pos, DateParts& parts) const {
    const size_t run = digitRun(pos);
    size_t end = pos + run;
    bool hasTime = false;
    if (run == 8 || run == 14 || run == 17) {
      parts.year = number(pos, 4);
      parts.month = number(pos + 4, 2);
      parts.day = number(pos + 6, 2);
      if (run > 8) {
        setTime(parts, number(pos + 8, 2), number(pos + 10, 2), number(pos + 12, 2));
        hasTime = true;
      }
    } else {
      int fields[3];
      if (!separatedTriple(pos, 4, fields, end)) return false;
      parts.year = fields[0];
      parts.month = fields[1];
      parts.day = fields[2];
    }
    if (parts.year < FirstYear || parts.year > LastYear || !isValidDate(parts.year, parts.month, parts.day)) {
      return false;
    }
    if (!hasTime && isSeparator(at(end)) && isDigit(at(end + 1))) {
      // What has the shape of a time must be one: 20230501_250000 is not a
      // date with a bad clock but no date at all. Other digits (a counter
      // such as _0001) leave the date alone.
      const size_t start = end + 1;
      const size_t timeRun = digitRun(start);
      int fields[3];
      size_t timeEnd = 0;
      if (timeRun == 6 || timeRun == 9) {
        setTime(parts, number(start, 2), number(start + 2, 2), number(start + 4, 2));
      } else if (separatedTriple(start, 2, fields, timeEnd)) {
        setTime(parts, fields[0], fields[1], fields[2]);
      }
    }
    return isValidTime(parts.hour, parts.minute, parts.second);
  }

 private:
  static void setTime(DateParts& parts, int hour, int minute, int second) {
    parts.hour = hour;
    parts.minute = minute;
    parts.second = second;
  }

  std::string_view text_;
};

}  // namespace

DateTime dateInName(std::string_view name, DateTime now) {
  const NameScanner scanner(name);
  size_t pos = 0;
  while (pos < name.size()) {
    if (!isDigit(name[pos])) {
      ++pos;
      continue;
    }
    DateParts parts;
    parts.hour = parts.minute = parts.second = 0;
    DateTime date = 0;
    if (scanner.dateAt(pos, parts) && tryEncodeDateTime(parts, date) && date <= now) return date;
    pos += scanner.digitRun(pos);
  }
  return 0;
}

}  // namespace zantrel
