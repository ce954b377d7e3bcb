// Text of file names: a name is UTF-8 when it is valid UTF-8 and otherwise
// Windows-1252, one byte a character. Routines that count, cut or map
// characters take the name's encoding so that they never split a UTF-8
// sequence and never turn a valid name into an invalid one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zantrel {

enum class Encoding { Utf8, Win1252 };

constexpr char32_t ReplacementChar = U'\uFFFD';

// One decoded character: its code point (ReplacementChar for an ill-formed
// sequence), how many bytes it took (at least 1) and whether it was
// well-formed. An ill-formed sequence takes its maximal well-formed prefix,
// so one broken character gives one replacement, not several.
struct Utf8Char {
  char32_t code = 0;
  size_t length = 0;
  bool valid = false;
};

// The character starting at byte `at` (at < text.size()).
Utf8Char decodeUtf8At(std::string_view text, size_t at);

// Well-formed UTF-8 as the Unicode standard defines it: shortest forms only,
// no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);

// Appends the UTF-8 form of a code point (ReplacementChar for anything that
// is not a Unicode scalar value).
void appendUtf8(std::string& out, char32_t code);

// Windows-1252 byte to code point; the five bytes the code page leaves
// undefined (81 8D 8F 90 9D) stand for the C1 controls of the same value,
// so every byte survives a round trip.
char32_t win1252ToUnicode(unsigned char byte);
// Code point to Windows-1252 byte, -1 when the code page lacks it.
int unicodeToWin1252(char32_t code);
std::string win1252ToUtf8(std::string_view text);

// Utf8 when text is valid UTF-8 (plain ASCII included), else Win1252.
Encoding textEncoding(std::string_view text);

// Code points of text read in the given encoding (ill-formed UTF-8 becomes
// ReplacementChar) and back. Encoding to Win1252 writes '?' for what the
// code page lacks.
std::u32string decodeText(std::string_view text, Encoding encoding);
std::string encodeText(std::u32string_view codes, Encoding encoding);

// Reads the character at pos (pos < text.size()) and moves pos past it.
char32_t nextChar(std::string_view text, size_t& pos, Encoding encoding);

// Number of characters.
size_t charCount(std::string_view text, Encoding encoding);
size_t charCount(std::string_view text);
// Byte offset at which character number `chars` (0-based) starts;
// text.size() when the text has no more than `chars` characters.
size_t charOffset(std::string_view text, Encoding encoding, size_t chars);
// Up to `count` characters from character number `first` (0-based).
std::string charSlice(std::string_view text, Encoding encoding, size_t first, size_t count);

}  // namespace zantrel
