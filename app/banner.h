// What the program prints about itself: banner, syntax line, usage text,
// and the way every fatal error ends the run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zantrel {

inline constexpr std::string_view BannerText = "zantrel v0.61";
inline constexpr std::string_view SyntaxLine = "Syntax: zantrel [options] (files)  (help -? more --help)";

// Thrown to end the run with an exit code; main() turns it into the
// process exit after flushing output. Tests catch it.
struct ProcessExit {
  int code;
};

[[noreturn]] void endProcess(int code);

// Banner (and syntax line unless usage printing began) plus the message,
// all only the first time in a run.
void showBanner(std::string_view message = {});

// Banner unless shown, the message line, then the exit code.
[[noreturn]] void failAndExit(std::string_view message, int code);

// Banner without syntax line, then the short or (Verbose) long usage.
void printUsage();

// The usage lines that printUsage writes with the given verbosity.
std::vector<std::string> usageLines(bool verbose);

}  // namespace zantrel
