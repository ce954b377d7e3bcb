// The bash completion as bash runs it: the script is sourced into a plain
// bash (no bash-completion package), the words are set up the way bash
// splits a command line (at blanks and at "=" and ":"), and the answers are
// compared whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/harness.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

struct CompletionCase {
  std::string line;                // the command line up to the cursor
  std::vector<std::string> words;  // COMP_WORDS as bash splits the line
  std::vector<std::string> offered;
};

std::vector<std::string> complete(const TempDir& dir, const CompletionCase& c) {
  std::string words;
  for (const std::string& word : c.words) words += " " + shellQuoted(word);
  const std::string script =
      "COMP_WORDBREAKS=$' \\t\\n\"\\'><=;|&(:'\n"
      "source " + shellQuoted((fs::path(ZANTREL_SOURCE_DIR) / "completions/zantrel.bash").string()) + "\n"
      "COMP_LINE=" + shellQuoted(c.line) + "; COMP_POINT=${#COMP_LINE}\n"
      "COMP_WORDS=(" + words + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
      "_zantrel\n"
      "printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort\n";
  RunResult r = runProgramFile("/bin/bash", {"--norc", "--noprofile", "-c", script}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  std::vector<std::string> offered = lines(r.out);
  if (offered.size() == 1 && offered[0].empty()) offered.clear();
  return offered;
}

TEST(CompletionCli, AnswersAsBashSplitsTheLine) {
  TempDir dir;
  dir.write("IMG_0001.JPG");
  dir.write("notes.txt");
  dir.mkdir("My Photos");
  dir.mkdir("card");
  const std::vector<CompletionCase> cases = {
      // Readline replaces what follows the "=", so the values come bare.
      {"zantrel -dt=", {"zantrel", "-dt", "="}, {"A", "C", "E", "W"}},
      {"zantrel -i -dt=e", {"zantrel", "-i", "-dt", "=", "e"}, {"E"}},
      {"zantrel --date-type=W", {"zantrel", "--date-type", "=", "W"}, {"W"}},
      {"zantrel -DT=", {"zantrel", "-DT", "="}, {"A", "C", "E", "W"}},
      {"zantrel -cd=My", {"zantrel", "-cd", "=", "My"}, {"My Photos/"}},
      {"zantrel -cm=c", {"zantrel", "-cm", "=", "c"}, {"card/"}},
      {"zantrel -pre=", {"zantrel", "-pre", "="}, {}},
      {"zantrel --vers", {"zantrel", "--vers"}, {"--version"}},
      {"zantrel --date-fo", {"zantrel", "--date-fo"}, {"--date-format="}},
      {"zantrel --date-f", {"zantrel", "--date-f"}, {"--date-format=", "--date-from-name"}},
      {"zantrel -dc", {"zantrel", "-dc"}, {"-dce=", "-dcn=", "-dcp=", "-dcs="}},
      {"zantrel -t IMG", {"zantrel", "-t", "IMG"}, {"IMG_0001.JPG"}},
      {"zantrel -t n", {"zantrel", "-t", "n"}, {"notes.txt"}},
  };
  for (const CompletionCase& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(complete(dir, c), c.offered);
  }
}

// Where bash is told not to split at "=", the whole argument is the word.
TEST(CompletionCli, AnswersWholeArgumentsWhenEqualsSplitsNothing) {
  TempDir dir;
  const std::string script =
      "source " + shellQuoted((fs::path(ZANTREL_SOURCE_DIR) / "completions/zantrel.bash").string()) + "\n"
      "COMP_WORDBREAKS=$' \\t\\n'\n"
      "COMP_LINE='zantrel -dt='; COMP_POINT=${#COMP_LINE}; COMP_WORDS=(zantrel -dt=); COMP_CWORD=1\n"
      "_zantrel; printf '%s\\n' \"${COMPREPLY[@]}\"\n";
  RunResult r = runProgramFile("/bin/bash", {"--norc", "--noprofile", "-c", script}, dir.path());
  EXPECT_EQ(r.out, "-dt=C\n-dt=A\n-dt=W\n-dt=E\n");
}

// After "-" every option is offered, each value option with its "=".
TEST(CompletionCli, ADashOffersTheOptions) {
  TempDir dir;
  dir.write("-x");  // a file whose name would match a "-?" left unquoted
  const std::vector<std::string> offered = complete(dir, {"zantrel -", {"zantrel", "-"}, {}});
  for (const std::string option : {"-?", "--help", "-V", "-t", "-i", "-s", "-sub", "-d", "-dn", "-dt=", "-df=",
                                   "-cm", "-cm=", "-install", "-install=", "--simple"}) {
    EXPECT_NE(std::find(offered.begin(), offered.end(), option), offered.end()) << option;
  }
  for (const std::string& word : offered) EXPECT_EQ(word.rfind("-", 0), 0u) << word;
}

}  // namespace
