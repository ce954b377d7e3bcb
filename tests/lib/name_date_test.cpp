#include "lib/name_date.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "support/random_names.h"

using namespace zantrel;

namespace {

// A clock well after every date below, except where a case says otherwise.
const DateTime Now = encodeDateTime(2024, 6, 30, 12, 0, 0);

struct NameCase {
  const char* name;
  const char* date;  // as dateTimeText writes it; "" for no date
};

void expectCases(const NameCase* begin, const NameCase* end, DateTime now = Now) {
  for (const NameCase* c = begin; c != end; ++c) {
    const DateTime found = dateInName(c->name, now);
    EXPECT_EQ(found == 0 ? std::string() : dateTimeText(found), c->date) << c->name;
  }
}

TEST(DateInName, LayoutsOfPhonesMessengersAndPhotoManagers) {
  const NameCase cases[] = {
      {"IMG-20230501-WA0001.jpg", "2023-05-01"},
      {"VID-20230501-WA0003.mp4", "2023-05-01"},
      {"PXL_20230501_102030123.jpg", "2023-05-01 10:20:30"},
      {"IMG_20230501_102030.jpg", "2023-05-01 10:20:30"},
      {"VID_20230501_102030.mp4", "2023-05-01 10:20:30"},
      {"Screenshot_20230501-102030.png", "2023-05-01 10:20:30"},
      {"signal-2023-05-01-102030.jpg", "2023-05-01 10:20:30"},
      {"2023-05-01 10.20.30.jpg", "2023-05-01 10:20:30"},
      // relatives: other separators, none at all, milliseconds, bursts
      {"IMG20230501102030.jpg", "2023-05-01 10:20:30"},
      {"20230501102030123.jpg", "2023-05-01 10:20:30"},
      {"PXL_20230501_102030123.NIGHT.jpg", "2023-05-01 10:20:30"},
      {"IMG_20230501_102030_BURST001.jpg", "2023-05-01 10:20:30"},
      {"2023_05_01_10_20_30.jpg", "2023-05-01 10:20:30"},
      {"2023.05.01.10.20.30.jpg", "2023-05-01 10:20:30"},
      {"2023 05 01 10 20 30.jpg", "2023-05-01 10:20:30"},
      {"Photo 2023-05-01 10-20-30.jpg", "2023-05-01 10:20:30"},
      {"20230501 10.20.30.jpg", "2023-05-01 10:20:30"},
      {"2023-05-01 10.20.30.456.jpg", "2023-05-01 10:20:30"},
      {"2023-05-01.jpg", "2023-05-01"},
      {"holiday_20230501.jpg", "2023-05-01"},
      {"20230501", "2023-05-01"},
      // a date, then something that is no time: the day alone
      {"IMG_20230501_0001.jpg", "2023-05-01"},
      {"IMG_20230501_1020301.jpg", "2023-05-01"},
      {"2023-05-01 10.20.jpg", "2023-05-01"},
      {"2023-05-01_10-20_30.jpg", "2023-05-01"},
      {"20230501.3gp", "2023-05-01"},
      // the first date wins
      {"2022-12-24 copy of 20230501.jpg", "2022-12-24"},
      // a date after something that is none
      {"IMG_20231340_20230501.jpg", "2023-05-01"},
      // the edges of the years taken
      {"19900101.jpg", "1990-01-01"},
      {"20991231_235959.jpg", ""},  // later than the clock
  };
  expectCases(std::begin(cases), std::end(cases));
  const NameCase farFuture[] = {{"20991231_235959.jpg", "2099-12-31 23:59:59"}};
  expectCases(std::begin(farFuture), std::end(farFuture), encodeDateTime(2100, 1, 1));
}

TEST(DateInName, NearMissesAreNoDate) {
  const NameCase cases[] = {
      // counters and other digit runs that are no date
      {"IMG_20230.jpg", ""},
      {"IMG_2023050.jpg", ""},
      {"IMG_202305011.jpg", ""},
      {"DSC_1234.jpg", ""},
      {"12023-05-01.jpg", ""},
      {"2023-05-012.jpg", ""},
      {"1682936430000.jpg", ""},  // milliseconds since 1970
      {"230501-1020_img.jpg", ""},
      {"2023-05.jpg", ""},
      {"2023-05_01.jpg", ""},
      {"2023--05-01.jpg", ""},
      // digits that form no real date or time
      {"IMG_20231340.jpg", ""},
      {"IMG_20230229.jpg", ""},
      {"IMG_20230431.jpg", ""},
      {"IMG_20230001.jpg", ""},
      {"IMG_20230500.jpg", ""},
      {"IMG_20230501_250000.jpg", ""},
      {"IMG_20230501_106000.jpg", ""},
      {"IMG_20230501_102060.jpg", ""},
      {"2023-05-01 25.00.00.jpg", ""},
      {"20230501250000.jpg", ""},
      // years outside 1990-2099
      {"19891231.jpg", ""},
      {"21000101.jpg", ""},
      {"1989-12-31 10.20.30.jpg", ""},
      {"", ""},
      {"no digits.jpg", ""},
  };
  expectCases(std::begin(cases), std::end(cases));
}

TEST(DateInName, LeapDayAndTheClockOfTheRun) {
  const NameCase cases[] = {
      {"IMG_20240229.jpg", "2024-02-29"},
      {"IMG_20000229.jpg", "2000-02-29"},
      {"IMG_21000229.jpg", ""},
      {"IMG_20240630_120000.jpg", "2024-06-30 12:00:00"},  // now itself is not future
      {"IMG_20240630_120001.jpg", ""},
      {"IMG_20240630.jpg", "2024-06-30"},
      {"IMG_20240701.jpg", ""},
  };
  expectCases(std::begin(cases), std::end(cases));
}

// Every date from 1990 to now, written in each layout between the texts
// that phones put around it, reads back as itself.
TEST(DateInName, RandomDatesInEveryLayoutReadBack) {
  struct Layout {
    const char* format;
    bool hasTime;
  } layouts[] = {
      {"yyyymmdd_hhnnss", true},     {"yyyymmdd-hhnnss", true},     {"yyyymmddhhnnss", true},
      {"yyyymmdd_hhnnss123", true},  {"yyyy-mm-dd hh.nn.ss", true}, {"yyyy-mm-dd-hhnnss", true},
      {"yyyy_mm_dd_hh_nn_ss", true}, {"yyyymmdd", false},           {"yyyy-mm-dd", false},
      {"yyyy.mm.dd", false},
  };
  const char* const before[] = {"", "IMG_", "VID-", "PXL_", "Screenshot_", "signal-", "Photo "};
  const char* const after[] = {"", ".jpg", "-WA0001.jpg", "_HDR.jpg", " (1).png", "~2.mp4"};
  std::mt19937 rng(20230501);
  const DateTime first = encodeDateTime(1990, 1, 1);
  std::uniform_real_distribution<double> when(first, Now);
  for (int i = 0; i < 2000; ++i) {
    const DateTime moment = std::floor(when(rng) * SecondsPerDay) / SecondsPerDay;
    const Layout& layout = layouts[rng() % std::size(layouts)];
    const std::string name = std::string(before[rng() % std::size(before)]) + formatDateTime(layout.format, moment) +
                             after[rng() % std::size(after)];
    const DateTime expected = layout.hasTime ? moment : std::floor(moment);
    EXPECT_EQ(dateTimeText(dateInName(name, Now)), dateTimeText(expected)) << name;
    // One more digit in front makes the run a number, not a date.
    if (name[0] >= '0' && name[0] <= '9') {
      EXPECT_EQ(dateInName("1" + name, Now), 0) << name;
    }
  }
}

// Whatever the name, the answer is no date or a date from 1990 up to now.
TEST(DateInName, AnyNameGivesNoDateOrAPlausibleOne) {
  std::mt19937 rng(42);
  const DateTime first = encodeDateTime(1990, 1, 1);
  for (int i = 0; i < 20000; ++i) {
    std::string name = i % 2 ? testing_support::randomUtf8Name(rng) : testing_support::randomBytes(rng);
    // Seed some digit runs so that candidates are met.
    if (i % 3 == 0) name.insert(rng() % (name.size() + 1), std::to_string(19900101 + rng() % 1100000));
    const DateTime found = dateInName(name, Now);
    if (found != 0) {
      EXPECT_GE(found, first) << name;
      EXPECT_LE(found, Now) << name;
    }
  }
}

}  // namespace
