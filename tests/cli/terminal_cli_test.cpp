// Whole-program tests of what a terminal shows: lines as they are written,
// names with control characters escaped, a progress line during a long run
// and a summary at its end; and that a pipe gets none of it.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "cli/harness.h"
#include "cli/terminal.h"

using namespace testing_support;

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The terminal's bytes with its line ends made plain.
std::string plain(const std::string& bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text += bytes[i];
  }
  return text;
}

void writeFiles(const TempDir& dir, int count) {
  for (int i = 0; i < count; ++i) dir.write("f" + std::to_string(1000 + i) + ".jpg");
}

size_t countWithPrefix(const TempDir& dir, const std::string& prefix) {
  size_t n = 0;
  for (const std::string& name : dir.list()) n += name.rfind(prefix, 0) == 0;
  return n;
}

const std::string OddName = "a\tb\nc\x01\x1b[31md\\e.jpg";

TEST(TerminalCli, ControlCharactersInNamesAreShownEscaped) {
  TempDir dir;
  dir.write(OddName);
  TerminalRun run({"-t", "-pre=x_", "*.jpg"}, dir.path(), Terminals::Output);
  const RunResult r = run.finish();
  EXPECT_EQ(plain(r.out), "a\\tb\\nc\\x01\\x1B[31md\\\\e.jpg -> x_a\\tb\\nc\\x01\\x1B[31md\\\\e.jpg (test)\n");
  EXPECT_EQ(r.err, "");
  // Through a pipe every byte stays.
  const RunResult piped = runZantrel({"-t", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(piped.out, OddName + " -> x_" + OddName + " (test)\n");
}

// Fixed texts keep their own tabs: the help text is no name.
TEST(TerminalCli, HelpTextIsShownAsIs) {
  TempDir dir;
  TerminalRun run({"--help"}, dir.path(), Terminals::Output);
  const RunResult r = run.finish();
  EXPECT_EQ(plain(r.out), runZantrel({"--help"}, dir.path()).out);
}

// With its terminal stopped (Ctrl-S), a run can write nothing; one that
// wrote each line at once is stopped at its first line, with one file
// renamed. A run that held its lines back would rename every file first.
TEST(TerminalCli, LinesAppearAsTheyAreWritten) {
  TempDir dir;
  constexpr int Files = 300;
  writeFiles(dir, Files);
  TerminalRun run({"-pre=x_", "*.jpg"}, dir.path(), Terminals::Output, true);
  run.collect(300);
  EXPECT_TRUE(run.running());
  EXPECT_LT(countWithPrefix(dir, "x_"), 5u);
  run.resume();
  const RunResult r = run.finish();
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(countWithPrefix(dir, "x_"), static_cast<size_t>(Files));
  EXPECT_EQ(lines(plain(r.out)).size(), static_cast<size_t>(Files));
}

// A pipe gets the same bytes in large blocks; the run does not wait for it.
TEST(TerminalCli, PipesAndFilesStayByteExact) {
  TempDir dir;
  writeFiles(dir, 50);
  dir.write(OddName);
  TerminalRun run({"-t", "-pre=x_", "*.jpg"}, dir.path(), Terminals::Error);
  const RunResult r = run.finish();
  const RunResult piped = runZantrel({"-t", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(r.out, piped.out);
  EXPECT_TRUE(contains(r.out, OddName + " -> x_" + OddName + " (test)\n"));
  EXPECT_EQ(piped.err, "");
}

TEST(TerminalCli, SummaryLineOnTheErrorTerminal) {
  const struct {
    std::vector<std::string> args;
    std::string summary;
  } cases[] = {
      {{"-pre=x_", "a.jpg,b.jpg,c.jpg"}, "zantrel: 2 renamed, 1 failed (exit status 2)"},
      // a.jpg -> x_a.jpg would fail: x_a.jpg is there.
      {{"-t", "-pre=x_", "*.jpg"}, "zantrel: 3 shown (test), 1 would fail (test) (exit status 2)"},
      {{"-l", "*.jpg"}, "zantrel: 4 unchanged"},
      {{"-8", "-pre=x_", "*.jpg"}, "zantrel: 4 skipped"},
      {{"-copy", "-cd=out", "../*.jpg"}, "zantrel: 4 copied"},
      {{"-des", "-pre=x_", "a.jpg"}, "zantrel: 1 deleted"},
      {{"-st=2020-01-01 10:00", "b.jpg"}, "zantrel: 1 re-dated"},
      {{"*.png"}, "zantrel: nothing selected"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "x_a.jpg"}) dir.write(name);
    dir.mkdir("out");
    TerminalRun run(c.args, dir.path(), Terminals::Error);
    const RunResult r = run.finish();
    const std::vector<std::string> shown = lines(screenText(plain(r.err)));
    ASSERT_FALSE(shown.empty()) << c.summary;
    EXPECT_EQ(shown.back(), c.summary);
    // A quick run shows no progress.
    EXPECT_FALSE(contains(r.err, " items, in ")) << c.summary;
  }
}

TEST(TerminalCli, NoSummaryWithoutATerminal) {
  TempDir dir;
  dir.write("a.jpg");
  dir.write("x_a.jpg");
  const RunResult r = runZantrel({"-pre=x_", "a.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "");
  // Nor for a run without a pass.
  TerminalRun help({"-?"}, dir.path(), Terminals::Error);
  EXPECT_EQ(help.finish().err, "");
}

// A run held up for more than a second: its standard output is stopped
// after the first line. Once it goes on, its progress shows on the other
// terminal until the summary takes its place.
TEST(TerminalCli, ProgressLineAfterASecond) {
  TempDir dir;
  constexpr int Files = 200;
  writeFiles(dir, Files);
  TerminalRun run({"-pre=x_", "*.jpg"}, dir.path(), Terminals::Separate, true);
  run.collect(1300);
  run.resume();
  const RunResult r = run.finish();
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(contains(r.err, " of 200 items, in .")) << r.err;
  EXPECT_EQ(screenText(plain(r.err)), "zantrel: 200 renamed\n");
  EXPECT_EQ(lines(plain(r.out)).size(), static_cast<size_t>(Files));
}

// One terminal for both: the progress line gives way to every output line,
// so the screen holds the lines and the summary and nothing else.
TEST(TerminalCli, ProgressNeverMixesWithLinesOnOneTerminal) {
  TempDir dir;
  constexpr int Files = 200;
  writeFiles(dir, Files);
  dir.mkdir("sub");
  for (int i = 0; i < 20; ++i) dir.write("sub/s" + std::to_string(i) + ".jpg");
  TerminalRun run({"-sub", "-pre=x_", "*.jpg"}, dir.path(), Terminals::Shared, true);
  run.collect(1300);
  run.resume();
  const RunResult r = run.finish();
  EXPECT_TRUE(contains(r.out, " of 220 items, in ")) << r.out;
  const std::vector<std::string> shown = lines(screenText(plain(r.out)));
  ASSERT_EQ(shown.size(), static_cast<size_t>(Files + 21));
  for (size_t i = 0; i + 1 < shown.size(); ++i) {
    EXPECT_TRUE(shown[i].rfind("f", 0) == 0 || shown[i].rfind("sub/s", 0) == 0) << shown[i];
    EXPECT_FALSE(contains(shown[i], " items, in ")) << shown[i];
  }
  EXPECT_EQ(shown.back(), "zantrel: 220 renamed");
}

}  // namespace
