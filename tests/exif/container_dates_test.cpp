// The capture-date readers beyond JPEG and TIFF, on files built byte by
// byte: each layout real files use, and broken ones that must give no
// date without reading outside the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <utility>

#include "exif/capture_date.h"
#include "exif/container_dates.h"
#include "exif/exif_data.h"
#include "exif/image_info.h"
#include "exif/tiff_dates.h"
#include "support/exif_builder.h"
#include "support/media_builder.h"

using namespace testing_support;
using zantrel::ByteSource;
using zantrel::CaptureFormat;
using zantrel::DateTime;
using zantrel::MemoryBytes;

namespace {

DateTime dateOf(CaptureFormat format, const std::string& bytes) {
  return zantrel::captureDateFrom(MemoryBytes(std::string_view(bytes)), format);
}

const DateTime Original = zantrel::encodeDateTime(2013, 4, 12, 15, 30, 45);
const DateTime Digitized = zantrel::encodeDateTime(2013, 4, 12, 15, 30, 46);
const DateTime Plain = zantrel::encodeDateTime(2013, 4, 12, 18, 0, 0);

CameraShot bare(bool bigEndian = false) {
  CameraShot shot;
  shot.bigEndian = bigEndian;
  shot.gps = shot.interop = shot.thumbnail = false;
  return shot;
}

// A source that records which bytes were asked for.
class WatchedSource : public ByteSource {
 public:
  explicit WatchedSource(const std::string& data) : data_(data), memory_(std::string_view(data_)) {}
  size_t readAt(uint64_t offset, void* buffer, size_t count) const override {
    const size_t n = memory_.readAt(offset, buffer, count);
    ++reads;
    bytesRead += n;
    for (uint64_t i = offset; i < offset + n; ++i) reread += touched.insert(i).second ? 0 : 1;
    starts.push_back(offset);
    return n;
  }
  // Reads that began in [from, to).
  int readsFrom(uint64_t from, uint64_t to) const {
    return static_cast<int>(std::count_if(starts.begin(), starts.end(), [&](uint64_t at) { return at >= from && at < to; }));
  }
  uint64_t size() const override { return data_.size(); }
  bool touchedAny(uint64_t from, uint64_t to) const {
    auto it = touched.lower_bound(from);
    return it != touched.end() && *it < to;
  }
  mutable int reads = 0;
  mutable uint64_t bytesRead = 0;
  mutable std::set<uint64_t> touched;
  mutable uint64_t reread = 0;  // bytes read more than once
  mutable std::vector<uint64_t> starts;

