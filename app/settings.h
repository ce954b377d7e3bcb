// The option values of one run, plus the console state of the banner and
// usage text. There is one instance for the whole process: the parser
// writes it, the driver changes it between passes, every pass reads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zantrel {

struct TRunSettings {
  // "name=value" entries in command-line order; resetSettings keeps them.
  std::vector<std::string> Replacements;

  bool Html = false;
  bool LowerCase = false;
  bool LowerExt = false;
  bool UpperCase = false;
  bool UpperExt = false;
  bool NameCase = false;
  bool Downloads = false;
  bool Simple = false;
  bool Test = false;
  bool Recursive = false;
  bool WriteLog = false;
  bool Copy = false;
  bool Magic = false;
  bool Nice = false;
  bool PathPrefix = false;
  bool PathPrefix1 = false;
  bool Folders = false;
  bool DeleteExistingDestination = false;
  bool DeleteExistingSource = false;
  bool DirsAndFiles = false;
  std::string FileSpec;
  bool DatePrefix = false;
  bool DateSuffix = false;
  std::string DateFormat = "yymmdd-hhnn";
  std::string DateType = "W";
  std::string SetTime;
  std::string ImageTag;
  std::string Prefix;
  std::string Suffix;
  bool SuffixSize = false;
  bool DateExif = false;
  std::string MediaRoot;
  bool CopyMedia = false;
  bool FolderDateFromFiles = false;
  bool ReadExif = false;
  // An item whose capture-date read finds no date takes the date written in
  // its name, when it holds one, instead of its file date.
  bool DateFromName = false;
  int32_t DeleteCharsStart = 0;
  int32_t DeleteCharsEnd = 0;
  int32_t DeleteCharsPos = 0;
  int32_t DeleteCharsNum = 0;
  int32_t MaxLength = 0;
  int64_t MaxSize = 0;
  int64_t MinSize = 0;
  double TimeShift = 0.0;  // days
  bool Verbose = false;
  bool EightOnly = false;
  // The files beside an item that share its base name (RAW and JPEG twins,
  // sidecars) take its new name with it.
  bool Pairs = false;
  // The log of an earlier run whose renames are to be taken back; empty for
  // an ordinary run.
  std::string UndoLog;
  // -cd named the folder to work in.
  bool WorkFolderGiven = false;
  // Fixed once at start; resetSettings keeps it.
  std::string LogFileName;

  // Console state.
  bool BannerShown = false;
  bool UsagePrinted = false;
  bool UsageShown = false;
};

extern TRunSettings RunSettings;

// Every field back to its default, except Replacements and LogFileName.
void resetSettings();

// The photo settings of -i, which the media library and -nice use too:
// EXIF date in front, file time from EXIF, simple name, lower-case extension.
void applyImagesPreset(TRunSettings& s);

// The patterns of a FileSpec: its comma-separated items with blanks and
// control characters trimmed, up to the first empty one, at most 100.
std::vector<std::string> filePatterns(const std::string& spec);

}  // namespace zantrel
