// Date naming: putting a date in front of a name or before its extension,
// after taking out every rendering of that date that the name already
// carries, and the median date that a folder takes from its files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lib/datetime.h"

namespace zantrel {

// True when the whole base name is a date with a time to the second, such
// as 130412-153045 or 2013-04-12_15-30-45.
bool isFullDateTimeName(std::string_view baseName);

// The format the date steps use for one item: a name that is itself a full
// date and time keeps its seconds.
std::string itemDateFormat(std::string_view dateFormat, std::string_view workName);

// The name without any of the common renderings of date (yyyy-mm-dd_hh-nn-ss
// down to the bare year), with doubled separators tidied.
std::string removeDates(std::string name, DateTime date);

struct DatePrefixResult {
  bool added = false;     // false: the name already begins with the date
  std::string name;       // the new name
  std::string remainder;  // the name left after removing old dates (the line to show)
};

// The date written with format in front of name; older renderings of the
// same date anywhere in the name (extension included) are removed first.
DatePrefixResult addDatePrefix(const std::string& name, DateTime date, std::string_view format);

// The date written with format before the extension of name, unless the
// name already contains it; older renderings are removed from the base name.
std::string addDateSuffix(const std::string& name, DateTime date, std::string_view format);

// The median of the last-write times of a folder's files, taken over their
// date-time texts (which sort in date order); 0 for no files.
DateTime medianDate(const std::vector<DateTime>& writeTimes);

}  // namespace zantrel
