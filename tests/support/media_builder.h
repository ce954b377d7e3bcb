// Builds, byte by byte, the files whose capture dates lie beyond JPEG and
// TIFF: ISO media boxes (HEIF/HEIC/AVIF, CR3, QuickTime/MP4), PNG, WebP,
// RAF, and the header variants of TIFF-structured raw files. Each layout
// field is a way real files (or broken ones) differ.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/exif_builder.h"

namespace testing_support {

std::string u64be(uint64_t value);

// --- ISO base media boxes ------------------------------------------------------
std::string isoBox(std::string_view type, std::string_view payload);
// A box whose size is given in the 64-bit field after its type.
std::string largeIsoBox(std::string_view type, std::string_view payload);
std::string fullIsoBox(std::string_view type, uint8_t version, uint32_t flags, std::string_view payload);
std::string fileTypeBox(std::string_view majorBrand);

// HEIF: item 1 the primary image, item 2 its thumbnail, item 3 the EXIF
// item; all image and EXIF bytes in mdat or idat after the meta box.
struct HeifLayout {
  std::string tiff{};  // the EXIF item's TIFF block; empty: no EXIF item
  std::string brand = "heic";
  bool inIdat = false;     // construction method 1 (offsets into idat)
  int ilocVersion = 1;     // 0 has no construction method, 2 has 32-bit ids
  int infeVersion = 2;     // 3: 32-bit item ids
  int ilocBaseSize = 4;    // 0: no base offset, the extents carry it
  int extents = 1;         // the EXIF item in so many pieces, apart
  bool lastExtentToEnd = false;  // the last extent's length is 0
  std::string prefix = std::string("Exif\0\0", 6);  // bytes before the TIFF header
  bool prefixCounted = true;  // the payload's first field counts the prefix
  enum class Link { ToPrimary, ToThumbnail, None } link = Link::ToPrimary;
  // Another EXIF item, listed first, that describes the thumbnail.
  std::string thumbnailTiff{};
  uint32_t width = 4032;
  uint32_t height = 3024;
};
std::string heifFile(const HeifLayout& layout);

// CR3: the maker's uuid box in moov with CMT1 and CMT2 (both full TIFF
// blocks), after another uuid box and before a track.
std::string cr3File(const std::string& cmt1, const std::string& cmt2);
// The two blocks of a camera shot: IFD0 (make, model, DateTime) and the
// EXIF directory alone (DateTimeOriginal, DateTimeDigitized).
std::string cr3Ifd0(const CameraShot& shot);
std::string cr3ExifIfd(const CameraShot& shot);

// QuickTime/MP4: ftyp, then moov and mdat in either order.
struct MovieLayout {
  std::string brand = "qt  ";
  bool moovAfterMdat = false;
  int headerVersion = 0;  // mvhd version: 0 (32-bit times) or 1 (64-bit)
  uint64_t created = 0;   // mvhd creation time, seconds since 1904 (UTC)
  std::string creationDate{};  // the metadata keys' creation date; empty: none
  bool metaIsFullBox = false;  // MP4 style: version and flags before the boxes
  enum class MediaSize { Plain, Large, ToEnd } mediaSize = MediaSize::Plain;
  size_t mediaBytes = 20000;
};
std::string movieFile(const MovieLayout& layout);
// Seconds since 1904-01-01 UTC of a UTC calendar time.
uint64_t movieTime(int year, int month, int day, int hour, int minute, int second);

// PNG: signature, IHDR, the chunks asked for, IDAT, IEND.
struct PngLayout {
  std::string exifChunk{};  // data of an eXIf chunk; empty: none
  bool exifAfterImage = false;
  // A raw profile as text: "tEXt", "zTXt" or "iTXt" (compressed when
  // profileCompressed); empty: none.
  std::string profileChunk{};
  bool profileCompressed = true;
  std::string profileKeyword = "Raw profile type exif";
  std::string profileBytes{};  // what the hex digits decode to
  std::string profileText{};   // the whole text as given, instead of one from profileBytes
};
std::string pngFile(const PngLayout& layout);

// WebP: RIFF with a VP8X header, an odd-sized ICC chunk, a lossy frame and
// the EXIF chunk.
std::string webpFile(const std::string& exifChunk, uint32_t width = 640, uint32_t height = 480);
// The plain forms without VP8X, for sizes.
std::string webpLossy(uint16_t width, uint16_t height);
std::string webpLossless(uint16_t width, uint16_t height);

// RAF: the maker's header naming an embedded JPEG.
std::string rafFile(const std::string& jpeg);

// A TIFF-structured raw file of a camera shot: magic is the four header
// bytes ("II*\0", "MM\0*", "IIRO", "IIRS", "MMOR", "IIU\0"). The first
// directory is not at offset 8 (a CR2-like header stands there), and
// the EXIF directory lies farAway bytes into the file.
std::string rawTiff(const CameraShot& shot, std::string_view magic, size_t farAway = 300000);
inline std::string rawTiff(const CameraShot& shot, const char (&magic)[5], size_t farAway = 300000) {
  return rawTiff(shot, std::string_view(magic, 4), farAway);
}

}  // namespace testing_support
