#include "engine/date_naming.h"

#include <gtest/gtest.h>

using namespace zantrel;

namespace {

const DateTime April12 = encodeDateTime(2013, 4, 12, 15, 30, 45);
const char* const DefaultFormat = "yymmdd-hhnn";

TEST(IsFullDateTimeName, MatchesTheWholeNameOnly) {
  const char* yes[] = {"130412-153045",       "130412153045",  "20130412_153045", "20130412-153045",
                       "2013-04-12_15-30-45", "130412 153045", "19991231235959",  "13-04-12 15_30_45"};
  for (const char* name : yes) EXPECT_TRUE(isFullDateTimeName(name)) << name;
  const char* no[] = {"130412-1530",     "IMG_130412-153045", "130412-153045x",      "130412-153045.jpg",
                      "2113-04-12 15:30:45", "130412--153045", "130412-15304",     "130442-153045",
                      "21130412153045",  "",                  "130412-153045 "};
  for (const char* name : no) EXPECT_FALSE(isFullDateTimeName(name)) << name;
}

TEST(IsFullDateTimeName, ShortestAndLongestForms) {
  EXPECT_TRUE(isFullDateTimeName("130412153045"));         // 12 characters
  EXPECT_TRUE(isFullDateTimeName("2013-04-12_15-30-45"));  // 19
  EXPECT_FALSE(isFullDateTimeName("30412153045"));
  EXPECT_FALSE(isFullDateTimeName("2013-04-12_15-30-45-"));
  EXPECT_FALSE(isFullDateTimeName("x130412153045"));
}

// A name is searched for a date's renderings only when it holds the year
// in four digits or in two; either alone must be enough.
TEST(RemoveDates, FindsTheDateByEitherFormOfTheYear) {
  struct Case {
    DateTime date;
    const char* name;
    const char* expected;
  };
  const DateTime year5 = encodeDateTime(5, 6, 7, 8, 9, 10);
  const DateTime year2000 = encodeDateTime(2000, 1, 2, 3, 4, 5);
  const Case cases[] = {
      {April12, "IMG_0001.jpg", "IMG_0001.jpg"},         // neither "13" nor "2013"
      {April12, "IMG_0013.jpg", "IMG_0013.jpg"},         // the digits, but no rendering
      {April12, "a_130412_b.jpg", "a_b.jpg"},            // two-digit year only
      {April12, "2013_a.jpg", "_a.jpg"},                 // four-digit year only
      {April12, "a__b--c_-_d.jpg", "a_b-c-d.jpg"},       // no year: still tidied
      {year5, "0005-06-07 x.jpg", " x.jpg"},             // a year below 100 in four digits
      {year5, "050607 y.jpg", " y.jpg"},
      {year2000, "000102-0304 z.jpg", " z.jpg"},
      {year2000, "shot 2000_01.jpg", "shot .jpg"},
  };
  for (const auto& c : cases) EXPECT_EQ(removeDates(c.name, c.date), c.expected) << c.name;
}

TEST(ItemDateFormat, AddsSecondsForFullDateNames) {
  EXPECT_EQ(itemDateFormat(DefaultFormat, "130412-153045.jpg"), "yymmdd-hhnnss");
  EXPECT_EQ(itemDateFormat("yyyy", "20130412_153045.JPG"), "yyyyss");
  EXPECT_EQ(itemDateFormat(DefaultFormat, "130412-1530.jpg"), DefaultFormat);
  EXPECT_EQ(itemDateFormat(DefaultFormat, "IMG_1234.jpg"), DefaultFormat);
  EXPECT_EQ(itemDateFormat(DefaultFormat, "130412-153045"), "yymmdd-hhnnss");
}

TEST(RemoveDates, EveryLayoutAndTheTidying) {
  struct Case {
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {"2013-04-12_15-30-45.jpg", ".jpg"},
      {"2013-04-12-15-30-45.jpg", ".jpg"},
      {"x 2013-04-12_15-30.jpg", "x .jpg"},
      {"x 2013-04-12-15-30.jpg", "x .jpg"},
      {"x 2013-04-12_15.jpg", "x .jpg"},
      {"x 2013-04-12-15.jpg", "x .jpg"},
      {"2013-04-12 party.jpg", " party.jpg"},
      {"13-04-12 party.jpg", " party.jpg"},
      {"IMG_20130412_153045.jpg", "IMG_.jpg"},
      {"VID-20130412-153045.mp4", "VID-.mp4"},
      {"a 20130412_1530 b", "a  b"},
      {"a 20130412-1530 b", "a  b"},
      {"a 20130412_15 b", "a  b"},
      {"a 20130412-15 b", "a  b"},
      {"a 20130412 b", "a  b"},
      {"a 130412_153045 b", "a  b"},
      {"a 130412-153045 b", "a  b"},
      {"a 130412_1530 b", "a  b"},
      {"130412-1530_IMG_1234.jpg", "_IMG_1234.jpg"},
      {"a 130412_15 b", "a  b"},
      {"a 130412-15 b", "a  b"},
      {"a 130412 b", "a  b"},
      {"album 2013-04", "album "},
      {"album 2013_04", "album "},
      {"trip_2013_IMG_1", "trip_IMG_1"},
      {"2013 in 2013", " in "},
      // longest first: the layout with seconds wins over its shorter parts
      {"IMG_20130412_153045_2013-04-12.jpg", "IMG_.jpg"},
      // other dates stay
      {"2012-01-01 new year.jpg", "2012-01-01 new year.jpg"},
      {"130413-1530_x.jpg", "130413-1530_x.jpg"},
      // tidying
      {"a____b", "a_b"},
      {"a---b", "a-b"},
      {"a_-_b", "a-b"},
      {"a_2013-04-12_b", "a_b"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(removeDates(c.name, April12), c.expected) << c.name;
}

TEST(AddDatePrefix, Examples) {
  auto r = addDatePrefix("IMG_1234.jpg", April12, DefaultFormat);
  EXPECT_TRUE(r.added);
  EXPECT_EQ(r.remainder, "IMG_1234.jpg");
  EXPECT_EQ(r.name, "130412-1530_IMG_1234.jpg");

  r = addDatePrefix("130412-1530_IMG_1234.jpg", April12, DefaultFormat);
  EXPECT_FALSE(r.added);
  EXPECT_EQ(r.name, "130412-1530_IMG_1234.jpg");

  r = addDatePrefix("130412-153045.jpg", April12, "yymmdd-hhnnss");
  EXPECT_FALSE(r.added);
  EXPECT_EQ(r.name, "130412-153045.jpg");

  r = addDatePrefix("2013-04-12 party.jpg", April12, DefaultFormat);
  EXPECT_EQ(r.remainder, " party.jpg");
  EXPECT_EQ(r.name, "130412-1530_ party.jpg");

  r = addDatePrefix("2013-04-12.jpg", April12, DefaultFormat);
  EXPECT_EQ(r.remainder, ".jpg");
  EXPECT_EQ(r.name, "130412-1530.jpg");

  r = addDatePrefix("_x.jpg", April12, DefaultFormat);
  EXPECT_EQ(r.name, "130412-1530_x.jpg");

  r = addDatePrefix("2013-04-12", April12, DefaultFormat);
  EXPECT_EQ(r.remainder, "");
  EXPECT_EQ(r.name, "130412-1530");

  r = addDatePrefix("IMG_1234.jpg", April12 + 1.0 / 24, DefaultFormat);
  EXPECT_EQ(r.name, "130412-1630_IMG_1234.jpg");
}

TEST(AddDateSuffix, Examples) {
  EXPECT_EQ(addDateSuffix("IMG_1234.jpg", April12, DefaultFormat), "IMG_1234_130412-1530.jpg");
  EXPECT_EQ(addDateSuffix("IMG_1234_130412-1530.jpg", April12, DefaultFormat), "IMG_1234_130412-1530.jpg");
  EXPECT_EQ(addDateSuffix("trip_2013_IMG_1.jpg", April12, DefaultFormat), "trip_IMG_1_130412-1530.jpg");
  EXPECT_EQ(addDateSuffix("2013-04-12.jpg", April12, DefaultFormat), "130412-1530.jpg");
  EXPECT_EQ(addDateSuffix("README", April12, DefaultFormat), "README_130412-1530");
  EXPECT_EQ(addDateSuffix("a.tar.gz", April12, DefaultFormat), "a.tar_130412-1530.gz");
  // The date anywhere in the name, also in the extension, counts as present.
  EXPECT_EQ(addDateSuffix("x.130412-1530", April12, DefaultFormat), "x.130412-1530");
  // After a date prefix the suffix step finds the date and adds nothing.
  const auto prefixed = addDatePrefix("IMG_1234.jpg", April12, DefaultFormat).name;
  EXPECT_EQ(addDateSuffix(prefixed, April12, DefaultFormat), prefixed);
}

// A date taken from the end of a base name takes its separator along, so
// that the simple-name step of a second run finds nothing left to trim.
TEST(DateSteps, TakeTheSeparatorOfARemovedDateAlong) {
  const DateTime shot = encodeDateTime(2013, 4, 12, 15, 30, 45);
  struct Case {
    const char* name;
    const char* prefixed;
    const char* suffixed;
  } cases[] = {
      {"IMG_20130412_153045.jpg", "130412-1530_IMG.jpg", "IMG_130412-1530.jpg"},
      // (the suffix step finds 130412-1530 inside 20130412-153045)
      {"VID-20130412-153045.mp4", "130412-1530_VID.mp4", "VID-20130412-153045.mp4"},
      {"x 2013-04-12_15.jpg", "130412-1530_x.jpg", "x_130412-1530.jpg"},
      {"IMG_2013_.jpg", "130412-1530_IMG.jpg", "IMG_130412-1530.jpg"},
      {"20130412_.jpg", "130412-1530.jpg", "130412-1530.jpg"},
      // without a date in it a name keeps its ends
      {"IMG_.jpg", "130412-1530_IMG_.jpg", "IMG__130412-1530.jpg"},
      {"2013-04-12 party.jpg", "130412-1530_ party.jpg", " party_130412-1530.jpg"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(addDatePrefix(c.name, shot, DefaultFormat).name, c.prefixed) << c.name;
    EXPECT_EQ(addDateSuffix(c.name, shot, DefaultFormat), c.suffixed) << c.name;
  }
  EXPECT_EQ(addDatePrefix("IMG_20130412_153045.jpg", shot, DefaultFormat).remainder, "IMG.jpg");
}

TEST(MedianDate, OverTheDateTexts) {
  const DateTime may1 = encodeDateTime(2024, 5, 1, 10), may2 = encodeDateTime(2024, 5, 2, 11),
                 may3 = encodeDateTime(2024, 5, 3, 12, 0, 2), may4 = encodeDateTime(2024, 5, 4);
  EXPECT_EQ(medianDate({}), 0.0);
  EXPECT_EQ(medianDate({may2}), may2);
  EXPECT_EQ(medianDate({may4, may1, may3, may2}), may3);
  EXPECT_EQ(medianDate({may4, may1, may2}), may2);
  // Midnight renders without a time and still sorts before later times of the day.
  const DateTime may3Midnight = encodeDateTime(2024, 5, 3);
  EXPECT_EQ(medianDate({may3, may3Midnight, encodeDateTime(2024, 5, 3, 0, 0, 2)}),
            encodeDateTime(2024, 5, 3, 0, 0, 2));
  // Fractions of a second drop out.
  EXPECT_EQ(medianDate({may2 + 0.4 / 86400}), may2);
}

}  // namespace
