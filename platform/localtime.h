// Conversions between the system clock (seconds since 1970, UTC) and the
// program's DateTime, which is always local wall-clock time.
#pragma once

#include <cstdint>

#include "lib/datetime.h"

namespace platform {

struct UnixTime {
  int64_t seconds = 0;
  int64_t nanoseconds = 0;  // 0 .. 999999999
};

// Local calendar fields of a system time stamp, to the millisecond; false
// when the C library cannot convert it.
bool localPartsOf(UnixTime when, zantrel::DateParts& parts);

// Local wall-clock time of a system time stamp, to the millisecond.
zantrel::DateTime localDateTimeOf(UnixTime when);

// The system time stamp of a local wall-clock time. A time that does not
// exist or is ambiguous on a daylight-saving change is resolved as mktime
// resolves it. False when the value cannot be represented.
bool unixTimeOf(zantrel::DateTime local, UnixTime& when);

}  // namespace platform
