// Time shifts: signed offsets in days that the date steps add to the dates
// they use, typed as [-|+]hh:mm[:ss] or [-|+]days.fracday.
#pragma once

#include <string>
#include <string_view>

namespace zantrel {

// Shift in days; ends the run (exit code 1) for a rejected text.
double parseTimeShift(std::string_view text);

// "hh:nn:ss", or "<days>d hh:nn:ss" when the shift is a day or more.
std::string formatTimeShift(double days);

// Reads h:mm[:ss[.zzz]] (24-hour, trailing blanks allowed) as a fraction
// of a day.
bool parseClockTime(std::string_view text, double& dayFraction);

}  // namespace zantrel
