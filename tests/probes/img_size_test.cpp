#include "probes/img_size.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "cli/harness.h"
#include "support/image_builder.h"
#include "support/media_builder.h"

using namespace image_builder;
using testing_support::TempDir;
using zantrel::TImgSize;

namespace {

using Size = std::pair<int32_t, int32_t>;
const Size NoSize{-1, -1};

Size sizeOf(const std::string& name, const std::string& bytes) {
  TImgSize image(name, asBytes(bytes));
  int32_t width = 0;
  int32_t height = 0;
  image.getSize(width, height);
  return {width, height};
}

struct SizeCase {
  const char* name;
  std::string bytes;
  Size expected;
};

void expectSizes(const char* fileName, std::initializer_list<SizeCase> cases) {
  for (const auto& c : cases) EXPECT_EQ(sizeOf(fileName, c.bytes), c.expected) << c.name;
}

// --- extension groups ------------------------------------------------------------

TEST(ImgSize, ExtensionChoosesTheReader) {
  std::string jpg = jpeg(640, 480);
  for (const char* name : {"a.jpg", "photo.JPEG", "photo.jfif", "a.jpe", "a.jif", "a.JFI", "dir.png/a.jpg"}) {
    EXPECT_EQ(sizeOf(name, jpg), Size(640, 480)) << name;
  }
  for (const char* name : {"a", "a.", "a.jp", "a.jpgx", "a.webp", "a.heic", "a.jpg.txt", "a.jpg;", "dir.jpg/a", ".jpg;.png"}) {
    EXPECT_EQ(sizeOf(name, jpg), NoSize) << name;
  }
  // A PNG named .jpg is rejected by the JPEG reader; no other reader runs.
  EXPECT_EQ(sizeOf("x.jpg", png(30, 20)), NoSize);
  EXPECT_EQ(sizeOf("x.png", png(30, 20)), Size(30, 20));
  EXPECT_EQ(sizeOf("x.dib", bmp(30, 20)), Size(30, 20));
  EXPECT_EQ(sizeOf("x.TIFF", tiffWithSize(false, 30, 20)), Size(30, 20));
}

TEST(ImgSize, FieldsAndHasSize) {
  TImgSize image("Photo.JPeG", asBytes(jpeg(2, 1)));
  EXPECT_EQ(image.FileName, "Photo.JPeG");
  EXPECT_EQ(image.Ext, ".jpeg");
  EXPECT_EQ(image.ExtKey, ";.jpeg;");
  EXPECT_TRUE(image.hasSize());
  EXPECT_FALSE(TImgSize("x.jpg", asBytes(jpeg(0, 1))).hasSize());
  EXPECT_FALSE(TImgSize("x.jpg", asBytes(jpeg(1, 0))).hasSize());
  TImgSize none("x", asBytes(std::string()));
  EXPECT_EQ(none.ExtKey, ";;");
  EXPECT_FALSE(none.hasSize());
}

// --- JPEG ----------------------------------------------------------------------

TEST(ImgSize, JpegFrames) {
  JpegLayout progressive;
  progressive.frameMarker = 0xC2;
  JpegLayout exifOnly;
  exifOnly.jfif = false;
  JpegLayout bare;
  bare.jfif = false;
  bare.exif = false;
  expectSizes("a.jpg", {
                           {"baseline after APP0, APP1, DQT", jpeg(640, 480), {640, 480}},
                           {"progressive", jpeg(1024, 768, progressive), {1024, 768}},
                           {"exif only", jpeg(4000, 3000, exifOnly), {4000, 3000}},
                           {"no application segments", jpeg(1, 65535, bare), {1, 65535}},
                       });
  // Every start-of-frame marker gives the size; C4, C8 and CC are segments.
  for (int marker = 0xC0; marker <= 0xCF; ++marker) {
    JpegLayout layout;
    layout.frameMarker = static_cast<uint8_t>(marker);
    bool frame = marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    // A non-frame segment is skipped by its length; the EOI after it ends
    // the walk without a size.
    std::string file = hex("FF D8") + startOfFrame(static_cast<uint8_t>(marker), 300, 200) + hex("FF D9");
    EXPECT_EQ(sizeOf("a.jpg", file), frame ? Size(300, 200) : NoSize) << std::hex << marker;
  }
}

TEST(ImgSize, JpegFillBytesAndMarkersWithoutLength) {
  std::string head = hex("FF D8") + jfifApp0();
  std::string frame = startOfFrame(0xC0, 64, 32).substr(1);  // marker code onwards
  expectSizes("a.jpg", {
                           {"fill bytes before a marker", head + hex("FF FF FF") + frame, {64, 32}},
                           {"fill bytes right after SOI", hex("FF D8 FF FF FF") + frame, {64, 32}},
                           {"restart marker", head + hex("FF D0 FF") + frame, {64, 32}},
                           {"TEM marker then fill", head + hex("FF 01 FF FF") + frame, {64, 32}},
                           // After a marker without length the next byte is a marker code.
                           {"restart marker then frame code", head + hex("FF D7") + frame, {64, 32}},
                       });
}

TEST(ImgSize, JpegSignatureAndStops) {
  std::string frame = startOfFrame(0xC0, 64, 32);
  expectSizes("a.jpg", {
                           {"no SOI", hex("FF D9") + frame, NoSize},
                           {"SOI without marker lead", hex("FF D8 00") + frame, NoSize},
                           {"segment not followed by a marker", hex("FF D8") + jfifApp0() + hex("00") + frame, NoSize},
                           {"length below two", hex("FF D8 FF E0 00 01") + frame, NoSize},
                           {"length zero", hex("FF D8 FF E0 00 00 FF") + frame, NoSize},
                           {"segment longer than the file", hex("FF D8 FF E1 FF FF") + frame, NoSize},
                       });
}

TEST(ImgSize, JpegShortFiles) {
  std::string full = hex("FF D8") + startOfFrame(0xC0, 640, 480);
  // SOI(2) FF C0(2) length(2) precision(1) height(2) width(2)
  expectSizes("a.jpg", {
                           {"empty", "", NoSize},
                           {"one byte", hex("FF"), NoSize},
                           {"SOI only", hex("FF D8"), NoSize},
                           {"ends after lead", hex("FF D8 FF"), NoSize},
                           {"ends in frame length", full.substr(0, 5), NoSize},
                           {"ends in height", full.substr(0, 8), NoSize},
                           {"height only", full.substr(0, 9), {-1, 480}},
                           {"ends in width", full.substr(0, 10), {-1, 480}},
                           {"just enough", full.substr(0, 11), {640, 480}},
                       });
}

TEST(ImgSize, JpegLargeSegmentsAreSkipped) {
  // An APP1 block near the 64 KiB maximum and many small segments: the walk
  // crosses many read blocks.
  std::string file = hex("FF D8") + jpegSegment(0xE1, std::string(65000, 'e'));
  for (int i = 0; i < 2000; ++i) file += jpegSegment(0xFE, "comment");
  file += startOfFrame(0xC1, 5000, 4000) + hex("FF D9");
  EXPECT_EQ(sizeOf("a.jpg", file), Size(5000, 4000));
}

// --- PNG -----------------------------------------------------------------------

TEST(ImgSize, Png) {
  std::string bad = png(30, 20);
  bad[1] = 'p';
  std::string full = png(640, 480);
  expectSizes("a.png", {
                           {"normal", full, {640, 480}},
                           {"70000 wide keeps its full width", png(70000, 10), {70000, 10}},
                           {"65536 high", png(10, 65536), {10, 65536}},
                           {"wider than a signed number", png(0x80000000u, 10), {INT32_MIN, 10}},
                           {"bad signature", bad, NoSize},
                           {"signature only", full.substr(0, 8), NoSize},
                           {"ends in width", full.substr(0, 19), NoSize},
                           {"width only", full.substr(0, 20), {640, -1}},
                           {"ends in height", full.substr(0, 23), {640, -1}},
                           {"just enough", full.substr(0, 24), {640, 480}},
                       });
  EXPECT_FALSE(TImgSize("a.png", asBytes(png(0x80000000u, 10))).hasSize());
}

// --- GIF -----------------------------------------------------------------------

TEST(ImgSize, GifFirstImage) {
  GifLayout full;
  full.screenWidth = 500;
  full.screenHeight = 400;
  full.globalTableBits = 7;
  full.blocksBeforeImage = {gifGraphicControl(10)};
  GifLayout small;
  small.globalTableBits = 0;  // two colours
  small.blocksBeforeImage = {gifComment("made by hand"), gifGraphicControl(0)};
  GifLayout gif87;
  gif87.version = "87a";
  expectSizes("a.gif", {
                           {"256 colours and a graphics control", gif(320, 240, full), {320, 240}},
                           {"descriptor right after the header", gif(7, 9), {7, 9}},
                           {"two-colour table and a comment", gif(12, 34, small), {12, 34}},
                           {"GIF87a", gif(5, 6, gif87), {5, 6}},
                       });
}

// A 0x2C byte inside an extension block is data, not an image separator.
TEST(ImgSize, GifSeparatorBytesInsideExtensions) {
  GifLayout delay44;
  delay44.blocksBeforeImage = {gifGraphicControl(44)};
  GifLayout comma;
  comma.blocksBeforeImage = {gifComment("one, two, three"), gifGraphicControl(0x2C2C)};
  GifLayout application;
  application.blocksBeforeImage = {hex("21 FF 0B") + "NETSCAPE2.0" + hex("03 01 2C 00 00")};
  GifLayout empty;
  empty.blocksBeforeImage = {hex("21 01 00")};
  expectSizes("a.gif", {
                           {"delay of 44", gif(100, 80, delay44), {100, 80}},
                           {"commas in a comment", gif(100, 80, comma), {100, 80}},
                           {"application extension", gif(100, 80, application), {100, 80}},
                           {"extension without data", gif(100, 80, empty), {100, 80}},
                       });
}

TEST(ImgSize, GifSignatureAndShortFiles) {
  std::string plain = gif(7, 9);  // 13 header bytes, then the descriptor
  std::string wrong = plain;
  wrong[2] = 'X';
  GifLayout table;
  table.globalTableBits = 7;
  GifLayout ext;
  ext.blocksBeforeImage = {gifComment("abc")};
  std::string withExt = gif(7, 9, ext);
  expectSizes("a.gif", {
                           {"not GIF", wrong, NoSize},
                           // Only the three letters count, not the version.
                           {"other version", "GIF00b" + plain.substr(6), {7, 9}},
                           {"header cut short", plain.substr(0, 12), NoSize},
                           {"header only", plain.substr(0, 13), NoSize},
                           {"separator last", plain.substr(0, 14), NoSize},
                           {"descriptor cut short", plain.substr(0, 23), NoSize},
                           {"descriptor just complete", plain.substr(0, 24), {7, 9}},
                           {"colour table past the end", gif(7, 9, table).substr(0, 13 + 700), NoSize},
                           {"ends inside an extension", withExt.substr(0, 17), NoSize},
                           {"no image", plain.substr(0, 13) + hex("3B"), NoSize},
                       });
}

// A byte that starts no GIF block ends the walk: nothing after it is taken
// for an image, and a huge file without a descriptor is not read to its end.
TEST(ImgSize, GifWalkStopsAtWhatIsNoBlock) {
  const std::string plain = gif(7, 9);
  const std::string header = plain.substr(0, 13);
  const std::string descriptor = plain.substr(13);
  const std::string manyExtensions = [] {
    std::string blocks;
    // 17 MiB of comment sub-blocks before the image.
    const std::string subBlock = hex("FF") + std::string(255, 'c');
    while (blocks.size() < (17u << 20)) blocks += hex("21 FE") + subBlock + subBlock + hex("00");
    return blocks;
  }();
  expectSizes("a.gif", {
                           {"junk before the descriptor", header + std::string(1000, '\0') + descriptor, NoSize},
                           {"trailer before the descriptor", header + hex("3B") + descriptor, NoSize},
                           {"extensions past the walk limit", header + manyExtensions + descriptor, NoSize},
                       });
}

// --- TIFF ----------------------------------------------------------------------

TEST(ImgSize, TiffByteOrdersAndTypes) {
  expectSizes("a.tif", {
                           {"little-endian SHORT", tiffWithSize(false, 300, 200, 3), {300, 200}},
                           {"little-endian LONG", tiffWithSize(false, 70000, 200, 4), {70000, 200}},
                           {"big-endian SHORT", tiffWithSize(true, 300, 200, 3), {300, 200}},
                           {"big-endian LONG", tiffWithSize(true, 70000, 80000, 4), {70000, 80000}},
                           {"mixed types", tiff(true, {{256, 3, 640}, {257, 4, 480}}), {640, 480}},
                           // Other types are not allowed for these tags and are passed over.
                           {"BYTE type", tiff(false, {{256, 1, 64}, {257, 1, 32}}), NoSize},
                           {"later entry of the right type",
                            tiff(false, {{256, 5, 1}, {256, 3, 64}, {257, 3, 32}}), {64, 32}},
                           // The first pair above zero ends the walk.
                           {"first size wins", tiff(false, {{256, 3, 64}, {257, 3, 32}, {256, 3, 7}}), {64, 32}},
                           {"zero is no size", tiff(false, {{256, 3, 0}, {257, 3, 32}, {256, 3, 9}}), {9, 32}},
                       });
}

TEST(ImgSize, TiffHeaderAndShortFiles) {
  std::string le = tiffWithSize(false, 300, 200);
  // The mark is only read to tell big-endian from little-endian; anything
  // but "MM" is little-endian, and 42 is not checked.
  std::string odd = le;
  odd[0] = 'X';
  odd[2] = 0;
  // Directory at 8: count (2), entries of 12 bytes; width is entry 2, height entry 3.
  expectSizes("a.tif", {
                           {"unchecked mark", odd, {300, 200}},
                           {"header cut short", le.substr(0, 7), NoSize},
                           {"header only", le.substr(0, 8), NoSize},
                           {"count cut short", le.substr(0, 9), NoSize},
                           {"width entry cut short", le.substr(0, 10 + 24 - 1), NoSize},
                           {"width only", le.substr(0, 10 + 24), {300, -1}},
                           {"height entry cut short", le.substr(0, 10 + 36 - 1), {300, -1}},
                           {"just enough", le.substr(0, 10 + 36), {300, 200}},
                           {"directory past the end", "II" + le16(42) + le32(0xFFFFFFF0u) + le.substr(8), NoSize},
                       });
}

TEST(ImgSize, TiffLargeDirectory) {
  std::vector<TiffEntry> entries(4000, TiffEntry{0x9000, 3, 1});
  entries.push_back({256, 4, 6000});
  entries.push_back({257, 4, 4000});
  EXPECT_EQ(sizeOf("a.tiff", tiff(false, entries)), Size(6000, 4000));
  EXPECT_EQ(sizeOf("a.tiff", tiff(true, entries)), Size(6000, 4000));
}

// --- BMP -----------------------------------------------------------------------

TEST(ImgSize, Bmp) {
  std::string full = bmp(100, 50);
  std::string wrong = full;
  wrong[1] = 'A';
  expectSizes("a.bmp", {
                           {"bottom-up", full, {100, 50}},
                           {"top-down stores a negative height", bmp(100, -50), {100, -50}},
                           {"header size not looked at", bmp(640, 480, 124), {640, 480}},
                           {"not BM", wrong, NoSize},
                           {"one byte", "B", NoSize},
                           {"BM only", "BM", NoSize},
                           {"info header cut short", full.substr(0, 53), NoSize},
                           {"just enough", full.substr(0, 54), {100, 50}},
                       });
  EXPECT_FALSE(TImgSize("a.bmp", asBytes(bmp(100, -50))).hasSize());
}

// --- files ---------------------------------------------------------------------

TEST(ImgSizeFile, ReadsEachFormatFromDisk) {
  TempDir dir;
  GifLayout animated;
  animated.globalTableBits = 7;
  animated.blocksBeforeImage = {gifGraphicControl(44)};
  const std::pair<std::string, std::string> files[] = {
      {"a.jpg", jpeg(640, 480)}, {"b.png", png(70000, 10)},           {"c.gif", gif(16, 8, animated)},
      {"d.tif", tiffWithSize(true, 30, 20)}, {"e.BMP", bmp(100, 50)},
  };
  const Size expected[] = {{640, 480}, {70000, 10}, {16, 8}, {30, 20}, {100, 50}};
  for (size_t i = 0; i < std::size(files); ++i) {
    TImgSize image(dir.write(files[i].first, files[i].second).string());
    int32_t width = 0;
    int32_t height = 0;
    image.getSize(width, height);
    EXPECT_EQ(Size(width, height), expected[i]) << files[i].first;
  }
}

TEST(ImgSizeFile, NoSizeWithoutAReadableFile) {
  TempDir dir;
  dir.mkdir("folder.jpg");
  for (const std::string& path : {std::string(), (dir / "missing.jpg").string(), (dir / "folder.jpg").string(),
                                  dir.write("empty.png", "").string(), dir.write("one.gif", "G").string()}) {
    TImgSize image(path);
    EXPECT_FALSE(image.hasSize()) << path;
    EXPECT_EQ(image.Width, -1) << path;
    EXPECT_EQ(image.Height, -1) << path;
  }
}

TEST(ImgSize, HeifGivesThePrimaryImagesSize) {
  testing_support::HeifLayout layout;
  layout.width = 8064;
  layout.height = 6048;
  const std::string heic = testing_support::heifFile(layout);
  // The thumbnail's size comes first in the file; only the association
  // to the primary item counts.
  for (const char* name : {"a.heic", "a.HEIF", "a.hif", "a.avif"}) EXPECT_EQ(sizeOf(name, heic), Size(8064, 6048)) << name;
  layout.tiff = testing_support::cameraTiff();
  layout.inIdat = true;
  EXPECT_EQ(sizeOf("a.heic", testing_support::heifFile(layout)), Size(8064, 6048));
  EXPECT_EQ(sizeOf("a.heic", heic.substr(0, heic.size() / 3)), NoSize);
  EXPECT_EQ(sizeOf("a.heic", jpeg(640, 480)), NoSize);
}

TEST(ImgSize, WebpFromEachKindOfHeader) {
  expectSizes("a.webp", {
                            {"extended", testing_support::webpFile("", 5000, 70), Size(5000, 70)},
                            {"lossy", testing_support::webpLossy(640, 480), Size(640, 480)},
                            {"lossless", testing_support::webpLossless(16383, 1), Size(16383, 1)},
                            {"lossy without start code", testing_support::webpLossy(640, 480).replace(23, 1, "x"), NoSize},
                            {"lossless without signature", testing_support::webpLossless(10, 10).replace(20, 1, "x"), NoSize},
                            {"cut header", testing_support::webpLossy(640, 480).substr(0, 28), NoSize},
                            {"wave", "RIFF" + le32(100) + "WAVEfmt " + zeros(30), NoSize},
                        });
}

}  // namespace
