// Random file names for property tests: valid UTF-8 drawn from the
// characters that real names carry (ASCII words and separators, accented
// Latin, Greek, Cyrillic, CJK, emoji, combining marks), and raw bytes.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "lib/utf8.h"

namespace testing_support {

inline char32_t randomNameChar(std::mt19937& rng) {
  static const char32_t ranges[][2] = {
      {U'a', U'z'},           {U'A', U'Z'},           {U'0', U'9'},           {U' ', U'/'},
      {U':', U'@'},           {U'[', U'`'},           {U'{', U'~'},           {0x00A0, 0x00FF},
      {0x0100, 0x017F},       {0x0180, 0x024F},       {0x0370, 0x03FF},       {0x0400, 0x04FF},
      {0x0300, 0x036F},       {0x1E00, 0x1FFF},       {0x2000, 0x206F},       {0x20A0, 0x20BF},
      {0x4E00, 0x4FFF},       {0xFF00, 0xFFEF},       {0x1F300, 0x1F6FF},     {U'e', U'e'},
      {U'.', U'.'},           {U'-', U'-'},           {U'_', U'_'},
  };
  std::uniform_int_distribution<size_t> pick(0, std::size(ranges) - 1);
  const auto& r = ranges[pick(rng)];
  std::uniform_int_distribution<uint32_t> in(r[0], r[1]);
  return static_cast<char32_t>(in(rng));
}

// Valid UTF-8, 0 to maxChars characters.
inline std::string randomUtf8Name(std::mt19937& rng, size_t maxChars = 40) {
  std::uniform_int_distribution<size_t> len(0, maxChars);
  const size_t n = len(rng);
  std::string out;
  for (size_t i = 0; i < n; ++i) zantrel::appendUtf8(out, randomNameChar(rng));
  return out;
}

// Any bytes but NUL, 0 to maxBytes of them.
inline std::string randomBytes(std::mt19937& rng, size_t maxBytes = 40) {
  std::uniform_int_distribution<size_t> len(0, maxBytes);
  std::uniform_int_distribution<int> byte(1, 255);
  const size_t n = len(rng);
  std::string out;
  for (size_t i = 0; i < n; ++i) out += static_cast<char>(byte(rng));
  return out;
}

}  // namespace testing_support
