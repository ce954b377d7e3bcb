#include "lib/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zantrel {
namespace {

TEST(Utf8Test, ValidityFollowsTheStandardsTable) {
  struct Case {
    std::string text;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"", true},
      {"plain ascii.jpg", true},
      {"caf\xC3\xA9", true},                     // é
      {"\xE2\x82\xAC", true},                    // €
      {"\xF0\x9F\x93\xB7", true},                // camera emoji
      {"\xF4\x8F\xBF\xBF", true},                // U+10FFFF
      {"caf\xE9", false},                        // Windows-1252 é
      {"\xC3", false},                           // cut short
      {"\xE2\x82", false},                       // cut short
      {"\xC0\xAF", false},                       // overlong '/'
      {"\xC1\xBF", false},                       // overlong
      {"\xE0\x80\xAF", false},                   // overlong
      {"\xF0\x8F\xBF\xBF", false},               // overlong
      {"\xED\xA0\x80", false},                   // surrogate
      {"\xF4\x90\x80\x80", false},               // above U+10FFFF
      {"\xF5\x80\x80\x80", false},               // lead byte never used
      {"\x80", false},                           // stray continuation
      {"a\xC3\xA9\xC3", false},                  // valid then cut short
  };
  for (const Case& c : cases) EXPECT_EQ(isValidUtf8(c.text), c.valid) << c.text;
}

TEST(Utf8Test, IllFormedSequenceGivesOneReplacementForItsMaximalPrefix) {
  // E2 82 is the start of a 3-byte sequence broken by 'x': one U+FFFD for
  // both bytes, then x.
  EXPECT_EQ(decodeText("\xE2\x82x\xC3\xA9", Encoding::Utf8), (std::u32string{ReplacementChar, U'x', U'\u00E9'}));
  EXPECT_EQ(decodeText("\xFF\xC0\xAF", Encoding::Utf8),
            (std::u32string{ReplacementChar, ReplacementChar, ReplacementChar}));
}

TEST(Utf8Test, NextCharReadsInTheGivenEncoding) {
  const std::string text = "\xC3\xA4\xE4";
  size_t pos = 0;
  EXPECT_EQ(nextChar(text, pos, Encoding::Utf8), U'\u00E4');
  EXPECT_EQ(pos, 2u);
  EXPECT_EQ(nextChar(text, pos, Encoding::Utf8), ReplacementChar);
  EXPECT_EQ(pos, 3u);
  pos = 0;
  EXPECT_EQ(nextChar(text, pos, Encoding::Win1252), U'\u00C3');
  EXPECT_EQ(pos, 1u);
}

TEST(Utf8Test, EncodesEveryLength) {
  std::string out;
  for (char32_t c : {U'A', U'\u00E9', U'\u20AC', U'\U0001F4F7'}) appendUtf8(out, c);
  EXPECT_EQ(out, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\xB7");
  std::string bad;
  appendUtf8(bad, 0xD800);
  EXPECT_EQ(bad, "\xEF\xBF\xBD");
}

TEST(Utf8Test, Windows1252RoundTripsEveryByte) {
  for (int b = 0; b < 256; ++b) {
    const char32_t code = win1252ToUnicode(static_cast<unsigned char>(b));
    EXPECT_EQ(unicodeToWin1252(code), b) << b;
  }
  EXPECT_EQ(win1252ToUnicode(0x80), U'\u20AC');
  EXPECT_EQ(win1252ToUnicode(0x9F), U'\u0178');
  EXPECT_EQ(unicodeToWin1252(U'\u0141'), -1);  // Ł
  EXPECT_EQ(win1252ToUtf8("\xC4rger \x80"), "\xC3\x84rger \xE2\x82\xAC");
  EXPECT_EQ(encodeText(U"\u0141\u00F3d\u017A", Encoding::Win1252), "?\xF3\x64?");
}

TEST(Utf8Test, CountsAndCutsCharactersNotBytes) {
  const std::string utf8 = "\xC3\xA4\xE2\x82\xAC" "b\xF0\x9F\x93\xB7";  // ä € b camera
  EXPECT_EQ(textEncoding(utf8), Encoding::Utf8);
  EXPECT_EQ(charCount(utf8), 4u);
  EXPECT_EQ(charOffset(utf8, Encoding::Utf8, 0), 0u);
  EXPECT_EQ(charOffset(utf8, Encoding::Utf8, 2), 5u);
  EXPECT_EQ(charOffset(utf8, Encoding::Utf8, 9), utf8.size());
  EXPECT_EQ(charSlice(utf8, Encoding::Utf8, 1, 2), "\xE2\x82\xAC" "b");
  EXPECT_EQ(charSlice(utf8, Encoding::Utf8, 3, 7), "\xF0\x9F\x93\xB7");
  EXPECT_EQ(charSlice(utf8, Encoding::Utf8, 7, 1), "");

  EXPECT_EQ(charCount("abcd.jpg"), 8u);
  EXPECT_EQ(charCount("\xC3\xA4" "bcd.jpg"), 8u);  // ä is one character
  EXPECT_EQ(charCount("\xE4" "bcd.jpg"), 8u);      // a Windows-1252 byte is one too
  EXPECT_EQ(charCount(""), 0u);

  const std::string ansi = "\xC4rger";  // Windows-1252, one byte a character
  EXPECT_EQ(textEncoding(ansi), Encoding::Win1252);
  EXPECT_EQ(charCount(ansi), 5u);
  EXPECT_EQ(charSlice(ansi, Encoding::Win1252, 0, 2), "\xC4r");
}

}  // namespace
}  // namespace zantrel
