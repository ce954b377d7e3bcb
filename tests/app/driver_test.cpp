#include "app/driver.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/settings.h"
#include "lib/datetime.h"
#include "platform/console.h"

namespace zantrel {
namespace {

struct Outcome {
  int code = -1;
  std::string out;
  std::vector<TRunSettings> passes;  // settings as each pass started
};

Outcome run(const std::vector<std::string>& args) {
  Outcome r;
  platform::captureOutput(&r.out);
  r.code = runProgram(args, [&] { r.passes.push_back(RunSettings); });
  platform::captureOutput(nullptr);
  return r;
}

TRunSettings singlePass(const std::vector<std::string>& args) {
  Outcome r = run(args);
  EXPECT_EQ(r.passes.size(), 1u);
  return r.passes.empty() ? TRunSettings{} : r.passes[0];
}

TEST(Parser, NoArgumentsLeavesDefaults) {
  Outcome r = run({});
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(r.passes.empty());
  const TRunSettings& s = RunSettings;
  EXPECT_EQ(s.DateFormat, "yymmdd-hhnn");
  EXPECT_EQ(s.DateType, "W");
  EXPECT_EQ(s.TimeShift, 0.0);
  EXPECT_TRUE(s.FileSpec.empty());
}

// Every bare option, each alias, sets exactly its own fields.
TEST(Parser, BareOptionsSetTheirFields) {
  using Check = std::function<bool(const TRunSettings&)>;
  struct Case {
    std::vector<const char*> aliases;
    Check check;
  } cases[] = {
      {{"/fdff", "-fdff", "--folderdatefromfiles"}, [](auto& s) { return s.FolderDateFromFiles && s.Folders; }},
      {{"/h", "-h", "--html", "-H"}, [](auto& s) { return s.Html; }},
      {{"/s", "-s", "--simple"}, [](auto& s) { return s.Simple; }},
      {{"/l", "-l", "--lowercase"}, [](auto& s) { return s.LowerCase; }},
      {{"/8", "-8", "--8"}, [](auto& s) { return s.EightOnly; }},
      {{"/le", "-le"}, [](auto& s) { return s.LowerExt; }},
      {{"/u", "-u", "--uppercase"}, [](auto& s) { return s.UpperCase; }},
      {{"/ue", "-ue"}, [](auto& s) { return s.UpperExt; }},
      {{"-magic", "-magick", "--magic", "--magick"}, [](auto& s) { return s.Magic; }},
      {{"/n", "-n", "--namecase"}, [](auto& s) { return s.NameCase; }},
      {{"/t", "-t", "--test", "--TEST"}, [](auto& s) { return s.Test; }},
      {{"/d", "-d", "--downloads"}, [](auto& s) { return s.Downloads; }},
      {{"/ded", "-ded", "--delete-existing-destination"}, [](auto& s) { return s.DeleteExistingDestination; }},
      {{"/des", "-des", "--delete-existing-source"}, [](auto& s) { return s.DeleteExistingSource; }},
      {{"/dir", "-dir", "/dirs", "-dirs", "--folders"}, [](auto& s) { return s.Folders && !s.FolderDateFromFiles; }},
      {{"/sub", "-sub", "/subs", "-subs", "--subdirs", "--subfolders", "--recursive"},
       [](auto& s) { return s.Recursive; }},
      {{"/copy", "-copy", "--copy"}, [](auto& s) { return s.Copy; }},
      {{"/pfn", "-pfn", "--pathprefix"}, [](auto& s) { return s.PathPrefix && !s.PathPrefix1; }},
      {{"/log", "-log", "--logfile"}, [](auto& s) { return s.WriteLog; }},
      {{"/pfn1", "-pfn1", "--pathprefix1"}, [](auto& s) { return s.PathPrefix1 && !s.PathPrefix; }},
      {{"/ss", "-ss", "--suffix-size"}, [](auto& s) { return s.SuffixSize; }},
      {{"/dp", "-dp", "--date-prefix"}, [](auto& s) { return s.DatePrefix && !s.DateSuffix; }},
      {{"/ds", "-ds", "--date-suffix"}, [](auto& s) { return s.DateSuffix && !s.DatePrefix; }},
      {{"/de", "-de", "--date-exif"}, [](auto& s) { return s.DateExif && s.ReadExif && s.DateType == "W"; }},
      {{"/dn", "-dn", "--date-from-name", "-DN"}, [](auto& s) { return s.DateFromName && !s.ReadExif; }},
      {{"/verbose", "-verbose", "--verbose"}, [](auto& s) { return s.Verbose; }},
      {{"/i", "-i", "--images"},
       [](auto& s) {
         return s.DatePrefix && s.DateType == "E" && s.ReadExif && s.DateExif && s.Simple && s.LowerExt &&
                s.TimeShift == 0.0 && !s.DateFromName;
       }},
      {{"/m", "-m", "--movies"},
       [](auto& s) {
         return s.DatePrefix && s.Simple && s.LowerExt && s.TimeShift == 1.0 / 24 && !s.ReadExif && s.DateType == "W";
       }},
  };
  for (const auto& c : cases) {
    for (const char* alias : c.aliases) {
      TRunSettings s = singlePass({alias, "*.jpg"});
      EXPECT_TRUE(c.check(s)) << alias;
      EXPECT_EQ(s.FileSpec, "*.jpg") << alias;
    }
  }
}

TEST(Parser, ModeOptionsReachTheDriver) {
  EXPECT_TRUE(run({"-daf", "x"}).passes[0].DirsAndFiles);
  EXPECT_EQ(run({"-nice"}).passes.size(), 5u);
  Outcome cm = run({"-cm"});
  ASSERT_EQ(cm.passes.size(), 4u);
  EXPECT_TRUE(cm.passes[0].CopyMedia);
  EXPECT_EQ(cm.passes[0].MediaRoot.substr(cm.passes[0].MediaRoot.size() - 7), "/Media/");
}

TEST(Parser, ValueOptionsSetTheirFields) {
  using Check = std::function<bool(const TRunSettings&)>;
  struct Case {
    std::vector<std::string> args;
    Check check;
  } cases[] = {
      {{"-it= cam "}, [](auto& s) { return s.ImageTag == "cam"; }},
      {{"--image-tag=x"}, [](auto& s) { return s.ImageTag == "x"; }},
      {{"-f=anything"}, [](auto& s) { return s.Replacements.empty(); }},
      {{"--format=x"}, [](auto& s) { return s.Replacements.empty(); }},
      {{"-ts=+01:00"}, [](auto& s) { return s.TimeShift == 1.0 / 24; }},
      {{"--time-shift=-2"}, [](auto& s) { return s.TimeShift == -2.0; }},
      {{"/TS=1,5"}, [](auto& s) { return s.TimeShift == 1.5; }},
      {{"-cm=/media/pics"}, [](auto& s) { return s.MediaRoot == "/media/pics/" && s.CopyMedia; }},
      {{"-cm=/media/pics/"}, [](auto& s) { return s.MediaRoot == "/media/pics/"; }},
      {{"--copy-media="}, [](auto& s) { return s.MediaRoot == "/" && s.CopyMedia; }},
      {{"-df=yyyy"}, [](auto& s) { return s.DateFormat == "yyyy"; }},
      {{"--date-format="}, [](auto& s) { return s.DateFormat.empty(); }},
      {{"-dt=exif"}, [](auto& s) { return s.DateType == "E" && s.ReadExif; }},
      {{"-dt=create"}, [](auto& s) { return s.DateType == "C" && !s.ReadExif; }},
      {{"--date-type="}, [](auto& s) { return s.DateType.empty(); }},
      {{"-dt=Write"}, [](auto& s) { return s.DateType == "W"; }},
      {{"-st=2020-01-01 12:00"}, [](auto& s) { return s.SetTime == "2020-01-01 12:00"; }},
      {{"-sd=x"}, [](auto& s) { return s.SetTime == "x"; }},
      {{"/st=y"}, [](auto& s) { return s.SetTime == "y"; }},
      {{"--set-date=z"}, [](auto& s) { return s.SetTime == "z"; }},
      {{"--set-time=w"}, [](auto& s) { return s.SetTime == "w"; }},
      {{"-dcs=3"}, [](auto& s) { return s.DeleteCharsStart == 3; }},
      {{"-dcs=3", "-dcs=abc"}, [](auto& s) { return s.DeleteCharsStart == 3; }},
      {{"--delete-chars-end=4"}, [](auto& s) { return s.DeleteCharsEnd == 4; }},
      {{"-dcp=5"}, [](auto& s) { return s.DeleteCharsPos == 5; }},
      {{"-dcn=6"}, [](auto& s) { return s.DeleteCharsNum == 6; }},
      {{"--delete-chars-num=7"}, [](auto& s) { return s.DeleteCharsNum == 7; }},
      {{"-max=40"}, [](auto& s) { return s.MaxLength == 40; }},
      {{"--max-length=41"}, [](auto& s) { return s.MaxLength == 41; }},
      {{"--max=-3"}, [](auto& s) { return s.MaxLength == -3; }},
      {{"-maxsize=1000000"}, [](auto& s) { return s.MaxSize == 1000000; }},
      {{"-maxsize=2147483647"}, [](auto& s) { return s.MaxSize == 2147483647; }},
      {{"-maxsize=5", "-maxsize=2147483648"}, [](auto& s) { return s.MaxSize == 2147483648; }},
      {{"-minsize=-1"}, [](auto& s) { return s.MinSize == -1; }},
      {{"-dst=_copy"}, [](auto& s) { return s.Replacements == std::vector<std::string>{"_copy=."}; }},
      {{"-pre=x_"}, [](auto& s) { return s.Prefix == "x_"; }},
      {{"--prefix= a "}, [](auto& s) { return s.Prefix == "a"; }},
      {{"-suf=_old"}, [](auto& s) { return s.Suffix == "_old"; }},
      {{"IMG_=photo_"}, [](auto& s) { return s.Replacements == std::vector<std::string>{"IMG_=photo_"}; }},
      {{"'IMG_'=x"}, [](auto& s) { return s.Replacements == std::vector<std::string>{"IMG_=x"}; }},
      {{"a==b"}, [](auto& s) { return s.Replacements == std::vector<std::string>{"a==b"}; }},
      {{"-s=1"}, [](auto& s) { return !s.Simple && s.Replacements == std::vector<std::string>{"-s=1"}; }},
      {{"name="}, [](auto& s) { return s.Replacements == std::vector<std::string>{"name="}; }},
      {{"-pre=\"my", "photo\""}, [](auto& s) { return s.Prefix == "my photo" && s.FileSpec == "x"; }},
      {{"-pre=\"", "a", "b\""}, [](auto& s) { return s.Prefix == " a b" && s.FileSpec == "x"; }},
      {{"-pre=\"open", "end"}, [](auto& s) { return s.Prefix == "open end"; }},
      {{"-pre=\"q\""}, [](auto& s) { return s.Prefix == "q"; }},
      {{"-pre=" + std::string(300, 'a')}, [](auto& s) { return s.Prefix == std::string(255, 'a'); }},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    // An unterminated quote swallows every following argument, so the file
    // argument goes first there.
    if (args[0].find('"') != std::string::npos && args.back().back() != '"') args.insert(args.begin(), "x");
    else args.push_back("x");
    Outcome r = run(args);
    ASSERT_FALSE(r.passes.empty()) << args[0];
    EXPECT_TRUE(c.check(r.passes[0])) << args[0];
  }
}

TEST(Parser, ValueOptionWithoutValueIsAFileArgument) {
  TRunSettings s = singlePass({"-ts"});
  EXPECT_EQ(s.FileSpec, "-ts");
  EXPECT_EQ(s.TimeShift, 0.0);
}

TEST(Parser, FileArguments) {
  EXPECT_EQ(singlePass({"0", "*.jpg"}).FileSpec, "*.jpg");
  EXPECT_EQ(singlePass({"-x"}).FileSpec, "-x");
  Outcome r = run({"*.jpg", "*.png", "*.gif"});
  EXPECT_EQ(r.passes[0].FileSpec, "*.jpg");
  EXPECT_EQ(r.out, "zantrel v0.61\nSyntax: zantrel [options] (files)  (help -? more --help)\n");
}

TEST(Parser, LaterValuesOverridePresets) {
  TRunSettings s = singlePass({"-i", "-dt=W", "-ts=2", "x"});
  EXPECT_EQ(s.DateType, "W");
  EXPECT_TRUE(s.ReadExif);
  EXPECT_EQ(s.TimeShift, 2.0);
  s = singlePass({"-ts=2", "-m", "x"});
  EXPECT_EQ(s.TimeShift, 1.0 / 24);
}

TEST(Parser, HelpStopsParsing) {
  Outcome r = run({"-t", "-?", "-verbose", "x"});
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(r.passes.empty());
  EXPECT_TRUE(RunSettings.Test);
  EXPECT_FALSE(RunSettings.Verbose);
}

TEST(Driver, LogFileNameComesFromTheStartTime) {
  EXPECT_EQ(logFileNameFor(encodeDateTime(2024, 1, 31, 9, 5, 59)), "_zantrel_240131-0905.log");
  Outcome r = run({"x"});
  ASSERT_EQ(r.passes.size(), 1u);
  EXPECT_EQ(r.passes[0].LogFileName.size(), std::string("_zantrel_240131-0905.log").size());
}

TEST(Driver, FolderPassPattern) {
  EXPECT_EQ(folderPassPattern("*.jpg,*.png"), "*.*");
  EXPECT_EQ(folderPassPattern("IMG*"), "IMG*.*");
  EXPECT_EQ(folderPassPattern(""), ".*");
  EXPECT_EQ(folderPassPattern("a.b/c"), "a.b/c.*");
  EXPECT_EQ(folderPassPattern("pics/x.tar.gz"), "pics/x.tar.*");
}

TEST(Driver, DirsAndFiles) {
  Outcome r = run({"-daf", "-s", "*.jpg,*.png"});
  ASSERT_EQ(r.passes.size(), 2u);
  EXPECT_TRUE(r.passes[0].Folders);
  EXPECT_EQ(r.passes[0].FileSpec, "*.*");
  EXPECT_FALSE(r.passes[1].Folders);
  EXPECT_EQ(r.passes[1].FileSpec, "*.jpg,*.png");
  EXPECT_TRUE(r.passes[0].Simple && r.passes[1].Simple);

  r = run({"-daf", "-dir", "*.jpg"});
  ASSERT_EQ(r.passes.size(), 2u);
  EXPECT_FALSE(r.passes[1].Folders);

  r = run({"-daf", "-fdff", "*.jpg"});
  ASSERT_EQ(r.passes.size(), 2u);
  EXPECT_TRUE(r.passes[0].FolderDateFromFiles && r.passes[1].FolderDateFromFiles);
  EXPECT_FALSE(r.passes[1].Folders);

  r = run({"-daf"});
  ASSERT_EQ(r.passes.size(), 1u);
  EXPECT_EQ(r.passes[0].FileSpec, ".*");
  EXPECT_EQ(r.out, "zantrel v0.61\nSyntax: zantrel [options] (files)  (help -? more --help)\n");
}

TEST(Driver, MediaLibrarySequenceAccumulates) {
  Outcome r = run({"-cm=/lib", "-nice", "-df=yy", "IMG_=x", "ignored.jpg"});
  ASSERT_EQ(r.passes.size(), 4u);
  const auto& p = r.passes;
  EXPECT_EQ(p[0].FileSpec,
            "*.jpg,*.jpeg,*.png,*.tif,*.tiff,*.gif,*.bmp,*.heic,*.heif,*.hif,*.avif,*.webp,"
            "*.nef,*.cr2,*.cr3,*.arw,*.dng,*.orf,*.rw2,*.raf,*.pef,*.srw,*.nrw,*.3fr,*.erf,*.kdc,*.mef,*.mos,*.iiq");
  EXPECT_TRUE(p[0].DatePrefix && p[0].ReadExif && p[0].DateExif && p[0].Simple && p[0].LowerExt);
  EXPECT_EQ(p[0].DateType, "E");
  EXPECT_EQ(p[0].DateFormat, "yy");
  EXPECT_EQ(p[1].DateFormat, "yyyymmdd");
  // Videos are filed by their recording date, read as a photo's is.
  EXPECT_EQ(p[1].DateType, "E");
  EXPECT_TRUE(p[1].ReadExif);
  EXPECT_FALSE(p[1].DateExif);
  EXPECT_TRUE(p[1].Simple && p[1].LowerExt && p[1].DatePrefix);
  EXPECT_EQ(p[1].FileSpec.substr(0, 12), "*.3g2,*.3gp,");
  EXPECT_FALSE(p[2].DatePrefix || p[2].ReadExif || p[3].ReadExif);
  EXPECT_EQ(p[2].DateType, "W");
  EXPECT_TRUE(p[2].DateFormat.empty());
  EXPECT_EQ(p[2].FileSpec.substr(0, 12), "*.3gp,*.8svx");
  EXPECT_EQ(p[3].FileSpec.substr(0, 11), "*.aa,*.aax,");
  for (const auto& s : p) {
    EXPECT_TRUE(s.Nice);
    EXPECT_EQ(s.MediaRoot, "/lib/");
    EXPECT_EQ(s.Replacements, std::vector<std::string>{"IMG_=x"});
  }
}

TEST(Driver, NiceSequence) {
  Outcome r = run({"-nice", "-t", "-log", "-verbose", "-sub", "-it=cam", "-s", "-l", "IMG_=x"});
  ASSERT_EQ(r.passes.size(), 5u);
  const auto& p = r.passes;
  for (const auto& s : p) {
    // A test run stays a test run; a requested log is written.
    EXPECT_TRUE(s.Test);
    EXPECT_TRUE(s.WriteLog);
    EXPECT_FALSE(s.Verbose || s.Recursive || s.LowerCase || s.Nice);
    EXPECT_EQ(s.Replacements, std::vector<std::string>{"IMG_=x"});
  }
  EXPECT_EQ(p[0].FileSpec, "*.jpg,*.jpeg,*.png");
  EXPECT_TRUE(p[0].DatePrefix && p[0].ReadExif && p[0].DateExif && p[0].Simple && p[0].LowerExt && p[0].EightOnly);
  EXPECT_EQ(p[0].DateType, "E");
  EXPECT_EQ(p[0].ImageTag, "cam");
  EXPECT_EQ(p[0].MaxSize, 0);
  EXPECT_EQ(p[1].FileSpec, "*.mts,*.mov");
  EXPECT_TRUE(p[1].DatePrefix && p[1].Simple && p[1].LowerExt && !p[1].EightOnly && !p[1].ReadExif);
  EXPECT_EQ(p[1].DateFormat, "yyyymmdd");
  EXPECT_EQ(p[1].TimeShift, 1.0 / 24);
  EXPECT_EQ(p[1].ImageTag, "cam");
  EXPECT_EQ(p[1].MaxSize, 0);
  EXPECT_EQ(p[2].FileSpec, "*.mp4");
  EXPECT_FALSE(p[2].DatePrefix || p[2].ReadExif || p[3].ReadExif);
  EXPECT_EQ(p[2].DateType, "W");
  EXPECT_TRUE(p[2].EightOnly && p[2].Simple);
  EXPECT_EQ(p[2].MaxSize, 402653184);
  EXPECT_EQ(p[2].DateFormat, "yyyymmdd");
  EXPECT_EQ(p[2].TimeShift, 1.0 / 24);
  EXPECT_EQ(p[3].FileSpec, "*.*");
  EXPECT_TRUE(p[3].Folders && p[3].Simple && p[3].LowerExt);
  EXPECT_TRUE(p[3].ImageTag.empty());
  EXPECT_EQ(p[3].MaxSize, 0);
  EXPECT_EQ(p[3].DateFormat, "yymmdd-hhnn");
  EXPECT_FALSE(p[4].Folders);
  EXPECT_EQ(p[4].FileSpec, "*.*");
  EXPECT_TRUE(p[4].Simple && p[4].LowerExt);
}

// A date from the name is the user's choice, not a stage's: it holds in
// every pass of both sequences, and neither sequence turns it on by itself.
TEST(Driver, DateFromNameHoldsAcrossTheSequences) {
  for (const char* mode : {"-nice", "-cm"}) {
    for (const auto& s : run({mode, "-dn"}).passes) EXPECT_TRUE(s.DateFromName) << mode;
    for (const auto& s : run({mode}).passes) EXPECT_FALSE(s.DateFromName) << mode;
  }
}

TEST(Driver, NiceLastStageRunsFoldersThenFiles) {
  std::vector<bool> folders;
  std::string out;
  platform::captureOutput(&out);
  runProgram({"-nice", "-maxsize=1000000"}, [&] {
    folders.push_back(RunSettings.Folders);
    if (RunSettings.FileSpec == "*.mp4") EXPECT_EQ(RunSettings.MaxSize, 1000000);
    else EXPECT_EQ(RunSettings.MaxSize, 0);
  });
  platform::captureOutput(nullptr);
  EXPECT_EQ(folders, (std::vector<bool>{false, false, false, true, false}));
}

TEST(Driver, ReplacementsAreFreshForEveryRun) {
  run({"a=b", "x"});
  Outcome r = run({"x"});
  EXPECT_TRUE(r.passes[0].Replacements.empty());
}

TEST(Driver, VerboseTimeShiftLine) {
  Outcome r = run({"-verbose", "-ts=1.25", "x"});
  EXPECT_EQ(r.out, "Time-Shift: 1d 06:00:00\n");
}

TEST(Driver, ErrorsEscapingAPassEndTheRunWithCodeOne) {
  std::string out;
  platform::captureOutput(&out);
  int code = runProgram({"x"}, [] { throw std::runtime_error("disk on fire"); });
  platform::captureOutput(nullptr);
  EXPECT_EQ(code, 1);
}

}  // namespace
}  // namespace zantrel
