#include <gtest/gtest.h>

#include "app/settings.h"
#include "cli/harness.h"
#include "engine/rename_log.h"
#include "platform/console.h"

namespace {

using namespace zantrel;

TEST(RenameLog, EscapesFields) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain name.jpg", "plain name.jpg"},
      {"tab\there", "tab\\there"},
      {"line\nbreak\r", "line\\nbreak\\r"},
      {"back\\slash", "back\\\\slash"},
      {"\\t literally", "\\\\t literally"},  // a name holding "\t" stays distinguishable
      {std::string("nul\0x", 5), "nul\\x00x"},
      {"\x1b[31m", "\\x1B[31m"},
      {"del\x7f", "del\\x7F"},
      {"\xC3\xA4rger \xE4.jpg", "\xC3\xA4rger \xE4.jpg"},  // UTF-8 and other high bytes stay
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(escapeLogField(in), out);
}

class LogFile : public ::testing::Test {
 protected:
  void SetUp() override { saved = RunSettings.LogFileName; }
  void TearDown() override { RunSettings.LogFileName = saved; }
  std::string saved;
  testing_support::TempDir dir;
};

TEST_F(LogFile, AppendsOneRecordPerLine) {
  RunSettings.LogFileName = (dir / "_zantrel_test.log").string();
  writeLogLine({"rename", "a\tb.jpg", "new\nname.jpg", "file"});
  writeLogLine({"time", "x.jpg", "Create+Write adjusted"});
  EXPECT_EQ(dir.read("_zantrel_test.log"),
            "rename\ta\\tb.jpg\tnew\\nname.jpg\tfile\r\n"
            "time\tx.jpg\tCreate+Write adjusted\r\n");
}

TEST_F(LogFile, UnwritableLogIsReportedAndTheRecordLost) {
  dir.mkdir("_zantrel_test.log");
  RunSettings.LogFileName = (dir / "_zantrel_test.log").string();
  std::string out;
  platform::captureOutput(&out);
  writeLogLine({"rename", "a", "b", "file"});
  platform::captureOutput(nullptr);
  EXPECT_EQ(out, "Error! " + RunSettings.LogFileName + "\n");
}

}  // namespace
