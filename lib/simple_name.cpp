#include "lib/simple_name.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "lib/strings.h"

namespace zantrel {

namespace {

constexpr char RemoveMark = '\x01';
constexpr size_t Utf8ProbeBytes = 16384;

// Step 3 of simpleName. The bytes 80-9D are read as the letters of DOS code
// page 850 and C0-FF as those of Windows-1252: camera cards and old
// archives carry both. ':' '.' '/' '\' depend on keepPath and stay here.
std::array<char, 256> buildSimpleTable() {
  std::array<char, 256> t;
  t.fill('_');
  auto set = [&](int first, int last, char value) {
    for (int b = first; b <= last; ++b) t[b] = value;
  };
  auto keep = [&](int first, int last) {
    for (int b = first; b <= last; ++b) t[b] = static_cast<char>(b);
  };
  keep('!', '!');
  keep('(', ')');
  keep('-', '-');
  keep('0', '9');
  keep('A', 'Z');
  keep('_', '_');
  keep('a', 'z');
  keep(':', ':');
  keep('.', '/');
  keep('\\', '\\');
  set(0x00, 0x1F, RemoveMark);
  set(0xA8, 0xA8, RemoveMark);
  for (int b : {0x8E, 0x8F, 0x92}) set(b, b, 'A');
  set(0xC0, 0xC6, 'A');
  for (int b : {0x80, 0xC7}) set(b, b, 'C');
  set(0xD0, 0xD0, 'D');
  set(0x90, 0x90, 'E');
  set(0xC8, 0xCB, 'E');
  set(0xCC, 0xCF, 'I');
  set(0xD1, 0xD1, 'N');
  for (int b : {0x99, 0x9D}) set(b, b, 'O');
  set(0xD2, 0xD8, 'O');
  set(0x9A, 0x9A, 'U');
  set(0xD9, 0xDC, 'U');
  set(0xDD, 0xDD, 'Y');
  set(0x83, 0x86, 'a');
  set(0x91, 0x91, 'a');
  set(0xE0, 0xE6, 'a');
  for (int b : {0x87, 0xE7}) set(b, b, 'c');
  set(0xF0, 0xF0, 'd');
  set(0x82, 0x82, 'e');
  set(0x88, 0x8A, 'e');
  set(0xE8, 0xEB, 'e');
  set(0x8B, 0x8D, 'i');
  set(0xEC, 0xEF, 'i');
  set(0xF1, 0xF1, 'n');
  set(0x93, 0x95, 'o');
  set(0x9B, 0x9B, 'o');
  set(0xF2, 0xF8, 'o');
  set(0x96, 0x97, 'u');
  set(0xF9, 0xFC, 'u');
  for (int b : {0x98, 0xFD, 0xFF}) set(b, b, 'y');
  return t;
}

bool isWordSeparator(char c) {
  return c == ' ' || c == '_' || c == '-' || c == '.' || c == ':' || c == ',' || c == ';' || c == '\\' || c == '/';
}

}  // namespace

std::string simpleName(std::string_view input, bool keepPath, int32_t maxLength) {
  if (input.empty()) return {};
  std::string text = looksLikeUtf8(input) ? utf8ToAnsi(input) : std::string(input);

  static const std::array<char, 256> table = buildSimpleTable();
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ':') {
      text[i] = keepPath && i == 1 ? ':' : '-';
    } else if (c == '.' || c == '/' || c == '\\') {
      text[i] = keepPath ? c : '_';
    } else {
      text[i] = table[static_cast<unsigned char>(c)];
    }
  }
  text = fastReplace(std::string_view(&RemoveMark, 1), "", std::move(text));

  text = fastReplace("_-_", "-", std::move(text));
  text = fastReplace("-_", "-", std::move(text));
  text = fastReplace("_-", "_", std::move(text));
  text = collapseRepeats("--", "-", std::move(text));
  text = collapseRepeats("__", "_", std::move(text));

  while (text.size() >= 2 && text.front() == '_') text.erase(0, 1);
  while (text.size() >= 2 && text.back() == '_') text.pop_back();
  // The text is ASCII by now, so bytes are characters.
  const size_t limit = static_cast<size_t>(std::max<int32_t>(maxLength, 0));
  if (text.size() > limit) text.resize(limit);
  return text;
}

bool looksLikeUtf8(std::string_view text) {
  const std::string_view probe = text.substr(0, std::min(text.size(), Utf8ProbeBytes));
  const auto first = std::find_if(probe.begin(), probe.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (first == probe.end()) return false;
  const size_t at = static_cast<size_t>(first - probe.begin());
  const unsigned char lead = static_cast<unsigned char>(probe[at]);
  size_t trail;
  if ((lead & 0xE0) == 0xC0) {
    trail = 1;
  } else if ((lead & 0xF0) == 0xE0) {
    trail = 2;
  } else if ((lead & 0xF8) == 0xF0) {
    trail = 3;
  } else {
    return false;
  }
  if (at + trail >= probe.size()) return false;
  for (size_t k = 1; k <= trail; ++k) {
    if ((static_cast<unsigned char>(probe[at + k]) & 0xC0) != 0x80) return false;
  }
  return true;
}

std::string utf8ToAnsi(std::string_view text) {
  return trimControls(encodeText(decodeText(text, Encoding::Utf8), Encoding::Win1252));
}

std::string shortenAtWord(std::string_view text, int32_t maxLength, int32_t slack) {
  return shortenAtWord(text, maxLength, slack, textEncoding(text));
}

std::string shortenAtWord(std::string_view text, int32_t maxLength, int32_t slack, Encoding encoding) {
  if (slack == 0) slack = static_cast<int32_t>(std::nearbyint(maxLength * 0.2));
  const size_t limit = static_cast<size_t>(std::max<int32_t>(maxLength, 0));
  const size_t cutEnd = charOffset(text, encoding, limit);
  if (cutEnd == text.size() && maxLength >= 0) return std::string(text);
  const std::string_view cut = text.substr(0, cutEnd);

  // The separators are ASCII, which never occurs inside a UTF-8 sequence.
  const auto sep = std::find_if(cut.rbegin(), cut.rend(), isWordSeparator);
  if (sep != cut.rend()) {
    const size_t sepAt = static_cast<size_t>(cut.rend() - sep) - 1;
    const int64_t position = static_cast<int64_t>(charCount(cut.substr(0, sepAt), encoding)) + 1;
    if (position >= static_cast<int64_t>(maxLength) - slack) {
      // A cut that leaves nothing but blanks would leave a name of its
      // extension alone; the hard cut keeps the name.
      std::string head = trimControls(cut.substr(0, sepAt));
      if (!head.empty()) return head;
    }
  }
  return std::string(cut);
}

}  // namespace zantrel
