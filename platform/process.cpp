#include "platform/process.h"

#include <unistd.h>

#include <csignal>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <iterator>

#include "platform/console.h"
#include "platform/localtime.h"

namespace platform {

std::vector<std::string> processArguments(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return args;
}

namespace {

volatile std::sig_atomic_t caughtSignal = 0;

const int StopSignals[] = {SIGINT, SIGTERM, SIGHUP};
// Those of StopSignals that this process handles (not those it inherited
// ignored).
volatile std::sig_atomic_t handled[std::size(StopSignals)] = {};

// The first signal is honoured after the item in hand. A second one means
// the user will not wait for that: it ends the process at once. Nothing is
// lost then, since copies are made under no name and renames are atomic.
extern "C" void noteStopSignal(int signal) {
  if (caughtSignal == 0) caughtSignal = signal;
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigemptyset(&fallback.sa_mask);
  for (size_t i = 0; i < std::size(StopSignals); ++i) {
    if (handled[i]) ::sigaction(StopSignals[i], &fallback, nullptr);
  }
}

}  // namespace

int stopSignal() { return caughtSignal; }

std::string signalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return std::to_string(signal);
  }
}

void prepareProcess() {
  ::signal(SIGPIPE, SIG_IGN);
  struct sigaction action {};
  action.sa_handler = noteStopSignal;
  ::sigemptyset(&action.sa_mask);
  // Restarted system calls: a signal must not turn a read or a write of
  // the item in hand into a failure.
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(StopSignals); ++i) {
    // A signal ignored by whoever started the run (nohup) stays ignored.
    struct sigaction old {};
    if (::sigaction(StopSignals[i], nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    handled[i] = 1;
    ::sigaction(StopSignals[i], &action, nullptr);
  }
  // Unset TZ makes the C library look at /etc/localtime again at every
  // conversion; naming the same file makes it read it once.
  ::setenv("TZ", ":/etc/localtime", 0);
}

std::string currentDirectory() {
  std::string buf(4096, '\0');
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buf.resize(buf.size() * 2);
  }
  buf.resize(std::char_traits<char>::length(buf.c_str()));
  return buf;
}

bool setCurrentDirectory(const std::string& path) { return !path.empty() && ::chdir(path.c_str()) == 0; }

zantrel::DateTime localNow() {
  struct timespec ts {};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  return localDateTimeOf(UnixTime{ts.tv_sec, ts.tv_nsec});
}

int64_t coarseMillis() {
  struct timespec ts {};
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void exitProcess(int code) {
  flushOutput();
  std::exit(code);
}

}  // namespace platform

#include <pwd.h>

namespace platform {

std::string homeDirectory() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  struct passwd pw {};
  struct passwd* found = nullptr;
  std::string buf(16384, '\0');
  if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return {};
}

std::string userDataDirectory() {
  // A relative path is invalid there and is ignored, as the XDG rules say.
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') return data;
  std::string home = homeDirectory();
  if (home.empty()) return {};
  if (home.back() != '/') home += '/';
  return home + ".local/share";
}

std::string programFile() {
  std::string buf(4096, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buf.size()) {
      buf.resize(static_cast<size_t>(n));
      return buf;
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace platform
