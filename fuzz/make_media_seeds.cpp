// Writes the seed corpus of the media fuzz target from the test-file
// builders: each file prefixed by the byte that picks its extension.
//   cmake --build build-fuzz --target media_seeds && ./build-fuzz/media_seeds fuzz/corpus/media
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/media_fuzz_input.h"
#include "support/media_builder.h"

using namespace testing_support;

namespace {

char extensionByte(const char* extension) {
  for (size_t i = 0; i < MediaFuzzExtensions.size(); ++i) {
    if (std::strcmp(MediaFuzzExtensions[i], extension) == 0) return static_cast<char>(i);
  }
  std::fprintf(stderr, "no such extension: %s\n", extension);
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: media_seeds FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  CameraShot le;
  le.gps = le.interop = le.thumbnail = false;
  CameraShot be = le;
  be.bigEndian = true;
  const std::string tiff = cameraTiff(le);

  HeifLayout idat;
  idat.tiff = cameraTiff(be);
  idat.inIdat = true;
  idat.extents = 2;
  HeifLayout mdat;
  mdat.tiff = tiff;
  mdat.ilocVersion = 2;
  mdat.infeVersion = 3;
  mdat.thumbnailTiff = tiff;
  mdat.prefixCounted = false;
  HeifLayout avif;
  avif.tiff = tiff;
  avif.brand = "avif";
  avif.ilocVersion = 0;
  avif.lastExtentToEnd = true;

  MovieLayout keyed;
  keyed.created = movieTime(2019, 7, 14, 9, 43, 59);
  keyed.creationDate = "2019-07-14T11:43:59+0200";
  keyed.mediaBytes = 256;
  MovieLayout after;
  after.brand = "isom";
  after.moovAfterMdat = true;
  after.headerVersion = 1;
  after.created = keyed.created;
  after.mediaSize = MovieLayout::MediaSize::Large;
  after.mediaBytes = 64;
  after.metaIsFullBox = true;
  after.creationDate = "2019-07-14T09:43:59Z";

  PngLayout exifChunk;
  exifChunk.exifChunk = tiff;
  exifChunk.exifAfterImage = true;
  PngLayout profile;
  profile.profileChunk = "zTXt";
  profile.profileBytes = exifPayload(cameraTiff(be));
  PngLayout itxt;
  itxt.profileChunk = "iTXt";
  itxt.profileKeyword = "Raw profile type APP1";
  itxt.profileBytes = exifPayload(tiff);

  const std::vector<std::pair<std::string, std::pair<const char*, std::string>>> seeds = {
      {"heic-idat", {".heic", heifFile(idat)}},
      {"heic-mdat", {".heic", heifFile(mdat)}},
      {"avif-to-end", {".avif", heifFile(avif)}},
      {"cr3-le", {".cr3", cr3File(cr3Ifd0(le), cr3ExifIfd(le))}},
      {"cr3-be", {".cr3", cr3File(cr3Ifd0(be), cr3ExifIfd(be))}},
      {"mov-keys", {".mov", movieFile(keyed)}},
      {"mp4-moov-after", {".mp4", movieFile(after)}},
      {"cr2", {".cr2", rawTiff(le, "II*\0", 600)}},
      {"orf", {".orf", rawTiff(le, "IIRO", 600)}},
      {"orf-be", {".orf", rawTiff(be, "MMOR", 600)}},
      {"rw2", {".rw2", rawTiff(le, "IIU\0", 600)}},
      {"dng-be", {".dng", rawTiff(be, "MM\0*", 600)}},
      {"raf", {".raf", rafFile(cameraJpeg(le))}},
      {"png-exif", {".png", pngFile(exifChunk)}},
      {"png-ztxt", {".png", pngFile(profile)}},
      {"png-itxt", {".png", pngFile(itxt)}},
      {"webp", {".webp", webpFile(exifPayload(tiff))}},
      {"webp-lossless", {".webp", webpLossless(300, 200)}},
  };
  for (const auto& [name, seed] : seeds) {
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out << extensionByte(seed.first) << seed.second;
    if (!out) {
      std::fprintf(stderr, "cannot write %s/%s\n", folder.c_str(), name.c_str());
      return 1;
    }
  }
  return 0;
}
