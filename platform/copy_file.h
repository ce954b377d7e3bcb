// File copy that never overwrites: the destination is created exclusively,
// gets the source's modification and access times and permission bits, and
// is removed again when the copy cannot be completed.
#pragma once

#include <string>

namespace platform {

enum class CopyOutcome {
  Copied,
  DestinationExists,  // nothing was written
  Failed,             // source unreadable, disk full, ...: no partial file is left
};

CopyOutcome copyFileNoReplace(const std::string& source, const std::string& destination);

}  // namespace platform
