#include "app/banner.h"

#include "app/settings.h"
#include "platform/console.h"

namespace zantrel {

namespace {

struct UsageLine {
  bool verboseOnly;
  const char* text;
};

// In print order; verbose-only lines appear with --help or -verbose.
const UsageLine Usage[] = {
    {false, "Usage: zantrel [options ...] file(s)"},
    {false, "Where options include:"},
    {true, " name=value: replace name in filename with value (filename.txt becomes filevalue.txt)"},
    {false, " -s|--simple: simple filenames"},
    {true, "\t- all dots in filename to _"},
    {true, "\t- only simple characters: A-Z,a-z,0-9,-_!() (cp850, latin1, Utf8)"},
    {true, "\t- trim underscores, multiple underscores etc"},
    {true, "\t- file extension (.ext) in lower case"},
    {true, " -h|--html: only lo ascii characters, no spaces (old, use -s)"},
    {false, " -l|--lowercase: rename filename to lower case (-le: lower .ext)"},
    {false, " -u|--uppercase: rename filename to upper case (-ue: upper .EXT)"},
    {false, " -n|--namecase: rename to Name Case (word dividers: _-.)"},
    {false, " -i|--images: shortcut for \"-dp -dt=Exif -de -s -le\""},
    {true, " -it|--image-tag=tag: replace IMG_ with tag_, IMG0 with tag0"},
    {true, "\tworks also with tags: DSC,SBCS,DSCN,DCP,DSCF,PICT,MVC,GOPRO,MOV,MVI"},
    {true, " -m|--movies: shortcut for \"-dp -ts=+01:00 -s -le\" (movie time usually in UTC)"},
    {false, " -t|--test: show rename but do not rename... (test)"},
    {false, " -dirs|--folders: rename folders instead of files"},
    {true, " -daf|--dirsandfiles: rename both directories and files"},
    {false, " -fdff|--folderdatefromfiles: update folder date to median of folder-file-dates"},
    {false, " -sub|--subdirectories: recursive down the subfolders"},
    {true, " -nice: 1 -i *.jpg|jpeg|png, 2 *.mp4|mts|mov, 3 -daf -s *.*"},
    {true, " -magic: if file has no extension try find one from content"},
    {true, " -max|--max=[x]: filename max length, tries whole word cut off"},
    {true, " -maxsize|--maxsize=[x]: if filesize larger then skip rename"},
    {true, " -minsize|--minsize=[x]: if filesize smaller then skip rename"},
    {true, " -ded|--delete-existing-destination: if renamed file already exists - delete it before rename"},
    {true, " -des|--delete-existing-source: if renamed file already exists - delete the source"},
    {true, " -copy|--copy: copy files instead to current location (from dvd etc)"},
    {true, " -cm|--copy-media: copy files to \"media library\""},
    {true, " -8|--8: only copy filename.jpg with length 8 (camera files..)"},
    {true, " -pre|--prefix=[x]: prefix filename with string ([x]filename.ext)"},
    {true, " -suf|--suffix=[x]: suffix filename with string (filename[x].ext)"},
    {true, " -pfn|--pathprefix: prefix filename with path"},
    {true, " -pfn1|--pathprefix1: prefix filename with first parent path (if not exist)"},
    {true, " -log|--logfile: write renames to zantrel_[datetime].log"},
    {false, " -ts|--time-shift: apply delta time on -dp|-ds|-de. [-|+]hh:mm or [-|+]days.fracday"},
    {true, "\tformat hh:mm:ss is max 23:59:59, for more timeshift use days.fracday"},
    {true, " -ss|--suffix_size: size suffix image files widthxheight"},
    {false, " -dp|--date-prefix: prefix filename with date"},
    {false, " -ds|--date-suffix: suffix filename with date"},
    {false, " -df|--date-format=[date format] (default yymmdd-hhnn)"},
    {true, "\tyy\tyear as a two-digit number (00-99)."},
    {true, "\tyyyy\tyear as a four-digit number (0000-9999)"},
    {true, "\tm\tmonth as a number without a leading zero (1-12)"},
    {true, "\tmm\tmonth as a number with a leading zero (01-12)"},
    {true, "\tmmm\tmonth as an abbreviation (Jan-Dec)"},
    {true, "\tmmmm\tmonth as a full name (January-December)"},
    {true, "\td\tday as a number without a leading zero (1-31)"},
    {true, "\tdd\tday as a number with a leading zero (01-31)"},
    {true, "\tddd\tday as an abbreviation (Sun-Sat)"},
    {true, "\tdddd\tday as a full name (Sunday-Saturday)"},
    {true, "\tddddd\tdate using \"ShortDateFormat\""},
    {true, "\tdddddd\tdate using \"LongDateFormat\""},
    {true, "\th\thour without a leading zero (0-23."},
    {true, "\thh\thour with a leading zero (00-23)"},
    {true, "\tn\tminute without a leading zero (0-59)"},
    {true, "\tnn\tminute with a leading zero (00-59)"},
    {true, "\ts\tsecond without a leading zero (0-59)"},
    {true, "\tss\tsecond with a leading zero (00-59)"},
    {false, " -dt|--date-type=[date type] Create|Accesed|Write|Exif (default Write=Modified)"},
    {true, "\tnote Accessed is seldom active on windows systems..."},
    {true, " -st|--set-time=date  set filetime on files to"},
    {false, " -de|--date-exif: set filedate from exif-datetime (only from images with exif...)"},
    {false, ""},
    {true, " -dcs|--delete-chars-start=[x] delete x number of char at start filname"},
    {true, " -dce|--delete-chars-end=[x] delete x number of char at end filname (excluding .ext)"},
    {true, " -dcp|--delete-chars-pos=[x] delete chars at position in filename (with -dcn)"},
    {true, " -dcn|--delete-chars-num=[x] delete x number of chars at position -dcp in filename"},
    {true, " -dst|--delete-string=[x] delete string in filename"},
    {true, ""},
    {false, " -install|-uninstall: install/uninstall as shell context menu (-show)"},
    {false, " -install=\"options file(s)\", default --images *.jpg"},
    {false, ""},
    {false, "Example: zantrel -i *.jpg"},
    {false, "Example: zantrel -install=\"-daf -s *.*\""},
    {false, "Example: zantrel -install=\"-nice\""},
    {false, ""},
    {false, ""},
    {false, "Latest version from: https://git.zantrel.org/zantrel"},
    {false, "Feedback: feedback@zantrel.org (subject:ZANTREL)"},
};

}  // namespace

void endProcess(int code) { throw ProcessExit{code}; }

void showBanner(std::string_view message) {
  if (RunSettings.BannerShown) return;
  platform::writeLine(BannerText);
  if (!RunSettings.UsageShown) platform::writeLine(SyntaxLine);
  if (!message.empty()) platform::writeLine(message);
  RunSettings.BannerShown = true;
}

void failAndExit(std::string_view message, int code) {
  showBanner();
  platform::writeLine(message);
  endProcess(code);
}

std::vector<std::string> usageLines(bool verbose) {
  std::vector<std::string> lines;
  for (const UsageLine& line : Usage) {
    if (verbose || !line.verboseOnly) lines.emplace_back(line.text);
  }
  return lines;
}

void printUsage() {
  RunSettings.UsageShown = true;
  showBanner();
  if (RunSettings.UsagePrinted) return;
  for (const std::string& line : usageLines(RunSettings.Verbose)) platform::writeLine(line);
  RunSettings.UsagePrinted = true;
}

}  // namespace zantrel
