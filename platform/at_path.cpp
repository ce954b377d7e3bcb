#include "platform/at_path.h"

#include <limits.h>
#include <unistd.h>


namespace platform {

AtPath::AtPath(const std::string& path) : name_(path.c_str()) {
  if (path.size() < PATH_MAX) return;
  // The last name keeps any slashes after it ("dir/" names a folder), and
  // none before it: a name that begins with "/" would be resolved from the
  // root instead of from the folder.
  const size_t lastChar = path.find_last_not_of('/');
  if (lastChar == std::string::npos) return;
  const size_t slash = path.find_last_of('/', lastChar);
  if (slash == std::string::npos) return;  // one name longer than the limit: the call says so
  last_ = path.substr(slash + 1);
  name_ = last_.c_str();
  // The folders in pieces of whole names, each piece short enough for one
  // call. A piece after the first never begins with a slash, for the same
  // reason: the slashes at a cut ("a//b") all stay with the piece before.
  size_t start = 0;
  int dir = AT_FDCWD;
  while (start <= slash) {
    size_t end = slash + 1;
    if (end - start >= PATH_MAX) {
      const size_t cut = path.rfind('/', start + PATH_MAX - 2);
      if (cut == std::string::npos || cut < start) break;  // a name longer than the limit
      end = cut + 1;
    }
    const int next = ::openat(dir, path.substr(start, end - start).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) ::close(dir);
    dir = next;
    if (dir < 0) break;
    start = path.find_first_not_of('/', end);
    if (start == std::string::npos) start = slash + 1;
  }
  if (start <= slash) {
    // Not every folder could be opened: the whole path goes to the call,
    // which then fails and says that it is too long.
    if (dir >= 0) ::close(dir);
    name_ = path.c_str();
    return;
  }
  dir_ = dir;
}

AtPath::~AtPath() {
  if (dir_ >= 0) ::close(dir_);
}

}  // namespace platform
