#include "lib/strings.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace zantrel {

namespace {

std::array<unsigned char, 256> buildUpperTable() {
  std::array<unsigned char, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 32);
  // Windows-1252: š œ ž ÿ and the Latin-1 small letters except ß and ÷.
  t[0x9A] = 0x8A;
  t[0x9C] = 0x8C;
  t[0x9E] = 0x8E;
  t[0xFF] = 0x9F;
  for (int c = 0xE0; c <= 0xFE; ++c) {
    if (c != 0xF7) t[c] = static_cast<unsigned char>(c - 0x20);
  }
  return t;
}

}  // namespace

const std::array<unsigned char, 256>& upperTable() {
  static const std::array<unsigned char, 256> table = buildUpperTable();
  return table;
}

std::string_view trimmedView(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
  return text.substr(b, e - b);
}

std::string trimControls(std::string_view text) { return std::string(trimmedView(text)); }

std::string splitField(std::string_view text, int n, char delimiter) {
  if (n == 0 || text.empty()) return {};
  // Field boundaries: count fields from the requested end.
  if (n > 0) {
    size_t start = 0;
    for (int k = 1;; ++k) {
      size_t end = text.find(delimiter, start);
      if (k == n) return std::string(text.substr(start, end == std::string_view::npos ? text.size() - start : end - start));
      if (end == std::string_view::npos) return {};
      start = end + 1;
    }
  }
  size_t end = text.size();
  for (int k = 1;; ++k) {
    size_t cut = end == 0 ? std::string_view::npos : text.rfind(delimiter, end - 1);
    size_t start = cut == std::string_view::npos ? 0 : cut + 1;
    if (k == -n) return std::string(text.substr(start, end - start));
    if (cut == std::string_view::npos) return {};
    end = cut;
  }
}

size_t fastPos(std::string_view pattern, std::string_view text, bool ignoreCase, size_t start) {
  if (start < 1) throw std::logic_error("Assertion failure (fastPos: start below 1)");
  const size_t m = pattern.size();
  const size_t n = text.size();
  if (m == 0 || m > n) return 0;
  if (!ignoreCase) {
    // Names are short: setting up a skip table would cost more than the
    // library's search.
    const size_t at = start - 1 < n ? text.find(pattern, start - 1) : std::string_view::npos;
    return at == std::string_view::npos ? 0 : at + 1;
  }
  const auto& up = upperTable();
  auto fold = [&](char c) -> unsigned char {
    unsigned char b = static_cast<unsigned char>(c);
    return ignoreCase ? up[b] : b;
  };
  std::array<size_t, 256> skip;
  skip.fill(m);
  for (size_t k = 0; k + 1 < m; ++k) skip[fold(pattern[k])] = m - 1 - k;
  size_t last = start - 1 + m - 1;  // 0-based index of the text byte under the pattern's last byte
  while (last < n) {
    size_t i = m;
    size_t t = last + 1;
    while (i > 0 && fold(pattern[i - 1]) == fold(text[t - 1])) {
      --i;
      --t;
    }
    if (i == 0) return t + 1;
    last += skip[fold(text[last])];
  }
  return 0;
}

std::string fastReplace(std::string_view oldText, std::string_view newText, std::string text) {
  if (oldText == newText || oldText.empty()) return text;
  size_t pos = fastPos(oldText, text, false, 1);
  if (pos == 0) return text;
  std::string out;
  out.reserve(text.size());
  size_t copied = 0;  // bytes of text already moved to out
  // Inserted text is never rescanned, so scanning the original text from
  // just after each match is the same as rescanning the growing result.
  while (pos != 0) {
    out.append(text, copied, pos - 1 - copied);
    out.append(newText);
    copied = pos - 1 + oldText.size();
    pos = copied < text.size() ? fastPos(oldText, text, false, copied + 1) : 0;
  }
  out.append(text, copied, std::string::npos);
  return out;
}

bool startsWith(std::string_view prefix, std::string_view text, bool ignoreCase) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char a = prefix[i], b = text[i];
    if (ignoreCase) {
      a = asciiUpper(a);
      b = asciiUpper(b);
    }
    if (a != b) return false;
  }
  return true;
}

// Restarting the search at the beginning after each replacement would find
// old again inside new where new holds it (a quote escaped as '\'' or a
// doubled %), so such a call could never do its work.
std::string replaceAll(std::string_view oldText, std::string_view newText, std::string text) {
  return fastReplace(oldText, newText, std::move(text));
}

std::string collapseRepeats(std::string_view doubled, std::string_view single, std::string text) {
  // A single that holds doubled would bring it back for ever.
  if (single.find(doubled) != std::string_view::npos) return fastReplace(doubled, single, std::move(text));
  while (fastPos(doubled, text, false, 1) > 0) text = fastReplace(doubled, single, std::move(text));
  return text;
}

std::string stripQuotes(std::string_view text) {
  std::string s = trimControls(text);
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
    return s.substr(1, s.size() - 2);
  }
  return s;
}

double strToFloatDef(std::string_view text, double fallback) {
  std::string s(text);
  for (char& c : s) {
    if (c == ',') c = '.';
  }
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  size_t begin = i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return fallback;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) return fallback;
  }
  if (i != s.size()) return fallback;
  errno = 0;
  double v = std::strtod(s.c_str() + begin, nullptr);
  if (errno == ERANGE && std::isinf(v)) throw FloatOverflow();
  return v;
}

std::string fixedText(double value, int decimals, int width) {
  // Room for the digits of the largest double, a sign, a point and 100
  // decimals.
  char buf[420];
  const auto [end, ec] =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, std::clamp(decimals, 0, 100));
  if (ec != std::errc()) return "?";
  std::string text(buf, end);
  if (width > 0 && text.size() < static_cast<size_t>(width)) text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
  return text;
}

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string asciiLowerText(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = asciiLower(c);
  return s;
}

bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

size_t editDistance(std::string_view a, std::string_view b) {
  // Three rows of the distance table are enough: a swap looks two back.
  std::vector<size_t> before(b.size() + 1), previous(b.size() + 1), row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const bool same = asciiLower(a[i - 1]) == asciiLower(b[j - 1]);
      row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (same ? 0 : 1)});
      if (i > 1 && j > 1 && asciiLower(a[i - 1]) == asciiLower(b[j - 2]) &&
          asciiLower(a[i - 2]) == asciiLower(b[j - 1]))
        row[j] = std::min(row[j], before[j - 2] + 1);
    }
    std::swap(before, previous);
    std::swap(previous, row);
  }
  return previous[b.size()];
}

}  // namespace zantrel
