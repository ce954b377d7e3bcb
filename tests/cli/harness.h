// Runs the built zantrel binary in a temporary folder and captures what it
// prints. Whole-program tests create their files in a TempDir, run the
// program there and look at the output, the names on disk and the log.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

using EnvList = std::vector<std::pair<std::string, std::string>>;

// A fresh folder below the system temp folder, removed with everything in
// it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  // Writes a file (creating folders on the way) and returns its path.
  std::filesystem::path write(const std::string& name, const std::string& bytes = "x") const;
  std::filesystem::path mkdir(const std::string& name) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;
  // Names directly in the folder (or in a subfolder), sorted.
  std::vector<std::string> list(const std::string& sub = "") const;

 private:
  std::filesystem::path path_;
};

// Runs zantrel with args in folder cwd. The environment is the test's own
// with TZ set to a zone with daylight saving (so that local/UTC mix-ups
// show), HOME and XDG_DATA_HOME pointed into cwd, plus the given entries.
RunResult runZantrel(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                     const EnvList& env = {});

// The same for another program file (a copy of zantrel elsewhere, a shell).
RunResult runProgramFile(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& cwd, const EnvList& env = {});

// The environment of runZantrel, as "NAME=value" entries.
std::vector<std::string> runEnvironment(const std::filesystem::path& cwd, const EnvList& env = {});

// A run in the background, for tests that act while it works (signal it,
// watch its files). Its environment is that of runZantrel. A run still
// going when the object goes is killed.
class BackgroundRun {
 public:
  BackgroundRun(const std::vector<std::string>& args, const std::filesystem::path& cwd, const EnvList& env = {});
  BackgroundRun(const std::string& program, const std::vector<std::string>& args,
                const std::filesystem::path& cwd, const EnvList& env = {});
  ~BackgroundRun();
  BackgroundRun(const BackgroundRun&) = delete;
  BackgroundRun& operator=(const BackgroundRun&) = delete;

  void signal(int sig) const;
  // True once the run has ended (without waiting for it).
  bool finished();
  // Waits for the end; a run ended by a signal gets 128 + its number.
  RunResult wait();

 private:
  int pid_ = -1;
  int status_ = 0;
  int outFd_ = -1;
  int errFd_ = -1;
};

// Runs zantrel in folder cwd through a launcher, by the shell: the
// launcher command line (such as "setpriv --reuid=65534 ...") gets the
// binary and the arguments after it. TZ is set as for runZantrel.
RunResult runZantrelVia(const std::string& launcher, const std::vector<std::string>& args,
                        const std::filesystem::path& cwd);

// Whether setpriv is there to run zantrel as an unprivileged user.
bool setprivAvailable();

// runZantrelVia as user and group 65534 with no other groups: a user for
// whom permission bits hold, as they do not for root.
RunResult runZantrelAsNobody(const std::vector<std::string>& args, const std::filesystem::path& cwd);

// What the unprivileged user may do with the test folder it runs in:
// write it (as one's own photo folder), only read it (root's folder), or
// own it with everything in it.
enum class NobodyFolder { Writable, ReadOnly, Owned };
// runZantrelAsNobody in dir, with the folder made so first.
RunResult runAsNobody(const TempDir& dir, const std::vector<std::string>& args,
                      NobodyFolder folder = NobodyFolder::Writable);

// Text single-quoted for the shell.
std::string shellQuoted(const std::string& text);

// The name of the log of a run that starts at the given time:
// "_zantrel_yymmdd-hhnn.log" in local time.
std::string logNameAt(std::time_t when);

// Splits captured output into lines (without line ends).
std::vector<std::string> lines(const std::string& text);
// The same lines sorted, for output in listing order.
std::vector<std::string> sortedLines(const std::string& text);
// True when one whole line of the standard output is line.
bool hasOutputLine(const RunResult& r, const std::string& line);

// The names of the run logs (_zantrel_*) directly in the folder.
std::vector<std::string> logFiles(const TempDir& dir);
// The records of the folder's one run log, each checked to end in CR LF and
// to hold no other line end (a test failure otherwise).
std::vector<std::string> logRecords(const TempDir& dir);
// Fields joined by tabs, as one log record.
std::string record(const std::vector<std::string>& fields);

// Sets a file's modification time from local calendar fields.
void setLocalMtime(const std::filesystem::path& file, int year, int month, int day, int hour, int minute,
                   int second);
// The same for the access time alone.
void setLocalAtime(const std::filesystem::path& file, int year, int month, int day, int hour, int minute,
                   int second);

// A file's modification or access time as local "yyyy-mm-dd hh:mm:ss",
// "missing" when it cannot be read.
std::string localMtimeText(const std::filesystem::path& file);
std::string localAtimeText(const std::filesystem::path& file);

}  // namespace testing_support
