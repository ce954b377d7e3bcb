#include "engine/pass_report.h"

#include <gtest/gtest.h>

#include "app/outcome.h"

namespace zantrel {
namespace {

TEST(FailureMessage, FailureWordsAndWarnings) {
  const struct {
    const char* message;
    bool failure;
  } cases[] = {
      {"ERROR Can't rename file a -> b !", true},
      {"ERROR! Failed to copy: a", true},
      {"ERROR: Missing rights", true},
      {"Error: Can not find file (char-set?) (a / a)", true},
      {"Error! _zantrel_240101-1000.log", true},
      {" Error make directory: /lib/Music/2020/", true},
      {" Error: no files in folder date found?", true},
      {"Warning: no Exif date found, using filedate. (a)", false},
      {"WARNING destination exists - overwrite b !", false},
      {"File exists (skipping): /lib/a.jpg", false},
      {"ERRORS.jpg", false},
      {"Errors of youth.jpg", false},
      {"ERROR", false},
      {" -> ERROR 1.jpg", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(isFailureMessage(c.message), c.failure) << '"' << c.message << '"';
}

TEST(RunOutcome, ExitStatus) {
  TRunOutcome o;
  EXPECT_EQ(exitStatusOf(o), 0);
  o.Renamed = 3;
  o.Skipped = 1;
  EXPECT_EQ(exitStatusOf(o), 0);
  o.OtherFailures = 1;
  EXPECT_EQ(exitStatusOf(o), 2);
  o.OtherFailures = 0;
  o.Failed = 1;
  EXPECT_EQ(exitStatusOf(o), 2);
  o.Signal = 15;
  EXPECT_EQ(exitStatusOf(o), 143);
}

TEST(RunOutcome, SummaryNamesWhatIsNotZero) {
  TRunOutcome o;
  EXPECT_EQ(summaryText(o), "nothing selected");
  o.Renamed = 12;
  o.Unchanged = 3;
  o.Failed = 1;
  o.OtherFailures = 1;
  EXPECT_EQ(summaryText(o), "12 renamed, 3 unchanged, 2 failed");
  TRunOutcome p;
  p.Previewed = 2;
  EXPECT_EQ(summaryText(p), "2 shown (test)");
}

}  // namespace
}  // namespace zantrel
