// The directory walk: fixed facts, pointers between directories, and
// directories and values that lie about their size or place.
#include <gtest/gtest.h>

#include <memory>

#include "exif/exif_data.h"
#include "exif/image_info.h"
#include "lib/datetime.h"
#include "support/exif_builder.h"

using namespace zantrel;
using namespace testing_support;

namespace {

// The TIFF structure inside a JPEG's APP1 segment (asTiff false) or as a
// TIFF-structured file, scanned and parsed as the rename engine does.
std::unique_ptr<TimgData> walk(const std::string& tiff, bool asTiff = false, int buildCode = BuildEverything) {
  auto data = std::make_unique<TimgData>(buildCode);
  data->scanBytes(asTiff ? tiff : JpegBuilder().app1Exif(tiff).build(), asTiff);
  if (data->hasExif()) data->parseExifBlock();
  return data;
}

DateTime dateOf(const TimgData& data) { return data.TagReader ? data.TagReader->exifDateTime() : 0; }

TEST(ExifWalk, BothByteOrdersGiveTheSameFacts) {
  for (bool asTiff : {false, true}) {
    for (bool bigEndian : {false, true}) {
      CameraShot shot;
      shot.bigEndian = bigEndian;
      const auto data = walk(cameraTiff(shot), asTiff);
      const TImageInfo& r = *data->TagReader;
      SCOPED_TRACE(std::string(bigEndian ? "MM" : "II") + (asTiff ? " tiff" : " jpeg"));
      EXPECT_EQ(r.MakeText, "Acme");
      EXPECT_EQ(r.ModelText, "Shooter 5");
      EXPECT_EQ(r.Width, 4000);
      EXPECT_EQ(r.Height, 3000);
      EXPECT_EQ(r.FlashValue, 0x19);
      EXPECT_EQ(r.ExifVersionText, "0220");
      // A JPEG's second parse walks IFD0 again, leaving its DateTime text.
      EXPECT_EQ(r.DateText, asTiff ? "2013:04:12 15:30:45" : "2013:04:12 18:00:00");
      EXPECT_GT(r.DateTimePos, 0);
      EXPECT_GT(r.DateTimeOriginalPos, 0);
      EXPECT_GT(r.DateTimeDigitizedPos, 0);
      EXPECT_EQ(r.dateTextAt(r.DateTimePos), "2013:04:12 18:00:00");
      EXPECT_EQ(r.dateTextAt(r.DateTimeDigitizedPos), "2013:04:12 15:30:46");
      EXPECT_DOUBLE_EQ(r.exifDateTime(), encodeDateTime(2013, 4, 12, 15, 30, 45));
      EXPECT_EQ(r.BigEndian, bigEndian);
      EXPECT_FALSE(r.MakerNoteFound);
      EXPECT_EQ(r.ThumbCompression, 0);  // IFD1 is recorded, not walked
    }
  }
}

TEST(ExifWalk, ThumbnailDirectoryIsRecordedForJpegOnly) {
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  const int ifd1 = t.addDirectory();
  t.ascii(ifd0, TagMake, "Acme").next(ifd0, ifd1);
  t.shorts(ifd1, TagCompression, {6});
  const std::string tiff = t.build();
  const auto jpeg = walk(tiff);
  EXPECT_EQ(jpeg->TagReader->ThumbDirOffset, t.offsetOf(ifd1));
  const int64_t segmentLength = static_cast<int64_t>(jpeg->ExifBlock->Bytes.size());
  EXPECT_EQ(jpeg->TagReader->ThumbDirLength, 9 + (segmentLength - 6) - t.offsetOf(ifd1));
  EXPECT_EQ(walk(tiff, true)->TagReader->ThumbDirOffset, 0);
}

TEST(ExifWalk, ValuesOfUpToFourBytesSitInTheEntry) {
  // The maker note position shows where the walk took the value from.
  for (const uint16_t count : {uint16_t{2}, uint16_t{3}}) {
    TiffBuilder t;
    const int ifd0 = t.addDirectory();
    t.shorts(ifd0, TagMakerNote, std::vector<uint16_t>(count, 0x4142));
    const auto data = walk(t.build());
    const TImageInfo& r = *data->TagReader;
    const int64_t entryValue = 9 + 8 + 2 + 8;  // position of the entry's value field
    if (count == 2) {
      EXPECT_EQ(r.MakerNotePos, entryValue);
    } else {
      EXPECT_EQ(r.MakerNotePos, 9 + 8 + 2 + 12 + 4);  // after the directory
    }
    std::string expected;
    for (int i = 0; i < count; ++i) expected += "BA";  // 0x4142 little-endian
    EXPECT_EQ(r.MakerNoteBytes, expected);
  }
}

TEST(ExifWalk, DateTextEndsAsTheOriginalDate) {
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  const int exif = t.addDirectory();
  t.ascii(ifd0, TagDateTime, "2009:01:01 00:00:00").pointer(ifd0, TagExifOffset, exif);
  t.ascii(exif, TagDateTimeOriginal, "2008:05:17 14:30:00").ascii(exif, TagDateTimeDigitized, "2008:05:18 10:00:00");
  const auto data = walk(t.build());
  const TImageInfo& r = *data->TagReader;
  EXPECT_EQ(r.dateTextAt(r.DateTimePos), "2009:01:01 00:00:00");
  EXPECT_EQ(r.dateTextAt(r.DateTimeOriginalPos), "2008:05:17 14:30:00");
  EXPECT_EQ(r.dateTextAt(r.DateTimeDigitizedPos), "2008:05:18 10:00:00");
  EXPECT_DOUBLE_EQ(r.exifDateTime(), encodeDateTime(2008, 5, 17, 14, 30, 0));
  // The engine's second parse walks IFD0 again but not the EXIF directory:
  // the positions stay and DateText holds the DateTime text.
  EXPECT_EQ(r.DateText, "2009:01:01 00:00:00");
}

TEST(ExifWalk, DatePreference) {
  struct Case {
    const char* original;
    const char* digitized;
    const char* dateTime;
    DateTime expected;
  };
  const Case cases[] = {
      {"2008:05:17 14:30:00", "2008:05:18 10:00:00", "2009:01:01 00:00:00", encodeDateTime(2008, 5, 17, 14, 30)},
      {"", "2008:05:18 10:00:00", "2009:01:01 00:00:00", encodeDateTime(2008, 5, 18, 10)},
      {"", "", "2009:01:01 00:00:00", encodeDateTime(2009, 1, 1)},
      {"0000:00:00 00:00:00", "2008:05:18 10:00:00", "2009:01:01 00:00:00", 0},  // no fall-back
      {"    :  :     :  :  ", "", "2009:01:01 00:00:00", 0},
      {"2008:05:17 14:30", "", "", 0},  // value too short: the zero byte is no digit
      {"", "", "", 0},
  };
  for (const Case& c : cases) {
    CameraShot shot;
    shot.dateTimeOriginal = c.original;
    shot.dateTimeDigitized = c.digitized;
    shot.dateTime = c.dateTime;
    EXPECT_DOUBLE_EQ(dateOf(*walk(cameraTiff(shot))), c.expected) << c.original << "|" << c.digitized;
  }
}

TEST(ExifWalk, DateValueCutByTheEndOfTheBlock) {
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  t.ascii(ifd0, TagDateTime, "2009:01:01 00:00:00");
  std::string tiff = t.build();
  tiff.resize(tiff.size() - 6);  // the value runs past the end
  const auto data = walk(tiff);
  EXPECT_GT(data->TagReader->DateTimePos, 0);
  EXPECT_EQ(data->TagReader->dateTextAt(data->TagReader->DateTimePos), "2009:01:01 00:");
  EXPECT_EQ(dateOf(*data), 0.0);
}

TEST(ExifWalk, InteroperabilityPointerBackToIfd0IsNotFollowed) {
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  const int exif = t.addDirectory();
  t.ascii(ifd0, TagDateTime, "2009:01:01 00:00:00").pointer(ifd0, TagExifOffset, exif);
  t.ascii(exif, TagDateTimeOriginal, "2008:05:17 14:30:00").pointer(exif, TagInteropOffset, ifd0);
  const std::string tiff = t.build();
  TimgData data(BuildEverything);
  data.scanBytes(JpegBuilder().app1Exif(tiff).build(), false);
  // Walking IFD0 again would have left its DateTime text last.
  EXPECT_EQ(data.TagReader->DateText, "2008:05:17 14:30:00");
  EXPECT_DOUBLE_EQ(dateOf(data), encodeDateTime(2008, 5, 17, 14, 30, 0));
}

TEST(ExifWalk, DirectoriesPointingAtEachOtherEnd) {
  for (bool asTiff : {false, true}) {
    TiffBuilder t(true);
    const int ifd0 = t.addDirectory();
    const int exif = t.addDirectory();
    const int gps = t.addDirectory();
    t.pointer(ifd0, TagExifOffset, exif).pointer(ifd0, TagSubIfds, ifd0);
    t.pointer(exif, TagGpsInfo, gps).ascii(exif, TagDateTimeOriginal, "2008:05:17 14:30:00");
    t.pointer(gps, TagExifOffset, exif).pointer(gps, TagGpsInfo, gps).pointer(gps, TagInteropOffset, ifd0);
    t.ascii(gps, TagMake, "Loop");
    const auto data = walk(t.build(), asTiff);
    EXPECT_EQ(data->TagReader->MakeText, "Loop");
    EXPECT_DOUBLE_EQ(dateOf(*data), encodeDateTime(2008, 5, 17, 14, 30, 0));
  }
}

TEST(ExifWalk, LongChainsOfDirectoriesEnd) {
  // Every directory points at a new one: the walk stops at a fixed depth
  // and keeps what it found on the way.
  TiffBuilder t;
  std::vector<int> dirs;
  for (int i = 0; i < 200; ++i) dirs.push_back(t.addDirectory());
  t.ascii(dirs[0], TagDateTime, "2009:01:01 00:00:00");
  for (int i = 0; i + 1 < 200; ++i) t.pointer(dirs[i], TagExifOffset, dirs[i + 1]);
  t.ascii(dirs[199], TagMake, "Deep");
  const auto data = walk(t.build(), true);
  EXPECT_DOUBLE_EQ(dateOf(*data), encodeDateTime(2009, 1, 1));
  EXPECT_EQ(data->TagReader->MakeText, "");
}

TEST(ExifWalk, ManySubDirectoriesEnd) {
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  t.ascii(ifd0, TagDateTime, "2009:01:01 00:00:00");
  for (int i = 0; i < 400; ++i) {
    const int sub = t.addDirectory();
    t.pointer(ifd0, TagSubIfds, sub);
    t.pointer(sub, TagExifOffset, ifd0);
  }
  EXPECT_DOUBLE_EQ(dateOf(*walk(t.build(), true)), encodeDateTime(2009, 1, 1));
}

TEST(ExifWalk, OversizedDirectoriesAreRejected) {
  // 5000 entries cannot fit in a JPEG segment of a few hundred bytes.
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  t.ascii(ifd0, TagDateTime, "2009:01:01 00:00:00").claimEntries(ifd0, 5000);
  const auto data = walk(t.build());
  EXPECT_EQ(data->Status, "Illegally sized directory");
  EXPECT_EQ(data->TagReader->DateTimePos, 0);
  EXPECT_EQ(dateOf(*data), 0.0);

  // A sub-directory that fails the test leaves the rest of the walk alone.
  TiffBuilder s;
  const int first = s.addDirectory();
  const int exif = s.addDirectory();
  s.pointer(first, TagExifOffset, exif).ascii(first, TagDateTime, "2009:01:01 00:00:00");
  s.ascii(exif, TagDateTimeOriginal, "2008:05:17 14:30:00").claimEntries(exif, 5000);
  const auto partial = walk(s.build());
  EXPECT_EQ(partial->TagReader->DateTimeOriginalPos, 0);
  EXPECT_DOUBLE_EQ(dateOf(*partial), encodeDateTime(2009, 1, 1));
}

TEST(ExifWalk, FiveThousandEntriesInALargeBlock) {
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  for (int i = 0; i < 4999; ++i) t.shorts(ifd0, 0xC000, {static_cast<uint16_t>(i)});
  t.ascii(ifd0, TagDateTime, "2009:01:01 00:00:00");
  EXPECT_DOUBLE_EQ(dateOf(*walk(t.build(), true)), encodeDateTime(2009, 1, 1));
  // In a JPEG the directory fits one segment too.
  EXPECT_DOUBLE_EQ(dateOf(*walk(t.build(), false)), encodeDateTime(2009, 1, 1));
}

TEST(ExifWalk, DirectoryRunningPastTheBlockKeepsItsFirstEntries) {
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  t.ascii(ifd0, TagModel, "M1").ascii(ifd0, TagMake, "Acme").claimEntries(ifd0, 20);
  const auto data = walk(t.build(), true);
  EXPECT_EQ(data->TagReader->ModelText, "M1");
  EXPECT_EQ(data->TagReader->MakeText, "Acme");
}

TEST(ExifWalk, LyingEntriesAreSkipped) {
  for (bool asTiff : {false, true}) {
    TiffBuilder t;
    const int ifd0 = t.addDirectory();
    t.rawEntry(ifd0, TagMake, TiffAscii, 40, 0x7FFFFFF0u);                // value far outside
    t.rawEntry(ifd0, TagModel, TiffAscii, 40, 0xFFFFFFF0u);               // negative offset
    t.rawEntry(ifd0, TagExifOffset, TiffLong, 1, 0x7FFFFFF0u);            // directory outside
    t.rawEntry(ifd0, TagGpsInfo, TiffLong, 1, 0xFFFFFFF9u);               // directory before the block
    t.rawEntry(ifd0, TagMakerNote, TiffDouble, 0xFFFFFFFFu, 8);           // byte count beyond 32 bits
    t.rawEntry(ifd0, TagImageWidth, 0, 5, 640);                           // type 0
    t.rawEntry(ifd0, TagImageLength, 13, 5, 480);                         // type above 12
    t.rawEntry(ifd0, TagFlash, TiffShort, 0, 1);                          // count 0
    t.rawEntry(ifd0, TagExifImageWidth, TiffRational, 1, 0x7FFFFFF0u);    // rational outside
    t.ascii(ifd0, TagDateTime, "2009:01:01 00:00:00");
    const auto data = walk(t.build(), asTiff);
    const TImageInfo& r = *data->TagReader;
    SCOPED_TRACE(asTiff ? "tiff" : "jpeg");
    EXPECT_EQ(r.MakeText, "");
    EXPECT_EQ(r.ModelText, "");
    EXPECT_EQ(r.Width, 0);
    EXPECT_EQ(r.Height, 0);
    EXPECT_EQ(r.FlashValue, 0);
    EXPECT_GT(r.MakerNotePos, 0);
    EXPECT_LE(r.MakerNoteBytes.size(), data->ExifBlock->Bytes.size());
    EXPECT_DOUBLE_EQ(r.exifDateTime(), encodeDateTime(2009, 1, 1));
  }
}

TEST(ExifWalk, FirstDirectoryOffsetZeroOrOutside) {
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  t.ascii(ifd0, TagDateTime, "2009:01:01 00:00:00");
  // Offset 0 means the directory right after the header.
  EXPECT_DOUBLE_EQ(dateOf(*walk(t.firstOffset(0).build())), encodeDateTime(2009, 1, 1));
  for (const uint32_t offset : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFF7u, 0xFFFFFFFFu}) {
    const auto data = walk(t.firstOffset(offset).build());
    EXPECT_TRUE(data->hasExif());
    EXPECT_EQ(dateOf(*data), 0.0) << offset;
  }
}

