#include "lib/date_valid.h"

#include <gtest/gtest.h>

using namespace zantrel;

namespace {

TEST(TrimToDigits, CutsNonDigitsAtBothEnds) {
  EXPECT_EQ(trimToDigits("  IMG 20110506 x\t"), "20110506");
  EXPECT_EQ(trimToDigits("2011:05:06 12:34:56"), "2011:05:06 12:34:56");
  EXPECT_EQ(trimToDigits("a1b2c"), "1b2");
  EXPECT_EQ(trimToDigits("no digits"), "");
  EXPECT_EQ(trimToDigits(""), "");
}

struct NormalizeCase {
  const char* input;
  const char* rewritten;
  bool valid;
};

TEST(NormalizeDateText, EveryForm) {
  const NormalizeCase cases[] = {
      // EXIF and ISO forms
      {"2011:05:06 12:34:56", "2011-05-06 12:34:56", true},
      {"2011-05-06 12:34:56", "2011-05-06 12:34:56", true},
      {"2011-05-06 10:20", "2011-05-06 10:20:00", true},
      {"2011-05-06", "2011-05-06 00:00:00", true},
      {" 2011-05-06 ", "2011-05-06 00:00:00", true},
      // compact digits
      {"IMG 20110506 x", "2011-05-06 00:00:00", true},
      {"20110506", "2011-05-06 00:00:00", true},
      {"110506", "2011-05-06 00:00:00", true},
      {"980506", "1998-05-06 00:00:00", true},
      {"200012", "2000-12-01 00:00:00", true},
      {"201199", "2011-99-01 00:00:00", false},
      // American month/day/year
      {"05/06/2011 10:20:30", "2011-05-06 10:20:00", true},
      {"25/12/11 9:05", "2011-12-25 9:05:00", true},
      {"12/25/98 23:59", "1998-12-25 23:59:00", true},
      {"05/06/2011 3:20 pm 5", "2011-05-06 15:20:00", true},
      {"05/06/2011 12:30 pm 5", "2011-05-06 24:30:00", false},
      {"05/06/2011", "2011-05-06 ::00", false},
      {"05/06 10:20", "05/06 10:20", false},
      {"1a/06/2011 10:20", "1a/06/2011 10:20", false},
      {"05/06/11 pm 3:20", "05/06/11 pm 3:20", false},
      // rejected ones
      {"0000:00:00 00:00:00", "0000:00:00 00:00:00", false},
      {"06.05.2011", "06:05:2011 00:00:00", false},
      {"2011-13-01", "2011-13-01 00:00:00", false},
      {"1899-12-31", "1899-12-31 00:00:00", false},
      {"2101-01-01", "2101-01-01 00:00:00", false},
      {"2011-02-30", "2011-02-30 00:00:00", false},
      {"2011-05-06 24:00", "2011-05-06 24:00:00", false},
      {"2011-05-06 1", "", false},
      {"12345", "12345", false},
      {"", "", false},
      {"date?", "", false},
  };
  for (const auto& c : cases) {
    std::string text = c.input;
    EXPECT_EQ(normalizeDateText(text, 0), c.valid) << '"' << c.input << '"';
    EXPECT_EQ(text, c.rewritten) << '"' << c.input << '"';
  }
}

TEST(NormalizeDateText, CanonicalFormStaysAsItIs) {
  std::string text = "2011-05-06 12:34:56";
  ASSERT_TRUE(normalizeDateText(text, 0));
  ASSERT_TRUE(normalizeDateText(text, 0));
  EXPECT_EQ(text, "2011-05-06 12:34:56");
}

TEST(NormalizeDateText, AgeTestKeepsAboutAYearBackAndAMonthAhead) {
  const DateTime now = encodeDateTime(2020, 6, 15, 12);
  struct Case {
    const char* text;
    uint8_t maxAge;
    bool valid;
  };
  const Case cases[] = {
      {"2020-06-15", 1, true},   {"2019-07-01", 1, true},   {"2019-06-01", 1, false},
      {"2020-07-15", 1, true},   {"2020-07-30", 1, false},  {"2018-07-01", 2, true},
      {"2018-06-01", 2, false},  {"2020-08-15", 2, true},   {"1990-01-01", 0, true},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(normalizeDateText(text, c.maxAge, now), c.valid) << c.text << " age " << int(c.maxAge);
  }
}

}  // namespace
