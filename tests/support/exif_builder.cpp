#include "support/exif_builder.h"

#include <stdexcept>

namespace testing_support {

std::string u16(uint16_t value, bool bigEndian) {
  const char hi = static_cast<char>(value >> 8), lo = static_cast<char>(value & 0xFF);
  return bigEndian ? std::string{hi, lo} : std::string{lo, hi};
}

std::string u32(uint32_t value, bool bigEndian) {
  std::string out;
  for (int i = 0; i < 4; ++i) {
    const int shift = bigEndian ? 24 - 8 * i : 8 * i;
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
  }
  return out;
}

int TiffBuilder::addDirectory() {
  dirs_.emplace_back();
  return static_cast<int>(dirs_.size()) - 1;
}

TiffBuilder& TiffBuilder::entry(int dir, uint16_t tag, uint16_t type, uint32_t count, std::string value) {
  Entry e;
  e.tag = tag;
  e.type = type;
  e.count = count;
  e.value = std::move(value);
  dirs_.at(static_cast<size_t>(dir)).entries.push_back(std::move(e));
  return *this;
}

TiffBuilder& TiffBuilder::rawEntry(int dir, uint16_t tag, uint16_t type, uint32_t count, uint32_t valueField) {
  Entry e;
  e.tag = tag;
  e.type = type;
  e.count = count;
  e.kind = Entry::Raw;
  e.field = valueField;
  dirs_.at(static_cast<size_t>(dir)).entries.push_back(std::move(e));
  return *this;
}

TiffBuilder& TiffBuilder::ascii(int dir, uint16_t tag, std::string_view text) {
  std::string value(text);
  value.push_back('\0');
  const auto count = static_cast<uint32_t>(value.size());
  return entry(dir, tag, TiffAscii, count, std::move(value));
}

TiffBuilder& TiffBuilder::shorts(int dir, uint16_t tag, const std::vector<uint16_t>& values) {
  std::string value;
  for (uint16_t v : values) value += u16(v, bigEndian_);
  return entry(dir, tag, TiffShort, static_cast<uint32_t>(values.size()), std::move(value));
}

TiffBuilder& TiffBuilder::longValue(int dir, uint16_t tag, uint32_t value) {
  return entry(dir, tag, TiffLong, 1, u32(value, bigEndian_));
}

TiffBuilder& TiffBuilder::rational(int dir, uint16_t tag, uint32_t numerator, uint32_t denominator) {
  return entry(dir, tag, TiffRational, 1, u32(numerator, bigEndian_) + u32(denominator, bigEndian_));
}

TiffBuilder& TiffBuilder::undefined(int dir, uint16_t tag, std::string_view bytes) {
  return entry(dir, tag, TiffUndefined, static_cast<uint32_t>(bytes.size()), std::string(bytes));
}

TiffBuilder& TiffBuilder::pointer(int dir, uint16_t tag, int target) {
  return rawEntry(dir, tag, TiffLong, 1, static_cast<uint32_t>(target)).markLast(dir, Entry::DirPointer);
}

TiffBuilder& TiffBuilder::blobPointer(int dir, uint16_t tag, int blob) {
  return rawEntry(dir, tag, TiffLong, 1, static_cast<uint32_t>(blob)).markLast(dir, Entry::BlobPointer);
}

TiffBuilder& TiffBuilder::markLast(int dir, int kind) {
  dirs_.at(static_cast<size_t>(dir)).entries.back().kind = static_cast<Entry::Kind>(kind);
  return *this;
}

int TiffBuilder::addBlob(std::string bytes) {
  blobs_.push_back(std::move(bytes));
  return static_cast<int>(blobs_.size()) - 1;
}

TiffBuilder& TiffBuilder::next(int dir, int target) {
  dirs_.at(static_cast<size_t>(dir)).next = target;
  return *this;
}

TiffBuilder& TiffBuilder::claimEntries(int dir, uint16_t claimed) {
  dirs_.at(static_cast<size_t>(dir)).claimed = claimed;
  return *this;
}

TiffBuilder& TiffBuilder::firstOffset(uint32_t offset) {
  firstOffset_ = offset;
  return *this;
}

uint32_t TiffBuilder::directorySize(const Directory& d) const {
  uint32_t size = 2 + 12 * static_cast<uint32_t>(d.entries.size()) + 4;
  for (const Entry& e : d.entries) {
    if (e.kind == Entry::Value && e.value.size() > 4) size += padded(e.value.size());
  }
  return size;
}

uint32_t TiffBuilder::offsetOf(int dir) const {
  uint32_t offset = 8;
  for (int i = 0; i < dir; ++i) offset += directorySize(dirs_.at(static_cast<size_t>(i)));
  return offset;
}

uint32_t TiffBuilder::blobOffset(int blob) const {
  uint32_t offset = offsetOf(static_cast<int>(dirs_.size()));
  for (int i = 0; i < blob; ++i) offset += padded(blobs_.at(static_cast<size_t>(i)).size());
  return offset;
}

std::string TiffBuilder::build() const {
  std::string out = bigEndian_ ? "MM" : "II";
  out += u16(42, bigEndian_);
  out += u32(firstOffset_ >= 0 ? static_cast<uint32_t>(firstOffset_) : 8, bigEndian_);
  for (size_t i = 0; i < dirs_.size(); ++i) {
    const Directory& d = dirs_[i];
    const uint32_t start = offsetOf(static_cast<int>(i));
    if (out.size() != start) throw std::logic_error("TiffBuilder layout");
    const auto count = static_cast<uint16_t>(d.claimed >= 0 ? d.claimed : static_cast<int>(d.entries.size()));
    out += u16(count, bigEndian_);
    uint32_t dataAt = start + 2 + 12 * static_cast<uint32_t>(d.entries.size()) + 4;
    std::string data;
    for (const Entry& e : d.entries) {
      out += u16(e.tag, bigEndian_);
      out += u16(e.type, bigEndian_);
      out += u32(e.count, bigEndian_);
      switch (e.kind) {
        case Entry::Raw:
          out += u32(e.field, bigEndian_);
          break;
        case Entry::DirPointer:
          out += u32(offsetOf(static_cast<int>(e.field)), bigEndian_);
          break;
        case Entry::BlobPointer:
          out += u32(blobOffset(static_cast<int>(e.field)), bigEndian_);
          break;
        case Entry::Value:
          if (e.value.size() <= 4) {
            out += e.value + std::string(4 - e.value.size(), '\0');
          } else {
            out += u32(dataAt, bigEndian_);
            data += e.value;
            if (e.value.size() % 2) data.push_back('\0');
            dataAt += padded(e.value.size());
          }
          break;
      }
    }
    out += u32(d.next >= 0 ? offsetOf(d.next) : 0, bigEndian_);
    out += data;
  }
  for (const std::string& blob : blobs_) {
    out += blob;
    if (blob.size() % 2) out.push_back('\0');
  }
  return out;
}

std::string exifPayload(std::string_view tiff) { return std::string("Exif\0\0", 6) + std::string(tiff); }

JpegBuilder& JpegBuilder::segment(uint8_t marker, std::string_view payload) {
  const size_t length = payload.size() + 2;
  if (length > 0xFFFF) throw std::length_error("JPEG segment too long");
  body_ += '\xFF';
  body_ += static_cast<char>(marker);
  body_ += u16(static_cast<uint16_t>(length), true);
  body_ += payload;
  return *this;
}

JpegBuilder& JpegBuilder::raw(std::string_view bytes) {
  body_ += bytes;
  return *this;
}

JpegBuilder& JpegBuilder::app0() { return segment(0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14)); }

