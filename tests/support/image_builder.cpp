#include "support/image_builder.h"

#include <stdexcept>

namespace image_builder {

std::string hex(const std::string& pairs) {
  std::string out;
  int high = -1;
  for (char c : pairs) {
    if (c == ' ') continue;
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else throw std::invalid_argument("hex: bad digit");
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<char>(high << 4 | v));
      high = -1;
    }
  }
  if (high >= 0) throw std::invalid_argument("hex: odd digit count");
  return out;
}

std::string be16(uint32_t v) { return {static_cast<char>(v >> 8), static_cast<char>(v)}; }
std::string le16(uint32_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
std::string be32(uint32_t v) { return be16(v >> 16) + be16(v); }
std::string le32(uint32_t v) { return le16(v) + le16(v >> 16); }

std::string zeros(size_t size) { return std::string(size, '\0'); }

std::string placeAt(std::string base, size_t offset, const std::string& bytes) {
  if (base.size() < offset + bytes.size()) base.resize(offset + bytes.size(), '\0');
  base.replace(offset, bytes.size(), bytes);
  return base;
}

// --- JPEG ---------------------------------------------------------------

std::string jpegSegment(uint8_t marker, const std::string& body) {
  return std::string{'\xFF', static_cast<char>(marker)} + be16(static_cast<uint32_t>(body.size() + 2)) + body;
}

std::string jfifApp0() {
  return jpegSegment(0xE0, std::string("JFIF", 4) + hex("00 01 01 00 00 48 00 48 00 00"));
}

std::string exifApp1() {
  // A TIFF block with one IFD entry (orientation), enough to look real.
  std::string tiffBlock = "II" + le16(42) + le32(8) + le16(1) + le16(0x0112) + le16(3) + le32(1) + le32(1) + le32(0);
  return jpegSegment(0xE1, std::string("Exif\0\0", 6) + tiffBlock);
}

std::string quantTable() {
  std::string body(1, '\0');
  for (int i = 0; i < 64; ++i) body.push_back(static_cast<char>(1 + i % 16));
  return jpegSegment(0xDB, body);
}

std::string startOfFrame(uint8_t marker, uint16_t width, uint16_t height) {
  std::string body = hex("08") + be16(height) + be16(width) + hex("03 01 22 00 02 11 01 03 11 01");
  return jpegSegment(marker, body);
}

std::string jpeg(uint16_t width, uint16_t height, const JpegLayout& layout) {
  std::string out = hex("FF D8");
  if (layout.jfif) out += jfifApp0();
  if (layout.exif) out += exifApp1();
  out += quantTable();
  out += layout.beforeFrame;
  out += startOfFrame(layout.frameMarker, width, height);
  out += jpegSegment(0xC4, hex("00 01 01") + zeros(15) + hex("00"));
  out += jpegSegment(0xDA, hex("03 01 00 02 11 03 11 00 3F 00"));
  out += hex("12 34 56 78 FF 00 9A");
  out += hex("FF D9");
  return out;
}

// --- PNG ----------------------------------------------------------------

namespace {

uint32_t crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string pngChunk(const std::string& type, const std::string& data) {
  return be32(static_cast<uint32_t>(data.size())) + type + data + be32(crc32(type + data));
}

}  // namespace

std::string png(uint32_t width, uint32_t height) {
  std::string out = hex("89 50 4E 47 0D 0A 1A 0A");
  out += pngChunk("IHDR", be32(width) + be32(height) + hex("08 02 00 00 00"));
  out += pngChunk("IDAT", hex("78 9C 63 00 00 00 01 00 01"));
  out += pngChunk("IEND", "");
  return out;
}

// --- GIF ----------------------------------------------------------------

std::string gifGraphicControl(uint16_t delay) { return hex("21 F9 04 00") + le16(delay) + hex("00 00"); }

std::string gifComment(const std::string& text) {
  return hex("21 FE") + std::string(1, static_cast<char>(text.size())) + text + hex("00");
}

std::string gif(uint16_t width, uint16_t height, const GifLayout& layout) {
  std::string out = "GIF" + layout.version + le16(layout.screenWidth) + le16(layout.screenHeight);
  uint8_t packed = 0;
  if (layout.globalTableBits >= 0) packed = static_cast<uint8_t>(0x80 | 0x70 | layout.globalTableBits);
  out += std::string{static_cast<char>(packed), '\0', '\0'};
  if (layout.globalTableBits >= 0) {
    size_t colours = size_t{1} << (layout.globalTableBits + 1);
    for (size_t i = 0; i < colours; ++i) out += std::string(3, static_cast<char>(i));
  }
  for (const auto& block : layout.blocksBeforeImage) out += block;
  out += hex("2C") + le16(0) + le16(0) + le16(width) + le16(height) + hex("00");
  out += hex("02 02 44 01 00");  // LZW code size, one data sub-block, terminator
  out += hex("3B");
  return out;
}

// --- TIFF ---------------------------------------------------------------

std::string tiff(bool bigEndian, const std::vector<TiffEntry>& entries) {
  auto u16 = bigEndian ? be16 : le16;
  auto u32 = bigEndian ? be32 : le32;
  std::string out = (bigEndian ? "MM" : "II") + u16(42) + u32(8);
  out += u16(static_cast<uint32_t>(entries.size()));
  for (const TiffEntry& e : entries) {
    out += u16(e.tag) + u16(e.type) + u32(1);
    out += e.type == 3 ? u16(e.value) + u16(0) : u32(e.value);
  }
  out += u32(0);
  return out;
}

std::string tiffWithSize(bool bigEndian, uint32_t width, uint32_t height, uint16_t type) {
  return tiff(bigEndian, {{0x00FE, 4, 0}, {256, type, width}, {257, type, height}, {258, 3, 8}, {259, 3, 1}});
}

// --- BMP ----------------------------------------------------------------

std::string bmp(int32_t width, int32_t height, uint32_t infoHeaderSize) {
  std::string info = le32(infoHeaderSize) + le32(static_cast<uint32_t>(width)) + le32(static_cast<uint32_t>(height)) +
                     le16(1) + le16(24) + le32(0) + le32(0) + le32(2835) + le32(2835) + le32(0) + le32(0);
  std::string pixels(16, '\x7F');
  uint32_t total = static_cast<uint32_t>(14 + info.size() + pixels.size());
  return "BM" + le32(total) + le32(0) + le32(14 + static_cast<uint32_t>(info.size())) + info + pixels;
}

}  // namespace image_builder
