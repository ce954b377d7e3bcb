#include "lib/case_map.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace zantrel {

namespace {

struct CaseRun {
  char32_t first;
  char32_t last;
  uint8_t stride;
  int32_t delta;
};

#include "lib/case_table.inc"

template <size_t N>
char32_t mapCase(const CaseRun (&runs)[N], char32_t code) {
  // The last run starting at or before code is the only one that can hold it.
  const CaseRun* run = std::upper_bound(std::begin(runs), std::end(runs), code,
                                        [](char32_t c, const CaseRun& r) { return c < r.first; });
  if (run == std::begin(runs)) return code;
  --run;
  if (code > run->last || (code - run->first) % run->stride != 0) return code;
  return static_cast<char32_t>(static_cast<int32_t>(code) + run->delta);
}

using CodeMap = char32_t (*)(char32_t);

std::string mapText(std::string_view text, Encoding encoding, CodeMap map) {
  std::u32string codes = decodeText(text, encoding);
  for (char32_t& c : codes) {
    const char32_t mapped = map(c);
    if (encoding == Encoding::Utf8 || unicodeToWin1252(mapped) >= 0) c = mapped;
  }
  return encodeText(codes, encoding);
}

}  // namespace

char32_t simpleUpper(char32_t code) {
  if (code < 0x80) return (code >= 'a' && code <= 'z') ? code - 32 : code;
  return mapCase(UpperRuns, code);
}

char32_t simpleLower(char32_t code) {
  if (code < 0x80) return (code >= 'A' && code <= 'Z') ? code + 32 : code;
  return mapCase(LowerRuns, code);
}

std::string upperText(std::string_view text, Encoding encoding) { return mapText(text, encoding, simpleUpper); }
std::string lowerText(std::string_view text, Encoding encoding) { return mapText(text, encoding, simpleLower); }
std::string upperText(std::string_view text) { return upperText(text, textEncoding(text)); }
std::string lowerText(std::string_view text) { return lowerText(text, textEncoding(text)); }

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  const std::u32string x = decodeText(a, textEncoding(a));
  const std::u32string y = decodeText(b, textEncoding(b));
  return std::equal(x.begin(), x.end(), y.begin(), y.end(),
                    [](char32_t p, char32_t q) { return foldCase(p) == foldCase(q); });
}

// Through the capital and back, so that the Greek final sigma and the long s
// meet their ordinary small letters.
char32_t foldCase(char32_t c) { return simpleLower(simpleUpper(c)); }

}  // namespace zantrel
