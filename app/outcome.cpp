#include "app/outcome.h"

namespace zantrel {

TRunOutcome RunOutcome;

int exitStatusOf(const TRunOutcome& outcome) {
  if (outcome.Signal > 0) return 128 + outcome.Signal;
  if (outcome.Failed > 0 || outcome.OtherFailures > 0 || outcome.WouldFail > 0) return 2;
  return 0;
}

std::string summaryText(const TRunOutcome& o) {
  const struct {
    uint64_t count;
    const char* word;
  } parts[] = {
      {o.Renamed, "renamed"},     {o.Copied, "copied"},        {o.Deleted, "deleted"},
      {o.Dated, "re-dated"},      {o.Previewed, "shown (test)"}, {o.WouldFail, "would fail (test)"}, {o.Unchanged, "unchanged"},
      {o.Skipped, "skipped"},     {o.Failed + o.OtherFailures, "failed"},
  };
  std::string text;
  for (const auto& part : parts) {
    if (part.count == 0) continue;
    if (!text.empty()) text += ", ";
    text += std::to_string(part.count) + " " + part.word;
  }
  return text.empty() ? "nothing selected" : text;
}

}  // namespace zantrel
