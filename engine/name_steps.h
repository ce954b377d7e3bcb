// The text steps of the per-item pipeline (6 to 20 and 25): each takes the
// new name as the step before left it and returns the next one; none
// touches the disk. The pipeline's steps (engine/steps.h) call these with
// the values of RunSettings.
//
// A name is UTF-8 when it is valid UTF-8, otherwise Windows-1252; counting,
// cutting and case mapping work on its characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zantrel {

// Every "name=value" entry in turn: every occurrence of its name
// (case-sensitive) becomes the value of the first entry whose name matches
// it ignoring case; the value "." stands for nothing.
std::string replaceNames(std::string name, const std::vector<std::string>& replacements);
// Camera prefixes (IMG_, DSC0, ...) become tag + "_"; a name without
// tag + "_" gets "_" + tag before its extension.
std::string tagCameraName(std::string name, std::string_view tag);

// Folder part + new base name + extension of the given name. Html and
// Simple names are plain ASCII.
std::string htmlFileName(std::string_view name);
std::string simpleFileName(std::string_view name);
std::string downloadFileName(std::string_view name);
std::string nameCaseFileName(std::string_view name);

std::string lowerExtension(std::string_view name);
std::string upperExtension(std::string_view name);

// Positions and counts are characters of the whole name, extension
// included, positions from 1.
std::string deleteFirstChars(std::string_view name, int32_t count);
std::string deleteLastChars(std::string_view name, int32_t count);
std::string deleteCharsAt(std::string_view name, int32_t position, int32_t count);

// At most maxLength characters in all, cut at a word boundary within the
// last 8 characters of the base name where there is one; 16 and below
// never shorten.
std::string limitNameLength(std::string_view name, int32_t maxLength);

}  // namespace zantrel
