// Points in time as day counts: whole days since 1899-12-30 plus the time
// of day as a fraction. Every value is local wall-clock time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zantrel {

using DateTime = double;

constexpr double SecondsPerDay = 86400.0;
constexpr DateTime UnixEpochDay = 25569.0;  // 1970-01-01 as a DateTime

struct DateParts {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);
bool isValidDate(int year, int month, int day);
bool isValidTime(int hour, int minute, int second, int millisecond = 0);

// Day number relative to 1899-12-30 of a (proleptic Gregorian) date.
int64_t dayNumber(int year, int month, int day);

// Fails (returns false) for an impossible date or time.
bool tryEncodeDateTime(const DateParts& parts, DateTime& out);
DateTime encodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                        int millisecond = 0);

// Calendar fields, rounded to the millisecond.
DateParts decodeDateTime(DateTime value);

// 1 = Sunday ... 7 = Saturday.
int dayOfWeek(DateTime value);

// Renders value with the date notation of the usage text (yy, yyyy, m, mm,
// mmm, mmmm, d ... dddddd, h, hh, n, nn, s, ss); other characters stand for
// themselves. An empty format gives the standard rendering.
std::string formatDateTime(std::string_view format, DateTime value);
// The same with value's fields already decoded (p = decodeDateTime(value)),
// for callers that render one date in many formats.
std::string formatDateParts(std::string_view format, const DateParts& p, DateTime value);

// "yyyy-mm-dd hh:nn:ss", or "yyyy-mm-dd" alone at exactly midnight.
std::string dateTimeText(DateTime value);

// Reads the fixed date notation "yyyy-mm-dd", optionally followed by a blank
// and "hh:nn[:ss]"; month, day and time fields may have one digit or two.
bool parseDateTimeText(std::string_view text, DateTime& out);

}  // namespace zantrel
