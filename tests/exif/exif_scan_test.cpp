// The container scan: which segment is the EXIF block, the segment limits,
// the TIFF path, status texts and broken files.
#include <gtest/gtest.h>
#include <algorithm>
#include <sys/stat.h>

#include "cli/harness.h"
#include "exif/capture_date.h"
#include "lib/byte_reader.h"
#include "exif/exif_data.h"
#include "exif/image_info.h"
#include "lib/datetime.h"
#include "support/exif_builder.h"

using namespace zantrel;
using namespace testing_support;

namespace {

const DateTime ShotDate = encodeDateTime(2013, 4, 12, 15, 30, 45);

// A small EXIF structure with a DateTimeOriginal and nothing else around.
std::string datedTiff(const std::string& date = "2013:04:12 15:30:45", bool bigEndian = false) {
  CameraShot shot;
  shot.bigEndian = bigEndian;
  shot.dateTime.clear();
  shot.dateTimeDigitized.clear();
  shot.dateTimeOriginal = date;
  shot.gps = shot.interop = shot.thumbnail = false;
  return cameraTiff(shot);
}

// Scans the bytes as the file name, then asks for the date the way the
// rename engine does.
struct Scan {
  TimgData data{BuildEverything};
  bool found = false;
  std::string status;  // right after the scan
  DateTime date = 0;
};

void scanAs(Scan& s, const TempDir& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir.write(name, bytes).string();
  s.found = s.data.scanFile(path);
  s.status = s.data.Status;
  if (s.data.hasExif()) {
    s.data.parseExifBlock();
    s.date = s.data.TagReader->exifDateTime();
  }
}

// Counts how often the scan asks its source for bytes.
class CountingSource : public MemoryBytes {
 public:
  explicit CountingSource(const std::string& bytes)
      : MemoryBytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())) {}
  size_t readAt(uint64_t offset, void* buffer, size_t count) const override {
    ++reads;
    const size_t n = MemoryBytes::readAt(offset, buffer, count);
    end = std::max<uint64_t>(end, offset + n);
    return n;
  }
  mutable int reads = 0;
  mutable uint64_t end = 0;  // one past the last byte handed out
};

// The scan as the capture date makes it: no texts, nothing after the block.
struct DateScan {
  TimgData data{BuildFactsOnly};
  DateScan() { data.StopAfterExif = true; }
  DateTime run(const ByteSource& source) {
    data.scanJpeg(source);
    if (!data.hasExif()) return 0;
    data.parseExifBlock();
    return data.TagReader->exifDateTime();
  }
};

TEST(ExifScan, MissingFileLeavesStatusEmpty) {
  TempDir dir;
  TimgData data(BuildEverything);
  EXPECT_FALSE(data.scanFile((dir / "none.jpg").string()));
  EXPECT_EQ(data.Status, "");
  EXPECT_FALSE(data.hasExif());
  dir.mkdir("folder.jpg");
  EXPECT_FALSE(data.scanFile((dir / "folder.jpg").string()));
  EXPECT_EQ(data.Status, "");
}

TEST(ExifScan, ExtensionChoosesThePath) {
  TempDir dir;
  const std::string jpeg = cameraJpeg(), tiff = cameraTiff();
  struct Case {
    const char* name;
    const std::string& bytes;
    bool found;
    const char* status;
  };
  const Case cases[] = {
      {"a.jpg", jpeg, true, "<none>"},         {"b.JPG", jpeg, true, "<none>"},
      {"c.jpeg", jpeg, true, "<none>"},        {"d.Jpe", jpeg, true, "<none>"},
      {"e.tif", tiff, true, "<none>"},         {"f.TIFF", tiff, true, "<none>"},
      {"g.nef", tiff, true, "<none>"},         {"h.png", jpeg, false, "Not an EXIF file"},
      {"i", jpeg, false, "Not an EXIF file"},  {"j.jpg.bak", jpeg, false, "Not an EXIF file"},
      {"k.tif", jpeg, false, "Not an EXIF file"},  // content never chooses the path
      {"l.jpg", tiff, false, "Not an EXIF file"},
  };
  for (const Case& c : cases) {
    Scan s;
    scanAs(s, dir, c.name, c.bytes);
    EXPECT_EQ(s.found, c.found) << c.name;
    EXPECT_EQ(s.status, c.status) << c.name;
    EXPECT_EQ(s.date, c.found ? ShotDate : 0.0) << c.name;
  }
  Scan dotted;
  scanAs(dotted, dir, "x.jpg.d/photo", jpeg);  // the dot of a folder is no extension
  EXPECT_FALSE(dotted.found);
}

