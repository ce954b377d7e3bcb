#include "platform/console.h"

#include <unistd.h>

#include "platform/write_all.h"

namespace platform {

namespace {

std::string* captureSink = nullptr;

struct OutputBuffer {
  std::string data;
  ~OutputBuffer() { flush(); }
  void flush() {
    // Nowhere to write to (a closed pipe): the output is lost, the run goes on.
    writeAll(STDOUT_FILENO, data.data(), data.size());
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
  writeAll(STDERR_FILENO, line.data(), line.size());
}

void captureOutput(std::string* sink) {
  if (!sink) captureSink = nullptr;
  else {
    flushOutput();
    captureSink = sink;
  }
}

}  // namespace platform
