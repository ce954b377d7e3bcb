#include "probes/magic.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "cli/harness.h"
#include "support/image_builder.h"
#include "support/media_builder.h"

using namespace image_builder;
using testing_support::TempDir;
using zantrel::detectExtension;
using zantrel::extensionFromContent;
using zantrel::findBytes;

namespace {

std::string probe(const std::string& bytes) { return extensionFromContent(asBytes(bytes)); }

// A file of size bytes of filler with bytes placed at offset.
std::string fileWith(const std::string& bytes, size_t offset, size_t size = 300, char filler = 'x') {
  return placeAt(std::string(size, filler), offset, bytes);
}

const std::string PictureDibA =
    hex("FF FF FF FF") + "Picture" + hex("00 00 01 05 00 00 03 00 00 00 04 00 00 00") + "DIB";
const std::string DibSize = hex("28 00 00 00");

// --- findBytes ---------------------------------------------------------------

TEST(FindBytes, LeftmostMatchAsOneBasedPosition) {
  std::string buffer = "abcabcabc";
  int32_t position = 0;
  EXPECT_TRUE(findBytes(asBytes("bca"), asBytes(buffer), 0, position));
  EXPECT_EQ(position, 2);
  EXPECT_TRUE(findBytes(asBytes("a"), asBytes(buffer), 0, position));
  EXPECT_EQ(position, 1);
  EXPECT_TRUE(findBytes(asBytes("abcabcabc"), asBytes(buffer), 0, position));
  EXPECT_EQ(position, 1);
  EXPECT_FALSE(findBytes(asBytes("abd"), asBytes(buffer), 0, position));
  EXPECT_FALSE(findBytes(asBytes("abcabcabca"), asBytes(buffer), 0, position));
  EXPECT_FALSE(findBytes(asBytes("a"), asBytes(std::string()), 0, position));
}

TEST(FindBytes, LimitIsTheLastUsableIndex) {
  std::string buffer = "xxxxabcx";  // "abc" at indexes 4..6
  int32_t position = 0;
  EXPECT_TRUE(findBytes(asBytes("abc"), asBytes(buffer), 6, position));
  EXPECT_EQ(position, 5);
  EXPECT_FALSE(findBytes(asBytes("abc"), asBytes(buffer), 5, position));
  // A limit past the buffer counts as its end; a limit below the pattern
  // length leaves no start.
  EXPECT_TRUE(findBytes(asBytes("abc"), asBytes(buffer), 1000, position));
  EXPECT_FALSE(findBytes(asBytes("xxxxa"), asBytes(buffer), 3, position));
}

TEST(FindBytes, MatchesZeroBytesAndFirstByteRepeats) {
  std::string buffer = hex("00 FF FF D8 FF 00 00");
  int32_t position = 0;
  EXPECT_TRUE(findBytes(asBytes(hex("FF D8 FF")), asBytes(buffer), 0, position));
  EXPECT_EQ(position, 3);
  EXPECT_TRUE(findBytes(asBytes(hex("00 00")), asBytes(buffer), 0, position));
  EXPECT_EQ(position, 6);
}

// --- the tests, one by one ------------------------------------------------------

struct MagicCase {
  const char* name;
  std::string bytes;
  const char* expected;
};

// Every pattern placed in the middle of a file of filler bytes, so that
// each test is shown to search anywhere, not only at the start.
TEST(DetectExtension, EveryTestFindsItsPatternAnywhere) {
  const MagicCase cases[] = {
      {"pdf", fileWith("%PDF-1.", 100), ".pdf"},
      {"picture dib", fileWith(placeAt(PictureDibA, 41, DibSize), 60), ".bmp"},
      {"jfif", fileWith(placeAt(hex("FF D8 FF"), 50, "JFIF" + zeros(1)), 20), ".jpg"},
      {"png", fileWith(hex("89 50 4E 47 0D 0A 1A 0A 00 00 00 0D 49 48 44 52"), 100), ".png"},
      {"psd", fileWith("8BPS" + hex("00 01") + zeros(7), 100), ".psd"},
      {"cpt9", fileWith("CPT9FILE", 100), ".cpt"},
      {"cpt7", fileWith("CPT7FILE", 100), ".cpt"},
      {"cpt", fileWith("CPTFILE", 100), ".cpt"},
      {"placeable wmf", fileWith(hex("D7 CD C6 9A 00 00"), 100), ".wmf"},
      {"wmf", fileWith(hex("01 00 09 00 00 03"), 100), ".wmf"},
      {"gif89", fileWith("GIF89a", 100), ".gif"},
      {"gif87", fileWith("GIF87a", 100), ".gif"},
      {"psp", fileWith("Paint Shop Pro Image File" + hex("0A 1A") + zeros(5), 100), ".psp"},
      {"bm", fileWith(placeAt("BM", 14, DibSize), 100), ".bmp"},
      {"jpeg start anywhere", fileWith(hex("FF D8 FF"), 100), ".jpg"},
      {"riff", fileWith("RIFF", 100), ".avi"},
      {"dwg", fileWith("AC10", 100), ".dwg"},
      {"jp2", fileWith(hex("00 00 00 0C 6A 50 20 20 0D 0A"), 100), ".jp2"},
      {"pict", fileWith("PICT" + hex("00 08"), 100), ".img"},
      {"crw", fileWith("II" + hex("1A 00 00 00") + "HEAPCCDR" + hex("02 00"), 100), ".crw"},
      {"tif intel", fileWith("II*" + zeros(1), 100), ".tif"},
      {"tif motorola", fileWith("MM" + zeros(1) + "*", 100), ".tif"},
      {"office", fileWith(hex("D0 CF 11 E0 A1 B1 1A E1"), 100), ".office"},
      {"officex", fileWith(hex("50 4B 03 04 14 00 06 00"), 100), ".officex"},
      {"nothing", fileWith("", 0), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(probe(c.bytes), c.expected) << c.name;
}

TEST(DetectExtension, RealImageFilesFromTheBuilders) {
  JpegLayout exifOnly;
  exifOnly.jfif = false;
  GifLayout gif87;
  gif87.version = "87a";
  EXPECT_EQ(probe(jpeg(640, 480)), ".jpg");
  EXPECT_EQ(probe(jpeg(640, 480, exifOnly)), ".jpg");
  EXPECT_EQ(probe(png(10, 10)), ".png");
  EXPECT_EQ(probe(gif(4, 4)), ".gif");
  EXPECT_EQ(probe(gif(4, 4, gif87)), ".gif");
  EXPECT_EQ(probe(bmp(100, 50)), ".bmp");
  EXPECT_EQ(probe(tiffWithSize(false, 3, 2)), ".tif");
  EXPECT_EQ(probe(tiffWithSize(true, 3, 2)), ".tif");
}

TEST(DetectExtension, PartialPatternsDoNotCount) {
  const MagicCase cases[] = {
      {"pdf without dot", fileWith("%PDF-1", 100), ""},
      {"jfif without jpeg start", fileWith("JFIF" + zeros(1), 100), ""},
      {"psd version 2", fileWith("8BPS" + hex("00 02") + zeros(7), 100), ""},
      {"png without ihdr", fileWith(hex("89 50 4E 47 0D 0A 1A 0A 00 00 00 0D 49 44 41 54"), 100), ""},
      {"gif88", fileWith("GIF88a", 100), ""},
      {"zip stored, flags 0", fileWith(hex("50 4B 03 04 14 00 00 00"), 100), ""},
      {"zip version 10, flags 6", fileWith(hex("50 4B 03 04 0A 00 06 00"), 100), ""},
      {"picture dib header size 12", fileWith(placeAt(PictureDibA, 41, hex("0C 00 00 00")), 60), ""},
      {"picture dib at the wrong distance", fileWith(placeAt(PictureDibA, 42, DibSize), 60), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(probe(c.bytes), c.expected) << c.name;
}

// --- order and whole-buffer search ----------------------------------------------

TEST(DetectExtension, OrderDecidesBetweenPatterns) {
  std::string pngSignature = hex("89 50 4E 47 0D 0A 1A 0A 00 00 00 0D 49 48 44 52");
  const MagicCase cases[] = {
      // A text that quotes the PDF header is a PDF, whatever else it holds.
      {"pdf quoted in a jpeg", placeAt(jpeg(8, 8), 150, "%PDF-1."), ".pdf"},
      {"pdf at 5000", fileWith("%PDF-1.", 5000, 6000), ".pdf"},
      // A JFIF JPEG wins over every later test, even a PNG signature.
      {"jfif before png", fileWith(pngSignature, 10, 300).replace(100, 3, hex("FF D8 FF")).replace(200, 5, "JFIF" + zeros(1)),
       ".jpg"},
      // Picture-wrapped bitmap before JFIF.
      {"picture dib before jfif", placeAt(jpeg(8, 8), 300, placeAt(PictureDibA, 41, DibSize)), ".bmp"},
      // Without a JPEG start at offset 0, a JPEG start later in the file
      // loses to every test up to 14.
      {"gif before late jpeg start", fileWith(hex("FF D8 FF"), 20).replace(200, 6, "GIF89a"), ".gif"},
      {"wmf before late jpeg start", fileWith(hex("FF D8 FF"), 20).replace(200, 6, hex("01 00 09 00 00 03")), ".wmf"},
      {"late jpeg start before riff", fileWith("RIFF", 20).replace(200, 3, hex("FF D8 FF")), ".jpg"},
      {"riff before tif", fileWith("II*" + zeros(1), 20).replace(200, 4, "RIFF"), ".avi"},
      {"crw before tif",
       fileWith("II*" + zeros(1), 20).replace(200, 16, "II" + hex("1A 00 00 00") + "HEAPCCDR" + hex("02 00")), ".crw"},
      {"tif before office", fileWith(hex("D0 CF 11 E0 A1 B1 1A E1"), 20).replace(200, 4, "MM" + zeros(1) + "*"), ".tif"},
  };
  for (const auto& c : cases) EXPECT_EQ(probe(c.bytes), c.expected) << c.name;
}

// Camera JPEGs carry EXIF, not JFIF: their EXIF and thumbnail bytes must not
// turn them into a metafile, a bitmap or a TIFF.
TEST(DetectExtension, JpegStartBeatsPatternsInsideExifData) {
  JpegLayout exifOnly;
  exifOnly.jfif = false;
  std::string camera = jpeg(640, 480, exifOnly);  // its EXIF block holds "II*\0"
  const MagicCase cases[] = {
      {"tiff header in exif", camera, ".jpg"},
      {"metafile key", placeAt(camera, 300, hex("D7 CD C6 9A 00 00")), ".jpg"},
      {"bitmap header", placeAt(placeAt(camera, 300, "BM"), 314, DibSize), ".jpg"},
      {"gif", placeAt(camera, 300, "GIF89a"), ".jpg"},
      {"png", placeAt(camera, 300, hex("89 50 4E 47 0D 0A 1A 0A 00 00 00 0D 49 48 44 52")), ".jpg"},
      // Only tests 1 and 2 come first.
      {"pdf", placeAt(camera, 300, "%PDF-1."), ".pdf"},
      {"picture dib", placeAt(camera, 300, placeAt(PictureDibA, 41, DibSize)), ".bmp"},
  };
  for (const auto& c : cases) EXPECT_EQ(probe(c.bytes), c.expected) << c.name;
}

TEST(DetectExtension, BitmapHeaderSizeMustFollowTheFirstBm) {
  EXPECT_EQ(probe(placeAt(placeAt("BM", 14, DibSize), 200, "x")), ".bmp");
  EXPECT_EQ(probe(bmp(100, 50, 12)), "");
  EXPECT_EQ(probe(bmp(100, 50, 108)), "");
  // An earlier stray "BM" takes the search, so a real header later fails.
  EXPECT_EQ(probe(placeAt(fileWith("BM", 10), 100, placeAt("BM", 14, DibSize))), "");
  // So does an earlier stray header size.
  EXPECT_EQ(probe(placeAt(fileWith(DibSize, 10), 100, placeAt("BM", 14, DibSize))), "");
}

TEST(DetectExtension, RiffFilesByFormType) {
  const MagicCase cases[] = {
      {"wave", "RIFF" + le32(1000) + "WAVEfmt " + zeros(20), ".wav"},
      {"webp", "RIFF" + le32(1000) + "WEBPVP8 " + zeros(20), ".webp"},
      {"avi", "RIFF" + le32(1000) + "AVI LIST" + zeros(20), ".avi"},
      {"other form", "RIFF" + le32(1000) + "RMID" + zeros(20), ".avi"},
      {"lower-case form", "RIFF" + le32(1000) + "wave" + zeros(20), ".avi"},
      {"riff alone", std::string("RIFF"), ".avi"},
      {"riff later in the file", fileWith("RIFF" + le32(1000) + "WAVE", 50), ".wav"},
  };
  for (const auto& c : cases) EXPECT_EQ(probe(c.bytes), c.expected) << c.name;
  // The form type is taken right after the first RIFF tag.
  EXPECT_EQ(probe(fileWith("RIFF", 10).replace(100, 12, "RIFF" + le32(0) + "WAVE")), ".avi");
  // A form type that would reach past the probe buffer is no form type.
  EXPECT_EQ(probe(fileWith("RIFF" + le32(0) + "WAVE", 8254, 9000)), ".avi");
}

TEST(DetectExtension, IsoMediaByMajorBrand) {
  const MagicCase cases[] = {
      {"heic", testing_support::fileTypeBox("heic"), ".heic"}, {"heix", testing_support::fileTypeBox("heix"), ".heic"},
      {"hevc", testing_support::fileTypeBox("hevc"), ".heic"}, {"heim", testing_support::fileTypeBox("heim"), ".heic"},
      {"heis", testing_support::fileTypeBox("heis"), ".heic"}, {"mif1", testing_support::fileTypeBox("mif1"), ".heic"},
      {"msf1", testing_support::fileTypeBox("msf1"), ".heic"}, {"avif", testing_support::fileTypeBox("avif"), ".avif"},
      {"avis", testing_support::fileTypeBox("avis"), ".avif"}, {"crx", testing_support::fileTypeBox("crx "), ".cr3"},
      {"qt", testing_support::fileTypeBox("qt  "), ".mov"},    {"3gp4", testing_support::fileTypeBox("3gp4"), ".3gp"},
      {"3gp5", testing_support::fileTypeBox("3gp5"), ".3gp"},  {"3gp6", testing_support::fileTypeBox("3gp6"), ".3gp"},
      {"3ge6", testing_support::fileTypeBox("3ge6"), ".3gp"},  {"3g2a", testing_support::fileTypeBox("3g2a"), ".3g2"},
      {"m4v", testing_support::fileTypeBox("M4V "), ".m4v"},   {"isom", testing_support::fileTypeBox("isom"), ".mp4"},
      {"mp42", testing_support::fileTypeBox("mp42"), ".mp4"},  {"upper-case HEIC", testing_support::fileTypeBox("HEIC"), ".mp4"},
      {"ftyp alone", hex("00 00 00 08") + "ftyp", ".mp4"},
      {"ftyp elsewhere", fileWith("ftypheic", 20), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(probe(c.bytes), c.expected) << c.name;

  // A photo's EXIF data holds "II*": the brand decides before the TIFF test.
  testing_support::HeifLayout heif;
  heif.tiff = testing_support::cameraTiff();
  EXPECT_EQ(probe(testing_support::heifFile(heif)), ".heic");
  heif.brand = "avif";
  EXPECT_EQ(probe(testing_support::heifFile(heif)), ".avif");
  // Media bytes that look like a GIF or a PNG do not count either.
  testing_support::MovieLayout movie;
  movie.brand = "isom";
  EXPECT_EQ(probe(fileWith("GIF89a", 2000, 4000).replace(0, 0, testing_support::movieFile(movie).substr(0, 100))),
            ".mp4");
  EXPECT_EQ(probe(testing_support::movieFile(movie).substr(0, 60) + hex("89 50 4E 47 0D 0A 1A 0A 00 00 00 0D 49 48 44 52")),
            ".mp4");
  // The two tests before every other still come first.
  EXPECT_EQ(probe(testing_support::fileTypeBox("heic") + "%PDF-1.4"), ".pdf");
}

TEST(DetectExtension, ZipArchivesThatAreNoOfficeFiles) {
  EXPECT_EQ(probe(hex("50 4B 03 04 0A 00 00 00") + zeros(30)), ".zip");
  EXPECT_EQ(probe(hex("50 4B 03 04 14 00 08 08") + zeros(30)), ".zip");
  EXPECT_EQ(probe(hex("50 4B 05 06") + zeros(18)), ".zip");  // no entries
  EXPECT_EQ(probe(hex("50 4B 03 04 14 00 06 00") + zeros(30)), ".officex");
  EXPECT_EQ(probe(fileWith(hex("50 4B 03 04 0A 00 00 00"), 100)), "");  // not at the start: no archive
}

// --- buffer boundaries -------------------------------------------------------

TEST(DetectExtension, OnlyTheFirst8264BytesAreSearched) {
  EXPECT_EQ(probe(fileWith("GIF89a", 8258, 10000)), ".gif");  // ends on the last byte read
  EXPECT_EQ(probe(fileWith("GIF89a", 8259, 10000)), "");
  EXPECT_EQ(probe(fileWith("GIF89a", 9000, 10000)), "");
  // The buffer's final byte is always zero, so a pattern ending in a zero
  // byte may end there: "II*" on the last three bytes read is a TIFF.
  EXPECT_EQ(probe(fileWith("II*", 8261, 10000)), ".tif");
  EXPECT_EQ(probe(fileWith("II*", 8262, 10000)), "");
}

TEST(DetectExtension, ShortFiles) {
  EXPECT_EQ(probe(""), "");
  EXPECT_EQ(probe(hex("FF D8 FF")), ".jpg");
  EXPECT_EQ(probe(hex("FF D8")), "");
  EXPECT_EQ(probe("BM"), "");
  EXPECT_EQ(probe("%PDF-1"), "");
  // The zeros after a short file's end take part in the patterns.
  EXPECT_EQ(probe("II*"), ".tif");
  EXPECT_EQ(probe(hex("D7 CD C6 9A")), ".wmf");
}

// --- files -------------------------------------------------------------------

TEST(DetectExtensionFile, ReadsTheFileStart) {
  TempDir dir;
  EXPECT_EQ(detectExtension(dir.write("photo", jpeg(8, 8)).string()), ".jpg");
  EXPECT_EQ(detectExtension(dir.write("boundary", fileWith("GIF89a", 8258, 10000)).string()), ".gif");
  EXPECT_EQ(detectExtension(dir.write("beyond", fileWith("GIF89a", 8259, 10000)).string()), "");
  EXPECT_EQ(detectExtension(dir.write("empty", "").string()), "");
}

TEST(DetectExtensionFile, NothingForWhatIsNoReadableFile) {
  TempDir dir;
  dir.mkdir("folder");
  EXPECT_EQ(detectExtension(""), "");
  EXPECT_EQ(detectExtension((dir / "missing").string()), "");
  EXPECT_EQ(detectExtension((dir / "folder").string()), "");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(detectExtension((dir / "fifo").string()), "");
}

TEST(DetectExtensionFile, OldFilesAreProbedToo) {
  TempDir dir;
  auto path = dir.write("old", png(4, 4));
  testing_support::setLocalMtime(path, 1975, 6, 1, 12, 0, 0);
  EXPECT_EQ(detectExtension(path.string()), ".png");
}

// Runs check in a child process that cannot read the file (as an
// unprivileged user when the tests run as root); true when it returned true.
bool inUnprivilegedChild(bool (*check)(const char*), const std::filesystem::path& file) {
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    ::_exit(check(file.c_str()) ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(DetectExtensionFile, FileThatCannotBeOpenedGivesNoExtension) {
  TempDir dir;
  std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
  auto path = dir.write("locked", jpeg(8, 8));
  std::filesystem::permissions(path, std::filesystem::perms::none);
  EXPECT_TRUE(inUnprivilegedChild([](const char* p) { return detectExtension(p).empty(); }, path));
  // The same child can probe a file it may read.
  auto open = dir.write("open", jpeg(8, 8));
  std::filesystem::permissions(open, std::filesystem::perms::all);
  EXPECT_TRUE(inUnprivilegedChild([](const char* p) { return detectExtension(p) == ".jpg"; }, open));
}

}  // namespace