TEST(ExifScan, JfifThenExifRecordsBothAndTheFileFacts) {
  TempDir dir;
  const std::string bytes = JpegBuilder().app0().app1Exif(datedTiff()).dqt().sof().dht().build();
  const auto path = dir.write("photo.jpg", bytes);
  setLocalMtime(path, 2020, 7, 1, 12, 0, 2);
  TimgData data(BuildEverything);
  EXPECT_TRUE(data.scanFile(path.string()));
  EXPECT_EQ(data.Status, "<none>");
  ASSERT_NE(data.JfifBlock, nullptr);
  ASSERT_NE(data.ExifBlock, nullptr);
  EXPECT_EQ(data.JfifBlock->Marker, 0xE0);
  EXPECT_EQ(data.ExifBlock, &data.Segments[2]);
  EXPECT_EQ(data.ExifBlock->Bytes.substr(2, 6), std::string("Exif\0\0", 6));
  EXPECT_EQ(data.ExifBlock->Length, static_cast<int>(data.ExifBlock->Bytes.size()));
  EXPECT_EQ(data.SegmentCount, 6);  // APP0 APP1 DQT SOF DHT SOS
  EXPECT_EQ(data.FileName, path.string());
  EXPECT_EQ(data.FileSize, static_cast<int64_t>(bytes.size()));
  EXPECT_DOUBLE_EQ(data.FileDate, encodeDateTime(2020, 7, 1, 12, 0, 2));
  EXPECT_DOUBLE_EQ(data.TagReader->exifDateTime(), ShotDate);
}

TEST(ExifScan, FifthSegmentCountsOnlyAfterACommentOrIptcSegment) {
  TempDir dir;
  struct Case {
    const char* name;
    std::string bytes;
    bool found;
    DateTime date;
  };
  const Case cases[] = {
      {"plain.jpg", JpegBuilder().app0().dqt().dht().sof().app1Exif(datedTiff()).build(), false, 0},
      {"comment.jpg", JpegBuilder().app0().dqt().comment().sof().app1Exif(datedTiff()).build(), true, ShotDate},
      {"iptc.jpg", JpegBuilder().app13().dqt().dht().sof().app1Exif(datedTiff()).build(), true, ShotDate},
      {"fourth.jpg", JpegBuilder().app0().dqt().dht().app1Exif(datedTiff()).sof().build(), true, ShotDate},
      {"sixth.jpg", JpegBuilder().comment().app0().dqt().dht().sof().app1Exif(datedTiff()).build(), true, 0},
  };
  for (const Case& c : cases) {
    Scan s;
    scanAs(s, dir, c.name, c.bytes);
    EXPECT_EQ(s.found, c.found) << c.name;
    EXPECT_EQ(s.date, c.date) << c.name;
    EXPECT_EQ(s.data.hasExif(), c.date != 0) << c.name;
  }
  EXPECT_EQ(readExifCaptureDate((dir / "plain.jpg").string()), 0.0);
}

