// The name text steps: 6 to 20 and 25.
//
// Built so far: replacements (6), prefix (19) and suffix (20). Every other
// step here is a slot that leaves the name as it is until the text steps
// are built; prefixTestName likewise returns the text unchanged until the
// simple-name normaliser exists.
#include "app/settings.h"
#include "engine/steps.h"
#include "lib/strings.h"

namespace zantrel {

namespace {

std::string entryName(const std::string& entry) { return entry.substr(0, entry.find('=')); }

std::string entryValue(const std::string& entry) {
  const size_t eq = entry.find('=');
  return eq == std::string::npos ? std::string() : entry.substr(eq + 1);
}

}  // namespace

StepResult stepReplacements(TPassItem& item) {
  const auto& entries = RunSettings.Replacements;
  for (const std::string& entry : entries) {
    const std::string name = entryName(entry);
    // A name given twice takes the value of its first entry.
    std::string value;
    for (const std::string& other : entries) {
      if (equalsIgnoreAsciiCase(entryName(other), name)) {
        value = entryValue(other);
        break;
      }
    }
    if (value == ".") value.clear();
    item.WorkName = fastReplace(name, value, std::move(item.WorkName));
  }
  return StepResult::Continue;
}

StepResult stepPrefix(TPassItem& item) {
  item.WorkName = RunSettings.Prefix + item.WorkName;
  return StepResult::Continue;
}

// After the extension: "a.jpg" with "_old" becomes "a.jpg_old".
StepResult stepSuffix(TPassItem& item) {
  item.WorkName += RunSettings.Suffix;
  return StepResult::Continue;
}

// Slots.
StepResult stepCameraTags(TPassItem&) { return StepResult::Continue; }
StepResult stepHtmlName(TPassItem&) { return StepResult::Continue; }
StepResult stepSimpleName(TPassItem&) { return StepResult::Continue; }
StepResult stepLowerCase(TPassItem&) { return StepResult::Continue; }
StepResult stepUpperCase(TPassItem&) { return StepResult::Continue; }
StepResult stepDownloadName(TPassItem&) { return StepResult::Continue; }
StepResult stepNameCase(TPassItem&) { return StepResult::Continue; }
StepResult stepLowerExt(TPassItem&) { return StepResult::Continue; }
StepResult stepUpperExt(TPassItem&) { return StepResult::Continue; }
StepResult stepDeleteAtStart(TPassItem&) { return StepResult::Continue; }
StepResult stepDeleteAtEnd(TPassItem&) { return StepResult::Continue; }
StepResult stepDeleteAtPosition(TPassItem&) { return StepResult::Continue; }
StepResult stepMaxLength(TPassItem&) { return StepResult::Continue; }

std::string prefixTestName(std::string_view text) { return std::string(text); }

}  // namespace zantrel