JpegBuilder& JpegBuilder::app1Exif(std::string_view tiff) { return segment(0xE1, exifPayload(tiff)); }

JpegBuilder& JpegBuilder::app1Xmp() {
  // A metadata packet: an APP1 segment that is no EXIF block.
  const std::string name = "http://ns.example.org/xmp/1.0/";
  return segment(0xE1, name + '\0' + "<x:xmpmeta xmlns:x='xmp:meta/'><rdf:RDF/></x:xmpmeta>");
}

JpegBuilder& JpegBuilder::app13() {
  // A resource block holding one empty IPTC record set.
  return segment(0xED, std::string("Photoshop 3.0\0008BIM\x04\x04\0\0\0\0\0\0", 26));
}

JpegBuilder& JpegBuilder::comment(std::string_view text) { return segment(0xFE, text); }

JpegBuilder& JpegBuilder::dqt() {
  std::string table(1, '\0');
  for (int i = 0; i < 64; ++i) table.push_back(static_cast<char>(1 + i % 16));
  return segment(0xDB, table);
}

JpegBuilder& JpegBuilder::dht() {
  std::string table(1, '\0');
  table += std::string("\0\x01\x05\x01\x01\x01\x01\x01\x01\0\0\0\0\0\0\0", 16);
  for (int i = 0; i < 12; ++i) table.push_back(static_cast<char>(i));
  return segment(0xC4, table);
}

