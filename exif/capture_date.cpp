#include "exif/capture_date.h"

#include "exif/container_dates.h"
#include "exif/exif_data.h"
#include "exif/image_info.h"
#include "lib/byte_reader.h"
#include "exif/tiff_dates.h"
#include "lib/paths.h"
#include "lib/strings.h"
#include "platform/filesystem.h"
#include "platform/input_file.h"

namespace zantrel {

namespace {

struct FormatExtensions {
  CaptureFormat format;
  std::string_view extensions;  // ".a.b." so that ".x." finds whole extensions only
};

const FormatExtensions Formats[] = {
    {CaptureFormat::Jpeg, ".jpg.jpeg.jpe."},
    {CaptureFormat::Tiff, ".tif.tiff.nef."},
    {CaptureFormat::TiffRaw, ".cr2.arw.dng.orf.rw2.pef.srw.nrw.3fr.erf.kdc.mef.mos.iiq."},
    {CaptureFormat::Heif, ".heic.heif.hif.avif."},
    {CaptureFormat::Cr3, ".cr3."},
    {CaptureFormat::Raf, ".raf."},
    {CaptureFormat::Png, ".png."},
    {CaptureFormat::WebP, ".webp."},
    {CaptureFormat::QuickTime, ".mov.mp4.m4v.3gp.3g2.qt."},
};

// The container as the capture date needs it: built for the date
// positions only (no tag texts or entry lists, no tag but the dates and
// the pointers to them read), and scanning no segment after the EXIF block.
struct DateScan : TimgData {
  DateScan() : TimgData(BuildFactsOnly) {
    StopAfterExif = true;
    DatesOnly = true;
  }
};

// The date the container's walk located. Where IFD0 and a sub-directory
// both hold a date tag, IFD0's counts: the walk sees to that itself, so
// the block is parsed once.
DateTime walkedDate(const TimgData& data) {
  if (!data.hasExif()) return 0;
  return data.TagReader ? data.TagReader->exifDateTime() : 0;
}

}  // namespace

CaptureFormat captureFormatOf(std::string_view extension) {
  if (extension.size() < 2 || extension[0] != '.') return CaptureFormat::None;
  const std::string key = asciiLowerText(extension) + ".";
  for (const FormatExtensions& f : Formats) {
    if (f.extensions.find(key) != std::string_view::npos) return f.format;
  }
  return CaptureFormat::None;
}

DateTime jpegCaptureDate(const ByteSource& jpeg) {
  DateScan data;
  data.scanJpeg(jpeg);
  return walkedDate(data);
}

namespace {

// The date read through file; a file that could not be read (opened, or
// read as far as the reader needed) is no file without a date.
DateTime readable(const FileBytes& file, CaptureFormat format) {
  const DateTime date = captureDateFrom(file, format);
  if (file.error() != 0) throw UnreadableFile(file.error());
  return date;
}

}  // namespace

bool readsCaptureDate(std::string_view name) { return captureFormatOf(fileExtension(name)) != CaptureFormat::None; }

DateTime readExifCaptureDate(const std::string& path) {
  return readExifCaptureDate(path, platform::fileStatus(path), nullptr);
}

DateTime readExifCaptureDate(const std::string& path, const platform::FileStatus& status,
                             const platform::InputFile* opened) {
  const CaptureFormat format = captureFormatOf(fileExtension(path));
  if (format == CaptureFormat::None) return 0;
  // What is not there, or is a folder, has no date; a file that cannot be
  // read says so.
  if (format == CaptureFormat::Tiff && (!status.exists || status.isFolder)) return 0;
  if (format == CaptureFormat::Jpeg) {
    DateScan data;
    data.scanFile(path, status, opened);
    if (data.ReadError != 0) throw UnreadableFile(data.ReadError);
    return walkedDate(data);
  }
  if (opened && opened->isOpen()) return readable(FileBytes(*opened), format);
  FileBytes file;
  if (!file.open(path)) return readable(file, CaptureFormat::None);
  return readable(file, format);
}

DateTime captureDateFrom(const ByteSource& source, CaptureFormat format) {
  switch (format) {
    case CaptureFormat::Jpeg: return jpegCaptureDate(source);
    case CaptureFormat::Tiff: return tiffFileCaptureDate(source);
    case CaptureFormat::TiffRaw: return tiffRawCaptureDate(source);
    case CaptureFormat::Heif: return heifCaptureDate(source);
    case CaptureFormat::Cr3: return cr3CaptureDate(source);
    case CaptureFormat::Raf: return rafCaptureDate(source);
    case CaptureFormat::Png: return pngCaptureDate(source);
    case CaptureFormat::WebP: return webpCaptureDate(source);
    case CaptureFormat::QuickTime: return quickTimeCaptureDate(source);
    case CaptureFormat::None: break;
  }
  return 0;
}

}  // namespace zantrel
