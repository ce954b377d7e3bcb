#include "app/timeshift.h"

#include <cmath>
#include <cstdio>

#include "app/banner.h"
#include "lib/datetime.h"
#include "lib/strings.h"

namespace zantrel {

bool parseClockTime(std::string_view text, double& dayFraction) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  size_t pos = 0;
  auto number = [&](size_t minDigits, size_t maxDigits, int& value) {
    size_t count = 0;
    value = 0;
    while (pos < text.size() && count < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
      value = value * 10 + (text[pos] - '0');
      ++pos;
      ++count;
    }
    return count >= minDigits;
  };
  int hour = 0, minute = 0, second = 0, ms = 0;
  if (!number(1, 2, hour) || pos >= text.size() || text[pos] != ':') return false;
  ++pos;
  if (!number(1, 2, minute)) return false;
  if (pos < text.size() && text[pos] == ':') {
    ++pos;
    if (!number(1, 2, second)) return false;
    if (pos < text.size() && text[pos] == '.') {
      ++pos;
      size_t start = pos;
      if (!number(1, 3, ms)) return false;
      for (size_t k = pos - start; k < 3; ++k) ms *= 10;
    }
  }
  if (pos != text.size() || !isValidTime(hour, minute, second, ms)) return false;
  dayFraction = ((hour * 3600.0 + minute * 60.0 + second) * 1000.0 + ms) / (SecondsPerDay * 1000.0);
  return true;
}

double parseTimeShift(std::string_view input) {
  std::string text = trimControls(input);
  if (!text.empty() && text[0] == '+') text.erase(0, 1);
  // "+" alone is as empty as nothing at all.
  if (text.empty()) failAndExit("Error: Empty Time-Shift?", 1);
  double sign = 1.0;
  if (text[0] == '-') {
    sign = -1.0;
    text.erase(0, 1);
  }
  double value = 0.0;
  if (text.find(':') != std::string::npos) {
    if (!parseClockTime(text, value)) failAndExit("Error: " + text + " not valid time", 1);
  } else {
    try {
      value = strToFloatDef(text, 0.0);
    } catch (const FloatOverflow&) {
      failAndExit("Error. " + text + " not valid time", 1);
    }
  }
  return sign * value;
}

std::string formatTimeShift(double days) {
  const double whole = std::trunc(days);
  const double fraction = std::fabs(days - whole);
  std::string clock = formatDateTime("hh:nn:ss", fraction);
  if (whole != 0.0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0fd ", whole);
    return buf + clock;
  }
  return clock;
}

}  // namespace zantrel
