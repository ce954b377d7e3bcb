// The tag tables: order, counts, the rows that carry value lists, format
// patterns, decoders and preset titles, the titles made from names, and
// the lookup by number and kind.
#include <gtest/gtest.h>

#include <set>

#include "exif/image_info.h"
#include "exif/tag_tables.h"

using namespace zantrel;

namespace {

class TagTables : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { TImageInfo::makeTitles(); }
};

template <size_t N>
void expectAscendingRows(const std::array<TTagEntry, N>& table, size_t rows) {
  for (size_t i = 0; i < rows; ++i) {
    const TTagEntry& row = table[i];
    if (i > 0) {
      EXPECT_LT(table[i - 1].Number, row.Number) << row.Name;  // ascending, so no number twice
    }
    EXPECT_FALSE(row.Name.empty()) << i;
    EXPECT_FALSE(row.Title.empty()) << row.Name;
    // Rows are definitions; the fields of a read entry stay empty.
    EXPECT_EQ(row.ValueType, 0) << row.Name;
    EXPECT_TRUE(row.Text.empty() && row.RawBytes.empty()) << row.Name;
    EXPECT_EQ(row.ValuePos, 0) << row.Name;
  }
}

TEST_F(TagTables, RowsAscendWithoutDuplicatesInTheStatedCounts) {
  static_assert(TagTable.size() == 251 && GpsTagTable.size() == 30);
  expectAscendingRows(TagTable, TagTableRows);
  expectAscendingRows(GpsTagTable, GpsTagTableRows);
  EXPECT_EQ(TagTable.front().Number, 0x0001);
  EXPECT_EQ(TagTable[TagTableRows - 1].Number, 0xA420);
  EXPECT_EQ(GpsTagTable.front().Number, 0x0000);
  EXPECT_EQ(GpsTagTable.back().Number, 0x001D);
  const TTagEntry& unknown = TagTable.back();
  EXPECT_EQ(unknown.Number, 0);
  EXPECT_EQ(unknown.Name, "Unknown");
  EXPECT_EQ(unknown.Title, "Unknown");
}

TEST_F(TagTables, NamesAsListed) {
  // Spot checks across the table, the names that look misspelt included:
  // they are the names callers ask for.
  const std::pair<uint16_t, const char*> main[] = {
      {0x000B, "ACDComment"},         {0x0122, "GrayReponseUnit"},   {0x0152, "ExtraSample"},
      {0x02BC, "ExtensibleMetadataPlatform"}, {0x503B, "ThumbnailCopyRight"}, {0x83BB, "IPTC/NAA"},
      {0x8825, "GPSInfo"},            {0x920B, "FlashEnergy"},       {0xA20B, "FlashEnergy"},
      {0x9216, "TIFF/EPStandardID"},  {0xA405, "FocalLengthin35mmFilm"}, {0xA420, "ImageUniqueID"},
  };
  for (const auto& [number, name] : main) EXPECT_EQ(lookupTagDef(number, MainDirectory).Name, name);
  EXPECT_EQ(lookupTagDef(0x0017, GpsDirectory).Name, "GPSDestBearingkRef");
  EXPECT_EQ(lookupTagDef(0x001D, GpsDirectory).Name, "GPSDateStamp");
}

