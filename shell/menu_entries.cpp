#include "shell/menu_entries.h"

#include "lib/strings.h"

namespace zantrel {

namespace {

const char* const ScriptMarker = "#!/bin/sh\n# Folder menu entry of zantrel:";
constexpr std::string_view MenuTextStart = "Zantrel ";
// Starts the program named by its first argument with the rest.
constexpr const char* ShellLauncher = "/bin/sh -c";
constexpr std::string_view ShellLauncherScript = "exec \"$0\" \"$@\"";

std::string optionsText(const std::string& options) { return replaceAll("'", "\"", options); }

bool isPlainExecCharacter(char c) {
  const unsigned char b = static_cast<unsigned char>(c);
  if (b >= 0x80) return true;  // UTF-8 sequences carry no reserved character
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("-_=+,./:@%").find(c) != std::string_view::npos;
}

// program, the folder argument as each file manager writes it, the options.
std::string execLine(const std::string& programFile, std::string_view folderArgument, const std::string& options) {
  std::string line = execArgument(programFile);
  line += ' ';
  line += folderArgument;
  for (const std::string& argument : menuOptionArguments(options)) {
    line += ' ';
    line += execArgument(argument);
  }
  return line;
}

// No slash, no control character, at most limit bytes, and never a UTF-8
// sequence cut apart.
std::string validFileName(std::string_view text, size_t limit) {
  std::string name;
  for (char c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (c == '/') name += "\xE2\x88\x95";  // division slash, looks like the slash it stands for
    else if (b < 32 || b == 127) name += ' ';
    else name += c;
  }
  if (name.size() > limit) {
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    name.resize(end);
  }
  return name;
}

std::string shellQuote(std::string_view text) { return "'" + replaceAll("'", "'\\''", std::string(text)) + "'"; }

// Nemo expands %-tokens in labels too.
std::string nemoLabel(std::string_view text) { return replaceAll("%", "%%", std::string(text)); }

std::string keyLine(std::string_view key, std::string_view value) {
  return std::string(key) + "=" + keyFileEscape(value) + "\n";
}

}  // namespace

MenuValues menuValues(const std::string& programFile, const std::string& options) {
  const std::string programPath = "\"" + programFile + "\"";
  const std::string text = optionsText(options);
  return {std::string(MenuTextStart) + text, programPath, programPath + " -cd=\"%1\" " + text};
}

std::vector<std::string> splitCommandLine(std::string_view text) {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if (static_cast<unsigned char>(c) <= 32 && !quoted) {
      if (inArgument) arguments.push_back(current);
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) arguments.push_back(current);
  return arguments;
}

std::vector<std::string> menuOptionArguments(const std::string& options) {
  return splitCommandLine(optionsText(options));
}

std::string keyFileEscape(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case ' ':
        // Readers drop blanks around the value.
        out += (i == 0 || i + 1 == value.size()) ? "\\s" : " ";
        break;
      default: out += c;
    }
  }
  return out;
}

std::string keyFileUnescape(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char next = value[++i];
    switch (next) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default:
        out += '\\';
        out += next;
    }
  }
  return out;
}

