// Whole-program tests of date naming and time stamps. Files get known local
// modification times; the program runs in a zone with daylight saving, so
// a local/UTC mix-up shows as an hour or two off.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

#include "cli/harness.h"

using namespace testing_support;

namespace {

bool hasLine(const RunResult& r, const std::string& line) {
  const auto all = lines(r.out);
  return std::find(all.begin(), all.end(), line) != all.end();
}

bool outputContains(const RunResult& r, const std::string& text) { return r.out.find(text) != std::string::npos; }

// A file dated 2013-04-12 15:30:45 local time, the date of most examples.
std::filesystem::path writeApril12(const TempDir& dir, const std::string& name) {
  auto p = dir.write(name);
  setLocalMtime(p, 2013, 4, 12, 15, 30, 45);
  return p;
}

TEST(DateNamingCli, PrefixThenSecondRunChangesNothing) {
  TempDir dir;
  writeApril12(dir, "IMG_1234.jpg");
  RunResult r = runZantrel({"-dp", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(hasLine(r, "IMG_1234.jpg")) << r.out;
  EXPECT_EQ(dir.list(), std::vector<std::string>{"130412-1530_IMG_1234.jpg"});

  r = runZantrel({"-dp", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_FALSE(hasLine(r, "130412-1530_IMG_1234.jpg")) << r.out;
  EXPECT_FALSE(outputContains(r, " -> ")) << r.out;
  EXPECT_EQ(dir.list(), std::vector<std::string>{"130412-1530_IMG_1234.jpg"});
}

TEST(DateNamingCli, PrefixExamples) {
  struct Case {
    const char* name;
    const char* line;  // the remainder line
    const char* result;
  };
  const Case cases[] = {
      {"130412-153045.jpg", nullptr, "130412-153045.jpg"},
      {"2013-04-12 party.jpg", " party.jpg", "130412-1530_ party.jpg"},
      {"2013-04-12.jpg", ".jpg", "130412-1530.jpg"},
      // the removed date takes its separator along
      {"IMG_20130412_153045.jpg", "IMG.jpg", "130412-1530_IMG.jpg"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    writeApril12(dir, c.name);
    RunResult r = runZantrel({"-dp", "*.jpg"}, dir.path());
    EXPECT_EQ(r.exitCode, 0);
    if (c.line) {
      EXPECT_TRUE(hasLine(r, c.line)) << c.name << "\n" << r.out;
    }
    EXPECT_EQ(dir.list(), std::vector<std::string>{c.result}) << c.name;
    // A second run finds the date in front and changes nothing.
    r = runZantrel({"-dp", "*.jpg"}, dir.path());
    EXPECT_EQ(dir.list(), std::vector<std::string>{c.result}) << c.name;
    EXPECT_FALSE(outputContains(r, " -> ")) << r.out;
  }
}

TEST(DateNamingCli, SuffixExamples) {
  struct Case {
    const char* name;
    const char* result;
  };
  const Case cases[] = {
      {"IMG_1234.jpg", "IMG_1234_130412-1530.jpg"},
      {"trip_2013_IMG_1.jpg", "trip_IMG_1_130412-1530.jpg"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    writeApril12(dir, c.name);
    RunResult r = runZantrel({"-ds", "*.jpg"}, dir.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(dir.list(), std::vector<std::string>{c.result}) << c.name << "\n" << r.out;
    r = runZantrel({"-ds", "*.jpg"}, dir.path());
    EXPECT_EQ(dir.list(), std::vector<std::string>{c.result}) << c.name;
    EXPECT_FALSE(outputContains(r, " -> ")) << r.out;
  }
}

TEST(DateNamingCli, PrefixAndSuffixTogetherDateOnce) {
  TempDir dir;
  writeApril12(dir, "IMG_1234.jpg");
  runZantrel({"-dp", "-ds", "*.jpg"}, dir.path());
  EXPECT_EQ(dir.list(), std::vector<std::string>{"130412-1530_IMG_1234.jpg"});
}

TEST(DateNamingCli, TimeShiftMovesTheDate) {
  TempDir dir;
  writeApril12(dir, "a.jpg");
  writeApril12(dir, "b.jpg");
  runZantrel({"-dp", "-ts=+01:00", "a.jpg"}, dir.path());
  runZantrel({"-dp", "-ts=-0:31", "b.jpg"}, dir.path());
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"130412-1459_b.jpg", "130412-1630_a.jpg"}));
}

TEST(DateNamingCli, DaylightSavingDatesAreLocal) {
  // Winter and summer dates: both must come out as the wall-clock time.
  TempDir dir;
  setLocalMtime(dir.write("w.jpg"), 2020, 1, 15, 8, 0, 0);
  setLocalMtime(dir.write("s.jpg"), 2020, 7, 15, 8, 0, 0);
  runZantrel({"-dp", "*.jpg"}, dir.path());
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"200115-0800_w.jpg", "200715-0800_s.jpg"}));
}

TEST(DateNamingCli, DateFormatEveryToken) {
  TempDir dir;
  auto p = dir.write("x.jpg");
  setLocalMtime(p, 2013, 4, 2, 5, 6, 7);
  RunResult r =
      runZantrel({"-dp", "-df=yy yyyy m mm mmm mmmm d dd ddd dddd ddddd dddddd h hh n nn s ss", "x.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(dir.list(),
            std::vector<std::string>{"13 2013 4 04 Apr April 2 02 Tue Tuesday 2013-04-02 Tuesday, 2 April 2013 "
                                     "5 05 6 06 7 07_x.jpg"})
      << r.out;
}

TEST(DateNamingCli, DateFormatUpperCaseAndEmpty) {
  TempDir dir;
  setLocalMtime(dir.write("a.jpg"), 2013, 4, 2, 5, 6, 7);
  setLocalMtime(dir.write("b.jpg"), 2013, 4, 2, 5, 6, 7);
  runZantrel({"-dp", "-df=YYYY-MM-DD", "a.jpg"}, dir.path());
  runZantrel({"-dp", "-df=", "b.jpg"}, dir.path());
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"2013-04-02 05:06:07_b.jpg", "2013-04-02_a.jpg"}));
}

