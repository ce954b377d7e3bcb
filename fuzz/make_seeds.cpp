// Writes the fuzz seed corpus: JPEG and TIFF layouts from the test-file
// builders, one file each, into the folder named on the command line.
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/exif_builder.h"

using namespace testing_support;

namespace {

std::string loopingTiff(bool bigEndian) {
  TiffBuilder t(bigEndian);
  const int ifd0 = t.addDirectory();
  const int exif = t.addDirectory();
  const int gps = t.addDirectory();
  t.ascii(ifd0, TagDateTime, "2009:01:01 00:00:00").pointer(ifd0, TagExifOffset, exif).pointer(ifd0, TagGpsInfo, gps);
  t.ascii(exif, TagDateTimeOriginal, "2008:05:17 14:30:00").pointer(exif, TagInteropOffset, ifd0);
  t.pointer(exif, TagGpsInfo, gps);
  t.pointer(gps, TagExifOffset, exif).pointer(gps, TagSubIfds, ifd0);
  return t.build();
}

std::string oversizedTiff() {
  TiffBuilder t(false);
  const int ifd0 = t.addDirectory();
  t.ascii(ifd0, TagMake, "Acme").claimEntries(ifd0, 5000);
  t.rawEntry(ifd0, TagDateTime, TiffDouble, 0xFFFFFFFFu, 0xFFFFFFF0u);
  return t.build();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: exif_seeds FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  CameraShot be;
  be.bigEndian = true;
  CameraShot zero;
  zero.dateTimeOriginal = "0000:00:00 00:00:00";
  CameraShot bare;
  bare.gps = bare.interop = bare.thumbnail = false;

  std::vector<std::pair<std::string, std::string>> seeds = {
      {"camera-le.jpg", cameraJpeg()},
      {"camera-be.jpg", cameraJpeg(be)},
      {"camera-le.tif", cameraTiff()},
      {"camera-be.tif", cameraTiff(be)},
      {"zero-date.jpg", cameraJpeg(zero)},
      {"jfif-exif.jpg", JpegBuilder().app0().app1Exif(cameraTiff(bare)).dqt().sof().dht().build()},
      {"xmp-first.jpg", JpegBuilder().app1Xmp().app1Exif(cameraTiff(bare)).build()},
      {"exif-then-xmp.jpg", JpegBuilder().app0().app1Exif(cameraTiff(bare)).app1Xmp().app13().build()},
      {"comment-fifth.jpg", JpegBuilder().app0().comment().dqt().dht().app1Exif(cameraTiff(bare)).sof().build()},
      {"iptc-only.jpg", JpegBuilder().app13().dqt().build()},
      {"looping-le.jpg", JpegBuilder().app1Exif(loopingTiff(false)).build()},
      {"looping-be.tif", loopingTiff(true)},
      {"oversized.tif", oversizedTiff()},
      {"oversized.jpg", JpegBuilder().app1Exif(oversizedTiff()).build(false)},
  };
  JpegBuilder many;
  many.comment();
  for (int i = 0; i < 24; ++i) many.dqt();
  seeds.emplace_back("many-segments.jpg", many.build());

  for (const auto& [name, bytes] : seeds) {
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s/%s\n", folder.c_str(), name.c_str());
      return 1;
    }
  }
  return 0;
}
