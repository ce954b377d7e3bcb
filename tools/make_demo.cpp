// Writes the demo folder that scripts/demo.sh runs zantrel on: photos from
// a few "cameras" with EXIF capture dates, a video, a download with a long
// name, a photo without an extension and one with non-ASCII characters.
// The photos carry real JPEG structure (EXIF block, frame header), but no
// image data worth looking at.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::string;

void put16(Bytes& b, unsigned v) {
  b += static_cast<char>(v & 0xFF);
  b += static_cast<char>((v >> 8) & 0xFF);
}
void put32(Bytes& b, uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
void putBig16(Bytes& b, unsigned v) {
  b += static_cast<char>((v >> 8) & 0xFF);
  b += static_cast<char>(v & 0xFF);
}

struct Entry {
  uint16_t tag;
  uint16_t type;  // 2 ASCII, 4 LONG
  Bytes ascii;    // for ASCII, without the terminating zero
  uint32_t value = 0;
};

// One little-endian directory at offset `at` of the TIFF block, its long
// values placed right behind it.
Bytes directory(const std::vector<Entry>& entries, uint32_t at) {
  Bytes dir, data;
  const uint32_t dataStart = at + 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
  put16(dir, static_cast<unsigned>(entries.size()));
  for (const Entry& e : entries) {
    put16(dir, e.tag);
    put16(dir, e.type);
    if (e.type == 2) {
      Bytes text = e.ascii + '\0';
      put32(dir, static_cast<uint32_t>(text.size()));
      if (text.size() <= 4) {
        text.resize(4, '\0');
        dir += text;
      } else {
        put32(dir, dataStart + static_cast<uint32_t>(data.size()));
        data += text;
        if (data.size() % 2) data += '\0';
      }
    } else {
      put32(dir, 1);
      put32(dir, e.value);
    }
  }
  put32(dir, 0);
  return dir + data;
}

Bytes exifJpeg(const std::string& make, const std::string& model, const std::string& taken, unsigned width,
               unsigned height) {
  Bytes tiff = "II*";
  tiff += '\0';
  put32(tiff, 8);
  // IFD0 first with a placeholder pointer, then the Exif directory behind it.
  std::vector<Entry> ifd0 = {{0x010F, 2, make}, {0x0110, 2, model}, {0x0132, 2, taken}, {0x8769, 4, "", 0}};
  const uint32_t exifAt = 8 + static_cast<uint32_t>(directory(ifd0, 8).size());
  ifd0[3].value = exifAt;
  tiff += directory(ifd0, 8);
  tiff += directory({{0x9003, 2, taken}, {0x9004, 2, taken}}, exifAt);

  Bytes jpeg = "\xFF\xD8";
  Bytes app1 = "Exif";
  app1 += '\0';
  app1 += '\0';
  app1 += tiff;
  jpeg += "\xFF\xE1";
  putBig16(jpeg, static_cast<unsigned>(app1.size() + 2));
  jpeg += app1;
  // Baseline frame header: precision, height, width, one component.
  jpeg += "\xFF\xC0";
  putBig16(jpeg, 11);
  jpeg += '\x08';
  putBig16(jpeg, height);
  putBig16(jpeg, width);
  jpeg += "\x01\x01\x11";
  jpeg += '\0';
  jpeg += "\xFF\xDA";
  putBig16(jpeg, 8);
  jpeg += "\x01\x01";
  jpeg += '\0';
  jpeg += '\0';
  jpeg += "\x3F";
  jpeg += '\0';
  jpeg += Bytes(64, '\x55');
  jpeg += "\xFF\xD9";
  return jpeg;
}

bool writeFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo FOLDER\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  std::filesystem::create_directories(dir);

  struct Photo {
    const char* name;
    const char* make;
    const char* model;
    const char* taken;
    unsigned width, height;
  } photos[] = {
      {"IMG_1234.JPG", "Orvik", "Orvik PowerFrame 80", "2013:04:12 15:30:45", 4000, 3000},
      {"IMG_1235.JPG", "Orvik", "Orvik PowerFrame 80", "2013:04:12 15:31:02", 4000, 3000},
      {"DSC_0042.JPG", "Halden", "Halden D-210", "2019:08:03 09:12:00", 6000, 4000},
      {"PICT0001.JPG", "Mirel", "Mirel Snap 5", "2008:12:24 18:05:59", 2592, 1944},
      {"Holiday Photo (2).JPEG", "Mirel", "Mirel Snap 5", "2008:12:26 11:00:00", 2592, 1944},
      {"\xC3\x84rger \xC3\xBC" "ber \xC3\x96l.jpg", "Halden", "Halden D-210", "2021:02:14 20:20:20", 1920, 1080},
      {"photo_without_extension", "Orvik", "Orvik PowerFrame 80", "2013:04:13 08:00:00", 4000, 3000},
  };
  bool ok = true;
  for (const Photo& p : photos) ok &= writeFile(dir / p.name, exifJpeg(p.make, p.model, p.taken, p.width, p.height));
  // A video as a phone leaves it (the content is not read) and a download.
  ok &= writeFile(dir / "MVI_0099.MOV", Bytes("\0\0\0\x14" "ftypqt  ", 12) + Bytes(4096, '\0'));
  ok &= writeFile(dir / "annual-report-final-2f3a9c.pdf", "%PDF-1.4\n%demo\n");
  if (!ok) {
    std::fprintf(stderr, "make_demo: cannot write into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
