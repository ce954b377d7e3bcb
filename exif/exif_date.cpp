#include <optional>

#include "exif/exif_data.h"
#include "exif/image_info.h"

namespace zantrel {

namespace {

// A whole number with optional leading blanks and a sign; nothing else.
std::optional<int> wholeNumber(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  if (i == field.size()) return std::nullopt;
  int value = 0;
  for (; i < field.size(); ++i) {
    if (field[i] < '0' || field[i] > '9') return std::nullopt;
    value = value * 10 + (field[i] - '0');
  }
  return negative ? -value : value;
}

}  // namespace

DateTime parseExifDate(std::string_view text) {
  if (text.size() < 19) return 0;  // a value cut short by the end of the block
  const auto year = wholeNumber(text.substr(0, 4));
  const auto month = wholeNumber(text.substr(5, 2));
  const auto day = wholeNumber(text.substr(8, 2));
  const auto hour = wholeNumber(text.substr(11, 2));
  const auto minute = wholeNumber(text.substr(14, 2));
  const auto second = wholeNumber(text.substr(17, 2));
  if (!year || !month || !day || !hour || !minute || !second) return 0;
  DateTime result = 0;
  if (!tryEncodeDateTime(DateParts{*year, *month, *day, *hour, *minute, *second, 0}, result)) return 0;
  return result;
}

std::string TImageInfo::dateTextAt(int64_t pos) const {
  const std::string& block = blockBytes();
  if (pos < 1 || pos > static_cast<int64_t>(block.size())) return {};
  return block.substr(static_cast<size_t>(pos - 1), 19);
}

DateTime TImageInfo::exifDateTime() const {
  // Only the first date present counts, even when it does not convert.
  for (const int64_t pos : {DateTimeOriginalPos, DateTimeDigitizedPos, DateTimePos}) {
    if (pos > 0) return parseExifDate(dateTextAt(pos));
  }
  return 0;
}

}  // namespace zantrel
