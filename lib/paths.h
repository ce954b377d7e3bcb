// The parts of a path. The folder separator is "/"; ":" and "\" are
// ordinary name characters. The folder part runs up to and including the
// last "/", the name part is the rest, the extension runs from the last
// "." of the name part to its end (dot included, empty without a dot).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zantrel {

// Where the name part begins: after the last "/", 0 without one.
size_t nameStart(std::string_view path);
std::string folderPart(std::string_view path);
std::string namePart(std::string_view path);
std::string fileExtension(std::string_view path);
// The name part without its extension.
std::string baseName(std::string_view path);

// Collapses every run of "/" into one, except that a leading "//" stays.
std::string normalizeSlashes(std::string_view path);

}  // namespace zantrel
