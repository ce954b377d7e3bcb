// Capture dates of chunked image files: PNG and WebP keep their EXIF data
// in a chunk of its own; RAF files carry a JPEG preview with it.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "exif/container_dates.h"
#include "exif/tiff_dates.h"
#include "lib/inflate.h"
#include "lib/iso_boxes.h"

namespace zantrel {

namespace {

constexpr uint8_t PngSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// Chunks walked in one file: a large image has some thousands of IDAT
// chunks.
constexpr int MaxPngChunks = 1 << 16;
// A text chunk holding an EXIF profile is read whole when it is no larger
// than this, and inflates to at most MaxProfileText bytes: an EXIF block
// is below 64 KiB, twice that as hex digits.
constexpr uint32_t MaxProfileChunk = 4 << 20;
constexpr size_t MaxProfileText = 8 << 20;

constexpr std::string_view ExifProfileKeyword{"Raw profile type exif\0", 22};
constexpr std::string_view App1ProfileKeyword{"Raw profile type APP1\0", 22};

constexpr int MaxRiffChunks = 4096;

// The walk from chunk header to chunk header reads one block per header
// as long as the chunks are large; behind a small one the next ones are
// likely small as well (image data split into runs of 8 KiB), and a
// larger block takes several headers at once.
constexpr uint32_t SmallChunk = 16 << 10;
constexpr size_t SmallChunksBlock = 64 << 10;

// The capture date of an EXIF chunk's data: a TIFF block, maybe after
// "Exif\0\0".
DateTime exifChunkDate(const ByteSource& data) {
  const int64_t tiff = tiffHeaderAt(data, 0);
  if (tiff < 0) return 0;
  return tiffBlockCaptureDate(ByteWindow(data, static_cast<uint64_t>(tiff), data.size()));
}

// The same for a chunk of the file that reader walks: read into memory
// at once (from the reader's block where it lies there already), however
// many places of it the walk visits.
DateTime exifChunkDate(BlockReader& reader, const ByteSource& file, uint64_t at, uint32_t length) {
  if (length > ExifBlockFirstRead) {
    const ByteWindow chunk(file, at, length);
    return exifChunkDate(PrefixedBytes(chunk, ExifBlockFirstRead));
  }
  std::string data(length, '\0');
  reader.seek(at);
  data.resize(reader.read(data.data(), data.size()));
  return exifChunkDate(MemoryBytes(std::string_view(data)));
}

struct PngChunk {
  uint32_t type = 0;
  uint64_t data = 0;
  uint32_t length = 0;
};

// The text after the NUL at from, "" when there is none.
size_t afterNul(std::string_view data, size_t from) {
  const size_t nul = data.find('\0', from);
  return nul == std::string_view::npos ? data.size() : nul + 1;
}

// The text of a tEXt, zTXt or iTXt chunk whose keyword has been checked,
// inflated where the chunk says so.
bool profileText(uint32_t type, std::string_view data, std::string& text) {
  size_t at = afterNul(data, 0);
  bool compressed = type == fourCC("zTXt");
  if (type == fourCC("iTXt")) {
    if (at + 2 > data.size()) return false;
    compressed = data[at] != 0;
    at = afterNul(data, at + 2);  // language tag
    at = afterNul(data, at);      // translated keyword
  } else if (compressed) {
    at += 1;  // compression method
  }
  if (at > data.size()) return false;
  if (!compressed) {
    text.assign(data.substr(at, MaxProfileText));
    return true;
  }
  return inflateLimited(data.substr(at), MaxProfileText, text);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A raw profile: a line break, the profile's name, a line break, the byte
// count, a line break, then the bytes as hex digits broken into lines.
std::string decodeProfile(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && text[at] == '\n') ++at;
  const size_t nameEnd = text.find('\n', at);
  if (nameEnd == std::string_view::npos) return {};
  at = nameEnd + 1;
  while (at < text.size() && text[at] == ' ') ++at;
  uint64_t count = 0;
  bool digits = false;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && count <= MaxProfileText) {
    count = count * 10 + static_cast<uint64_t>(text[at++] - '0');
    digits = true;
  }
  if (!digits) return {};
  std::string bytes;
  int high = -1;
  for (; at < text.size() && bytes.size() < count; ++at) {
    const int v = hexValue(text[at]);
    if (v < 0) continue;  // line breaks between the digits
    if (high < 0) {
      high = v;
    } else {
      bytes.push_back(static_cast<char>(high << 4 | v));
      high = -1;
    }
  }
  return bytes;
}

DateTime profileDate(const ByteSource& file, const PngChunk& chunk) {
  if (chunk.length > MaxProfileChunk) return 0;
  std::string data(chunk.length, '\0');
  data.resize(file.readAt(chunk.data, data.data(), data.size()));
  std::string text;
  if (!profileText(chunk.type, data, text)) return 0;
  const std::string profile = decodeProfile(text);
  return exifChunkDate(MemoryBytes(std::string_view(profile)));
}

}  // namespace

