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

void applyImagesPreset(TRunSettings& s) {
  s.DatePrefix = true;
  s.DateType = 'E';
  s.ReadExif = true;
  s.DateExif = true;
  s.Simple = true;
  s.LowerExt = true;
}

}  // namespace zantrel