TEST_F(TagTables, ValueListsPatternsDecodersAndPresetTitlesWhereListed) {
  struct Row {
    int kind;
    uint16_t number;
    const char* valueList;
    const char* pattern;
    TagDecoder decoder;
  };
  const char* const resolutionUnits = "1:None Specified,2:Inch,3:Centimeter";
  const char* const softHard = "0:Normal,1:Soft,2:Hard";
  const Row rows[] = {
      {MainDirectory, 0x0103, "6:Jpeg,3:Uncompressed,1:TIFF", "", nullptr},
      {MainDirectory, 0x0106, "1:Monochrome, 2:RGB, 6:YCbCr", "", nullptr},
      {MainDirectory, 0x0112, "1:Normal,3:Rotated 180°,6:CounterClockwise 90°,8:Clockwise 90°", "", nullptr},
      {MainDirectory, 0x0128, resolutionUnits, "", nullptr},
      {MainDirectory, 0x9210, resolutionUnits, "", nullptr},
      {MainDirectory, 0xA210, resolutionUnits, "", nullptr},
      {MainDirectory, 0x0213, "1:Centered,2:Co-sited", "", nullptr},
      {MainDirectory, 0x8822,
       "0:Unidentified,1:Manual,2:Normal,3:Aperture priority,4:Shutter priority,5:Creative(slow),"
       "6:Action(high-speed),7:Portrait mode,8:Landscape mode",
       "", nullptr},
      {MainDirectory, 0x9207, "0:Unknown,1:Average,2:Center,3:Spot,4:MultiSpot,5:MultiSegment,6:Partial", "",
       nullptr},
      {MainDirectory, 0x9208, "0:Unidentified,1:Daylight,2:Fluorescent,3:Tungsten,10:Flash,17:Std A,18:Std B,19:Std C",
       "", nullptr},
      {MainDirectory, 0xA001, "0:sBW,1:sRGB", "", nullptr},
      {MainDirectory, 0xA217,
       "0:Unknown,1:MonochromeArea,2:OneChipColorArea,3:TwoChipColorArea,4:ThreeChipColorArea,"
       "5:ColorSequentialArea,6:MonochromeLinear,7:TriLinear,8:ColorSequentialLinear",
       "", nullptr},
      {MainDirectory, 0xA300, "1:Unknown,3:Digital Still Camera", "", nullptr},
      {MainDirectory, 0xA301, "0:Unknown,1:Directly Photographed", "", nullptr},
      {MainDirectory, 0xA401, "0:Normal process,1:Custom process", "", nullptr},
      {MainDirectory, 0xA402, "0:Auto,1:Manual,2:Auto bracket", "", nullptr},
      {MainDirectory, 0xA403, "0:Auto,1:Manual", "", nullptr},
      {MainDirectory, 0xA406, "0:Standard,1:Landscape,2:Portrait,3:Night scene", "", nullptr},
      {MainDirectory, 0xA407, "0:None,1:Low gain up,2:High gain up,3:Low gain down,4:High gain down", "", nullptr},
      {MainDirectory, 0xA408, softHard, "", nullptr},
      {MainDirectory, 0xA40A, softHard, "", nullptr},
      {MainDirectory, 0xA409, "0:Normal,1:Low,2:High", "", nullptr},
      {MainDirectory, 0xA40C, "0:Unknown,1:Macro,2:Close view,3:Distant view", "", nullptr},
      {GpsDirectory, 0x0005, "0:Sealevel", "", nullptr},
      {MainDirectory, 0x011A, "", "%5.2f", nullptr},
      {MainDirectory, 0x011B, "", "%5.2f", nullptr},
      {MainDirectory, 0x829A, "", "%s sec", nullptr},
      {MainDirectory, 0x829D, "", "F%0.1f", nullptr},
      {MainDirectory, 0x9202, "", "F%0.1f", nullptr},
      {MainDirectory, 0x9205, "", "F%0.1f", nullptr},
      {MainDirectory, 0x920A, "", "%5.2f mm", nullptr},
      {MainDirectory, 0xA405, "", "%5.2f mm", nullptr},
      {GpsDirectory, 0x0006, "", "%1.0f", nullptr},
      {GpsDirectory, 0x0011, "", "%1.0f", nullptr},
      {MainDirectory, 0x9101, "", "", decodeComponents},
      {MainDirectory, 0x9201, "", "", decodeShutterSpeed},
      {MainDirectory, 0x9209, "", "", decodeFlash},
      {MainDirectory, 0x9286, "", "", decodeUserComment},
      {MainDirectory, 0x9C9B, "", "", decodeXpText},
      {MainDirectory, 0x9C9C, "", "", decodeXpText},
      {MainDirectory, 0x9C9D, "", "", decodeXpText},
      {MainDirectory, 0x9C9E, "", "", decodeXpText},
      {MainDirectory, 0x9C9F, "", "", decodeXpText},
      {GpsDirectory, 0x0002, "", "", decodeGpsCoordinate},
      {GpsDirectory, 0x0004, "", "", decodeGpsCoordinate},
      {GpsDirectory, 0x0014, "", "", decodeGpsCoordinate},
      {GpsDirectory, 0x0016, "", "", decodeGpsCoordinate},
      {GpsDirectory, 0x0007, "", "", decodeGpsTime},
  };
  std::set<std::pair<int, uint16_t>> listed;
  for (const Row& r : rows) {
    const TTagEntry def = lookupTagDef(r.number, r.kind);
    SCOPED_TRACE(def.Name);
    EXPECT_FALSE(isUnknownTag(def));
    EXPECT_EQ(def.ValueList, r.valueList);
    EXPECT_EQ(def.FormatPattern, r.pattern);
    EXPECT_EQ(def.Decoder, r.decoder);
    listed.insert({r.kind, r.number});
  }
  // No other row has any of them.
  for (size_t i = 0; i <= TagTableRows; ++i) {
    const TTagEntry& row = TagTable[i];
    if (listed.count({MainDirectory, row.Number}) == 0) {
      EXPECT_TRUE(row.ValueList.empty() && row.FormatPattern.empty() && !row.Decoder) << row.Name;
    }
  }
  for (const TTagEntry& row : GpsTagTable) {
    if (listed.count({GpsDirectory, row.Number}) == 0) {
      EXPECT_TRUE(row.ValueList.empty() && row.FormatPattern.empty() && !row.Decoder) << row.Name;
    }
  }
}