TEST(DateNamingCli, DateTypes) {
  TempDir dir;
  auto a = dir.write("a.jpg");
  setLocalMtime(a, 2013, 4, 12, 15, 30, 45);
  setLocalAtime(a, 2014, 5, 6, 7, 8, 9);
  auto w = dir.write("w.jpg");
  setLocalMtime(w, 2013, 4, 12, 15, 30, 45);
  setLocalAtime(w, 2014, 5, 6, 7, 8, 9);
  auto e = dir.write("e.jpg");
  setLocalMtime(e, 2013, 4, 12, 15, 30, 45);
  runZantrel({"-dp", "-dt=A", "a.jpg"}, dir.path());
  runZantrel({"-dp", "-dt=W", "w.jpg"}, dir.path());
  // Without an EXIF date the last-write time stands in, with a warning.
  RunResult r = runZantrel({"-dp", "-dt=e", "e.jpg"}, dir.path());
  EXPECT_TRUE(hasLine(r, "Warning: no Exif date found, using filedate. (e.jpg)")) << r.out;
  EXPECT_EQ(dir.list(),
            (std::vector<std::string>{"130412-1530_e.jpg", "130412-1530_w.jpg", "140506-0708_a.jpg"}));
}

TEST(DateNamingCli, CreationDateType) {
  TempDir dir;
  auto p = dir.write("c.jpg");
  setLocalMtime(p, 2013, 4, 12, 15, 30, 45);
  struct statx sx {};
  std::string expectedPrefix = "991230-0000";  // no birth time on this file system
  if (::statx(AT_FDCWD, p.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME)) {
    struct tm t {};
    const time_t born = sx.stx_btime.tv_sec;
    ::localtime_r(&born, &t);
    char buf[16];
    std::strftime(buf, sizeof buf, "%y%m%d-%H%M", &t);
    expectedPrefix = buf;
  }
  RunResult r = runZantrel({"-dp", "-dt=C", "c.jpg"}, dir.path());
  EXPECT_EQ(dir.list(), std::vector<std::string>{expectedPrefix + "_c.jpg"}) << r.out;
}

