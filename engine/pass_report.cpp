#include "engine/pass_report.h"

#include <string>

#include "app/outcome.h"
#include "engine/rename_log.h"
#include "platform/process.h"

namespace zantrel {

namespace {

TPassReport* current = nullptr;

// The progress line waits until the run has taken this long, so that a
// quick run leaves nothing on the screen but its result, and is drawn
// again at most this often.
constexpr int64_t ProgressDelayMs = 1000;
constexpr int64_t ProgressEveryMs = 100;

struct TProgress {
  bool enabled = false;  // standard error is a terminal
  int64_t runStart = 0;
  int64_t lastDrawn = 0;
} progress;

bool startsWithFailureWord(std::string_view text, std::string_view word) {
  if (text.size() <= word.size() || text.substr(0, word.size()) != word) return false;
  const char next = text[word.size()];
  return next == ' ' || next == '!' || next == ':';
}

}  // namespace

bool isFailureMessage(std::string_view message) {
  const size_t start = message.find_first_not_of(' ');
  if (start == std::string_view::npos) return false;
  message.remove_prefix(start);
  return startsWithFailureWord(message, "ERROR") || startsWithFailureWord(message, "Error");
}

void markItem(ItemMark mark) {
  if (current && current->item_) current->marks_ |= static_cast<uint8_t>(mark);
}

void writeNameLine(std::string_view name, std::string_view rest) {
  std::string line;
  line.reserve(name.size() + rest.size());
  line += name;
  line += rest;
  if (current) current->nameLength_ = name.size();
  platform::writeLine(line);
  if (current) current->nameLength_ = std::string_view::npos;
}

TPassReport::TPassReport() {
  current = this;
  platform::setOutputObserver(this);
  if (RunOutcome.Passes++ == 0) {
    progress = TProgress{};
    progress.enabled = platform::errorIsTerminal();
    if (progress.enabled) progress.runStart = platform::coarseMillis();
  }
}

TPassReport::~TPassReport() {
  platform::setOutputObserver(nullptr);
  current = nullptr;
}

void TPassReport::beginItem(const TPassItem& item) {
  item_ = &item;
  marks_ = 0;
  failed_ = false;
}

void TPassReport::endItem() {
  TRunOutcome& o = RunOutcome;
  ++o.Walked;
  auto has = [&](ItemMark mark) { return (marks_ & static_cast<uint8_t>(mark)) != 0; };
  if (failed_) ++o.Failed;
  else if (has(ItemMark::WouldFail)) ++o.WouldFail;
  else if (has(ItemMark::Deleted)) ++o.Deleted;
  else if (has(ItemMark::Renamed)) ++o.Renamed;
  else if (has(ItemMark::Copied)) ++o.Copied;
  else if (has(ItemMark::Dated)) ++o.Dated;
  else if (has(ItemMark::Previewed)) ++o.Previewed;
  else if (has(ItemMark::Skipped)) ++o.Skipped;
  else ++o.Unchanged;
  if (progress.enabled) showProgress(*item_);
  item_ = nullptr;
}

void TPassReport::showProgress(const TPassItem& item) {
  const int64_t now = platform::coarseMillis();
  if (now - progress.runStart < ProgressDelayMs || now - progress.lastDrawn < ProgressEveryMs) return;
  progress.lastDrawn = now;
  const std::string folder = item.FolderPart.empty() ? std::string(".") : escapeLogField(item.FolderPart);
  platform::showStatusLine("zantrel: " + std::to_string(RunOutcome.Walked) + " of " +
                           std::to_string(RunOutcome.Selected) + " items, in " + folder);
}

bool TPassReport::isFailureLine(std::string_view line) const {
  if (nameLength_ != std::string_view::npos) return isFailureMessage(line.substr(nameLength_));
  if (isFailureMessage(line)) return true;
  if (!item_) return false;
  for (const std::string* name : {&item_->ListedName, &item_->NewPath}) {
    if (!name->empty() && line.size() > name->size() && line.substr(0, name->size()) == *name &&
        line[name->size()] == ' ')
      return isFailureMessage(line.substr(name->size()));
  }
  return false;
}

void TPassReport::onLine(std::string_view text) {
  if (!isFailureLine(text)) return;
  if (item_) failed_ = true;
  else ++RunOutcome.OtherFailures;
}

// Every name a pass shows may hold control characters, and the fixed texts
// of its lines hold none: escaping the whole text escapes the names.
void TPassReport::forTerminal(std::string_view text, std::string& shown) { shown = escapeLogField(text); }

}  // namespace zantrel
