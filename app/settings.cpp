#include "app/settings.h"

#include <utility>

#include "lib/strings.h"

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

std::vector<std::string> filePatterns(const std::string& spec) {
  constexpr int MaxPatterns = 100;
  std::vector<std::string> patterns;
  for (int k = 1; k <= MaxPatterns; ++k) {
    std::string pattern = trimControls(splitField(spec, k, ','));
    if (pattern.empty()) break;
    patterns.push_back(std::move(pattern));
  }
  return patterns;
}

}  // namespace zantrel
