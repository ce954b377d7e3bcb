// Capture-date readers for the containers that carry EXIF data, or a date
// of their own, beyond JPEG and TIFF. Each takes the whole file as a
// source and answers 0 when it finds no usable date; none reads outside
// the file or outside the box or chunk it looks into.
#pragma once

#include "lib/byte_reader.h"
#include "lib/datetime.h"

namespace zantrel {

// The EXIF block of a JPEG (its first APP1 segment), read as a .jpg file is.
DateTime jpegCaptureDate(const ByteSource& jpeg);

// HEIF, HEIC, AVIF: the EXIF item that describes the primary image.
DateTime heifCaptureDate(const ByteSource& file);

// CR3: the TIFF blocks CMT1 (IFD0) and CMT2 (EXIF directory) in the
// camera maker's uuid box inside moov.
DateTime cr3CaptureDate(const ByteSource& file);

// QuickTime and MP4: the creation date of the metadata keys, which is
// local wall-clock time, else the creation time of the movie header
// (UTC) as local time.
DateTime quickTimeCaptureDate(const ByteSource& file);

// RAF: the JPEG preview whose offset and length the header gives.
DateTime rafCaptureDate(const ByteSource& file);

// PNG: the eXIf chunk, else a raw EXIF profile kept as (compressed) text.
DateTime pngCaptureDate(const ByteSource& file);

// WebP: the EXIF chunk of the RIFF file.
DateTime webpCaptureDate(const ByteSource& file);

}  // namespace zantrel
