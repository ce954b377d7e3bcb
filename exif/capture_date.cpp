#include "exif/capture_date.h"

#include "exif/exif_data.h"
#include "exif/image_info.h"
#include "platform/filesystem.h"

namespace zantrel {

bool readsCaptureDate(std::string_view name) { return scansExtension(name); }

DateTime readExifCaptureDate(const std::string& path) {
  return readExifCaptureDate(path, platform::fileStatus(path), nullptr);
}

DateTime readExifCaptureDate(const std::string& path, const platform::FileStatus& status,
                             const platform::InputFile* opened) {
  // Only the date positions are wanted: no tag texts or entry lists, and no
  // segment after the EXIF block.
  TimgData data(BuildFactsOnly);
  data.StopAfterExif = true;
  data.scanFile(path, status, opened);
  if (!data.hasExif()) return 0;
  // The second parse walks the first directory again (its sub-directories
  // are known by then); where IFD0 and a sub-directory both hold a date tag,
  // IFD0's is the one that counts, as it always has.
  data.parseExifBlock();
  return data.TagReader ? data.TagReader->exifDateTime() : 0;
}

}  // namespace zantrel
