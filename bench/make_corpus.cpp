// Writes the files the benchmark runs on:
//
//   make_corpus photos DIR N   N camera-like JPEGs (IMG_00001.JPG ...), 50 to
//                              300 KB, each with an EXIF block of about 3.6 KB
//                              in either byte order, and a last-write time
//                              equal to the capture date, as a camera leaves it
//   make_corpus small DIR N    N small files whose names -s changes
//   make_corpus tree DIR F K   a tree of about F folders (ten per level) with
//                              K small files in each
//
// The photos carry the segment layout cameras write: APP0 JFIF on some,
// APP1 with IFD0, the EXIF directory (with a maker note and a user comment),
// an interoperability directory, GPS on some, IFD1 with a small thumbnail;
// then DQT, SOF0, DHT, SOS and an entropy-coded-like payload (every 0xFF
// followed by a zero byte) up to EOI. The content is pseudo-random from a
// fixed seed, so two runs write the same corpus.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lib/datetime.h"
#include "platform/filesystem.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::string;

struct Random {
  uint64_t state;
  uint64_t next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t below(uint32_t n) { return static_cast<uint32_t>(next() % n); }
  int between(int lo, int hi) { return lo + static_cast<int>(below(static_cast<uint32_t>(hi - lo + 1))); }
};

// A TIFF block in one byte order.
struct Tiff {
  bool big;
  void put16(Bytes& b, uint32_t v) const {
    const char lo = static_cast<char>(v & 0xFF), hi = static_cast<char>((v >> 8) & 0xFF);
    if (big) b += hi, b += lo;
    else b += lo, b += hi;
  }
  void put32(Bytes& b, uint32_t v) const {
    if (big) put16(b, v >> 16), put16(b, v & 0xFFFF);
    else put16(b, v & 0xFFFF), put16(b, v >> 16);
  }
};

struct Entry {
  uint16_t tag;
  uint16_t type;
  uint32_t count;
  Bytes value;  // count * size bytes, already in the block's byte order
};

Entry ascii(uint16_t tag, const std::string& text) {
  Bytes v = text + '\0';
  return {tag, 2, static_cast<uint32_t>(v.size()), v};
}
Entry shortValue(const Tiff& t, uint16_t tag, uint32_t value) {
  Bytes v;
  t.put16(v, value);
  return {tag, 3, 1, v};
}
Entry longValue(const Tiff& t, uint16_t tag, uint32_t value) {
  Bytes v;
  t.put32(v, value);
  return {tag, 4, 1, v};
}
Entry rational(const Tiff& t, uint16_t tag, uint32_t num, uint32_t den) {
  Bytes v;
  t.put32(v, num);
  t.put32(v, den);
  return {tag, 5, 1, v};
}
Entry undefinedValue(uint16_t tag, Bytes bytes) {
  return {tag, 7, static_cast<uint32_t>(bytes.size()), std::move(bytes)};
}

// Bytes a directory at some offset takes, its out-of-line values included.
uint32_t directorySize(const std::vector<Entry>& entries) {
  uint32_t size = 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
  for (const Entry& e : entries) {
    if (e.value.size() > 4) size += static_cast<uint32_t>(e.value.size() + (e.value.size() & 1));
  }
  return size;
}

Bytes directory(const Tiff& t, const std::vector<Entry>& entries, uint32_t at, uint32_t next) {
  Bytes dir, data;
  const uint32_t dataStart = at + 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
  t.put16(dir, static_cast<uint32_t>(entries.size()));
  for (const Entry& e : entries) {
    t.put16(dir, e.tag);
    t.put16(dir, e.type);
    t.put32(dir, e.count);
    if (e.value.size() <= 4) {
      Bytes v = e.value;
      v.resize(4, '\0');
      dir += v;
    } else {
      t.put32(dir, dataStart + static_cast<uint32_t>(data.size()));
      data += e.value;
      if (data.size() & 1) data += '\0';
    }
  }
  t.put32(dir, next);
  return dir + data;
}

