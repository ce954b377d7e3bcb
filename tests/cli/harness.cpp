#include "cli/harness.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace testing_support {

namespace fs = std::filesystem;

// The zone used by every run: Central European time has daylight saving,
// so a time stamp read as UTC where local time was meant is one or two
// hours off.
constexpr const char* TestZone = "Europe/Berlin";

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "zantrel-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back write permission that a test may have taken away, so that
  // everything can be removed.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

fs::path TempDir::write(const std::string& name, const std::string& bytes) const {
  fs::path p = path_ / name;
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return p;
}

fs::path TempDir::mkdir(const std::string& name) const {
  fs::path p = path_ / name;
  fs::create_directories(p);
  return p;
}

std::string TempDir::read(const std::string& name) const {
  std::ifstream f(path_ / name, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

bool TempDir::exists(const std::string& name) const {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path_ / name, ec));
}

std::vector<std::string> TempDir::list(const std::string& sub) const {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(sub.empty() ? path_ : path_ / sub)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

std::string readAll(int fd) {
  std::string out;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  return out;
}

}  // namespace

RunResult runZantrel(const std::vector<std::string>& args, const fs::path& cwd, const EnvList& env) {
  return runProgramFile(ZANTREL_BINARY, args, cwd, env);
}

std::vector<std::string> runEnvironment(const fs::path& cwd, const EnvList& env) {
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e; ++e) {
    std::string entry(*e);
    size_t eq = entry.find('=');
    if (eq != std::string::npos) vars[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  vars["TZ"] = TestZone;
  vars["HOME"] = (cwd / ".home").string();
  vars["XDG_DATA_HOME"] = (cwd / ".home" / ".local" / "share").string();
  vars.erase("LC_ALL");
  for (const auto& [k, v] : env) vars[k] = v;
  std::vector<std::string> envStrings;
  for (const auto& [k, v] : vars) envStrings.push_back(k + "=" + v);
  return envStrings;
}

RunResult runProgramFile(const std::string& programFile, const std::vector<std::string>& args, const fs::path& cwd,
                         const EnvList& env) {
  return BackgroundRun(programFile, args, cwd, env).wait();
}

BackgroundRun::BackgroundRun(const std::vector<std::string>& args, const fs::path& cwd, const EnvList& env)
    : BackgroundRun(ZANTREL_BINARY, args, cwd, env) {}

BackgroundRun::BackgroundRun(const std::string& programFile, const std::vector<std::string>& args,
                             const fs::path& cwd, const EnvList& env) {
  std::vector<std::string> envStrings = runEnvironment(cwd, env);

  std::vector<char*> argv;
  std::string program = programFile;
  argv.push_back(program.data());
  std::vector<std::string> argCopy = args;
  for (auto& a : argCopy) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);

  // Output goes to temporary files, so a large output cannot block the
  // child while the parent waits.
  char outName[] = "/tmp/zantrel-out-XXXXXX";
  char errName[] = "/tmp/zantrel-err-XXXXXX";
  outFd_ = ::mkstemp(outName);
  errFd_ = ::mkstemp(errName);
  ::unlink(outName);
  ::unlink(errName);

  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(outFd_, 1);
    ::dup2(errFd_, 2);
    int nullFd = ::open("/dev/null", O_RDONLY);
    ::dup2(nullFd, 0);
    if (::chdir(cwd.c_str()) != 0) ::_exit(126);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
}

BackgroundRun::~BackgroundRun() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (outFd_ >= 0) ::close(outFd_);
  if (errFd_ >= 0) ::close(errFd_);
}

void BackgroundRun::signal(int sig) const {
  if (pid_ > 0) ::kill(pid_, sig);
}

bool BackgroundRun::finished() {
  if (pid_ <= 0) return true;
  const pid_t done = ::waitpid(pid_, &status_, WNOHANG);
  if (done == pid_) pid_ = -1;
  return pid_ <= 0;
}

RunResult BackgroundRun::wait() {
  if (pid_ > 0) {
    while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }
  RunResult r;
  r.exitCode = WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
  ::lseek(outFd_, 0, SEEK_SET);
  ::lseek(errFd_, 0, SEEK_SET);
  r.out = readAll(outFd_);
  r.err = readAll(errFd_);
  return r;
}

std::string logNameAt(time_t when) {
  struct tm local {};
  ::localtime_r(&when, &local);
  char buf[64];
  std::strftime(buf, sizeof buf, "_zantrel_%y%m%d-%H%M.log", &local);
  return buf;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    if (nl == std::string::npos) {
      out.push_back(text.substr(start));
      break;
    }
    out.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  return out;
}

std::vector<std::string> sortedLines(const std::string& text) {
  std::vector<std::string> out = lines(text);
  std::sort(out.begin(), out.end());
  return out;
}

