// Whole-program tests of the notes on standard error: each slip is named
// once, and standard output stays exactly what it is without the note.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli/harness.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const std::string BannerAndSyntax =
    "zantrel v0.61\nSyntax: zantrel [options] (files)  (help -? more --help)\n";
const std::string IntegerNote = ": the value must be a whole number from -2147483648 to 2147483647\n";
const std::string DateTypeNote =
    ": the date type is C, A, W or E (creation, access, write, EXIF); the last-write time is used\n";

struct Case {
  std::vector<std::string> args;
  std::string out;
  // "@" stands for the test folder as the program sees it.
  std::string err;
};

std::string withFolder(std::string text, const std::string& folder) {
  for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + folder.size()))
    text.replace(at, 1, folder);
  return text;
}

TEST(HintsCli, EachSlipIsNamedOnceOnStandardError) {
  const Case cases[] = {
      // Options typed wrong.
      {{"-sumple"}, "",
       "zantrel: unknown option -sumple (no file matched it); did you mean --simple? See zantrel -? for the "
       "options.\n"},
      {{"-xyzzy"}, "", "zantrel: unknown option -xyzzy (no file matched it). See zantrel -? for the options.\n"},
      {{"a.jpg", "-sumple", "-sumple"}, BannerAndSyntax,
       "zantrel: unknown option -sumple (ignored); did you mean --simple? See zantrel -? for the options.\n"},
      // A value option without "=": named in its right form, not taken for a
      // wildcard that the shell expanded.
      {{"-df", "yyyymmdd"}, BannerAndSyntax, "zantrel: -df takes its value after \"=\": write -df=yyyymmdd\n"},
      {{"a.jpg", "-st", "2020-01-01 10:00"}, BannerAndSyntax,
       "zantrel: -st takes its value after \"=\": write -st=\"2020-01-01 10:00\"\n"},
      {{"a.jpg", "-MAX"}, BannerAndSyntax, "zantrel: -MAX takes its value after \"=\": write -MAX=value\n"},
      {{"-df", "yyyymmdd", "a.jpg", "b.jpg"}, BannerAndSyntax,
       "zantrel: -df takes its value after \"=\": write -df=yyyymmdd\n"
       "zantrel: ignoring surplus file argument \"a.jpg\"; the shell expanded a wildcard. Quote patterns, e.g. "
       "'*.jpg'\n"},
      // Values that were ignored.
      {{"-max=abc", "-max=abc", "-dcs=1x", "a.jpg"}, "",
       "zantrel: ignored -max=abc" + IntegerNote + "zantrel: ignored -dcs=1x" + IntegerNote},
      {{"-max=5000000000", "a.jpg"}, "", "zantrel: ignored -max=5000000000" + IntegerNote},
      {{"-max=+40", "-dcs=-1", "a.jpg"}, "", ""},
      {{"-t", "-pre=x_", "-dt=x", "a.jpg"}, "a.jpg -> x_a.jpg (test)\n", "zantrel: -dt=x" + DateTypeNote},
      {{"-t", "-pre=x_", "--date-type=", "a.jpg"}, "a.jpg -> x_a.jpg (test)\n",
       "zantrel: --date-type=" + DateTypeNote},
      {{"-t", "-pre=x_", "-dt=c", "-dt=Access", "-dt=w", "-dt=exif", "a.jpg"},
       "Warning: no Exif date found, using filedate. (a.jpg)\na.jpg -> x_a.jpg (test)\n", ""},
      // Runs that found nothing.
      {{"*.png"}, "", "zantrel: nothing matched '*.png' in @\n"},
      {{"-sub", "*.png,*.gif"}, "", "zantrel: nothing matched '*.png,*.gif' in or below @\n"},
      {{"none/*.png"}, "", "zantrel: nothing matched 'none/*.png' in @/none, which does not exist\n"},
      {{"a.jpg/*.png"}, "", "zantrel: nothing matched 'a.jpg/*.png' in @/a.jpg, which is not a folder\n"},
      {{"-verbose", "*.png"}, "Time-Shift: 00:00:00\n0 files found\n", "zantrel: nothing matched '*.png' in @\n"},
      {{"-daf", "*.png"}, "", "zantrel: nothing matched '*.png' in @\n"},
      {{"-dir", "*.jpg"}, "", "zantrel: nothing matched '*.jpg' in @\n"},
      // Nothing to note.
      {{"-pre=x_", "a.jpg"}, "a.jpg -> x_a.jpg\n", ""},
      {{"-t", "-pre=x_", "-df=yyyy", "*.jpg"}, "a.jpg -> x_a.jpg (test)\n", ""},
      {{}, BannerAndSyntax, ""},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.write("a.jpg");
    const std::string folder = fs::canonical(dir.path()).string();
    const RunResult r = runZantrel(c.args, dir.path());
    std::string shown;
    for (const std::string& a : c.args) shown += a + " ";
    EXPECT_EQ(r.out, c.out) << shown;
    EXPECT_EQ(r.err, withFolder(c.err, folder)) << shown;
    EXPECT_EQ(r.exitCode, 0) << shown;
  }
}

// An argument that looks like an option is a pattern like any other when a
// file of that name is there.
TEST(HintsCli, AFileThatLooksLikeAnOptionIsNoSlip) {
  TempDir dir;
  dir.write("-sumple");
  dir.write("b.jpg");
  RunResult r = runZantrel({"-pre=x_", "-sumple"}, dir.path());
  EXPECT_EQ(r.out, "-sumple -> x_-sumple\n");
  EXPECT_EQ(r.err, "");
  // Expanded by the shell from *: the names after the first are surplus.
  r = runZantrel({"-t", "-pre=x_", "b.jpg", "x_-sumple"}, dir.path());
  EXPECT_EQ(r.err, "zantrel: ignoring surplus file argument \"x_-sumple\"; the shell expanded a wildcard. Quote "
                   "patterns, e.g. '*.jpg'\n");
  dir.write("-a.jpg");
  r = runZantrel({"-t", "-pre=x_", "b.jpg", "-a.jpg"}, dir.path());
  EXPECT_EQ(r.err, "zantrel: ignoring surplus file argument \"-a.jpg\"; the shell expanded a wildcard. Quote "
                   "patterns, e.g. '*.jpg'\n");
}

// The media library runs four passes; a run without media says so once, and
// an option typed wrong is named although the patterns are the library's.
TEST(HintsCli, ALibraryRunWithoutMedia) {
  TempDir dir;
  dir.write("notes.txt");
  const RunResult r = runZantrel({"-cm=lib", "-sumple"}, dir.path());
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "zantrel: unknown option -sumple (ignored); did you mean --simple? See zantrel -? for the options.\n"
                   "zantrel: nothing matched the -cm patterns in " + fs::canonical(dir.path()).string() + "\n");
  EXPECT_EQ(r.exitCode, 0);
}

TEST(HintsCli, AFolderThatCannotBeReadIsNamed) {
  if (::geteuid() != 0 || std::system("command -v setpriv >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "needs root and setpriv";
  TempDir dir;
  fs::permissions(dir.mkdir("locked"), fs::perms::owner_all);
  fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  const RunResult r =
      runZantrelVia("setpriv --reuid=65534 --regid=65534 --clear-groups", {"locked/*.jpg"}, dir.path());
  EXPECT_EQ(r.out.find("ERROR"), std::string::npos);
  EXPECT_NE(r.err.find("zantrel: nothing matched 'locked/*.jpg' in " + fs::canonical(dir.path()).string() +
                       "/locked, which cannot be read\n"),
            std::string::npos)
      << r.err;
}

}  // namespace
