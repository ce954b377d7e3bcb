// Unicode simple case mapping: each character maps to exactly one
// character, so a name keeps its number of characters under any case step.
#pragma once

#include <string>
#include <string_view>

#include "lib/utf8.h"

namespace zantrel {

char32_t simpleUpper(char32_t code);
char32_t simpleLower(char32_t code);

// Case of every character of text read in the given encoding. In a
// Windows-1252 text a character whose counterpart the code page lacks
// (µ, whose capital is Greek) stays as it is, so the bytes stay
// Windows-1252 and the length stays the same.
std::string upperText(std::string_view text, Encoding encoding);
std::string lowerText(std::string_view text, Encoding encoding);
std::string upperText(std::string_view text);
std::string lowerText(std::string_view text);

// The same characters apart from case, each text read in its own encoding.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// The form in which two characters compare ignoring case.
char32_t foldCase(char32_t c);

}  // namespace zantrel
