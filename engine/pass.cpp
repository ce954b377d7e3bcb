#include "engine/pass.h"

namespace zantrel {

void runPass() {}

}  // namespace zantrel
