// One pass of the rename engine over the current FileSpec.
#pragma once

namespace zantrel {

void runPass();

}  // namespace zantrel
