#include "lib/paths.h"

namespace zantrel {

size_t nameStart(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

namespace {

size_t extensionStart(std::string_view path) {
  const size_t start = nameStart(path);
  const size_t dot = path.rfind('.');
  return dot == std::string_view::npos || dot < start ? path.size() : dot;
}

}  // namespace

std::string folderPart(std::string_view path) { return std::string(path.substr(0, nameStart(path))); }

std::string namePart(std::string_view path) { return std::string(path.substr(nameStart(path))); }

std::string fileExtension(std::string_view path) { return std::string(path.substr(extensionStart(path))); }

std::string baseName(std::string_view path) {
  const size_t start = nameStart(path);
  return std::string(path.substr(start, extensionStart(path) - start));
}

std::string normalizeSlashes(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    // The first character always stays, so "//server/share" keeps its "//".
    if (i > 0 && path[i] == '/' && i + 1 < path.size() && path[i + 1] == '/') continue;
    out += path[i];
  }
  return out;
}

}  // namespace zantrel
