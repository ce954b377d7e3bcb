#include "platform/console.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lib/utf8.h"
#include "platform/write_all.h"

namespace platform {

namespace {

std::string* captureSink = nullptr;
OutputObserver* observer = nullptr;

struct Terminals {
  bool output = false;
  bool error = false;
  // Both streams reach one terminal, so a standard-output line must take
  // the status line away before it is written.
  bool shared = false;
};

bool sameDevice(int a, int b) {
  struct stat sa {}, sb {};
  return ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0 && sa.st_rdev == sb.st_rdev;
}

const Terminals& terminals() {
  static const Terminals t = [] {
    Terminals found;
    found.output = ::isatty(STDOUT_FILENO) == 1;
    found.error = ::isatty(STDERR_FILENO) == 1;
    found.shared = found.output && found.error && sameDevice(STDOUT_FILENO, STDERR_FILENO);
    return found;
  }();
  return t;
}

// The status line as it stands on the standard-error terminal.
bool statusShown = false;
// A standard-output text without its line end stands on the terminal; a
// status line now would overwrite it.
bool outputLineOpen = false;

void eraseStatus() {
  if (!statusShown) return;
  static const char Erase[] = "\r\x1b[K";
  writeAll(STDERR_FILENO, Erase, sizeof Erase - 1);
  statusShown = false;
}

struct OutputBuffer {
  std::string data;
  ~OutputBuffer() { flush(); }
  void flush() {
    if (data.empty()) return;
    if (terminals().shared) eraseStatus();
    // Nowhere to write to (a closed pipe): the output is lost, the run goes on.
    writeAll(STDOUT_FILENO, data.data(), data.size());
    data.clear();
  }
};

OutputBuffer& buffer() {
  static OutputBuffer out;
  return out;
}

void append(std::string_view text, bool lineEnd) {
  if (captureSink) {
    captureSink->append(text);
    if (lineEnd) captureSink->push_back('\n');
    return;
  }
  OutputBuffer& out = buffer();
  if (terminals().output) {
    // A person watches: each text goes out at once, in the form the
    // observer gives it for the eye.
    if (observer) {
      std::string shown;
      observer->forTerminal(text, shown);
      out.data += shown;
    } else {
      out.data += text;
    }
    if (lineEnd) out.data += '\n';
    if (!out.data.empty()) outputLineOpen = out.data.back() != '\n';
    out.flush();
    return;
  }
  out.data.append(text);
  if (lineEnd) out.data += '\n';
  if (out.data.size() >= (1u << 16)) out.flush();
}

int terminalColumns() {
  struct winsize size {};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace

void writeLine(std::string_view text) {
  if (observer) observer->onLine(text);
  append(text, true);
}

void writeText(std::string_view text) { append(text, false); }

void flushOutput() {
  if (!captureSink) buffer().flush();
}

void writeErrorLine(std::string_view text) {
  eraseStatus();
  std::string line(text);
  line += '\n';
  writeAll(STDERR_FILENO, line.data(), line.size());
}

void captureOutput(std::string* sink) {
  if (!sink) captureSink = nullptr;
  else {
    flushOutput();
    captureSink = sink;
  }
}

void setOutputObserver(OutputObserver* next) { observer = next; }

bool outputIsTerminal() { return !captureSink && terminals().output; }
bool errorIsTerminal() { return terminals().error; }

void showStatusLine(std::string_view text) {
  if (!terminals().error || (terminals().shared && outputLineOpen)) return;
  // One column short of the width: a line that fills the last column makes
  // some terminals wrap, and the erase would then miss the first part.
  const size_t columns = static_cast<size_t>(terminalColumns() - 1);
  const std::string_view cut = text.substr(0, zantrel::charOffset(text, zantrel::textEncoding(text), columns));
  std::string line = "\r";
  line += cut;
  line += "\x1b[K";
  writeAll(STDERR_FILENO, line.data(), line.size());
  statusShown = true;
}

void clearStatusLine() { eraseStatus(); }

}  // namespace platform
