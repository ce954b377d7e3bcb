#include "app/timeshift.h"

#include <gtest/gtest.h>

#include "app/banner.h"
#include "app/settings.h"
#include "platform/console.h"

namespace zantrel {
namespace {

TEST(ParseTimeShift, AcceptedForms) {
  struct Case {
    const char* text;
    double days;
  } cases[] = {
      {"+01:00", 1.0 / 24}, {"01:00", 1.0 / 24},   {"-0:30", -1.0 / 48},         {"1:30:15", 5415.0 / 86400},
      {"1.5", 1.5},         {"0,25", 0.25},        {"-2", -2.0},                 {"abc", 0.0},
      {"+-1:00", -1.0 / 24}, {" 2:00  ", 2.0 / 24}, {"0:00:01.500", 1.5 / 86400}, {"23:59:59", 86399.0 / 86400},
  };
  for (const auto& c : cases) EXPECT_NEAR(parseTimeShift(c.text), c.days, 1e-12) << c.text;
}

TEST(ParseTimeShift, RejectedFormsEndTheRun) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"24:00", "Error: 24:00 not valid time"},   {"-25:00", "Error: 25:00 not valid time"},
      {"1:60", "Error: 1:60 not valid time"},     {"a:b", "Error: a:b not valid time"},
      {"", "Error: Empty Time-Shift?"},           {"+", "Error: Empty Time-Shift?"},
      {"1e400", "Error. 1e400 not valid time"},   {"12:00 pm", "Error: 12:00 pm not valid time"},
  };
  for (const auto& c : cases) {
    std::string out;
    platform::captureOutput(&out);
    RunSettings.BannerShown = true;
    int code = -1;
    try {
      parseTimeShift(c.text);
    } catch (const ProcessExit& e) {
      code = e.code;
    }
    platform::captureOutput(nullptr);
    RunSettings.BannerShown = false;
    EXPECT_EQ(code, 1) << c.text;
    EXPECT_EQ(out, std::string(c.message) + "\n") << c.text;
  }
}

TEST(FormatTimeShift, DaysAndClock) {
  EXPECT_EQ(formatTimeShift(1.0 / 24), "01:00:00");
  EXPECT_EQ(formatTimeShift(1.25), "1d 06:00:00");
  EXPECT_EQ(formatTimeShift(-1.5), "-1d 12:00:00");
  EXPECT_EQ(formatTimeShift(-1.0 / 24), "01:00:00");
  EXPECT_EQ(formatTimeShift(0), "00:00:00");
}

}  // namespace
}  // namespace zantrel