JpegBuilder& JpegBuilder::sof(uint16_t width, uint16_t height) {
  std::string frame(1, '\x08');
  frame += u16(height, true) + u16(width, true);
  frame += std::string("\x03\x01\x22\0\x02\x11\x01\x03\x11\x01", 10);
  return segment(0xC0, frame);
}

std::string JpegBuilder::build(bool withImage) const {
  std::string out = "\xFF\xD8";
  out += body_;
  if (withImage) {
    out += std::string("\xFF\xDA\0\x0C\x03\x01\0\x02\x11\x03\x11\0\x3F\0", 14);
    out += std::string("\x12\x34\xFF\x00\x56\x78\x9A", 7);  // scan data with a stuffed 0xFF
    out += "\xFF\xD9";
  }
  return out;
}

std::string cameraTiff(const CameraShot& shot) {
  const bool be = shot.bigEndian;
  TiffBuilder t(be);
  const int ifd0 = t.addDirectory();
  const int exif = t.addDirectory();
  const int gps = shot.gps ? t.addDirectory() : -1;
  const int interop = shot.interop ? t.addDirectory() : -1;
  const int ifd1 = shot.thumbnail ? t.addDirectory() : -1;

  t.ascii(ifd0, TagMake, shot.make).ascii(ifd0, TagModel, shot.model);
  t.shorts(ifd0, TagOrientation, {1});
  t.rational(ifd0, TagXResolution, 72, 1).rational(ifd0, TagYResolution, 72, 1);
  t.shorts(ifd0, TagResolutionUnit, {2});
  if (!shot.dateTime.empty()) t.ascii(ifd0, TagDateTime, shot.dateTime);
  t.pointer(ifd0, TagExifOffset, exif);
  if (shot.gps) t.pointer(ifd0, TagGpsInfo, gps);

  t.rational(exif, TagExposureTime, 1, 60).rational(exif, TagFNumber, 28, 10);
  t.undefined(exif, TagExifVersion, "0220");
  if (!shot.dateTimeOriginal.empty()) t.ascii(exif, TagDateTimeOriginal, shot.dateTimeOriginal);
  if (!shot.dateTimeDigitized.empty()) t.ascii(exif, TagDateTimeDigitized, shot.dateTimeDigitized);
  t.shorts(exif, TagFlash, {0x19});
  t.rational(exif, TagFocalLength, 58, 10);
  t.longValue(exif, TagExifImageWidth, shot.width).longValue(exif, TagExifImageLength, shot.height);
  if (shot.interop) t.pointer(exif, TagInteropOffset, interop);

  if (shot.gps) {
    t.ascii(gps, TagGpsLatitudeRef, "N");
    t.entry(gps, TagGpsLatitude, TiffRational, 3,
            u32(52, be) + u32(1, be) + u32(31, be) + u32(1, be) + u32(1234, be) + u32(100, be));
  }
  if (shot.interop) t.ascii(interop, TagInteropIndex, "R98");
  if (shot.thumbnail) {
    const std::string thumbnail = JpegBuilder().dqt().sof(160, 120).dht().build();
    const int thumb = t.addBlob(thumbnail);
    t.next(ifd0, ifd1);
    t.shorts(ifd1, TagCompression, {6});
    t.blobPointer(ifd1, TagThumbOffset, thumb);
    t.longValue(ifd1, TagThumbLength, static_cast<uint32_t>(thumbnail.size()));
  }
  return t.build();
}

std::string cameraJpeg(const CameraShot& shot) {
  return JpegBuilder().app1Exif(cameraTiff(shot)).dqt().sof().dht().build();
}

}  // namespace testing_support
