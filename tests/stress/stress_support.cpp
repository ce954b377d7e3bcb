#include "stress/stress_support.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "cli/harness.h"

namespace stress {

namespace fs = std::filesystem;

int envNumber(const char* name, int fallback) {
  const char* value = std::getenv(name);
  if (!value || !*value) return fallback;
  return std::atoi(value);
}

uint64_t hashOf(const std::string& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (const char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return h;
}

std::string readFile(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

int originalNumber(const std::string& bytes) {
  int number = -1;
  if (std::sscanf(bytes.c_str(), "original %d\n", &number) != 1) return -1;
  return number;
}

Card::Card(const fs::path& folder, int files, std::mt19937_64& random) : folder_(folder) {
  fs::create_directories(folder);
  std::string bytes;
  for (int i = 0; i < files; ++i) {
    const char* ext = i % 10 == 3 ? ".MOV" : i % 10 == 7 ? ".MP3" : ".JPG";
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04d%s", i, ext);
    const size_t size = i % 250 == 125 ? (1u << 20) + random() % (3u << 20) : 512 + random() % (16u << 10);
    bytes = "original " + std::to_string(i) + "\n";
    bytes.resize(size);
    for (size_t k = bytes.find('\n') + 1; k + 8 <= bytes.size(); k += 8) {
      const uint64_t r = random();
      std::memcpy(&bytes[k], &r, 8);
    }
    std::ofstream(folder / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    testing_support::setLocalMtime(folder / name, 2020, 1 + i % 12, 1 + i % 28, 9, i % 60, 0);
    originals_.push_back({name, bytes.size(), hashOf(bytes)});
  }
}

bool isLogName(const std::string& name) { return name.rfind("_zantrel_", 0) == 0 && name.ends_with(".log"); }

bool isHiddenPath(const std::string& relative) {
  return relative.front() == '.' || relative.find("/.") != std::string::npos;
}

std::map<std::string, std::string> filesBelow(const fs::path& folder, std::vector<std::string>& problems) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    const std::string relative = fs::relative(it->path(), folder).string();
    if (it->is_symlink()) problems.push_back("a link: " + relative);
    else if (it->is_directory()) continue;
    else if (!it->is_regular_file()) problems.push_back("neither file nor folder: " + relative);
    else if (!isLogName(it->path().filename().string())) files[relative] = readFile(it->path());
  }
  return files;
}

std::vector<std::string> checkOriginals(const Card& card, bool namesUnchanged, std::map<int, std::string>& names) {
  std::vector<std::string> problems;
  names.clear();
  const std::map<std::string, std::string> files = filesBelow(card.folder(), problems);
  const auto& originals = card.originals();
  for (const auto& [name, bytes] : files) {
    const int n = originalNumber(bytes);
    if (n < 0 || n >= static_cast<int>(originals.size())) {
      problems.push_back("not an original: " + name);
      continue;
    }
    if (names.count(n)) problems.push_back("original " + std::to_string(n) + " twice: " + names[n] + ", " + name);
    names[n] = name;
    if (bytes.size() != originals[n].size || hashOf(bytes) != originals[n].hash)
      problems.push_back("original changed: " + name);
    if (namesUnchanged && name != originals[n].name) problems.push_back("original renamed: " + name);
  }
  for (size_t n = 0; n < originals.size(); ++n) {
    if (!names.count(static_cast<int>(n))) problems.push_back("original lost: " + originals[n].name);
  }
  return problems;
}

LogWatch::LogWatch(const fs::path& folder) : folder_(folder) {
  for (const auto& e : fs::directory_iterator(folder)) {
    if (isLogName(e.path().filename().string())) sizes_[e.path().filename().string()] = e.file_size();
  }
}

std::vector<std::vector<std::string>> LogWatch::newRecords() const {
  std::vector<std::vector<std::string>> records;
  for (const auto& e : fs::directory_iterator(folder_)) {
    const std::string name = e.path().filename().string();
    if (!isLogName(name)) continue;
    const auto known = sizes_.find(name);
    std::string bytes = readFile(e.path());
    bytes.erase(0, known == sizes_.end() ? 0 : known->second);
    // Only whole records: a record that a kill cut short has no line end.
    for (size_t start = 0;;) {
      const size_t end = bytes.find("\r\n", start);
      if (end == std::string::npos) break;
      std::vector<std::string> fields;
      std::stringstream line(bytes.substr(start, end - start));
      for (std::string field; std::getline(line, field, '\t');) fields.push_back(field);
      records.push_back(fields);
      start = end + 2;
    }
  }
  return records;
}

size_t countLines(const std::string& text, const std::string& prefix) {
  size_t count = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (text.compare(start, prefix.size(), prefix) == 0) ++count;
    start = end + 1;
  }
  return count;
}

size_t countOccurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

}  // namespace stress
