#include "lib/utf8.h"

namespace zantrel {

namespace {

// Length of the valid UTF-8 sequence at pos, or 0.
size_t sequenceLength(std::string_view text, size_t pos) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[pos + k]); };
  const auto cont = [&](size_t k) { return pos + k < text.size() && (byte(k) & 0xC0) == 0x80; };
  const unsigned char b0 = byte(0);
  if (b0 < 0x80) return 1;
  if (b0 >= 0xC2 && b0 <= 0xDF) return cont(1) ? 2 : 0;
  if (b0 >= 0xE0 && b0 <= 0xEF) {
    if (!cont(1) || !cont(2)) return 0;
    if (b0 == 0xE0 && byte(1) < 0xA0) return 0;   // overlong
    if (b0 == 0xED && byte(1) >= 0xA0) return 0;  // surrogate
    return 3;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4) {
    if (!cont(1) || !cont(2) || !cont(3)) return 0;
    if (b0 == 0xF0 && byte(1) < 0x90) return 0;   // overlong
    if (b0 == 0xF4 && byte(1) >= 0x90) return 0;  // above U+10FFFF
    return 4;
  }
  return 0;
}

const char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

bool isValidUtf8(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
      ++pos;
      continue;
    }
    const size_t n = sequenceLength(text, pos);
    if (n == 0) return false;
    pos += n;
  }
  return true;
}

char32_t windows1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return Windows1252High[byte - 0x80];
  return byte;
}

char32_t nextCharacter(std::string_view text, size_t& pos, bool utf8) {
  const unsigned char b0 = static_cast<unsigned char>(text[pos]);
  if (b0 < 0x80 || !utf8) {
    ++pos;
    return windows1252ToUnicode(b0);
  }
  const size_t n = sequenceLength(text, pos);
  if (n == 0) {  // only when the caller's utf8 flag was wrong
    ++pos;
    return windows1252ToUnicode(b0);
  }
  char32_t c = n == 2 ? (b0 & 0x1F) : n == 3 ? (b0 & 0x0F) : (b0 & 0x07);
  for (size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(text[pos + k]) & 0x3F);
  pos += n;
  return c;
}

size_t characterCount(std::string_view text) {
  if (!isValidUtf8(text)) return text.size();
  size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

}  // namespace zantrel
