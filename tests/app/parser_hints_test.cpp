#include <gtest/gtest.h>

#include "app/parser.h"

namespace zantrel {
namespace {

TEST(ClosestOption, NearSlipsOnly) {
  const struct {
    const char* typed;
    const char* suggestion;
  } cases[] = {
      {"-sumple", "--simple"},
      {"--verbos", "--verbose"},
      {"-verbsoe", "-verbose"},
      {"--recursiv", "--recursive"},
      {"-maxsiz", "-maxsize="},      // takes a value
      {"--prefx", "--prefix="},
      {"/sohw", "/show"},            // the same leading character only
      {"-xyzzy", ""},
      {"-x", ""},                     // too short to guess at
      {"-jpg", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(closestOption(c.typed), c.suggestion) << c.typed;
}

}  // namespace
}  // namespace zantrel
