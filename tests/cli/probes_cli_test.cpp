// Whole-program tests of the content probes: -magic gives extension-less
// files an extension from their content, -ss appends an image's size.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli/harness.h"
#include "support/image_builder.h"

using namespace image_builder;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

// A text whose bytes no magic test knows.
const std::string PlainText = "just some words\n";

// --- -magic ----------------------------------------------------------------------

TEST(MagicCli, ExtensionlessFilesGetTheirContentsExtension) {
  TempDir dir;
  JpegLayout camera;
  camera.jfif = false;
  dir.write("photo", jpeg(640, 480, camera));
  dir.write("jfif", jpeg(640, 480));
  dir.write("pic", png(10, 10));
  dir.write("anim", gif(4, 4));
  dir.write("scan", tiffWithSize(true, 30, 20));
  dir.write("bitmap", bmp(100, 50));
  dir.write("paper", "%PDF-1.7\n");
  dir.write("sound", "RIFF" + le32(100) + "WAVEfmt ");
  dir.write("clip", "RIFF" + le32(100) + "AVI LIST");
  dir.write("notes", PlainText);
  dir.write("named.dat", jpeg(8, 8));  // has an extension: left alone
  RunResult r = runZantrel({"-t", "-magic", "*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(sortedLines(r.out), (Names{
                                    "anim -> anim.gif (test)",
                                    "bitmap -> bitmap.bmp (test)",
                                    "clip -> clip.avi (test)",
                                    "jfif -> jfif.jpg (test)",
                                    "paper -> paper.pdf (test)",
                                    "photo -> photo.jpg (test)",
                                    "pic -> pic.png (test)",
                                    "scan -> scan.tif (test)",
                                    "sound -> sound.wav (test)",
                                }));
  EXPECT_EQ(dir.list().size(), 11u);
}

