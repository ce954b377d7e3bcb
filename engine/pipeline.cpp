#include "engine/pipeline.h"

#include "app/settings.h"
#include "engine/steps.h"
#include "platform/console.h"
#include "platform/filesystem.h"

namespace zantrel {

namespace {

using RunsWhen = bool (*)(const TRunSettings& s, const TPassItem& item);
using Step = StepResult (*)(TPassItem& item);

struct TPipelineRow {
  int Number;
  const char* Name;
  RunsWhen When;
  Step Run;
};

#define WHEN(condition) [](const TRunSettings& s, const TPassItem& item) -> bool { (void)s, (void)item; return condition; }

// Every step works on the name as the steps before it left it, and several
// look at what earlier ones produced (a date, a tag or a size already
// present), so the order is part of the behaviour. Step 1 is the selection
// in engine/pass.cpp. Steps 27 to 29 run only in the rename ending, since
// step 26 ends the item for both copy endings. engine/steps.h tells where
// each step lives.
const TPipelineRow Pipeline[] = {
    // #   step                         runs when                                              does
    {2,  "item date format",           WHEN(true),                                            stepItemDateFormat},
    {3,  "first-parent prefix",        WHEN(s.PathPrefix1),                                   stepFirstParentPrefix},
    {4,  "path prefix",                WHEN(s.PathPrefix),                                    stepPathPrefix},
    {5,  "EXIF read",                  WHEN(s.ReadExif),                                      stepExifRead},
    {6,  "replacements",               WHEN(!s.Replacements.empty()),                         stepReplacements},
    {7,  "camera tags",                WHEN(!s.ImageTag.empty()),                             stepCameraTags},
    {8,  "html names",                 WHEN(s.Html),                                          stepHtmlName},
    {9,  "simple names",               WHEN(s.Simple),                                        stepSimpleName},
    {10, "lower case",                 WHEN(s.LowerCase),                                     stepLowerCase},
    {11, "upper case",                 WHEN(s.UpperCase),                                     stepUpperCase},
    {12, "download names",             WHEN(s.Downloads),                                     stepDownloadName},
    {13, "name case",                  WHEN(s.NameCase),                                      stepNameCase},
    {14, "lower-case extension",       WHEN(s.LowerExt),                                      stepLowerExt},
    {15, "upper-case extension",       WHEN(s.UpperExt),                                      stepUpperExt},
    {16, "delete at start",            WHEN(s.DeleteCharsStart > 0),                          stepDeleteAtStart},
    {17, "delete at end",              WHEN(s.DeleteCharsEnd > 0),                            stepDeleteAtEnd},
    {18, "delete at position",         WHEN(s.DeleteCharsPos > 0 && s.DeleteCharsNum > 0),    stepDeleteAtPosition},
    {19, "prefix",                     WHEN(!s.Prefix.empty()),                               stepPrefix},
    {20, "suffix",                     WHEN(!s.Suffix.empty()),                               stepSuffix},
    {21, "image-size suffix",          WHEN(s.SuffixSize),                                    stepImageSizeSuffix},
    {22, "date prefix",                WHEN(s.DatePrefix && !(s.Nice && item.NoExifDate)),    stepDatePrefix},
    {23, "date suffix",                WHEN(s.DateSuffix),                                    stepDateSuffix},
    {24, "set time",                   WHEN(!s.SetTime.empty()),                              stepSetTime},
    {25, "maximum length",             WHEN(s.MaxLength > 16),                                stepMaxLength},
    {26, "ending switch",              WHEN(true),                                            stepEnding},
    {27, "new path and verbose line",  WHEN(true),                                            stepNewPath},
    {28, "file dates from EXIF",       WHEN(s.DateExif && item.ExifDate > 0),                 stepFileDatesFromExif},
    {29, "commit",                     WHEN(true),                                            stepCommit},
};

#undef WHEN

}  // namespace

void runPipeline(TPassItem& item) {
  for (const TPipelineRow& row : Pipeline) {
    if (row.When(RunSettings, item) && row.Run(item) == StepResult::EndItem) return;
  }
}

StepResult stepEnding(TPassItem& item) {
  if (RunSettings.Copy) {
    copyEnding(item);
    return StepResult::EndItem;
  }
  if (RunSettings.CopyMedia) {
    mediaCopyEnding(item);
    return StepResult::EndItem;
  }
  return StepResult::Continue;
}

void reportUnreadable(const TPassItem& item, int error) {
  platform::writeLine("Error: Can not read file " + item.ListedName + " (" + platform::errorText(error) + ")");
}

void reportNotFound(const TPassItem& item) {
  platform::writeLine("Error: Can not find file (char-set?) (" + item.ListedName + " / " + item.AccessPath + ")");
}

StepResult stepNewPath(TPassItem& item) {
  item.NewPath = item.FolderPart + item.WorkName;
  if (RunSettings.Verbose) platform::writeLine(" - " + item.NewPath);
  return StepResult::Continue;
}

}  // namespace zantrel
