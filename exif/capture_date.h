// The capture date of a photo or a recording, as the rename engine reads it.
#pragma once

#include <string>
#include <string_view>

#include "lib/byte_reader.h"
#include "lib/datetime.h"

namespace platform {
struct FileStatus;
class InputFile;
}  // namespace platform

namespace zantrel {

// The reader a file's capture date comes from, chosen by its extension.
enum class CaptureFormat {
  None,       // no reader: no date
  Jpeg,       // .jpg .jpeg .jpe
  Tiff,       // .tif .tiff .nef, read from a window at the start
  TiffRaw,    // TIFF-structured camera raw files, read wherever they point
  Heif,       // .heic .heif .hif .avif
  Cr3,        // .cr3
  Raf,        // .raf
  Png,        // .png
  WebP,       // .webp
  QuickTime,  // .mov .mp4 .m4v .3gp .3g2 .qt
};

// The format for an extension (dot included, any case).
CaptureFormat captureFormatOf(std::string_view extension);

// Whether readExifCaptureDate looks into a file of this name at all (its
// extension names a reader); for other files it answers 0 unopened.
bool readsCaptureDate(std::string_view name);

// The bytes a capture-date read of a camera file takes first; most need no
// more.
constexpr size_t CaptureDateFirstRead = 4096;

// The capture date of the file at path; 0 when it has none or its
// extension names no reader. Errors of the scan reach the caller as
// exceptions; a file that a reader cannot read throws UnreadableFile
// (lib/byte_reader.h).
DateTime readExifCaptureDate(const std::string& path);
// The same for a file already looked at: status from one stat of it, and
// the file itself when the caller has it open (nullptr: opened here).
DateTime readExifCaptureDate(const std::string& path, const platform::FileStatus& status,
                             const platform::InputFile* opened);

// The capture date of a file's bytes read through source, by the reader
// of format.
DateTime captureDateFrom(const ByteSource& source, CaptureFormat format);

}  // namespace zantrel
