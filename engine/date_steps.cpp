// The date steps: 2 (item date format), 22 and 23 (date in the name), 24
// (set time), 28 (file dates from EXIF) and the folder date of the commit.
// Slots: until the date steps are built, the item date format stays
// DateFormat, the name gets no date and no time stamp changes.
#include "engine/steps.h"

namespace zantrel {

StepResult stepItemDateFormat(TPassItem&) { return StepResult::Continue; }
StepResult stepDatePrefix(TPassItem&) { return StepResult::Continue; }
StepResult stepDateSuffix(TPassItem&) { return StepResult::Continue; }
StepResult stepSetTime(TPassItem&) { return StepResult::Continue; }
StepResult stepFileDatesFromExif(TPassItem&) { return StepResult::Continue; }

void adjustFolderDate(const TPassItem&) {}

}  // namespace zantrel
