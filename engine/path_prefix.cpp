// Steps 3 and 4: the folder in front of the name. An empty folder text
// (the usual case without -sub) adds nothing, not even a blank.
#include "app/settings.h"
#include "engine/steps.h"
#include "lib/simple_name.h"
#include "lib/strings.h"

namespace zantrel {

namespace {

std::string foldersAsBlanks(std::string text) {
  return fastReplace("/", " ", fastReplace("\\", " ", std::move(text)));
}

}  // namespace

StepResult stepFirstParentPrefix(TPassItem& item) {
  std::string parent = item.FolderPart;
  if (!parent.empty() && parent.back() == '/') parent.pop_back();
  const size_t slash = parent.rfind('/');
  if (slash != std::string::npos) parent.erase(0, slash + 1);
  parent = foldersAsBlanks(std::move(parent));
  const std::string shown = trimControls(parent);
  if (shown.empty()) return StepResult::Continue;
  // Compare the simple forms, so "Party" is found in "party_01.jpg" and
  // "2013" in "2013-05-01 party.jpg".
  const std::string wanted = simpleName(parent, false, SimpleNameLength);
  if (wanted.empty() || fastPos(wanted, simpleName(item.WorkName, false, SimpleNameLength), true, 1) == 0) {
    item.WorkName = shown + " " + item.WorkName;
  }
  return StepResult::Continue;
}

StepResult stepPathPrefix(TPassItem& item) {
  const std::string folder = trimControls(foldersAsBlanks(item.FolderPart));
  if (!folder.empty()) item.WorkName = folder + " " + item.WorkName;
  return StepResult::Continue;
}

}  // namespace zantrel
