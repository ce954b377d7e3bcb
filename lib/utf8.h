// Names as characters. A name that is valid UTF-8 is read as UTF-8; any
// other name is read byte by byte as Windows-1252. Counting, cutting and
// matching go by characters, so no step cuts a character in half.
#pragma once

#include <cstddef>
#include <string_view>

namespace zantrel {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);

// The Unicode code point of a Windows-1252 byte (the five bytes the code
// page leaves unassigned stand for themselves).
char32_t windows1252ToUnicode(unsigned char byte);

// Reads the character at pos and moves pos past it. utf8 tells how the
// whole text is read (see isValidUtf8). pos must be below text.size().
char32_t nextCharacter(std::string_view text, size_t& pos, bool utf8);

// Number of characters of text.
size_t characterCount(std::string_view text);

}  // namespace zantrel
