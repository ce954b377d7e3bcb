#include "lib/case_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zantrel {
namespace {

struct CasePair {
  char32_t small;
  char32_t capital;
};

TEST(CaseMapTest, MapsLettersOfTheMainBlocksBothWays) {
  const std::vector<CasePair> pairs = {
      {U'a', U'A'},           {U'z', U'Z'},
      {U'\u00E0', U'\u00C0'},  // à
      {U'\u00E4', U'\u00C4'},  // ä
      {U'\u00FE', U'\u00DE'},  // þ
      {U'\u0101', U'\u0100'},  // ā   Latin Extended-A
      {U'\u0142', U'\u0141'},  // ł
      {U'\u0151', U'\u0150'},  // ő
      {U'\u017E', U'\u017D'},  // ž
      {U'\u01C6', U'\u01C4'},  // ǆ   Latin Extended-B
      {U'\u03B1', U'\u0391'},  // α   Greek
      {U'\u03C9', U'\u03A9'},  // ω
      {U'\u03AC', U'\u0386'},  // ά
      {U'\u0430', U'\u0410'},  // а   Cyrillic
      {U'\u044F', U'\u042F'},  // я
      {U'\u0451', U'\u0401'},  // ё
      {U'\u0491', U'\u0490'},  // ґ
      {U'\u04E9', U'\u04E8'},  // ө
      {U'\u0561', U'\u0531'},  // Armenian
      {U'\u1EA1', U'\u1EA0'},  // ạ   Vietnamese
      {U'\uFF41', U'\uFF21'},  // fullwidth a
  };
  for (const CasePair& p : pairs) {
    EXPECT_EQ(simpleUpper(p.small), p.capital) << static_cast<uint32_t>(p.small);
    EXPECT_EQ(simpleLower(p.capital), p.small) << static_cast<uint32_t>(p.capital);
    EXPECT_EQ(simpleUpper(p.capital), p.capital);
    EXPECT_EQ(simpleLower(p.small), p.small);
  }
}

TEST(CaseMapTest, OneToOneSpecialCases) {
  EXPECT_EQ(simpleUpper(U'\u00DF'), U'\u00DF');  // ß has no single capital
  EXPECT_EQ(simpleUpper(U'\u00FF'), U'\u0178');  // ÿ -> Ÿ
  EXPECT_EQ(simpleUpper(U'\u00B5'), U'\u039C');  // µ -> Greek capital mu
  EXPECT_EQ(simpleUpper(U'\u03C2'), U'\u03A3');  // final sigma
  EXPECT_EQ(simpleLower(U'\u03A3'), U'\u03C3');
  EXPECT_EQ(simpleUpper(U'\u0131'), U'I');       // dotless i
  EXPECT_EQ(simpleLower(U'\u0130'), U'i');       // I with dot
  EXPECT_EQ(simpleLower(U'\u212A'), U'k');       // Kelvin sign
  EXPECT_EQ(simpleUpper(U'\u1F80'), U'\u1F88');  // Greek with ypogegrammeni
  EXPECT_EQ(simpleUpper(U'1'), U'1');
  EXPECT_EQ(simpleUpper(U'\u4E2D'), U'\u4E2D');
  EXPECT_EQ(simpleLower(U'\U00010400'), U'\U00010428');  // Deseret
}

TEST(CaseMapTest, TextInUtf8AndWindows1252) {
  EXPECT_EQ(upperText("stra\xC3\x9F" "e \xC3\xA4\xC3\xB6\xC3\xBC.jpg"), "STRA\xC3\x9F" "E \xC3\x84\xC3\x96\xC3\x9C.JPG");
  EXPECT_EQ(lowerText("\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3"), "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x83");  // ΟΔΟΣ
  EXPECT_EQ(upperText("\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"),
            "\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90");  // москва
  // Length in bytes may change in UTF-8 (ı is 2 bytes, I is 1) ...
  EXPECT_EQ(upperText("\xC4\xB1"), "I");
  // ... but never in Windows-1252, where a capital the code page lacks
  // leaves the letter alone.
  EXPECT_EQ(upperText("\xE4\xF6\xFC\xDF\xB5\xFF\x9A"), "\xC4\xD6\xDC\xDF\xB5\x9F\x8A");
  EXPECT_EQ(lowerText("\xC4\xD6\xDC\x9F\x8A\x8C"), "\xE4\xF6\xFC\xFF\x9A\x9C");
  EXPECT_EQ(upperText("caf\xE9"), "CAF\xC9");
  EXPECT_EQ(lowerText("CAF\xC9", Encoding::Win1252), "caf\xE9");
}

TEST(CaseMapTest, EqualsIgnoreCaseComparesCharacters) {
  EXPECT_TRUE(equalsIgnoreCase("Photo", "pHOTO"));
  EXPECT_TRUE(equalsIgnoreCase("\xC3\x84rger", "\xC3\xA4RGER"));
  EXPECT_TRUE(equalsIgnoreCase("\xC3\x84rger", "\xE4rger"));  // UTF-8 against Windows-1252
  EXPECT_TRUE(equalsIgnoreCase("\xCF\x82", "\xCE\xA3"));      // ς and Σ
  EXPECT_FALSE(equalsIgnoreCase("photo", "photos"));
  EXPECT_FALSE(equalsIgnoreCase("a", "b"));
  EXPECT_TRUE(equalsIgnoreCase("", ""));
}

}  // namespace
}  // namespace zantrel
