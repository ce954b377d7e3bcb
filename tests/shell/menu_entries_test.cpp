#include "shell/menu_entries.h"

#include <gtest/gtest.h>

using namespace zantrel;

namespace {

using Args = std::vector<std::string>;

TEST(MenuEntries, SplitsTheCommandLineLikeTheStoredCommandIsSplit) {
  const struct {
    const char* text;
    Args expected;
  } cases[] = {
      {"--images *.jpg", {"--images", "*.jpg"}},
      {"  -daf\t-s   *.*  ", {"-daf", "-s", "*.*"}},
      {"-pre=\"my photo\" *.jpg", {"-pre=my photo", "*.jpg"}},
      {"\"a b\"c\" d\"", {"a bc d"}},
      {"x \"\" y", {"x", "", "y"}},
      {"-pre=\"open end", {"-pre=open end"}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(splitCommandLine(c.text), c.expected) << c.text;
}

TEST(MenuEntries, InstallOptionsTurnSingleIntoDoubleQuotes) {
  const MenuValues v = menuValues("/opt/z/zantrel", "-pre='a b' *.jpg");
  EXPECT_EQ(v.MenuText, "Zantrel -pre=\"a b\" *.jpg");
  EXPECT_EQ(v.Icon, "\"/opt/z/zantrel\"");
  EXPECT_EQ(v.Command, "\"/opt/z/zantrel\" -cd=\"%1\" -pre=\"a b\" *.jpg");
  EXPECT_EQ(menuOptionArguments("-pre='a b' *.jpg"), (Args{"-pre=a b", "*.jpg"}));
}

TEST(MenuEntries, KeyFileEscapesRoundTrip) {
  const struct {
    const char* value;
    const char* escaped;
  } cases[] = {
      {"Zantrel --images *.jpg", "Zantrel --images *.jpg"},
      {"Zantrel ", "Zantrel\\s"},
      {" lead", "\\slead"},
      {"a\\b", "a\\\\b"},
      {"line\nnext\tend\r", "line\\nnext\\tend\\r"},
      {"\\s is no blank", "\\\\s is no blank"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(keyFileEscape(c.value), c.escaped) << c.value;
    EXPECT_EQ(keyFileUnescape(c.escaped), c.value) << c.escaped;
  }
  EXPECT_EQ(keyFileUnescape("odd \\x and end\\"), "odd \\x and end\\");
}

TEST(MenuEntries, ExecArgumentsQuoteEveryReservedCharacter) {
  const struct {
    const char* argument;
    const char* exec;
  } cases[] = {
      {"--images", "--images"},
      {"/usr/bin/zantrel", "/usr/bin/zantrel"},
      {"50%", "50%%"},
      {"*.jpg", "\"*.jpg\""},
      {"", "\"\""},
      {"a b", "\"a b\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"$HOME`x`\\", "\"\\$HOME\\`x\\`\\\\\""},
      {"~x", "\"~x\""},
      {"it's", "\"it's\""},
      {"#1;(a)|b&c<d>e?", "\"#1;(a)|b&c<d>e?\""},
      {"100% [x]", "\"100%% [x]\""},
      {"Ärger", "Ärger"},
  };
  for (const auto& c : cases) EXPECT_EQ(execArgument(c.argument), c.exec) << c.argument;
}

TEST(MenuEntries, ScriptNameIsAValidFileNameThatEndsInAParenthesis) {
  const struct {
    std::string menuText, name, formerName;
  } cases[] = {
      {"Zantrel --images *.jpg", "Zantrel (--images *.jpg)", "Zantrel --images *.jpg"},
      {"Zantrel ", "Zantrel ()", "Zantrel "},
      {"Zantrel -cm=/media/x", "Zantrel (-cm=\xE2\x88\x95media\xE2\x88\x95x)", "Zantrel -cm=\xE2\x88\x95media\xE2\x88\x95x"},
      {"Zantrel a\tb\nc\x7F", "Zantrel (a b c )", "Zantrel a b c "},
      // A stored text that lost its start still gets a name of the same kind.
      {"other", "Zantrel (other)", "other"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(nautilusScriptName(c.menuText), c.name) << c.menuText;
    EXPECT_EQ(formerNautilusScriptName(c.menuText), c.formerName) << c.menuText;
  }
  // "Zantrel (" and 245 bytes, then a three-byte character across the limit
  // of 254 bytes before the closing parenthesis.
  const std::string longText = "Zantrel " + std::string(245, 'x') + "\xE2\x82\xAC" + "tail";
  EXPECT_EQ(nautilusScriptName(longText), "Zantrel (" + std::string(245, 'x') + ")");
  const std::string cut = nautilusScriptName("Zantrel " + std::string(300, 'y'));
  EXPECT_EQ(cut.size(), 255u);
  EXPECT_EQ(cut.back(), ')');
  EXPECT_EQ(formerNautilusScriptName("Zantrel " + std::string(246, 'x') + "\xE2\x82\xAC"), "Zantrel " + std::string(246, 'x'));
}

TEST(MenuEntries, DolphinStartsAProgramWithPercentInItsPathThroughTheShell) {
  const MenuValues v = menuValues("/opt/50%/zantrel", "-s");
  const std::string plain = serviceMenuText(v, "/opt/z/zantrel", "-s");
  EXPECT_NE(plain.find("\nExec=/opt/z/zantrel -cd=%f -s\n"), std::string::npos) << plain;
  const std::string text = serviceMenuText(v, "/opt/50%/zantrel", "-s");
  // The Exec value as the file holds it, with its backslashes doubled.
  EXPECT_NE(text.find(R"(
Exec=/bin/sh -c "exec \\"\\$0\\" \\"\\$@\\"" /opt/50%%/zantrel -cd=%f -s
)"),
            std::string::npos)
      << text;
}

TEST(MenuEntries, ReadsTheStoredValuesBack) {
  const MenuValues v{"Zantrel ", "\"/a b/zantrel\"", "\"/a b/zantrel\" -cd=\"%1\" x\\y"};
  const std::string file = serviceMenuText(v, "/a b/zantrel", "");
  const std::optional<MenuValues> back = readMenuValues(file);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->MenuText, v.MenuText);
  EXPECT_EQ(back->Icon, v.Icon);
  EXPECT_EQ(back->Command, v.Command);
}

TEST(MenuEntries, ReadsOnlyTheEntryGroupAndNeedsTheCommand) {
  EXPECT_FALSE(readMenuValues(""));
  EXPECT_FALSE(readMenuValues("[Desktop Entry]\nX-Zantrel-MenuText=Zantrel x\n"));
  EXPECT_FALSE(readMenuValues("[Other]\nX-Zantrel-Command=c\n"));
  const std::optional<MenuValues> v =
      readMenuValues("# note\r\n[Desktop Entry]\r\nX-Zantrel-Command = \\sc d \r\n[Desktop Action zantrel]\r\n"
                     "X-Zantrel-Icon=elsewhere\r\n");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->Command, " c d ");
  EXPECT_EQ(v->MenuText, "");
  EXPECT_EQ(v->Icon, "");
}

TEST(MenuEntries, RecognisesItsOwnScripts) {
  EXPECT_TRUE(isOwnNautilusScript(nautilusScriptText("/usr/bin/zantrel", "--images *.jpg")));
  EXPECT_FALSE(isOwnNautilusScript("#!/bin/sh\necho mine\n"));
  EXPECT_FALSE(isOwnNautilusScript(""));
}

}  // namespace
