#include "app/parser.h"

#include <charconv>
#include <limits>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "app/banner.h"
#include "app/hints.h"
#include "app/settings.h"
#include "app/timeshift.h"
#include "lib/strings.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "shell/context_menu.h"

namespace zantrel {

namespace {

enum class ValueOption {
  ImageTag,
  Format,
  TimeShift,
  CurrentDirectory,
  CopyMedia,
  DateFormat,
  DateType,
  SetTime,
  DeleteCharsStart,
  DeleteCharsEnd,
  DeleteCharsPos,
  MaxLength,
  MaxSize,
  MinSize,
  DeleteString,
  Install,
  Prefix,
  Suffix,
  DeleteCharsNum,
  Undo,
};

enum class BareOption {
  Help,
  Version,
  Install,
  Uninstall,
  Show,
  FolderDateFromFiles,
  Html,
  Simple,
  LowerCase,
  EightOnly,
  LowerExt,
  UpperCase,
  UpperExt,
  Magic,
  NameCase,
  Test,
  Downloads,
  DeleteExistingDestination,
  DeleteExistingSource,
  Folders,
  DirsAndFiles,
  Recursive,
  Copy,
  CopyMedia,
  PathPrefix,
  WriteLog,
  PathPrefix1,
  SuffixSize,
  DatePrefix,
  DateSuffix,
  DateExif,
  DateFromName,
  Verbose,
  Images,
  Movies,
  Nice,
  Pairs,
};

template <typename Option>
struct OptionRow {
  std::initializer_list<std::string_view> aliases;
  Option option;
};

// Tested top to bottom; the first row with a matching alias applies.
const OptionRow<ValueOption> ValueOptions[] = {
    {{"/it", "-it", "--image-tag"}, ValueOption::ImageTag},
    {{"/f", "-f", "--format"}, ValueOption::Format},
    {{"/ts", "-ts", "--time-shift"}, ValueOption::TimeShift},
    {{"/cd", "-cd", "--current-directory"}, ValueOption::CurrentDirectory},
    {{"/cm", "-cm", "--copy-media"}, ValueOption::CopyMedia},
    {{"/df", "-df", "--date-format"}, ValueOption::DateFormat},
    {{"/dt", "-dt", "--date-type"}, ValueOption::DateType},
    {{"/st", "-st", "/sd", "-sd", "--set-time", "--set-date"}, ValueOption::SetTime},
    {{"/dcs", "-dcs", "--delete-chars-start"}, ValueOption::DeleteCharsStart},
    {{"/dce", "-dce", "--delete-chars-end"}, ValueOption::DeleteCharsEnd},
    {{"/dcp", "-dcp", "--delete-chars-pos"}, ValueOption::DeleteCharsPos},
    {{"/max", "-max", "--max", "--max-length"}, ValueOption::MaxLength},
    {{"/maxsize", "-maxsize", "--maxsize"}, ValueOption::MaxSize},
    {{"/minsize", "-minsize", "--minsize"}, ValueOption::MinSize},
    {{"/dst", "-dst", "--delete-string"}, ValueOption::DeleteString},
    {{"/install", "-install", "--install", "/shell", "-shell", "--shell"}, ValueOption::Install},
    {{"/pre", "-pre", "--prefix"}, ValueOption::Prefix},
    {{"/suf", "-suf", "--suffix"}, ValueOption::Suffix},
    {{"/dcn", "-dcn", "--delete-chars-num"}, ValueOption::DeleteCharsNum},
    {{"/undo", "-undo", "--undo"}, ValueOption::Undo},
};

const OptionRow<BareOption> BareOptions[] = {
    {{"?", "/?", "-?", "--help"}, BareOption::Help},
    {{"-V", "--version"}, BareOption::Version},
    {{"/install", "-install", "--install", "/shell", "-shell", "--shell"}, BareOption::Install},
    {{"/uninstall", "-uninstall", "--uninstall", "/unshell", "-unshell", "--unshell"}, BareOption::Uninstall},
    {{"/show", "-show", "--show"}, BareOption::Show},
    {{"/fdff", "-fdff", "--folderdatefromfiles"}, BareOption::FolderDateFromFiles},
    {{"/h", "-h", "--html"}, BareOption::Html},
    {{"/s", "-s", "--simple"}, BareOption::Simple},
    {{"/l", "-l", "--lowercase"}, BareOption::LowerCase},
    {{"/8", "-8", "--8"}, BareOption::EightOnly},
    {{"/le", "-le"}, BareOption::LowerExt},
    {{"/u", "-u", "--uppercase"}, BareOption::UpperCase},
    {{"/ue", "-ue"}, BareOption::UpperExt},
    {{"-magic", "-magick", "--magic", "--magick"}, BareOption::Magic},
    {{"/n", "-n", "--namecase"}, BareOption::NameCase},
    {{"/t", "-t", "--test"}, BareOption::Test},
    {{"/d", "-d", "--downloads"}, BareOption::Downloads},
    {{"/ded", "-ded", "--delete-existing-destination"}, BareOption::DeleteExistingDestination},
    {{"/des", "-des", "--delete-existing-source"}, BareOption::DeleteExistingSource},
    {{"/dir", "-dir", "/dirs", "-dirs", "--folders"}, BareOption::Folders},
    {{"/daf", "-daf", "--dirsandfiles"}, BareOption::DirsAndFiles},
    {{"/sub", "-sub", "/subs", "-subs", "--subdirs", "--subfolders", "--recursive"}, BareOption::Recursive},
    {{"/copy", "-copy", "--copy"}, BareOption::Copy},
    {{"/cm", "-cm", "--copy-media"}, BareOption::CopyMedia},
    {{"/pfn", "-pfn", "--pathprefix"}, BareOption::PathPrefix},
    {{"/log", "-log", "--logfile"}, BareOption::WriteLog},
    {{"/pfn1", "-pfn1", "--pathprefix1"}, BareOption::PathPrefix1},
    {{"/ss", "-ss", "--suffix-size"}, BareOption::SuffixSize},
    {{"/dp", "-dp", "--date-prefix"}, BareOption::DatePrefix},
    {{"/ds", "-ds", "--date-suffix"}, BareOption::DateSuffix},
    {{"/de", "-de", "--date-exif"}, BareOption::DateExif},
    {{"/dn", "-dn", "--date-from-name"}, BareOption::DateFromName},
    {{"/verbose", "-verbose", "--verbose"}, BareOption::Verbose},
    {{"/i", "-i", "--images"}, BareOption::Images},
    {{"/m", "-m", "--movies"}, BareOption::Movies},
    {{"/nice", "-nice", "--nice"}, BareOption::Nice},
    {{"/pairs", "-pairs", "--pairs"}, BareOption::Pairs},
};

template <typename Option, size_t N>
const Option* findOption(const OptionRow<Option> (&table)[N], std::string_view name) {
  for (const auto& row : table) {
    for (std::string_view alias : row.aliases) {
      if (equalsIgnoreAsciiCase(alias, name)) return &row.option;
    }
  }
  return nullptr;
}

// A value that is no decimal integer of the field's range leaves the field
// as it was, and says so. The size limits are 64-bit: a limit of 3 GB is a
// limit like any other.
template <typename Field>
void setInteger(Field& field, std::string_view name, std::string_view value) {
  std::string_view text = value;
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  Field number = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, number);
  if (ec == std::errc() && ptr == end && !text.empty()) {
    field = number;
    return;
  }
  const std::string given = std::string(name) + "=" + std::string(value);
  hintOnce("integer " + given, "ignored " + given + ": the value must be a whole number from " +
                                   std::to_string(std::numeric_limits<Field>::min()) + " to " +
                                   std::to_string(std::numeric_limits<Field>::max()));
}

// Any other letter names no time stamp; the pass then uses the last-write
// time, as for W.
void checkDateType(std::string_view name, std::string_view value) {
  const std::string& type = RunSettings.DateType;
  if (type == "C" || type == "A" || type == "W" || type == "E") return;
  const std::string given = std::string(name) + "=" + std::string(value);
  hintOnce("date type " + given, given + ": the date type is C, A, W or E (creation, access, write, EXIF); " +
                                     "the last-write time is used");
}

std::string withTrailingSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

void applyValueOption(ValueOption option, const std::string& name, const std::string& value) {
  TRunSettings& s = RunSettings;
  switch (option) {
    case ValueOption::ImageTag:
      s.ImageTag = trimControls(value);
      break;
    case ValueOption::Format:
      break;
    case ValueOption::TimeShift:
      s.TimeShift = parseTimeShift(value);
      break;
    case ValueOption::CurrentDirectory:
      if (!platform::setCurrentDirectory(value)) failAndExit("Error - Path not found:" + value, 1);
      s.WorkFolderGiven = true;
      break;
    case ValueOption::CopyMedia:
      s.MediaRoot = withTrailingSlash(value);
      s.CopyMedia = true;
      break;
    case ValueOption::DateFormat:
      s.DateFormat = value;
      break;
    case ValueOption::DateType:
      s.DateType = value.empty() ? std::string() : std::string(1, asciiUpper(value[0]));
      if (s.DateType == "E") s.ReadExif = true;
      checkDateType(name, value);
      break;
    case ValueOption::SetTime:
      s.SetTime = value;
      break;
    case ValueOption::DeleteCharsStart:
      setInteger(s.DeleteCharsStart, name, value);
      break;
    case ValueOption::DeleteCharsEnd:
      setInteger(s.DeleteCharsEnd, name, value);
      break;
    case ValueOption::DeleteCharsPos:
      setInteger(s.DeleteCharsPos, name, value);
      break;
    case ValueOption::MaxLength:
      setInteger(s.MaxLength, name, value);
      break;
    case ValueOption::MaxSize:
      setInteger(s.MaxSize, name, value);
      break;
    case ValueOption::MinSize:
      setInteger(s.MinSize, name, value);
      break;
    case ValueOption::DeleteString:
      s.Replacements.push_back(value + "=.");
      break;
    case ValueOption::Install:
      installContextMenu(value, s.Test);
      break;
    case ValueOption::Prefix:
      s.Prefix = value;
      break;
    case ValueOption::Suffix:
      s.Suffix = value;
      break;
    case ValueOption::DeleteCharsNum:
      setInteger(s.DeleteCharsNum, name, value);
      break;
    case ValueOption::Undo:
      s.UndoLog = value;
      break;
  }
}

void applyBareOption(BareOption option, const std::string& arg) {
  TRunSettings& s = RunSettings;
  switch (option) {
    case BareOption::Help:
      if (equalsIgnoreAsciiCase(arg, "--help")) s.Verbose = true;
      printUsage();
      endProcess(0);
    case BareOption::Version:
      // The banner line alone, so that scripts and packagers can read it.
      platform::writeLine(BannerText);
      endProcess(0);
    case BareOption::Install:
      installContextMenu(DefaultMenuOptions, s.Test);
      endProcess(0);
    case BareOption::Uninstall:
      uninstallContextMenu(s.Test);
      endProcess(0);
    case BareOption::Show:
      showContextMenu();
      endProcess(0);
    case BareOption::FolderDateFromFiles:
      s.FolderDateFromFiles = true;
      s.Folders = true;
      break;
    case BareOption::Html: s.Html = true; break;
    case BareOption::Simple: s.Simple = true; break;
    case BareOption::LowerCase: s.LowerCase = true; break;
    case BareOption::EightOnly: s.EightOnly = true; break;
    case BareOption::LowerExt: s.LowerExt = true; break;
    case BareOption::UpperCase: s.UpperCase = true; break;
    case BareOption::UpperExt: s.UpperExt = true; break;
    case BareOption::Magic: s.Magic = true; break;
    case BareOption::NameCase: s.NameCase = true; break;
    case BareOption::Test: s.Test = true; break;
    case BareOption::Downloads: s.Downloads = true; break;
    case BareOption::DeleteExistingDestination: s.DeleteExistingDestination = true; break;
    case BareOption::DeleteExistingSource: s.DeleteExistingSource = true; break;
    case BareOption::Folders: s.Folders = true; break;
    case BareOption::DirsAndFiles: s.DirsAndFiles = true; break;
    case BareOption::Recursive: s.Recursive = true; break;
    case BareOption::Copy: s.Copy = true; break;
    case BareOption::CopyMedia:
      s.MediaRoot = withTrailingSlash(platform::homeDirectory()) + "Media/";
      s.CopyMedia = true;
      break;
    case BareOption::PathPrefix: s.PathPrefix = true; break;
    case BareOption::WriteLog: s.WriteLog = true; break;
    case BareOption::PathPrefix1: s.PathPrefix1 = true; break;
    case BareOption::SuffixSize: s.SuffixSize = true; break;
    case BareOption::DatePrefix: s.DatePrefix = true; break;
    case BareOption::DateSuffix: s.DateSuffix = true; break;
    case BareOption::DateExif:
      s.DateExif = true;
      s.ReadExif = true;
      break;
    case BareOption::DateFromName: s.DateFromName = true; break;
    case BareOption::Verbose: s.Verbose = true; break;
    case BareOption::Images:
      applyImagesPreset(s);
      break;
    case BareOption::Movies:
      s.DatePrefix = true;
      s.Simple = true;
      s.TimeShift = 1.0 / 24.0;
      s.LowerExt = true;
      break;
    case BareOption::Nice: s.Nice = true; break;
    case BareOption::Pairs: s.Pairs = true; break;
  }
}

// explained: the argument was named in a note already (the value of an
// option written without "=").
void takeFileArgument(const std::string& arg, bool explained) {
  if (arg == "0") return;
  if (RunSettings.FileSpec.empty()) {
    RunSettings.FileSpec = arg;
    return;
  }
  showBanner();
  if (explained) return;
  if (arg.size() > 1 && arg[0] == '-' && !platform::pathExists(arg)) {
    hintUnknownOption(arg, "ignored");
    return;
  }
  // The shell expands unquoted wildcards, so a surplus file argument almost
  // always means the pattern needed quotes.
  hintOnce("surplus", "ignoring surplus file argument \"" + arg +
                          "\"; the shell expanded a wildcard. Quote patterns, e.g. '*.jpg'");
}

// "-df yyyymmdd": the shell made two arguments of what must be one.
void hintValueWithoutEquals(const std::string& option, const std::string* next) {
  std::string value = next ? *next : "value";
  if (value.find_first_of(" \t") != std::string::npos) value = "\"" + value + "\"";
  hintOnce("no equals " + asciiLowerText(option),
           option + " takes its value after \"=\": write " + option + "=" + value);
}

// -undo takes back what a log holds and nothing else: an option that
// builds, selects, copies or re-dates names would mean something the log
// cannot say, so the command line is refused before anything changes.
struct TUndoCheck {
  bool undoGiven = false;
  std::string firstOther;  // the first argument that cannot go with -undo

