#include "lib/byte_reader.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

using zantrel::BlockReader;
using zantrel::ByteSource;
using zantrel::MemoryBytes;

std::span<const uint8_t> bytesOf(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// Counts how often the reader goes to its source.
class CountingSource : public ByteSource {
 public:
  explicit CountingSource(const std::string& data) : memory_(bytesOf(data)) {}
  size_t readAt(uint64_t offset, void* buffer, size_t count) const override {
    ++reads;
    return memory_.readAt(offset, buffer, count);
  }
  uint64_t size() const override { return memory_.size(); }
  mutable int reads = 0;

 private:
  MemoryBytes memory_;
};

TEST(MemoryBytes, NeverReadsPastTheEnd) {
  std::string data = "abcdef";
  MemoryBytes memory(bytesOf(data));
  char out[8] = {};
  EXPECT_EQ(memory.readAt(4, out, 8), 2u);
  EXPECT_EQ(std::string(out, 2), "ef");
  EXPECT_EQ(memory.readAt(6, out, 1), 0u);
  EXPECT_EQ(memory.readAt(std::numeric_limits<uint64_t>::max(), out, 8), 0u);
}

TEST(BlockReader, ReadsByteByByteInBlocks) {
  std::string data(3 * BlockReader::BlockSize + 10, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  CountingSource source(data);
  BlockReader reader(source);
  uint8_t b = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    ASSERT_TRUE(reader.readByte(b));
    ASSERT_EQ(b, static_cast<uint8_t>(i * 7));
  }
  EXPECT_FALSE(reader.readByte(b));
  EXPECT_LE(source.reads, 5);
}

TEST(BlockReader, SkipsAndReadsAcrossBlocks) {
  std::string data(2 * BlockReader::BlockSize, 'a');
  data.replace(BlockReader::BlockSize - 2, 4, "wxyz");
  CountingSource source(data);
  BlockReader reader(source);
  uint8_t b = 0;
  ASSERT_TRUE(reader.readByte(b));
  ASSERT_TRUE(reader.skip(BlockReader::BlockSize - 3));
  char out[4];
  ASSERT_TRUE(reader.readExact(out, 4));
  EXPECT_EQ(std::string(out, 4), "wxyz");
  EXPECT_EQ(reader.position(), BlockReader::BlockSize + 2);
  // A read that cannot be completed leaves the position alone.
  char big[BlockReader::BlockSize];
  EXPECT_FALSE(reader.readExact(big, sizeof big));
  EXPECT_EQ(reader.position(), BlockReader::BlockSize + 2);
  EXPECT_EQ(reader.read(big, sizeof big), BlockReader::BlockSize - 2);
  // Past the end and past 2^64.
  EXPECT_TRUE(reader.skip(1000));
  EXPECT_FALSE(reader.readByte(b));
  EXPECT_FALSE(reader.skip(std::numeric_limits<uint64_t>::max()));
  reader.seek(0);
  ASSERT_TRUE(reader.readByte(b));
  EXPECT_EQ(b, 'a');
}

// A small first block for readers that are mostly done within it; what
// lies beyond a block comes in one request however long it is.
TEST(BlockReader, SmallFirstBlockAndLongReadsInOneRequest) {
  std::string data(200000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  CountingSource source(data);
  BlockReader reader(source, 0, 65536, 4096);
  std::string part(3000, '\0');
  EXPECT_EQ(reader.read(part.data(), part.size()), part.size());
  EXPECT_EQ(part, data.substr(0, 3000));
  EXPECT_EQ(source.reads, 1);  // 4 KiB, not 64
  std::string rest(150000, '\0');
  EXPECT_EQ(reader.read(rest.data(), rest.size()), rest.size());
  EXPECT_EQ(rest, data.substr(3000, 150000));
  EXPECT_EQ(source.reads, 2);  // the block's tail and then one direct read
  uint8_t b = 0;
  EXPECT_TRUE(reader.readByte(b));
  EXPECT_EQ(b, static_cast<uint8_t>(data[153000]));
  EXPECT_EQ(source.reads, 3);  // a full block again
  reader.seek(199999);
  EXPECT_TRUE(reader.readByte(b));
  EXPECT_FALSE(reader.readByte(b));
  std::string past(70000, '\0');
  EXPECT_EQ(reader.read(past.data(), past.size()), 0u);
}

}  // namespace

TEST(ByteWindow, ReadsOnlyItsPartOfTheSource) {
  const std::string data = "0123456789";
  MemoryBytes memory(bytesOf(data));
  zantrel::ByteWindow window(memory, 3, 4);
  char out[8] = {};
  EXPECT_EQ(window.size(), 4u);
  EXPECT_EQ(window.readAt(0, out, 8), 4u);
  EXPECT_EQ(std::string(out, 4), "3456");
  EXPECT_EQ(window.readAt(3, out, 8), 1u);
  EXPECT_EQ(window.readAt(4, out, 8), 0u);
  EXPECT_EQ(window.readAt(std::numeric_limits<uint64_t>::max(), out, 8), 0u);
  // A part that reaches past the source is cut at its end.
  EXPECT_EQ(zantrel::ByteWindow(memory, 8, 100).size(), 2u);
  EXPECT_EQ(zantrel::ByteWindow(memory, 100, 5).size(), 0u);
  EXPECT_EQ(zantrel::ByteWindow(memory, 5, std::numeric_limits<uint64_t>::max()).size(), 5u);
}

TEST(JoinedBytes, ReadsPartsAsOneAcrossTheirSeams) {
  const std::string data = "abcdefghijklmnop";
  MemoryBytes memory(bytesOf(data));
  // Out of order, one past the end (cut), one wholly outside (dropped).
  zantrel::JoinedBytes joined(memory, {{10, 3}, {0, 2}, {14, 10}, {99, 4}});
  EXPECT_EQ(joined.size(), 7u);
  char out[16] = {};
  EXPECT_EQ(joined.readAt(0, out, 16), 7u);
  EXPECT_EQ(std::string(out, 7), "klmabop");
  EXPECT_EQ(joined.readAt(2, out, 3), 3u);
  EXPECT_EQ(std::string(out, 3), "mab");
  EXPECT_EQ(joined.readAt(6, out, 3), 1u);
  EXPECT_EQ(joined.readAt(7, out, 3), 0u);
}
