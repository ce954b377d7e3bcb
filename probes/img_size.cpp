#include "probes/img_size.h"

#include <cstdint>
#include <cstring>

#include "lib/byte_reader.h"
#include "lib/heif_meta.h"
#include "lib/paths.h"
#include "lib/strings.h"

namespace zantrel {

namespace {

enum class ImageFormat { Jpeg, Png, Gif, Tiff, Bmp, Heif, WebP };

struct ExtensionGroup {
  const char* extensions;
  ImageFormat format;
};

const ExtensionGroup ExtensionGroups[] = {
    {";.jpg;.jpeg;.jpe;.jif;.jfif;.jfi;", ImageFormat::Jpeg},
    {";.png;", ImageFormat::Png},
    {";.gif;", ImageFormat::Gif},
    {";.tif;.tiff;", ImageFormat::Tiff},
    {";.bmp;.dib;", ImageFormat::Bmp},
    {";.heic;.heif;.hif;.avif;", ImageFormat::Heif},
    {";.webp;", ImageFormat::WebP},
};

// The group whose text holds key; nullptr for an extension no reader knows.
const ExtensionGroup* groupFor(const std::string& key) {
  for (const ExtensionGroup& group : ExtensionGroups) {
    if (std::strstr(group.extensions, key.c_str()) != nullptr) return &group;
  }
  return nullptr;
}

bool isStartOfFrame(uint8_t marker) {
  return (marker >= 0xC0 && marker <= 0xCF) && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

constexpr uint8_t PngSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// How far into a file the JPEG and GIF walks look for the size: the
// segments or blocks before the image are a few kilobytes in any real
// file, and no crafted file makes a walk read more than this.
constexpr uint64_t HeaderWalkLimit = 16u << 20;

constexpr uint16_t TiffImageWidth = 256;
constexpr uint16_t TiffImageLength = 257;
constexpr uint16_t TiffShort = 3;
constexpr uint16_t TiffLong = 4;

// Skips the label and the data sub-blocks of a GIF extension block, whose
// 0x21 introducer has been read; false when the file ends inside it, or
// the walk limit does.
bool skipGifExtension(BlockReader& reader) {
  uint8_t label = 0;
  if (!reader.readByte(label)) return false;
  while (reader.position() <= HeaderWalkLimit) {
    uint8_t length = 0;
    if (!reader.readByte(length)) return false;
    if (length == 0) return true;
    reader.skip(length);
  }
  return false;
}

}  // namespace

TImgSize::TImgSize(const std::string& path)
    : FileName(path), Ext(asciiLowerText(fileExtension(path))), ExtKey(";" + Ext + ";") {
  if (FileName.empty() || groupFor(ExtKey) == nullptr) return;
  FileBytes file;
  if (file.open(FileName)) readFrom(file);
  ReadError = file.error();
}

TImgSize::TImgSize(const std::string& name, std::span<const uint8_t> bytes)
    : FileName(name), Ext(asciiLowerText(fileExtension(name))), ExtKey(";" + Ext + ";") {
  MemoryBytes memory(bytes);
  readFrom(memory);
}

void TImgSize::readFrom(const ByteSource& source) {
  const ExtensionGroup* group = groupFor(ExtKey);
  if (group == nullptr) return;
  switch (group->format) {
    case ImageFormat::Jpeg: readJpeg(source); break;
    case ImageFormat::Png: readPng(source); break;
    case ImageFormat::Gif: readGif(source); break;
    case ImageFormat::Tiff: readTiff(source); break;
    case ImageFormat::Bmp: readBmp(source); break;
    case ImageFormat::Heif: readHeif(source); break;
    case ImageFormat::WebP: readWebP(source); break;
  }
}

// Walks the marker segments up to the first start-of-frame segment, whose
// header holds the height and the width.
void TImgSize::readJpeg(const ByteSource& source) {
  BlockReader reader(source);
  uint8_t bytes[2];
  if (!reader.readExact(bytes, 2) || bytes[0] != 0xFF || bytes[1] != 0xD8) return;
  uint8_t lead = 0;
  if (!reader.readByte(lead) || lead != 0xFF) return;
  while (reader.position() <= HeaderWalkLimit) {
    uint8_t marker = 0;
    if (!reader.readByte(marker)) return;
    if (marker == 0xFF) continue;  // fill byte
    if (isStartOfFrame(marker)) {
      reader.skip(3);  // segment length, sample precision
      if (!reader.readExact(bytes, 2)) return;
      Height = bigEndian16(bytes);
      if (!reader.readExact(bytes, 2)) return;
      Width = bigEndian16(bytes);
      return;
    }
    // Markers without a segment: the next byte is read as a marker code.
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (!reader.readExact(bytes, 2)) return;
    uint16_t length = bigEndian16(bytes);
    // The length counts its own two bytes; less cannot start a next segment.
    if (length < 2) return;
    reader.skip(length - 2u);
    if (!reader.readByte(lead) || lead != 0xFF) return;
  }
}

// Width and height are the first two fields of the IHDR chunk, which
// follows the signature and the chunk's length and type.
void TImgSize::readPng(const ByteSource& source) {
  uint8_t header[24];
  size_t n = source.readAt(0, header, sizeof header);
  if (n < sizeof PngSignature || std::memcmp(header, PngSignature, sizeof PngSignature) != 0) return;
  if (n >= 20) Width = static_cast<int32_t>(bigEndian32(header + 16));
  if (n >= 24) Height = static_cast<int32_t>(bigEndian32(header + 20));
}

// The size of the first image: the blocks after the header are walked up
// to the first image descriptor, extension blocks skipped whole so that
// their data is never taken for a separator. Any other byte is not a GIF
// block (the trailer, or no GIF at all): there is no image to find.
void TImgSize::readGif(const ByteSource& source) {
  uint8_t header[13];
  if (source.readAt(0, header, sizeof header) != sizeof header || std::memcmp(header, "GIF", 3) != 0) return;
  BlockReader reader(source, sizeof header);
  uint8_t packed = header[10];
  if (packed & 0x80) reader.skip(3u << ((packed & 0x07) + 1));  // global colour table
  uint8_t byte = 0;
  while (reader.position() <= HeaderWalkLimit && reader.readByte(byte)) {
    if (byte == 0x2C) {
      uint8_t descriptor[10];
      if (!reader.readExact(descriptor, sizeof descriptor)) return;
      Width = littleEndian16(descriptor + 4);
      Height = littleEndian16(descriptor + 6);
      return;
    }
    if (byte != 0x21 || !skipGifExtension(reader)) return;
  }
}

// Looks for the width and length tags in the first directory, read in the
// file's own byte order and each value by its type.
void TImgSize::readTiff(const ByteSource& source) {
  uint8_t header[8];
  if (source.readAt(0, header, sizeof header) != sizeof header) return;
  bool bigEndian = header[0] == 'M' && header[1] == 'M';
  auto u16 = [bigEndian](const uint8_t* p) { return bigEndian ? bigEndian16(p) : littleEndian16(p); };
  auto u32 = [bigEndian](const uint8_t* p) { return bigEndian ? bigEndian32(p) : littleEndian32(p); };
  BlockReader reader(source, u32(header + 4));
  uint8_t bytes[12];
  if (!reader.readExact(bytes, 2)) return;
  uint16_t count = u16(bytes);
  for (uint16_t i = 0; i < count; ++i) {
    if (!reader.readExact(bytes, 12)) return;
    uint16_t tag = u16(bytes);
    if (tag != TiffImageWidth && tag != TiffImageLength) continue;
    uint16_t type = u16(bytes + 2);
    int32_t value;
    if (type == TiffShort) {
      value = u16(bytes + 8);
    } else if (type == TiffLong) {
      value = static_cast<int32_t>(u32(bytes + 8));
    } else {
      continue;  // no other type is allowed for these tags
    }
    (tag == TiffImageWidth ? Width : Height) = value;
    if (Width > 0 && Height > 0) return;
  }
}

// The 14-byte file header, then the info header with width and height as
// signed numbers; a top-down bitmap stores a negative height.
void TImgSize::readBmp(const ByteSource& source) {
  uint8_t header[14 + 40];
  size_t n = source.readAt(0, header, sizeof header);
  if (n < 2 || header[0] != 'B' || header[1] != 'M') return;
  if (n < sizeof header) return;
  Width = static_cast<int32_t>(littleEndian32(header + 14 + 4));
  Height = static_cast<int32_t>(littleEndian32(header + 14 + 8));
}

// The image size property of the primary item: for a grid image that is
// the whole picture, not one tile.
void TImgSize::readHeif(const ByteSource& source) {
  BlockReader reader(source);
  HeifMeta meta;
  if (!readHeifMeta(reader, source.size(), meta) || !meta.hasPrimarySize) return;
  if (meta.primaryWidth > INT32_MAX || meta.primaryHeight > INT32_MAX) return;
  Width = static_cast<int32_t>(meta.primaryWidth);
  Height = static_cast<int32_t>(meta.primaryHeight);
}

// The first chunk tells: VP8X (extended: the canvas), VP8 (lossy: the
// frame header after its start code) or VP8L (lossless: packed after the
// signature byte). Each stores the size less one or in 14 bits.
void TImgSize::readWebP(const ByteSource& source) {
  uint8_t head[30];
  const size_t n = source.readAt(0, head, sizeof head);
  if (n < 20 || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WEBP", 4) != 0) return;
  const uint8_t* chunk = head + 12;
  const uint8_t* data = chunk + 8;
  const size_t dataRead = n - 20;
  auto u24 = [](const uint8_t* p) { return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16); };
  if (std::memcmp(chunk, "VP8L", 4) == 0 ? dataRead < 5 : dataRead < 10) return;
  if (std::memcmp(chunk, "VP8X", 4) == 0) {
    Width = u24(data + 4) + 1;
    Height = u24(data + 7) + 1;
  } else if (std::memcmp(chunk, "VP8 ", 4) == 0) {
    if (data[3] != 0x9D || data[4] != 0x01 || data[5] != 0x2A) return;
    Width = littleEndian16(data + 6) & 0x3FFF;
    Height = littleEndian16(data + 8) & 0x3FFF;
  } else if (std::memcmp(chunk, "VP8L", 4) == 0) {
    if (data[0] != 0x2F) return;
    const uint32_t bits = littleEndian32(data + 1);
    Width = static_cast<int32_t>(bits & 0x3FFF) + 1;
    Height = static_cast<int32_t>(bits >> 14 & 0x3FFF) + 1;
  }
}

}  // namespace zantrel
