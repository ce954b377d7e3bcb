// Value texts: formatting of raw values by type, value lists, format
// patterns, clean-up, rationals in text form and the tag decoders.
#include <gtest/gtest.h>

#include <cstring>

#include "exif/image_info.h"
#include "exif/tag_tables.h"
#include "support/exif_builder.h"

using namespace zantrel;
using testing_support::u16;
using testing_support::u32;

namespace {

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (const int v : values) out += static_cast<char>(v);
  return out;
}

std::string rationalBytes(uint32_t numerator, uint32_t denominator, bool bigEndian) {
  return u32(numerator, bigEndian) + u32(denominator, bigEndian);
}

std::string floatBytes(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return u32(bits, false);
}

TEST(TagValues, FormatByTypeListAndPattern) {
  const std::string orientation = lookupTagDef(0x0112, MainDirectory).ValueList;
  struct Case {
    std::string raw;
    int type;
    bool bigEndian;
    std::string list;
    std::string pattern;
    std::string expected;
  };
  const Case cases[] = {
      {bytes({1, 2, 255}), 1, false, "", "", "1, 2, 255"},
      {u16(16, false), 3, false, "", "", "16"},
      {u16(16, true), 3, true, "", "", "16"},
      {u16(0xFFFF, false), 8, false, "", "", "65535"},  // no sign extension
      {bytes({0xFF}), 6, false, "", "", "255"},
      {u32(0xFFFFFFFF, true), 9, true, "", "", "-1"},
      {u32(70000, false) + u32(3, false), 4, false, "", "", "70000, 3"},
      {rationalBytes(28, 10, false), 5, false, "", "", "28/10"},
      {rationalBytes(1, 60, true) + rationalBytes(28, 10, true), 5, true, "", "", "1/60, 28/10"},
      {rationalBytes(static_cast<uint32_t>(-1), 3, false), 10, false, "", "", "-1/3"},
      {floatBytes(5.8f), 11, false, "", "", "-9999.99"},
      {std::string(8, '\0'), 12, false, "", "", "-9999.99"},
      {"ab", 2, false, "", "", "?, ?"},
      {"ab", 7, false, "", "", "?, ?"},
      {"abcd", 0, false, "", "", "0"},
      {"abcd", 13, false, "", "", "0"},
      {"abcd", 255, false, "", "", "0"},
      // Only whole items; none at all gives an empty text.
      {bytes({1, 0, 2}), 3, false, "", "", "1"},
      {bytes({1}), 3, false, "", "", ""},
      {rationalBytes(1, 2, false).substr(0, 7), 5, false, "", "", ""},
      // Codes through the value list; a code not listed adds nothing.
      {u16(6, false), 3, false, orientation, "", "CounterClockwise 90°"},
      {u16(3, true), 3, true, orientation, "", "Rotated 180°"},
      {u16(2, false), 3, false, orientation, "", ""},
      {u16(1, false) + u16(5, false), 3, false, orientation, "", "Normal, "},
      {u16(5, false) + u16(1, false), 3, false, orientation, "", "Normal"},
      {u16(2, false), 3, false, "1:Monochrome, 2:RGB, 6:YCbCr", "", "RGB"},
      // Patterns: "%s" takes the text, the others the numeric value.
      {rationalBytes(1, 60, false), 5, false, "", "%s sec", "1/60 sec"},
      {rationalBytes(28, 10, false), 5, false, "", "F%0.1f", "F2.8"},
      {rationalBytes(72, 1, true), 5, true, "", "%5.2f", "72.00"},
      {rationalBytes(58, 10, false), 5, false, "", "%5.2f mm", " 5.80 mm"},
      {rationalBytes(12345, 10, false), 5, false, "", "%1.0f", "1234"},
      {rationalBytes(28, 0, false), 5, false, "", "F%0.1f", "F0.0"},  // zero denominator
      {u16(300, false), 3, false, "", "%5.2f", "300.00"},
      {floatBytes(5.8f), 11, false, "", "%5.2f mm", " 5.80 mm"},
  };
  for (const Case& c : cases) {
    TImageInfo reader(nullptr, BuildEverything);
    reader.BigEndian = c.bigEndian;
    EXPECT_EQ(reader.formatTagValue(c.raw, c.type, c.list, c.pattern), c.expected)
        << "type " << c.type << " pattern " << c.pattern;
  }
}

TEST(TagValues, AtMost128ItemsAreFormatted) {
  TImageInfo reader(nullptr, BuildEverything);
  const std::string text = reader.formatTagValue(std::string(1000, '\x07'), 1, "", "");
  EXPECT_EQ(text.size(), 128 * 3 - 2);  // "7, " 128 times without the last separator
}

