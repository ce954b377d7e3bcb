#include "exif/tiff_dates.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "exif/capture_date.h"
#include "exif/exif_data.h"
#include "exif/image_info.h"

namespace zantrel {

namespace {

using namespace tiff_tags;

constexpr size_t DateTextLength = 19;

// The numbers that follow the byte order: 42 in TIFF, "RO"/"RS"/"OR" in
// ORF files, 0x55 in RW2 files.
bool isTiffMagic(uint16_t magic) { return magic == 42 || magic == 0x4F52 || magic == 0x5352 || magic == 0x55; }

class DateWalk {
 public:
  DateWalk(const ByteSource& block, bool bigEndian, const TiffWalkRules& rules, TiffDateTexts& dates)
      : reader_(block),
        length_(block.size()),
        bound_(rules.directoryBound != 0 ? rules.directoryBound : block.size()),
        bigEndian_(bigEndian),
        rules_(rules),
        dates_(dates) {}

  void walk(uint64_t offset, int depth) {
    if (walks_ >= MaxTiffDirectories || depth >= MaxTiffDepth) return;
    ++walks_;
    visited_.insert(offset);
    if (offset < rules_.firstOffset) return;
    uint8_t count[2];
    if (!readAt(offset, count, 2)) return;
    const uint64_t n = u16(count);
    // A directory longer than the whole block (or the rules' bound) is not
    // read at all; one that merely runs past the block's end is read as far
    // as it goes.
    if (2 + 12 * n > bound_) return;
    // The entries in one read, kept while the values and sub-directories
    // they point at are read, so that no block is fetched twice.
    const uint64_t wanted = std::min<uint64_t>(n, static_cast<uint64_t>(MaxTiffEntries - entries_));
    if (wanted == 0 || offset + 2 >= length_) return;
    std::vector<uint8_t> entries(static_cast<size_t>(std::min<uint64_t>(12 * wanted, length_ - offset - 2)));
    reader_.seek(offset + 2);
    const size_t got = reader_.read(entries.data(), entries.size()) / 12;
    entries_ += static_cast<int>(got);
    for (size_t i = 0; i < got; ++i) readEntry(offset + 2 + 12 * i, entries.data() + 12 * i, depth);
  }

 private:
  void readEntry(uint64_t at, const uint8_t* entry, int depth) {
    const uint16_t tag = u16(entry);
    const uint64_t byteCount = uint64_t{u32(entry + 4)} * static_cast<uint64_t>(bytesPerFormat(u16(entry + 2)));
    if (byteCount == 0) return;
    const bool inEntry = byteCount <= 4;
    const uint64_t valuePos = inEntry ? at + 8 : u32(entry + 8);
    // A value outside the block's reach: the entry is given up.
    if (valuePos < rules_.firstOffset || (rules_.signedOffsets && valuePos >= uint64_t{1} << 31)) return;
    switch (tag) {
      case TagDateTimeOriginal:
        dates_.original = text(valuePos);
        dates_.hasOriginal = true;
        break;
      case TagDateTimeDigitized:
        dates_.digitized = text(valuePos);
        dates_.hasDigitized = true;
        break;
      case TagDateTime:
        dates_.dateTime = text(valuePos);
        dates_.hasDateTime = true;
        break;
      case TagInteroperabilityOffset:
      case TagGpsInfo:
        if (!rules_.everyPointer) break;
        [[fallthrough]];
      case TagSubIfds:  // of several offsets only the first is followed
      case TagExifOffset: {
        uint8_t field[4];
        if (inEntry) {
          std::memcpy(field, entry + 8, sizeof field);
        } else if (!readAt(valuePos, field, sizeof field)) {
          break;
        }
        const uint64_t sub = u32(field);
        if (visited_.count(sub) == 0) walk(sub, depth + 1);
        break;
      }
      default:
        break;
    }
  }

