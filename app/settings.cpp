#include "app/settings.h"

#include <utility>

namespace zantrel {

TRunSettings RunSettings;

void resetSettings() {
  TRunSettings fresh;
  fresh.Replacements = std::move(RunSettings.Replacements);
  fresh.LogFileName = std::move(RunSettings.LogFileName);
  RunSettings = std::move(fresh);
}

}  // namespace zantrel
