// The FileStatus of a stat result, for the platform files that call stat
// or fstat themselves.
#pragma once

#include <sys/stat.h>

#include "platform/filesystem.h"

namespace platform {

FileStatus statusOf(const struct stat& st);

}  // namespace platform