  void other(const std::string& arg) {
    if (firstOther.empty()) firstOther = arg;
  }
  void bare(BareOption option, const std::string& arg) {
    if (option != BareOption::Test && option != BareOption::WriteLog && option != BareOption::Verbose) other(arg);
  }
  void value(ValueOption option, const std::string& arg) {
    if (option == ValueOption::Undo) undoGiven = true;
    else if (option != ValueOption::CurrentDirectory && option != ValueOption::Format) other(arg);
  }
  void finish() const {
    if (!undoGiven) return;
    if (RunSettings.UndoLog.empty()) failAndExit("Error - -undo needs the log to take back: -undo=LOG", 1);
    if (firstOther.empty()) return;
    failAndExit("Error - -undo can not be combined with " + firstOther +
                    " (it takes back the renames of its log as they were; only -t, -log, -cd and -verbose go with it)",
                1);
  }
};

}  // namespace

bool isValueOptionName(std::string_view name) { return findOption(ValueOptions, name) != nullptr; }
bool isBareOptionName(std::string_view name) { return findOption(BareOptions, name) != nullptr; }

std::string closestOption(std::string_view typed) {
  // Near enough to be a slip of the fingers, not so near that any short
  // word would be taken for an option.
  const size_t limit = std::min<size_t>(2, (typed.size() - 1) / 2);
  std::string best;
  size_t bestDistance = limit + 1;
  for (const std::string& alias : optionAliases()) {
    if (alias.empty() || typed.empty() || alias[0] != typed[0]) continue;
    const size_t distance = editDistance(typed, alias);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = alias;
    }
  }
  if (!best.empty() && isValueOptionName(best) && !isBareOptionName(best)) best += "=";
  return best;
}

