// The capture date of a photo, as the rename engine reads it.
#pragma once

#include <string>
#include <string_view>

#include "lib/datetime.h"

namespace platform {
struct FileStatus;
class InputFile;
}  // namespace platform

namespace zantrel {

// Whether readExifCaptureDate looks into a file of this name at all (by
// its extension); for other files it answers 0 without opening them.
bool readsCaptureDate(std::string_view name);

// The EXIF capture date of the JPEG or TIFF-structured file at path; 0 when
// it has none. Errors of the scan reach the caller as exceptions.
DateTime readExifCaptureDate(const std::string& path);
// The same for a file already looked at: status from one stat of it, and
// the file itself when the caller has it open (nullptr: opened here).
DateTime readExifCaptureDate(const std::string& path, const platform::FileStatus& status,
                             const platform::InputFile* opened);

}  // namespace zantrel