TEST(ExifScan, LaterApp1SegmentsAreDroppedAndTheirSlotsReused) {
  TimgData data(BuildEverything);
  const std::string bytes = JpegBuilder().app0().app1Exif(datedTiff()).app1Xmp().app1Xmp().dqt().build();
  EXPECT_TRUE(data.scanBytes(bytes, false));
  EXPECT_EQ(data.ExifBlock, &data.Segments[2]);
  EXPECT_EQ(data.SegmentCount, 4);  // APP0 APP1 DQT SOS
  EXPECT_EQ(data.Segments[3].Marker, 0xDB);
  data.parseExifBlock();
  EXPECT_DOUBLE_EQ(data.TagReader->exifDateTime(), ShotDate);
}

TEST(ExifScan, MetadataPacketBeforeExifHidesTheDate) {
  TimgData data(BuildEverything);
  EXPECT_TRUE(data.scanBytes(JpegBuilder().app0().app1Xmp().app1Exif(datedTiff()).build(), false));
  ASSERT_TRUE(data.hasExif());
  EXPECT_EQ(data.ExifBlock, &data.Segments[2]);
  data.parseExifBlock();
  EXPECT_EQ(data.Status, "Incorrect Exif header");
  EXPECT_EQ(data.TagReader->exifDateTime(), 0.0);
}

TEST(ExifScan, IptcOnlyCountsAsFoundWithoutExif) {
  TimgData data(BuildEverything);
  EXPECT_TRUE(data.scanBytes(JpegBuilder().app0().app13().app13().dqt().build(), false));
  EXPECT_FALSE(data.hasExif());
  EXPECT_EQ(data.IptcBlock, &data.Segments[2]);  // the first APP13 is kept
  EXPECT_NE(data.IptcReader, nullptr);
  EXPECT_EQ(data.TagReader, nullptr);
}

TEST(ExifScan, CommentSegmentsReplaceEachOther) {
  TimgData data(BuildEverything);
  EXPECT_TRUE(data.scanBytes(JpegBuilder().comment("one").comment("two").build(), false));
  ASSERT_NE(data.CommentBlock, nullptr);
  EXPECT_EQ(data.CommentBlock->Bytes.substr(2), "two");
}

TEST(ExifScan, StopsAfterTwentySegments) {
  JpegBuilder many;
  many.comment("first");
  for (int i = 0; i < 18; ++i) many.dqt();
  many.comment("twentieth").comment("twenty-first").app13();
  TimgData data(BuildEverything);
  const std::string bytes = many.build();
  CountingSource source(bytes);
  EXPECT_TRUE(data.scanJpeg(source));
  EXPECT_EQ(data.SegmentCount, 20);
  EXPECT_EQ(data.CommentBlock->Bytes.substr(2), "twentieth");
  EXPECT_EQ(data.IptcBlock, nullptr);
  EXPECT_LE(source.reads, 2);  // blocks, not bytes
}

TEST(ExifScan, ThousandsOfDroppedApp1SegmentsAreReadInBlocks) {
  JpegBuilder jpeg;
  jpeg.app1Exif(datedTiff());
  for (int i = 0; i < 3000; ++i) jpeg.app1Xmp();
  jpeg.comment("after");
  const std::string bytes = jpeg.build();
  TimgData data(BuildEverything);
  CountingSource source(bytes);
  EXPECT_TRUE(data.scanJpeg(source));
  EXPECT_EQ(data.SegmentCount, 3);  // APP1, COM, SOS
  EXPECT_EQ(data.CommentBlock, &data.Segments[2]);
  EXPECT_LE(source.reads, static_cast<int>(bytes.size() / (64 * 1024)) + 2);
}

TEST(ExifScan, StartOfScanAndEndOfImageEndTheWalk) {
  TimgData data(BuildEverything);
  std::string bytes = JpegBuilder().dqt().build() + JpegBuilder().comment().build().substr(2);
  EXPECT_FALSE(data.scanBytes(bytes, false));  // the comment lies after start of scan
  EXPECT_EQ(data.CommentBlock, nullptr);
  EXPECT_TRUE(data.scanBytes(JpegBuilder().comment().raw(std::string("\xFF\xD9\0\x02", 4)).app13().build(false), false));
  EXPECT_EQ(data.IptcBlock, nullptr);
}

