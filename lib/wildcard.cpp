#include "lib/wildcard.h"

#include "lib/utf8.h"

namespace zantrel {

namespace {

// Lower case for the letters that file names of the Latin, Greek and
// Cyrillic alphabets commonly hold; other characters stand for themselves.
char32_t foldForMatch(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c == 0x178) return 0xFF;
  if (c >= 0x100 && c <= 0x17F) {
    const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (oddPairs) return (c & 1) ? c + 1 : c;
    return (c & 1) ? c : c + 1;
  }
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

struct Text {
  std::string_view bytes;
  bool utf8;
  char32_t at(size_t& pos) const { return nextCharacter(bytes, pos, utf8); }
};

bool matchText(const Text& pattern, const Text& name) {
  size_t p = 0, n = 0;
  size_t starP = std::string_view::npos;  // pattern position after the last "*"
  size_t starN = 0;                       // name position that "*" swallows up to
  while (n < name.bytes.size()) {
    if (p < pattern.bytes.size()) {
      size_t nextP = p;
      const char32_t pc = pattern.at(nextP);
      if (pc == U'*') {
        starP = nextP;
        starN = n;
        p = nextP;
        continue;
      }
      size_t nextN = n;
      const char32_t nc = name.at(nextN);
      if (pc == U'?' || foldForMatch(pc) == foldForMatch(nc)) {
        p = nextP;
        n = nextN;
        continue;
      }
    }
    if (starP == std::string_view::npos) return false;
    // Let the last "*" swallow one more character and try again from there.
    name.at(starN);
    n = starN;
    p = starP;
  }
  while (p < pattern.bytes.size() && pattern.bytes[p] == '*') ++p;
  return p == pattern.bytes.size();
}

}  // namespace

bool matchesWildcard(std::string_view pattern, std::string_view name) {
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string_view::npos) {
    pattern.remove_suffix(2);
  }
  return matchText(Text{pattern, isValidUtf8(pattern)}, Text{name, isValidUtf8(name)});
}

}  // namespace zantrel
