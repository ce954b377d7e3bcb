// Step 5, the EXIF read. Slot: until the EXIF reader exists no capture date
// is taken, so NoExifDate stays true and ExifDate 0.
#include "engine/steps.h"

namespace zantrel {

StepResult stepExifRead(TPassItem&) { return StepResult::Continue; }

}  // namespace zantrel
