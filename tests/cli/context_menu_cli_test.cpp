#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "cli/harness.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;

const std::string Banner = "zantrel v0.61\nSyntax: zantrel [options] (files)  (help -? more --help)\n";
const std::string Registered = "Directory Shell Extension Registered... (right click on directory in explorer)\n";
const std::string Deleted = "Directory Shell Extension Deleted from registy\n";

// Below the XDG_DATA_HOME that runZantrel sets.
const std::string Data = ".home/.local/share/";
const std::string Store = Data + "kio/servicemenus/zantrel-folder.desktop";
const std::string NemoAction = Data + "nemo/actions/zantrel-folder.nemo_action";
const std::string Scripts = Data + "nautilus/scripts";

std::string listing(const std::string& menuText, const std::string& program, const std::string& options) {
  const std::string path = "\"" + program + "\"";
  return "\n\rShell Context Menu Extension:\n\rMUIVerb=" + menuText + "\n\rIcon=" + path + "\n\rCommand=" + path +
         " -cd=\"%1\" " + options + "\n\r\n";
}

std::string binary() { return fs::canonical(ZANTREL_BINARY).string(); }

// The value of key in group of a key file, with the string escapes undone.
std::string keyValue(const std::string& file, const std::string& group, const std::string& key) {
  bool inGroup = false;
  for (const std::string& line : lines(file)) {
    if (!line.empty() && line[0] == '[') inGroup = line == "[" + group + "]";
    if (!inGroup || line.rfind(key + "=", 0) != 0) continue;
    std::string value;
    const std::string raw = line.substr(key.size() + 1);
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != '\\' || i + 1 == raw.size()) {
        value += raw[i];
        continue;
      }
      const char c = raw[++i];
      value += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    return value;
  }
  ADD_FAILURE() << "no " << key << " in [" << group << "]";
  return {};
}

// %% becomes %, %<code> becomes field; any other code fails the test (so
// does the field code where field is empty, inside quotes).
std::string expandPercentCodes(const std::string& text, char code, const std::string& field,
                               const std::string& context) {
  std::string out;
  for (size_t k = 0; k < text.size(); ++k) {
    if (text[k] != '%') {
      out += text[k];
      continue;
    }
    const char next = k + 1 < text.size() ? text[++k] : '\0';
    if (next == '%') out += '%';
    else if (next == code && !field.empty()) out += field;
    else ADD_FAILURE() << "code %" << next << " in " << context;
  }
  return out;
}

// An Exec value split by the Desktop Entry rules, then %f replaced by the
// folder and %% by %. Breaks of the rules (a reserved character outside
// quotes, an unknown field code, a field code inside quotes) fail the test.
Args splitDesktopExec(const std::string& exec, const std::string& folder) {
  const std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
  Args args;
  size_t i = 0;
  while (i < exec.size()) {
    if (exec[i] == ' ') {
      ++i;
      continue;
    }
    std::string arg;
    bool quoted = exec[i] == '"';
    if (quoted) {
      ++i;
      while (i < exec.size() && exec[i] != '"') {
        if (exec[i] == '\\') {
          ++i;
          EXPECT_TRUE(i < exec.size() && std::string_view("\"`$\\").find(exec[i]) != std::string_view::npos)
              << "bad escape in " << exec;
        }
        if (i < exec.size()) arg += exec[i++];
      }
      EXPECT_LT(i, exec.size()) << "unclosed quote in " << exec;
      ++i;
      EXPECT_TRUE(i == exec.size() || exec[i] == ' ') << "quote not around a whole argument in " << exec;
    } else {
      while (i < exec.size() && exec[i] != ' ') {
        EXPECT_EQ(reserved.find(exec[i]), std::string_view::npos) << "unquoted '" << exec[i] << "' in " << exec;
        arg += exec[i++];
      }
    }
    args.push_back(expandPercentCodes(arg, 'f', quoted ? std::string() : folder, exec));
  }
  return args;
}

// A Nemo Exec value: tokens expanded as Nemo does with Quote=single (%F is
// the selected path in single quotes), then split by the shell rules that
// Nemo's command-line parsing follows.
Args splitNemoExec(const std::string& exec, const std::string& folder) {
  std::string quotedFolder = "'";
  for (char c : folder) quotedFolder += c == '\'' ? std::string("'\\''") : std::string(1, c);
  const std::string line = expandPercentCodes(exec, 'F', quotedFolder + "'", exec);
  Args args;
  std::string arg;
  bool inArg = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (inArg) args.push_back(arg);
      arg.clear();
      inArg = false;
    } else if (c == '#' && !inArg) {
      ADD_FAILURE() << "comment in " << line;
      break;
    } else if (c == '\'') {
      const size_t end = line.find('\'', i + 1);
      if (end == std::string::npos) {
        ADD_FAILURE() << "unclosed quote in " << line;
        break;
      }
      arg += line.substr(i + 1, end - i - 1);
      i = end;
      inArg = true;
    } else if (c == '"') {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size() &&
            std::string_view("$`\"\\\n").find(line[i + 1]) != std::string_view::npos)
          ++i;
        arg += line[i];
      }
      inArg = true;
    } else if (c == '\\' && i + 1 < line.size()) {
      arg += line[++i];
      inArg = true;
    } else {
      EXPECT_EQ(std::string_view("$`*?[~|&;<>()").find(c), std::string_view::npos) << "unquoted " << c;
      arg += c;
      inArg = true;
    }
  }
  if (inArg) args.push_back(arg);
  return args;
}

