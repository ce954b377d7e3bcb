#include <gtest/gtest.h>

#include "lib/paths.h"
#include "lib/utf8.h"

namespace {

using namespace zantrel;

struct PartsCase {
  const char* path;
  const char* folder;
  const char* name;
  const char* extension;
  const char* base;
};

const PartsCase Parts[] = {
    {"photo.jpg", "", "photo.jpg", ".jpg", "photo"},
    {"pics/sub/photo.tar.gz", "pics/sub/", "photo.tar.gz", ".gz", "photo.tar"},
    {"/abs/x.y/readme", "/abs/x.y/", "readme", "", "readme"},
    {".hidden", "", ".hidden", ".hidden", ""},
    {"dir/", "dir/", "", "", ""},
    {"a:b\\c.jpg", "", "a:b\\c.jpg", ".jpg", "a:b\\c"},  // ":" and "\" are name characters
    {"trailing.", "", "trailing.", ".", "trailing"},
    {"", "", "", "", ""},
};

TEST(Paths, NameParts) {
  for (const PartsCase& c : Parts) {
    EXPECT_EQ(folderPart(c.path), c.folder) << c.path;
    EXPECT_EQ(namePart(c.path), c.name) << c.path;
    EXPECT_EQ(fileExtension(c.path), c.extension) << c.path;
    EXPECT_EQ(baseName(c.path), c.base) << c.path;
  }
}

TEST(Paths, NormalizeSlashes) {
  const std::pair<const char*, const char*> cases[] = {
      {"a//b///c/", "a/b/c/"}, {"//srv/x", "//srv/x"}, {"///a", "//a"}, {"/a//b", "/a/b"},
      {"a\\\\b", "a\\\\b"},    {"", ""},               {"/", "/"},       {"a", "a"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(normalizeSlashes(in), out) << in;
}

TEST(Utf8, CharacterCount) {
  EXPECT_EQ(characterCount("abcd.jpg"), 8u);
  EXPECT_EQ(characterCount("\xC3\xA4" "bcd.jpg"), 8u);  // ä is one character
  EXPECT_EQ(characterCount("\xE4" "bcd.jpg"), 8u);      // a Windows-1252 byte is one too
  EXPECT_EQ(characterCount("\xF0\x9F\x93\xB7"), 1u);
  EXPECT_EQ(characterCount(""), 0u);
}

TEST(Utf8, Validity) {
  EXPECT_TRUE(isValidUtf8("plain"));
  EXPECT_TRUE(isValidUtf8("\xC3\xA4\xE2\x82\xAC\xF0\x9F\x93\xB7"));
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(isValidUtf8("\xC3"));              // cut short
  EXPECT_FALSE(isValidUtf8("\x80"));
}

TEST(Utf8, Windows1252Bytes) {
  EXPECT_EQ(windows1252ToUnicode(0x80), U'\u20AC');
  EXPECT_EQ(windows1252ToUnicode(0x9F), U'\u0178');
  EXPECT_EQ(windows1252ToUnicode(0xE4), U'\u00E4');
  EXPECT_EQ(windows1252ToUnicode(0x81), U'\u0081');
}

}  // namespace