Bytes randomBytes(Random& r, size_t n) {
  Bytes b(n, '\0');
  for (size_t i = 0; i < n; i += 8) {
    const uint64_t v = r.next();
    for (size_t k = 0; k < 8 && i + k < n; ++k) b[i + k] = static_cast<char>(v >> (8 * k));
  }
  return b;
}

// A maker note laid out as some cameras do: a directory of maker-specific
// entries, then their data.
Bytes makerNote(const Tiff& t, Random& r) {
  Bytes note;
  const int n = r.between(30, 45);
  t.put16(note, static_cast<uint32_t>(n));
  for (int i = 0; i < n; ++i) {
    t.put16(note, 0x0001 + static_cast<uint32_t>(i));
    t.put16(note, r.below(2) ? 3 : 4);
    t.put32(note, 1);
    t.put32(note, r.below(65536));
  }
  t.put32(note, 0);
  note += randomBytes(r, static_cast<size_t>(r.between(1100, 2000)));
  return note;
}

struct Capture {
  int year, month, day, hour, minute, second;
};

std::string exifDateText(const Capture& c) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute,
                c.second);
  return text;
}

Bytes exifSegment(Random& r, const Capture& when) {
  static const char* const Makes[][2] = {
      {"Canon", "Canon EOS 80D"}, {"NIKON CORPORATION", "NIKON D7500"}, {"SONY", "ILCE-7M3"},
      {"FUJIFILM", "X-T30"},      {"OLYMPUS CORPORATION", "E-M10MarkIII"}, {"Apple", "iPhone 12"}};
  const auto& camera = Makes[r.below(6)];
  const Tiff t{r.below(2) == 0};
  const std::string date = exifDateText(when);
  const uint32_t width = 6000, height = 4000;

  std::vector<Entry> ifd0 = {ascii(0x010F, camera[0]),
                             ascii(0x0110, camera[1]),
                             shortValue(t, 0x0112, 1),
                             rational(t, 0x011A, 72, 1),
                             rational(t, 0x011B, 72, 1),
                             shortValue(t, 0x0128, 2),
                             ascii(0x0131, "Firmware Version 1.1.0"),
                             ascii(0x0132, date),
                             shortValue(t, 0x0213, 2),
                             longValue(t, 0x8769, 0)};
  const bool gps = r.below(2) == 0;
  if (gps) ifd0.push_back(longValue(t, 0x8825, 0));

  Bytes comment = Bytes("ASCII\0\0\0", 8) + Bytes(56, ' ');
  std::vector<Entry> exif = {rational(t, 0x829A, 1, static_cast<uint32_t>(r.between(30, 4000))),
                             rational(t, 0x829D, static_cast<uint32_t>(r.between(14, 160)), 10),
                             shortValue(t, 0x8822, 2),
                             shortValue(t, 0x8827, static_cast<uint32_t>(r.between(100, 6400))),
                             undefinedValue(0x9000, "0231"),
                             ascii(0x9003, date),
                             ascii(0x9004, date),
                             undefinedValue(0x9101, Bytes("\1\2\3\0", 4)),
                             rational(t, 0x9201, 8, 1),
                             rational(t, 0x9202, 5, 1),
                             rational(t, 0x9204, 0, 1),
                             rational(t, 0x9205, 3, 1),
                             shortValue(t, 0x9207, 5),
                             shortValue(t, 0x9209, 16),
                             rational(t, 0x920A, static_cast<uint32_t>(r.between(18, 200)), 1),
                             undefinedValue(0x927C, makerNote(t, r)),
                             undefinedValue(0x9286, comment),
                             ascii(0x9290, "00"),
                             ascii(0x9291, "00"),
                             ascii(0x9292, "00"),
                             undefinedValue(0xA000, "0100"),
                             shortValue(t, 0xA001, 1),
                             longValue(t, 0xA002, width),
                             longValue(t, 0xA003, height),
                             longValue(t, 0xA005, 0),
                             rational(t, 0xA20E, 6000000, 1000),
                             rational(t, 0xA20F, 4000000, 1000),
                             shortValue(t, 0xA210, 2),
                             shortValue(t, 0xA217, 2),
                             undefinedValue(0xA300, Bytes("\3", 1)),
                             undefinedValue(0xA301, Bytes("\1", 1)),
                             shortValue(t, 0xA401, 0),
                             shortValue(t, 0xA402, 0),
                             shortValue(t, 0xA403, 0),
                             shortValue(t, 0xA406, 0)};
  std::vector<Entry> interop = {ascii(0x0001, "R98"), undefinedValue(0x0002, "0100")};
  std::vector<Entry> gpsDir = {undefinedValue(0x0000, Bytes("\2\3\0\0", 4)),
                               ascii(0x0001, "N"),
                               {0x0002, 5, 3, Bytes()},
                               ascii(0x0003, "E"),
                               {0x0004, 5, 3, Bytes()},
                               shortValue(t, 0x0005, 0),
                               rational(t, 0x0006, static_cast<uint32_t>(r.between(0, 90000)), 100)};
  for (int k : {2, 4}) {
    Bytes v;
    for (int i = 0; i < 3; ++i) t.put32(v, r.below(60)), t.put32(v, 1);
    gpsDir[static_cast<size_t>(k)].value = v;
  }
  const Bytes thumbnail = "\xFF\xD8" + randomBytes(r, static_cast<size_t>(r.between(300, 700))) + "\xFF\xD9";
  std::vector<Entry> ifd1 = {shortValue(t, 0x0103, 6), rational(t, 0x011A, 72, 1), rational(t, 0x011B, 72, 1),
                             shortValue(t, 0x0128, 2), longValue(t, 0x0201, 0),
                             longValue(t, 0x0202, static_cast<uint32_t>(thumbnail.size()))};

  // Offsets: IFD0 at 8, then the EXIF, interoperability, GPS directories,
  // IFD1 and the thumbnail.
  const uint32_t exifAt = 8 + directorySize(ifd0);
  const uint32_t interopAt = exifAt + directorySize(exif);
  const uint32_t gpsAt = interopAt + directorySize(interop);
  const uint32_t ifd1At = gpsAt + (gps ? directorySize(gpsDir) : 0);
  const uint32_t thumbAt = ifd1At + directorySize(ifd1);
  const auto setLong = [&t](std::vector<Entry>& dir, uint16_t tag, uint32_t value) {
    for (Entry& e : dir) {
      if (e.tag == tag) e.value.clear(), t.put32(e.value, value);
    }
  };
  setLong(ifd0, 0x8769, exifAt);
  setLong(ifd0, 0x8825, gpsAt);
  setLong(exif, 0xA005, interopAt);
  setLong(ifd1, 0x0201, thumbAt);

  Bytes tiff = t.big ? "MM" : "II";
  t.put16(tiff, 42);
  t.put32(tiff, 8);
  tiff += directory(t, ifd0, 8, ifd1At);
  tiff += directory(t, exif, exifAt, 0);
  tiff += directory(t, interop, interopAt, 0);
  if (gps) tiff += directory(t, gpsDir, gpsAt, 0);
  tiff += directory(t, ifd1, ifd1At, 0);
  tiff += thumbnail;
  return Bytes("Exif\0\0", 6) + tiff;
}

