// Turns the process arguments into RunSettings. Changes the current
// directory for -cd at once; may end the run (help, folder menu, errors).
#pragma once

#include <string>
#include <vector>

namespace zantrel {

// Longest value text taken from one "name=value" argument.
inline constexpr size_t MaxValueLength = 255;

void parseCommandLine(const std::vector<std::string>& args);

// Every spelling the parser accepts for an option, from its own tables (a
// spelling that takes a value and one that does not may both be listed).
// Documentation checks and hints read it, so a new option shows up there.
std::vector<std::string> optionAliases();

}  // namespace zantrel
