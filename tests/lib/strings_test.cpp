#include "lib/strings.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

namespace zantrel {
namespace {

TEST(SplitField, CountsFromBothEnds) {
  struct Case {
    const char* text;
    int n;
    const char* expected;
  } cases[] = {
      {"a,b,,c", 1, "a"}, {"a,b,,c", 2, "b"}, {"a,b,,c", 3, ""},  {"a,b,,c", 4, "c"},  {"a,b,,c", 5, ""},
      {"a,b,,c", -1, "c"}, {"a,b,,c", -4, "a"}, {"a,b,,c", -5, ""}, {"abc", 1, "abc"}, {"abc", 2, ""},
      {"a,b,", 3, ""},    {"a,b,", -1, ""},    {"a,b,", -2, "b"},  {",a", 1, ""},      {"", 1, ""},
      {"a,b", 0, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(splitField(c.text, c.n, ','), c.expected) << c.text << " " << c.n;
}

TEST(FastPos, Examples) {
  EXPECT_EQ(fastPos("B", "abc", true, 1), 2u);
  EXPECT_EQ(fastPos("B", "abc", false, 1), 0u);
  EXPECT_EQ(fastPos("ab", "xabab", false, 3), 4u);
  EXPECT_EQ(fastPos("abcd", "abc", false, 1), 0u);
  EXPECT_EQ(fastPos("", "abc", false, 1), 0u);
  EXPECT_EQ(fastPos("\xE9", "CAF\xC9", true, 1), 4u);  // Windows-1252 é / É
  EXPECT_THROW(fastPos("a", "a", false, 0), std::logic_error);
}

// The skip table only makes the scan faster: every answer must be the
// leftmost match that a plain search finds.
TEST(FastPos, AgreesWithPlainSearch) {
  std::mt19937 rng(1234);
  const std::string alphabet = "abAB_\xE9\xC9";
  auto randomText = [&](size_t maxLen) {
    std::string s(rng() % (maxLen + 1), ' ');
    for (char& c : s) c = alphabet[rng() % alphabet.size()];
    return s;
  };
  const auto& up = upperTable();
  auto fold = [&](std::string s) {
    for (char& c : s) c = static_cast<char>(up[static_cast<unsigned char>(c)]);
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    const std::string text = randomText(24);
    const std::string pattern = randomText(4);
    const size_t start = 1 + rng() % (text.size() + 2);
    const bool ignoreCase = rng() % 2;
    size_t expected = 0;
    if (!pattern.empty() && pattern.size() <= text.size() && start - 1 <= text.size()) {
      const std::string hay = ignoreCase ? fold(text) : text;
      const std::string needle = ignoreCase ? fold(pattern) : pattern;
      const size_t found = hay.find(needle, start - 1);
      expected = found == std::string::npos ? 0 : found + 1;
    }
    ASSERT_EQ(fastPos(pattern, text, ignoreCase, start), expected)
        << "pattern '" << pattern << "' text '" << text << "' start " << start << " ignoreCase " << ignoreCase;
  }
}

TEST(FastReplace, NeverRescansInsertedText) {
  EXPECT_EQ(fastReplace("ab", "b", "aab"), "ab");
  EXPECT_EQ(fastReplace("-_", "-", "a-_-_b"), "a--b");
  EXPECT_EQ(fastReplace("__", "_", "___"), "__");
  EXPECT_EQ(fastReplace("", "x", "abc"), "abc");
  EXPECT_EQ(fastReplace("b", "", "abcb"), "ac");
  EXPECT_EQ(fastReplace("a", "a", "aaa"), "aaa");
  EXPECT_EQ(fastReplace("a", "aa", "aba"), "aabaa");
}

// A plain reference: scan left to right, resume after each inserted text.
TEST(FastReplace, AgreesWithReference) {
  std::mt19937 rng(99);
  auto randomText = [&](size_t maxLen) {
    std::string s(rng() % (maxLen + 1), ' ');
    for (char& c : s) c = "ab_-"[rng() % 4];
    return s;
  };
  for (int i = 0; i < 10000; ++i) {
    const std::string text = randomText(20), from = randomText(3), to = randomText(3);
    std::string expected = text;
    if (!from.empty() && from != to) {
      size_t pos = expected.find(from);
      while (pos != std::string::npos) {
        expected.replace(pos, from.size(), to);
        pos = expected.find(from, pos + to.size());
      }
    }
    ASSERT_EQ(fastReplace(from, to, text), expected) << from << " -> " << to << " in " << text;
  }
}

TEST(StartsWith, FoldsOnlyAsciiLetters) {
  EXPECT_TRUE(startsWith("", "abc", false));
  EXPECT_TRUE(startsWith("AB", "abc", true));
  EXPECT_FALSE(startsWith("AB", "abc", false));
  EXPECT_FALSE(startsWith("abcd", "abc", true));
  EXPECT_FALSE(startsWith("\xC9", "\xE9", true));
}

TEST(ReplaceAll, OnePassThatNeverRescansWhatItInserted) {
  const struct {
    const char *from, *to, *text, *expected;
  } cases[] = {
      {"'", "\"", "'a' 'b'", "\"a\" \"b\""},
      // The new text holds the old one: shell quoting and doubled percent signs.
      {"'", "'\\''", "o'neil's", "o'\\''neil'\\''s"},
      {"%", "%%", "50% %f", "50%% %%f"},
      {"a", "ab", "aaa", "ababab"},
      {"a", "aa", "", ""},
      // A match that the replacement creates is left alone.
      {"ab", "b", "aab", "ab"},
      {"__", "_", "a_____b", "a___b"},
      {"", "x", "abc", "abc"},
      {"b", "", "abcb", "ac"},
      {"x", "y", "none here", "none here"},
  };
  for (const auto& c : cases) EXPECT_EQ(replaceAll(c.from, c.to, c.text), c.expected) << c.from << " -> " << c.to;
}

TEST(CollapseRepeats, ShrinksRunsOfAnyLength) {
  const struct {
    const char *doubled, *single, *text, *expected;
  } cases[] = {
      {"__", "_", "a_____b__c_d", "a_b_c_d"},
      {"--", "-", "----", "-"},
      {"__", "_", "", ""},
      {"__", "_", "no runs", "no runs"},
      // A single that holds doubled gets one pass instead of no end.
      {"a", "aa", "aba", "aabaa"},
      {"a", "a", "aaa", "aaa"},
  };
  for (const auto& c : cases) EXPECT_EQ(collapseRepeats(c.doubled, c.single, c.text), c.expected) << c.text;
}

TEST(StripQuotes, OnePairAfterTrimming) {
  EXPECT_EQ(stripQuotes("  \"x y\"  "), "x y");
  EXPECT_EQ(stripQuotes("\"x'"), "\"x'");
  EXPECT_EQ(stripQuotes("\""), "\"");
  EXPECT_EQ(stripQuotes("'IMG_'"), "IMG_");
  EXPECT_EQ(stripQuotes("\"\"a\"\""), "\"a\"");
}

TEST(StrToFloatDef, CommaOrDotAndNothingElse) {
  EXPECT_DOUBLE_EQ(strToFloatDef("-1,5", 7), -1.5);
  EXPECT_DOUBLE_EQ(strToFloatDef("1.5", 7), 1.5);
  EXPECT_DOUBLE_EQ(strToFloatDef("0,25", 7), 0.25);
  EXPECT_DOUBLE_EQ(strToFloatDef("1e3", 7), 1000.0);
  EXPECT_DOUBLE_EQ(strToFloatDef(" 2", 7), 2.0);
  for (const char* bad : {"", "2h", "2 ", "1,000.5", "abc", ".", "1e", "--1"}) {
    EXPECT_DOUBLE_EQ(strToFloatDef(bad, 7), 7.0) << bad;
  }
  EXPECT_THROW(strToFloatDef("1e400", 0), FloatOverflow);
}

TEST(FixedText, DecimalsWidthAndAPointWhateverTheLocale) {
  EXPECT_EQ(fixedText(5.8, 2, 5), " 5.80");
  EXPECT_EQ(fixedText(123.456, 2, 5), "123.46");  // wider than asked
  EXPECT_EQ(fixedText(-0.5, 0), "-0");             // a half goes to the even neighbour
  EXPECT_EQ(fixedText(2.5, 0), "2");
  EXPECT_EQ(fixedText(1.0 / 64, 4, 4), "0.0156");
  EXPECT_EQ(fixedText(1e300, 1).size(), 303u);
  EXPECT_EQ(fixedText(1, 500), "1." + std::string(100, '0'));  // at most 100 decimals
  EXPECT_EQ(fixedText(7, -3), "7");
}

TEST(TrimmedView, SameAsTrimControls) {
  for (const char* text : {"", "  ", " a b\t", "\x01x\x1F", "x"}) {
    EXPECT_EQ(trimmedView(text), trimControls(text)) << text;
  }
}

TEST(EditDistance, CountsEditsIgnoringCase) {
  const struct {
    const char* a;
    const char* b;
    size_t distance;
  } cases[] = {
      {"", "", 0},        {"abc", "", 3},          {"", "abc", 3},        {"-sumple", "--simple", 2},
      {"-SIMPLE", "-simple", 0}, {"--verison", "--version", 1}, {"-imgaes", "-images", 1}, {"kitten", "sitting", 3},
      {"ab", "ba", 1},    {"abc", "ca", 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(editDistance(c.a, c.b), c.distance) << c.a << " / " << c.b;
    EXPECT_EQ(editDistance(c.b, c.a), c.distance) << c.b << " / " << c.a;
  }
}

}  // namespace
}  // namespace zantrel
