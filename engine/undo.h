// Taking back a run from the log it wrote: its renames, last first, each
// object from its new name back to its old one, with the commit's own
// never-replacing rename, lines and records. What a rename cannot undo is
// reported and left: copies are kept (zantrel never deletes a copy on its
// own), time stamps, overwritten and deleted files cannot be brought back,
// since the log does not hold them.
#pragma once

#include <string>

#include "engine/rename_log.h"

namespace zantrel {

// Takes back the records of a log read whole and found good, in the
// current folder (the folder the logged run worked in). Test mode shows and
// changes nothing, like any pass.
void runUndo(const TLogReading& reading);

}  // namespace zantrel