DateTime pngCaptureDate(const ByteSource& file) {
  uint8_t signature[sizeof PngSignature];
  if (file.readAt(0, signature, sizeof signature) != sizeof signature ||
      std::memcmp(signature, PngSignature, sizeof signature) != 0) {
    return 0;
  }
  BlockReader reader(file);
  uint64_t at = sizeof PngSignature;
  PngChunk profile;
  bool hasProfile = false;
  for (int i = 0; i < MaxPngChunks; ++i) {
    uint8_t header[8];
    reader.seek(at);
    if (!reader.readExact(header, sizeof header)) break;
    PngChunk chunk{bigEndian32(header + 4), at + 8, bigEndian32(header)};
    if (chunk.type == fourCC("eXIf")) {
      // The chunk is EXIF data proper; a text profile is only a stand-in.
      const DateTime date = exifChunkDate(reader, file, chunk.data, chunk.length);
      if (date >= 1.0) return date;
    } else if (!hasProfile && (chunk.type == fourCC("tEXt") || chunk.type == fourCC("zTXt") ||
                               chunk.type == fourCC("iTXt"))) {
      char keyword[ExifProfileKeyword.size()];
      const size_t n = reader.read(keyword, std::min<size_t>(sizeof keyword, chunk.length));
      const std::string_view key(keyword, n);
      if (key == ExifProfileKeyword || key == App1ProfileKeyword) {
        profile = chunk;
        hasProfile = true;
      }
    } else if (chunk.type == fourCC("IEND")) {
      break;
    }
    at = chunk.data + chunk.length + 4;  // the CRC follows the data
    reader.setBlockSize(chunk.length < SmallChunk ? SmallChunksBlock : BlockReader::BlockSize);
  }
  return hasProfile ? profileDate(file, profile) : 0;
}

DateTime webpCaptureDate(const ByteSource& file) {
  uint8_t header[12];
  if (file.readAt(0, header, sizeof header) != sizeof header || std::memcmp(header, "RIFF", 4) != 0 ||
      std::memcmp(header + 8, "WEBP", 4) != 0) {
    return 0;
  }
  // The RIFF size counts from its own end; the file may be shorter.
  const ByteWindow riff(file, 0, uint64_t{8} + littleEndian32(header + 4));
  BlockReader reader(riff);
  uint64_t at = sizeof header;
  for (int i = 0; i < MaxRiffChunks; ++i) {
    uint8_t chunk[8];
    reader.seek(at);
    if (!reader.readExact(chunk, sizeof chunk)) break;
    const uint32_t size = littleEndian32(chunk + 4);
    if (std::memcmp(chunk, "EXIF", 4) == 0) return exifChunkDate(reader, riff, at + 8, size);
    at += 8 + uint64_t{size} + (size & 1);  // data padded to an even size
  }
  return 0;
}

DateTime rafCaptureDate(const ByteSource& file) {
  uint8_t header[92];
  if (file.readAt(0, header, sizeof header) != sizeof header || std::memcmp(header, "FUJIFILMCCD-RAW ", 16) != 0) {
    return 0;
  }
  return jpegCaptureDate(ByteWindow(file, bigEndian32(header + 84), bigEndian32(header + 88)));
}

}  // namespace zantrel
