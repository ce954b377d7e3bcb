// The yardstick of the benchmark: only the system calls that any program
// doing zantrel's job on a folder cannot avoid, in the current folder.
//
//   floor read BLOCK SUFFIX       list; per file whose name ends in SUFFIX
//                                 (ignoring case): stat, open, read BLOCK
//                                 bytes, close, rename
//   floor read BLOCK SUFFIX dry   the same without the rename
//   floor rename                  list; per file: rename (the new name as -s
//                                 gives it: blanks to "_", extension lower case)
//
// It calls the system directly, which no part of zantrel does: the point is
// to count and time those calls and nothing else.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool endsWithIgnoringCase(const std::string& name, const std::string& suffix) {
  if (name.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    char a = name[name.size() - suffix.size() + i], b = suffix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

std::vector<std::string> listFiles(const std::string& suffix) {
  std::vector<std::string> names;
  DIR* dir = opendir(".");
  if (!dir) return names;
  while (const dirent* d = readdir(dir)) {
    if (d->d_name[0] == '.' || d->d_type != DT_REG) continue;
    const std::string name = d->d_name;
    if (suffix.empty() || endsWithIgnoringCase(name, suffix)) names.push_back(name);
  }
  closedir(dir);
  return names;
}

bool renameNoReplace(const std::string& from, const std::string& to) {
  return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

std::string simpleLike(std::string name) {
  const size_t dot = name.rfind('.');
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == ' ') name[i] = '_';
    else if (dot != std::string::npos && i > dot && name[i] >= 'A' && name[i] <= 'Z') name[i] += 'a' - 'A';
  }
  return name;
}

int readEach(size_t block, const std::string& suffix, bool dry) {
  std::vector<char> buffer(block);
  long failures = 0;
  for (const std::string& name : listFiles(suffix)) {
    struct stat st {};
    if (stat(name.c_str(), &st) != 0) {
      ++failures;
      continue;
    }
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      ++failures;
      continue;
    }
    if (read(fd, buffer.data(), buffer.size()) <= 0) ++failures;
    close(fd);
    if (!dry && !renameNoReplace(name, "d_" + name)) ++failures;
  }
  if (failures) std::fprintf(stderr, "floor: %ld failures\n", failures);
  return failures ? 1 : 0;
}

int renameEach() {
  long failures = 0;
  for (const std::string& name : listFiles("")) {
    const std::string to = simpleLike(name);
    if (to != name && !renameNoReplace(name, to)) ++failures;
  }
  if (failures) std::fprintf(stderr, "floor: %ld failures\n", failures);
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "read" && argc >= 4) {
    const bool dry = argc >= 5 && std::string(argv[4]) == "dry";
    return readEach(static_cast<size_t>(std::strtoul(argv[2], nullptr, 10)), argv[3], dry);
  }
  if (mode == "rename") return renameEach();
  std::fprintf(stderr, "usage: floor read BLOCK SUFFIX [dry] | floor rename\n");
  return 2;
}
