#include <gtest/gtest.h>

#include "lib/wildcard.h"

namespace {

struct MatchCase {
  const char* pattern;
  const char* name;
  bool expected;
};

const MatchCase Cases[] = {
    {"*.jpg", "IMG_1234.JPG", true},
    {"*.JPG", "photo.jpg", true},
    {"*.jpg", "photo.jpeg", false},
    {"*.jpg", "photo.jpg.txt", false},
    {"*.jpg", ".jpg", true},
    {"*", "anything", true},
    {"*", "", true},
    {"", "", true},
    {"", "a", false},
    {"*.*", "readme", true},
    {"*.*", "a.b.c", true},
    {"*.*", "a.", true},
    {"*.*", "", true},
    {"**", "", true},
    {"IMG*.*", "IMG123", true},
    {"IMG*.*", "DSC123", false},
    {"a.*", "a", true},
    {"a.*", "ab", false},
    {"*.jp?", "x.jpg", true},
    {"*.jp?", "x.jp", false},
    {"?", "a", true},
    {"?", "", false},
    {"?", "ab", false},
    {"??", "ab", true},
    {"?.jpg", "\xC3\xA4.jpg", true},        // "ä.jpg": one UTF-8 character
    {"??.jpg", "\xC3\xA4.jpg", false},      // not two bytes
    {"?.jpg", "\xE2\x82\xAC.jpg", true},     // "€.jpg"
    {"?.jpg", "\xF0\x9F\x93\xB7.jpg", true}, // a four-byte character
    {"?.jpg", "\xE4.jpg", true},            // not UTF-8: one Windows-1252 byte
    {"\xC3\x84*", "\xC3\xA4rger.jpg", true}, // "Ä*" matches "ärger.jpg"
    {"\xC3\xA4*", "\xC3\x84RGER.JPG", true},
    {"\xD0\x9F*", "\xD0\xBF.jpg", true},     // Cyrillic П / п
    {"[ab].jpg", "[ab].jpg", true},         // no character classes
    {"[ab].jpg", "a.jpg", false},
    {"a*b*c", "aXXbYYc", true},
    {"a*b*c", "aXXbYY", false},
    {"*a*a*a", "aaaa", true},
    {"*ab", "aab", true},
    {"**x", "x", true},
    {"x**", "x", true},
    {"a\\b", "a\\b", true},
    {"*.jpg", "IMG_1234.JPG\n", false},
};

TEST(Wildcard, Table) {
  for (const MatchCase& c : Cases) {
    EXPECT_EQ(zantrel::matchesWildcard(c.pattern, c.name), c.expected)
        << "pattern '" << c.pattern << "' name '" << c.name << "'";
  }
}

TEST(Wildcard, LongNameWithManyStarsStaysQuick) {
  const std::string name(5000, 'a');
  EXPECT_FALSE(zantrel::matchesWildcard("*a*a*a*a*a*b", name));
  EXPECT_TRUE(zantrel::matchesWildcard("*a*a*a*a*a*", name));
}

}  // namespace
