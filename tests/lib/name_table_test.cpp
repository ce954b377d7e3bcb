// The flat name table against a node-based map, over many random names,
// repeated names, growth from empty and from a reserve, and lookups of
// names never added.
#include "lib/name_table.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>
#include <unordered_map>

namespace zantrel {
namespace {

TEST(NameTable, AgreesWithAMapOverRandomWork) {
  for (const size_t reserved : {size_t{0}, size_t{5000}}) {
    TNameTable<int> table;
    table.reserve(reserved);
    std::unordered_map<std::string, int> expected;
    std::deque<std::string> kept;  // the table holds views
    std::mt19937 random(7);
    for (int step = 0; step < 20000; ++step) {
      // Few enough names that they repeat, some empty, some long.
      const std::string name = "IMG_" + std::to_string(random() % 6000) + std::string(random() % 3 == 0 ? 40 : 0, 'x');
      if (random() % 3 == 0) {
        const int* found = table.find(name);
        const auto want = expected.find(name);
        ASSERT_EQ(found != nullptr, want != expected.end()) << name;
        if (found) {
          EXPECT_EQ(*found, want->second) << name;
        }
        continue;
      }
      bool added = false;
      auto& slot = table.slotFor(name, added);
      EXPECT_EQ(added, !expected.contains(name)) << name;
      if (added) slot.name = kept.emplace_back(name);
      slot.value = step;
      expected[name] = step;
    }
    EXPECT_EQ(table.size(), expected.size());
    for (const auto& [name, value] : expected) {
      ASSERT_NE(table.find(name), nullptr) << name;
      EXPECT_EQ(*table.find(name), value) << name;
    }
    EXPECT_FALSE(table.contains("IMG_6001"));
    EXPECT_FALSE(table.contains(""));
  }
}

TEST(NameTable, EmptyTableFindsNothing) {
  TNameTable<bool> table;
  EXPECT_EQ(table.find("a"), nullptr);
  bool added = false;
  table.slotFor("", added);
  EXPECT_TRUE(added);
  EXPECT_TRUE(table.contains(""));
  table.clear();
  EXPECT_FALSE(table.contains(""));
}

}  // namespace
}  // namespace zantrel
