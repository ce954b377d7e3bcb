#include "lib/simple_name.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/random_names.h"

namespace zantrel {
namespace {

struct NameCase {
  std::string input;
  std::string expected;
};

TEST(SimpleNameTest, ExamplesWithKeepPathFalse) {
  const std::vector<NameCase> cases = {
      {"My Photo (1).JPG", "My_Photo_(1)_JPG"},
      {"a - b", "a-b"},
      {"__x__", "x"},
      {"_", "_"},
      {":", "-"},
      {"", ""},
      {"\x01\x02\x1F", ""},
      {"a\x01" "b\xA8" "c", "abc"},
      {"Cr\xE8me br\xFBl\xE9" "e", "Creme_brulee"},                   // Windows-1252
      {"Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e", "Creme_brulee"},       // UTF-8
      {"caf\xC3\xA9", "cafe"},
      {"\xC4rger \xFC" "ber \xD6l", "Arger_uber_Ol"},                 // Windows-1252
      {"\xC3\x84rger \xC3\xBC" "ber \xC3\x96l", "Arger_uber_Ol"},     // UTF-8
      {"a\xC3\x9F\xC3\x97\xC3\xB7", "a_Oo"},                          // ß × ÷
      {"x\x81y\x84z\x9D", "x_yazO"},                                  // code page 850 letters
      {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "od"},                        // Łódź: Ł and ź are missing in Windows-1252
      {"\xE6\x97\xA5\xE6\x9C\xAC.jpg", "jpg"},                        // CJK becomes ? and then _
      {"a_-_b-_c_-d", "a-b-c_d"},
      {"a---b___c", "a-b_c"},
      {"x.y/z\\w:v", "x_y_z_w-v"},
      {"  spaced  ", "spaced"},
      {"(ok)!", "(ok)!"},
  };
  for (const NameCase& c : cases) EXPECT_EQ(simpleName(c.input, false, 80), c.expected) << c.input;
}

TEST(SimpleNameTest, KeepPathKeepsSeparatorsAndTheDriveColonOnly) {
  EXPECT_EQ(simpleName("C:\\a.b\\c:d", true, 80), "C:\\a.b\\c-d");
  EXPECT_EQ(simpleName("a/b.c", true, 80), "a/b.c");
  EXPECT_EQ(simpleName(":x", true, 80), "-x");
}

TEST(SimpleNameTest, CutsAtMaximumLength) {
  const std::string letters(100, 'q');
  EXPECT_EQ(simpleName(letters, false, 80), std::string(80, 'q'));
  EXPECT_EQ(simpleName("ab cd", false, 3), "ab_");  // the cut may leave an underscore
  EXPECT_EQ(simpleName("abc", false, 0), "");
  EXPECT_EQ(simpleName("abc", false, -1), "");
}

TEST(LooksLikeUtf8Test, TheFirstNonAsciiByteDecides) {
  EXPECT_FALSE(looksLikeUtf8(""));
  EXPECT_FALSE(looksLikeUtf8("plain.jpg"));
  EXPECT_TRUE(looksLikeUtf8("caf\xC3\xA9"));
  EXPECT_TRUE(looksLikeUtf8("\xE2\x82\xAC"));
  EXPECT_TRUE(looksLikeUtf8("\xF0\x9F\x93\xB7"));
  EXPECT_TRUE(looksLikeUtf8("\xC3\xA9 then \xE9"));        // later bytes play no part
  EXPECT_FALSE(looksLikeUtf8("caf\xE9x and \xC3\xA9"));      // E9 followed by a letter
  EXPECT_FALSE(looksLikeUtf8("caf\xC3"));                    // sequence cut short
  EXPECT_FALSE(looksLikeUtf8("\xF8\x80\x80\x80\x80"));
  EXPECT_FALSE(looksLikeUtf8("\xA9"));

  // Only the first 16384 bytes are examined, and a sequence must lie
  // wholly inside them.
  std::string edge(16383, 'a');
  EXPECT_FALSE(looksLikeUtf8(edge + "\xC3\xA9"));
  std::string inside(16382, 'a');
  EXPECT_TRUE(looksLikeUtf8(inside + "\xC3\xA9"));
  EXPECT_FALSE(looksLikeUtf8(std::string(16384, 'a') + "\xC3\xA9"));
}

TEST(Utf8ToAnsiTest, ConvertsTrimsAndMarksMissingCharacters) {
  EXPECT_EQ(utf8ToAnsi("  caf\xC3\xA9\t"), "caf\xE9");
  EXPECT_EQ(utf8ToAnsi("\xE2\x82\xAC 5"), "\x80 5");
  EXPECT_EQ(utf8ToAnsi("\xC5\x81\xC3\xB3" "d\xC5\xBA"), "?\xF3" "d?");
  EXPECT_EQ(utf8ToAnsi("a\xE9" "b"), "a?b");  // ill-formed byte
  EXPECT_EQ(utf8ToAnsi(""), "");
}

TEST(ShortenAtWordTest, Examples) {
  EXPECT_EQ(shortenAtWord("holiday pictures from the beach", 20, 8), "holiday pictures");
  EXPECT_EQ(shortenAtWord("abcdefghijklmnopqrstuvwxyz", 20, 8), "abcdefghijklmnopqrst");
  EXPECT_EQ(shortenAtWord("short", 20, 8), "short");
  EXPECT_EQ(shortenAtWord("exactly twenty chars", 20, 8), "exactly twenty chars");
  // A separator before maximum - slack does not count: hard cut.
  EXPECT_EQ(shortenAtWord("ab cdefghijklmnopqrstuvwxyz", 20, 8), "ab cdefghijklmnopqrs");
  // Every separator of the set.
  for (char sep : std::string(" _-.:,;\\/")) {
    EXPECT_EQ(shortenAtWord(std::string("abcdefghijklmno") + sep + "pqrstuvwxyz", 20, 8), "abcdefghijklmno");
  }
  // Slack 0 means 20 % of the maximum: 4 for 20, so a separator at 17 counts, at 15 not.
  EXPECT_EQ(shortenAtWord("abcdefghijklmnop_qrstuvwxyz", 20, 0), "abcdefghijklmnop");
  EXPECT_EQ(shortenAtWord("abcdefghijklmn_opqrstuvwxyz", 20, 0), "abcdefghijklmn_opqrs");
  // Blanks before the separator go.
  EXPECT_EQ(shortenAtWord("holiday pictures   -from the beach", 22, 8), "holiday pictures");
}

TEST(ShortenAtWordTest, CountsCharactersAndNeverCutsOneInHalf) {
  // 14 characters of ä (28 bytes) then " x...": the cut keeps 14 whole ä.
  std::string name;
  for (int i = 0; i < 20; ++i) name += "\xC3\xA4";
  EXPECT_EQ(shortenAtWord(name, 14, 8), name.substr(0, 28));
  EXPECT_EQ(shortenAtWord("\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4 \xC3\xB6\xC3\xB6\xC3\xB6\xC3\xB6", 8, 4),
            "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4");
  // Windows-1252: bytes are characters.
  EXPECT_EQ(shortenAtWord("\xE4\xE4\xE4\xE4 \xF6\xF6\xF6\xF6", 8, 4), "\xE4\xE4\xE4\xE4");
}

TEST(ShortenAtWordTest, NeverLeavesNothingWhereTheHardCutKeepsText) {
  // A separator at position 1 (or only blanks before the separator) would
  // leave an empty name.
  EXPECT_EQ(shortenAtWord("-abcdefgh", 5, 8), "-abcd");
  EXPECT_EQ(shortenAtWord("     -abcdefghijklmn", 13, 8), "     -abcdefg");
  EXPECT_EQ(shortenAtWord("abcdefghij", 5, 8), "abcde");
}

TEST(SimpleNamePropertyTest, OutputIsSimpleAndWithinTheLimit) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int32_t> limit(1, 60);
  for (int i = 0; i < 3000; ++i) {
    const std::string input = i % 2 == 0 ? testing_support::randomUtf8Name(rng) : testing_support::randomBytes(rng);
    const int32_t max = i % 3 == 0 ? 80 : limit(rng);
    const std::string out = simpleName(input, false, max);
    EXPECT_LE(out.size(), static_cast<size_t>(max)) << input;
    for (char c : out) {
      const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_' || c == '!' || c == '(' || c == ')';
      ASSERT_TRUE(allowed) << "input " << input << " gave " << out;
    }
  }
}

TEST(ShortenAtWordPropertyTest, NeverLongerThanTheMaximumAndValidStaysValid) {
  std::mt19937 rng(77);
  std::uniform_int_distribution<int32_t> limit(0, 45);
  std::uniform_int_distribution<int32_t> slack(0, 12);
  for (int i = 0; i < 3000; ++i) {
    const bool utf8 = i % 2 == 0;
    const std::string input = utf8 ? testing_support::randomUtf8Name(rng) : testing_support::randomBytes(rng);
    const int32_t max = limit(rng);
    const std::string out = shortenAtWord(input, max, slack(rng));
    EXPECT_LE(charCount(out, textEncoding(input)), static_cast<size_t>(max)) << input;
    if (utf8) {
      EXPECT_TRUE(isValidUtf8(out)) << input;
    }
  }
}

}  // namespace
}  // namespace zantrel
