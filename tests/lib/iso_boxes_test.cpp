#include "lib/iso_boxes.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/media_builder.h"

using namespace testing_support;
using zantrel::BlockReader;
using zantrel::IsoBox;
using zantrel::IsoBoxWalker;
using zantrel::MemoryBytes;

namespace {

struct Seen {
  std::string type;
  uint64_t start, payload, end;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen> walk(const std::string& bytes) {
  MemoryBytes memory{std::string_view(bytes)};
  BlockReader reader(memory);
  IsoBoxWalker walker(reader, 0, memory.size());
  std::vector<Seen> seen;
  IsoBox box;
  while (walker.next(box)) {
    const char type[4] = {static_cast<char>(box.type >> 24), static_cast<char>(box.type >> 16),
                          static_cast<char>(box.type >> 8), static_cast<char>(box.type)};
    seen.push_back({std::string(type, 4), box.start, box.payload, box.end});
  }
  return seen;
}

TEST(IsoBoxes, SizesOfEveryForm) {
  // 32-bit, 64-bit and "to the end" sizes.
  const std::string file = isoBox("ftyp", "isom") + largeIsoBox("mdat", std::string(100, 'm')) +
                           std::string("\0\0\0\0moov", 8) + "rest";
  EXPECT_EQ(walk(file), (std::vector<Seen>{{"ftyp", 0, 8, 12}, {"mdat", 12, 28, 128}, {"moov", 128, 136, 140}}));
}

TEST(IsoBoxes, BrokenSizesEndTheWalkWithoutLeavingTheParent) {
  const std::string ftyp = isoBox("ftyp", "isom");
  // Smaller than its header (8 or 16 bytes): the walk ends before it.
  EXPECT_EQ(walk(ftyp + std::string("\0\0\0\x07" "free", 8) + ftyp).size(), 1u);
  EXPECT_EQ(walk(ftyp + std::string("\0\0\0\x01mdat\0\0\0\0\0\0\0\x0f", 16) + ftyp).size(), 1u);
  // Past the end: cut at the end, and the last box.
  EXPECT_EQ(walk(ftyp + std::string("\x7f\0\0\0mdat", 8) + "abc"),
            (std::vector<Seen>{{"ftyp", 0, 8, 12}, {"mdat", 12, 20, 23}}));
  EXPECT_EQ(walk(ftyp + std::string("\xff\xff\xff\xff\xff\xff\xff\xf0", 8).insert(0, std::string("\0\0\0\x01mdat", 8))).back().end,
            ftyp.size() + 16);
  // A header cut short is no box.
  EXPECT_EQ(walk(ftyp + std::string("\0\0\0\x10mo", 6)).size(), 1u);
  EXPECT_EQ(walk(ftyp + std::string("\0\0\0\x01mdat\0\0", 10)).size(), 1u);
}

TEST(IsoBoxes, AWalkVisitsABoundedNumberOfBoxes) {
  std::string many;
  for (int i = 0; i < zantrel::MaxBoxesPerLevel + 10; ++i) many += isoBox("free", "");
  EXPECT_EQ(walk(many).size(), static_cast<size_t>(zantrel::MaxBoxesPerLevel));
}

TEST(IsoBoxes, FieldsStopAtTheEndOfTheirBox) {
  const std::string bytes = "\x01\x02\x03\x04\x05\x06\x07\x08\x09";
  MemoryBytes memory{std::string_view(bytes)};
  BlockReader reader(memory);
  zantrel::BoxFields f(reader, 1, 8);
  EXPECT_EQ(f.u16(), 0x0203u);
  EXPECT_EQ(f.number(3), 0x040506u);
  EXPECT_EQ(f.bytes(5), "\x07\x08");  // the ninth byte lies outside
  EXPECT_TRUE(f.ok());
  EXPECT_EQ(f.u8(), 0u);
  EXPECT_FALSE(f.ok());
  zantrel::BoxFields g(reader, 0, 9);
  EXPECT_EQ(g.u64(), 0x0102030405060708u);
  g.skip(2);
  EXPECT_FALSE(g.ok());
  EXPECT_EQ(g.number(9), 0u);
}


// A meta box as QuickTime writes it (children at once) and as MP4 writes
// it (four zero bytes of version and flags first), also where the first
// child's size is 0: that child runs to the end of meta.
TEST(IsoBoxes, WhereTheChildrenOfMetaBegin) {
  const std::string keys = isoBox("keys", std::string(8, '\0'));
  const std::string toTheEnd = std::string("\0\0\0\0ilst", 8) + "items";
  const struct {
    const char* what;
    std::string payload;
    uint64_t children;  // offset in the payload
  } cases[] = {
      {"plain", keys, 0},
      {"full", std::string(4, '\0') + keys, 4},
      {"plain, first child to the end", toTheEnd, 0},
      {"full, first child to the end", std::string(4, '\0') + toTheEnd, 4},
  };
  for (const auto& c : cases) {
    const std::string bytes = isoBox("meta", c.payload);
    MemoryBytes memory{std::string_view(bytes)};
    BlockReader reader(memory);
    IsoBox meta;
    ASSERT_TRUE(IsoBoxWalker(reader, 0, memory.size()).next(meta));
    EXPECT_EQ(zantrel::metaChildren(reader, meta), meta.payload + c.children) << c.what;
  }
}

}  // namespace
