#include "lib/utf8.h"

#include <array>

namespace zantrel {

namespace {

// Windows-1252 bytes 80-9F; 0 marks the five the code page leaves undefined.
constexpr std::array<char16_t, 32> Win1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

Utf8Char decodeUtf8At(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return {lead, 1, true};
  size_t trail;
  char32_t code;
  // The bounds of the first continuation byte rule out overlong forms,
  // surrogates and code points above U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    trail = 1;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail = 2;
    code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail = 3;
    code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {ReplacementChar, 1, false};
  }
  size_t length = 1;
  for (size_t k = 0; k < trail; ++k) {
    if (at + length >= text.size()) return {ReplacementChar, length, false};
    const unsigned char b = byte(at + length);
    if (b < low || b > high) return {ReplacementChar, length, false};
    code = (code << 6) | (b & 0x3F);
    ++length;
    low = 0x80;
    high = 0xBF;
  }
  return {code, length, true};
}

bool isValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const Utf8Char c = decodeUtf8At(text, i);
    if (!c.valid) return false;
    i += c.length;
  }
  return true;
}

void appendUtf8(std::string& out, char32_t code) {
  if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = ReplacementChar;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

char32_t win1252ToUnicode(unsigned char byte) {
  if (byte < 0x80 || byte >= 0xA0) return byte;
  const char16_t mapped = Win1252High[byte - 0x80];
  return mapped != 0 ? mapped : byte;
}

int unicodeToWin1252(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<int>(code);
  for (size_t i = 0; i < Win1252High.size(); ++i) {
    const char32_t own = Win1252High[i] != 0 ? Win1252High[i] : static_cast<char32_t>(0x80 + i);
    if (own == code) return static_cast<int>(0x80 + i);
  }
  return -1;
}

std::string win1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (char c : text) appendUtf8(out, win1252ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

Encoding textEncoding(std::string_view text) { return isValidUtf8(text) ? Encoding::Utf8 : Encoding::Win1252; }

std::u32string decodeText(std::string_view text, Encoding encoding) {
  std::u32string codes;
  codes.reserve(text.size());
  if (encoding == Encoding::Win1252) {
    for (char c : text) codes += win1252ToUnicode(static_cast<unsigned char>(c));
    return codes;
  }
  for (size_t i = 0; i < text.size();) {
    const Utf8Char c = decodeUtf8At(text, i);
    codes += c.code;
    i += c.length;
  }
  return codes;
}

std::string encodeText(std::u32string_view codes, Encoding encoding) {
  std::string out;
  out.reserve(codes.size());
  for (char32_t c : codes) {
    if (encoding == Encoding::Utf8) {
      appendUtf8(out, c);
    } else {
      const int b = unicodeToWin1252(c);
      out += b < 0 ? '?' : static_cast<char>(b);
    }
  }
  return out;
}

char32_t nextChar(std::string_view text, size_t& pos, Encoding encoding) {
  if (encoding == Encoding::Win1252) return win1252ToUnicode(static_cast<unsigned char>(text[pos++]));
  const Utf8Char c = decodeUtf8At(text, pos);
  pos += c.length;
  return c.code;
}

size_t charOffset(std::string_view text, Encoding encoding, size_t chars) {
  if (encoding == Encoding::Win1252) return chars < text.size() ? chars : text.size();
  size_t i = 0;
  for (; i < text.size() && chars > 0; --chars) i += decodeUtf8At(text, i).length;
  return i;
}

size_t charCount(std::string_view text, Encoding encoding) {
  if (encoding == Encoding::Win1252) return text.size();
  size_t n = 0;
  for (size_t i = 0; i < text.size(); ++n) i += decodeUtf8At(text, i).length;
  return n;
}

size_t charCount(std::string_view text) { return charCount(text, textEncoding(text)); }

std::string charSlice(std::string_view text, Encoding encoding, size_t first, size_t count) {
  const size_t begin = charOffset(text, encoding, first);
  const size_t end = begin + charOffset(text.substr(begin), encoding, count);
  return std::string(text.substr(begin, end - begin));
}

}  // namespace zantrel