bool hasOutputLine(const RunResult& r, const std::string& line) {
  const std::vector<std::string> all = lines(r.out);
  return std::find(all.begin(), all.end(), line) != all.end();
}

std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

RunResult runZantrelVia(const std::string& launcher, const std::vector<std::string>& args, const fs::path& cwd) {
  TempDir capture;
  // The launcher may run zantrel as another user, who must be able to
  // write the captured output.
  fs::permissions(capture.path(), fs::perms::all);
  std::string command = "cd " + shellQuoted(cwd.string()) + " && TZ=" + TestZone + " " + launcher + " " +
                        shellQuoted(ZANTREL_BINARY);
  for (const std::string& a : args) command += " " + shellQuoted(a);
  command += " >" + shellQuoted((capture / "out").string()) + " 2>" + shellQuoted((capture / "err").string()) +
             " </dev/null";
  const int status = std::system(command.c_str());
  RunResult r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = capture.read("out");
  r.err = capture.read("err");
  return r;
}

bool setprivAvailable() { return std::system("command -v setpriv >/dev/null 2>&1") == 0; }

RunResult runZantrelAsNobody(const std::vector<std::string>& args, const fs::path& cwd) {
  return runZantrelVia("setpriv --reuid=65534 --regid=65534 --clear-groups", args, cwd);
}

RunResult runAsNobody(const TempDir& dir, const std::vector<std::string>& args, NobodyFolder folder) {
  switch (folder) {
    case NobodyFolder::Writable:
      fs::permissions(dir.path(), fs::perms::all);
      break;
    case NobodyFolder::ReadOnly:
      fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
      break;
    case NobodyFolder::Owned: {
      const std::string command = "chown -R 65534:65534 " + shellQuoted(dir.path().string());
      EXPECT_EQ(std::system(command.c_str()), 0);
      break;
    }
  }
  return runZantrelAsNobody(args, dir.path());
}

namespace {

time_t localTimeOf(int year, int month, int day, int hour, int minute, int second) {
  // The test process itself runs in the same zone as the program under test.
  ::setenv("TZ", TestZone, 1);
  ::tzset();
  struct tm t {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return ::mktime(&t);
}

// Sets the access (index 0) or modification (index 1) time; the other stays.
void setLocalTime(const fs::path& file, int index, time_t when) {
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = 0;
  times[0].tv_nsec = times[1].tv_nsec = UTIME_OMIT;
  times[index].tv_sec = when;
  times[index].tv_nsec = 0;
  if (::utimensat(AT_FDCWD, file.c_str(), times, 0) != 0) throw std::runtime_error("utimensat failed");
}

std::string localText(const struct timespec& when) {
  struct tm t {};
  ::localtime_r(&when.tv_sec, &t);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &t);
  return buf;
}

}  // namespace

void setLocalMtime(const fs::path& file, int year, int month, int day, int hour, int minute, int second) {
  const time_t when = localTimeOf(year, month, day, hour, minute, second);
  // Both times, as a freshly written file has them.
  setLocalTime(file, 0, when);
  setLocalTime(file, 1, when);
}

void setLocalAtime(const fs::path& file, int year, int month, int day, int hour, int minute, int second) {
  setLocalTime(file, 0, localTimeOf(year, month, day, hour, minute, second));
}

std::string localMtimeText(const fs::path& file) {
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 ? localText(st.st_mtim) : "missing";
}

std::string localAtimeText(const fs::path& file) {
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 ? localText(st.st_atim) : "missing";
}

std::vector<std::string> logFiles(const TempDir& dir) {
  std::vector<std::string> logs;
  for (const std::string& name : dir.list()) {
    if (name.rfind("_zantrel_", 0) == 0) logs.push_back(name);
  }
  return logs;
}

std::vector<std::string> logRecords(const TempDir& dir) {
  const std::vector<std::string> logs = logFiles(dir);
  if (logs.size() != 1) {
    ADD_FAILURE() << "expected one log file, found " << logs.size();
    return {};
  }
  EXPECT_TRUE(std::regex_match(logs[0], std::regex("_zantrel_[0-9]{6}-[0-9]{4}\\.log"))) << logs[0];
  const std::string text = dir.read(logs[0]);
  std::vector<std::string> records;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "log line without CR LF: " << text.substr(start);
      break;
    }
    records.push_back(text.substr(start, end - start));
    EXPECT_EQ(records.back().find_first_of("\r\n"), std::string::npos) << "one record per line";
    start = end + 2;
  }
  return records;
}

std::string record(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) line += (i ? "\t" : "") + fields[i];
  return line;
}

}  // namespace testing_support

namespace {

// Every test process runs in the same zone as the program under test.
struct TestZoneSetter {
  TestZoneSetter() {
    ::setenv("TZ", testing_support::TestZone, 1);
    ::tzset();
  }
} const testZoneSetter;

}  // namespace
