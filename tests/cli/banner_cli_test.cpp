#include <gtest/gtest.h>

#include "app/banner.h"
#include "cli/harness.h"

#include <string>
#include <vector>

using namespace testing_support;

namespace {

const std::string Banner = "zantrel v0.61\n";
const std::string Syntax = "Syntax: zantrel [options] (files)  (help -? more --help)\n";

std::string usageText(bool verbose) {
  std::string text;
  for (const auto& line : zantrel::usageLines(verbose)) text += line + "\n";
  return text;
}

TEST(BannerCli, NoArgumentsPrintsBannerAndSyntax) {
  TempDir dir;
  RunResult r = runZantrel({}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, Banner + Syntax);
}

TEST(BannerCli, ShortHelp) {
  TempDir dir;
  RunResult r = runZantrel({"-?"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, Banner + usageText(false));
  EXPECT_EQ(lines(r.out).size(), 1u + 28u);
}

TEST(BannerCli, LongHelpInAnyCase) {
  TempDir dir;
  for (const char* arg : {"--help", "--HELP"}) {
    RunResult r = runZantrel({arg}, dir.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, Banner + usageText(true));
    EXPECT_EQ(lines(r.out).size(), 1u + 81u);
  }
}

TEST(BannerCli, VerboseBeforeShortHelpGivesLongUsage) {
  TempDir dir;
  RunResult r = runZantrel({"-verbose", "-?"}, dir.path());
  EXPECT_EQ(r.out, Banner + usageText(true));
}

TEST(BannerCli, VerboseAlonePrintsTimeShiftThenBanner) {
  TempDir dir;
  RunResult r = runZantrel({"-verbose"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Time-Shift: 00:00:00\n" + Banner + Syntax);
}

TEST(BannerCli, BadDirectoryFails) {
  TempDir dir;
  RunResult r = runZantrel({"-cd=/nonexistent", "x"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, Banner + Syntax + "Error - Path not found:/nonexistent\n");
}

TEST(BannerCli, BadTimeShiftFails) {
  TempDir dir;
  RunResult r = runZantrel({"-ts=24:00", "x"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, Banner + Syntax + "Error: 24:00 not valid time\n");
  r = runZantrel({"-ts=-25:00", "x"}, dir.path());
  EXPECT_EQ(r.out, Banner + Syntax + "Error: 25:00 not valid time\n");
  r = runZantrel({"-ts=+"}, dir.path());
  EXPECT_EQ(r.out, Banner + Syntax + "Error: Empty Time-Shift?\n");
  r = runZantrel({"-ts=1e400"}, dir.path());
  EXPECT_EQ(r.out, Banner + Syntax + "Error. 1e400 not valid time\n");
}

TEST(BannerCli, ErrorAfterBannerPrintsOnlyTheErrorLine) {
  TempDir dir;
  RunResult r = runZantrel({"a", "b", "-ts=99:00"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, Banner + Syntax + "Error: 99:00 not valid time\n");
}

TEST(BannerCli, SurplusFileArgumentsPrintBannerOnceAndHintOnStderr) {
  TempDir dir;
  // What the shell makes of an unquoted *.jpg.
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) dir.write(name);
  RunResult r = runZantrel({"a.jpg", "b.jpg", "c.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, Banner + Syntax);
  EXPECT_EQ(lines(r.err).size(), 1u);
  EXPECT_NE(r.err.find("'*.jpg'"), std::string::npos);
}

TEST(BannerCli, ChangesDirectoryBeforeWorking) {
  TempDir dir;
  dir.mkdir("sub dir");
  RunResult r = runZantrel({"-cd=" + (dir / "sub dir").string(), "-verbose"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
}

// The version line alone on standard output, whatever else is asked: no
// syntax line, no pass over the files named with it.
TEST(BannerCli, VersionPrintsOnlyTheBannerLine) {
  const std::vector<std::vector<std::string>> calls = {
      {"--version"}, {"-V"}, {"--VERSION"}, {"-t", "--version"},
      {"-verbose", "-V"}, {"-s", "*.JPG", "--version"}, {"--version", "-?"},
  };
  for (const auto& args : calls) {
    TempDir dir;
    dir.write("IMG 1.JPG");
    RunResult r = runZantrel(args, dir.path());
    SCOPED_TRACE(args.front());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "zantrel v0.61\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(dir.list(), std::vector<std::string>{"IMG 1.JPG"});
  }
}

}  // namespace
