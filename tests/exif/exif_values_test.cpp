// Byte-order reads, numeric tag values and the date conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "exif/image_info.h"
#include "lib/datetime.h"

using namespace zantrel;

namespace {

tEndInd bytesOf(std::string bytes, bool bigEndian) {
  tEndInd e;
  e.setBytes(std::move(bytes));
  e.BigEndian = bigEndian;
  return e;
}

TEST(ExifBytes, ReadsInBothOrdersAndNeverOutsideTheBytes) {
  const std::string data("\x12\x34\x56\x78\x9A", 5);
  const tEndInd le = bytesOf(data, false), be = bytesOf(data, true);
  EXPECT_EQ(le.read16At(1), 0x3412);
  EXPECT_EQ(be.read16At(1), 0x1234);
  EXPECT_EQ(le.read32At(2), static_cast<int32_t>(0x9A785634u));
  EXPECT_EQ(be.read32At(2), 0x3456789A);
  EXPECT_LT(le.read32At(2), 0);  // signed, for position arithmetic
  for (int64_t p : {int64_t{0}, int64_t{-1}, int64_t{5}, int64_t{1} << 40}) EXPECT_EQ(be.read16At(p), 0) << p;
  for (int64_t p : {int64_t{0}, int64_t{3}, std::numeric_limits<int64_t>::min()}) EXPECT_EQ(be.read32At(p), 0) << p;
  EXPECT_FALSE(be.holds(std::numeric_limits<int64_t>::max(), 4));
  EXPECT_TRUE(be.holds(2, 4));
  EXPECT_FALSE(be.holds(3, 4));
}

TEST(ExifBytes, IntFromBytesKeepsTheLow32Bits) {
  const tEndInd le = bytesOf("", false), be = bytesOf("", true);
  EXPECT_EQ(le.intFromBytes(std::string("\x01\x02", 2)), 0x0201u);
  EXPECT_EQ(be.intFromBytes(std::string("\x01\x02", 2)), 0x0102u);
  EXPECT_EQ(be.intFromBytes(std::string("\x01\x02\x03\x04\x05\x06", 6)), 0x03040506u);
  EXPECT_EQ(le.intFromBytes(std::string("\x01\x02\x03\x04\x05\x06", 6)), 0x04030201u);
  EXPECT_EQ(le.intFromBytes(""), 0u);
}

TEST(ExifValues, NumericTagValueByType) {
  struct Case {
    std::string raw;
    int type;
    bool bigEndian;
    double expected;
  };
  const Case cases[] = {
      {std::string("\x2A", 1), 1, false, 42},
      {std::string("\x10\x00", 2), 3, false, 16},
      {std::string("\x10\x00", 2), 3, true, 4096},
      {std::string("\xFF\xFF", 2), 8, false, 65535},  // SSHORT is not sign-extended
      {std::string("\xFF\xFF\xFF\xFF", 4), 9, true, -1},
      {std::string("\x10\0\x20\0", 4), 3, false, 0x00200010},  // two SHORTs read as one number
      {std::string("\x1C\0\0\0\x0A\0\0\0", 8), 5, false, 2.8},
      {std::string("\0\0\0\x1C\0\0\0\x0A", 8), 10, true, 2.8},
      {std::string("\xFF\xFF\xFF\xFF\0\0\0\x02", 8), 10, true, -0.5},
      {std::string("\x01\0\0\0\0\0\0\0", 8), 5, false, 0},  // zero denominator
      {std::string("\x01\0\0", 3), 5, false, 0},              // cut short
      {"ABCD", 0, false, 0},
      {"ABCD", 2, false, 0},
      {"ABCD", 7, false, 0},
      {"ABCD", 13, false, 0},
      {std::string("\0\0\xC0\x3F", 4), 11, false, 1.5},
      {std::string("\x3F\xC0\0\0", 4), 11, true, 1.5},
      {std::string("\0\0\x80\x7F", 4), 11, false, 0},  // infinity counts 0
      {std::string("\0\0\0\0\0\0\xF8\x3F", 8), 12, false, 1.5},
      {std::string("\x3F\xF8\0\0\0\0\0\0", 8), 12, true, 1.5},
      {std::string("\0\0", 2), 12, false, 0},
  };
  for (const Case& c : cases) {
    TImageInfo reader(nullptr, 0);
    reader.BigEndian = c.bigEndian;
    EXPECT_DOUBLE_EQ(reader.numericTagValue(c.raw, c.type), c.expected) << "type " << c.type << " big " << c.bigEndian;
  }
}

TEST(ExifValues, RoundsHalvesToEven) {
  EXPECT_EQ(roundToInt(2.5), 2);
  EXPECT_EQ(roundToInt(3.5), 4);
  EXPECT_EQ(roundToInt(-2.5), -2);
  EXPECT_EQ(roundToInt(2.6), 3);
  EXPECT_EQ(roundToInt(std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(roundToInt(std::nan("")), 0);
  EXPECT_EQ(roundToInt(1e12), 0);
}

TEST(ExifDates, ParsesFixedPositions) {
  struct Case {
    const char* text;
    DateTime expected;
  };
  const Case cases[] = {
      {"2008:05:17 14:30:00", encodeDateTime(2008, 5, 17, 14, 30, 0)},
      {"2008-05-17 14.30.00", encodeDateTime(2008, 5, 17, 14, 30, 0)},  // separators are not looked at
      {"2008:05:17  9:30:00", encodeDateTime(2008, 5, 17, 9, 30, 0)},   // a blank before a digit
      {"2008:05:17 +9:30:00", encodeDateTime(2008, 5, 17, 9, 30, 0)},
      {"2008:02:29 00:00:00", encodeDateTime(2008, 2, 29)},
      {"2000:02:29 23:59:59", encodeDateTime(2000, 2, 29, 23, 59, 59)},
      {"1899:12:31 00:00:00", 1.0},
      {"2013:04:12 15:30:45 and more", encodeDateTime(2013, 4, 12, 15, 30, 45)},
      {"1899:12:30 00:00:00", 0},  // day 0: no date
      {"2007:02:29 00:00:00", 0},
      {"1900:02:29 00:00:00", 0},
      {"2008:05:17 24:00:00", 0},
      {"2008:05:17 23:60:00", 0},
      {"2008:05:17 23:59:60", 0},
      {"2008:13:01 00:00:00", 0},
      {"2008:04:31 00:00:00", 0},
      {"0000:00:00 00:00:00", 0},
      {"                   ", 0},
      {"2008:05:17 9 :30:00", 0},  // a trailing blank is no digit
      {"2008:05:17 -1:30:00", 0},
      {"2008:05:17 14:30:0", 0},   // cut short
      {"2008:05:17 14:30:0x", 0},
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(parseExifDate(c.text), c.expected) << c.text;
  EXPECT_DOUBLE_EQ(parseExifDate(std::string("2008:05:17 14:30:\0000", 19)), 0);
}

}  // namespace