TEST(MagicCli, RenamesOnDisk) {
  TempDir dir;
  dir.write("photo", jpeg(8, 8));
  dir.write("notes", PlainText);
  dir.write("empty", "");
  RunResult r = runZantrel({"-magic", "*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "photo -> photo.jpg\n");
  EXPECT_EQ(dir.list(), (Names{"empty", "notes", "photo.jpg"}));
  EXPECT_EQ(dir.read("photo.jpg"), jpeg(8, 8));
}

TEST(MagicCli, OnlyWithTheOption) {
  TempDir dir;
  dir.write("photo", jpeg(8, 8));
  RunResult r = runZantrel({"-t", "-pre=x_", "*"}, dir.path());
  EXPECT_EQ(r.out, "photo -> x_photo (test)\n");
}

// The 8-character rule counts the name with its new extension.
TEST(MagicCli, EightCharacterRuleCountsTheMagicExtension) {
  TempDir dir;
  dir.write("abcd", jpeg(8, 8));      // abcd.jpg: 8 characters
  dir.write("efghijkl", jpeg(8, 8));  // efghijkl.jpg: 12
  dir.write("mnopqrst", PlainText);   // stays 8
  RunResult r = runZantrel({"-t", "-magic", "-8", "-pre=x_", "*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(sortedLines(r.out), (Names{"abcd -> x_abcd.jpg (test)", "mnopqrst -> x_mnopqrst (test)"}));
}

TEST(MagicCli, InSubfoldersTheExtensionGoesOnTheName) {
  TempDir dir;
  dir.write("pics/photo", jpeg(8, 8));
  dir.write("pics.d/notes", PlainText);
  RunResult r = runZantrel({"-t", "-magic", "-sub", "*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "pics/photo -> pics/photo.jpg (test)\n");
}

TEST(MagicCli, UnreadableFileIsAnErrorAndTheRunGoesOn) {
  if (!setprivAvailable()) GTEST_SKIP() << "setpriv is not installed";
  TempDir dir;
  fs::permissions(dir.write("locked", jpeg(8, 8)), fs::perms::none);
  fs::permissions(dir.write("open", jpeg(8, 8)), fs::perms::owner_all | fs::perms::others_read);
  RunResult r = runAsNobody(dir, {"-t", "-magic", "*"});
  EXPECT_EQ(sortedLines(r.out),
            (Names{"Error: Can not read file locked (Permission denied)", "open -> open.jpg (test)"}));
}

// --- -ss -------------------------------------------------------------------------

TEST(SizeSuffixCli, EachFormatGetsItsSize) {
  TempDir dir;
  GifLayout animated;
  animated.globalTableBits = 7;
  animated.blocksBeforeImage = {gifGraphicControl(44)};
  JpegLayout progressive;
  progressive.frameMarker = 0xC2;
  dir.write("a.jpg", jpeg(640, 480));
  dir.write("b.JPEG", jpeg(1024, 768, progressive));
  dir.write("c.png", png(70000, 10));
  dir.write("d.gif", gif(16, 8, animated));
  dir.write("e.tif", tiffWithSize(false, 300, 200));
  dir.write("f.tiff", tiffWithSize(true, 30, 20, 4));
  dir.write("g.bmp", bmp(100, 50));
  dir.write("my.photo.jpg", jpeg(2, 3));
  RunResult r = runZantrel({"-t", "-ss", "*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(sortedLines(r.out), (Names{
                                    "a.jpg -> a_640x480.jpg (test)",
                                    "b.JPEG -> b_1024x768.JPEG (test)",
                                    "c.png -> c_70000x10.png (test)",
                                    "d.gif -> d_16x8.gif (test)",
                                    "e.tif -> e_300x200.tif (test)",
                                    "f.tiff -> f_30x20.tiff (test)",
                                    "g.bmp -> g_100x50.bmp (test)",
                                    "my.photo.jpg -> my.photo_2x3.jpg (test)",
                                }));
}

TEST(SizeSuffixCli, NoSizeNoChange) {
  TempDir dir;
  dir.write("topdown.bmp", bmp(100, -50));
  dir.write("png.jpg", png(30, 20));       // the JPEG reader rejects it
  dir.write("short.png", png(30, 20).substr(0, 20));
  dir.write("image.webp", "RIFF" + le32(100) + "WEBPVP8 ");
  dir.write("notes.txt", PlainText);
  dir.write("photo", jpeg(8, 8));  // no extension: no reader
  RunResult r = runZantrel({"-t", "-ss", "*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST(SizeSuffixCli, SecondRunChangesNothing) {
  TempDir dir;
  dir.write("a.jpg", jpeg(640, 480));
  RunResult r = runZantrel({"-ss", "*.jpg"}, dir.path());
  EXPECT_EQ(r.out, "a.jpg -> a_640x480.jpg\n");
  EXPECT_EQ(dir.list(), (Names{"a_640x480.jpg"}));
  r = runZantrel({"-ss", "*.jpg"}, dir.path());
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(dir.list(), (Names{"a_640x480.jpg"}));
  // The test for a size already present is case-sensitive.
  dir.write("b_640X480.jpg", jpeg(640, 480));
  r = runZantrel({"-t", "-ss", "b*.jpg"}, dir.path());
  EXPECT_EQ(r.out, "b_640X480.jpg -> b_640X480_640x480.jpg (test)\n");
}

// The size comes after the prefix and suffix steps, before what is then
// the extension (the suffix step appends after the extension).
TEST(SizeSuffixCli, AfterPrefixAndSuffix) {
  TempDir dir;
  dir.write("a.png", png(3, 4));
  RunResult r = runZantrel({"-t", "-ss", "-pre=x_", "-suf=_y", "*"}, dir.path());
  EXPECT_EQ(r.out, "a.png -> x_a_3x4.png_y (test)\n");
}

// The size reader is chosen by the name as listed, so a file that only
// -magic gives an extension gets no size in the same run.
TEST(SizeSuffixCli, WithMagicTheListedNameChoosesTheReader) {
  TempDir dir;
  dir.write("photo", jpeg(640, 480));
  dir.write("a.jpg", jpeg(640, 480));
  RunResult r = runZantrel({"-t", "-magic", "-ss", "*"}, dir.path());
  EXPECT_EQ(sortedLines(r.out), (Names{"a.jpg -> a_640x480.jpg (test)", "photo -> photo.jpg (test)"}));
}

TEST(SizeSuffixCli, UnreadableFileIsAnErrorAndTheRunGoesOn) {
  if (!setprivAvailable()) GTEST_SKIP() << "setpriv is not installed";
  TempDir dir;
  fs::permissions(dir.write("locked.png", png(5, 5)), fs::perms::none);
  fs::permissions(dir.write("open.png", png(5, 5)), fs::perms::owner_all | fs::perms::others_read);
  // A file whose extension no size reader knows is not read, so its
  // permissions do not matter.
  fs::permissions(dir.write("notes.txt", PlainText), fs::perms::none);
  RunResult r = runAsNobody(dir, {"-t", "-ss", "*"});
  EXPECT_EQ(sortedLines(r.out),
            (Names{"Error: Can not read file locked.png (Permission denied)", "open.png -> open_5x5.png (test)"}));
}

}  // namespace
