// File-name patterns: "*" is any run of characters (also none), "?" is
// exactly one character; every other character, "[" included, matches
// itself. Letter case is ignored. A pattern ending in ".*" also matches a
// name without any dot, so "*.*" matches every name and "IMG*.*" matches
// "IMG123".
#pragma once

#include <string_view>

namespace zantrel {

bool matchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace zantrel
