#include <gtest/gtest.h>

#include "lib/paths.h"

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

}  // namespace
