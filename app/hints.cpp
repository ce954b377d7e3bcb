#include "app/hints.h"

#include <set>
#include <string>

#include "platform/console.h"

namespace zantrel {

namespace {

std::set<std::string, std::less<>> given;

}  // namespace

void hintOnce(std::string_view key, std::string_view text) {
  if (given.find(key) != given.end()) return;
  given.emplace(key);
  platform::writeErrorLine("zantrel: " + std::string(text));
}

void forgetHints() { given.clear(); }

}  // namespace zantrel
