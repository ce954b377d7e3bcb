// Image files built byte by byte for tests: JPEG, PNG, GIF, TIFF and BMP
// headers with chosen sizes and layouts, and helpers to place raw byte
// patterns. Every builder returns the file's bytes as a std::string, ready
// for TempDir::write.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace image_builder {

// Bytes from hexadecimal pairs, blanks ignored: hex("FF D8 FF").
std::string hex(const std::string& pairs);
std::string be16(uint32_t value);
std::string be32(uint32_t value);
std::string le16(uint32_t value);
std::string le32(uint32_t value);

// size zero bytes with bytes copied in at offset (the text grows if needed).
std::string placeAt(std::string base, size_t offset, const std::string& bytes);
std::string zeros(size_t size);

inline std::span<const uint8_t> asBytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// --- JPEG ---------------------------------------------------------------
// FF marker, big-endian length (body + 2), body.
std::string jpegSegment(uint8_t marker, const std::string& body);
std::string jfifApp0();
// APP1 with "Exif\0\0" and a small little-endian TIFF block after it.
std::string exifApp1();
std::string quantTable();
// Start-of-frame segment (marker C0, C2, ...) for 3 components.
std::string startOfFrame(uint8_t marker, uint16_t width, uint16_t height);

struct JpegLayout {
  bool jfif = true;
  bool exif = true;
  uint8_t frameMarker = 0xC0;
  std::string beforeFrame;  // extra bytes (fill bytes, segments) right before the frame
};
// SOI, APP0 / APP1 as asked, DQT, the frame, a scan with a few bytes, EOI.
std::string jpeg(uint16_t width, uint16_t height, const JpegLayout& layout = {});

// --- PNG ----------------------------------------------------------------
// Signature, IHDR (with its CRC), IDAT stub, IEND.
std::string png(uint32_t width, uint32_t height);

// --- GIF ----------------------------------------------------------------
std::string gifGraphicControl(uint16_t delay);
std::string gifComment(const std::string& text);
struct GifLayout {
  std::string version = "89a";
  uint16_t screenWidth = 1;
  uint16_t screenHeight = 1;
  int globalTableBits = -1;  // N of 2^(N+1) colours; -1 = no global table
  std::vector<std::string> blocksBeforeImage;
};
std::string gif(uint16_t width, uint16_t height, const GifLayout& layout = {});

// --- TIFF ---------------------------------------------------------------
struct TiffEntry {
  uint16_t tag;
  uint16_t type;  // 3 SHORT, 4 LONG, ...
  uint32_t value;
};
// Header in the chosen byte order, then the first directory at offset 8
// with the given entries (SHORT values left-justified in the value field).
std::string tiff(bool bigEndian, const std::vector<TiffEntry>& entries);
std::string tiffWithSize(bool bigEndian, uint32_t width, uint32_t height, uint16_t type = 3);

// --- BMP ----------------------------------------------------------------
// File header and 40-byte info header (or another header size), a few
// pixel bytes.
std::string bmp(int32_t width, int32_t height, uint32_t infoHeaderSize = 40);

}  // namespace image_builder
