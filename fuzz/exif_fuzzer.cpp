// Feeds arbitrary bytes to the EXIF reader, once as a JPEG and once as a
// TIFF-structured file, and asks for the capture date as the rename
// engine does (a .tif file's through its own reader).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "exif/capture_date.h"
#include "exif/exif_data.h"
#include "exif/image_info.h"
#include "lib/byte_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const bool asTiff : {false, true}) {
    zantrel::TimgData container(zantrel::BuildEverything);
    container.scanBytes(bytes, asTiff);
    if (container.hasExif()) {
      container.parseExifBlock();
      if (container.TagReader) (void)container.TagReader->exifDateTime();
    }
  }
  (void)zantrel::captureDateFrom(zantrel::MemoryBytes(bytes), zantrel::CaptureFormat::Tiff);
  return 0;
}
