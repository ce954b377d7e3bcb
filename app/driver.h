// The program's main sequence: settings, parse, and the passes of the
// rename engine that the options ask for.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zantrel {

using PassRunner = std::function<void()>;

// Runs the whole program on the given arguments and returns the exit code.
// Every pass goes through runOnePass, so tests can watch the settings that
// each pass starts with.
int runProgram(const std::vector<std::string>& args, const PassRunner& runOnePass);

// "_zantrel_" + yymmdd-hhnn of the given time + ".log".
std::string logFileNameFor(double now);

// The -daf folder pattern: the first item of spec, its extension as ".*".
std::string folderPassPattern(const std::string& spec);

}  // namespace zantrel