TEST(TagValues, FormatPatternsAreNoPrintfFormats) {
  struct Case {
    const char* pattern;
    const char* text;
    double value;
    const char* expected;
  };
  const Case cases[] = {
      {"%5.2f", "", 3.14159, " 3.14"},
      {"%5.2f", "", -3.14159, "-3.14"},
      {"%1.0f", "", 2.5, "2"},  // an exact half goes to the even neighbour
      {"%1.0f", "", 123.7, "124"},
      {"F%0.1f", "", 1e9, "F1000000000.0"},
      {"%f", "", 0.5, "0.500000"},
      {"%s sec", "1/60", 0, "1/60 sec"},
      {"%s%s", "ab", 0, "abab"},
      {"100%%", "", 0, "100%"},
      {"%d %n %x %p %", "", 1, "%d %n %x %p %"},
      {"%999f", "", 1, "%999f"},  // three digits of width are no pattern
      {"", "x", 1, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(applyFormatPattern(c.pattern, c.text, c.value), c.expected) << c.pattern;
}

TEST(TagValues, ValueLists) {
  const std::string light = lookupTagDef(0x9208, MainDirectory).ValueList;
  EXPECT_EQ(decodeValueList(light, "1"), "Daylight");
  EXPECT_EQ(decodeValueList(light, "10"), "Flash");  // not the "0:" item inside "10:"
  EXPECT_EQ(decodeValueList(light, "0"), "Unidentified");
  EXPECT_EQ(decodeValueList(light, " 17 "), "Std A");
  EXPECT_EQ(decodeValueList(light, "19"), "Std C");
  EXPECT_EQ(decodeValueList(light, "4"), "");
  EXPECT_EQ(decodeValueList(light, ""), "");
  EXPECT_EQ(decodeValueList("1:Monochrome, 2:RGB, 6:YCbCr", "6"), "YCbCr");
  EXPECT_EQ(decodeValueList("1:Monochrome, 2:RGB, 6:YCbCr", "1"), "Monochrome");
  EXPECT_EQ(decodeValueList("5:Creative(slow),6:Action(high-speed)", "6"), "Action(high-speed)");
  EXPECT_EQ(decodeValueList("", "1"), "");
  EXPECT_EQ(decodeValueList("1", "1"), "");
}

TEST(TagValues, CleanTagText) {
  const std::pair<std::string, std::string> cases[] = {
      {"  Acme  ", "Acme"},
      {std::string("Acme\0\0\0", 7), "Acme"},
      {std::string("Ac\tm\x01" "e", 6), "Acme"},
      {"\"0220\"", "0220"},
      {"\"", "\""},
      {"\"\"", ""},
      {"\"open", "\"open"},
      {std::string(70, 'x'), std::string(64, 'x')},
      // Quotes around a text longer than 64 characters: the closing one is cut off.
      {"\"" + std::string(70, 'x') + "\"", "\"" + std::string(63, 'x')},
      // Characters, not bytes: "é" is two bytes of UTF-8 and stays whole.
      {std::string(63, 'x') + "é" + "yy", std::string(63, 'x') + "é"},
      {"", ""},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(cleanTagText(text), expected) << text;
}

TEST(TagValues, RationalTexts) {
  const std::pair<const char*, double> cases[] = {
      {"28/10", 2.8},   {" 3/4 ", 0.75},  {"1 1/2", 1.5},   {"2 -1/2", 1.5}, {"-1/2", -0.5},
      {"-5906891/1000000", -5.906891},     {"1/0", 0},       {"5", 0},        {"abc", 0},
      {"", 0},          {"1 x/2", 0},     {"x 1/2", 0},     {"1/2/3", 0},    {"1/60, 28/10", 0},
  };
  for (const auto& [text, expected] : cases) EXPECT_DOUBLE_EQ(parseRationalText(text), expected) << text;
}

TEST(TagDecoders, ComponentsConfiguration) {
  EXPECT_EQ(decodeComponents("\"\x01\x02\x03\""), "YCbCr");
  EXPECT_EQ(decodeComponents("\"\x04\x05\x06\x01\""), "RGBY");
  EXPECT_EQ(decodeComponents("\"\x07\x01\""), "Y");
  EXPECT_EQ(decodeComponents("\"\""), "");
  EXPECT_EQ(decodeComponents(""), "");
}

TEST(TagDecoders, ShutterSpeed) {
  const std::pair<const char*, const char*> cases[] = {
      {"6/1", "0.0156 sec (1/64)"},
      {"5906891/1000000", "0.0167 sec (1/60)"},
      {"1/1", "0.5000 sec (1/2)"},
      {"0/1", "1.0000 sec"},
      {"-1/1", "2.0000 sec"},
      {"junk", "1.0000 sec"},
      {"5000/1", "0.0000 sec"},
      {"-5000/1", "-5000/1"},  // no finite time
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(decodeShutterSpeed(text), expected) << text;
}

TEST(TagDecoders, Flash) {
  const std::pair<const char*, const char*> cases[] = {
      {"0", "Off"},
      {"1", "On"},
      {"25", "On, auto mode"},  // 0x19
      {"16", "Off, surpressed"},
      {"3", "On, UNKNOWN"},
      {"5", "On, no strobe return"},
      {"7", "On, strobe return"},
      {"9", "On, forced"},
      {"32", "Off, no flash function"},
      {"65", "On, red-eye reduction"},
      {"95", "On, strobe return, auto mode, red-eye reduction"},
      {" 24 ", "Off, auto mode"},
      {"x", "x"},
      {"25, 0", "25, 0"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(decodeFlash(text), expected) << text;
}

TEST(TagDecoders, UserCommentDropsTheCharacterCode) {
  EXPECT_EQ(decodeUserComment(std::string("ASCII\0\0\0Hi", 10)), "Hi");
  EXPECT_EQ(decodeUserComment("short"), "");
}

TEST(TagDecoders, WindowsTexts) {
  const std::pair<const char*, const char*> cases[] = {
      {"72, 0, 105, 0, 0, 0", "Hi"},
      {"72, 0, 105", "Hi"},
      {"233, 0, 116, 0", "ét"},             // Latin-1 letters become UTF-8
      {"31, 4, 64, 4", "\u041F\u0440"},     // and so do letters beyond it
      {"61, 216, 0, 222", "\U0001F600"},   // a surrogate pair
      {"x, 0, 65, 0", "A"},
      {"", ""},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(decodeXpText(text), expected) << text;
}

TEST(TagDecoders, GpsCoordinates) {
  struct Case {
    const char* text;
    int format;
    const char* expected;
  };
  const Case cases[] = {
      {"52/1, 31/1, 1234/100", 0, "52.520094"},
      {"52/1, 31/1, 1234/100", 1, "52.5201 Decimal Degrees"},
      {"52/1, 31/1, 1234/100", 2, "52 Degrees 31.21 Minutes"},
      {"52/1, 31/1, 1234/100", 3, "52 Degrees 31 Minutes 12 Seconds"},
      // Seconds 0: the minutes' fraction gives them.
      {"52/1, 3125/100, 0/1", 3, "52 Degrees 31 Minutes 15 Seconds"},
      {"52/1, 3125/100, 0/1", 0, "52.520833"},
      {"13/1", 0, "13.000000"},
      {"junk", 0, "0.000000"},
  };
  for (const Case& c : cases) EXPECT_EQ(gpsCoordinateText(c.text, c.format), c.expected) << c.text;
  EXPECT_EQ(decodeGpsCoordinate("52/1, 31/1, 1234/100"), "52.520094");
}

TEST(TagDecoders, GpsTime) {
  EXPECT_EQ(decodeGpsTime("14/1, 30/1, 5/1"), "14:30:5");
  EXPECT_EQ(decodeGpsTime("14/1, 3000/100, 5999/100"), "14:30:60");
  EXPECT_EQ(decodeGpsTime("9/1"), "9:0:0");
}

TEST(TagDecoders, UserCommentText) {
  const auto unicode = [](std::u16string_view text, bool bigEndian) {
    std::string out("UNICODE\0", 8);
    for (const char16_t unit : text) out += u16(unit, bigEndian);
    return out;
  };
  EXPECT_EQ(userCommentText(std::string("ASCII\0\0\0Hello", 13), false), "Hello");
  EXPECT_EQ(userCommentText(std::string("ASCII\0\0\0Hello  \0\0", 17), false), "Hello");
  EXPECT_EQ(userCommentText(std::string(8, '\0') + " Hi ", false), "Hi");
  EXPECT_EQ(userCommentText(unicode(u"Héllo", false), false), "Héllo");
  EXPECT_EQ(userCommentText(unicode(std::u16string(u"Héllo\0", 6), true), true), "Héllo");
  EXPECT_EQ(userCommentText(unicode(u"\uFEFFHi", true), false), "Hi");  // the mark says big-endian
  EXPECT_EQ(userCommentText(std::string("ASCII\0\0\0", 8), false), "");
  EXPECT_EQ(userCommentText("", false), "");
}

TEST(TagTexts, ReportLines) {
  EXPECT_EQ(reportLine(0x829A, "Exposure Time", "1/60 sec", 8, 100, 0), "\r\nExposure Time=1/60 sec");
  EXPECT_EQ(reportLine(0x829A, "Exposure Time", "1/60 sec", 8, 100, 1),
            "\r\ntag[$829A]: Exposure Time=1/60 sec [size: 8] [start: 100]");
  EXPECT_EQ(reportLine(0x0001, "GPSLatitude Ref", "", 2, 0, 1), "\r\ntag[$0001]: GPSLatitude Ref= [size: 2] [start: 0]");
}

}  // namespace
