// Turns the process arguments into RunSettings. Changes the current
// directory for -cd at once; may end the run (help, folder menu, errors).
#pragma once

#include <string>
#include <vector>

namespace zantrel {

// Longest value text taken from one "name=value" argument.
inline constexpr size_t MaxValueLength = 255;

void parseCommandLine(const std::vector<std::string>& args);

}  // namespace zantrel
