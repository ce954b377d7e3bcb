// Builds EXIF test files byte by byte: TIFF structures with any number of
// directories (which may point anywhere, also at each other), EXIF APP1
// payloads, and JPEG files from freely ordered segments. Shared by every
// test that needs a photo.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// A number's bytes in a byte order.
std::string u16(uint16_t value, bool bigEndian);
std::string u32(uint32_t value, bool bigEndian);

// TIFF value types.
enum TiffType : uint16_t {
  TiffByte = 1,
  TiffAscii = 2,
  TiffShort = 3,
  TiffLong = 4,
  TiffRational = 5,
  TiffSByte = 6,
  TiffUndefined = 7,
  TiffSShort = 8,
  TiffSLong = 9,
  TiffSRational = 10,
  TiffFloat = 11,
  TiffDouble = 12,
};

// Tag numbers the tests use.
enum ExifTag : uint16_t {
  TagImageWidth = 0x0100,
  TagImageLength = 0x0101,
  TagCompression = 0x0103,
  TagMake = 0x010F,
  TagModel = 0x0110,
  TagOrientation = 0x0112,
  TagXResolution = 0x011A,
  TagYResolution = 0x011B,
  TagResolutionUnit = 0x0128,
  TagDateTime = 0x0132,
  TagSubIfds = 0x014A,
  TagThumbOffset = 0x0201,
  TagThumbLength = 0x0202,
  TagExposureTime = 0x829A,
  TagFNumber = 0x829D,
  TagExifOffset = 0x8769,
  TagGpsInfo = 0x8825,
  TagExifVersion = 0x9000,
  TagDateTimeOriginal = 0x9003,
  TagDateTimeDigitized = 0x9004,
  TagFlash = 0x9209,
  TagFocalLength = 0x920A,
  TagMakerNote = 0x927C,
  TagExifImageWidth = 0xA002,
  TagExifImageLength = 0xA003,
  TagInteropOffset = 0xA005,
  TagGpsLatitudeRef = 0x0001,
  TagGpsLatitude = 0x0002,
  TagInteropIndex = 0x0001,
};

// A TIFF structure: the 8-byte header, then every directory in the order
// made, each followed by its out-of-line values, then the blobs. Offsets
// count from the header, as in an EXIF block and in a TIFF file.
class TiffBuilder {
 public:
  explicit TiffBuilder(bool bigEndian = false) : bigEndian_(bigEndian) {}
  bool bigEndian() const { return bigEndian_; }

  // A new, empty directory; its number is used below. The first one made
  // sits at offset 8 and is the one the header names.
  int addDirectory();

  // An entry whose value bytes (already in this byte order) sit in the
  // entry when they fit in 4 bytes and after the directory otherwise.
  TiffBuilder& entry(int dir, uint16_t tag, uint16_t type, uint32_t count, std::string value);
  // An entry whose 4-byte value field is written as given: counts and
  // offsets that lie (hostile files).
  TiffBuilder& rawEntry(int dir, uint16_t tag, uint16_t type, uint32_t count, uint32_t valueField);
  TiffBuilder& ascii(int dir, uint16_t tag, std::string_view text);  // a zero byte is added
  TiffBuilder& shorts(int dir, uint16_t tag, const std::vector<uint16_t>& values);
  TiffBuilder& longValue(int dir, uint16_t tag, uint32_t value);
  TiffBuilder& rational(int dir, uint16_t tag, uint32_t numerator, uint32_t denominator);
  TiffBuilder& undefined(int dir, uint16_t tag, std::string_view bytes);
  // A LONG entry holding the offset of directory target (ExifOffset, ...).
  TiffBuilder& pointer(int dir, uint16_t tag, int target);
  // A LONG entry holding the offset of blob (thumbnail data).
  TiffBuilder& blobPointer(int dir, uint16_t tag, int blob);
  // Bytes placed after all directories; returns the blob's number.
  int addBlob(std::string bytes);
  // The directory's next-directory field points at target (IFD0 -> IFD1).
  TiffBuilder& next(int dir, int target);
  // The directory's entry count says claimed, whatever it holds.
  TiffBuilder& claimEntries(int dir, uint16_t claimed);
  // The header names this offset as the first directory's.
  TiffBuilder& firstOffset(uint32_t offset);

  // Offset of a directory and of a blob in the built structure.
  uint32_t offsetOf(int dir) const;
  uint32_t blobOffset(int blob) const;
  std::string build() const;

 private:
  struct Entry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    std::string value;
    enum Kind { Value, Raw, DirPointer, BlobPointer } kind = Value;
    uint32_t field = 0;  // Raw: the value field; pointers: the target
  };
  struct Directory {
    std::vector<Entry> entries;
    int next = -1;
    int claimed = -1;
  };
  uint32_t directorySize(const Directory& d) const;
  // The last entry's value field names a directory or a blob.
  TiffBuilder& markLast(int dir, int kind);
  static uint32_t padded(size_t n) { return static_cast<uint32_t>((n + 1) & ~size_t{1}); }

  bool bigEndian_;
  std::vector<Directory> dirs_;
  std::vector<std::string> blobs_;
  int64_t firstOffset_ = -1;
};

// The APP1 payload of an EXIF block: "Exif", two zero bytes, the TIFF data.
std::string exifPayload(std::string_view tiff);

// JPEG files from segments in any order. build() writes SOI, the segments,
// and (with an image) start of scan, a little scan data and end of image.
class JpegBuilder {
 public:
  JpegBuilder& segment(uint8_t marker, std::string_view payload);
  JpegBuilder& raw(std::string_view bytes);  // verbatim: fill bytes, broken lengths
  JpegBuilder& app0();
  JpegBuilder& app1Exif(std::string_view tiff);
  JpegBuilder& app1Xmp();
  JpegBuilder& app13();
  JpegBuilder& comment(std::string_view text = "made by a test");
  JpegBuilder& dqt();
  JpegBuilder& dht();
  JpegBuilder& sof(uint16_t width = 640, uint16_t height = 480);
  std::string build(bool withImage = true) const;

 private:
  std::string body_;
};

// A photo as a camera writes it: IFD0 (make, model, orientation,
// resolution, DateTime, EXIF and GPS pointers), the EXIF directory (exposure,
// version, DateTimeOriginal, DateTimeDigitized, image size, flash,
// interoperability pointer), a GPS directory, an interoperability
// directory and IFD1 with a JPEG thumbnail. An empty date leaves its tag
// out.
struct CameraShot {
  bool bigEndian = false;
  std::string make = "Acme";
  std::string model = "Shooter 5";
  std::string dateTime = "2013:04:12 18:00:00";
  std::string dateTimeOriginal = "2013:04:12 15:30:45";
  std::string dateTimeDigitized = "2013:04:12 15:30:46";
  uint32_t width = 4000;
  uint32_t height = 3000;
  bool gps = true;
  bool interop = true;
  bool thumbnail = true;
};

std::string cameraTiff(const CameraShot& shot = {});
std::string cameraJpeg(const CameraShot& shot = {});

}  // namespace testing_support