TEST(DateNamingCli, FoldersAreNamedWithTheirOwnDate) {
  TempDir dir;
  auto f = dir.mkdir("party");
  setLocalMtime(f, 2013, 4, 12, 15, 30, 45);
  RunResult r = runZantrel({"-dir", "-dp", "party"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(dir.list(), std::vector<std::string>{"130412-1530_party"}) << r.out;
}

// ---- set time ----

struct SetTimeCase {
  const char* input;
  const char* stored;  // local mtime afterwards
  const char* shown;   // target as the line shows it
};

TEST(SetTimeCli, AcceptedForms) {
  const SetTimeCase cases[] = {
      {"2020-01-01 12:00", "2020-01-01 12:00:00", "2020-01-01 12:00:00"},
      {"2011:05:06 12:34:56", "2011-05-06 12:34:56", "2011-05-06 12:34:56"},
      {"2011-05-06 12:34:56", "2011-05-06 12:34:56", "2011-05-06 12:34:56"},
      {"IMG 20110506 x", "2011-05-06 00:00:00", "2011-05-06"},
      {"110506", "2011-05-06 00:00:00", "2011-05-06"},
      {"980506", "1998-05-06 00:00:00", "1998-05-06"},
      {"200012", "2000-12-01 00:00:00", "2000-12-01"},
      {"05/06/2011 10:20:30", "2011-05-06 10:20:00", "2011-05-06 10:20:00"},
      {"25/12/11 9:05", "2011-12-25 09:05:00", "2011-12-25 09:05:00"},
      {"2011-05-06", "2011-05-06 00:00:00", "2011-05-06"},
      {"2011-07-06 10:20", "2011-07-06 10:20:00", "2011-07-06 10:20:00"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    writeApril12(dir, "a.jpg");
    writeApril12(dir, "b.jpg");
    RunResult r = runZantrel({std::string("-st=") + c.input, "*.jpg"}, dir.path());
    EXPECT_EQ(r.exitCode, 0);
    for (const char* name : {"a.jpg", "b.jpg"}) {
      EXPECT_EQ(localMtimeText(dir / name), c.stored) << c.input << " " << name << "\n" << r.out;
      EXPECT_TRUE(hasLine(r, std::string(name) + " LastWriteDateTime adjusted: 2013-04-12 15:30:45 -> " + c.shown))
          << c.input << "\n" << r.out;
    }
    // Names stay.
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"a.jpg", "b.jpg"}));
  }
}

