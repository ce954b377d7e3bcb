#include "exif/capture_date.h"

#include "exif/exif_data.h"
#include "exif/image_info.h"
#include "lib/byte_reader.h"

namespace zantrel {

DateTime readExifCaptureDate(const std::string& path) {
  TimgData data(BuildEverything);
  data.scanFile(path);
  if (data.ReadError != 0) throw UnreadableFile(data.ReadError);
  if (!data.hasExif()) return 0;
  data.parseExifBlock();
  return data.TagReader ? data.TagReader->exifDateTime() : 0;
}

}  // namespace zantrel