void hintUnknownOption(std::string_view arg, std::string_view fate) {
  const std::string closest = closestOption(arg);
  const std::string suggestion = closest.empty() ? "." : "; did you mean " + closest + "?";
  hintOnce("unknown " + std::string(arg), "unknown option " + std::string(arg) + " (" + std::string(fate) + ")" +
                                             suggestion + " See zantrel -? for the options.");
}

std::vector<std::string> optionAliases() {
  std::vector<std::string> aliases;
  for (const auto& row : ValueOptions) aliases.insert(aliases.end(), row.aliases.begin(), row.aliases.end());
  for (const auto& row : BareOptions) aliases.insert(aliases.end(), row.aliases.begin(), row.aliases.end());
  return aliases;
}

void parseCommandLine(const std::vector<std::string>& args) {
  // A test run changes nothing wherever -t stands, also where -install or
  // -uninstall comes first and ends the run at once.
  for (const std::string& arg : args) {
    const BareOption* option = arg.find('=') == std::string::npos ? findOption(BareOptions, arg) : nullptr;
    if (option && *option == BareOption::Test) RunSettings.Test = true;
  }
  size_t explained = args.size();  // the argument a note named already
  TUndoCheck undo;
  size_t i = 0;
  while (i < args.size()) {
    const std::string& arg = args[i];
    const size_t eq = arg.find('=');
    if (eq == std::string::npos) {
      const BareOption* option = findOption(BareOptions, arg);
      if (option) {
        undo.bare(*option, arg);
        applyBareOption(*option, arg);
      } else {
        if (arg != "0") undo.other(arg);
        bool named = i == explained;
        if (!named && isValueOptionName(arg)) {
          hintValueWithoutEquals(arg, i + 1 < args.size() ? &args[i + 1] : nullptr);
          explained = i + 1;
          named = true;
        }
        takeFileArgument(arg, named);
      }
      ++i;
      continue;
    }

    const std::string name = trimControls(std::string_view(arg).substr(0, eq));
    std::string value = trimControls(std::string_view(arg).substr(eq + 1, MaxValueLength));
    size_t last = i;  // the argument taken last
    if (!value.empty() && value.front() == '"') {
      // A quoted value may have been split at blanks: join the following
      // arguments until one ends the quote.
      auto open = [&] { return value.size() == 1 || args[last].empty() || args[last].back() != '"'; };
      if (value.size() == 1 || value.back() != '"') {
        while (last + 1 < args.size() && open()) {
          ++last;
          value += ' ';
          value += args[last];
        }
      }
      const bool closed = value.size() >= 2 && value.back() == '"';
      // An unterminated quote loses only its opening quote, never text.
      value = closed ? value.substr(1, value.size() - 2) : value.substr(1);
    }
    i = last + 1;

    if (const ValueOption* option = findOption(ValueOptions, name)) {
      undo.value(*option, name + "=");
      applyValueOption(*option, name, value);
    } else {
      undo.other(arg);
      RunSettings.Replacements.push_back(stripQuotes(name) + "=" + stripQuotes(value));
    }
  }
  undo.finish();
}

}  // namespace zantrel