 private:
  std::string data_;
  MemoryBytes memory_;
};

// Every cut of a file must read safely and give no date or one of the
// dates it holds (a cut that loses DateTimeOriginal leaves DateTime).
void expectCutsAreSafe(CaptureFormat format, const std::string& file, std::set<DateTime> held) {
  held.insert(0);
  for (size_t n = 0; n < file.size(); n += 1 + n / 64) {
    EXPECT_EQ(held.count(dateOf(format, file.substr(0, n))), 1u) << "cut at " << n;
  }
}

const std::set<DateTime> ShotDates = {Original, Digitized, Plain};

// --- the shared TIFF routine -------------------------------------------------

TEST(TiffBlockDates, AgreeWithTheJpegReaderOnEveryCameraLayout) {
  struct Case {
    const char* name;
    std::function<void(CameraShot&)> change;
  } cases[] = {
      {"all three", [](CameraShot&) {}},
      {"big-endian", [](CameraShot& s) { s.bigEndian = true; }},
      {"digitized and DateTime", [](CameraShot& s) { s.dateTimeOriginal.clear(); }},
      {"DateTime only", [](CameraShot& s) { s.dateTimeOriginal.clear(); s.dateTimeDigitized.clear(); }},
      {"no dates", [](CameraShot& s) { s.dateTimeOriginal.clear(); s.dateTimeDigitized.clear(); s.dateTime.clear(); }},
      {"zero original", [](CameraShot& s) { s.dateTimeOriginal = "0000:00:00 00:00:00"; }},
      {"impossible original", [](CameraShot& s) { s.dateTimeOriginal = "2007:02:29 00:00:00"; }},
      {"other separators", [](CameraShot& s) { s.dateTimeOriginal = "2008-05-17 14.30.00"; }},
      {"hour 24", [](CameraShot& s) { s.dateTimeOriginal = "2008:05:17 24:00:00"; }},
      {"before 1900", [](CameraShot& s) { s.dateTimeOriginal = "1899:12:30 00:00:00"; }},
      {"no gps, no thumbnail", [](CameraShot& s) { s.gps = s.interop = s.thumbnail = false; }},
  };
  for (const auto& c : cases) {
    CameraShot shot;
    c.change(shot);
    const DateTime viaJpeg = dateOf(CaptureFormat::Jpeg, cameraJpeg(shot));
    EXPECT_EQ(zantrel::tiffBlockCaptureDate(MemoryBytes(std::string_view(cameraTiff(shot)))), viaJpeg) << c.name;
  }
  EXPECT_EQ(dateOf(CaptureFormat::Jpeg, cameraJpeg()), Original);
}

TEST(TiffBlockDates, FollowsTheHeaderAndSurvivesHostileBlocks) {
  // The header names the first directory; an offset of 0 means offset 8.
  EXPECT_EQ(zantrel::tiffBlockCaptureDate(MemoryBytes(std::string_view(rawTiff(bare(), "II*\0")))), Original);
  std::string zeroOffset = cameraTiff(bare());
  zeroOffset.replace(4, 4, std::string(4, '\0'));
  EXPECT_EQ(zantrel::tiffBlockCaptureDate(MemoryBytes(std::string_view(zeroOffset))), Original);

  TiffBuilder loop(true);
  const int ifd0 = loop.addDirectory();
  const int exif = loop.addDirectory();
  loop.pointer(ifd0, TagExifOffset, exif).pointer(exif, TagInteropOffset, ifd0).pointer(exif, TagGpsInfo, exif);
  loop.pointer(exif, TagSubIfds, exif).ascii(exif, TagDateTimeOriginal, "2008:05:17 14:30:00");
  EXPECT_EQ(zantrel::tiffBlockCaptureDate(MemoryBytes(std::string_view(loop.build()))),
            zantrel::encodeDateTime(2008, 5, 17, 14, 30, 0));

  TiffBuilder huge;
  const int big = huge.addDirectory();
  huge.rawEntry(big, TagDateTimeOriginal, TiffAscii, 0xFFFFFFFFu, 0xFFFFFFF0u).claimEntries(big, 5000);
  EXPECT_EQ(zantrel::tiffBlockCaptureDate(MemoryBytes(std::string_view(huge.build()))), 0);

  // A date whose value lies past the block's end, and one cut short by it.
  TiffBuilder outside;
  const int d = outside.addDirectory();
  outside.rawEntry(d, TagDateTimeOriginal, TiffAscii, 20, 0x7FFFFFF0u);
  EXPECT_EQ(zantrel::tiffBlockCaptureDate(MemoryBytes(std::string_view(outside.build()))), 0);

  // Ten thousand directories chained by EXIF pointers end at the cap.
  TiffBuilder chain;
  std::vector<int> dirs;
  for (int i = 0; i < 10000; ++i) dirs.push_back(chain.addDirectory());
  for (int i = 0; i + 1 < 10000; ++i) chain.pointer(dirs[i], TagExifOffset, dirs[i + 1]);
  chain.ascii(dirs.back(), TagDateTimeOriginal, "2008:05:17 14:30:00");
  EXPECT_EQ(zantrel::tiffBlockCaptureDate(MemoryBytes(std::string_view(chain.build()))), 0);

  for (const std::string& header : {std::string("II+\0", 4), std::string("MM\0+", 4), std::string("XX*\0", 4)}) {
    std::string other = cameraTiff(bare());
    other.replace(0, 4, header);
    EXPECT_EQ(zantrel::tiffBlockCaptureDate(MemoryBytes(std::string_view(other))), 0) << header;
  }
  expectCutsAreSafe(CaptureFormat::TiffRaw, cameraTiff(), ShotDates);
}

// --- TIFF-structured raw files -----------------------------------------------

TEST(RawDates, EveryHeaderVariantInBothByteOrders) {
  const struct {
    const char* magic;
    bool bigEndian;
  } variants[] = {{"II*\0", false}, {"MM\0*", true}, {"IIRO", false}, {"IIRS", false}, {"MMOR", true}, {"IIU\0", false}};
  for (const auto& v : variants) {
    const std::string raw = rawTiff(bare(v.bigEndian), std::string_view(v.magic, 4));
    EXPECT_EQ(dateOf(CaptureFormat::TiffRaw, raw), Original) << v.magic;
    // The .tif reader looks at the first 256 KB only: the EXIF directory
    // lies beyond them, IFD0 with its DateTime does not.
    EXPECT_EQ(dateOf(CaptureFormat::Tiff, raw), Plain) << v.magic;
  }
  CameraShot onlyDateTime = bare();
  onlyDateTime.dateTimeOriginal.clear();
  onlyDateTime.dateTimeDigitized.clear();
  EXPECT_EQ(dateOf(CaptureFormat::TiffRaw, rawTiff(onlyDateTime, "II*\0")), Plain);
}

TEST(RawDates, ReadOnlyWhereTheDirectoriesAre) {
  // The EXIF directory lies 3 MB into the file: the walk reads it there
  // and little else.
  const std::string raw = rawTiff(bare(), "II*\0", 3000000);
  WatchedSource file(raw);
  EXPECT_EQ(zantrel::captureDateFrom(file, CaptureFormat::TiffRaw), Original);
  EXPECT_LT(file.bytesRead, 5u * 4096);
  EXPECT_LE(file.reads, 5);

  // IFD0 goes on after its pointer to a directory far away: it is not
  // fetched again when the walk comes back from there.
  TiffBuilder t;
  const int ifd0 = t.addDirectory();
  const int exif = t.addDirectory();
  t.pointer(ifd0, TagExifOffset, exif).ascii(ifd0, TagDateTime, "2013:04:12 18:00:00");
  t.undefined(ifd0, 0x02BC, std::string(3000000, '\x01'));
  t.ascii(exif, TagDateTimeDigitized, "2013:04:12 15:30:46");
  WatchedSource back(t.build());
  EXPECT_EQ(zantrel::captureDateFrom(back, CaptureFormat::TiffRaw), Digitized);
  EXPECT_GT(t.offsetOf(exif), 3000000u);
  EXPECT_EQ(back.reread, 0u);
  EXPECT_LE(back.reads, 3);  // the start, as far as IFD0's block reaches, and the EXIF directory
}

// The EXIF data that an image file carries in an item or chunk is read in
// one request, wherever the walk of its TIFF block goes in it.
TEST(ContainerDates, TheExifDataInOneRead) {
  const std::string tiff = cameraTiff();
  const struct {
    const char* what;
    CaptureFormat format;
    std::string file;
  } cases[] = {
      {"HEIF item", CaptureFormat::Heif, heifFile(HeifLayout{.tiff = tiff})},
      {"PNG eXIf chunk after the image", CaptureFormat::Png, pngFile({.exifChunk = tiff, .exifAfterImage = true})},
      {"WebP EXIF chunk", CaptureFormat::WebP, webpFile(exifPayload(tiff))},
  };
  for (const auto& c : cases) {
    const size_t at = c.file.find(tiff);
    ASSERT_NE(at, std::string::npos) << c.what;
    WatchedSource file(c.file);
    EXPECT_EQ(zantrel::captureDateFrom(file, c.format), Original) << c.what;
    // From where the item or chunk begins (a few bytes before the TIFF
    // header) to its end.
    EXPECT_LE(file.readsFrom(at - 16, at + tiff.size()), 1) << c.what;
  }
}

// --- .tif, .tiff and .nef ------------------------------------------------------

// The date that the EXIF container's own walk of a TIFF-structured file
// finds: the .tif reader must give the same for every file.
DateTime containerDate(const std::string& bytes) {
  zantrel::TimgData data(zantrel::BuildFactsOnly);
  data.scanBytes(bytes, true);
  return data.TagReader ? data.TagReader->exifDateTime() : 0;
}

TEST(TifDates, TheContainersRulesFromTheDirectoryTheHeaderNames) {
  std::string noMagic = cameraTiff(bare());
  noMagic.replace(2, 2, "xx");
  TiffBuilder gps;
  const int gpsIfd0 = gps.addDirectory();
  const int gpsDir = gps.addDirectory();
  gps.pointer(gpsIfd0, TagGpsInfo, gpsDir).ascii(gpsDir, TagDateTimeOriginal, "2013:04:12 15:30:45");
  TiffBuilder claims;
  const int claimed = claims.addDirectory();
  claims.ascii(claimed, TagDateTimeOriginal, "2013:04:12 15:30:45").claimEntries(claimed, 5000);
  TiffBuilder signedOffset;
  const int so = signedOffset.addDirectory();
  signedOffset.rawEntry(so, TagDateTimeOriginal, TiffAscii, 20, 0x80000010u);
  signedOffset.ascii(so, TagDateTime, "2013:04:12 18:00:00");
  const struct {
    const char* what;
    std::string bytes;
    DateTime tif;
    DateTime raw;
  } cases[] = {
      {"IFD0 at offset 8", cameraTiff(bare()), Original, Original},
      {"IFD0 behind another directory", rawTiff(bare(), "II*\0", 1000), Original, Original},
      {"big-endian, IFD0 behind another", rawTiff(bare(true), "MM\0*", 1000), Original, Original},
      {"EXIF directory past the first 256,000 bytes", rawTiff(bare(), "II*\0"), Plain, Original},
      {"no TIFF number after the byte order", noMagic, Original, 0},
      {"a date in the GPS directory", gps.build(), Original, 0},
      {"more entries claimed than the file holds", claims.build(), Original, 0},
      {"a value offset that reads as negative", signedOffset.build(), Plain, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(dateOf(CaptureFormat::Tiff, c.bytes), c.tif) << c.what;
    EXPECT_EQ(containerDate(c.bytes), c.tif) << c.what;
    EXPECT_EQ(dateOf(CaptureFormat::TiffRaw, c.bytes), c.raw) << c.what;
  }
}

// Files damaged at random: the .tif reader and the container's walk agree
// on every one.
TEST(TifDates, AgreesWithTheContainerOnDamagedFiles) {
  const std::string files[] = {cameraTiff(), cameraTiff(bare(true)), rawTiff(bare(), "II*\0", 2000),
                               rawTiff(bare(true), "MM\0*", 2000)};
  uint32_t state = 12345;
  auto next = [&] { return state = state * 1103515245u + 12345u; };
  int compared = 0;
  for (const std::string& file : files) {
    for (int round = 0; round < 2000; ++round) {
      std::string bytes = file;
      const int changes = 1 + static_cast<int>(next() >> 16) % 4;
      for (int i = 0; i < changes; ++i) {
        // Most damage where the header and the directories are.
        const size_t span = (next() >> 16) % 4 == 0 ? bytes.size() : std::min<size_t>(bytes.size(), 600);
        bytes[(next() >> 8) % span] = static_cast<char>(next() >> 24);
      }
      ASSERT_EQ(dateOf(CaptureFormat::Tiff, bytes), containerDate(bytes)) << "round " << round;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 8000);
}

// --- HEIF ----------------------------------------------------------------------

TEST(HeifDates, EveryWayOfStoringTheExifItem) {
  const std::string tiff = cameraTiff(bare());
  const std::string tiffBe = cameraTiff(bare(true));
  struct Case {
    const char* name;
    std::function<void(HeifLayout&)> change;
    DateTime expected;
  } cases[] = {
      {"in mdat", [](HeifLayout&) {}, Original},
      {"big-endian block", [&](HeifLayout& l) { l.tiff = tiffBe; }, Original},
      {"in idat", [](HeifLayout& l) { l.inIdat = true; }, Original},
      {"iloc version 0", [](HeifLayout& l) { l.ilocVersion = 0; }, Original},
      {"iloc version 2", [](HeifLayout& l) { l.ilocVersion = 2; }, Original},
      {"32-bit item ids", [](HeifLayout& l) { l.infeVersion = 3; }, Original},
      {"no base offset", [](HeifLayout& l) { l.ilocBaseSize = 0; }, Original},
      {"three extents in mdat", [](HeifLayout& l) { l.extents = 3; }, Original},
      {"three extents in idat", [](HeifLayout& l) { l.extents = 3; l.inIdat = true; }, Original},
      {"last extent to the end", [](HeifLayout& l) { l.extents = 2; l.lastExtentToEnd = true; }, Original},
      {"last extent to idat's end", [](HeifLayout& l) { l.inIdat = true; l.lastExtentToEnd = true; }, Original},
      {"no prefix", [](HeifLayout& l) { l.prefix.clear(); }, Original},
      {"uncounted prefix", [](HeifLayout& l) { l.prefixCounted = false; }, Original},
      {"avif", [](HeifLayout& l) { l.brand = "avif"; }, Original},
      {"only EXIF item, no reference", [](HeifLayout& l) { l.link = HeifLayout::Link::None; }, Original},
      {"EXIF of the thumbnail only", [](HeifLayout& l) { l.link = HeifLayout::Link::ToThumbnail; }, 0},
      {"no EXIF item", [](HeifLayout& l) { l.tiff.clear(); }, 0},
  };
  for (const auto& c : cases) {
    HeifLayout layout;
    layout.tiff = tiff;
    c.change(layout);
    EXPECT_EQ(dateOf(CaptureFormat::Heif, heifFile(layout)), c.expected) << c.name;
  }

  // The thumbnail's own EXIF item, listed first, does not count.
  CameraShot other = bare();
  other.dateTimeOriginal = "2001:01:01 01:01:01";
  HeifLayout two;
  two.tiff = tiff;
  two.thumbnailTiff = cameraTiff(other);
  EXPECT_EQ(dateOf(CaptureFormat::Heif, heifFile(two)), Original);
  two.link = HeifLayout::Link::None;  // two unlinked candidates: neither is the photo's
  two.thumbnailTiff = cameraTiff(other);
  EXPECT_EQ(dateOf(CaptureFormat::Heif, heifFile(two)), 0);
}

TEST(HeifDates, BrokenFilesGiveNoDate) {
  HeifLayout layout;
  layout.tiff = cameraTiff(bare());
  const std::string good = heifFile(layout);
  expectCutsAreSafe(CaptureFormat::Heif, good, ShotDates);
  layout.inIdat = true;
  layout.extents = 2;
  expectCutsAreSafe(CaptureFormat::Heif, heifFile(layout), ShotDates);

  // The payload's header offset points past the item.
  layout = HeifLayout{};
  layout.tiff = cameraTiff(bare());
  layout.prefix = std::string(6, 'x');
  layout.prefixCounted = false;
  EXPECT_EQ(dateOf(CaptureFormat::Heif, heifFile(layout)), 0);
  std::string far = heifFile(HeifLayout{.tiff = cameraTiff(bare())});
  const size_t payload = far.find(std::string("\0\0\0\x06" "Exif\0\0", 10));
  ASSERT_NE(payload, std::string::npos);
  far.replace(payload, 4, std::string("\xFF\xFF\xFF\xF0", 4));
  EXPECT_EQ(dateOf(CaptureFormat::Heif, far), 0);

  // A meta box that claims to be larger than the file.
  std::string claims = good;
  const size_t meta = claims.find("meta") - 4;
  claims.replace(meta, 4, std::string("\x7F\xFF\xFF\xFF", 4));
  EXPECT_EQ(dateOf(CaptureFormat::Heif, claims), Original);
  // A box smaller than its own header ends the walk.
  std::string tiny = good;
  tiny.replace(meta, 4, std::string("\0\0\0\x04", 4));
  EXPECT_EQ(dateOf(CaptureFormat::Heif, tiny), 0);
}

// --- CR3 -----------------------------------------------------------------------

TEST(Cr3Dates, ReadsBothBlocksOfTheMakersBox) {
  for (const bool be : {false, true}) {
    const CameraShot shot = bare(be);
    EXPECT_EQ(dateOf(CaptureFormat::Cr3, cr3File(cr3Ifd0(shot), cr3ExifIfd(shot))), Original) << be;
    // Without the EXIF block, IFD0's DateTime.
    EXPECT_EQ(dateOf(CaptureFormat::Cr3, cr3File(cr3Ifd0(shot), "")), Plain) << be;
  }
  CameraShot digitizedOnly = bare();
  digitizedOnly.dateTimeOriginal.clear();
  EXPECT_EQ(dateOf(CaptureFormat::Cr3, cr3File(cr3Ifd0(digitizedOnly), cr3ExifIfd(digitizedOnly))), Digitized);
  CameraShot zero = bare();
  zero.dateTimeOriginal = "0000:00:00 00:00:00";
  EXPECT_EQ(dateOf(CaptureFormat::Cr3, cr3File(cr3Ifd0(zero), cr3ExifIfd(zero))), 0);

  const std::string good = cr3File(cr3Ifd0(bare()), cr3ExifIfd(bare()));
  std::string otherUuid = good;
  otherUuid.replace(otherUuid.find("\x85\xc0\xb6\x87"), 1, "\x86");
  EXPECT_EQ(dateOf(CaptureFormat::Cr3, otherUuid), 0);
  expectCutsAreSafe(CaptureFormat::Cr3, good, ShotDates);
}

// --- QuickTime / MP4 -----------------------------------------------------------

TEST(MovieDates, MetadataKeysThenMovieHeader) {
  // The test process runs in Europe/Berlin: 09:43:59 UTC in July is 11:43:59 local.
  const uint64_t july = movieTime(2019, 7, 14, 9, 43, 59);
  const uint64_t january = movieTime(2019, 1, 14, 10, 0, 0);
  const DateTime julyLocal = zantrel::encodeDateTime(2019, 7, 14, 11, 43, 59);
  const DateTime keyDate = zantrel::encodeDateTime(2019, 7, 14, 6, 43, 59);
  struct Case {
    const char* name;
    std::function<void(MovieLayout&)> change;
    DateTime expected;
  } cases[] = {
      {"header v0", [&](MovieLayout& l) { l.created = july; }, julyLocal},
      {"header v1", [&](MovieLayout& l) { l.created = july; l.headerVersion = 1; }, julyLocal},
      {"winter time", [&](MovieLayout& l) { l.created = january; }, zantrel::encodeDateTime(2019, 1, 14, 11, 0, 0)},
      {"moov after mdat", [&](MovieLayout& l) { l.created = july; l.moovAfterMdat = true; }, julyLocal},
      {"64-bit mdat before moov",
       [&](MovieLayout& l) { l.created = july; l.moovAfterMdat = true; l.mediaSize = MovieLayout::MediaSize::Large; },
       julyLocal},
      {"mdat to the end",
       [&](MovieLayout& l) { l.created = july; l.moovAfterMdat = true; l.mediaSize = MovieLayout::MediaSize::ToEnd; },
       julyLocal},
      {"not set", [](MovieLayout&) {}, 0},
      {"before 1970", [](MovieLayout& l) { l.created = movieTime(1969, 12, 31, 23, 0, 0); }, 0},
      {"key with offset", [&](MovieLayout& l) { l.created = july; l.creationDate = "2019-07-14T06:43:59-0500"; }, keyDate},
      {"key with colon offset", [&](MovieLayout& l) { l.creationDate = "2019-07-14T06:43:59-05:00"; }, keyDate},
      {"key in UTC", [&](MovieLayout& l) { l.creationDate = "2019-07-14T06:43:59Z"; }, keyDate},
      {"key without offset", [&](MovieLayout& l) { l.creationDate = "2019-07-14T06:43:59"; }, keyDate},
      {"MP4 meta full box", [&](MovieLayout& l) { l.metaIsFullBox = true; l.creationDate = "2019-07-14T06:43:59+0100"; },
       keyDate},
      {"key and moov after mdat",
       [&](MovieLayout& l) { l.moovAfterMdat = true; l.creationDate = "2019-07-14T06:43:59+0100"; }, keyDate},
      {"key not a date", [&](MovieLayout& l) { l.created = july; l.creationDate = "yesterday at noon, roughly"; }, julyLocal},
      {"key cut short", [&](MovieLayout& l) { l.created = july; l.creationDate = "2019-07-14T06:43"; }, julyLocal},
      {"mp4 brand", [&](MovieLayout& l) { l.brand = "isom"; l.created = july; }, julyLocal},
  };
  for (const auto& c : cases) {
    MovieLayout layout;
    c.change(layout);
    EXPECT_EQ(dateOf(CaptureFormat::QuickTime, movieFile(layout)), c.expected) << c.name;
  }
}

TEST(MovieDates, NeverReadsTheMediaData) {
  using Size = MovieLayout::MediaSize;
  for (const auto& [after, size] : {std::pair{false, Size::Plain}, std::pair{true, Size::Plain},
                                    std::pair{true, Size::Large}, std::pair{false, Size::ToEnd}}) {
    MovieLayout layout;
    layout.created = movieTime(2019, 7, 14, 9, 43, 59);
    layout.moovAfterMdat = after || size == Size::ToEnd;
    layout.mediaSize = size;
    layout.creationDate = "2019-07-14T06:43:59Z";
    layout.mediaBytes = 1 << 20;
    std::string movie = movieFile(layout);
    // Media right after the file type, where a reader taking more than a
    // header would reach into it.
    const size_t spacer = movie.find(std::string("\0\0\0\x08wide", 8));
    if (spacer != std::string::npos) movie.erase(spacer, 8);
    const size_t mdat = movie.find("mdat") + (size == Size::Large ? 12 : 4);  // the first media byte
    WatchedSource file(movie);
    EXPECT_GT(zantrel::captureDateFrom(file, CaptureFormat::QuickTime), 0);
    EXPECT_FALSE(file.touchedAny(mdat, mdat + layout.mediaBytes)) << after << static_cast<int>(size);
  }
}

TEST(MovieDates, BrokenBoxesGiveNoDate) {
  MovieLayout layout;
  layout.created = movieTime(2019, 7, 14, 9, 43, 59);
  layout.creationDate = "2019-07-14T06:43:59Z";
  const std::string good = movieFile(layout);
  const DateTime whole = dateOf(CaptureFormat::QuickTime, good);
  for (size_t n = 0; n < good.size(); n += 1 + n / 64) {
    const DateTime d = dateOf(CaptureFormat::QuickTime, good.substr(0, n));
    // A cut inside the keys leaves the header's date.
    EXPECT_TRUE(d == 0 || d == whole || d == zantrel::encodeDateTime(2019, 7, 14, 11, 43, 59)) << n;
  }
  // mdat first, claiming more than the file has: moov is never reached.
  layout.moovAfterMdat = true;
  std::string past = movieFile(layout);
  past.replace(past.find("mdat") - 4, 4, std::string("\xFF\xFF\xFF\xF0", 4));
  EXPECT_EQ(dateOf(CaptureFormat::QuickTime, past), 0);
  // A 64-bit size of 8, smaller than its own 16-byte header.
  const std::string small = fileTypeBox("isom") + std::string("\0\0\0\x01mdat\0\0\0\0\0\0\0\x08", 16) +
                            movieFile(MovieLayout{.created = layout.created});
  EXPECT_EQ(dateOf(CaptureFormat::QuickTime, small), 0);
  // A keys count far beyond the box still finds the key; a key size far
  // beyond it loses the keys, and the header's date stands.
  const size_t count = good.find("keys") + 8;
  std::string keys = good;
  keys.replace(count, 4, std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_EQ(dateOf(CaptureFormat::QuickTime, keys), whole);
  keys = good;
  keys.replace(count + 4, 4, std::string("\x7F\xFF\xFF\xFF", 4));
  EXPECT_EQ(dateOf(CaptureFormat::QuickTime, keys), zantrel::encodeDateTime(2019, 7, 14, 11, 43, 59));
}

// --- PNG, WebP, RAF ------------------------------------------------------------

TEST(PngDates, ExifChunkOrRawProfile) {
  const std::string tiff = cameraTiff(bare());
  const std::string tiffBe = cameraTiff(bare(true));
  CameraShot other = bare();
  other.dateTimeOriginal = "2001:01:01 01:01:01";
  struct Case {
    const char* name;
    PngLayout layout;
    DateTime expected;
  } cases[] = {
      {"eXIf", {.exifChunk = tiff}, Original},
      {"eXIf big-endian after the image", {.exifChunk = tiffBe, .exifAfterImage = true}, Original},
      {"eXIf with Exif prefix", {.exifChunk = exifPayload(tiff)}, Original},
      {"tEXt profile", {.profileChunk = "tEXt", .profileBytes = exifPayload(tiff)}, Original},
      {"zTXt profile", {.profileChunk = "zTXt", .profileBytes = exifPayload(tiffBe)}, Original},
      {"iTXt compressed", {.profileChunk = "iTXt", .profileBytes = tiff}, Original},
      {"iTXt plain", {.profileChunk = "iTXt", .profileCompressed = false, .profileBytes = exifPayload(tiff)}, Original},
      {"APP1 profile",
       {.profileChunk = "zTXt", .profileKeyword = "Raw profile type APP1", .profileBytes = exifPayload(tiff)},
       Original},
      {"eXIf wins over a profile",
       {.exifChunk = tiff, .exifAfterImage = true, .profileChunk = "zTXt", .profileBytes = cameraTiff(other)},
       Original},
      {"eXIf without a date, profile with one",
       {.exifChunk = cameraTiff(CameraShot{.dateTime = "", .dateTimeOriginal = "", .dateTimeDigitized = ""}),
        .profileChunk = "tEXt",
        .profileBytes = tiff},
       Original},
      {"other keyword", {.profileChunk = "tEXt", .profileKeyword = "Comment", .profileBytes = tiff}, 0},
      {"nothing", {}, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(dateOf(CaptureFormat::Png, pngFile(c.layout)), c.expected) << c.name;
  expectCutsAreSafe(CaptureFormat::Png, pngFile({.profileChunk = "zTXt", .profileBytes = tiff}), ShotDates);
  expectCutsAreSafe(CaptureFormat::Png, pngFile({.exifChunk = tiff, .exifAfterImage = true}), ShotDates);
}

TEST(PngDates, ProfileThatInflatesWithoutEndStopsAtTheCap) {
  // 64 MB of hex digits after a length line that claims a gigabyte: the
  // reader inflates up to its cap, decodes no TIFF block and gives no date.
  PngLayout layout;
  layout.profileChunk = "zTXt";
  layout.profileText = "\nexif\n 1000000000\n" + std::string(64u << 20, '0');
  EXPECT_EQ(dateOf(CaptureFormat::Png, pngFile(layout)), 0);
}

TEST(WebpDates, ExifChunkWithOrWithoutPrefix) {
  const std::string tiff = cameraTiff(bare(true));
  EXPECT_EQ(dateOf(CaptureFormat::WebP, webpFile(tiff)), Original);
  EXPECT_EQ(dateOf(CaptureFormat::WebP, webpFile(exifPayload(tiff))), Original);
  EXPECT_EQ(dateOf(CaptureFormat::WebP, webpFile(std::string(40, 'x'))), 0);
  // A RIFF size past the end of the file: read as far as the file goes.
  std::string longer = webpFile(tiff);
  longer.replace(4, 4, std::string("\xF0\xFF\xFF\x7F", 4));
  EXPECT_EQ(dateOf(CaptureFormat::WebP, longer), Original);
  // A RIFF size that ends before the EXIF chunk hides it.
  std::string shorter = webpFile(tiff);
  shorter.replace(4, 4, std::string("\x20\0\0\0", 4));
  EXPECT_EQ(dateOf(CaptureFormat::WebP, shorter), 0);
  expectCutsAreSafe(CaptureFormat::WebP, webpFile(tiff), ShotDates);
}

TEST(RafDates, TheEmbeddedJpegIsReadAsAJpeg) {
  EXPECT_EQ(dateOf(CaptureFormat::Raf, rafFile(cameraJpeg())), Original);
  CameraShot be;
  be.bigEndian = true;
  be.dateTimeOriginal.clear();
  EXPECT_EQ(dateOf(CaptureFormat::Raf, rafFile(cameraJpeg(be))), Digitized);
  std::string wrongMaker = rafFile(cameraJpeg());
  wrongMaker[0] = 'X';
  EXPECT_EQ(dateOf(CaptureFormat::Raf, wrongMaker), 0);
  std::string pastEnd = rafFile(cameraJpeg());
  pastEnd.replace(84, 4, std::string("\x7F\0\0\0", 4));
  EXPECT_EQ(dateOf(CaptureFormat::Raf, pastEnd), 0);
  expectCutsAreSafe(CaptureFormat::Raf, rafFile(cameraJpeg()), ShotDates);
}

// --- the choice of reader --------------------------------------------------------

TEST(CaptureFormats, ChosenByTheLowerCasedExtension) {
  const struct {
    const char* extensions;
    CaptureFormat format;
  } groups[] = {
      {".jpg .JPEG .jpe", CaptureFormat::Jpeg},
      {".tif .TIFF .nef .NEF", CaptureFormat::Tiff},
      {".cr2 .ARW .dng .orf .RW2 .pef .srw .nrw .3fr .erf .kdc .mef .mos .IIQ", CaptureFormat::TiffRaw},
      {".heic .HEIF .hif .avif", CaptureFormat::Heif},
      {".CR3", CaptureFormat::Cr3},
      {".raf", CaptureFormat::Raf},
      {".PNG", CaptureFormat::Png},
      {".webp", CaptureFormat::WebP},
      {".mov .MP4 .m4v .3gp .3g2 .qt", CaptureFormat::QuickTime},
      {".avi .mkv .gif .he .cr .mp .q . x", CaptureFormat::None},
  };
  for (const auto& g : groups) {
    std::string all = g.extensions;
    size_t at = 0;
    while (at < all.size()) {
      const size_t blank = all.find(' ', at);
      const std::string ext = all.substr(at, blank == std::string::npos ? std::string::npos : blank - at);
      EXPECT_EQ(zantrel::captureFormatOf(ext), g.format) << ext;
      at = blank == std::string::npos ? all.size() : blank + 1;
    }
  }
  EXPECT_EQ(zantrel::captureFormatOf(""), CaptureFormat::None);
}

}  // namespace
