// Entry texts, report lines and entry lists as the directory walk builds
// them, and the derived 35 mm focal length.
#include <gtest/gtest.h>

#include <memory>

#include "exif/exif_data.h"
#include "exif/image_info.h"
#include "exif/tag_tables.h"
#include "support/exif_builder.h"

using namespace zantrel;
using namespace testing_support;

namespace {

constexpr uint16_t TagXpTitle = 0x9C9B;
constexpr uint16_t TagUserComment = 0x9286;
constexpr uint16_t TagComponents = 0x9101;
constexpr uint16_t TagShutterSpeed = 0x9201;
constexpr uint16_t TagFocalPlaneX = 0xA20E;
constexpr uint16_t TagFocalPlaneY = 0xA20F;
constexpr uint16_t TagFocalPlaneUnit = 0xA210;
constexpr uint16_t TagFileSource = 0xA300;
constexpr uint16_t TagSceneType = 0xA301;
constexpr uint16_t TagFocalLength35 = 0xA405;
constexpr uint16_t TagGpsVersion = 0x0000;
constexpr uint16_t TagGpsAltitudeRef = 0x0005;
constexpr uint16_t TagGpsAltitude = 0x0006;
constexpr uint16_t TagGpsTimeStamp = 0x0007;

// Scanned and parsed as the rename engine does.
std::unique_ptr<TimgData> walk(const std::string& tiff, bool asTiff = false, int buildCode = BuildEverything) {
  auto data = std::make_unique<TimgData>(buildCode);
  data->scanBytes(asTiff ? tiff : JpegBuilder().app1Exif(tiff).build(), asTiff);
  if (data->hasExif()) data->parseExifBlock();
  return data;
}

// The lines of a report text, each without its leading CR LF.
std::vector<std::string> reportLines(const std::string& report) {
  std::vector<std::string> lines;
  size_t from = 0;
  while ((from = report.find("\r\n", from)) != std::string::npos) {
    from += 2;
    const size_t end = report.find("\r\n", from);
    lines.push_back(report.substr(from, end == std::string::npos ? std::string::npos : end - from));
  }
  return lines;
}

TEST(TagEntries, AsciiValuesLoseOneTrailingZeroByte) {
  TImageInfo reader(nullptr, BuildEverything);
  const std::string withZero("2013:04:12 15:30:45\0", 20);
  EXPECT_EQ(reader.buildEntryText(0x0132, 2, withZero, 50, 20, MainDirectory), "2013:04:12 15:30:45");
  EXPECT_EQ(reader.buildEntryText(0x010E, 2, "ABCDEFGHIJKLMNOPQRST", 70, 20, MainDirectory), "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(reader.buildEntryText(0x010E, 2, "", 90, 0, MainDirectory), "");
  EXPECT_EQ(reportLines(reader.ReportText),
            (std::vector<std::string>{"Date Time=2013:04:12 15:30:45", "Image Description=ABCDEFGHIJKLMNOPQRST",
                                      "Image Description="}));
}

TEST(TagEntries, CameraFileTextsAndEntries) {
  for (const bool asTiff : {false, true}) {
    for (const bool bigEndian : {false, true}) {
      SCOPED_TRACE(std::string(bigEndian ? "MM" : "II") + (asTiff ? " tiff" : " jpeg"));
      CameraShot shot;
      shot.bigEndian = bigEndian;
      const auto data = walk(cameraTiff(shot), asTiff);
      const TImageInfo& r = *data->TagReader;
      const std::pair<const char*, const char*> texts[] = {
          {"Make", "Acme"},
          {"Orientation", "Normal"},
          {"XResolution", "72.00"},
          {"ResolutionUnit", "Inch"},
          {"DateTime", "2013:04:12 18:00:00"},
          {"ExposureTime", "1/60 sec"},
          {"FNumber", "F2.8"},
          {"ExifVersion", "0220"},
          {"DateTimeOriginal", "2013:04:12 15:30:45"},
          {"Flash", "On, auto mode"},
          {"FocalLength", "5.80 mm"},  // texts are trimmed
          {"ExifImageWidth", "4000"},
          {"InteroperabilityIndex", "R98"},
          {"GPSLatitudeRef", "N"},
          {"GPSLatitude", "52.520094"},
      };
      for (const auto& [name, text] : texts) EXPECT_EQ(r.tagValueByName(name), text) << name;

      const TTagEntry& fNumber = r.Tags.at(static_cast<size_t>(r.tagIndexByName("FNumber")));
      EXPECT_EQ(fNumber.Number, 0x829D);
      EXPECT_EQ(fNumber.Title, "FNumber");
      EXPECT_EQ(fNumber.FormatPattern, "F%0.1f");
      EXPECT_EQ(fNumber.ValueType, TiffRational);
      EXPECT_EQ(fNumber.RawBytes, u32(28, bigEndian) + u32(10, bigEndian));
      EXPECT_EQ(fNumber.RawLength, 8);
      EXPECT_EQ(r.dateTextAt(r.Tags.at(static_cast<size_t>(r.tagIndexByName("DateTimeOriginal"))).ValuePos),
                "2013:04:12 15:30:45");

      const std::vector<std::string> lines = reportLines(r.ReportText);
      ASSERT_GE(lines.size(), 3u);
      EXPECT_EQ(lines[0], "Make=Acme");
      EXPECT_EQ(lines[2], "Orientation=Normal");
      EXPECT_TRUE(r.ThumbReportText.empty());
      EXPECT_TRUE(r.ThumbTags.empty());
    }
  }
}

TEST(TagEntries, BuildCodeChoosesTextsAndLists) {
  const std::string tiff = cameraTiff();
  struct Case {
    int code;
    bool report;
    bool lists;
    const char* flashText;
  };
  const Case cases[] = {
      {BuildEverything, true, true, "On, auto mode"},
      {BuildTexts, true, false, ""},
      {BuildLists, false, true, ""},
      {0, false, false, ""},
  };
  for (const Case& c : cases) {
    const auto data = walk(tiff, true, c.code);
    const TImageInfo& r = *data->TagReader;
    EXPECT_EQ(!r.ReportText.empty(), c.report) << c.code;
    EXPECT_EQ(!r.Tags.empty(), c.lists) << c.code;
    EXPECT_EQ(r.tagValueByName("Flash"), c.flashText) << c.code;
  }
}

TEST(TagEntries, UnknownTagsAreReportedButNotKept) {
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  const int gps = t.addDirectory();
  t.shorts(ifd0, 0x1234, {7}).ascii(ifd0, TagMake, "Acme").pointer(ifd0, TagGpsInfo, gps);
  t.entry(gps, TagGpsVersion, TiffByte, 4, std::string("\x02\x02\0\0", 4));
  t.shorts(gps, 0x0100, {1});  // a main tag has no place in a GPS directory
  const auto data = walk(t.build(), true);
  const TImageInfo& r = *data->TagReader;
  const std::string gpsOffset = std::to_string(t.offsetOf(gps));
  EXPECT_EQ(reportLines(r.ReportText), (std::vector<std::string>{"Unknown=7", "Make=Acme", "GPSInfo=" + gpsOffset,
                                                                 "GPSVersion ID=2, 2, 0, 0", "Unknown=1"}));
  std::vector<uint16_t> kept;
  for (const TTagEntry& e : r.Tags) kept.push_back(e.Number);
  // GPSVersionID is a known tag, although its number is 0.
  // A pointer entry is kept after the directory it points at.
  EXPECT_EQ(kept, (std::vector<uint16_t>{TagMake, TagGpsVersion, TagGpsInfo}));
  EXPECT_EQ(r.tagIndexByName("Unknown"), -1);
}

TEST(TagEntries, DecodedValuesInAFile) {
  for (const bool bigEndian : {false, true}) {
    TiffBuilder t(bigEndian);
    const int ifd0 = t.addDirectory();
    const int exif = t.addDirectory();
    const int gps = t.addDirectory();
    t.pointer(ifd0, TagExifOffset, exif).pointer(ifd0, TagGpsInfo, gps);
    t.entry(ifd0, TagXpTitle, TiffByte, 8, std::string("T\0i\0\xE9\0\0\0", 8));
    t.undefined(exif, TagComponents, std::string("\x01\x02\x03\0", 4));
    t.entry(exif, TagShutterSpeed, TiffSRational, 1, u32(6, bigEndian) + u32(1, bigEndian));
    t.undefined(exif, TagFileSource, "\x03");
    t.undefined(exif, TagSceneType, "\x01");
    t.shorts(exif, TagFocalPlaneUnit, {3});
    t.entry(gps, TagGpsAltitudeRef, TiffByte, 1, std::string(1, '\0'));
    t.rational(gps, TagGpsAltitude, 1234, 10);
    t.entry(gps, TagGpsTimeStamp, TiffRational, 3,
            u32(14, bigEndian) + u32(1, bigEndian) + u32(30, bigEndian) + u32(1, bigEndian) + u32(5, bigEndian) +
                u32(1, bigEndian));
    const auto data = walk(t.build(), false);
    const TImageInfo& r = *data->TagReader;
    const std::pair<const char*, const char*> texts[] = {
        {"Title", "Tié"},
        {"ComponentsConfiguration", "YCbCr"},
        {"ShutterSpeedValue", "0.0156 sec (1/64)"},
        {"FileSource", "Digital Still Camera"},
        {"SceneType", "Directly Photographed"},
        {"FocalPlaneResolutionUnit", "Centimeter"},
        {"GPSAltitudeRef", "Sealevel"},
        {"GPSAltitude", "123"},
        {"GPSTimeStamp", "14:30:5"},
    };
    for (const auto& [name, text] : texts) EXPECT_EQ(r.tagValueByName(name), text) << name << bigEndian;
  }
}

TEST(TagEntries, UserComment) {
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  const int exif = t.addDirectory();
  t.pointer(ifd0, TagExifOffset, exif);
  const std::string comment = std::string("ASCII\0\0\0", 8) + "A walk in the park";
  t.undefined(exif, TagUserComment, comment);
  const auto data = walk(t.build(), true);
  const TImageInfo& r = *data->TagReader;
  EXPECT_EQ(r.CommentText, "A walk in the park");
  EXPECT_EQ(r.tagValueByName("UserComment"), "A walk in the park");
  EXPECT_EQ(r.CommentLength, 26 - 9);
  ASSERT_GT(r.CommentPos, 0);
  EXPECT_EQ(r.Bytes.substr(static_cast<size_t>(r.CommentPos - 1), 26), comment);
  EXPECT_NE(r.ReportText.find("\r\nUser Comment=A walk in the park"), std::string::npos);

  // A comment too short for its character code leaves an empty text.
  TImageInfo reader(nullptr, BuildEverything);
  EXPECT_EQ(reader.buildEntryText(TagUserComment, 7, "ASCII", 40, 5, MainDirectory), "");
  EXPECT_EQ(reader.CommentLength, 0);
  EXPECT_EQ(reader.CommentPos, 40);
}

TEST(TagEntries, ThumbnailKindGoesToItsOwnReportAndList) {
  TImageInfo reader(nullptr, BuildEverything);
  const std::string text = reader.buildEntryText(TagCompression, 3, u16(6, false), 30, 2, ThumbDirectory);
  EXPECT_EQ(text, "Jpeg");
  reader.storeEntry(TagCompression, text, u16(6, false), 30, 3, ThumbDirectory);
  EXPECT_EQ(reader.ThumbReportText, "\r\nCompression=Jpeg");
  EXPECT_TRUE(reader.ReportText.empty());
  ASSERT_EQ(reader.ThumbTags.size(), 1u);
  EXPECT_TRUE(reader.Tags.empty());
  EXPECT_EQ(reader.ThumbTags[0].Text, "Jpeg");
  EXPECT_EQ(reader.ThumbTags[0].ValuePos, 30);

  TTagEntry unknown = lookupTagDef(0x4321, MainDirectory);
  EXPECT_EQ(reader.addThumbTag(unknown), -1);
  EXPECT_EQ(reader.addTag(unknown), -1);
  EXPECT_EQ(reader.addTag(lookupTagDef(TagMake, MainDirectory)), 0);
  EXPECT_EQ(reader.addTag(lookupTagDef(TagModel, MainDirectory)), 1);
}

TEST(TagEntries, ValuesOverlappingWithoutEndAreNotKeptForever) {
  // Two thousand text entries that all cover the whole block: a sane file
  // never comes near what the reader keeps, a hostile one stops there.
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  for (int i = 0; i < 2000; ++i) t.rawEntry(ifd0, 0x010E, TiffAscii, 1000000, 8);
  t.ascii(ifd0, TagDateTime, "2009:01:01 00:00:00");
  const std::string tiff = t.build();
  const auto data = walk(tiff, true);
  const TImageInfo& r = *data->TagReader;
  EXPECT_GT(r.Tags.size(), 10u);
  EXPECT_LT(r.Tags.size(), 2000u);
  size_t kept = 0;
  for (const TTagEntry& e : r.Tags) kept += e.RawBytes.size();
  EXPECT_LE(kept, static_cast<size_t>(MaxKeptBytes) + tiff.size());
  EXPECT_LT(r.ReportText.size(), 2000u * 80);
  // The facts do not depend on texts.
  EXPECT_DOUBLE_EQ(r.exifDateTime(), encodeDateTime(2009, 1, 1));
}

struct FocalCase {
  const char* what;
  int planeUnit;       // 0: no FocalPlaneResolutionUnit entry
  int resolutionUnit;  // 0: no ResolutionUnit entry
  uint32_t focalTenths;
  uint32_t xResolution, yResolution;  // 0: no entry
  uint32_t width, height;
  bool stated35;
  const char* expected;  // nullptr: nothing derived
};

TEST(TagEntries, DerivedFocalLengthIn35mmFilm) {
  const FocalCase cases[] = {
      {"inch", 2, 0, 58, 4000, 4000, 4000, 3000, false, " 7.90"},
      {"centimetre, full frame", 3, 0, 500, 1000, 1000, 3600, 2400, false, "50.00"},
      {"unit from ResolutionUnit", 0, 3, 500, 1000, 1000, 3600, 2400, false, "50.00"},
      {"plane unit wins", 2, 3, 58, 4000, 4000, 4000, 3000, false, " 7.90"},
      {"plane unit 1, none specified", 1, 2, 58, 4000, 4000, 4000, 3000, false, nullptr},
      {"no unit", 0, 0, 58, 4000, 4000, 4000, 3000, false, nullptr},
      {"no focal length", 2, 0, 0, 4000, 4000, 4000, 3000, false, nullptr},
      {"no plane resolution", 2, 0, 58, 0, 0, 4000, 3000, false, nullptr},
      {"one plane resolution", 2, 0, 58, 4000, 0, 4000, 3000, false, nullptr},
      {"stated already", 2, 0, 58, 4000, 4000, 4000, 3000, true, "28.00 mm"},
  };
  for (const FocalCase& c : cases) {
    SCOPED_TRACE(c.what);
    TiffBuilder t;
    const int ifd0 = t.addDirectory();
    const int exif = t.addDirectory();
    if (c.resolutionUnit) t.shorts(ifd0, TagResolutionUnit, {static_cast<uint16_t>(c.resolutionUnit)});
    t.pointer(ifd0, TagExifOffset, exif);
    if (c.focalTenths) t.rational(exif, TagFocalLength, c.focalTenths, 10);
    if (c.planeUnit) t.shorts(exif, TagFocalPlaneUnit, {static_cast<uint16_t>(c.planeUnit)});
    if (c.xResolution) t.rational(exif, TagFocalPlaneX, c.xResolution, 1);
    if (c.yResolution) t.rational(exif, TagFocalPlaneY, c.yResolution, 1);
    t.longValue(exif, TagExifImageWidth, c.width).longValue(exif, TagExifImageLength, c.height);
    if (c.stated35) t.shorts(exif, TagFocalLength35, {28});
    for (const bool asTiff : {false, true}) {
      const auto data = walk(t.build(), asTiff);
      const TImageInfo& r = *data->TagReader;
      const int i = r.tagIndexByName("FocalLengthin35mmFilm");
      if (!c.expected) {
        EXPECT_EQ(i, -1);
        continue;
      }
      ASSERT_GE(i, 0);
      const TTagEntry& e = r.Tags[static_cast<size_t>(i)];
      EXPECT_EQ(e.Text, c.expected);
      if (c.stated35) continue;
      EXPECT_EQ(e.Number, TagFocalLength35);
      EXPECT_EQ(e.ValueType, 10);
      EXPECT_EQ(e.FormatPattern, "%s mm");
      EXPECT_TRUE(e.RawBytes.empty());
      // A JPEG's second parse starts its report afresh.
      if (asTiff) {
        EXPECT_EQ(reportLines(r.ReportText).back(), std::string("Focal Length in 35mm Film=") + c.expected);
      }
      // Derived once, although a JPEG's block is parsed twice.
      int derived = 0;
      for (const TTagEntry& entry : r.Tags) derived += entry.Number == TagFocalLength35;
      EXPECT_EQ(derived, 1);
    }
  }
}

TEST(TagEntries, CropFallbackWhenTheSensorSizeIsUnknown) {
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  t.shorts(ifd0, TagResolutionUnit, {2}).rational(ifd0, TagFocalLength, 58, 10);
  const auto data = walk(t.build(), true);
  TImageInfo& r = *data->TagReader;
  EXPECT_EQ(r.tagIndexByName("FocalLengthin35mmFilm"), -1);  // the fallback is off
  r.deriveFocalLength35(true);
  EXPECT_EQ(r.tagValueByName("FocalLengthin35mmFilm"), "26.10");
}

}  // namespace
