#include "lib/wildcard.h"

#include "lib/case_map.h"
#include "lib/utf8.h"

namespace zantrel {

namespace {

struct Text {
  std::string_view bytes;
  Encoding encoding;
  char32_t at(size_t& pos) const { return nextChar(bytes, pos, encoding); }
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
      if (pc == U'?' || foldCase(pc) == foldCase(nc)) {
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
  // The everyday patterns match every name: no need to walk it.
  if (!pattern.empty() && (pattern == "*.*" || pattern.find_first_not_of('*') == std::string_view::npos)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string_view::npos) {
    pattern.remove_suffix(2);
  }
  return matchText(Text{pattern, textEncoding(pattern)}, Text{name, textEncoding(name)});
}

}  // namespace zantrel
