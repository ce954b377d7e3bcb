// The documents that ship with zantrel against the parser's own tables: an
// option the parser accepts must be in the README, the man page and both
// completions, so that a new option without documentation fails here. The
// README must stay a readable page (it once grew to megabytes of one
// repeated paragraph), and the man page must render without a warning.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/banner.h"
#include "app/parser.h"
#include "cli/harness.h"

namespace fs = std::filesystem;
using testing_support::RunResult;
using testing_support::TempDir;

namespace {

std::string readSource(const std::string& relative) {
  std::ifstream in(fs::path(ZANTREL_SOURCE_DIR) / relative, std::ios::binary);
  EXPECT_TRUE(in) << relative << " is missing";
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool optionChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; }

// The spelling stands on its own: "-s" is not found inside "-sub" or
// "--simple", nor "-d" in "-dt".
bool mentions(const std::string& text, const std::string& spelling) {
  for (size_t at = text.find(spelling); at != std::string::npos; at = text.find(spelling, at + 1)) {
    const size_t end = at + spelling.size();
    if ((at == 0 || !optionChar(text[at - 1])) && (end == text.size() || !optionChar(text[end]))) return true;
  }
  return false;
}

// The spellings a reader looks up. "/t" and the bare "?" are the same
// options as "-t" and "-?"; the documents say once that every short option
// may be written with "/", so those are looked for in their "-" form (and
// the parser must accept that form too, or the documents would name an
// option that does not exist).
std::set<std::string> documentedSpellings() {
  std::set<std::string> spellings;
  for (const std::string& alias : zantrel::optionAliases()) {
    if (alias.empty()) continue;
    if (alias[0] == '-') spellings.insert(alias);
    else if (alias[0] == '/') spellings.insert("-" + alias.substr(1));
    else spellings.insert("-" + alias);
  }
  return spellings;
}

std::vector<std::string> missingFrom(const std::string& text) {
  std::vector<std::string> missing;
  for (const std::string& spelling : documentedSpellings()) {
    if (!mentions(text, spelling)) missing.push_back(spelling);
  }
  return missing;
}

// The man page as a reader sees its words: font changes and the escapes
// that keep groff from treating "-" and "'" as typography removed.
std::string manText() {
  std::string source = readSource("doc/zantrel.1");
  std::string text;
  for (size_t i = 0; i < source.size(); ++i) {
    if (source[i] != '\\' || i + 1 == source.size()) {
      text += source[i];
      continue;
    }
    const char next = source[i + 1];
    if (next == '-' || next == 'e') {
      text += next == '-' ? '-' : '\\';
      ++i;
    } else if (next == 'f' && i + 2 < source.size()) {
      i += 2;
    } else if (next == '&' || next == 'c') {
      ++i;
    } else if (next == '(' && i + 3 < source.size()) {
      const std::string name = source.substr(i + 2, 2);
      text += name == "aq" ? "'" : name == "dq" ? "\"" : name == "ti" ? "~" : " ";
      i += 3;
    } else {
      text += source[i];
    }
  }
  return text;
}

// Text from a "## Heading" line to the next heading of that level.
std::string markdownSection(const std::string& text, const std::string& heading) {
  const size_t start = text.find("\n## " + heading + "\n");
  if (start == std::string::npos) return {};
  const size_t end = text.find("\n## ", start + 1);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

TEST(Docs, EveryPrefixFormOfAnOptionIsOneTheParserTakes) {
  for (const std::string& spelling : documentedSpellings()) {
    const std::vector<std::string> all = zantrel::optionAliases();
    EXPECT_NE(std::find(all.begin(), all.end(), spelling), all.end()) << spelling;
  }
}

TEST(Docs, ReadmeIsAPageNotAFlood) {
  const std::string readme = readSource("README.md");
  EXPECT_LE(readme.size(), 64u * 1024u) << "README.md has grown past 64 KiB";
  // The one fault seen so far: a paragraph written again and again.
  std::set<std::string> paragraphs;
  std::istringstream in(readme);
  std::string line, paragraph;
  auto endParagraph = [&] {
    if (paragraph.size() > 80) {
      EXPECT_TRUE(paragraphs.insert(paragraph).second) << "repeated:\n" << paragraph;
    }
    paragraph.clear();
  };
  while (std::getline(in, line)) {
    if (line.empty()) endParagraph();
    else paragraph += line + "\n";
  }
  endParagraph();
}

TEST(Docs, ReadmeStartsWithTheTwoSetUpCommands) {
  const std::string readme = readSource("README.md");
  const std::string setUp = markdownSection(readme, "Set up");
  ASSERT_FALSE(setUp.empty()) << "README.md has no \"## Set up\" section";
  EXPECT_NE(setUp.find("./scripts/demo.sh"), std::string::npos);
  EXPECT_NE(setUp.find("./scripts/test.sh"), std::string::npos);
  for (const std::string heading : {"Install", "Exit status", "Folder context menu", "Linux notes"}) {
    EXPECT_FALSE(markdownSection(readme, heading).empty()) << "no \"## " << heading << "\" section";
  }
}

TEST(Docs, ReadmeNamesEveryOption) {
  EXPECT_EQ(missingFrom(readSource("README.md")), std::vector<std::string>{});
}

TEST(Docs, ManPageNamesEveryOption) {
  EXPECT_EQ(missingFrom(manText()), std::vector<std::string>{});
}

TEST(Docs, ManPageHasTheSectionsOfAManPageAndTheBannerVersion) {
  const std::string source = readSource("doc/zantrel.1");
  for (const std::string section :
       {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXAMPLES", "EXIT STATUS", "SAFETY", "FILES"}) {
    EXPECT_NE(source.find("\n.SH " + section + "\n"), std::string::npos) << section;
  }
  // "zantrel v0.61" in the banner, "zantrel 0.61" in the page's title line.
  std::string version(zantrel::BannerText);
  version.erase(version.find(" v") + 1, 1);
  const std::string title = source.substr(0, source.find('\n'));
  EXPECT_EQ(title.rfind(".TH ZANTREL 1 ", 0), 0u) << title;
  EXPECT_NE(title.find("\"" + version + "\""), std::string::npos) << title;
}

TEST(Docs, CompletionsOfferEveryOption) {
  for (const std::string file : {"completions/zantrel.bash", "completions/_zantrel"}) {
    SCOPED_TRACE(file);
    std::string text = readSource(file);
    // zsh needs the "?" of "-?" escaped.
    for (size_t at = text.find("-\\?"); at != std::string::npos; at = text.find("-\\?", at)) text.erase(at + 1, 1);
    for (const std::string& alias : zantrel::optionAliases()) {
      if (alias.empty() || alias[0] != '-') continue;
      // bash lists a value option as "-df=", zsh as "-df=-".
      if (zantrel::isValueOptionName(alias)) {
        EXPECT_NE(text.find(alias + "="), std::string::npos) << alias << "=";
      }
      if (zantrel::isBareOptionName(alias)) {
        EXPECT_TRUE(mentions(text, alias)) << alias;
      }
    }
  }
}

// Runs a shell command line in a scratch folder; 77 means the tool it needs
// is not installed.
RunResult shell(const std::string& command) {
  TempDir dir;
  return testing_support::runProgramFile("/bin/sh", {"-c", command}, dir.path());
}

TEST(Docs, ManPageRendersWithoutWarnings) {
  const std::string page = (fs::path(ZANTREL_SOURCE_DIR) / "doc/zantrel.1").string();
  const std::string quoted = testing_support::shellQuoted(page);
  int checked = 0;
  RunResult groff = shell("command -v groff >/dev/null || exit 77; groff -man -ww -z " + quoted);
  if (groff.exitCode != 77) {
    ++checked;
    EXPECT_EQ(groff.exitCode, 0);
    EXPECT_EQ(groff.err, "");
  }
  RunResult mandoc = shell("command -v mandoc >/dev/null || exit 77; mandoc -T lint -W warning " + quoted);
  if (mandoc.exitCode != 77) {
    ++checked;
    EXPECT_EQ(mandoc.exitCode, 0);
    EXPECT_EQ(mandoc.out + mandoc.err, "");
  }
  if (checked == 0) GTEST_SKIP() << "neither groff nor mandoc is installed: run scripts/setup.sh test";
}

TEST(Docs, ZshCompletionParses) {
  const std::string file = (fs::path(ZANTREL_SOURCE_DIR) / "completions/_zantrel").string();
  RunResult zsh = shell("command -v zsh >/dev/null || exit 77; zsh -n " + testing_support::shellQuoted(file));
  if (zsh.exitCode == 77) GTEST_SKIP() << "zsh is not installed: run scripts/setup.sh test";
  EXPECT_EQ(zsh.exitCode, 0) << zsh.err;
  EXPECT_EQ(zsh.err, "");
}

}  // namespace
