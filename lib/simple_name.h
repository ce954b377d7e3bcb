// Simple names: only A-Z, a-z, 0-9 and - _ ! ( ), built from camera, phone
// and download names in Windows-1252 or UTF-8; and the cut of a name at a
// word boundary.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lib/utf8.h"

namespace zantrel {

// The length every caller in the program passes to simpleName.
constexpr int32_t SimpleNameLength = 80;

// keepPath keeps "." "/" "\" and a drive colon in second place; every caller
// in the program passes false and SimpleNameLength.
std::string simpleName(std::string_view text, bool keepPath, int32_t maxLength);

// Decided by the first byte of 80 or above within the first 16384 bytes:
// true when it starts a 2-, 3- or 4-byte UTF-8 pattern complete within them.
bool looksLikeUtf8(std::string_view text);

// UTF-8 text (ill-formed sequences read as U+FFFD) in Windows-1252, '?' for
// what the code page lacks, with leading and trailing codes up to 32 removed.
std::string utf8ToAnsi(std::string_view text);

// text cut to maxLength characters; when the last of " _-.:,;\/" in the cut
// text stands at position maxLength - slack or later, cut just before it and
// trimmed. slack 0 means 20 % of maxLength.
std::string shortenAtWord(std::string_view text, int32_t maxLength, int32_t slack);
std::string shortenAtWord(std::string_view text, int32_t maxLength, int32_t slack, Encoding encoding);

}  // namespace zantrel
