// Random names through every text step: valid UTF-8 in gives valid UTF-8
// out, Html and Simple give plain ASCII, and a Windows-1252 name keeps one
// byte a character under the case steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/name_steps.h"
#include "lib/case_map.h"
#include "lib/utf8.h"
#include "support/random_names.h"

namespace zantrel {
namespace {

using Step = std::function<std::string(const std::string&)>;

// Names are name parts: no folder separator.
std::string randomName(std::mt19937& rng) {
  std::string name = testing_support::randomUtf8Name(rng);
  std::replace(name.begin(), name.end(), '/', 'x');
  return name;
}

bool isAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

const std::vector<std::pair<const char*, Step>>& caseSteps() {
  static const std::vector<std::pair<const char*, Step>> steps = {
      {"lower", [](const std::string& n) { return lowerText(n); }},
      {"upper", [](const std::string& n) { return upperText(n); }},
      {"namecase", [](const std::string& n) { return nameCaseFileName(n); }},
      {"lowerext", [](const std::string& n) { return lowerExtension(n); }},
      {"upperext", [](const std::string& n) { return upperExtension(n); }},
  };
  return steps;
}

TEST(NameStepsPropertyTest, ValidUtf8StaysValidThroughEveryStep) {
  std::mt19937 rng(4242);
  std::uniform_int_distribution<int32_t> small(0, 12);
  std::uniform_int_distribution<int32_t> length(0, 50);
  for (int i = 0; i < 2000; ++i) {
    const std::string name = randomName(rng);
    const std::string other = randomName(rng);
    const std::string tag = charSlice(randomName(rng), Encoding::Utf8, 0, 6);
    const std::vector<std::pair<const char*, std::string>> results = {
        {"replace", replaceNames(name, {charSlice(randomName(rng), Encoding::Utf8, 0, 3) + "=" + other,
                                        charSlice(other, Encoding::Utf8, 0, 2) + "=."})},
        {"tag", tagCameraName(name, tag)},
        {"download", downloadFileName(name)},
        {"deletestart", deleteFirstChars(name, small(rng))},
        {"deleteend", deleteLastChars(name, small(rng))},
        {"deletepos", deleteCharsAt(name, small(rng), small(rng))},
        {"maxlength", limitNameLength(name, length(rng))},
    };
    for (const auto& [step, out] : results) ASSERT_TRUE(isValidUtf8(out)) << step << " of " << name << " gave " << out;

    const std::string html = htmlFileName(name);
    const std::string simple = simpleFileName(name);
    ASSERT_TRUE(isAscii(html)) << name << " gave " << html;
    ASSERT_TRUE(isAscii(simple)) << name << " gave " << simple;

    const int32_t max = length(rng);
    if (max > 16 && max - static_cast<int32_t>(charCount(name.substr(std::min(name.size(), name.rfind('.'))))) > 12) {
      EXPECT_LE(charCount(limitNameLength(name, max)), static_cast<size_t>(max)) << name;
    }
  }
}

TEST(NameStepsPropertyTest, EveryPairOfCaseStepsKeepsUtf8Valid) {
  std::mt19937 rng(99);
  for (int i = 0; i < 400; ++i) {
    const std::string name = randomName(rng);
    for (const auto& [firstName, first] : caseSteps()) {
      for (const auto& [secondName, second] : caseSteps()) {
        const std::string out = second(first(name));
        ASSERT_TRUE(isValidUtf8(out)) << firstName << "+" << secondName << " of " << name << " gave " << out;
      }
    }
    // Simple case mapping is one character for one.
    EXPECT_EQ(charCount(upperText(name)), charCount(name)) << name;
    EXPECT_EQ(charCount(lowerText(name)), charCount(name)) << name;
  }
}

TEST(NameStepsPropertyTest, Windows1252NamesKeepTheirLengthAndHtmlSimpleGiveAscii) {
  std::mt19937 rng(1252);
  for (int i = 0; i < 2000; ++i) {
    std::string name = testing_support::randomBytes(rng);
    std::replace(name.begin(), name.end(), '/', 'x');
    if (isValidUtf8(name)) continue;
    for (const auto& [stepName, step] : caseSteps()) {
      if (std::string(stepName) == "namecase") continue;  // trims blanks
      EXPECT_EQ(step(name).size(), name.size()) << stepName;
    }
    ASSERT_TRUE(isAscii(htmlFileName(name))) << name;
    ASSERT_TRUE(isAscii(simpleFileName(name))) << name;
  }
}

}  // namespace
}  // namespace zantrel
