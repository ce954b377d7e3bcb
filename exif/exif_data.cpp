#include "exif/exif_data.h"

#include <exception>

#include "exif/capture_date.h"
#include "exif/image_info.h"
#include "exif/iptc.h"
#include "lib/strings.h"
#include "lib/byte_reader.h"
#include "lib/paths.h"
#include "platform/filesystem.h"
#include "platform/input_file.h"

namespace zantrel {

namespace {

constexpr int MarkerEndOfImage = 0xD9;
constexpr int MarkerStartOfScan = 0xDA;
constexpr int MarkerApp0 = 0xE0;
constexpr int MarkerApp1 = 0xE1;
constexpr int MarkerApp13 = 0xED;
constexpr int MarkerComment = 0xFE;

// The JPEG segment walk takes markers and length fields byte by byte and
// whole segments. A camera file's leading segments (a JFIF header and an
// EXIF block of a few KiB) mostly fit in a first read of 4 KiB, and the
// capture date needs nothing after them; a longer segment comes in one
// further read, and a walk over many segments goes on in 64 KiB blocks.
constexpr size_t JpegFirstBlockSize = CaptureDateFirstRead;
constexpr size_t JpegBlockSize = 64 * 1024;

}  // namespace

TimgData::TimgData(int buildCode) : BuildCode(buildCode) { reset(); }

TimgData::~TimgData() = default;

void TimgData::reset() {
  SegmentCount = 0;
  ExifBlock = IptcBlock = CommentBlock = JfifBlock = nullptr;
  FileName.clear();
  FileDate = 0;
  FileSize = 0;
  ReadError = 0;
  Status.clear();
  TagReader.reset();
  IptcReader.reset();
  BigEndian = false;
}

void TimgData::readFileFacts(const std::string& name) { recordFileFacts(name, platform::fileStatus(name)); }

void TimgData::recordFileFacts(const std::string& name, const platform::FileStatus& st) {
  if (!st.exists) return;
  FileName = name;
  FileDate = platform::localWriteTime(st);
  FileSize = static_cast<int64_t>(st.size);
}

bool TimgData::scanFile(const std::string& name) { return scanFile(name, platform::fileStatus(name), nullptr); }

bool TimgData::scanFile(const std::string& name, const platform::FileStatus& st, const platform::InputFile* opened) {
  reset();
  // Any readable file is scanned, whatever its time stamp says: a photo
  // whose file date was lost (1970, say) is exactly the one whose capture
  // date is wanted.
  if (!st.exists || st.isFolder) return false;
  recordFileFacts(name, st);
  Status = "Not an EXIF file";
  const std::string ext = asciiLowerText(fileExtension(name));
  const bool jpeg = ext == ".jpg" || ext == ".jpeg" || ext == ".jpe";
  const bool tiff = ext == ".tif" || ext == ".tiff" || ext == ".nef";
  if (!jpeg && !tiff) return false;
  try {
    if (opened && opened->isOpen()) {
      const FileBytes file(*opened);
      const bool found = scanSource(file, tiff);
      ReadError = file.error();
      return found;
    }
    FileBytes file;
    if (!file.open(name)) {
      ReadError = file.error();
      Status = "Illegal Exif construction";
      return false;
    }
    const bool found = scanSource(file, tiff);
    ReadError = file.error();
    return found;
  } catch (const std::exception&) {
    IsTiff = false;
    Status = "Illegal Exif construction";
    return false;
  }
}

bool TimgData::scanBytes(std::string_view data, bool asTiff) {
  reset();
  Status = "Not an EXIF file";
  const MemoryBytes bytes(std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
  return scanSource(bytes, asTiff);
}

bool TimgData::scanSource(const ByteSource& source, bool asTiff) {
  bool found = false;
  if (asTiff) {
    IsTiff = true;
    found = scanTiff(source);
    IsTiff = false;
  } else {
    IsTiff = false;
    found = scanJpeg(source);
  }
  if (found) Status = "<none>";
  return found;
}

bool TimgData::scanJpeg(const ByteSource& source) {
  try {
    BlockReader in(source, 0, JpegBlockSize, JpegFirstBlockSize);
    uint8_t b0 = 0, b1 = 0;
    if (!in.readByte(b0) || !in.readByte(b1) || b0 != 0xFF || b1 != 0xD8) return false;
    SegmentCount = 0;
    // A file that ends before start of scan, or a length field below 2
    // (after which no next segment can be found), ends the walk with what
    // was found so far.
    while (SegmentCount < MaxJpegSegments) {
      uint8_t marker = 0xFF;
      while (marker == 0xFF) {
        if (!in.readByte(marker)) return foundAnyBlock();
      }
      uint8_t hi = 0, lo = 0;
      if (!in.readByte(hi) || !in.readByte(lo)) return foundAnyBlock();
      const int length = hi * 256 + lo;
      if (length < 2) return foundAnyBlock();

      ++SegmentCount;
      tSection& slot = Segments[SegmentCount];
      slot.Marker = marker;
      slot.Length = length;
      slot.Bytes.clear();
      slot.Bytes.push_back(static_cast<char>(hi));
      slot.Bytes.push_back(static_cast<char>(lo));
      // A file that ends mid-segment leaves the slot short; what it holds
      // is still looked at (a cut-off EXIF block may carry its date).
      slot.Bytes.resize(static_cast<size_t>(length));
      slot.Bytes.resize(2 + in.read(slot.Bytes.data() + 2, static_cast<size_t>(length - 2)));

      // Tested before the fifth segment is looked at: an APP1 in fifth
      // place counts only after a comment or APP13 segment.
      if (SegmentCount == 5 && !foundAnyBlock()) return false;

      switch (marker) {
        case MarkerEndOfImage:
        case MarkerStartOfScan:
          return foundAnyBlock();
        case MarkerApp0:
          JfifBlock = &slot;
          break;
        case MarkerApp1:
          if (SegmentCount <= 5 && !ExifBlock) {
            ExifBlock = &slot;
            TagReader = std::make_unique<TImageInfo>(this, BuildCode);
            setBytes(slot.Bytes);
            parseExifBlock();
            if (StopAfterExif) return true;
          } else {
            --SegmentCount;  // dropped; the next segment reuses the slot
          }
          break;
        case MarkerApp13:
          if (!IptcBlock) {
            IptcBlock = &slot;
            IptcReader = std::make_unique<TIPTCdata>(*this);
          }
          break;
        case MarkerComment:
          CommentBlock = &slot;
          break;
        default:
          break;
      }
    }
    return foundAnyBlock();
  } catch (const std::exception&) {
    return false;
  }
}

bool TimgData::scanTiff(const ByteSource& source) {
  try {
    char header[8];
    const size_t got = source.readAt(0, header, sizeof header);
    if (got < 2) return false;
    const std::string_view order(header, 2);
    if (order != "II" && order != "MM") return false;
    if (got < sizeof header) return false;  // the header itself is cut short

    tSection& slot = Segments[1];
    slot.Marker = 0;
    slot.Length = 0;
    // Position 1 holds file offset 8; the block holds only what the file has.
    slot.Bytes.assign(TiffReadLimit, '\0');
    slot.Bytes.resize(source.readAt(sizeof header, slot.Bytes.data(), TiffReadLimit));
    SegmentCount = 1;
    ExifBlock = &slot;

    TagReader = std::make_unique<TImageInfo>(this, BuildCode);
    TagReader->ReportText.clear();
    TagReader->setBytes(slot.Bytes);
    setBytes(slot.Bytes);
    TagReader->BigEndian = order == "MM";
    // The first directory where the header says (0 names none: the one
    // after the header is taken); file offset X is position X - 7, so a
    // directory inside the header lies outside the block.
    const auto* h = reinterpret_cast<const uint8_t*>(header + 4);
    const uint32_t first = TagReader->BigEndian ? bigEndian32(h) : littleEndian32(h);
    const int64_t start = first == 0 ? 1 : static_cast<int64_t>(first) - 7;
    TagReader->walkDirectory(start, -7, static_cast<int64_t>(TiffReadLimit), MainDirectory);
    TagReader->deriveFocalLength35();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TimgData::parseExifBlock() {
  if (!ExifBlock) return;
  if (!TagReader) TagReader = std::make_unique<TImageInfo>(this, BuildCode);
  const std::string& block = ExifBlock->Bytes;
  if (block.size() < 7 || std::string_view(block).substr(2, 5) != ExifHeaderText) {
    Status = "Incorrect Exif header";
    return;
  }
  const std::string_view order = block.size() >= 10 ? std::string_view(block).substr(8, 2) : std::string_view();
  if (order == "II") {
    BigEndian = false;
  } else if (order == "MM") {
    BigEndian = true;
  } else {
    Status = "Invalid Exif alignment marker";
    return;
  }
  TagReader->ReportText.clear();
  TagReader->setBytes(Bytes);
  TagReader->BigEndian = BigEndian;
  const int32_t first = read32At(13);
  // The TIFF header begins at position 9 of the segment.
  const int64_t start = first == 0 ? 17 : static_cast<int64_t>(first) + 9;
  TagReader->walkDirectory(start, 9, static_cast<int64_t>(ExifBlock->Length) - 6, MainDirectory);
  if (!Status.empty()) TagReader->deriveFocalLength35();
}

}  // namespace zantrel
