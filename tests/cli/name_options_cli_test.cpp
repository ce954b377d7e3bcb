// Whole-program tests of the name text options on real files: what test
// mode shows, what a real rename leaves on disk, for ASCII, UTF-8 and
// Windows-1252 names.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/harness.h"

using namespace testing_support;

namespace {

using Names = std::vector<std::string>;

struct OptionCase {
  Names options;
  std::string file;
  std::string expected;  // equal to file when the name stays
};

// Each case on one file in a fresh folder, in test mode: one " (test)" line
// for a new name, none for an unchanged one, and nothing changes on disk.
TEST(NameOptionsCli, TestModeShowsEachOptionsNewName) {
  const std::string arger =
      "\xC4rger \xFC"
      "ber \xD6l.jpg";  // Windows-1252
  const std::string argerUtf8 =
      "\xC3\x84rger \xC3\xBC"
      "ber \xC3\x96l.jpg";  // UTF-8
  const std::vector<OptionCase> cases = {
      {{"-s"}, "My Photo (1).JPG", "My_Photo_(1).jpg"},
      {{"-s"}, argerUtf8, "Arger_uber_Ol.jpg"},
      {{"-s"}, arger, "Arger_uber_Ol.jpg"},
      {{"-s"}, "report.backup", "report_backup"},
      {{"-h"}, argerUtf8, "Arger_uber_Ol.jpg"},
      {{"-h"}, arger, "Arger_uber_Ol.jpg"},
      {{"-h"}, "a  b.JPG", "a_b.jpg"},
      {{"-l"}, "IMG_1234.JPG", "img_1234.jpg"},
      {{"-l"}, "\xC3\x84RGER.JPG", "\xC3\xA4rger.jpg"},
      {{"-u"},
       "stra\xC3\x9F"
       "e.jpg",
       "STRA\xC3\x9F"
       "E.JPG"},
      {{"-u"}, "caf\xE9.jpg", "CAF\xC9.JPG"},  // Windows-1252 stays Windows-1252
      {{"-l", "-u"}, "MiXed.Jpg", "MIXED.JPG"},
      {{"-n"}, "show.name.s01e02.MKV", "Show.Name.S01E02.mkv"},
      {{"-n"}, "my holiday-trip_2013.JPG", "My Holiday-Trip_2013.jpg"},
      {{"-n"},
       "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0.jpg",
       "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0.jpg"},
      {{"-d"}, "annual-report-final-2f3a9c.pdf", "annual-report-final.pdf"},
      {{"-d"}, "short-name-abc.pdf", "short-name-abc.pdf"},
      {{"-le"}, "a.JPG", "a.jpg"},
      {{"-ue"}, "a.jpg", "a.JPG"},
      {{"-le", "-ue"}, "a.Jpg", "a.JPG"},
      {{"-dcs=3"}, "abcdef.jpg", "def.jpg"},
      {{"-dcs=2"}, "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F.jpg", "\xC3\xBC\xC3\x9F.jpg"},
      {{"-dce=2"}, "abcdef.jpg", "abcdef.j"},
      {{"-dcp=3", "-dcn=2"}, "abcdef.jpg", "abef.jpg"},
      {{"-dcp=3"}, "abcdef.jpg", "abcdef.jpg"},
      {{"-dcp=20", "-dcn=2"}, "abcdef.jpg", "abcdef.jpg"},
      {{"-pre=x_"}, "a.jpg", "x_a.jpg"},
      {{"-suf=_old"}, "a.jpg", "a.jpg_old"},
      {{"-max=30"}, "A very long file name with many words.jpg", "A very long file name.jpg"},
      {{"-max=16"}, "A very long file name with many words.jpg", "A very long file name with many words.jpg"},
      {{"-it=cam"}, "DSC_0001.JPG", "cam_0001.JPG"},
      {{"-it=cam"}, "cam_0001.JPG", "cam_0001.JPG"},
      {{"-it=cam"}, "holiday.jpg", "holiday_cam.jpg"},
      {{"photo=pic"}, "photo_photo.jpg", "pic_pic.jpg"},
      {{"_copy=."}, "photo_copy.jpg", "photo.jpg"},
      {{"a=1", "A=2"}, "aAbA.jpg", "11b1.jpg"},
      {{"-dst=x"}, "xoxox.jpg", "oo.jpg"},
      // The case steps come after the tag and the replacements.
      {{"-l", "-it=Cam"}, "IMG_0001.JPG", "cam_0001.jpg"},
      {{"-u", "photo=pic"}, "photo.jpg", "PIC.JPG"},
      // Prefix and suffix after the deletions, maximum length last.
      {{"-dcs=4", "-pre=new_"}, "IMG_0001.JPG", "new_0001.JPG"},
      {{"-s", "-le", "-pre=2013_", "-max=20"}, "Beach Holiday Pictures.JPG", "2013_Beach.jpg"},
  };
  for (const OptionCase& c : cases) {
    TempDir dir;
    dir.write(c.file, "content");
    Names args = {"-t"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back("*");
    const RunResult r = runZantrel(args, dir.path());
    const std::string shown = c.options.empty() ? "" : c.options.front();
    EXPECT_EQ(r.exitCode, 0) << shown << " " << c.file;
    const Names expected = c.expected == c.file ? Names{} : Names{c.file + " -> " + c.expected + " (test)"};
    EXPECT_EQ(lines(r.out), expected) << shown << " " << c.file;
    EXPECT_EQ(dir.list(), (Names{c.file})) << shown;
  }
}

TEST(NameOptionsCli, SimpleNamesRenameAFolderOfMixedNames) {
  TempDir dir;
  dir.write("My Photo (1).JPG", "one");
  dir.write(
      "\xC3\x84rger \xC3\xBC"
      "ber \xC3\x96l.JPG",
      "two");  // UTF-8
  dir.write(
      "Cr\xE8me br\xFBl\xE9"
      "e.JPG",
      "three");  // Windows-1252
  dir.write("already_simple.jpg", "four");
  const RunResult r = runZantrel({"-s", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(dir.list(), (Names{"Arger_uber_Ol.jpg", "Creme_brulee.jpg", "My_Photo_(1).jpg", "already_simple.jpg"}));
  EXPECT_EQ(dir.read("My_Photo_(1).jpg"), "one");
  EXPECT_EQ(dir.read("Arger_uber_Ol.jpg"), "two");
  EXPECT_EQ(dir.read("Creme_brulee.jpg"), "three");
  EXPECT_EQ(dir.read("already_simple.jpg"), "four");
  Names out = lines(r.out);
  std::sort(out.begin(), out.end());
  EXPECT_EQ(out, (Names{"Cr\xE8me br\xFBl\xE9"
                        "e.JPG -> Creme_brulee.jpg",
                        "My Photo (1).JPG -> My_Photo_(1).jpg",
                        "\xC3\x84rger \xC3\xBC"
                        "ber \xC3\x96l.JPG -> Arger_uber_Ol.jpg"}));

  // A second run finds nothing to do.
  const RunResult again = runZantrel({"-s", "*.jpg"}, dir.path());
  EXPECT_EQ(lines(again.out), Names{});
}

TEST(NameOptionsCli, CaseChangesRenameTheFileItself) {
  TempDir dir;
  dir.write("IMG_1234.JPG", "photo");
  dir.write("\xC3\x84RGER.JPG", "umlaut");
  const RunResult r = runZantrel({"-l", "*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(dir.list(), (Names{"img_1234.jpg", "\xC3\xA4rger.jpg"}));
  EXPECT_EQ(dir.read("img_1234.jpg"), "photo");
  EXPECT_EQ(dir.read("\xC3\xA4rger.jpg"), "umlaut");

  const RunResult n = runZantrel({"-n", "-ue", "*"}, dir.path());
  EXPECT_EQ(n.exitCode, 0);
  EXPECT_EQ(dir.list(), (Names{"Img_1234.JPG", "\xC3\x84rger.JPG"}));
}

TEST(NameOptionsCli, ANameThatANewNameMeetsIsNeverOverwritten) {
  TempDir dir;
  dir.write("a b.jpg", "spaced");
  dir.write("a_b.jpg", "simple");
  const RunResult r = runZantrel({"-s", "*"}, dir.path());
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(lines(r.out), (Names{"ERROR Can't rename file a b.jpg -> a_b.jpg !"}));
  EXPECT_EQ(dir.read("a b.jpg"), "spaced");
  EXPECT_EQ(dir.read("a_b.jpg"), "simple");
}

TEST(NameOptionsCli, DeletingEveryCharacterLeavesTheFileInPlace) {
  TempDir dir;
  dir.write("abc.jpg", "keep me");
  const RunResult r = runZantrel({"-dcs=99", "*"}, dir.path());
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(dir.list(), (Names{"abc.jpg"}));
  EXPECT_EQ(dir.read("abc.jpg"), "keep me");
}

TEST(NameOptionsCli, TextOptionsTogetherOnRealFiles) {
  TempDir dir;
  dir.write("DSC_0001.JPG", "1");
  dir.write("DSC_0002 copy.JPG", "2");
  dir.write("annual-report-final-2f3a9c.PDF", "3");
  // Tag, delete " copy", download names, lower-case extension, suffix. The
  // download step comes after the tag, so it cuts the tag of a download
  // name together with the dash part.
  const RunResult r = runZantrel({"-it=trip", "-dst= copy", "-d", "-le", "-suf=_x", "*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(dir.list(), (Names{"annual-report-final.pdf_x", "trip_0001.jpg_x", "trip_0002.jpg_x"}));
  EXPECT_EQ(dir.read("trip_0002.jpg_x"), "2");
}

}  // namespace
