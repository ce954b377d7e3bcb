#include "probes/magic.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

#include "platform/input_file.h"

namespace zantrel {

namespace {

using Bytes = std::span<const uint8_t>;

constexpr uint8_t Pdf[] = {'%', 'P', 'D', 'F', '-', '1', '.'};
// A bitmap wrapped in a Picture header: the DIB header size (40) follows at
// a fixed distance.
constexpr uint8_t PictureDib[] = {0xFF, 0xFF, 0xFF, 0xFF, 'P', 'i', 'c', 't', 'u', 'r', 'e', 0x00, 0x00, 0x01,
                                  0x05, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 'D',  'I',  'B'};
constexpr uint8_t DibHeaderSize[] = {0x28, 0x00, 0x00, 0x00};
constexpr uint8_t JpegStart[] = {0xFF, 0xD8, 0xFF};
constexpr uint8_t Jfif[] = {'J', 'F', 'I', 'F', 0x00};
constexpr uint8_t Png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 'I', 'H', 'D', 'R'};
constexpr uint8_t Psd[] = {'8', 'B', 'P', 'S', 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr uint8_t Cpt9[] = {'C', 'P', 'T', '9', 'F', 'I', 'L', 'E'};
constexpr uint8_t Cpt7[] = {'C', 'P', 'T', '7', 'F', 'I', 'L', 'E'};
constexpr uint8_t Cpt[] = {'C', 'P', 'T', 'F', 'I', 'L', 'E'};
constexpr uint8_t PlaceableMetafile[] = {0xD7, 0xCD, 0xC6, 0x9A, 0x00, 0x00};
constexpr uint8_t Metafile[] = {0x01, 0x00, 0x09, 0x00, 0x00, 0x03};
constexpr uint8_t Gif89[] = {'G', 'I', 'F', '8', '9', 'a'};
constexpr uint8_t Gif87[] = {'G', 'I', 'F', '8', '7', 'a'};
constexpr uint8_t Psp[] = {'P', 'a', 'i', 'n', 't', ' ', 'S', 'h', 'o', 'p', ' ', 'P', 'r', 'o', ' ', 'I',
                           'm', 'a', 'g', 'e', ' ', 'F', 'i', 'l', 'e', 0x0A, 0x1A, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr uint8_t Bm[] = {'B', 'M'};
constexpr uint8_t Riff[] = {'R', 'I', 'F', 'F'};
constexpr uint8_t Dwg[] = {'A', 'C', '1', '0'};
constexpr uint8_t Jp2[] = {0x00, 0x00, 0x00, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A};
constexpr uint8_t Pict[] = {'P', 'I', 'C', 'T', 0x00, 0x08};
constexpr uint8_t Crw[] = {'I', 'I', 0x1A, 0x00, 0x00, 0x00, 'H', 'E', 'A', 'P', 'C', 'C', 'D', 'R', 0x02, 0x00};
constexpr uint8_t TiffIntel[] = {'I', 'I', '*', 0x00};
constexpr uint8_t TiffMotorola[] = {'M', 'M', 0x00, '*'};
constexpr uint8_t CompoundDocument[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr uint8_t ZipOffice[] = {'P', 'K', 0x03, 0x04, 0x14, 0x00, 0x06, 0x00};
constexpr uint8_t ZipEntry[] = {'P', 'K', 0x03, 0x04};
constexpr uint8_t ZipEmpty[] = {'P', 'K', 0x05, 0x06};  // an archive without entries is its end record alone
constexpr uint8_t FileType[] = {'f', 't', 'y', 'p'};

enum class Rule {
  Anywhere,   // first pattern found anywhere
  BothFound,  // both patterns found anywhere
  Distance,   // both found, the second at a fixed distance after the first
  AtStart,    // first pattern at the very start of the file
  RiffForm,   // a RIFF file, named by its form type
  IsoMedia,   // an ISO base media file (MP4, MOV, HEIC, ...), named by its brand
};

struct MagicTest {
  Rule rule;
  Bytes first;
  Bytes second;
  int32_t distance;
  const char* extension;
};

// The first test that succeeds decides, so the order is part of the answer.
// A file that starts like a JPEG is taken as one before the tests that look
// for other formats' bytes anywhere: camera JPEGs carry EXIF, whose bytes
// may contain any of those patterns.
const MagicTest Tests[] = {
    {Rule::Anywhere, Pdf, {}, 0, ".pdf"},
    {Rule::Distance, PictureDib, DibHeaderSize, 41, ".bmp"},
    {Rule::BothFound, JpegStart, Jfif, 0, ".jpg"},
    {Rule::AtStart, JpegStart, {}, 0, ".jpg"},
    {Rule::IsoMedia, FileType, {}, 0, ".mp4"},
    {Rule::Anywhere, Png, {}, 0, ".png"},
    {Rule::Anywhere, Psd, {}, 0, ".psd"},
    {Rule::Anywhere, Cpt9, {}, 0, ".cpt"},
    {Rule::Anywhere, Cpt7, {}, 0, ".cpt"},
    {Rule::Anywhere, Cpt, {}, 0, ".cpt"},
    {Rule::Anywhere, PlaceableMetafile, {}, 0, ".wmf"},
    {Rule::Anywhere, Metafile, {}, 0, ".wmf"},
    {Rule::Anywhere, Gif89, {}, 0, ".gif"},
    {Rule::Anywhere, Gif87, {}, 0, ".gif"},
    {Rule::Anywhere, Psp, {}, 0, ".psp"},
    {Rule::Distance, Bm, DibHeaderSize, 14, ".bmp"},
    {Rule::Anywhere, JpegStart, {}, 0, ".jpg"},
    {Rule::RiffForm, Riff, {}, 0, ".avi"},
    {Rule::Anywhere, Dwg, {}, 0, ".dwg"},
    {Rule::Anywhere, Jp2, {}, 0, ".jp2"},
    {Rule::Anywhere, Pict, {}, 0, ".img"},
    {Rule::Anywhere, Crw, {}, 0, ".crw"},
    {Rule::Anywhere, TiffIntel, {}, 0, ".tif"},
    {Rule::Anywhere, TiffMotorola, {}, 0, ".tif"},
    {Rule::Anywhere, CompoundDocument, {}, 0, ".office"},
    {Rule::Anywhere, ZipOffice, {}, 0, ".officex"},
    {Rule::AtStart, ZipEntry, {}, 0, ".zip"},
    {Rule::AtStart, ZipEmpty, {}, 0, ".zip"},
};

// Major brands of ISO base media files and the extension each stands for;
// any other brand is an MP4 file.
struct Brand {
  const char* brand;
  const char* extension;
};
const Brand Brands[] = {
    {"heic", ".heic"}, {"heix", ".heic"}, {"hevc", ".heic"}, {"heim", ".heic"}, {"heis", ".heic"},
    {"mif1", ".heic"}, {"msf1", ".heic"}, {"avif", ".avif"}, {"avis", ".avif"}, {"crx ", ".cr3"},
    {"qt  ", ".mov"},  {"3gp4", ".3gp"},  {"3gp5", ".3gp"},  {"3gp6", ".3gp"},  {"3ge6", ".3gp"},
    {"3g2a", ".3g2"},  {"M4V ", ".m4v"},
};

// The first box of such a file is its file-type box, whose type stands at
// bytes 5 to 8 and whose major brand follows.
std::string isoMediaExtension(Bytes buffer, const MagicTest& test) {
  if (buffer.size() < 12 || std::memcmp(buffer.data() + 4, FileType, sizeof FileType) != 0) return {};
  for (const Brand& b : Brands) {
    if (std::memcmp(buffer.data() + 8, b.brand, 4) == 0) return b.extension;
  }
  return test.extension;
}

// WAV and WebP are RIFF files too; their form type follows the RIFF tag and
// the 4-byte chunk size.
std::string riffExtension(Bytes buffer, int32_t riffPosition) {
  size_t form = static_cast<size_t>(riffPosition - 1) + 8;
  if (form + 4 > buffer.size()) return ".avi";
  const uint8_t* p = buffer.data() + form;
  if (std::memcmp(p, "WAVE", 4) == 0) return ".wav";
  if (std::memcmp(p, "WEBP", 4) == 0) return ".webp";
  return ".avi";
}

// The answer of one test, empty when it fails.
std::string runTest(const MagicTest& test, Bytes buffer) {
  int32_t first = 0;
  int32_t second = 0;
  switch (test.rule) {
    case Rule::Anywhere:
      if (findBytes(test.first, buffer, 0, first)) return test.extension;
      break;
    case Rule::BothFound:
      if (findBytes(test.first, buffer, 0, first) && findBytes(test.second, buffer, 0, second)) return test.extension;
      break;
    case Rule::Distance:
      // Both searches take their own leftmost match, so a stray earlier
      // occurrence of either pattern makes the test fail.
      if (findBytes(test.first, buffer, 0, first) && findBytes(test.second, buffer, 0, second) &&
          second == first + test.distance) {
        return test.extension;
      }
      break;
    case Rule::AtStart:
      if (buffer.size() >= test.first.size() && std::equal(test.first.begin(), test.first.end(), buffer.begin())) {
        return test.extension;
      }
      break;
    case Rule::RiffForm:
      if (findBytes(test.first, buffer, 0, first)) return riffExtension(buffer, first);
      break;
    case Rule::IsoMedia:
      return isoMediaExtension(buffer, test);
  }
  return {};
}

}  // namespace

bool findBytes(Bytes pattern, Bytes buffer, size_t limit, int32_t& position) {
  if (pattern.empty() || buffer.empty() || buffer.size() > size_t{INT32_MAX}) return false;
  size_t lastIndex = buffer.size() - 1;
  if (limit != 0 && limit < lastIndex) lastIndex = limit;
  if (pattern.size() - 1 > lastIndex) return false;
  size_t lastStart = lastIndex - (pattern.size() - 1);
  // Candidate starts are found with memchr on the first byte; the result is
  // still the leftmost match.
  const uint8_t* data = buffer.data();
  size_t s = 0;
  while (s <= lastStart) {
    const void* hit = std::memchr(data + s, pattern[0], lastStart - s + 1);
    if (hit == nullptr) return false;
    s = static_cast<size_t>(static_cast<const uint8_t*>(hit) - data);
    if (std::memcmp(data + s + 1, pattern.data() + 1, pattern.size() - 1) == 0) {
      position = static_cast<int32_t>(s + 1);
      return true;
    }
    ++s;
  }
  return false;
}

std::string extensionFromContent(Bytes head) {
  std::array<uint8_t, ProbeBufferSize> buffer{};
  size_t n = std::min(head.size(), ProbeReadSize);
  if (n > 0) std::memcpy(buffer.data(), head.data(), n);
  for (const MagicTest& test : Tests) {
    std::string extension = runTest(test, buffer);
    if (!extension.empty()) return extension;
  }
  return {};
}

std::string detectExtension(const std::string& path) {
  int readError = 0;
  return detectExtension(path, readError);
}

std::string detectExtension(const std::string& path, int& readError) {
  readError = 0;
  if (path.empty()) return {};
  platform::InputFile file;
  if (!file.open(path)) {
    readError = file.error();
    return {};
  }
  std::array<uint8_t, ProbeReadSize> head;
  size_t n = file.readAt(0, head.data(), static_cast<size_t>(std::min<uint64_t>(head.size(), file.size())));
  readError = file.error();
  if (readError != 0) return {};
  return extensionFromContent(Bytes(head.data(), n));
}

}  // namespace zantrel
