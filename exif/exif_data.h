// The EXIF container: finds the block that carries a file's EXIF data (the
// first APP1 segment of a JPEG, the start of a TIFF-structured file),
// checks its header and has the tag reader walk its directories.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "exif/end_ind.h"
#include "lib/datetime.h"

namespace platform {
struct FileStatus;
class InputFile;
}  // namespace platform

namespace zantrel {

class ByteSource;
class TImageInfo;
class TIPTCdata;

// One segment as stored in the file, beginning with its two length bytes,
// so position 3 is the first payload byte.
struct tSection {
  std::string Bytes;
  int Marker = 0;
  int Length = 0;  // the stored length field; counts its own two bytes
};

// "Exif" and a zero byte.
inline constexpr std::string_view ExifHeaderText{"Exif\0", 5};
// Bytes read from a TIFF-structured file after its 8-byte header.
inline constexpr size_t TiffReadLimit = 256000;
// Segments looked at before start of scan.
inline constexpr int MaxJpegSegments = 20;

class TimgData : public tEndInd {
 public:
  explicit TimgData(int buildCode);
  ~TimgData();
  TimgData(const TimgData&) = delete;
  TimgData& operator=(const TimgData&) = delete;

  std::array<tSection, MaxJpegSegments + 1> Segments;  // slot 0 unused
  bool IsTiff = false;
  int BuildCode;
  int SegmentCount = 0;
  tSection* ExifBlock = nullptr;
  tSection* IptcBlock = nullptr;
  tSection* CommentBlock = nullptr;
  tSection* JfifBlock = nullptr;
  std::string FileName;
  DateTime FileDate = 0;
  int64_t FileSize = 0;
  std::string Status;
  // The system's error number when the file could not be read (opened, or
  // read to where the scan needed), 0 otherwise.
  int ReadError = 0;
  std::unique_ptr<TImageInfo> TagReader;
  std::unique_ptr<TIPTCdata> IptcReader;
  // The capture date needs nothing behind the EXIF block: with this set the
  // JPEG walk ends once the block is parsed (the comment and IPTC blocks
  // after it stay unseen).
  bool StopAfterExif = false;
  // Nor does it need any tag but the dates and the pointers to the
  // directories that may hold them: with this set the walk reads no other
  // value (no size, flash, make or maker note).
  bool DatesOnly = false;

  void reset();
  // The whole scan of one file; true when something was found.
  bool scanFile(const std::string& name);
  // The same for a file already looked at: status from one stat of it, and
  // the file itself when the caller has it open (else it is opened here).
  bool scanFile(const std::string& name, const platform::FileStatus& status, const platform::InputFile* opened);
  // The same scan over bytes in memory, read as a JPEG or as a
  // TIFF-structured file; no file facts are recorded.
  bool scanBytes(std::string_view data, bool asTiff);
  // The same over any source.
  bool scanSource(const ByteSource& source, bool asTiff);
  bool hasExif() const { return ExifBlock != nullptr; }
  void parseExifBlock();
  bool scanJpeg(const ByteSource& source);
  bool scanTiff(const ByteSource& source);
  void readFileFacts(const std::string& name);
  bool foundAnyBlock() const { return ExifBlock || CommentBlock || IptcBlock; }

 private:
  void recordFileFacts(const std::string& name, const platform::FileStatus& status);
};

}  // namespace zantrel
