#include "engine/name_steps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "engine/steps.h"

namespace zantrel {
namespace {

struct NameCase {
  std::string input;
  std::string expected;
};

// Windows-1252 and UTF-8 spellings of the same names.
const std::string ArgerAnsi = "\xC4rger \xFC" "ber \xD6l.jpg";
const std::string ArgerUtf8 = "\xC3\x84rger \xC3\xBC" "ber \xC3\x96l.jpg";

TEST(ReplaceNamesTest, EveryOccurrenceCaseSensitiveWithTheFirstMatchingValue) {
  struct Case {
    std::vector<std::string> entries;
    std::string input;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{"photo=pic"}, "photo_photo.jpg", "pic_pic.jpg"},
      {{"x=."}, "xoxox.jpg", "oo.jpg"},  // -dst=x
      {{"_copy=."}, "photo_copy.jpg", "photo.jpg"},
      {{"a=1", "A=2"}, "aAbA.jpg", "11b1.jpg"},  // both take the value of a=1
      {{"Photo=pic"}, "photo.jpg", "photo.jpg"},  // the search itself is case-sensitive
      {{"jpg=jpeg"}, "a.jpg", "a.jpeg"},          // the extension too
      {{"=x"}, "a.jpg", "a.jpg"},                 // an empty name replaces nothing
      {{"noequals"}, "noequals.jpg", "noequals.jpg"},
      {{"a=b", "b=c"}, "ab.jpg", "cc.jpg"},  // entries work in list order
      {{"\xC3\xA4=ae"}, "B\xC3\xA4r.jpg", "Baer.jpg"},
      {{"\xC3\x84=1", "\xC3\xA4=2"}, "\xC3\x84\xC3\xA4", "11"},  // ignoring case across UTF-8 letters
      {{"=="}, "a=b", "a=b"},
      {{"a==b"}, "a.jpg", "=b.jpg"},  // the value is everything after the first "="
  };
  for (const Case& c : cases) EXPECT_EQ(replaceNames(c.input, c.entries), c.expected) << c.input;
}

TEST(TagCameraNameTest, CameraPrefixesBecomeTheTag) {
  const std::vector<NameCase> cases = {
      {"DSC_0001.JPG", "cam_0001.JPG"},   {"cam_0001.JPG", "cam_0001.JPG"},   {"PICT0001.JPG", "cam_0001.JPG"},
      {"holiday.jpg", "holiday_cam.jpg"}, {"IMG01234.JPG", "cam_1234.JPG"},   {"img_1234.jpg", "img_1234_cam.jpg"},
      {"GOPRO0042.MP4", "cam_0042.MP4"},  {"MVC-001F.JPG", "cam_001F.JPG"},   {"P0001234.JPG", "cam_1234.JPG"},
      {"DSCN0001.JPG", "cam_0001.JPG"},   {"holiday", "holiday_cam"},         {"IMG_1_IMG_2.JPG", "cam_1_cam_2.JPG"},
  };
  for (const NameCase& c : cases) EXPECT_EQ(tagCameraName(c.input, "cam"), c.expected) << c.input;
  EXPECT_EQ(tagCameraName("IMG_1.JPG", ""), "IMG_1.JPG");
}

TEST(HtmlFileNameTest, PlainAsciiBaseAndLowerCaseExtension) {
  const std::vector<NameCase> cases = {
      {ArgerAnsi, "Arger_uber_Ol.jpg"},
      {ArgerUtf8, "Arger_uber_Ol.jpg"},
      {"a  b.JPG", "a_b.jpg"},
      {"a    __ b.JPG", "a_b.jpg"},  // a run of any length becomes one
      {"  a b  .JPG", "a_b.jpg"},
      {"x:y?.PNG", "x-y-.png"},
      {"_lead_.jpg", "_lead_.jpg"},         // leading and trailing underscores stay
      {"\xC7" "a.jpg", "_a.jpg"},           // Ç is not in the Html table
      {"\xC3\x87" "a.jpg", "_a.jpg"},       // nor in UTF-8
      {"\xE2\x82\xAC" "uro.JPG", "_uro.jpg"},
      {"a.b.c.TXT", "a_b_c.txt"},
      {"no extension", "no_extension"},
      {"(1)!-x.jpg", "(1)!-x.jpg"},
      {"\xE6\x97\xA5\xE6\x9C\xAC.jpg", "--.jpg"},  // characters Windows-1252 lacks become ?
      {"photo.JP\xC3\x89", "photo.jpe"},          // a non-ASCII extension is made ASCII too
      {"dir/S\xE9" "ance.JPG", "dir/Seance.jpg"},
  };
  for (const NameCase& c : cases) EXPECT_EQ(htmlFileName(c.input), c.expected) << c.input;
}

TEST(SimpleFileNameTest, SimpleBaseAndLowerCaseExtension) {
  const std::vector<NameCase> cases = {
      {"report.backup", "report_backup"},  // 7 characters are no extension
      {"Holiday Photo.JPEG", "Holiday_Photo.jpeg"},
      {"My.Trip 2013", "My_Trip_2013"},
      {"Trip.2013", "Trip.2013"},
      {ArgerAnsi, "Arger_uber_Ol.jpg"},
      {ArgerUtf8, "Arger_uber_Ol.jpg"},
      {"Caf\xC3\xA9.JPG", "Cafe.jpg"},
      {"IMG_1234.JPG", "IMG_1234.jpg"},
      {"  a - b .JPG", "a-b.jpg"},
      {"photo.JP\xC3\x89", "photo.jpe"},
      // Extension length counts characters: 6 with the dot stays one,
      // 7 makes the dot part of the name.
      {"a.\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "a.eeeee"},
      {"a.\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "a_eeeeee"},
      {"dir/x y.Z", "dir/x_y.z"},
      // The extension keeps only what a simple base name may hold.
      {"trail blank.jpg ", "trail_blank.jpg"},
      {"a.j g", "a.j_g"},
      {"a.j\tp", "a.jp"},
      {"a.", "a."},
  };
  for (const NameCase& c : cases) EXPECT_EQ(simpleFileName(c.input), c.expected) << c.input;
  const std::string longName = std::string(100, 'b') + ".JPG";
  EXPECT_EQ(simpleFileName(longName), std::string(80, 'b') + ".jpg");
}

TEST(DownloadFileNameTest, CutsAShortTrailingDashPart) {
  const std::vector<NameCase> cases = {
      {"annual-report-final-2f3a9c.pdf", "annual-report-final.pdf"},
      {"short-name-abc.pdf", "short-name-abc.pdf"},
      {"annual-report-final-0123456789abcdef.pdf", "annual-report-final-0123456789abcdef.pdf"},  // tail of 16
      {"annual-report-final-0123456789abcde.PDF", "annual-report-final.pdf"},                    // tail of 15
      {"abcdefghijklmnop-x.pdf", "abcdefghijklmnop.pdf"},  // dash at 17
      {"abcdefghijklmno-x.pdf", "abcdefghijklmno-x.pdf"},  // dash at 16
      {"no dash at all in this long name.txt", "no dash at all in this long name.txt"},
      // UTF-8: positions are characters. 16 ä then "-x": dash at 17.
      {"\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
       "\xC3\xA4\xC3\xA4\xC3\xA4-x.PDF",
       "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
       "\xC3\xA4\xC3\xA4\xC3\xA4.pdf"},
      // 8 ä then "-abc": dash at character 9 (byte 17) stays.
      {"\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4-abc.pdf",
       "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4-abc.pdf"},
  };
  for (const NameCase& c : cases) EXPECT_EQ(downloadFileName(c.input), c.expected) << c.input;
}

TEST(NameCaseFileNameTest, CapitalAfterEachWordDivider) {
  const std::vector<NameCase> cases = {
      {"my holiday-trip_2013.JPG", "My Holiday-Trip_2013.jpg"},
      {"show.name.s01e02.mkv", "Show.Name.S01E02.mkv"},
      {"s1e2x.avi", "S1E2x.avi"},
      {"s1e2.avi", "S1e2.avi"},
      {"1e2x.avi", "1e2x.avi"},  // the "e" must stand after the second character
      {"SHOUTING NAME.TXT", "Shouting Name.txt"},
      {"\xC3\xA9LAN vital.TXT", "\xC3\x89lan Vital.txt"},        // UTF-8
      {"\xE9LAN vital.TXT", "\xC9lan Vital.txt"},                // Windows-1252
      {"\xCE\xBF\xCE\xB4\xCF\x8C\xCF\x82 \xCE\xB1\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1.jpg",  // οδός αθήνα
       "\xCE\x9F\xCE\xB4\xCF\x8C\xCF\x82 \xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1.jpg"},
      {"\xD0\xBC\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90-\xD0\xBB\xD0\xB5\xD1\x82\xD0\xBE.jpg",  // мОСКВА-лето
       "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0-\xD0\x9B\xD0\xB5\xD1\x82\xD0\xBE.jpg"},
      {"stra\xC3\x9F" "e.jpg", "Stra\xC3\x9F" "e.jpg"},
      {"  padded name .JPG", "Padded Name.jpg"},
  };
  for (const NameCase& c : cases) EXPECT_EQ(nameCaseFileName(c.input), c.expected) << c.input;
}

TEST(ExtensionCaseTest, OnlyTheExtensionChanges) {
  EXPECT_EQ(lowerExtension("ABC.JPG"), "ABC.jpg");
  EXPECT_EQ(upperExtension("abc.jpg"), "abc.JPG");
  EXPECT_EQ(lowerExtension("noext"), "noext");
  EXPECT_EQ(lowerExtension("A.B.JP\xC3\x89"), "A.B.jp\xC3\xA9");
  EXPECT_EQ(upperExtension("\xE9t\xE9.jp\xE9"), "\xE9t\xE9.JP\xC9");  // Windows-1252
}

TEST(DeleteCharsTest, CountsCharactersOfTheWholeName) {
  EXPECT_EQ(deleteFirstChars("abcdef.jpg", 3), "def.jpg");
  EXPECT_EQ(deleteFirstChars("abcdef.jpg", 10), "");
  EXPECT_EQ(deleteFirstChars("abcdef.jpg", 99), "");
  EXPECT_EQ(deleteFirstChars("abcdef.jpg", 0), "abcdef.jpg");
  EXPECT_EQ(deleteLastChars("abcdef.jpg", 2), "abcdef.j");  // counted from the end of the extension
  EXPECT_EQ(deleteLastChars("abcdef.jpg", 99), "");
  EXPECT_EQ(deleteCharsAt("abcdef.jpg", 3, 2), "abef.jpg");
  EXPECT_EQ(deleteCharsAt("abcdef.jpg", 20, 2), "abcdef.jpg");
  EXPECT_EQ(deleteCharsAt("abcdef.jpg", 9, 5), "abcdef.j");
  EXPECT_EQ(deleteCharsAt("abcdef.jpg", 3, 0), "abcdef.jpg");
  EXPECT_EQ(deleteCharsAt("abcdef.jpg", 0, 2), "abcdef.jpg");

  const std::string umlauts = "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F.jpg";  // äöüß.jpg
  EXPECT_EQ(deleteFirstChars(umlauts, 2), "\xC3\xBC\xC3\x9F.jpg");
  EXPECT_EQ(deleteLastChars(umlauts, 5), "\xC3\xA4\xC3\xB6\xC3\xBC");
  EXPECT_EQ(deleteCharsAt(umlauts, 2, 2), "\xC3\xA4\xC3\x9F.jpg");
  EXPECT_EQ(deleteFirstChars("\xE4\xF6\xFC.jpg", 2), "\xFC.jpg");  // Windows-1252
}

TEST(LimitNameLengthTest, CutsTheBaseNameAtAWord) {
  EXPECT_EQ(limitNameLength("A very long file name with many words.jpg", 30), "A very long file name.jpg");
  EXPECT_EQ(limitNameLength("A very long file name with many words.jpg", 16), "A very long file name with many words.jpg");
  EXPECT_EQ(limitNameLength("A very long file name with many words.jpg", 0), "A very long file name with many words.jpg");
  EXPECT_EQ(limitNameLength("abcdefghijklmnopqrstuvwxyz.jpg", 20), "abcdefghijklmnop.jpg");  // hard cut
  // limit = 17 - 5 = 12 is too short to cut.
  EXPECT_EQ(limitNameLength("abcdefghijklmnopqrstuvwxyz.jpeg", 17), "abcdefghijklmnopqrstuvwxyz.jpeg");
  EXPECT_EQ(limitNameLength("abcdefghijklmnopqrstuvwxyz.jpg", 17), "abcdefghijklm.jpg");
  EXPECT_EQ(limitNameLength("short.jpg", 30), "short.jpg");
  // Characters, not bytes: 20 ä stay whole.
  std::string umlauts;
  for (int i = 0; i < 30; ++i) umlauts += "\xC3\xA4";
  EXPECT_EQ(limitNameLength(umlauts + ".jpg", 24), umlauts.substr(0, 40) + ".jpg");
}

// Restores the run settings that a test changes.
class NameStepSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = RunSettings;
    RunSettings = TRunSettings{};
  }
  void TearDown() override { RunSettings = saved_; }

  static std::string run(StepResult (*step)(TPassItem&), const std::string& name) {
    TPassItem item;
    item.WorkName = name;
    EXPECT_EQ(step(item), StepResult::Continue);
    return item.WorkName;
  }

 private:
  TRunSettings saved_;
};

TEST_F(NameStepSettingsTest, StepsReadTheirSettings) {
  RunSettings.Replacements = {"photo=pic", "x=."};
  EXPECT_EQ(run(stepReplacements, "photo_x.jpg"), "pic_.jpg");
  RunSettings.ImageTag = "cam";
  EXPECT_EQ(run(stepCameraTags, "DSC_0001.JPG"), "cam_0001.JPG");
  EXPECT_EQ(run(stepHtmlName, "a  b.JPG"), "a_b.jpg");
  EXPECT_EQ(run(stepSimpleName, "report.backup"), "report_backup");
  EXPECT_EQ(run(stepLowerCase, "\xC3\x84RGER.JPG"), "\xC3\xA4rger.jpg");
  EXPECT_EQ(run(stepUpperCase, "\xC3\xA4rger.jpg"), "\xC3\x84RGER.JPG");
  EXPECT_EQ(run(stepDownloadName, "annual-report-final-2f3a9c.pdf"), "annual-report-final.pdf");
  EXPECT_EQ(run(stepNameCase, "show.name.s01e02.mkv"), "Show.Name.S01E02.mkv");
  EXPECT_EQ(run(stepLowerExt, "A.JPG"), "A.jpg");
  EXPECT_EQ(run(stepUpperExt, "a.jpg"), "a.JPG");
  RunSettings.DeleteCharsStart = 2;
  EXPECT_EQ(run(stepDeleteAtStart, "abcdef.jpg"), "cdef.jpg");
  RunSettings.DeleteCharsEnd = 2;
  EXPECT_EQ(run(stepDeleteAtEnd, "abcdef.jpg"), "abcdef.j");
  RunSettings.DeleteCharsPos = 3;
  RunSettings.DeleteCharsNum = 2;
  EXPECT_EQ(run(stepDeleteAtPosition, "abcdef.jpg"), "abef.jpg");
  RunSettings.Prefix = "pre_";
  EXPECT_EQ(run(stepPrefix, "a.jpg"), "pre_a.jpg");
  RunSettings.Suffix = "_old";
  EXPECT_EQ(run(stepSuffix, "a.jpg"), "a.jpg_old");
  RunSettings.MaxLength = 30;
  EXPECT_EQ(run(stepMaxLength, "A very long file name with many words.jpg"), "A very long file name.jpg");
}

}  // namespace
}  // namespace zantrel
