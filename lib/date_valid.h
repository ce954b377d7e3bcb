// Date texts typed by users (EXIF style, ISO style, compact digits,
// American month/day/year) rewritten into the one canonical form
// "yyyy-mm-dd hh:nn:ss" and checked for plausibility.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lib/datetime.h"

namespace zantrel {

// Blanks and control characters trimmed, then every leading and trailing
// character that is not a digit.
std::string trimToDigits(std::string_view text);

// Rewrites text in place into the canonical form and tells whether it is a
// valid date. The text keeps whatever form the rewriting reached, also when
// it is rejected. maxAge 0 switches the age test off; otherwise the date
// must lie between 370*maxAge days before and 37*maxAge days after now.
bool normalizeDateText(std::string& text, uint8_t maxAge);
bool normalizeDateText(std::string& text, uint8_t maxAge, DateTime now);

}  // namespace zantrel
