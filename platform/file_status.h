// What the file system says about one path, in a single stat call.
#pragma once

#include <cstdint>
#include <string>

#include "lib/datetime.h"

namespace platform {

struct FileStatus {
  bool exists = false;
  bool isFolder = false;
  uint64_t size = 0;
  zantrel::DateTime localWriteTime = 0;  // last write as local wall-clock time
};

// Follows symbolic links; exists is false for a missing path or a dangling
// link.
FileStatus fileStatus(const std::string& path);

}  // namespace platform
