// The copy endings of step 26. Slots: until copying is built, an item of a
// -copy or -cm pass ends here untouched.
#include "engine/steps.h"

namespace zantrel {

void copyEnding(TPassItem&) {}
void mediaCopyEnding(TPassItem&) {}

}  // namespace zantrel
