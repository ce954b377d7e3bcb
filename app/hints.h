// Notes on standard error that help a person past a slip: an option typed
// wrong, a value that was ignored, a run that found nothing. Standard
// output never changes for them. Each note comes at most once a run.
#pragma once

#include <string_view>

namespace zantrel {

// Writes "zantrel: " + text on standard error unless a note of this key
// was written since the last forgetHints.
void hintOnce(std::string_view key, std::string_view text);

// A new run: every note may come again.
void forgetHints();

}  // namespace zantrel
