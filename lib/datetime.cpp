#include "lib/datetime.h"

#include <cmath>

namespace zantrel {

namespace {

const char* const MonthShort[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const MonthLong[] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};
const char* const DayShort[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const DayLong[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

constexpr int64_t MsPerDay = 86400000;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's method).
int64_t daysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// As printf's "%0*ld": at least width characters, the sign counted, zeros
// between the sign and the digits. Names get dates by the thousand, so this
// runs often enough for a formatted print to show.
void appendNumber(std::string& out, long value, int width) {
  char digits[24];
  int n = 0;
  unsigned long magnitude = value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) out += '-';
  for (int pad = width - n - (value < 0 ? 1 : 0); pad > 0; --pad) out += '0';
  while (n > 0) out += digits[--n];
}

}  // namespace

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

bool isValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

bool isValidTime(int hour, int minute, int second, int millisecond) {
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 && millisecond >= 0 &&
         millisecond < 1000;
}

int64_t dayNumber(int year, int month, int day) {
  return daysFromCivil(year, month, day) + static_cast<int64_t>(UnixEpochDay);
}

bool tryEncodeDateTime(const DateParts& p, DateTime& out) {
  if (!isValidDate(p.year, p.month, p.day) || !isValidTime(p.hour, p.minute, p.second, p.millisecond)) return false;
  const double dayFraction =
      ((p.hour * 3600.0 + p.minute * 60.0 + p.second) * 1000.0 + p.millisecond) / static_cast<double>(MsPerDay);
  const double days = static_cast<double>(dayNumber(p.year, p.month, p.day));
  // Before 1899-12-30 the fraction counts away from zero, as the day does.
  out = days < 0 ? days - dayFraction : days + dayFraction;
  return true;
}

DateTime encodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  DateTime v = 0;
  tryEncodeDateTime(DateParts{year, month, day, hour, minute, second, millisecond}, v);
  return v;
}

DateParts decodeDateTime(DateTime value) {
  DateParts p;
  if (!std::isfinite(value) || std::fabs(value) > 2958465.0) return p;  // beyond 9999-12-31
  int64_t days = static_cast<int64_t>(std::trunc(value));
  int64_t ms = std::llround(std::fabs(value - static_cast<double>(days)) * static_cast<double>(MsPerDay));
  if (ms >= MsPerDay) {
    ms -= MsPerDay;
    days += value < 0 ? -1 : 1;
  }
  civilFromDays(days - static_cast<int64_t>(UnixEpochDay), p.year, p.month, p.day);
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.millisecond = static_cast<int>(ms % 1000);
  return p;
}

int dayOfWeek(DateTime value) {
  const DateParts p = decodeDateTime(value);
  int64_t z = daysFromCivil(p.year, p.month, p.day);  // 1970-01-01 was a Thursday
  int64_t w = (z % 7 + 7 + 4) % 7;                    // 0 = Sunday
  return static_cast<int>(w) + 1;
}

std::string dateTimeText(DateTime value) {
  const DateParts p = decodeDateTime(value);
  std::string out;
  appendNumber(out, p.year, 4);
  out += '-';
  appendNumber(out, p.month, 2);
  out += '-';
  appendNumber(out, p.day, 2);
  if (p.hour != 0 || p.minute != 0 || p.second != 0 || p.millisecond != 0) {
    out += ' ';
    appendNumber(out, p.hour, 2);
    out += ':';
    appendNumber(out, p.minute, 2);
    out += ':';
    appendNumber(out, p.second, 2);
  }
  return out;
}

std::string formatDateTime(std::string_view format, DateTime value) {
  if (format.empty()) return dateTimeText(value);
  return formatDateParts(format, decodeDateTime(value), value);
}

std::string formatDateParts(std::string_view format, const DateParts& p, DateTime value) {
  if (format.empty()) return dateTimeText(value);
  std::string out;
  size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    const char lc = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    if (lc != 'y' && lc != 'm' && lc != 'd' && lc != 'h' && lc != 'n' && lc != 's') {
      out += c;
      ++i;
      continue;
    }
    size_t run = 1;
    while (i + run < format.size() && (format[i + run] == c || format[i + run] == (c ^ 0x20))) ++run;
    i += run;
    switch (lc) {
      case 'y':
        if (run <= 2) appendNumber(out, p.year % 100, 2);
        else appendNumber(out, p.year, 4);
        break;
      case 'm':
        if (run == 1) appendNumber(out, p.month, 1);
        else if (run == 2) appendNumber(out, p.month, 2);
        else if (run == 3) out += MonthShort[p.month - 1];
        else out += MonthLong[p.month - 1];
        break;
      case 'd': {
        const int wd = dayOfWeek(value) - 1;
        if (run == 1) appendNumber(out, p.day, 1);
        else if (run == 2) appendNumber(out, p.day, 2);
        else if (run == 3) out += DayShort[wd];
        else if (run == 4) out += DayLong[wd];
        else if (run == 5) out += formatDateTime("yyyy-mm-dd", value);
        else {
          out += DayLong[wd];
          out += ", ";
          appendNumber(out, p.day, 1);
          out += ' ';
          out += MonthLong[p.month - 1];
          out += ' ';
          appendNumber(out, p.year, 4);
        }
        break;
      }
      case 'h':
        appendNumber(out, p.hour, run == 1 ? 1 : 2);
        break;
      case 'n':
        appendNumber(out, p.minute, run == 1 ? 1 : 2);
        break;
      case 's':
        appendNumber(out, p.second, run == 1 ? 1 : 2);
        break;
    }
  }
  return out;
}

bool parseDateTimeText(std::string_view text, DateTime& out) {
  DateParts p;
  p.hour = p.minute = p.second = 0;
  size_t pos = 0;
  // A field of minDigits to maxDigits digits, then the separator (none at the end).
  auto field = [&](size_t minDigits, size_t maxDigits, int& value, char separator) {
    size_t count = 0;
    value = 0;
    while (pos < text.size() && count < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
      value = value * 10 + (text[pos++] - '0');
      ++count;
    }
    if (count < minDigits) return false;
    if (separator == 0) return true;
    if (pos >= text.size() || text[pos] != separator) return false;
    ++pos;
    return true;
  };
  if (!field(4, 4, p.year, '-') || !field(1, 2, p.month, '-') || !field(1, 2, p.day, 0)) return false;
  if (pos < text.size()) {
    if (text[pos++] != ' ' || !field(1, 2, p.hour, ':') || !field(1, 2, p.minute, 0)) return false;
    if (pos < text.size() && (text[pos++] != ':' || !field(1, 2, p.second, 0))) return false;
    if (pos != text.size()) return false;
  }
  return tryEncodeDateTime(p, out);
}

}  // namespace zantrel
