#include "exif/image_info.h"

#include <cmath>
#include <cstring>
#include <exception>
#include <limits>

#include "exif/exif_data.h"
#include "exif/maker_note.h"
#include "lib/strings.h"

namespace zantrel {

namespace {

using namespace tiff_tags;

std::string cut(std::string_view text, size_t most) { return std::string(text.substr(0, most)); }

// Restores the walk depth however the sub-directory walk ends.
struct DepthGuard {
  int& depth;
  explicit DepthGuard(int& d) : depth(d) { ++depth; }
  ~DepthGuard() { --depth; }
};

}  // namespace

int bytesPerFormat(int type) {
  return type >= 0 && type < static_cast<int>(BytesPerFormat.size()) ? BytesPerFormat[static_cast<size_t>(type)] : 0;
}

int roundToInt(double value) {
  if (!std::isfinite(value)) return 0;
  const double r = std::nearbyint(value);  // the default rounding mode sends halves to even
  if (r < std::numeric_limits<int>::min() || r > std::numeric_limits<int>::max()) return 0;
  return static_cast<int>(r);
}

TImageInfo::TImageInfo(TimgData* parent, int buildCode)
    : Parent(parent), BuildCode(buildCode), IsTiff(parent ? parent->IsTiff : false) {
  static const bool titled = (makeTitles(), true);
  (void)titled;
}

TImageInfo::~TImageInfo() = default;

const std::string& TImageInfo::blockBytes() const {
  return Parent && Parent->ExifBlock ? Parent->ExifBlock->Bytes : Bytes;
}

int TImageInfo::tagIndexByName(std::string_view name) const {
  for (size_t i = 0; i < Tags.size(); ++i) {
    if (equalsIgnoreAsciiCase(Tags[i].Name, name)) return static_cast<int>(i);
  }
  return -1;
}

std::string TImageInfo::tagValueByName(std::string_view name) const {
  const int i = tagIndexByName(name);
  return i < 0 ? std::string() : Tags[static_cast<size_t>(i)].Text;
}

double TImageInfo::numericTagValue(std::string_view raw, int type) const {
  switch (type) {
    case 1:
    case 3:
    case 4:
    case 6:
    case 8:
    case 9:
      return static_cast<int32_t>(intFromBytes(raw));
    case 5:
    case 10: {
      const auto numerator = static_cast<int32_t>(intFromBytes(raw.substr(0, 4)));
      const auto denominator = static_cast<int32_t>(intFromBytes(raw.substr(std::min<size_t>(4, raw.size()), 4)));
      // A zero denominator carries no value; it must not stop the walk.
      return denominator == 0 ? 0.0 : static_cast<double>(numerator) / denominator;
    }
    case 11: {
      if (raw.size() < 4) return 0;
      const uint32_t bits = intFromBytes(raw.substr(0, 4));
      float f;
      std::memcpy(&f, &bits, sizeof f);
      return std::isfinite(f) ? f : 0.0;
    }
    case 12: {
      if (raw.size() < 8) return 0;
      const uint64_t high = intFromBytes(raw.substr(BigEndian ? 0 : 4, 4));
      const uint64_t low = intFromBytes(raw.substr(BigEndian ? 4 : 0, 4));
      const uint64_t bits = high << 32 | low;
      double d;
      std::memcpy(&d, &bits, sizeof d);
      return std::isfinite(d) ? d : 0.0;
    }
    default:
      return 0;
  }
}

bool TImageInfo::wasVisited(int64_t start, int64_t base) const { return visitedDirs_.count({base, start}) > 0; }

void TImageInfo::walkDirectory(int64_t start, int64_t base, int64_t length, int kind) {
  // Past these limits the file is hostile or broken; what was found stays.
  if (walks_ >= MaxDirectoryWalks || depth_ >= MaxDirectoryDepth) return;
  ++walks_;
  visitedDirs_.insert({base, start});
  if (!holds(start, 2)) return;  // the directory lies outside the block

  const int64_t n = read16At(start);
  if (2 + 12 * n > base + length) {
    if (Parent) Parent->Status = "Illegally sized directory";
    return;
  }
  // The next directory after the first main one holds the thumbnail
  // (IFD1); it is recorded, not walked.
  if (kind == MainDirectory && ThumbDirOffset == 0 && !IsTiff) {
    ThumbDirOffset = read32At(start + 2 + 12 * n);
    ThumbDirLength = base + length - ThumbDirOffset;
  }
  for (int64_t i = 0; i < n; ++i) {
    const int64_t p = start + 2 + 12 * i;
    // Entries run on in order, so once one leaves the block all later ones do.
    if (!holds(p, 12) || entriesRead_ >= MaxEntriesRead) return;
    ++entriesRead_;
    readEntry(p, base, length, kind);
  }
}

namespace {

// The tags a walk for the capture date reads: the dates, and every pointer
// the full walk follows (a date in any directory it reaches counts).
bool leadsToDate(uint16_t tag) {
  switch (tag) {
    case TagDateTime:
    case TagDateTimeOriginal:
    case TagDateTimeDigitized:
    case TagSubIfds:
    case TagExifOffset:
    case TagInteroperabilityOffset:
    case TagGpsInfo:
      return true;
    default:
      return false;
  }
}

}  // namespace

void TImageInfo::readEntry(int64_t p, int64_t base, int64_t length, int kind) {
  const uint16_t tag = read16At(p);
  if (Parent && Parent->DatesOnly && !leadsToDate(tag)) return;
  const uint16_t type = read16At(p + 2);
  // Counts are unsigned in TIFF; in 64 bits no product can overflow.
  const uint64_t count = static_cast<uint32_t>(read32At(p + 4));
  const uint64_t byteCount = count * static_cast<uint64_t>(bytesPerFormat(type));
  if (byteCount == 0) return;
  const int64_t valuePos = byteCount <= 4 ? p + 8 : static_cast<int64_t>(read32At(p + 8)) + base;

  // The value bytes, cut short where the block ends; none when the value
  // position lies outside the block.
  const std::string& block = blockBytes();
  std::string_view raw;
  if (valuePos >= 1 && valuePos <= static_cast<int64_t>(block.size())) {
    const size_t from = static_cast<size_t>(valuePos - 1);
    raw = std::string_view(block).substr(from, static_cast<size_t>(std::min<uint64_t>(byteCount, block.size() - from)));
  }

  std::string text;
  if (BuildCode == BuildTexts || BuildCode == BuildEverything) {
    text = buildEntryText(tag, type, raw, valuePos, byteCount, kind);
  }

  switch (tag) {
    case TagImageWidth:
    case TagExifImageWidth:
      WidthPos = p + 8;
      Width = roundToInt(numericTagValue(raw, type));
      break;
    case TagImageLength:
    case TagExifImageLength:
      HeightPos = p + 8;
      Height = roundToInt(numericTagValue(raw, type));
      break;
    case TagCompression:
      if (kind == ThumbDirectory) ThumbCompression = roundToInt(numericTagValue(raw, type));
      break;
    case TagMake:
      MakeText = cut(text, 32);
      break;
    case TagModel:
      ModelText = cut(text, 40);
      break;
    case TagDateTime:
      recordDatePosition(DateTimePos, dateTimeFromFirst_, valuePos);
      DateText = cut(text, 20);
      break;
    case TagDateTimeOriginal:
      recordDatePosition(DateTimeOriginalPos, originalFromFirst_, valuePos);
      DateText = cut(text, 20);
      break;
    case TagDateTimeDigitized:
      recordDatePosition(DateTimeDigitizedPos, digitizedFromFirst_, valuePos);
      break;
    case TagExifVersion:
      ExifVersionText = cut(raw, 6);
      break;
    case TagFlash:
      FlashValue = roundToInt(numericTagValue(raw, type));
      break;
    case TagMakerNote: {
      // A camera writes one maker note; a file that repeats the entry
      // thousands of times must not make the walk copy the block as often.
      if (MakerNotePos != 0) break;
      MakerNoteBytes = std::string(raw);
      MakerNotePos = valuePos;
      TmsInfo decoder(IsTiff, *this);
      MakerNoteFound = decoder.run();
      break;
    }
    case TagSubIfds:  // of several offsets only the first is followed
    case TagExifOffset:
    case TagInteroperabilityOffset:
      followDirectory(valuePos, base, length, MainDirectory);
      break;
    case TagGpsInfo:
      followDirectory(valuePos, base, length, GpsDirectory);
      break;
    default:
      break;
  }

  if (BuildCode == BuildLists || BuildCode == BuildEverything) {
    try {
      storeEntry(tag, text, raw, valuePos, type, kind);
    } catch (const std::exception&) {
      // An entry that cannot be kept does not stop the walk.
    }
  }
}

void TImageInfo::recordDatePosition(int64_t& position, bool& fromFirst, int64_t valuePos) {
  // In an EXIF block a date tag of the first directory outweighs the same
  // tag in any directory it points at, met before or after it. A
  // TIFF-structured file keeps the last one met.
  const bool first = depth_ == 0;
  if (fromFirst && !first && !IsTiff) return;
  position = valuePos;
  fromFirst = first;
}

void TImageInfo::followDirectory(int64_t valuePos, int64_t base, int64_t length, int kind) {
  if (!holds(valuePos, 4)) return;
  const int64_t sub = static_cast<int64_t>(read32At(valuePos)) + base;
  if (wasVisited(sub, base)) return;
  DepthGuard guard(depth_);
  try {
    walkDirectory(sub, base, length, kind);
  } catch (const std::exception&) {
    // A broken sub-directory leaves the rest of the walk alone.
  }
}

}  // namespace zantrel
