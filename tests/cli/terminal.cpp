#include "cli/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace testing_support {

namespace {

constexpr char StopOutput = '\x13';  // Ctrl-S
constexpr char StartOutput = '\x11';  // Ctrl-Q

void openTerminal(int& master, int& slave) {
  struct winsize size {};
  size.ws_col = 80;
  size.ws_row = 24;
  if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0) throw std::runtime_error("openpty failed");
  struct termios t {};
  ::tcgetattr(slave, &t);
  t.c_iflag |= IXON;  // Ctrl-S and Ctrl-Q work
  ::tcsetattr(slave, TCSANOW, &t);
}

int tempFile() {
  char name[] = "/tmp/zantrel-term-XXXXXX";
  const int fd = ::mkstemp(name);
  ::unlink(name);
  return fd;
}

void type(int master, char c) {
  if (master >= 0 && ::write(master, &c, 1) != 1) throw std::runtime_error("cannot type into the terminal");
}

// Types Ctrl-S and waits until the terminal has taken it: a write of its
// own then finds the output stopped. The terminal takes keys in its own
// time, which on a busy machine can be long after the key was typed.
void stopOutput(int master) {
  if (master < 0) return;
  type(master, StopOutput);
  const int probe = ::open(::ptsname(master), O_WRONLY | O_NOCTTY | O_NONBLOCK);
  if (probe < 0) throw std::runtime_error("cannot open the terminal");
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    const char mark = '.';
    const ssize_t n = ::write(probe, &mark, 1);
    if (n < 0 && errno == EAGAIN) break;
    if (n < 0) throw std::runtime_error("cannot write to the terminal");
    // Not stopped yet: take the mark back off the screen, and wait.
    char got = 0;
    while (::read(master, &got, 1) == 1 && got != mark) {
    }
    if (std::chrono::steady_clock::now() > until) throw std::runtime_error("the terminal does not stop");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::close(probe);
}

std::string readFile(int fd) {
  std::string text;
  ::lseek(fd, 0, SEEK_SET);
  char buf[4096];
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
  return text;
}

}  // namespace

TerminalRun::TerminalRun(const std::vector<std::string>& args, const std::filesystem::path& cwd, Terminals terminals,
                         bool stopped) {
  int outSlave = -1, errSlave = -1;
  if (terminals != Terminals::Error) openTerminal(outMaster_, outSlave);
  if (terminals == Terminals::Error || terminals == Terminals::Separate) openTerminal(errMaster_, errSlave);
  if (terminals == Terminals::Shared) errSlave = outSlave;
  if (outSlave < 0) outFile_ = tempFile();
  if (errSlave < 0) errFile_ = tempFile();
  if (stopped) {
    stopOutput(outMaster_);
    stopOutput(errMaster_);
  }

  std::vector<std::string> env = runEnvironment(cwd);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string program = ZANTREL_BINARY;
  std::vector<std::string> argCopy = args;
  std::vector<char*> argv{program.data()};
  for (auto& a : argCopy) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_ = ::fork();
  if (pid_ == 0) {
    ::setsid();
    const int controlling = outSlave >= 0 ? outSlave : errSlave;
    ::ioctl(controlling, TIOCSCTTY, 0);
    ::dup2(outSlave >= 0 ? outSlave : outFile_, 1);
    ::dup2(errSlave >= 0 ? errSlave : errFile_, 2);
    const int nullFd = ::open("/dev/null", O_RDONLY);
    ::dup2(nullFd, 0);
    if (::chdir(cwd.c_str()) != 0) ::_exit(126);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  if (outSlave >= 0) ::close(outSlave);
  if (errSlave >= 0 && errSlave != outSlave) ::close(errSlave);
}

TerminalRun::~TerminalRun() {
  if (!done_ && pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  for (int fd : {outMaster_, errMaster_, outFile_, errFile_}) {
    if (fd >= 0) ::close(fd);
  }
}

void TerminalRun::resume() {
  type(outMaster_, StartOutput);
  type(errMaster_, StartOutput);
}

bool TerminalRun::readAvailable(int timeoutMs) {
  std::vector<pollfd> fds;
  if (outMaster_ >= 0) fds.push_back({outMaster_, POLLIN, 0});
  if (errMaster_ >= 0) fds.push_back({errMaster_, POLLIN, 0});
  if (fds.empty() || ::poll(fds.data(), fds.size(), timeoutMs) <= 0) return false;
  bool got = false;
  for (const pollfd& p : fds) {
    if (!(p.revents & (POLLIN | POLLHUP))) continue;
    char buf[4096];
    const ssize_t n = ::read(p.fd, buf, sizeof buf);
    if (n > 0) {
      (p.fd == outMaster_ ? out_ : err_).append(buf, static_cast<size_t>(n));
      got = true;
    }
  }
  return got;
}

void TerminalRun::collect(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) readAvailable(10);
}

bool TerminalRun::running() {
  if (done_) return false;
  const pid_t r = ::waitpid(pid_, &status_, WNOHANG);
  if (r == pid_) done_ = true;
  return !done_;
}

RunResult TerminalRun::finish() {
  while (running()) readAvailable(20);
  // What the program wrote before it ended is still in the terminals.
  while (readAvailable(20)) {
  }
  RunResult r;
  r.exitCode = WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
  r.out = outFile_ >= 0 ? readFile(outFile_) : out_;
  r.err = errFile_ >= 0 ? readFile(errFile_) : err_;
  return r;
}

std::string screenText(const std::string& bytes) {
  std::string screen;
  std::string line;
  size_t column = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r') {
      column = 0;
    } else if (c == '\n') {
      screen += line + "\n";
      line.clear();
      column = 0;
    } else if (c == '\x1b' && bytes.compare(i, 3, "\x1b[K") == 0) {
      line.resize(column);
      i += 2;
    } else {
      if (column < line.size()) line[column] = c;
      else line += c;
      ++column;
    }
  }
  return screen + line;
}

}  // namespace testing_support
