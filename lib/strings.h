// Shared text routines: field splitting, fast search and replace, prefix
// tests, quote stripping and lenient number reading. Positions are 1-based
// where a routine returns or takes one.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace zantrel {

// Byte-wise upper-case table of the single-byte code page (Windows-1252):
// A-Z plus the accented letters of the Latin-1 range.
const std::array<unsigned char, 256>& upperTable();

// Leading and trailing characters with codes up to 32 removed.
std::string trimControls(std::string_view text);
// The same part of text, not copied.
std::string_view trimmedView(std::string_view text);

// The n-th field (1 = first, -1 = last) of text cut at delimiter; empty
// when n is 0 or out of range.
std::string splitField(std::string_view text, int n, char delimiter);

// 1-based position of the first occurrence of pattern at or after start,
// 0 if none. start below 1 is a caller error and throws std::logic_error.
size_t fastPos(std::string_view pattern, std::string_view text, bool ignoreCase, size_t start);

// Every occurrence of oldText replaced by newText, left to right; inserted
// text is never searched again.
std::string fastReplace(std::string_view oldText, std::string_view newText, std::string text);

// True when text begins with prefix; ignoring case folds a-z only.
bool startsWith(std::string_view prefix, std::string_view text, bool ignoreCase);

// Every occurrence of oldText replaced by newText in one left-to-right pass,
// as fastReplace does: what was inserted is never searched again, so newText
// may hold oldText.
std::string replaceAll(std::string_view oldText, std::string_view newText, std::string text);

// doubled replaced by single again and again until none is left: with "__"
// and "_" a run of underscores of any length becomes one. Where single
// holds doubled, one pass is all that is done.
std::string collapseRepeats(std::string_view doubled, std::string_view single, std::string text);

// Trimmed text without one pair of matching surrounding quotes.
std::string stripQuotes(std::string_view text);

// Thrown by strToFloatDef for a well-formed number beyond the double range.
struct FloatOverflow : std::exception {
  const char* what() const noexcept override { return "floating point overflow"; }
};

// Decimal number with "." or "," as separator; fallback for anything else.
double strToFloatDef(std::string_view text, double fallback);

// value in fixed-point notation with the given number of decimals (0 to
// 100), padded with blanks on the left to width; a point is the decimal
// separator, whatever the locale.
std::string fixedText(double value, int decimals, int width = 0);

// ASCII-only case helpers.
char asciiUpper(char c);
char asciiLower(char c);
std::string asciiLowerText(std::string_view text);
bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b);

// How many single-byte edits (insert, delete, replace, swap of neighbours)
// turn a into b, ASCII case ignored.
size_t editDistance(std::string_view a, std::string_view b);

}  // namespace zantrel
