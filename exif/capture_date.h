// The capture date of a photo, as the rename engine reads it.
#pragma once

#include <string>

#include "lib/datetime.h"

namespace zantrel {

// The EXIF capture date of the JPEG or TIFF-structured file at path; 0 when
// it has none. Errors of the scan reach the caller as exceptions; a file
// that cannot be read throws UnreadableFile (lib/byte_reader.h).
DateTime readExifCaptureDate(const std::string& path);

}  // namespace zantrel