mode_t modeOf(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 0777;
}

TEST(ContextMenuCli, ShowWithoutInstallFailsAndCreatesNothing) {
  TempDir dir;
  RunResult r = runZantrel({"-show"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, Banner + "ERROR: Registry not found\n");
  EXPECT_FALSE(dir.exists(".home"));
}

TEST(ContextMenuCli, InstallWritesTheEntriesAndListsThem) {
  TempDir dir;
  RunResult r = runZantrel({"-install", "-ts=bad"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);  // a bare install ends the run
  EXPECT_EQ(r.out, Banner + Registered + listing("Zantrel --images *.jpg", binary(), "--images *.jpg"));
  EXPECT_EQ(dir.list(Scripts), Args{"Zantrel --images *.jpg"});
  // Dolphin takes service menus of the user only when they are executable.
  EXPECT_EQ(modeOf(dir / Store) & 0111, 0111u);
  EXPECT_EQ(modeOf(dir / (Scripts + "/Zantrel --images *.jpg")) & 0111, 0111u);
  EXPECT_EQ(modeOf(dir / NemoAction) & 0444, 0444u);
  // No temporary file is left behind.
  EXPECT_EQ(dir.list(Data + "kio/servicemenus"), Args{"zantrel-folder.desktop"});
  EXPECT_EQ(dir.list(Data + "nemo/actions"), Args{"zantrel-folder.nemo_action"});

  r = runZantrel({"-show"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, Banner + listing("Zantrel --images *.jpg", binary(), "--images *.jpg"));
}

TEST(ContextMenuCli, InstallWithOptionsGoesOnParsing) {
  TempDir dir;
  RunResult r = runZantrel({"-install=-nice", "-cd=/nonexistent"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, Banner + Registered + listing("Zantrel -nice", binary(), "-nice") +
                       "Error - Path not found:/nonexistent\n");
  r = runZantrel({"-install=-nice"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, Banner + Registered + listing("Zantrel -nice", binary(), "-nice"));
}

TEST(ContextMenuCli, ReinstallReplacesTheEntries) {
  TempDir dir;
  runZantrel({"-install"}, dir.path());
  // The quotes reach the program as typed in a shell: -install="-daf -s *.*"
  RunResult r = runZantrel({"--shell=-daf -pre='my photo' *.*"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  const std::string options = "-daf -pre=\"my photo\" *.*";
  EXPECT_EQ(r.out, Banner + Registered + listing("Zantrel " + options, binary(), options));
  EXPECT_EQ(dir.list(Scripts), Args{"Zantrel " + options});
  EXPECT_EQ(keyValue(dir.read(NemoAction), "Nemo Action", "Name"), "Zantrel " + options);
  r = runZantrel({"-SHOW"}, dir.path());
  EXPECT_EQ(r.out, Banner + listing("Zantrel " + options, binary(), options));
}

TEST(ContextMenuCli, UninstallRemovesEverythingOnce) {
  TempDir dir;
  runZantrel({"-install=-i"}, dir.path());
  RunResult r = runZantrel({"-uninstall"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, Banner + Deleted);
  EXPECT_FALSE(dir.exists(Store));
  EXPECT_FALSE(dir.exists(NemoAction));
  EXPECT_TRUE(dir.list(Scripts).empty());

  r = runZantrel({"--unshell"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "ERROR: Missing registry rights\n");
  r = runZantrel({"-show"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, Banner + "ERROR: Registry not found\n");
}

TEST(ContextMenuCli, UsesTheHomeFolderWithoutAnAbsoluteDataFolder) {
  for (const char* data : {"", "relative/share"}) {
    TempDir dir;
    RunResult r = runZantrel({"-install"}, dir.path(), {{"XDG_DATA_HOME", data}, {"HOME", (dir / "h").string()}});
    EXPECT_EQ(r.exitCode, 0) << data;
    EXPECT_TRUE(dir.exists("h/.local/share/kio/servicemenus/zantrel-folder.desktop")) << data;
    EXPECT_FALSE(dir.exists("relative"));
  }
}

TEST(ContextMenuCli, ReportsPlacesThatCannotBeWritten) {
  TempDir dir;
  dir.write("blocked", "a file where a folder should be");
  RunResult r = runZantrel({"-install"}, dir.path(), {{"XDG_DATA_HOME", (dir / "blocked/share").string()}});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, Banner + "ERROR: Missing registry rights\n");

  // The Nemo folder is a file: the store is written whole, the rest fails.
  dir.write(Data + "nemo", "not a folder");
  r = runZantrel({"-install=-t"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out.rfind(Banner + "ERROR: Missing registry rights?\r\n", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("nemo"), std::string::npos) << r.out;
  EXPECT_EQ(keyValue(dir.read(Store), "Desktop Entry", "X-Zantrel-MenuText"), "Zantrel -t");
  EXPECT_EQ(dir.list(Data + "kio/servicemenus"), Args{"zantrel-folder.desktop"});
}

TEST(ContextMenuCli, NeverReplacesOrRemovesAScriptItDidNotWrite) {
  TempDir dir;
  const std::string mine = Scripts + "/Zantrel --images *.jpg";
  dir.write(mine, "#!/bin/sh\necho mine\n");
  RunResult r = runZantrel({"-install"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("ERROR: Missing registry rights?\r\n"), std::string::npos) << r.out;
  EXPECT_EQ(dir.read(mine), "#!/bin/sh\necho mine\n");
  EXPECT_FALSE(dir.exists(Store));

  // Installed under other options, then the user's file takes the old name.
  r = runZantrel({"-install=-i"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  dir.write(Scripts + "/Zantrel -i", "my own\n");
  r = runZantrel({"-uninstall"}, dir.path());
  EXPECT_EQ(r.out, Banner + Deleted);
  EXPECT_EQ(dir.read(Scripts + "/Zantrel -i"), "my own\n");
  EXPECT_EQ(dir.read(mine), "#!/bin/sh\necho mine\n");
}

TEST(ContextMenuCli, ServiceMenuPassesTheDesktopFileValidator) {
  TempDir dir;
  runZantrel({"-install=-pre='a b' -suf=50% *.jpg"}, dir.path());
  const fs::path output = dir / "validate.txt";
  const std::string command = "desktop-file-validate '" + (dir / Store).string() + "' > '" + output.string() + "' 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_NE(WEXITSTATUS(status), 127) << "desktop-file-validate is missing: run scripts/setup.sh";
  // Every KDE service menu gets these two: the validator knows only the
  // Application type for them.
  Args complaints = lines(dir.read("validate.txt"));
  const std::string prefix = (dir / Store).string() + ": error: key \"";
  const std::string suffix =
      "\" is present in group \"Desktop Entry\", but the type is \"Service\" while this key is only valid for type "
      "\"Application\"";
  EXPECT_EQ(complaints, (Args{prefix + "MimeType" + suffix, prefix + "Actions" + suffix}));
}

TEST(ContextMenuCli, ExecLinesGiveTheIntendedArguments) {
  TempDir dir;
  // A program file whose path needs quoting itself.
  const fs::path program = dir / "bin 'q' $x %1" / "zantrel";
  fs::create_directories(program.parent_path());
  fs::copy_file(ZANTREL_BINARY, program);
  fs::permissions(program, fs::perms::owner_all);
  const std::string options = "-t -pre='a b$c' -suf=50%off \"x\\y\" *.jpg ~z #h (p)&;|<> b`q %f%%";
  RunResult r = runProgramFile(program.string(), {"-install=" + options}, dir.path());
  ASSERT_EQ(r.exitCode, 0) << r.out;

  const std::string folder = (dir / "my folder 'q' 100% \"d\" $HOME").string();
  const Args expected = {program.string(), "-cd=" + folder, "-t", "-pre=a b$c", "-suf=50%off", "x\\y", "*.jpg",
                         "~z", "#h", "(p)&;|<>", "b`q", "%f%%"};
  EXPECT_EQ(splitDesktopExec(keyValue(dir.read(Store), "Desktop Action zantrel", "Exec"), folder), expected);
  EXPECT_EQ(splitNemoExec(keyValue(dir.read(NemoAction), "Nemo Action", "Exec"), folder), expected);
  EXPECT_EQ(keyValue(dir.read(NemoAction), "Nemo Action", "Quote"), "single");
  EXPECT_EQ(keyValue(dir.read(Store), "Desktop Entry", "X-Zantrel-Command"),
            "\"" + program.string() + "\" -cd=\"%1\" " + "-t -pre=\"a b$c\" -suf=50%off \"x\\y\" *.jpg ~z #h (p)&;|<> b`q %f%%");
}

TEST(ContextMenuCli, NautilusScriptRunsInEachSelectedFolder) {
  TempDir dir;
  // The second -cd is relative: it succeeds only where the first one led.
  RunResult r = runZantrel({"-install=-cd=inner -t -verbose"}, dir.path());
  ASSERT_EQ(r.exitCode, 0) << r.out;
  const fs::path odd = dir.mkdir("it's a \"folder\" 100%");
  dir.mkdir("it's a \"folder\" 100%/inner");
  const fs::path bare = dir.mkdir("no inner here");
  const fs::path file = dir.write("a file.jpg");
  const std::string script = (dir / (Scripts + "/Zantrel -cd=inner -t -verbose")).string();

  const std::string selection = odd.string() + "\n" + file.string() + "\n" + bare.string();
  r = runProgramFile("/bin/sh", {script}, dir.path(), {{"NAUTILUS_SCRIPT_SELECTED_FILE_PATHS", selection}});
  EXPECT_EQ(r.exitCode, 1);  // from the folder without inner
  EXPECT_EQ(r.out, "Time-Shift: 00:00:00\n" + Banner + Banner + "Error - Path not found:inner\n");
}

}  // namespace