TEST_F(TagTables, TitlesArePresetOrMadeFromTheNames) {
  EXPECT_EQ(lookupTagDef(0x83BB, MainDirectory).Title, "IPTC/NAA");
  EXPECT_EQ(lookupTagDef(0xA216, MainDirectory).Title, "TIFF/EPStandardID");
  EXPECT_EQ(lookupTagDef(0xA405, MainDirectory).Title, "Focal Length in 35mm Film");
  EXPECT_EQ(lookupTagDef(0x8822, MainDirectory).Title, "Exposure Program");
  EXPECT_EQ(lookupTagDef(0x0002, GpsDirectory).Title, "GPSLatitude");
  EXPECT_EQ(lookupTagDef(0x0001, GpsDirectory).Title, "GPSLatitude Ref");

  const std::pair<const char*, const char*> names[] = {
      {"ExposureProgram", "Exposure Program"},
      {"GPSLatitude", "GPSLatitude"},
      {"DateTimeOriginal", "Date Time Original"},
      {"T4Options", "T4 Options"},
      {"XResolution", "XResolution"},
      {"FNumber", "FNumber"},
      {"YCbCrPositioning", "YCb Cr Positioning"},
      {"", ""},
  };
  for (const auto& [name, title] : names) EXPECT_EQ(titleFromName(name), title) << name;
}

TEST_F(TagTables, LookupByNumberAndKind) {
  EXPECT_EQ(lookupTagDef(0x0001, MainDirectory).Name, "InteroperabilityIndex");
  EXPECT_EQ(lookupTagDef(0x0001, ThumbDirectory).Name, "InteroperabilityIndex");
  EXPECT_EQ(lookupTagDef(0x0001, GpsDirectory).Name, "GPSLatitudeRef");
  // GPS tags have their own numbers; main tags are unknown there.
  EXPECT_EQ(lookupTagDef(0x0000, GpsDirectory).Name, "GPSVersionID");
  EXPECT_EQ(lookupTagDef(0x8769, GpsDirectory).Name, "Unknown");
  EXPECT_EQ(lookupTagDef(0x0000, MainDirectory).Name, "Unknown");
  EXPECT_EQ(lookupTagDef(0xFFFF, MainDirectory).Name, "Unknown");
  EXPECT_EQ(lookupTagDef(0x0110, 3).Name, "Unknown");  // no table for other kinds
  EXPECT_EQ(lookupTagDef(0x0110, 0).Name, "Unknown");
  EXPECT_TRUE(isUnknownTag(lookupTagDef(0x1234, MainDirectory)));
  EXPECT_FALSE(isUnknownTag(lookupTagDef(0x0000, GpsDirectory)));
  // By name, ignoring case; the first of two rows of one name.
  EXPECT_EQ(tagDefByName("FocalLengthIn35mmFilm").Number, 0xA405);
  EXPECT_EQ(tagDefByName("flashenergy").Number, 0x920B);
  EXPECT_EQ(tagDefByName("NoSuchTag").Name, "Unknown");
}

}  // namespace
