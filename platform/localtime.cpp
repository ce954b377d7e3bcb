#include "platform/localtime.h"

#include <ctime>

namespace platform {

bool localPartsOf(UnixTime when, zantrel::DateParts& parts) {
  const time_t seconds = static_cast<time_t>(when.seconds);
  struct tm local {};
  if (::localtime_r(&seconds, &local) == nullptr) return false;
  parts = zantrel::DateParts{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                             local.tm_min,         local.tm_sec,       static_cast<int>(when.nanoseconds / 1000000)};
  return true;
}

zantrel::DateTime localDateTimeOf(UnixTime when) {
  zantrel::DateParts p;
  zantrel::DateTime value = 0.0;
  if (localPartsOf(when, p)) zantrel::tryEncodeDateTime(p, value);
  return value;
}

bool unixTimeOf(zantrel::DateTime local, UnixTime& when) {
  const zantrel::DateParts p = zantrel::decodeDateTime(local);
  struct tm t {};
  t.tm_year = p.year - 1900;
  t.tm_mon = p.month - 1;
  t.tm_mday = p.day;
  t.tm_hour = p.hour;
  t.tm_min = p.minute;
  t.tm_sec = p.second;
  t.tm_isdst = -1;
  // mktime returns -1 both on failure and for one valid instant; it fills
  // in tm_wday only on success.
  t.tm_wday = -1;
  const time_t seconds = ::mktime(&t);
  if (t.tm_wday < 0) return false;
  when.seconds = static_cast<int64_t>(seconds);
  when.nanoseconds = static_cast<int64_t>(p.millisecond) * 1000000;
  return true;
}

}  // namespace platform