TEST(ExifWalk, BuildCodeDoesNotChangeTheFacts) {
  const std::string tiff = cameraTiff();
  for (const int code : {0, BuildTexts, BuildLists, BuildEverything}) {
    const auto data = walk(tiff, false, code);
    const TImageInfo& r = *data->TagReader;
    EXPECT_EQ(r.BuildCode, code);
    EXPECT_DOUBLE_EQ(r.exifDateTime(), encodeDateTime(2013, 4, 12, 15, 30, 45)) << code;
    EXPECT_EQ(r.Width, 4000) << code;
    // Texts exist only when they are built.
    EXPECT_EQ(r.MakeText, code == BuildTexts || code == BuildEverything ? "Acme" : "") << code;
  }
}

TEST(ExifWalk, TagLookupByName) {
  TImageInfo reader(nullptr, BuildEverything);
  TTagEntry make;
  make.Name = "Make";
  make.Text = "Acme";
  TTagEntry model;
  model.Name = "Model";
  model.Text = "Shooter";
  reader.Tags = {make, model, make};
  EXPECT_EQ(reader.tagIndexByName("model"), 1);
  EXPECT_EQ(reader.tagIndexByName("MAKE"), 0);
  EXPECT_EQ(reader.tagIndexByName("Flash"), -1);
  EXPECT_EQ(reader.tagValueByName("Model"), "Shooter");
  EXPECT_EQ(reader.tagValueByName("Flash"), "");
}

}  // namespace

namespace {

// Thousands of MakerNote entries over one large value: only the first is
// taken, so the walk does not copy the block once per entry.
TEST(ExifWalk, OnlyTheFirstMakerNoteIsTaken) {
  TiffBuilder tiff;
  const int ifd0 = tiff.addDirectory();
  tiff.ascii(ifd0, TagDateTime, "2013:04:12 15:30:45");
  tiff.addBlob(std::string(30000, 'n'));
  const int notes = tiff.addDirectory();
  tiff.pointer(ifd0, TagExifOffset, notes);
  tiff.undefined(notes, TagMakerNote, "first maker note");
  // Each repeat claims 30000 bytes from the start of the structure.
  for (int i = 0; i < 2000; ++i) tiff.rawEntry(notes, TagMakerNote, TiffUndefined, 30000, 8);
  const auto data = walk(tiff.build(), true);
  EXPECT_EQ(data->TagReader->MakerNoteBytes, "first maker note");
  EXPECT_GT(dateOf(*data), 0);
}

}  // namespace
