#include "platform/file_status.h"

#include <sys/stat.h>

#include <ctime>

namespace platform {

FileStatus fileStatus(const std::string& path) {
  FileStatus result;
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return result;
  result.exists = true;
  result.isFolder = S_ISDIR(st.st_mode);
  result.size = static_cast<uint64_t>(st.st_size);
  struct tm local {};
  if (::localtime_r(&st.st_mtim.tv_sec, &local)) {
    result.localWriteTime =
        zantrel::encodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                                local.tm_sec, static_cast<int>(st.st_mtim.tv_nsec / 1000000));
  }
  return result;
}

}  // namespace platform
