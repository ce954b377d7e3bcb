// Turns the process arguments into RunSettings. Changes the current
// directory for -cd at once; may end the run (help, folder menu, errors).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zantrel {

// Longest value text taken from one "name=value" argument.
inline constexpr size_t MaxValueLength = 255;

void parseCommandLine(const std::vector<std::string>& args);

// Every spelling the parser accepts for an option, from its own tables (a
// spelling that takes a value and one that does not may both be listed).
// Documentation checks and hints read it, so a new option shows up there.
std::vector<std::string> optionAliases();

// True when name is a spelling of an option that takes a value.
bool isValueOptionName(std::string_view name);
// True when name is a spelling of an option given without a value.
bool isBareOptionName(std::string_view name);

// The accepted spelling nearest to what was typed ("-sumple" gives
// "--simple", with "=" after one that takes a value); empty when none is
// near enough to be a slip.
std::string closestOption(std::string_view typed);

// The note on standard error for an argument that looks like an option
// but is none; fate says what became of it ("ignored").
void hintUnknownOption(std::string_view arg, std::string_view fate);

}  // namespace zantrel