  // The date text as the value stands, cut where the block ends; a text
  // cut short does not convert.
  std::string text(uint64_t at) {
    char buffer[DateTextLength];
    reader_.seek(at);
    return std::string(buffer, reader_.read(buffer, sizeof buffer));
  }

  bool readAt(uint64_t at, uint8_t* out, size_t n) {
    reader_.seek(at);
    return reader_.readExact(out, n);
  }
  uint16_t u16(const uint8_t* p) const { return bigEndian_ ? bigEndian16(p) : littleEndian16(p); }
  uint32_t u32(const uint8_t* p) const { return bigEndian_ ? bigEndian32(p) : littleEndian32(p); }

  BlockReader reader_;
  uint64_t length_;
  uint64_t bound_;
  bool bigEndian_;
  const TiffWalkRules& rules_;
  TiffDateTexts& dates_;
  std::set<uint64_t> visited_;
  int walks_ = 0;
  int entries_ = 0;
};

// A .tif, .tiff or .nef file is read as the container reads it: only its
// first TiffReadLimit bytes after the header, every directory pointer
// followed, the number after the byte order not looked at, and offsets
// taken as signed numbers. The bound of the directory size test is the one
// that container's walk applies (its base, -7, plus its length).
constexpr TiffWalkRules TiffFileRules{8, TiffReadLimit - 7, true, true, true};

}  // namespace

bool collectTiffDates(const ByteSource& block, TiffDateTexts& dates, const TiffWalkRules& rules) {
  uint8_t header[8];
  if (block.readAt(0, header, sizeof header) != sizeof header) return false;
  bool bigEndian = false;
  if (std::memcmp(header, "MM", 2) == 0) {
    bigEndian = true;
  } else if (std::memcmp(header, "II", 2) != 0) {
    return false;
  }
  if (!rules.anyMagic && !isTiffMagic(bigEndian ? bigEndian16(header + 2) : littleEndian16(header + 2))) return false;
  const uint32_t first = bigEndian ? bigEndian32(header + 4) : littleEndian32(header + 4);
  DateWalk walk(block, bigEndian, rules, dates);
  // An offset of 0 names no directory; the one after the header is taken,
  // as for a JPEG's EXIF block.
  walk.walk(first == 0 ? sizeof header : first, 0);
  return true;
}

DateTime captureDateOf(const TiffDateTexts& dates) {
  if (dates.hasOriginal) return parseExifDate(dates.original);
  if (dates.hasDigitized) return parseExifDate(dates.digitized);
  if (dates.hasDateTime) return parseExifDate(dates.dateTime);
  return 0;
}

DateTime tiffBlockCaptureDate(const ByteSource& block) {
  TiffDateTexts dates;
  if (!collectTiffDates(block, dates)) return 0;
  return captureDateOf(dates);
}

DateTime tiffFileCaptureDate(const ByteSource& file) {
  const ByteWindow window(file, 0, TiffFileRules.firstOffset + TiffReadLimit);
  // The header and, mostly, the first directory in the first read.
  const PrefixedBytes start(window, CaptureDateFirstRead, ExifBlockFirstRead);
  TiffDateTexts dates;
  if (!collectTiffDates(start, dates, TiffFileRules)) return 0;
  return captureDateOf(dates);
}

DateTime tiffRawCaptureDate(const ByteSource& file) {
  return tiffBlockCaptureDate(PrefixedBytes(file, CaptureDateFirstRead, ExifBlockFirstRead));
}

int64_t tiffHeaderAt(const ByteSource& payload, uint64_t at) {
  char head[6];
  const size_t n = payload.readAt(at, head, sizeof head);
  if (n >= 2 && (std::memcmp(head, "II", 2) == 0 || std::memcmp(head, "MM", 2) == 0)) return static_cast<int64_t>(at);
  if (n == sizeof head && std::memcmp(head, "Exif\0\0", 6) == 0) return static_cast<int64_t>(at + sizeof head);
  return -1;
}

}  // namespace zantrel
