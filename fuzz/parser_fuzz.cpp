// Feeds argument vectors to the command-line parser: the input is split at
// NUL bytes, each piece one argument, as the shell would hand them over.
//
// The parser changes the current folder (-cd) and writes and removes the
// folder menu's files (-install, -uninstall), so the target works in a
// scratch folder of its own, with HOME and XDG_DATA_HOME pointed there,
// and goes back to it after every input. The parser ends the run by
// throwing ProcessExit (help, menu, fatal errors), which ends one input
// here, not the process.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/banner.h"
#include "app/hints.h"
#include "app/parser.h"
#include "app/settings.h"
#include "platform/console.h"
#include "platform/process.h"

namespace {

namespace fs = std::filesystem;

std::string scratch;
std::string startFolder;

// Memory-backed where there is such a folder: the menu files are written
// with fsync, which costs a disk nothing there.
void makeScratch() {
  const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  std::random_device random;
  const fs::path folder = base / ("zantrel-parser-fuzz-" + std::to_string(random()));
  fs::create_directories(folder / "home" / "data");
  scratch = folder.string();
  startFolder = platform::currentDirectory();
  ::setenv("HOME", (folder / "home").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (folder / "home" / "data").c_str(), 1);
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
  });
}

std::vector<std::string> argumentsOf(const uint8_t* data, size_t size) {
  std::vector<std::string> args;
  std::string arg;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(std::move(arg));
      arg.clear();
    } else {
      arg += static_cast<char>(data[i]);
    }
  }
  if (size > 0) args.push_back(std::move(arg));
  return args;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  makeScratch();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zantrel;
  const std::vector<std::string> args = argumentsOf(data, size);
  RunSettings.Replacements.clear();
  RunSettings.LogFileName = "_zantrel_fuzz.log";
  resetSettings();
  forgetHints();  // each input is a run of its own
  std::string output;
  platform::captureOutput(&output);
  if (!platform::setCurrentDirectory(scratch)) std::abort();
  try {
    parseCommandLine(args);
  } catch (const ProcessExit&) {
    // Help, the folder menu, or a fatal error: the run would end here.
  }
  platform::captureOutput(nullptr);
  if (!platform::setCurrentDirectory(startFolder)) std::abort();
  return 0;
}