TEST(ExifScan, FillBytesAndBareMarkers) {
  const std::string tiff = datedTiff();
  const std::string app1 = JpegBuilder().app1Exif(tiff).build(false).substr(2);
  TimgData data(BuildEverything);
  // Fill bytes before a marker are skipped.
  EXPECT_TRUE(data.scanBytes("\xFF\xD8\xFF\xFF\xFF" + app1.substr(1), false));
  EXPECT_TRUE(data.hasExif());
  // A marker byte without 0xFF before it is taken all the same.
  EXPECT_TRUE(data.scanBytes("\xFF\xD8" + app1.substr(1), false));
  EXPECT_TRUE(data.hasExif());
  EXPECT_FALSE(data.scanBytes("\xFF\xD9" + app1, false));  // no start of image
  EXPECT_FALSE(data.scanBytes("", false));
  EXPECT_FALSE(data.scanBytes("\xFF", false));
}

TEST(ExifScan, BrokenLengthsAndCutFilesKeepWhatWasFound) {
  const std::string full = JpegBuilder().comment().app1Exif(datedTiff()).dqt().build();
  struct Case {
    const char* what;
    std::string bytes;
    bool found;
    bool exif;
  };
  const size_t exifAt = full.find("Exif");
  const size_t dateAt = full.find("2013:04:12");
  const Case cases[] = {
      {"ends after start of image", full.substr(0, 2), false, false},
      {"ends inside a marker's fill bytes", full.substr(0, 2) + "\xFF\xFF", false, false},
      {"ends inside a length field", full.substr(0, 5), false, false},
      {"ends after the comment", full.substr(0, exifAt - 4), true, false},
      {"ends inside the EXIF header", full.substr(0, exifAt + 3), true, true},
      {"ends after the date value", full.substr(0, dateAt + 20), true, true},
      {"length 0 after the comment", full.substr(0, exifAt - 4) + std::string("\xFF\xE1\0\0", 4), true, false},
      {"length 1 first", std::string("\xFF\xD8\xFF\xFE\0\x01", 6) + full.substr(2), false, false},
      {"length 2 (empty payload)", std::string("\xFF\xD8\xFF\xE1\0\x02", 6), true, true},
  };
  for (const Case& c : cases) {
    TimgData data(BuildEverything);
    EXPECT_EQ(data.scanBytes(c.bytes, false), c.found) << c.what;
    EXPECT_EQ(data.hasExif(), c.exif) << c.what;
    if (data.hasExif()) {
      data.parseExifBlock();
      const DateTime date = data.TagReader->exifDateTime();
      EXPECT_EQ(date, c.bytes.size() > dateAt ? ShotDate : 0.0) << c.what;
    }
  }
}

TEST(ExifScan, BadByteOrderMark) {
  std::string tiff = datedTiff();
  tiff[0] = tiff[1] = 'X';
  TimgData data(BuildEverything);
  EXPECT_TRUE(data.scanBytes(JpegBuilder().app1Exif(tiff).build(), false));
  EXPECT_EQ(data.Status, "<none>");
  data.parseExifBlock();
  EXPECT_EQ(data.Status, "Invalid Exif alignment marker");
  EXPECT_TRUE(data.hasExif());
  EXPECT_EQ(data.TagReader->exifDateTime(), 0.0);
}

