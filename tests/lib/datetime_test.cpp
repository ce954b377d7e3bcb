#include "lib/datetime.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace zantrel;

namespace {

constexpr double OneSecond = 1.0 / 86400.0;

struct FormatCase {
  const char* format;
  const char* expected;
};

TEST(FormatDateTime, EveryTokenOfTheUsageText) {
  const DateTime value = encodeDateTime(2024, 1, 31, 9, 5, 7);
  const FormatCase cases[] = {
      {"yy", "24"},         {"yyyy", "2024"},     {"m", "1"},
      {"mm", "01"},         {"mmm", "Jan"},       {"mmmm", "January"},
      {"d", "31"},          {"dd", "31"},         {"ddd", "Wed"},
      {"dddd", "Wednesday"}, {"ddddd", "2024-01-31"}, {"dddddd", "Wednesday, 31 January 2024"},
      {"h", "9"},           {"hh", "09"},         {"n", "5"},
      {"nn", "05"},         {"s", "7"},           {"ss", "07"},
      {"yymmdd-hhnn", "240131-0905"},             {"yyyy-mm-dd_hh-nn-ss", "2024-01-31_09-05-07"},
      {"YYMMDD-HHNN", "240131-0905"},             {"YyMmDd", "240131"},
      {"[x] _.,", "[x] _.,"},                     {"yyyyy", "2024"},
      {"mmmmm", "January"},                       {"hhh", "09"},
      {"", "2024-01-31 09:05:07"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatDateTime(c.format, value), c.expected) << "format " << c.format;
}

TEST(FormatDateTime, SingleDigitFieldsAndOtherDates) {
  const DateTime value = encodeDateTime(2013, 4, 2, 15, 30, 45);
  EXPECT_EQ(formatDateTime("d.m.yy h:n:s", value), "2.4.13 15:30:45");
  EXPECT_EQ(formatDateTime("dd.mm ddd dddd mmm", value), "02.04 Tue Tuesday Apr");
  EXPECT_EQ(formatDateTime("yymmdd-hhnn", encodeDateTime(1999, 12, 31, 23, 59)), "991231-2359");
  // No date at all is 1899-12-30, a Saturday.
  EXPECT_EQ(formatDateTime("yymmdd-hhnn dddd", 0.0), "991230-0000 Saturday");
  EXPECT_EQ(formatDateTime("", encodeDateTime(2013, 4, 12)), "2013-04-12");
}

TEST(DateTimeText, MidnightLeavesTheTimeOut) {
  EXPECT_EQ(dateTimeText(encodeDateTime(2020, 1, 1, 12)), "2020-01-01 12:00:00");
  EXPECT_EQ(dateTimeText(encodeDateTime(2020, 1, 1)), "2020-01-01");
  EXPECT_EQ(dateTimeText(encodeDateTime(2020, 1, 1, 0, 0, 1)), "2020-01-01 00:00:01");
}

TEST(DateTimeConversion, FixedPoints) {
  EXPECT_EQ(encodeDateTime(1899, 12, 30), 0.0);
  EXPECT_EQ(encodeDateTime(1899, 12, 31), 1.0);
  EXPECT_EQ(encodeDateTime(1900, 1, 1), 2.0);
  EXPECT_EQ(encodeDateTime(1970, 1, 1), UnixEpochDay);
  EXPECT_EQ(encodeDateTime(2024, 1, 31), 45322.0);
  EXPECT_DOUBLE_EQ(encodeDateTime(2024, 1, 31, 18), 45322.75);
}

TEST(DateTimeConversion, LeapYears) {
  EXPECT_TRUE(isValidDate(2024, 2, 29));
  EXPECT_TRUE(isValidDate(2000, 2, 29));
  EXPECT_FALSE(isValidDate(1900, 2, 29));
  EXPECT_FALSE(isValidDate(2100, 2, 29));
  EXPECT_FALSE(isValidDate(2023, 2, 29));
  DateTime out = 7;
  EXPECT_FALSE(tryEncodeDateTime(DateParts{2023, 2, 29, 0, 0, 0, 0}, out));
  EXPECT_EQ(out, 7);
  EXPECT_EQ(encodeDateTime(2024, 3, 1) - encodeDateTime(2024, 2, 28), 2.0);
  EXPECT_EQ(encodeDateTime(2100, 3, 1) - encodeDateTime(2100, 2, 28), 1.0);
  EXPECT_EQ(encodeDateTime(2001, 1, 1) - encodeDateTime(2000, 1, 1), 366.0);
}

TEST(DateTimeConversion, DayBoundaries) {
  struct Case {
    DateParts before;
    DateParts after;
  };
  const Case cases[] = {
      {{2024, 2, 28, 23, 59, 59, 0}, {2024, 2, 29, 0, 0, 0, 0}},
      {{2023, 2, 28, 23, 59, 59, 0}, {2023, 3, 1, 0, 0, 0, 0}},
      {{2023, 12, 31, 23, 59, 59, 0}, {2024, 1, 1, 0, 0, 0, 0}},
      {{1899, 12, 30, 23, 59, 59, 0}, {1899, 12, 31, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    DateTime v = 0;
    ASSERT_TRUE(tryEncodeDateTime(c.before, v));
    const DateParts p = decodeDateTime(v + OneSecond);
    EXPECT_EQ(p.year, c.after.year);
    EXPECT_EQ(p.month, c.after.month);
    EXPECT_EQ(p.day, c.after.day);
    EXPECT_EQ(p.hour, 0);
    EXPECT_EQ(p.minute, 0);
    EXPECT_EQ(p.second, 0);
  }
  // A value a hair below midnight rounds to the next day, not to 24:00.
  const DateParts p = decodeDateTime(encodeDateTime(2024, 3, 1) - 1e-10);
  EXPECT_EQ(p.day, 1);
  EXPECT_EQ(p.month, 3);
  EXPECT_EQ(p.hour, 0);
}

TEST(DateTimeConversion, BeforeTheEpochDayTheFractionCountsBackwards) {
  const DateParts p = decodeDateTime(-1.25);
  EXPECT_EQ(p.year, 1899);
  EXPECT_EQ(p.month, 12);
  EXPECT_EQ(p.day, 29);
  EXPECT_EQ(p.hour, 6);
  EXPECT_EQ(encodeDateTime(1899, 12, 29, 6), -1.25);
}

TEST(DateTimeConversion, EveryDayRoundTrips) {
  for (int year = 1899; year <= 2101; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= daysInMonth(year, month); ++day) {
        const DateTime v = encodeDateTime(year, month, day, 13, 14, 15);
        const DateParts p = decodeDateTime(v);
        ASSERT_EQ(p.year, year);
        ASSERT_EQ(p.month, month);
        ASSERT_EQ(p.day, day);
        ASSERT_EQ(p.hour, 13);
        ASSERT_EQ(p.minute, 14);
        ASSERT_EQ(p.second, 15);
      }
    }
  }
}

TEST(ParseDateTimeText, ReadsTheFixedNotation) {
  struct Case {
    const char* text;
    DateTime expected;
  };
  const Case good[] = {
      {"2024-01-31", encodeDateTime(2024, 1, 31)},
      {"2024-01-31 09:05:07", encodeDateTime(2024, 1, 31, 9, 5, 7)},
      {"2024-01-31 9:05:00", encodeDateTime(2024, 1, 31, 9, 5)},
      {"2024-01-31 09:05", encodeDateTime(2024, 1, 31, 9, 5)},
      {"2024-1-3 9:5:7", encodeDateTime(2024, 1, 3, 9, 5, 7)},
      {"2024-02-29 23:59:59", encodeDateTime(2024, 2, 29, 23, 59, 59)},
  };
  for (const auto& c : good) {
    DateTime v = 0;
    EXPECT_TRUE(parseDateTimeText(c.text, v)) << c.text;
    EXPECT_EQ(v, c.expected) << c.text;
  }
  const char* bad[] = {"",           "2024-01-31 ",         "2024-01-31 10:",      "2024-01-31 ::00",
                       "24-01-31",   "2024-01-31 24:00:00", "2023-02-29",          "2024-01-31 10:20:30x",
                       "2024/01/31", "2024-01-31T10:20:30", "2024-01-311",         "2024-01-31 100:20"};
  for (const char* text : bad) {
    DateTime v = 0;
    EXPECT_FALSE(parseDateTimeText(text, v)) << text;
  }
}

}  // namespace
