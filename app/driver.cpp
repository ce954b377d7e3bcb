#include "app/driver.h"

#include <exception>

#include "app/banner.h"
#include "app/outcome.h"
#include "app/parser.h"
#include "app/settings.h"
#include "app/timeshift.h"
#include "engine/rename_log.h"
#include "lib/datetime.h"
#include "lib/strings.h"
#include "platform/console.h"
#include "platform/process.h"

namespace zantrel {

namespace {

const char* const MediaImages = "*.jpg,*.jpeg,*.png,*.tif,*.tiff,*.gif,*.bmp";
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

  s.DateFormat = "yyyymmdd";
  s.DateType = "W";
  s.ReadExif = false;
  s.DateExif = false;
  s.FileSpec = MediaVideos;
  pass();

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
  // A test run must stay a test run and a requested log must be written,
  // whatever else the stages reset. The banner is printed once per run.
  const bool test = s.Test;
  const bool writeLog = s.WriteLog;
  auto resetStage = [&] {
    const bool bannerShown = s.BannerShown;
    resetSettings();
    s.Test = test;
    s.WriteLog = writeLog;
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

// On a terminal the run ends with one line that says what became of its
// items, and the exit status when it is not 0.
void showSummary(int code) {
  if (RunOutcome.Passes == 0 || !platform::errorIsTerminal()) return;
  std::string line = "zantrel: " + summaryText(RunOutcome);
  if (code != 0) line += " (exit status " + std::to_string(code) + ")";
  platform::writeErrorLine(line);
}

int finishRun(int code) {
  closeRunLog();
  RunSettings.Replacements.clear();
  platform::flushOutput();
  platform::clearStatusLine();
  showSummary(code);
  return code;
}

}  // namespace

int runProgram(const std::vector<std::string>& args, const PassRunner& runOnePass) {
  TRunSettings& s = RunSettings;
  RunOutcome = TRunOutcome{};
  try {
    s.Replacements.clear();
    s.LogFileName = logFileNameFor(platform::localNow());
    resetSettings();
    parseCommandLine(args);
    if (s.Verbose) platform::writeLine("Time-Shift: " + formatTimeShift(s.TimeShift));
    // One log for every pass, looked at before the first change.
    if (s.WriteLog && !s.Test && !openRunLog()) ++RunOutcome.OtherFailures;
    if (s.DirsAndFiles) folderPass(runOnePass);
    if (s.CopyMedia) mediaLibrarySequence(runOnePass);
    else if (s.Nice) niceSequence(runOnePass);
    else if (!s.FileSpec.empty()) runOnePass();
    else showBanner();
  } catch (const ProcessExit& exit) {
    return finishRun(exit.code);
  } catch (const std::exception& error) {
    platform::flushOutput();
    platform::writeErrorLine(std::string("zantrel: ") + error.what());
    return finishRun(1);
  }
  return finishRun(exitStatusOf(RunOutcome));
}

}  // namespace zantrel
