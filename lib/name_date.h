// The date that phones, messengers and desktop photo managers write into
// the names of the files they pass on, after they have stripped the
// metadata: IMG-20230501-WA0001, PXL_20230501_102030123,
// Screenshot_20230501-102030, signal-2023-05-01-102030,
// "2023-05-01 10.20.30" and their relatives.
#pragma once

#include <string_view>

#include "lib/datetime.h"

namespace zantrel {

// The first date in name: a year 1990-2099, month and day, either as eight
// digits or as yyyy?mm?dd with one separator ("-", "_", "." or a blank)
// used twice; optionally followed, after one such separator, by a time
// hhnnss (three digits of milliseconds may follow and are ignored) or
// hh?nn?ss. Fourteen or seventeen digits in one run are the date and time
// without a separator. A digit run of any other length is no date (it is
// a counter or a number), nor are digits that form no real date or time, nor
// a date later than now. A date without a time is that day at 00:00:00.
// The result is wall-clock time as written; 0 when the name holds no date.
DateTime dateInName(std::string_view name, DateTime now);

}  // namespace zantrel
