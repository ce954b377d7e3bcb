#include "app/driver.h"

#include <exception>

#include "app/banner.h"
#include "app/hints.h"
#include "app/outcome.h"
#include "app/parser.h"
#include "app/settings.h"
#include "app/timeshift.h"
#include "engine/preview.h"
#include "engine/rename_log.h"
#include "engine/undo.h"
#include "lib/datetime.h"
#include "lib/paths.h"
#include "lib/strings.h"
#include "platform/console.h"
#include "platform/copy_file.h"
#include "platform/files.h"
#include "platform/filesystem.h"
#include "platform/process.h"

namespace zantrel {

namespace {

const char* const MediaImages =
    "*.jpg,*.jpeg,*.png,*.tif,*.tiff,*.gif,*.bmp,*.heic,*.heif,*.hif,*.avif,*.webp,"
    "*.nef,*.cr2,*.cr3,*.arw,*.dng,*.orf,*.rw2,*.raf,*.pef,*.srw,*.nrw,*.3fr,*.erf,*.kdc,*.mef,*.mos,*.iiq";
const char* const MediaVideos =
    "*.3g2,*.3gp,*.avi,*.mts,*.mov,*.mp4,*.qt,*.wmv,*.amv,*.asf,*.f4a,*.f4b,*.f4p,*.f4v,*.flv,*.m2v,*.m4v,*.mkv,"
    "*.mpe,*.mpeg,*.mpg,*.mpv,*.nsv,*.ogg,*.ogv,*.rm,*.rmvb,*.vob,*.webm,*.yuv";
const char* const MediaMusic =
    "*.3gp,*.8svx,*.aac,*.flac,*.m4b,*.m4p,*.mogg,*.mp3,*.mpc,*.oga,*.ogg,*.opus,*.ra,*.wma";
const char* const MediaAudio =
    "*.aa,*.aax,*.act,*.aiff,*.amr,*.ape,*.au,*.awb,*.dct,*.dvf,*.m4a,*.m4p,*.tta,*.vox,*.wav";

constexpr int64_t NiceMp4MaxSize = 402653184;  // 384 MiB

void folderPass(const PassRunner& pass) {
  TRunSettings& s = RunSettings;
  const std::string kept = s.FileSpec;
  s.Folders = true;
  s.FileSpec = folderPassPattern(kept);
  pass();
  s.Folders = false;
  s.FileSpec = kept;
}

void mediaLibrarySequence(const PassRunner& pass) {
  TRunSettings& s = RunSettings;
  applyImagesPreset(s);
  s.FileSpec = MediaImages;
  pass();

  // A video is filed under the day it was recorded, read from the file
  // as a photo's capture date is; its file date is the day it was copied.
  s.DateFormat = "yyyymmdd";
  s.DateType = "E";
  s.ReadExif = true;
  s.DateExif = false;
  s.FileSpec = MediaVideos;
  pass();

  // Music and audio files are filed by their file dates, as before.
  s.ReadExif = false;
  s.DateType = "W";
  s.ImageTag.clear();
  s.DatePrefix = false;
  s.DateFormat.clear();
  s.FileSpec = MediaMusic;
  pass();

  s.FileSpec = MediaAudio;
  pass();
}

void niceSequence(const PassRunner& pass) {
  TRunSettings& s = RunSettings;
  const std::string imageTag = s.ImageTag;
  const int64_t maxSize = s.MaxSize;
  // A test run must stay a test run, a requested log must be written,
  // dates asked for from names must be taken and photo sets asked to keep
  // one name must do so, whatever else the stages reset. The banner is
  // printed once per run.
  const bool test = s.Test;
  const bool writeLog = s.WriteLog;
  const bool dateFromName = s.DateFromName;
  const bool pairs = s.Pairs;
  auto resetStage = [&] {
    const bool bannerShown = s.BannerShown;
    resetSettings();
    s.Test = test;
    s.WriteLog = writeLog;
    s.DateFromName = dateFromName;
    s.Pairs = pairs;
    s.BannerShown = bannerShown;
  };

  resetStage();
  applyImagesPreset(s);
  s.ImageTag = imageTag;
  s.EightOnly = true;
  s.FileSpec = "*.jpg,*.jpeg,*.png";
  pass();

  resetStage();
  s.DatePrefix = true;
  s.DateFormat = "yyyymmdd";
  s.TimeShift = 1.0 / 24.0;
  s.Simple = true;
  s.LowerExt = true;
  s.ImageTag = imageTag;
  s.FileSpec = "*.mts,*.mov";
  pass();

  s.DatePrefix = false;
  s.MaxSize = maxSize != 0 ? maxSize : NiceMp4MaxSize;
  s.FileSpec = "*.mp4";
  s.EightOnly = true;
  pass();

  resetStage();
  s.Folders = true;
  s.Simple = true;
  s.LowerExt = true;
  s.FileSpec = "*.*";
  pass();
  s.Folders = false;
  pass();
}

}  // namespace

std::string logFileNameFor(double now) { return "_zantrel_" + formatDateTime("yymmdd-hhnn", now) + ".log"; }

std::string folderPassPattern(const std::string& spec) {
  std::string item = splitField(spec, 1, ',');
  const size_t slash = item.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = item.rfind('.');
  if (dot != std::string::npos && dot >= nameStart) item.erase(dot);
  return item + ".*";
}

namespace {

// A pass that a stop signal would cut short is not started at all, so the
// multi-pass modes end after the item in hand like a single pass.
PassRunner stoppable(const PassRunner& pass) {
  return [&pass] {
    if (platform::stopSignal() == 0) pass();
  };
}

bool contains(const std::vector<std::string>& list, const std::string& item) {
  for (const std::string& entry : list) {
    if (entry == item) return true;
  }
  return false;
}

// A folder a pattern looks in, as a person finds it: absolute, and with
// what is wrong with it when it cannot be listed.
std::string describeFolder(const std::string& folder) {
  std::string shown = folder;
  if (shown.empty() || shown[0] != '/') {
    const std::string here = platform::currentDirectory();
    shown = shown.empty() ? here : (here == "/" ? "" : here) + "/" + shown;
  }
  if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
  // Without its last "/", so that a file there shows as a file.
  std::string path = folder.empty() ? "." : folder;
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  switch (platform::objectKind(path)) {
    case platform::ObjectKind::Missing:
      return shown + ", which does not exist";
    case platform::ObjectKind::Folder:
      return platform::folderReadable(path) ? shown : shown + ", which cannot be read";
    default:
      return shown + ", which is not a folder";
  }
}

// After a run: name a pattern that was meant as an option, and say so
// when nothing at all was found.
// s: the settings as the command line left them, before any sequence
// changed them.
void hintAboutPatterns(const TRunSettings& s) {
  const bool specUsed = !s.CopyMedia && !s.Nice;
  const std::vector<std::string> patterns = filePatterns(s.FileSpec);
  size_t explained = 0;
  for (const std::string& pattern : patterns) {
    // The parser has named an option written without "=" already.
    if (isValueOptionName(pattern)) {
      ++explained;
    } else if (pattern.size() > 1 && pattern[0] == '-' &&
               (!specUsed || contains(RunOutcome.EmptyPatterns, pattern))) {
      hintUnknownOption(pattern, specUsed ? "no file matched it" : "ignored");
      ++explained;
    }
  }
  if (RunOutcome.Passes == 0 || RunOutcome.Selected > 0) return;
  if (specUsed && explained == patterns.size()) return;
  std::vector<std::string> folders;
  for (const std::string& pattern : specUsed ? patterns : std::vector<std::string>{""}) {
    const std::string folder = folderPart(pattern);
    if (!contains(folders, folder)) folders.push_back(folder);
  }
  std::string where;
  for (const std::string& folder : folders) where += (where.empty() ? "" : "; ") + describeFolder(folder);
  const std::string what = specUsed ? "'" + s.FileSpec + "'" : s.CopyMedia ? "the -cm patterns" : "the -nice patterns";
  hintOnce("nothing matched", "nothing matched " + what + (s.Recursive ? " in or below " : " in ") + where);
}

// On a terminal the run ends with one line that says what became of its
// items, and the exit status when it is not 0.
void showSummary(int code) {
  if (RunOutcome.Passes == 0 || !platform::errorIsTerminal()) return;
  std::string line = "zantrel: " + summaryText(RunOutcome);
  if (code != 0) line += " (exit status " + std::to_string(code) + ")";
  platform::writeErrorLine(line);
}

// Larger than any log a run over a whole photo collection writes.
constexpr size_t MaxUndoLogBytes = 256u << 20;

std::string unreadableLog(const std::string& path) {
  switch (platform::objectKind(path)) {
    case platform::ObjectKind::Missing:
      return "Error - Log not found: " + path;
    case platform::ObjectKind::Folder:
      return "Error - Not a zantrel log: " + path + " (a folder); nothing was changed";
    default:
      if (platform::objectSize(path) > static_cast<int64_t>(MaxUndoLogBytes)) {
        return "Error - Not a zantrel log: " + path + " (larger than any log); nothing was changed";
      }
      return "Error - Can not read the log: " + path;
  }
}

// Every undo keeps a log of its own, so that it can be taken back on its
// own: within the minute of the log it undoes, the usual name is taken.
std::string ownLogName(const std::string& usual) {
  if (!platform::pathExists(usual)) return usual;
  const std::string stem = usual.substr(0, usual.size() - std::string_view(".log").size());
  for (int n = 1;; ++n) {
    const std::string name = stem + "_" + std::to_string(n) + ".log";
    if (platform::pathExists(name)) continue;
    hintOnce("undo log", "this run logs to " + name + ", since " + usual + " is there already");
    return name;
  }
}

// -undo: the whole log is read and checked before anything changes.
void undoSequence() {
  TRunSettings& s = RunSettings;
  const std::string& path = s.UndoLog;
  std::string bytes;
  if (!platform::readWholeFile(path, bytes, MaxUndoLogBytes)) failAndExit(unreadableLog(path), 1);
  const TLogReading reading = readLogRecords(bytes);
  if (reading.BadLine > 0) {
    failAndExit("Error - Not a zantrel log: " + path + " (line " + std::to_string(reading.BadLine) + ": " +
                    reading.Problem + "); nothing was changed",
                1);
  }
  if (reading.Records.empty() && !reading.CutShort) {
    failAndExit("Error - Not a zantrel log: " + path + " (it holds no record); nothing was changed", 1);
  }
  // The names in a log are relative to the folder the run worked in, which
  // is where its log lies.
  if (!s.WorkFolderGiven) {
    const std::string folder = folderPart(path);
    if (!folder.empty() && !platform::setCurrentDirectory(folder)) failAndExit("Error - Path not found:" + folder, 1);
  }
  if (reading.CutShort) {
    // A write cut short leaves at most the last record unfinished. What it
    // held is not known for sure, so it is left out; if it was a rename, that
    // one stays, and the run says so in its exit status.
    const std::string& cut = reading.CutText;
    const bool rename = cut.rfind("rename", 0) == 0 || std::string_view("rename	").substr(0, cut.size()) == cut;
    hintOnce("cut record", "the last line of " + path + " has no line end and is no whole record; it is left out" +
                               (rename ? ", and the rename it was to record stays" : "") + ": " +
                               escapeLogField(cut));
    if (rename) ++RunOutcome.OtherFailures;
  }
  if (s.WriteLog && !s.Test) {
    s.LogFileName = ownLogName(s.LogFileName);
    if (!openRunLog()) ++RunOutcome.OtherFailures;
  }
  runUndo(reading);
}

int finishRun(int code) {
  // Each copy was reported once its bytes were on disk; the folders that
  // hold their new names follow here, each once.
  for (const std::string& folder : platform::flushCopyFolders()) {
    platform::writeErrorLine("zantrel: the copies in " + folder + " may not be on disk yet");
    ++RunOutcome.OtherFailures;
    if (code == 0) code = exitStatusOf(RunOutcome);
  }
  closeRunLog();
  RunSettings.Replacements.clear();
  platform::flushOutput();
  platform::clearStatusLine();
  if (RunOutcome.Signal != 0) platform::writeErrorLine("zantrel: stopped by " + platform::signalName(RunOutcome.Signal));
  showSummary(code);
  return code;
}

}  // namespace

int runProgram(const std::vector<std::string>& args, const PassRunner& runPass) {
  TRunSettings& s = RunSettings;
  RunOutcome = TRunOutcome{};
  const PassRunner runOnePass = stoppable(runPass);
  forgetHints();
  forgetPreview();
  try {
    s.Replacements.clear();
    s.LogFileName = logFileNameFor(platform::localNow());
    resetSettings();
    parseCommandLine(args);
    const TRunSettings parsed = s;
    if (s.Verbose) platform::writeLine("Time-Shift: " + formatTimeShift(s.TimeShift));
    if (!s.UndoLog.empty()) {
      undoSequence();
      RunOutcome.Signal = platform::stopSignal();
      return finishRun(exitStatusOf(RunOutcome));
    }
    // -dn stands in for a capture date that was looked for and not found;
    // where nothing looks for one it would silently do nothing.
    if (s.DateFromName && !s.ReadExif && !s.CopyMedia && !s.Nice) {
      hintOnce("date from name", "-dn changes nothing without a capture-date read (-i, -de, -dt=E, -cm, -nice)");
    }
    // One log for every pass, looked at before the first change.
    if (s.WriteLog && !s.Test && !openRunLog()) ++RunOutcome.OtherFailures;
    if (s.DirsAndFiles) folderPass(runOnePass);
    if (s.CopyMedia) mediaLibrarySequence(runOnePass);
    else if (s.Nice) niceSequence(runOnePass);
    else if (!s.FileSpec.empty()) runOnePass();
    else showBanner();
    hintAboutPatterns(parsed);
  } catch (const ProcessExit& exit) {
    return finishRun(exit.code);
  } catch (const std::exception& error) {
    platform::flushOutput();
    platform::writeErrorLine(std::string("zantrel: ") + error.what());
    return finishRun(1);
  }
  // A stop signal ended the run after the item in hand: the exit status
  // is the shell's 128 + the signal's number.
  RunOutcome.Signal = platform::stopSignal();
  return finishRun(exitStatusOf(RunOutcome));
}

}  // namespace zantrel