std::string execArgument(std::string_view argument) {
  bool plain = !argument.empty();
  for (char c : argument) plain = plain && isPlainExecCharacter(c);
  std::string out;
  if (!plain) out += '"';
  for (char c : argument) {
    if (c == '%') out += '%';
    else if (!plain && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
    out += c;
  }
  if (!plain) out += '"';
  return out;
}

// Dolphin looks the program up before it turns %% back into %, so a program
// path with % in it is never found. The shell that starts it instead gets
// the path as an argument, where the doubling is undone as for any other.
std::string dolphinExecLine(const std::string& programFile, const std::string& options) {
  const std::string line = execLine(programFile, "-cd=%f", options);
  if (programFile.find('%') == std::string::npos) return line;
  return std::string(ShellLauncher) + " " + execArgument(ShellLauncherScript) + " " + line;
}

std::string serviceMenuText(const MenuValues& values, const std::string& programFile, const std::string& options) {
  std::string text =
      "# Folder menu entry of zantrel for Dolphin: zantrel -install writes it, zantrel -uninstall removes it.\n"
      "[Desktop Entry]\n"
      "Type=Service\n"
      "Name=Zantrel\n"
      "MimeType=inode/directory;\n"
      "Actions=zantrel;\n"
      "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
      "X-KDE-Priority=TopLevel\n";
  text += keyLine("X-Zantrel-MenuText", values.MenuText);
  text += keyLine("X-Zantrel-Icon", values.Icon);
  text += keyLine("X-Zantrel-Command", values.Command);
  text += "\n[Desktop Action zantrel]\n";
  text += keyLine("Name", values.MenuText);
  text += keyLine("Exec", dolphinExecLine(programFile, options));
  return text;
}

std::string nemoActionText(const MenuValues& values, const std::string& programFile, const std::string& options) {
  std::string text =
      "# Folder menu entry of zantrel for Nemo: zantrel -install writes it, zantrel -uninstall removes it.\n"
      "[Nemo Action]\n"
      "Active=true\n";
  text += keyLine("Name", nemoLabel(values.MenuText));
  text += keyLine("Comment", nemoLabel("Runs " + values.MenuText + " in this folder"));
  // Quote=single makes Nemo put %F in single quotes, so the folder stays
  // one argument whatever its name holds.
  text += keyLine("Exec", execLine(programFile, "-cd=%F", options));
  text +=
      "Selection=s\n"
      "Extensions=dir;\n"
      "Quote=single\n";
  return text;
}

std::string nautilusScriptText(const std::string& programFile, const std::string& options) {
  std::string command = shellQuote(programFile) + " '-cd='\"$folder\"";
  for (const std::string& argument : menuOptionArguments(options)) command += " " + shellQuote(argument);
  return std::string(ScriptMarker) +
         " zantrel -install wrote it, zantrel -uninstall removes it.\n"
         "# Runs zantrel in each selected folder.\n"
         "IFS='\n"
         "'\n"
         "set -f\n"
         "for folder in $NAUTILUS_SCRIPT_SELECTED_FILE_PATHS; do\n"
         "  [ -d \"$folder\" ] || continue\n"
         "  " +
         command +
         " </dev/null\n"
         "done\n";
}

std::string nautilusScriptName(std::string_view menuText) {
  if (startsWith(MenuTextStart, menuText, false)) menuText.remove_prefix(MenuTextStart.size());
  // The closing parenthesis is kept whatever is cut: it is what makes the
  // name one that no file type claims.
  return validFileName("Zantrel (" + std::string(menuText), 254) + ")";
}

std::string formerNautilusScriptName(std::string_view menuText) { return validFileName(menuText, 255); }

bool isOwnNautilusScript(std::string_view content) { return startsWith(ScriptMarker, content, false); }

std::optional<MenuValues> readMenuValues(std::string_view serviceMenu) {
  std::optional<std::string> menuText, icon, command;
  bool inEntryGroup = false;
  size_t start = 0;
  while (start < serviceMenu.size()) {
    size_t end = serviceMenu.find('\n', start);
    if (end == std::string_view::npos) end = serviceMenu.size();
    std::string_view line = serviceMenu.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      inEntryGroup = line == "[Desktop Entry]";
      continue;
    }
    const size_t eq = line.find('=');
    if (!inEntryGroup || eq == std::string_view::npos) continue;
    std::string_view key = line.substr(0, eq);
    while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
    std::string_view value = line.substr(eq + 1);
    while (!value.empty() && (value[0] == ' ' || value[0] == '\t')) value.remove_prefix(1);
    std::optional<std::string>* slot = key == "X-Zantrel-MenuText" ? &menuText
                                       : key == "X-Zantrel-Icon"   ? &icon
                                       : key == "X-Zantrel-Command" ? &command
                                                                    : nullptr;
    if (slot && !*slot) *slot = keyFileUnescape(value);
  }
  if (!command) return std::nullopt;
  return MenuValues{menuText.value_or(""), icon.value_or(""), *command};
}

}  // namespace zantrel
