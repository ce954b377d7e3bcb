// Writes the seed corpus of the content-probe fuzz target from the test
// image builders. Build and run from the source tree:
//   g++ -std=c++20 -Itests fuzz/make_probes_corpus.cpp tests/support/image_builder.cpp -o /tmp/mkcorpus
//   /tmp/mkcorpus fuzz/corpus/probes
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/image_builder.h"

using namespace image_builder;

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::string dir = argv[1];
  JpegLayout progressive;
  progressive.frameMarker = 0xC2;
  progressive.jfif = false;
  progressive.beforeFrame = hex("FF FF");
  GifLayout animated;
  animated.globalTableBits = 7;
  animated.blocksBeforeImage = {gifGraphicControl(44), gifComment("hi")};
  std::vector<std::pair<std::string, std::string>> seeds = {
      {"jpeg", jpeg(640, 480)},
      {"jpeg-progressive", jpeg(320, 200, progressive)},
      {"png", png(70000, 10)},
      {"gif", gif(16, 8, animated)},
      {"gif-plain", gif(3, 2)},
      {"tiff-le", tiffWithSize(false, 300, 200)},
      {"tiff-be", tiffWithSize(true, 300, 200, 4)},
      {"bmp", bmp(100, 50)},
      {"pdf", "%PDF-1.4\n"},
      {"riff-wave", "RIFF" + le32(36) + "WAVEfmt "},
      {"zip-office", hex("50 4B 03 04 14 00 06 00") + zeros(22)},
      {"gif-at-probe-end", placeAt(std::string(9000, 'x'), 8258, "GIF89a")},
      {"riff-form-at-probe-end", placeAt(std::string(8300, 'x'), 8250, "RIFF" + le32(0) + "WEBP")},
      {"picture-dib", placeAt(hex("FF FF FF FF") + "Picture" + hex("00 00 01 05 00 00 03 00 00 00 04 00 00 00") + "DIB",
                              41, hex("28 00 00 00"))},
  };
  for (const auto& [name, bytes] : seeds) {
    std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
  }
  return 0;
}
