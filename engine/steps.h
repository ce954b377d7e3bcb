// The steps of the per-item pipeline, in pipeline order. The order and the
// switches live in engine/pipeline.cpp; each step lives with its subject:
//
//   engine/pipeline.cpp     26 ending switch, 27 new path and verbose line
//   engine/path_prefix.cpp   3 first-parent prefix, 4 path prefix
//   engine/commit.cpp       29 commit
//   engine/exif_step.cpp     5 EXIF read
//   engine/name_steps.cpp    6-20 and 25, the name text steps
//   engine/probe_steps.cpp  21 image-size suffix
//   engine/date_steps.cpp    2, 22-24 and 28, and the folder date of the commit
//   engine/copy_endings.cpp  the two copy endings of step 26
//
// A step works on the item in place and says whether the item goes on.
#pragma once

#include <string>
#include <string_view>

#include "engine/item.h"

namespace zantrel {

enum class StepResult { Continue, EndItem };

StepResult stepItemDateFormat(TPassItem& item);     // 2
StepResult stepFirstParentPrefix(TPassItem& item);  // 3
StepResult stepPathPrefix(TPassItem& item);         // 4
StepResult stepExifRead(TPassItem& item);           // 5
StepResult stepReplacements(TPassItem& item);       // 6
StepResult stepCameraTags(TPassItem& item);         // 7
StepResult stepHtmlName(TPassItem& item);           // 8
StepResult stepSimpleName(TPassItem& item);         // 9
StepResult stepLowerCase(TPassItem& item);          // 10
StepResult stepUpperCase(TPassItem& item);          // 11
StepResult stepDownloadName(TPassItem& item);       // 12
StepResult stepNameCase(TPassItem& item);           // 13
StepResult stepLowerExt(TPassItem& item);           // 14
StepResult stepUpperExt(TPassItem& item);           // 15
StepResult stepDeleteAtStart(TPassItem& item);      // 16
StepResult stepDeleteAtEnd(TPassItem& item);        // 17
StepResult stepDeleteAtPosition(TPassItem& item);   // 18
StepResult stepPrefix(TPassItem& item);             // 19
StepResult stepSuffix(TPassItem& item);             // 20
StepResult stepImageSizeSuffix(TPassItem& item);    // 21
StepResult stepDatePrefix(TPassItem& item);         // 22
StepResult stepDateSuffix(TPassItem& item);         // 23
StepResult stepSetTime(TPassItem& item);            // 24
StepResult stepMaxLength(TPassItem& item);          // 25
StepResult stepEnding(TPassItem& item);             // 26
StepResult stepNewPath(TPassItem& item);            // 27
StepResult stepFileDatesFromExif(TPassItem& item);  // 28
StepResult stepCommit(TPassItem& item);             // 29

// Step 5 with the capture-date reader given (tests hand in one that fails).
using ExifDateReader = DateTime (*)(const TPassItem& item);
StepResult readExifDateWith(TPassItem& item, ExifDateReader reader);

// "Error: Can not read file " + ListedName + " (" + reason + ")": a step
// that judges the item by its content could not read it (error is the
// system's error number). The item then ends unchanged.
void reportUnreadable(const TPassItem& item, int error);

// "Error: Can not find file (char-set?) (" + ListedName + " / " +
// AccessPath + ")": the listed item is not there (any more).
void reportNotFound(const TPassItem& item);

// The item's last-write time (getWriteTime) and fileAge, from what
// selection saw while that still holds, else from the file.
DateTime itemWriteTime(const TPassItem& item);
DateTime itemFileAge(const TPassItem& item);

// The two endings of step 26; the item ends after either.
void copyEnding(TPassItem& item);       // -copy
void mediaCopyEnding(TPassItem& item);  // -cm

// The copies of the files that follow a copied item (-pairs), to the name
// (in the current folder) or the library path that the leader's copy gives
// them.
void copyFollower(TPassItem& item, const std::string& dest);
void mediaCopyFollower(TPassItem& item, const std::string& dest);

// The date an item is named with: by DateType the creation, last-access or
// last-write time of the file, or its EXIF date when it has one; plus
// TimeShift. The media-library copy files an item under it too.
DateTime selectItemDate(const TPassItem& item);

// The median of the last-write times (local, in two-second steps) of the
// plain files directly inside folder; 0 when there are none.
DateTime folderMedianDate(const std::string& folder);

// The report of the times that step 28 set (if it set any): a line naming
// the file as where (the name it has after the commit), and the log record.
void reportExifTimes(TPassItem& item, const std::string& where);

// Inside the commit of a folder pass with -fdff (never in test mode), before
// the folder is renamed: the folder's time stamps from its files.
void adjustFolderDate(const TPassItem& item);

}  // namespace zantrel
