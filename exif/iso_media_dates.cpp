// Capture dates of ISO base media files: HEIF images, CR3 raw files and
// QuickTime/MP4 recordings.
#include <cstring>
#include <string_view>

#include "exif/container_dates.h"
#include "exif/image_info.h"
#include "exif/tiff_dates.h"
#include "lib/heif_meta.h"
#include "lib/iso_boxes.h"
#include "platform/localtime.h"

namespace zantrel {

namespace {

// The top level of a recording is mostly media data: it is walked in
// reads of a box header's size field and type, so that not a byte of the
// media is read (a 64-bit size takes one read more).
constexpr size_t TopLevelBlock = 8;

constexpr uint8_t CanonMetadataUuid[16] = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0,
                                           0x81, 0x11, 0xf4, 0xce, 0x46, 0x2b, 0x6a, 0x48};

constexpr std::string_view CreationDateKey = "com.apple.quicktime.creationdate";
// Keys listed in one keys box; a recording has a dozen.
constexpr uint32_t MaxMetadataKeys = 4096;
// The creation date is a short text; more of a value is not read.
constexpr size_t MaxDateValue = 64;
// Seconds from 1904-01-01 to 1970-01-01, both UTC.
constexpr uint64_t MovieEpochOffset = 2082844800;
// 9999-12-31 23:59:59 UTC: later times have no DateTime.
constexpr uint64_t LastUnixSecond = 253402300799;

// The moov box of a file, found by walking the top level by sizes, and
// read as a source of its own, so that no block read strays out of it.
class Movie {
 public:
  explicit Movie(const ByteSource& file) : found_(findMovie(file, box_)), bytes_(file, box_.start, box_.end - box_.start) {}
  bool found() const { return found_; }
  const ByteSource& bytes() const { return bytes_; }
  BlockReader& reader() { return reader_; }
  IsoBoxWalker children() { return IsoBoxWalker(reader_, box_.payload - box_.start, bytes_.size()); }

 private:
  static bool findMovie(const ByteSource& file, IsoBox& moov) {
    BlockReader top(file, 0, TopLevelBlock);
    return findBox(top, 0, file.size(), fourCC("moov"), moov);
  }

  IsoBox box_;
  bool found_;
  ByteWindow bytes_;
  BlockReader reader_{bytes_};
};

// --- QuickTime / MP4 -------------------------------------------------------------

DateTime movieHeaderDate(BlockReader& reader, const IsoBox& mvhd) {
  BoxFields f(reader, mvhd.payload, mvhd.end);
  const uint8_t version = f.u8();
  f.skip(3);
  if (version > 1) return 0;
  const uint64_t created = version == 1 ? f.u64() : f.u32();
  // 0 means the time was never set; before 1970 no camera recorded.
  if (!f.ok() || created <= MovieEpochOffset || created - MovieEpochOffset > LastUnixSecond) return 0;
  return platform::localDateTimeOf({static_cast<int64_t>(created - MovieEpochOffset), 0});
}

// The 1-based index of the creation-date key, 0 when keys has none.
uint32_t creationDateKeyIndex(BlockReader& reader, const IsoBox& keys) {
  BoxFields f(reader, keys.payload, keys.end);
  f.skip(4);  // version and flags
  const uint32_t count = f.u32();
  for (uint32_t i = 1; i <= count && i <= MaxMetadataKeys && f.ok(); ++i) {
    const uint32_t size = f.u32();
    if (size < 8) return 0;
    f.u32();  // namespace ("mdta")
    if (size - 8 == CreationDateKey.size()) {
      if (f.bytes(size - 8) == CreationDateKey && f.ok()) return i;
    } else {
      f.skip(size - 8);
    }
  }
  return 0;
}

// The date text of the ilst entry for key index, converted; the wall-clock
// part before any offset is the capture date.
DateTime listedDate(BlockReader& reader, const IsoBox& ilst, uint32_t index) {
  IsoBoxWalker entries(reader, ilst.payload, ilst.end);
  IsoBox entry;
  while (entries.next(entry)) {
    if (entry.type != index) continue;
    IsoBox data;
    if (!findBox(reader, entry.payload, entry.end, fourCC("data"), data)) return 0;
    BoxFields f(reader, data.payload, data.end);
    f.skip(8);  // type indicator and locale
    const std::string value = f.bytes(MaxDateValue);
    if (!f.ok() || value.size() < 19) return 0;
    return parseExifDate(std::string_view(value).substr(0, 19));
  }
  return 0;
}

DateTime metadataCreationDate(BlockReader& reader, const IsoBox& meta) {
  IsoBoxWalker walker(reader, metaChildren(reader, meta), meta.end);
  IsoBox box;
  IsoBox keys;
  IsoBox ilst;
  bool hasKeys = false;
  bool hasList = false;
  while (walker.next(box)) {
    if (box.type == fourCC("keys") && !hasKeys) {
      keys = box;
      hasKeys = true;
    } else if (box.type == fourCC("ilst") && !hasList) {
      ilst = box;
      hasList = true;
    }
  }
  if (!hasKeys || !hasList) return 0;
  const uint32_t index = creationDateKeyIndex(reader, keys);
  return index == 0 ? 0 : listedDate(reader, ilst, index);
}

}  // namespace