TEST(SetTimeCli, RejectedFormsChangeNothing) {
  for (const char* input : {"06.05.2011", "2011-02-30", "0000:00:00 00:00:00", "2011-05-06 1", "2011-13-01",
                            "1899-12-31", "05/06/2011", "tomorrow"}) {
    TempDir dir;
    writeApril12(dir, "a.jpg");
    RunResult r = runZantrel({std::string("-st=") + input, "*.jpg"}, dir.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(localMtimeText(dir / "a.jpg"), "2013-04-12 15:30:45") << input;
    EXPECT_FALSE(outputContains(r, "adjusted")) << input << "\n" << r.out;
  }
}

TEST(SetTimeCli, DateTypes) {
  TempDir dir;
  auto a = writeApril12(dir, "a.jpg");
  setLocalAtime(a, 2014, 5, 6, 7, 8, 9);
  RunResult r = runZantrel({"-st=2020-01-01 12:00", "-dt=A", "a.jpg"}, dir.path());
  EXPECT_TRUE(hasLine(r, "a.jpg LastAccessDateTime adjusted: 2014-05-06 07:08:09 -> 2020-01-01 12:00:00")) << r.out;
  EXPECT_EQ(localAtimeText(a), "2020-01-01 12:00:00");
  EXPECT_EQ(localMtimeText(a), "2013-04-12 15:30:45");

  auto e = writeApril12(dir, "e.jpg");
  r = runZantrel({"-st=2020-01-01 12:00", "-dt=E", "e.jpg"}, dir.path());
  EXPECT_TRUE(hasLine(r, "e.jpg LastWriteDateTime adjusted: 2013-04-12 15:30:45 -> 2020-01-01 12:00:00")) << r.out;
  EXPECT_EQ(localMtimeText(e), "2020-01-01 12:00:00");

  // Linux cannot set a creation time: that is reported as a failure.
  auto c = writeApril12(dir, "c.jpg");
  r = runZantrel({"-st=2020-01-01 12:00", "-dt=C", "c.jpg"}, dir.path());
  EXPECT_TRUE(hasLine(r, "ERROR! Failed to set time: c.jpg")) << r.out;
  EXPECT_FALSE(outputContains(r, "CreateDateTime adjusted")) << r.out;
  EXPECT_EQ(localMtimeText(c), "2013-04-12 15:30:45");
}

TEST(SetTimeCli, TestModeChangesNoTimeStamp) {
  TempDir dir;
  auto a = writeApril12(dir, "a.jpg");
  RunResult r = runZantrel({"-st=2020-01-01 12:00", "-t", "a.jpg"}, dir.path());
  EXPECT_TRUE(hasLine(r, "a.jpg LastWriteDateTime adjusted: 2013-04-12 15:30:45 -> 2020-01-01 12:00:00 (test)"))
      << r.out;
  EXPECT_EQ(localMtimeText(a), "2013-04-12 15:30:45");
}

TEST(SetTimeCli, TimeShiftIsNotAddedButDateNamesUseTheOldTime) {
  TempDir dir;
  auto a = writeApril12(dir, "a.jpg");
  RunResult r = runZantrel({"-st=2020-01-01 12:00", "-ts=+01:00", "-dp", "a.jpg"}, dir.path());
  EXPECT_EQ(localMtimeText(dir / "130412-1630_a.jpg"), "2020-01-01 12:00:00") << r.out;
}

// ---- folder dates ----

TEST(FolderDateCli, MedianOfFourOneAndNone) {
  TempDir dir;
  auto four = dir.mkdir("four");
  for (int day = 1; day <= 4; ++day) setLocalMtime(dir.write("four/f" + std::to_string(5 - day)), 2024, 5, day, 10, 0, 0);
  auto one = dir.mkdir("one");
  setLocalMtime(dir.write("one/x"), 2023, 8, 9, 10, 11, 12);
  auto none = dir.mkdir("none");
  dir.write("none/.hidden");
  dir.mkdir("none/sub");
  setLocalMtime(dir.write("none/sub/deep"), 2020, 1, 1, 0, 0, 0);
  for (auto* f : {&four, &one, &none}) setLocalMtime(*f, 2001, 1, 1, 1, 1, 2);

  RunResult r = runZantrel({"-dir", "-fdff", "*"}, dir.path());
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(localMtimeText(four), "2024-05-03 10:00:00");
  EXPECT_EQ(localAtimeText(four), "2024-05-03 10:00:00");
  EXPECT_EQ(localMtimeText(one), "2023-08-09 10:11:12");
  EXPECT_EQ(localMtimeText(none), "2001-01-01 01:01:02");
  EXPECT_TRUE(hasLine(r, "four Folder Date adjusted: 2024-05-03 10:00:00 (was 2001-01-01 01:01:02)")) << r.out;
  EXPECT_TRUE(hasLine(r, "one Folder Date adjusted: 2023-08-09 10:11:12 (was 2001-01-01 01:01:02)")) << r.out;
  EXPECT_TRUE(hasLine(r, "none Error: no files in folder date found?")) << r.out;

  // A second run finds every folder dated already.
  r = runZantrel({"-dir", "-fdff", "*"}, dir.path());
  EXPECT_FALSE(outputContains(r, "Folder Date adjusted")) << r.out;
}

TEST(FolderDateCli, TestModeLeavesFoldersAlone) {
  TempDir dir;
  auto f = dir.mkdir("f");
  setLocalMtime(dir.write("f/x"), 2023, 8, 9, 10, 11, 12);
  setLocalMtime(f, 2001, 1, 1, 1, 1, 2);
  RunResult r = runZantrel({"-dir", "-fdff", "-t", "*"}, dir.path());
  EXPECT_EQ(localMtimeText(f), "2001-01-01 01:01:02");
  EXPECT_FALSE(outputContains(r, "Folder Date adjusted")) << r.out;
}

}  // namespace