TEST(ExifScan, TiffPathReadsTheDirectoryTheHeaderNames) {
  for (bool bigEndian : {false, true}) {
    TiffBuilder t(bigEndian);
    const int ifd0 = t.addDirectory();
    const int other = t.addDirectory();
    t.ascii(ifd0, TagDateTime, "2001:01:01 01:01:01");
    t.ascii(other, TagDateTime, "2002:02:02 02:02:02");
    t.firstOffset(t.offsetOf(other));
    TimgData data(BuildEverything);
    EXPECT_TRUE(data.scanBytes(t.build(), true));
    EXPECT_EQ(data.Status, "<none>");
    EXPECT_FALSE(data.IsTiff);  // only while reading
    EXPECT_TRUE(data.TagReader->IsTiff);
    // The engine's second parse stops at the header test; the walk made
    // during the scan stays.
    data.parseExifBlock();
    EXPECT_EQ(data.Status, "Incorrect Exif header");
    EXPECT_DOUBLE_EQ(data.TagReader->exifDateTime(), encodeDateTime(2002, 2, 2, 2, 2, 2)) << bigEndian;
  }
}

TEST(ExifScan, TiffFoundWhateverItsDirectoriesHold) {
  TimgData data(BuildEverything);
  EXPECT_TRUE(data.scanBytes(std::string("II*\0\x08\0\0\0", 8), true));
  EXPECT_TRUE(data.hasExif());
  EXPECT_EQ(data.TagReader->exifDateTime(), 0.0);
  EXPECT_FALSE(data.scanBytes(std::string("II*\0", 4), true));  // header cut short
  EXPECT_FALSE(data.scanBytes(std::string("PK\x03\x04\0\0\0\0", 8), true));
  EXPECT_FALSE(data.hasExif());
}

TEST(ExifScan, TiffReadsOnlyTheFirstBlock) {
  // A date value beyond the read limit yields no date.
  for (const uint32_t valueAt : {uint32_t{1000}, static_cast<uint32_t>(TiffReadLimit + 100)}) {
    TiffBuilder t;
    const int ifd0 = t.addDirectory();
    t.rawEntry(ifd0, TagDateTime, TiffAscii, 20, valueAt);
    std::string bytes = t.build();
    bytes.resize(valueAt + 40, '\0');
    bytes.replace(valueAt, 20, std::string("2010:10:10 10:10:10\0", 20));
    TimgData data(BuildEverything);
    EXPECT_TRUE(data.scanBytes(bytes, true));
    EXPECT_EQ(data.TagReader->exifDateTime(), valueAt < TiffReadLimit ? encodeDateTime(2010, 10, 10, 10, 10, 10) : 0.0);
  }
}

TEST(ExifScan, ReusedContainerForgetsTheLastFile) {
  TempDir dir;
  TimgData data(BuildEverything);
  EXPECT_TRUE(data.scanFile(dir.write("a.jpg", cameraJpeg()).string()));
  EXPECT_TRUE(data.hasExif());
  EXPECT_TRUE(data.scanFile(dir.write("b.jpg", JpegBuilder().comment().build()).string()));
  EXPECT_FALSE(data.hasExif());
  EXPECT_EQ(data.TagReader, nullptr);
  EXPECT_EQ(data.FileName, (dir / "b.jpg").string());
}

TEST(ExifScan, UnreadableFileIsAnIllegalConstruction) {
  TempDir dir;
  const std::string fifo = (dir / "pipe.jpg").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  TimgData data(BuildEverything);
  EXPECT_FALSE(data.scanFile(fifo));
  EXPECT_EQ(data.Status, "Illegal Exif construction");
  EXPECT_FALSE(data.hasExif());
}

TEST(ExifScan, FileDatedBefore1980IsStillRead) {
  TempDir dir;
  const auto path = dir.write("old.jpg", cameraJpeg());
  setLocalMtime(path, 1975, 1, 1, 0, 0, 0);
  EXPECT_DOUBLE_EQ(readExifCaptureDate(path.string()), ShotDate);
}

