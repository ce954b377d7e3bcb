// Shared by the stress tests: a card of numbered files whose bytes say which
// original they are, and the checks that every round ends with.
//
// The size of a run comes from the environment, so that CI runs a quick
// version and scripts/stress.sh the full one:
//   ZANTREL_STRESS_FILES   files on the card (quick: 500)
//   ZANTREL_STRESS_ROUNDS  interrupted rounds per kind of work and signal (quick: 2)
//   ZANTREL_STRESS_SEED    seed of the random moments (default: from the clock)
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace stress {

int envNumber(const char* name, int fallback);

struct Original {
  std::string name;  // as first written on the card
  size_t size = 0;
  uint64_t hash = 0;
};

// A card: files IMG_0000.JPG ..., a tenth of them .MOV and a tenth .MP3,
// mostly a few KiB, every 250th of 1 to 4 MiB so that kills also land in
// the middle of a long copy. Each file's bytes begin with its number; the
// modification times spread over 2020 so that the media library fills
// several folders.
class Card {
 public:
  Card(const std::filesystem::path& folder, int files, std::mt19937_64& random);

  const std::filesystem::path& folder() const { return folder_; }
  const std::vector<Original>& originals() const { return originals_; }

 private:
  std::filesystem::path folder_;
  std::vector<Original> originals_;
};

uint64_t hashOf(const std::string& bytes);
std::string readFile(const std::filesystem::path& path);

// The number a file's bytes begin with, -1 when they do not.
int originalNumber(const std::string& bytes);

// What a folder holds, walked recursively, hidden names included, logs left
// out: relative path -> bytes. Problems (something that is not a regular
// file or folder) are added to problems.
std::map<std::string, std::string> filesBelow(const std::filesystem::path& folder, std::vector<std::string>& problems);

bool isLogName(const std::string& name);
bool isHiddenPath(const std::string& relative);

// Every original is on the card exactly once, with its bytes; with
// namesUnchanged also under its first name. Returns the problems found and
// fills number -> current relative name.
std::vector<std::string> checkOriginals(const Card& card, bool namesUnchanged, std::map<int, std::string>& names);

// The bytes appended to the log files of a folder since sizes were taken.
class LogWatch {
 public:
  explicit LogWatch(const std::filesystem::path& folder);
  // Complete records (fields split at tabs) appended since construction.
  std::vector<std::vector<std::string>> newRecords() const;

 private:
  std::filesystem::path folder_;
  std::map<std::string, uintmax_t> sizes_;
};

// Lines of text that begin with prefix.
size_t countLines(const std::string& text, const std::string& prefix);
// Places where part occurs in text.
size_t countOccurrences(const std::string& text, const std::string& part);

}  // namespace stress
