// What became of the items of a run: the record behind the exit status and
// the summary line. The driver clears it at the start of a run; the passes
// add to it. Anything that gives an item a new outcome adds a counter here
// and says in exitStatusOf whether it makes the run fail.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace zantrel {

struct TRunOutcome {
  // Passes started, items their lists held, and items walked so far.
  uint64_t Passes = 0;
  uint64_t Selected = 0;
  uint64_t Walked = 0;

  // One of these per walked item, the first that applies in this order:
  // a failure line, a test-mode preview of what the real run would fail to
  // do, a deletion (-des), a rename, a copy, a change of time stamps only, a
  // test-mode preview, a skip (size, -8, an existing library copy, no media
  // kind); else the item needed nothing.
  uint64_t Failed = 0;
  uint64_t WouldFail = 0;
  uint64_t Deleted = 0;
  uint64_t Renamed = 0;
  uint64_t Copied = 0;
  uint64_t Dated = 0;
  uint64_t Previewed = 0;
  uint64_t Skipped = 0;
  uint64_t Unchanged = 0;

  // Failure lines outside any item, such as a folder that cannot be read
  // while a pass lists its patterns.
  uint64_t OtherFailures = 0;

  // The patterns of the run's passes that matched nothing, each once.
  std::vector<std::string> EmptyPatterns;

  // The folders that a pass could not read, as reported, each once however
  // many passes look into them.
  std::vector<std::string> UnreadableFolders;

  // -pairs: the files that followed a leader in a pass of the run. A later
  // pass (the media library's next kind) does not take them along again.
  std::unordered_set<std::string> Followed;

  // The stop signal that ended the run after the item in hand, as the
  // driver finds it once the run is over; the exit status is then the
  // shell's 128 + signal number.
  int Signal = 0;
};

extern TRunOutcome RunOutcome;

// Exit status of a run that went to its end: 0 when every item was done or
// needed nothing, 2 when anything failed (or, in test mode, would fail),
// 128 + n after signal n.
int exitStatusOf(const TRunOutcome& outcome);

// "3 renamed, 1 unchanged, 1 failed": the counts that are not 0, in the
// order of the record; "nothing selected" for a run without items.
std::string summaryText(const TRunOutcome& outcome);

}  // namespace zantrel
