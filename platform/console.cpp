#include "platform/console.h"

#include <unistd.h>

#include <cerrno>

namespace platform {

namespace {

std::string* captureSink = nullptr;

struct OutputBuffer {
  std::string data;
  ~OutputBuffer() { flush(); }
  void flush() {
    size_t done = 0;
    while (done < data.size()) {
      ssize_t n = ::write(STDOUT_FILENO, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // nowhere to write to; output is lost, the run goes on
      done += static_cast<size_t>(n);
    }
    data.clear();
  }
};

OutputBuffer& buffer() {
  static OutputBuffer out;
  return out;
}

void append(std::string_view text) {
  if (captureSink) {
    captureSink->append(text);
    return;
  }
  OutputBuffer& out = buffer();
  out.data.append(text);
  if (out.data.size() >= (1u << 16)) out.flush();
}

}  // namespace

void writeLine(std::string_view text) {
  append(text);
  append("\n");
}

void writeText(std::string_view text) { append(text); }

void flushOutput() {
  if (!captureSink) buffer().flush();
}

void writeErrorLine(std::string_view text) {
  std::string line(text);
  line += '\n';
  size_t done = 0;
  while (done < line.size()) {
    ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
}

void captureOutput(std::string* sink) {
  if (!sink) captureSink = nullptr;
  else {
    flushOutput();
    captureSink = sink;
  }
}

}  // namespace platform