void putSegment(Bytes& out, uint8_t marker, const Bytes& payload) {
  out += '\xFF';
  out += static_cast<char>(marker);
  const size_t length = payload.size() + 2;
  out += static_cast<char>(length >> 8);
  out += static_cast<char>(length & 0xFF);
  out += payload;
}

Bytes cameraJpeg(Random& r, const Capture& when) {
  Bytes out = "\xFF\xD8";
  if (r.below(3) == 0) putSegment(out, 0xE0, Bytes("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
  putSegment(out, 0xE1, exifSegment(r, when));
  Bytes dqt;
  for (int table = 0; table < 2; ++table) dqt += static_cast<char>(table), dqt += randomBytes(r, 64);
  putSegment(out, 0xDB, dqt);
  putSegment(out, 0xC0, Bytes("\x08\x0F\xA0\x17\x70\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 15));
  Bytes dht;
  for (int table : {0x00, 0x10, 0x01, 0x11}) {
    dht += static_cast<char>(table);
    const int symbols = table & 0x10 ? 162 : 12;
    Bytes counts(16, '\0');
    for (int i = 0; i < symbols; ++i) counts[static_cast<size_t>(i % 16)]++;
    dht += counts + randomBytes(r, static_cast<size_t>(symbols));
  }
  putSegment(out, 0xC4, dht);
  putSegment(out, 0xDA, Bytes("\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00", 10));
  // Entropy-coded data: a 0xFF is always followed by a stuffed zero byte.
  const size_t target = static_cast<size_t>(r.between(50, 300)) * 1000;
  Bytes scan = randomBytes(r, target > out.size() + 2 ? target - out.size() - 2 : 1000);
  Bytes stuffed;
  stuffed.reserve(scan.size() + scan.size() / 128);
  for (char c : scan) {
    stuffed += c;
    if (c == '\xFF') stuffed += '\0';
  }
  out += stuffed;
  out += "\xFF\xD9";
  return out;
}

bool writeFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// The capture date as the local last-write time, as a camera's clock sets it.
void setLocalWriteTime(const fs::path& path, const Capture& c) {
  platform::setTimes(path.string(), 0,
                     zantrel::encodeDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second));
}

int photos(const fs::path& dir, long n) {
  Random r{0x5EED0001};
  for (long i = 1; i <= n; ++i) {
    const Capture when{r.between(2005, 2023), r.between(1, 12), r.between(1, 28),
                       r.between(0, 23),      r.between(0, 59), r.between(0, 59)};
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%05ld.JPG", i);
    if (!writeFile(dir / name, cameraJpeg(r, when))) return 1;
    setLocalWriteTime(dir / name, when);
  }
  return 0;
}

// Names as downloads and scanners leave them: blanks and an upper-case
// extension, which -s turns into underscores and lower case.
int smallFiles(const fs::path& dir, long n, Random& r) {
  static const char* const Stems[] = {"Scan Report", "Holiday Photo", "Invoice Copy", "Meeting Notes"};
  static const char* const Exts[] = {".TXT", ".PDF", ".DOC", ".CSV"};
  for (long i = 1; i <= n; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "%s %06ld%s", Stems[r.below(4)], i, Exts[r.below(4)]);
    if (!writeFile(dir / name, randomBytes(r, static_cast<size_t>(r.between(20, 400))))) return 1;
  }
  return 0;
}

int tree(const fs::path& dir, long folders, long filesEach) {
  Random r{0x5EED0003};
  long made = 0;
  // Ten folders per level, breadth first, until about `folders` exist.
  std::vector<fs::path> level{dir};
  while (made < folders) {
    std::vector<fs::path> next;
    for (const fs::path& parent : level) {
      for (int k = 0; k < 10 && made < folders; ++k, ++made) {
        const fs::path sub = parent / ("Folder " + std::to_string(k));
        fs::create_directories(sub);
        if (smallFiles(sub, filesEach, r) != 0) return 1;
        next.push_back(sub);
      }
    }
    level = std::move(next);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: make_corpus photos|small DIR N | tree DIR FOLDERS FILES\n");
    return 2;
  }
  const std::string kind = argv[1];
  const fs::path dir = argv[2];
  const long n = std::stol(argv[3]);
  fs::create_directories(dir);
  if (kind == "photos") return photos(dir, n);
  if (kind == "small") {
    Random r{0x5EED0002};
    return smallFiles(dir, n, r);
  }
  if (kind == "tree" && argc >= 5) return tree(dir, n, std::stol(argv[4]));
  std::fprintf(stderr, "make_corpus: unknown kind %s\n", kind.c_str());
  return 2;
}