TEST(ExifScan, CaptureDateOfCameraFiles) {
  TempDir dir;
  for (bool bigEndian : {false, true}) {
    CameraShot shot;
    shot.bigEndian = bigEndian;
    EXPECT_DOUBLE_EQ(readExifCaptureDate(dir.write("cam.jpg", cameraJpeg(shot)).string()), ShotDate);
    EXPECT_DOUBLE_EQ(readExifCaptureDate(dir.write("cam.nef", cameraTiff(shot)).string()), ShotDate);
  }
  EXPECT_EQ(readExifCaptureDate((dir / "missing.jpg").string()), 0.0);
  EXPECT_EQ(readExifCaptureDate(dir.write("plain.jpg", JpegBuilder().app0().dqt().build()).string()), 0.0);
}

TEST(ExifScan, CaptureDateReadsOneSmallBlockAndStopsAfterTheExifBlock) {
  for (bool bigEndian : {false, true}) {
    CameraShot shot;
    shot.bigEndian = bigEndian;
    const std::string bytes = JpegBuilder().app0().app1Exif(cameraTiff(shot)).comment().dqt().sof().build();
    CountingSource source(bytes);
    DateScan scan;
    EXPECT_DOUBLE_EQ(scan.run(source), ShotDate);
    EXPECT_EQ(source.reads, 1);
    EXPECT_LE(source.end, 4096u);
    EXPECT_EQ(scan.data.CommentBlock, nullptr);  // never reached
    EXPECT_TRUE(scan.data.TagReader->Tags.empty());  // no entry lists
    EXPECT_TRUE(scan.data.TagReader->ReportText.empty());  // no texts
  }
}

// The date values lie 20 KB into a 60 KB block: one read beyond the first
// block brings the rest of the segment, and nothing after it is read.
TEST(ExifScan, CaptureDateBeyondTheFirstBlock) {
  TiffBuilder tiff;
  const int ifd0 = tiff.addDirectory();
  const int exif = tiff.addDirectory();
  tiff.undefined(ifd0, TagMakerNote, std::string(20000, 'm')).pointer(ifd0, TagExifOffset, exif);
  tiff.ascii(exif, TagDateTimeOriginal, "2013:04:12 15:30:45");
  tiff.addBlob(std::string(40000, 't'));
  const std::string app1 = JpegBuilder().app1Exif(tiff.build()).build(false);
  const std::string bytes = app1 + JpegBuilder().comment().dqt().build().substr(2);
  CountingSource source(bytes);
  DateScan scan;
  EXPECT_DOUBLE_EQ(scan.run(source), ShotDate);
  EXPECT_EQ(source.reads, 2);
  EXPECT_EQ(source.end, app1.size());
}

// Where IFD0 and its sub-directory both hold a DateTime (and nothing
// better is there), IFD0's counts, whether or not texts are built, and
// whichever of the two the walk meets first.
TEST(ExifScan, DateTimeOfTheFirstDirectoryWinsOverASubDirectorys) {
  for (const bool pointerFirst : {false, true}) {
    TiffBuilder tiff;
    const int ifd0 = tiff.addDirectory();
    const int exif = tiff.addDirectory();
    if (pointerFirst) tiff.pointer(ifd0, TagExifOffset, exif);
    tiff.ascii(ifd0, TagDateTime, "2010:01:01 10:00:00");
    if (!pointerFirst) tiff.pointer(ifd0, TagExifOffset, exif);
    tiff.ascii(exif, TagDateTime, "2011:02:02 11:00:00");
    TempDir dir;
    const std::string path = dir.write("two.jpg", JpegBuilder().app1Exif(tiff.build()).build()).string();
    const DateTime first = encodeDateTime(2010, 1, 1, 10, 0, 0);
    EXPECT_DOUBLE_EQ(readExifCaptureDate(path), first) << pointerFirst;
    Scan full;
    scanAs(full, dir, "two.jpg", dir.read("two.jpg"));
    EXPECT_DOUBLE_EQ(full.date, first) << pointerFirst;
  }
}

}  // namespace
