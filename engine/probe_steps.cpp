// The content probes in the pipeline: the magic extension of the selection
// and step 21, the image-size suffix. Slots: no content is recognised and
// no size is found until the probes exist.
#include "engine/steps.h"

namespace zantrel {

std::string magicExtension(const std::string&) { return {}; }

StepResult stepImageSizeSuffix(TPassItem&) { return StepResult::Continue; }

}  // namespace zantrel
