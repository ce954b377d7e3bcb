// Width and height of an image from its header, without decoding it. The
// file's extension chooses the reader: JPEG, PNG, GIF, TIFF, BMP, HEIF
// (HEIC, AVIF) or WebP.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zantrel {

class ByteSource;

class TImgSize {
 public:
  // Reads the size of the image file at path.
  explicit TImgSize(const std::string& path);
  // Reads the size from bytes held in memory; name only chooses the reader
  // by its extension.
  TImgSize(const std::string& name, std::span<const uint8_t> bytes);

  // True when a usable size was found: both at least one pixel.
  bool hasSize() const { return Width >= 1 && Height >= 1; }
  void getSize(int32_t& width, int32_t& height) const {
    width = Width;
    height = Height;
  }

  // -1 until a reader sets them; a reader that stops half-way may have set
  // one of the two.
  int32_t Width = -1;
  int32_t Height = -1;
  std::string FileName;
  std::string Ext;     // extension in lower case, dot included
  std::string ExtKey;  // ";" + Ext + ";", looked up in the extension groups
  // The system's error number when a reader could not read the file (open
  // or read), 0 otherwise; an extension that no reader knows reads nothing.
  int ReadError = 0;

 private:
  void readFrom(const ByteSource& source);
  void readJpeg(const ByteSource& source);
  void readPng(const ByteSource& source);
  void readGif(const ByteSource& source);
  void readTiff(const ByteSource& source);
  void readBmp(const ByteSource& source);
  void readHeif(const ByteSource& source);
  void readWebP(const ByteSource& source);
};

}  // namespace zantrel
