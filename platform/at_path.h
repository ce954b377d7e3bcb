// For the platform layer only: a path as a folder descriptor and a name in
// it, for the *at system calls. A path shorter than the system's limit
// (PATH_MAX) goes to the system unchanged; a longer one, from a tree deeper
// than one call can name, has its folders opened piece by piece, so that no
// depth of folders is out of reach.
#pragma once

#include <fcntl.h>

#include <string>

namespace platform {

class AtPath {
 public:
  // path must outlive the object: a short one is used in place.
  explicit AtPath(const std::string& path);
  explicit AtPath(std::string&&) = delete;
  ~AtPath();
  AtPath(const AtPath&) = delete;
  AtPath& operator=(const AtPath&) = delete;

  // The folder to resolve name against; AT_FDCWD for a short path, and for
  // a long one whose folders cannot be opened (the call then fails).
  int dir() const { return dir_; }
  const char* name() const { return name_; }

 private:
  int dir_ = AT_FDCWD;
  const char* name_;
  std::string last_;
};

}  // namespace platform
