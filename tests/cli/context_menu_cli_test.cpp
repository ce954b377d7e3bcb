#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <set>
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

// Copies the built program to folder/zantrel, as a user keeps it.
fs::path copyProgram(const fs::path& folder) {
  fs::create_directories(folder);
  const fs::path program = folder / "zantrel";
  fs::copy_file(ZANTREL_BINARY, program);
  fs::permissions(program, fs::perms::owner_all);
  return program;
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
  EXPECT_EQ(dir.list(Scripts), Args{"Zantrel (--images *.jpg)"});
  // Dolphin takes service menus of the user only when they are executable.
  EXPECT_EQ(modeOf(dir / Store) & 0111, 0111u);
  EXPECT_EQ(modeOf(dir / (Scripts + "/Zantrel (--images *.jpg)")) & 0111, 0111u);
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
  EXPECT_EQ(dir.list(Scripts), Args{"Zantrel (" + options + ")"});
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
  const std::string mine = Scripts + "/Zantrel (--images *.jpg)";
  dir.write(mine, "#!/bin/sh\necho mine\n");
  RunResult r = runZantrel({"-install"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("ERROR: Missing registry rights?\r\n"), std::string::npos) << r.out;
  EXPECT_EQ(dir.read(mine), "#!/bin/sh\necho mine\n");
  EXPECT_FALSE(dir.exists(Store));

  // Installed under other options, then the user's files take the name of
  // the script and the name that installs used to give it.
  r = runZantrel({"-install=-i"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  dir.write(Scripts + "/Zantrel (-i)", "my own\n");
  dir.write(Scripts + "/Zantrel -i", "#!/bin/sh\n# also mine\n");
  r = runZantrel({"-install=-s"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  r = runZantrel({"-uninstall"}, dir.path());
  EXPECT_EQ(r.out, Banner + Deleted);
  EXPECT_EQ(dir.list(Scripts), (Args{"Zantrel (--images *.jpg)", "Zantrel (-i)", "Zantrel -i"}));
  EXPECT_EQ(dir.read(Scripts + "/Zantrel (-i)"), "my own\n");
  EXPECT_EQ(dir.read(Scripts + "/Zantrel -i"), "#!/bin/sh\n# also mine\n");
  EXPECT_EQ(dir.read(mine), "#!/bin/sh\necho mine\n");
}

TEST(ContextMenuCli, ServiceMenuPassesTheDesktopFileValidator) {
  TempDir dir;
  // Also a program path that Dolphin gets through the shell.
  const fs::path odd = copyProgram(dir / "bin" / "100% \"q\" $x 'o'");
  for (const std::string& program : {binary(), odd.string()}) {
    SCOPED_TRACE(program);
    ASSERT_EQ(runProgramFile(program, {"-install=-pre='a b' -suf=50% *.jpg"}, dir.path()).exitCode, 0);
    const fs::path output = dir / "validate.txt";
    const std::string command =
        "desktop-file-validate '" + (dir / Store).string() + "' > '" + output.string() + "' 2>&1";
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
}

TEST(ContextMenuCli, ExecLinesGiveTheIntendedArguments) {
  TempDir dir;
  // A program file whose path needs quoting itself.
  const fs::path program = copyProgram(dir / "bin 'q' $x %1");
  const std::string options = "-t -pre='a b$c' -suf=50%off \"x\\y\" *.jpg ~z #h (p)&;|<> b`q %f%%";
  RunResult r = runProgramFile(program.string(), {"-install=" + options}, dir.path());
  ASSERT_EQ(r.exitCode, 0) << r.out;

  const std::string folder = (dir / "my folder 'q' 100% \"d\" $HOME").string();
  const Args expected = {program.string(), "-cd=" + folder, "-t", "-pre=a b$c", "-suf=50%off", "x\\y", "*.jpg",
                         "~z", "#h", "(p)&;|<>", "b`q", "%f%%"};
  // The path holds %, which Dolphin cannot start directly.
  Args throughShell = {"/bin/sh", "-c", "exec \"$0\" \"$@\""};
  throughShell.insert(throughShell.end(), expected.begin(), expected.end());
  EXPECT_EQ(splitDesktopExec(keyValue(dir.read(Store), "Desktop Action zantrel", "Exec"), folder), throughShell);
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
  const std::string script = (dir / (Scripts + "/Zantrel (-cd=inner -t -verbose)")).string();

  const std::string selection = odd.string() + "\n" + file.string() + "\n" + bare.string();
  r = runProgramFile("/bin/sh", {script}, dir.path(), {{"NAUTILUS_SCRIPT_SELECTED_FILE_PATHS", selection}});
  EXPECT_EQ(r.exitCode, 1);  // from the folder without inner
  EXPECT_EQ(r.out, "Time-Shift: 00:00:00\n" + Banner + Banner + "Error - Path not found:inner\n");
}

RunResult runArguments(const Args& args, const fs::path& cwd, const EnvList& env = {}) {
  if (args.empty()) return {};
  return runProgramFile(args[0], Args(args.begin() + 1, args.end()), cwd, env);
}

// Each file manager starts the program that was installed, in the clicked
// folder, however odd the path of the program; no part of that path ever
// runs as a command.
TEST(ContextMenuCli, EveryFileManagerStartsAProgramWhosePathNeedsQuoting) {
  const char* const programFolders[] = {
      "o'neil",
      "100% sure %f %%",
      "$HOME and $(touch pwned)",
      "say \"hi\" ",
      " two  blanks",
      "it's `touch pwned`; \"$x\" \\ 50%'",
  };
  for (const char* name : programFolders) {
    SCOPED_TRACE(name);
    TempDir dir;
    const fs::path program = copyProgram(dir / "bin" / name);
    RunResult r = runProgramFile(program.string(), {"-install=-t -pre=x_ *.jpg"}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, Banner + Registered + listing("Zantrel -t -pre=x_ *.jpg", program.string(), "-t -pre=x_ *.jpg"));
    const fs::path folder = dir.mkdir("photos of 'a' 100% $x");
    dir.write("photos of 'a' 100% $x/a.jpg");
    const std::string renamed = "a.jpg -> x_a.jpg (test)\n";
    const Args expected = {program.string(), "-cd=" + folder.string(), "-t", "-pre=x_", "*.jpg"};

    const std::string script = (dir / (Scripts + "/Zantrel (-t -pre=x_ *.jpg)")).string();
    r = runProgramFile("/bin/sh", {script}, dir.path(), {{"NAUTILUS_SCRIPT_SELECTED_FILE_PATHS", folder.string()}});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, renamed);
    EXPECT_EQ(r.err, "");

    const Args nemo = splitNemoExec(keyValue(dir.read(NemoAction), "Nemo Action", "Exec"), folder.string());
    EXPECT_EQ(nemo, expected);
    EXPECT_EQ(runArguments(nemo, dir.path()).out, renamed);

    Args dolphin = splitDesktopExec(keyValue(dir.read(Store), "Desktop Action zantrel", "Exec"), folder.string());
    EXPECT_EQ(runArguments(dolphin, dir.path()).out, renamed);
    if (std::string_view(name).find('%') != std::string_view::npos) {
      ASSERT_GE(dolphin.size(), 3u);
      EXPECT_EQ(Args(dolphin.begin(), dolphin.begin() + 3), (Args{"/bin/sh", "-c", "exec \"$0\" \"$@\""}));
      dolphin.erase(dolphin.begin(), dolphin.begin() + 3);
    }
    EXPECT_EQ(dolphin, expected);

    EXPECT_FALSE(dir.exists("pwned"));
    EXPECT_FALSE(dir.exists("photos of 'a' 100% $x/pwned"));
    EXPECT_EQ(dir.list("photos of 'a' 100% $x"), Args{"a.jpg"});
  }
}

// Nemo expands %-codes in labels too: a % of the options shows as itself.
TEST(ContextMenuCli, NemoLabelsShowPercentSignsAsTyped) {
  for (const char* options : {"-pre=%f_ *.jpg", "-suf=100% %%", "-pre=%F%U%"}) {
    SCOPED_TRACE(options);
    TempDir dir;
    ASSERT_EQ(runZantrel({std::string("-install=") + options}, dir.path()).exitCode, 0);
    const std::string action = dir.read(NemoAction);
    const std::string menuText = std::string("Zantrel ") + options;
    EXPECT_EQ(expandPercentCodes(keyValue(action, "Nemo Action", "Name"), 'F', "", "Name"), menuText);
    EXPECT_EQ(expandPercentCodes(keyValue(action, "Nemo Action", "Comment"), 'F', "", "Comment"),
              "Runs " + menuText + " in this folder");
  }
}

// The MIME types that can be executed as a script: text/plain and what the
// shared MIME database makes a subtype of it.
std::set<std::string> scriptTypes() {
  std::set<std::string> types = {"text/plain", "application/x-shellscript"};
  std::ifstream subclasses("/usr/share/mime/subclasses");
  std::string type, parent;
  while (subclasses >> type >> parent) {
    if (parent == "text/plain" || parent == "application/x-shellscript") types.insert(type);
  }
  return types;
}

// Nautilus hides scripts that the desktop does not take for programs, and
// it tells the type by the name first.
TEST(ContextMenuCli, NautilusTakesTheScriptForAProgramWhateverTheOptions) {
  if (std::system("command -v gio >/dev/null 2>&1") != 0) GTEST_SKIP() << "gio is missing: run scripts/setup.sh";
  const std::set<std::string> executable = scriptTypes();
  const char* const optionTexts[] = {"--images *.jpg", "-i *.png", "-pre=a~", "*.desktop", "-s *.tar.gz",
                                     "README", "core", "-suf=,v", "x%", "-pre=(a) *.mp4", ""};
  TempDir dir;
  for (const char* options : optionTexts) {
    SCOPED_TRACE(options);
    RunResult r = runZantrel({std::string("-install=") + options}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const Args scripts = dir.list(Scripts);
    ASSERT_EQ(scripts.size(), 1u);
    const std::string name = scripts[0];
    EXPECT_EQ(name, std::string("Zantrel (") + options + ")");
    r = runProgramFile("/bin/sh", {"-c", "exec gio info -a standard::content-type \"$0\"", Scripts + "/" + name},
                       dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string key = "standard::content-type: ";
    const size_t at = r.out.find(key);
    ASSERT_NE(at, std::string::npos) << r.out;
    const std::string type = r.out.substr(at + key.size(), r.out.find('\n', at) - at - key.size());
    EXPECT_TRUE(executable.count(type)) << type;
  }
}

// An install with an earlier program left the script under the menu text.
TEST(ContextMenuCli, RemovesItsScriptLeftUnderTheFormerName) {
  TempDir dir;
  auto rename = [&](const std::string& from, const std::string& to) {
    fs::rename(dir / (Scripts + "/" + from), dir / (Scripts + "/" + to));
  };
  // The same options, then other options, then an uninstall.
  ASSERT_EQ(runZantrel({"-install"}, dir.path()).exitCode, 0);
  rename("Zantrel (--images *.jpg)", "Zantrel --images *.jpg");
  ASSERT_EQ(runZantrel({"-install"}, dir.path()).exitCode, 0);
  EXPECT_EQ(dir.list(Scripts), Args{"Zantrel (--images *.jpg)"});
  rename("Zantrel (--images *.jpg)", "Zantrel --images *.jpg");
  ASSERT_EQ(runZantrel({"-install=-s"}, dir.path()).exitCode, 0);
  EXPECT_EQ(dir.list(Scripts), Args{"Zantrel (-s)"});
  rename("Zantrel (-s)", "Zantrel -s");
  RunResult r = runZantrel({"-uninstall"}, dir.path());
  EXPECT_EQ(r.out, Banner + Deleted);
  EXPECT_TRUE(dir.list(Scripts).empty());
}

// A look at every file a test run names, so that a change shows.
std::string snapshot(const TempDir& dir) {
  std::string all;
  if (!dir.exists(".home")) return all;
  for (const auto& entry : fs::recursive_directory_iterator(dir / ".home")) {
    all += entry.path().string() + "\n";
    if (entry.is_regular_file()) all += dir.read(fs::relative(entry.path(), dir.path()).string());
  }
  return all;
}

TEST(ContextMenuCli, TestRunsSayWhatTheyWouldWriteOrRemoveAndChangeNothing) {
  const std::string home = "zantrel: -t: would ";
  const std::string listed = listing("Zantrel --images *.jpg", binary(), "--images *.jpg");
  // Nothing installed yet, -t before or after.
  for (const Args& args : {Args{"-t", "-install"}, Args{"-install", "-t"}, Args{"--TEST", "/install"}}) {
    TempDir dir;
    RunResult r = runZantrel(args, dir.path());
    EXPECT_EQ(r.exitCode, 0) << args[0];
    EXPECT_EQ(r.out, Banner + listed) << args[0];
    const std::string root = (dir / Data).string();
    EXPECT_EQ(lines(r.err), (Args{home + "write " + root + "kio/servicemenus/zantrel-folder.desktop",
                                  home + "write " + root + "nemo/actions/zantrel-folder.nemo_action",
                                  home + "write " + root + "nautilus/scripts/Zantrel (--images *.jpg)"}));
    EXPECT_FALSE(dir.exists(".home")) << args[0];

    r = runZantrel({"-uninstall", "-t"}, dir.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "ERROR: Missing registry rights\n");
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(dir.exists(".home"));
  }

  // Installed: a test install with other options, then a test uninstall.
  TempDir dir;
  ASSERT_EQ(runZantrel({"-install"}, dir.path()).exitCode, 0);
  const std::string before = snapshot(dir);
  const std::string root = (dir / Data).string();
  RunResult r = runZantrel({"-install=-s -t", "-t"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, Banner + listing("Zantrel -s -t", binary(), "-s -t"));
  EXPECT_EQ(lines(r.err), (Args{home + "write " + root + "kio/servicemenus/zantrel-folder.desktop",
                                home + "write " + root + "nemo/actions/zantrel-folder.nemo_action",
                                home + "write " + root + "nautilus/scripts/Zantrel (-s -t)",
                                home + "remove " + root + "nautilus/scripts/Zantrel (--images *.jpg)"}));
  EXPECT_EQ(snapshot(dir), before);

  r = runZantrel({"/t", "-uninstall"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, Banner);
  EXPECT_EQ(lines(r.err), (Args{home + "remove " + root + "nautilus/scripts/Zantrel (--images *.jpg)",
                                home + "remove " + root + "nemo/actions/zantrel-folder.nemo_action",
                                home + "remove " + root + "kio/servicemenus/zantrel-folder.desktop"}));
  EXPECT_EQ(snapshot(dir), before);
  EXPECT_EQ(runZantrel({"-show"}, dir.path()).out, Banner + listed);

  // A test run fails where the install would.
  dir.write(Scripts + "/Zantrel (-i)", "my own\n");
  r = runZantrel({"-t", "-install=-i"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("ERROR: Missing registry rights?\r\n"), std::string::npos) << r.out;
  EXPECT_EQ(dir.read(Scripts + "/Zantrel (-i)"), "my own\n");
}

}  // namespace
