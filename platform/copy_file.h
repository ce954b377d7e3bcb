// File copy that never overwrites and is all or nothing: the bytes go into
// a temporary file in the destination folder (unnamed where the file system
// allows it, else hidden), which gets the source's modification and access
// times and permission bits, is flushed to disk, and only then gets its
// final name, without replacing anything. So nothing but a complete copy
// ever carries that name, whatever ends the run.
#pragma once

#include <string>
#include <vector>

#include "platform/input_file.h"

namespace platform {

enum class CopyOutcome {
  Copied,
  DestinationExists,  // nothing was written
  FolderMissing,      // the destination's folder is not there (or is no folder): nothing was written
  Failed,             // source unreadable, disk full, ...: no file is left
  Interrupted,        // a stop signal arrived (see stopSignal): the copy was taken back
};

// Holes of a sparse source stay holes in the copy. A source that ends
// before the size it had when the copy began fails it. The caller looks
// whether the destination is free first; a name taken meanwhile gives
// DestinationExists, the bytes copied for nothing taken back.
CopyOutcome copyFileNoReplace(const std::string& source, const std::string& destination);
// The same from a file that is open already (read for its capture date).
CopyOutcome copyFileNoReplace(const InputFile& source, const std::string& destination);

// A copy's bytes are on disk when it is reported; its name is on disk once
// its folder is flushed, which happens here for every folder that got a
// copy since the last call (and on the way, in groups, for a run that
// copies into many). The run calls it before it ends. The folders that
// could not be flushed, each with the reason.
std::vector<std::string> flushCopyFolders();

// True when both paths reach regular files of the same size and the same
// bytes; false when they differ or either cannot be read. Reads both in
// blocks and stops at the first difference.
bool sameFileContent(const std::string& a, const std::string& b);
bool sameFileContent(const InputFile& a, const std::string& b);

// Tests only: copy as on a file system without unnamed temporary files,
// through a hidden name.
void forceNamedTemporaryCopies(bool on);

}  // namespace platform
