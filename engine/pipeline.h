// The per-item pipeline: the fixed order of the steps that build an item's
// new name and end in a copy or in the commit.
#pragma once

#include "engine/item.h"

namespace zantrel {

// Runs steps 2 to 29 for one selected item.
void runPipeline(TPassItem& item);

}  // namespace zantrel
