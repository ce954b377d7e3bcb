// Whole-program tests of the capture dates beyond JPEG and TIFF: a phone
// dump (HEIC, MOV, MP4) and a camera card (CR3, CR2, ARW, DNG, ORF, RW2,
// PEF, RAF) are named, dated and filed by when they were taken; files made
// by other programs (ffmpeg, heif-enc, exiftool) where those are installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "cli/harness.h"
#include "support/exif_builder.h"
#include "support/media_builder.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

const std::string DateOptions[] = {"-t", "-dp", "-dt=E", "-df=yyyymmdd_hhnnss"};

RunResult dateRun(const TempDir& dir, const std::string& pattern = "*.*") {
  std::vector<std::string> args(std::begin(DateOptions), std::end(DateOptions));
  args.push_back(pattern);
  return runZantrel(args, dir.path());
}

// The "old -> new" lines of a test run, sorted.
Names renames(const RunResult& r) {
  Names out;
  for (const std::string& line : lines(r.out)) {
    if (line.find(" -> ") != std::string::npos) out.push_back(line);
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool has(const std::string& program) { return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0; }

// Runs a shell command line in dir; true when it succeeded.
bool shell(const TempDir& dir, const std::string& command) {
  return std::system(("cd " + shellQuoted(dir.path().string()) + " && " + command + " >/dev/null 2>&1").c_str()) == 0;
}

CameraShot shot(bool bigEndian = false) {
  CameraShot s;
  s.bigEndian = bigEndian;
  s.gps = s.interop = s.thumbnail = false;
  return s;
}

std::string heic(const std::string& tiff, bool inIdat = false) {
  HeifLayout l;
  l.tiff = tiff;
  l.inIdat = inIdat;
  return heifFile(l);
}

// A phone clip recorded at 2019-07-14 11:43:59 local time (09:43:59 UTC in
// the tests' zone), with or without the metadata keys' date.
std::string clip(const std::string& brand, bool keys, bool moovAfterMdat = false) {
  MovieLayout l;
  l.brand = brand;
  l.created = movieTime(2019, 7, 14, 9, 43, 59);
  if (keys) l.creationDate = "2019-07-14T06:43:59-0500";  // recorded in another zone
  l.moovAfterMdat = moovAfterMdat;
  return movieFile(l);
}

TEST(FormatsCli, EveryFormatIsNamedByItsCaptureDate) {
  TempDir dir;
  CameraShot digitized = shot(true);
  digitized.dateTimeOriginal.clear();
  dir.write("IMG_0001.HEIC", heic(cameraTiff(shot())));
  dir.write("IMG_0002.heif", heic(cameraTiff(shot(true)), true));
  dir.write("photo.avif", heic(cameraTiff(digitized)));
  dir.write("IMG_0003.CR3", cr3File(cr3Ifd0(shot()), cr3ExifIfd(shot())));
  dir.write("IMG_0004.CR2", rawTiff(shot(), "II*\0"));
  dir.write("DSC_0005.ARW", rawTiff(shot(true), "MM\0*"));
  dir.write("p0006.orf", rawTiff(shot(), "IIRO"));
  dir.write("p0007.rw2", rawTiff(shot(), "IIU\0"));
  dir.write("p0008.dng", rawTiff(digitized, "MM\0*"));
  dir.write("p0009.pef", rawTiff(shot(), "II*\0"));
  // Its first directory not at offset 8 but where the header says.
  dir.write("scan.tif", rawTiff(shot(), "II*\0", 1000));
  dir.write("DSCF0010.RAF", rafFile(cameraJpeg(shot(true))));
  dir.write("shot.png", pngFile({.profileChunk = "zTXt", .profileBytes = exifPayload(cameraTiff(shot()))}));
  dir.write("shot.webp", webpFile(exifPayload(cameraTiff(shot(true)))));
  dir.write("IMG_0011.MOV", clip("qt  ", true));
  dir.write("clip.mp4", clip("isom", false, true));
  dir.write("clip.3gp", clip("3gp4", false));
  const RunResult r = dateRun(dir);
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(r.out.find("Warning"), std::string::npos) << r.out;
  EXPECT_EQ(renames(r), (Names{
                            "DSCF0010.RAF -> 20130412_153045_DSCF0010.RAF (test)",
                            "DSC_0005.ARW -> 20130412_153045_DSC_0005.ARW (test)",
                            "IMG_0001.HEIC -> 20130412_153045_IMG_0001.HEIC (test)",
                            "IMG_0002.heif -> 20130412_153045_IMG_0002.heif (test)",
                            "IMG_0003.CR3 -> 20130412_153045_IMG_0003.CR3 (test)",
                            "IMG_0004.CR2 -> 20130412_153045_IMG_0004.CR2 (test)",
                            // The key's own clock, not converted to the tests' zone.
                            "IMG_0011.MOV -> 20190714_064359_IMG_0011.MOV (test)",
                            // The movie header's UTC time, as local time.
                            "clip.3gp -> 20190714_114359_clip.3gp (test)",
                            "clip.mp4 -> 20190714_114359_clip.mp4 (test)",
                            "p0006.orf -> 20130412_153045_p0006.orf (test)",
                            "p0007.rw2 -> 20130412_153045_p0007.rw2 (test)",
                            "p0008.dng -> 20130412_153046_p0008.dng (test)",
                            "p0009.pef -> 20130412_153045_p0009.pef (test)",
                            "photo.avif -> 20130412_153046_photo.avif (test)",
                            "scan.tif -> 20130412_153045_scan.tif (test)",
                            "shot.png -> 20130412_153045_shot.png (test)",
                            "shot.webp -> 20130412_153045_shot.webp (test)",
                        }));
}

TEST(FormatsCli, FilesWithoutADateFallBackToTheFileDateWithTheWarning) {
  TempDir dir;
  CameraShot zero = shot();
  zero.dateTimeOriginal = "0000:00:00 00:00:00";
  HeifLayout thumbOnly;
  thumbOnly.tiff = cameraTiff(shot());
  thumbOnly.link = HeifLayout::Link::ToThumbnail;
  const std::string cut = heic(cameraTiff(shot()));
  dir.write("zero.heic", heic(cameraTiff(zero)));
  dir.write("thumb.heic", heifFile(thumbOnly));
  dir.write("cut.heic", cut.substr(0, cut.size() / 2));
  dir.write("unset.mov", movieFile(MovieLayout{}));
  dir.write("jpeg.png", cameraJpeg());          // the extension decides
  dir.write("old.arw", cameraTiff(shot()).substr(0, 100));
  dir.write("empty.cr3", "");
  dir.write("clip.avi", "RIFF");               // no reader at all
  for (const std::string& name : dir.list()) setLocalMtime(dir / name, 2020, 5, 1, 12, 0, 0);
  const RunResult r = dateRun(dir);
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  for (const std::string& name : dir.list()) {
    const auto out = lines(r.out);
    const auto warning = std::find(out.begin(), out.end(), "Warning: no Exif date found, using filedate. (" + name + ")");
    ASSERT_NE(warning, out.end()) << name << "\n" << r.out;
    EXPECT_NE(std::find(warning, out.end(), name + " -> 20200501_120000_" + name + " (test)"), out.end()) << name;
  }
  EXPECT_EQ(r.out.find("Error"), std::string::npos) << r.out;
}

TEST(FormatsCli, ImagesPresetRenamesAndDatesPhonePhotosAndClips) {
  TempDir dir;
  const std::pair<const char*, std::string> files[] = {
      {"IMG_0001.HEIC", heic(cameraTiff(shot()))},
      {"IMG_0002.CR3", cr3File(cr3Ifd0(shot()), cr3ExifIfd(shot()))},
      {"IMG_0003.MOV", clip("qt  ", true)},
  };
  for (const auto& [name, bytes] : files) setLocalMtime(dir.write(name, bytes), 2024, 1, 1, 8, 0, 0);  // the day of the copy
  const RunResult r = runZantrel({"-i", "*.*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(dir.list(), (Names{"130412-1530_IMG_0001.heic", "130412-1530_IMG_0002.cr3", "190714-0643_IMG_0003.mov"}))
      << r.out;
  // -i sets the file dates to the capture dates too.
  EXPECT_EQ(localMtimeText(dir / "130412-1530_IMG_0001.heic"), "2013-04-12 15:30:45");
  EXPECT_EQ(localMtimeText(dir / "190714-0643_IMG_0003.mov"), "2019-07-14 06:43:59");
  // A second run changes nothing.
  const RunResult again = runZantrel({"-i", "*.*"}, dir.path());
  EXPECT_EQ(again.out.find(" -> "), std::string::npos) << again.out;
}

TEST(FormatsCli, MediaLibraryFilesPhotosAndClipsByWhenTheyWereTaken) {
  TempDir dir;
  const fs::path card = dir / "card";
  dir.write("card/IMG_0001.HEIC", heic(cameraTiff(shot())));
  dir.write("card/IMG_0002.CR3", cr3File(cr3Ifd0(shot()), cr3ExifIfd(shot())));
  dir.write("card/DSC_0003.NEF", cameraTiff(shot()));
  dir.write("card/DSCF0004.RAF", rafFile(cameraJpeg(shot())));
  dir.write("card/pic.webp", webpFile(cameraTiff(shot())));
  dir.write("card/IMG_0005.MOV", clip("qt  ", true));
  dir.write("card/clip.mp4", clip("isom", false, true));
  dir.write("card/nodate.mp4", movieFile(MovieLayout{}));
  for (const std::string& name : dir.list("card")) setLocalMtime(card / name, 2024, 1, 1, 8, 0, 0);
  const RunResult r = runZantrel({"-cm"}, card, {{"HOME", (dir / "home").string()}});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  const fs::path media = dir / "home/Media";
  EXPECT_EQ(dir.list("home/Media/Imgs/o/2013/04"),
            (Names{"130412-1530_DSCF0004.raf", "130412-1530_DSC_0003.nef", "130412-1530_IMG_0001.heic",
                   "130412-1530_IMG_0002.cr3", "130412-1530_pic.webp"}))
      << r.out;
  EXPECT_EQ(dir.list("home/Media/Video"), (Names{"20190714_IMG_0005", "20190714_clip", "20240101_nodate"})) << r.out;
  EXPECT_TRUE(dir.exists("home/Media/Video/20190714_IMG_0005/20190714_IMG_0005.mov"));
  // The clip without a date: its file date, with the warning.
  EXPECT_NE(r.out.find("Warning: no Exif date found, using filedate. (nodate.mp4)"), std::string::npos) << r.out;
  // Copying the same card again copies nothing.
  const RunResult again = runZantrel({"-cm"}, card, {{"HOME", (dir / "home").string()}});
  EXPECT_EQ(again.out.find("File copied to: "), std::string::npos) << again.out;
}

TEST(FormatsCli, MagicNamesIsoMediaByBrandAndZipArchives) {
  TempDir dir;
  dir.write("phone_photo", heic(cameraTiff(shot())));
  HeifLayout avif;
  avif.tiff = cameraTiff(shot());
  avif.brand = "avif";
  dir.write("web_image", heifFile(avif));
  dir.write("raw_file", cr3File(cr3Ifd0(shot()), cr3ExifIfd(shot())));
  dir.write("movie", clip("qt  ", true));
  dir.write("video", clip("isom", false));
  dir.write("phone_clip", clip("3gp5", false));
  dir.write("archive", std::string("PK\x03\x04\x0a\0\0\0", 8) + std::string(40, '\0'));
  const RunResult r = runZantrel({"-t", "-magic", "*"}, dir.path());
  EXPECT_EQ(renames(r), (Names{"archive -> archive.zip (test)", "movie -> movie.mov (test)",
                               "phone_clip -> phone_clip.3gp (test)", "phone_photo -> phone_photo.heic (test)",
                               "raw_file -> raw_file.cr3 (test)", "video -> video.mp4 (test)",
                               "web_image -> web_image.avif (test)"}))
      << r.out;
}

TEST(FormatsCli, SizeSuffixOfHeifAndWebp) {
  TempDir dir;
  HeifLayout layout;
  layout.width = 8064;
  layout.height = 6048;
  dir.write("a.heic", heifFile(layout));
  dir.write("b.webp", webpFile("", 1920, 1080));
  dir.write("c.webp", webpLossless(300, 200));
  const RunResult r = runZantrel({"-t", "-ss", "*"}, dir.path());
  EXPECT_EQ(renames(r), (Names{"a.heic -> a_8064x6048.heic (test)", "b.webp -> b_1920x1080.webp (test)",
                               "c.webp -> c_300x200.webp (test)"}))
      << r.out;
}

// --- files made by other programs ------------------------------------------------

TEST(FormatsCli, ClipsMadeByFfmpeg) {
  if (!has("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  TempDir dir;
  const std::string make = "ffmpeg -v error -f lavfi -i color=c=blue:s=64x48:d=0.2 -c:v mpeg4 ";
  ASSERT_TRUE(shell(dir, make + "-metadata creation_time=2019-07-14T09:43:59Z clip.mp4"));
  ASSERT_TRUE(shell(dir, make + "-metadata creation_time=2019-01-14T10:00:00Z -movflags +faststart winter.mov"));
  ASSERT_TRUE(shell(dir, make + "plain.m4v"));  // no creation time at all
  setLocalMtime(dir / "plain.m4v", 2020, 5, 1, 12, 0, 0);
  const RunResult r = dateRun(dir);
  EXPECT_EQ(renames(r), (Names{"clip.mp4 -> 20190714_114359_clip.mp4 (test)",
                               "plain.m4v -> 20200501_120000_plain.m4v (test)",
                               "winter.mov -> 20190114_110000_winter.mov (test)"}))
      << r.out;
}

TEST(FormatsCli, FilesDatedByExiftool) {
  if (!has("exiftool") || !has("ffmpeg")) GTEST_SKIP() << "exiftool or ffmpeg is not installed";
  TempDir dir;
  // Plain images from ffmpeg, then the dates written by exiftool.
  ASSERT_TRUE(shell(dir, "ffmpeg -v error -f lavfi -i color=c=red:s=64x48 -frames:v 1 a.png"));
  ASSERT_TRUE(shell(dir, "ffmpeg -v error -f lavfi -i color=c=red:s=64x48 -frames:v 1 b.webp"));
  ASSERT_TRUE(shell(dir, "ffmpeg -v error -f lavfi -i color=c=red:s=64x48:d=0.2 -c:v mpeg4 c.mov"));
  ASSERT_TRUE(shell(dir, "exiftool -q -overwrite_original '-DateTimeOriginal=2015:06:07 08:09:10' a.png b.webp"));
  ASSERT_TRUE(shell(dir, "exiftool -q -overwrite_original '-Keys:CreationDate=2016:02:03 04:05:06+09:00' c.mov"));
  const RunResult r = dateRun(dir);
  EXPECT_EQ(renames(r), (Names{"a.png -> 20150607_080910_a.png (test)", "b.webp -> 20150607_080910_b.webp (test)",
                               "c.mov -> 20160203_040506_c.mov (test)"}))
      << r.out;
}

TEST(FormatsCli, PhotosEncodedByHeifEnc) {
  if (!has("heif-enc") || !has("ffmpeg") || !has("exiftool")) GTEST_SKIP() << "heif-enc, ffmpeg or exiftool missing";
  TempDir dir;
  ASSERT_TRUE(shell(dir, "ffmpeg -v error -f lavfi -i color=c=green:s=64x48 -frames:v 1 src.jpg"));
  ASSERT_TRUE(shell(dir, "exiftool -q -overwrite_original '-DateTimeOriginal=2017:08:09 10:11:12' src.jpg"));
  if (!shell(dir, "heif-enc -q 50 -o photo.heic src.jpg")) GTEST_SKIP() << "heif-enc cannot encode here";
  fs::remove(dir / "src.jpg");
  const RunResult r = dateRun(dir);
  EXPECT_EQ(renames(r), (Names{"photo.heic -> 20170809_101112_photo.heic (test)"})) << r.out;
  const RunResult size = runZantrel({"-t", "-ss", "*.heic"}, dir.path());
  EXPECT_EQ(renames(size), (Names{"photo.heic -> photo_64x48.heic (test)"})) << size.out;
}

}  // namespace
