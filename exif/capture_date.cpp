#include "exif/capture_date.h"

#include "exif/exif_data.h"
#include "exif/image_info.h"

namespace zantrel {

DateTime readExifCaptureDate(const std::string& path) {
  TimgData data(BuildEverything);
  data.scanFile(path);
  if (!data.hasExif()) return 0;
  data.parseExifBlock();
  return data.TagReader ? data.TagReader->exifDateTime() : 0;
}

}  // namespace zantrel
