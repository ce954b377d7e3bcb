#include "engine/date_naming.h"

#include <algorithm>
#include <array>
#include <regex>

#include "lib/paths.h"
#include "lib/strings.h"

namespace zantrel {

namespace {

// Layouts in which names commonly carry a date; each comes before the
// shorter layouts it contains, so that the longest rendering goes first.
constexpr std::array<const char*, 25> DateLayouts = {
    "yyyy-mm-dd_hh-nn-ss", "yyyy-mm-dd-hh-nn-ss", "yyyy-mm-dd_hh-nn", "yyyy-mm-dd-hh-nn", "yyyy-mm-dd_hh",
    "yyyy-mm-dd-hh",       "yyyy-mm-dd",          "yy-mm-dd",         "yyyymmdd_hhnnss",  "yyyymmdd-hhnnss",
    "yyyymmdd_hhnn",       "yyyymmdd-hhnn",       "yyyymmdd_hh",      "yyyymmdd-hh",      "yyyymmdd",
    "yymmdd_hhnnss",       "yymmdd-hhnnss",       "yymmdd_hhnn",      "yymmdd-hhnn",      "yymmdd_hh",
    "yymmdd-hh",           "yymmdd",              "yyyy-mm",          "yyyy_mm",          "yyyy"};

// The dates taken out of a name, and the separators they leave at the end
// of its base name: IMG_20230501_102030.jpg gives IMG.jpg, not IMG_.jpg,
// whose "_" the simple-name step of the next run would trim, renaming
// every such photo a second time. A name without a date keeps its ends.
std::string removeDatesAndTidyEnd(const std::string& name, DateTime date, bool hasExtension) {
  std::string rest = removeDates(name, date);
  if (rest == name) return rest;
  const std::string ext = hasExtension ? fileExtension(rest) : std::string();
  std::string base = rest.substr(0, rest.size() - ext.size());
  while (!base.empty() && (base.back() == '_' || base.back() == '-' || base.back() == ' ')) base.pop_back();
  return base + ext;
}

}  // namespace

bool isFullDateTimeName(std::string_view name) {
  // The pattern needs 12 to 19 characters and a digit first; most names fail
  // that, and every item of a pass asks.
  if (name.size() < 12 || name.size() > 19 || name[0] < '0' || name[0] > '9') return false;
  static const std::regex fullDateTime(
      "^(19|20)?[0-9][0-9][-]?[01][0-9][-]?[0-3][0-9][-_ ]?[0-2][0-9][-_]?[0-5][0-9][-_]?[0-5][0-9]$");
  return std::regex_match(name.begin(), name.end(), fullDateTime);
}

std::string itemDateFormat(std::string_view dateFormat, std::string_view workName) {
  std::string format(dateFormat);
  if (isFullDateTimeName(baseName(workName))) format += "ss";
  return format;
}

std::string removeDates(std::string name, DateTime date) {
  const DateParts parts = decodeDateTime(date);
  // Every layout begins with the year in four digits or in two, so a name
  // that holds neither holds none of them: most names, such as IMG_1234.jpg.
  const bool mayHoldDate = name.find(formatDateParts("yy", parts, date)) != std::string::npos ||
                           name.find(formatDateParts("yyyy", parts, date)) != std::string::npos;
  for (const char* layout : DateLayouts) {
    if (!mayHoldDate) break;
    name = fastReplace(formatDateParts(layout, parts, date), "", std::move(name));
  }
  name = collapseRepeats("__", "_", std::move(name));
  name = collapseRepeats("--", "-", std::move(name));
  return fastReplace("_-_", "-", std::move(name));
}

DatePrefixResult addDatePrefix(const std::string& name, DateTime date, std::string_view format) {
  DatePrefixResult result;
  const std::string dateText = formatDateTime(format, date);
  if (startsWith(dateText, name, false)) {
    result.name = name;
    return result;
  }
  result.added = true;
  result.remainder = removeDatesAndTidyEnd(name, date, true);
  std::string rest = result.remainder;
  if (!rest.empty() && rest[0] != '.' && rest[0] != '_') rest.insert(0, "_");
  result.name = dateText + rest;
  return result;
}

std::string addDateSuffix(const std::string& name, DateTime date, std::string_view format) {
  const std::string dateText = formatDateTime(format, date);
  if (fastPos(dateText, name, false, 1) > 0) return name;
  std::string rest = removeDatesAndTidyEnd(baseName(name), date, false);
  if (!rest.empty()) rest += "_";
  return rest + dateText + fileExtension(name);
}

DateTime medianDate(const std::vector<DateTime>& writeTimes) {
  if (writeTimes.empty()) return 0;
  std::vector<std::string> texts;
  texts.reserve(writeTimes.size());
  for (DateTime t : writeTimes) texts.push_back(dateTimeText(t));
  std::sort(texts.begin(), texts.end(),
            [](const std::string& a, const std::string& b) { return asciiLowerText(a) < asciiLowerText(b); });
  DateTime median = 0;
  return parseDateTimeText(texts[texts.size() / 2], median) ? median : 0;
}

}  // namespace zantrel
