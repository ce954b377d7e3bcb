// The capture date of a TIFF block: a camera RAW file, or the EXIF data
// that a HEIF, CR3, PNG or WebP file carries. The block is read through a
// source, so a RAW file is read only where its directories and dates lie,
// however far into the file that is.
#pragma once

#include <string>

#include "lib/byte_reader.h"
#include "lib/datetime.h"

namespace zantrel {

// The values of the three date tags met in a walk, each its first 19 bytes
// (fewer where the block ends); empty while the tag was not met.
struct TiffDateTexts {
  std::string original;   // DateTimeOriginal
  std::string digitized;  // DateTimeDigitized
  std::string dateTime;   // DateTime
  bool hasOriginal = false;
  bool hasDigitized = false;
  bool hasDateTime = false;
};

// Bounds of one walk: directories walked, pointers followed in depth and
// entries read. A camera block has a handful of directories of a few
// hundred entries.
inline constexpr int MaxTiffDirectories = 64;
inline constexpr int MaxTiffDepth = 16;
inline constexpr int MaxTiffEntries = 1 << 16;

// The bytes of an EXIF item or chunk that are read into memory in one
// request before it is walked (PrefixedBytes): all of a camera's, which
// stays below 64 KiB.
inline constexpr size_t ExifBlockFirstRead = 256 << 10;

// What a walk takes from its block beyond the camera files' rules.
struct TiffWalkRules {
  // Directories and values that the file places before this offset are
  // outside the block (the header's bytes): they are not read.
  uint64_t firstOffset = 0;
  // A directory whose 2 + 12n bytes exceed this is not read at all; 0
  // stands for the block's size.
  uint64_t directoryBound = 0;
  // GPS and interoperability directories are walked too (a camera puts no
  // date there).
  bool everyPointer = false;
  // The number after the byte order is not looked at.
  bool anyMagic = false;
  // Offsets from 2^31 on count as negative, naming nothing: an entry whose
  // value they place is given up.
  bool signedOffsets = false;
};

// Walks the TIFF block that starts at offset 0 of block and ends with it:
// the first directory named by the header, and every EXIF and sub-IFD
// directory it points at (GPS and interoperability ones as the rules say),
// each once. Each directory's entries are read in one go. A date tag met
// later replaces one met earlier, as in the walk of a JPEG's EXIF block.
// Besides "II*\0" and "MM\0*" the headers of RAW variants count ("IIRO",
// "IIRS", "MMOR", "IIU\0"). False when the block has no TIFF header.
bool collectTiffDates(const ByteSource& block, TiffDateTexts& dates, const TiffWalkRules& rules = {});

// DateTimeOriginal, else DateTimeDigitized, else DateTime: the first tag
// met decides, and 0 when its text is no valid date and time.
DateTime captureDateOf(const TiffDateTexts& dates);

// Both steps: the capture date of one TIFF block, 0 when it has none.
DateTime tiffBlockCaptureDate(const ByteSource& block);

// The capture date of a .tif, .tiff or .nef file, read as the EXIF
// container reads such a file: no further than its first 256,000 bytes
// after the header, from the first directory the header names.
DateTime tiffFileCaptureDate(const ByteSource& file);

// The capture date of a TIFF-structured camera raw file, read wherever
// its directories lie.
DateTime tiffRawCaptureDate(const ByteSource& file);

// Where the TIFF header of an EXIF payload begins: at offset at, or after
// an "Exif\0\0" there that some writers put before it. -1 when neither.
int64_t tiffHeaderAt(const ByteSource& payload, uint64_t at);

}  // namespace zantrel