DateTime quickTimeCaptureDate(const ByteSource& file) {
  Movie movie(file);
  if (!movie.found()) return 0;
  BlockReader& reader = movie.reader();
  IsoBoxWalker walker = movie.children();
  IsoBox box;
  DateTime headerDate = 0;
  bool headerSeen = false;
  DateTime keyedDate = 0;
  bool metaSeen = false;
  while (walker.next(box)) {
    if (box.type == fourCC("mvhd") && !headerSeen) {
      headerSeen = true;
      headerDate = movieHeaderDate(reader, box);
    } else if (box.type == fourCC("meta") && !metaSeen) {
      metaSeen = true;
      keyedDate = metadataCreationDate(reader, box);
    }
  }
  return keyedDate >= 1.0 ? keyedDate : headerDate;
}

// --- CR3 -----------------------------------------------------------------------

DateTime cr3CaptureDate(const ByteSource& file) {
  Movie movie(file);
  if (!movie.found()) return 0;
  BlockReader& reader = movie.reader();
  IsoBoxWalker walker = movie.children();
  IsoBox box;
  while (walker.next(box)) {
    if (box.type != fourCC("uuid")) continue;
    BoxFields f(reader, box.payload, box.end);
    const std::string userType = f.bytes(sizeof CanonMetadataUuid);
    if (!f.ok() || std::memcmp(userType.data(), CanonMetadataUuid, sizeof CanonMetadataUuid) != 0) continue;
    // IFD0 (with DateTime) first, then the EXIF directory, as a walk of a
    // single block would meet them.
    TiffDateTexts dates;
    for (const uint32_t type : {fourCC("CMT1"), fourCC("CMT2")}) {
      IsoBox block;
      if (!findBox(reader, f.position(), box.end, type, block)) continue;
      const ByteWindow window(movie.bytes(), block.payload, block.payloadSize());
      collectTiffDates(PrefixedBytes(window, ExifBlockFirstRead), dates);
    }
    return captureDateOf(dates);
  }
  return 0;
}

// --- HEIF ----------------------------------------------------------------------

DateTime heifCaptureDate(const ByteSource& file) {
  BlockReader reader(file);
  HeifMeta meta;
  if (!readHeifMeta(reader, file.size(), meta)) return 0;
  const uint32_t exif = meta.primaryExifItem();
  std::vector<JoinedBytes::Part> parts;
  if (exif == 0 || !meta.itemParts(exif, file.size(), parts)) return 0;
  const JoinedBytes pieces(file, parts);
  const PrefixedBytes item(pieces, ExifBlockFirstRead);
  // The payload starts with the offset of the TIFF header after it.
  uint8_t head[4];
  if (item.readAt(0, head, sizeof head) != sizeof head) return 0;
  const int64_t tiff = tiffHeaderAt(item, sizeof head + uint64_t{bigEndian32(head)});
  if (tiff < 0) return 0;
  return tiffBlockCaptureDate(ByteWindow(item, static_cast<uint64_t>(tiff), item.size()));
}

}  // namespace zantrel
