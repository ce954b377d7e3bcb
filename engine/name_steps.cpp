#include "engine/name_steps.h"

#include <algorithm>
#include <array>

#include "app/settings.h"
#include "engine/steps.h"
#include "lib/case_map.h"
#include "lib/paths.h"
#include "lib/simple_name.h"
#include "lib/strings.h"
#include "lib/utf8.h"

namespace zantrel {

namespace {

constexpr std::array<std::string_view, 15> CameraTags = {"IMG_", "IMG0",  "DSC_", "DSC0", "DSCN",
                                                         "DSCP", "DSCF",  "PICT", "MVC-", "MVI_",
                                                         "MVI0", "GOPRO", "MOV_", "MOV0", "P000"};

// A download name loses its trailing "-" part (the hash or counter that
// download sites add) only when the dash stands after this many characters
// and at most this many from the end.
constexpr int64_t DownloadTailChars = 16;
constexpr int32_t ShortestLimit = 16;
constexpr int64_t ShortestBase = 12;
constexpr int32_t WordSlack = 8;
constexpr size_t LongestExtension = 6;

// name up to its extension, folder part included.
std::string_view withoutExtension(std::string_view name, std::string_view ext) {
  return name.substr(0, name.size() - ext.size());
}

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string concat(std::string_view a, std::string_view b, std::string_view c) {
  std::string out;
  out.reserve(a.size() + b.size() + c.size());
  out.append(a).append(b).append(c);
  return out;
}

// The Html byte table: plain ASCII letters for the accented vowels of
// Windows-1252, "-" for : ; < = > ? @, "_" for the rest that is not a
// letter, digit or ! ( ) - _.
std::array<char, 256> buildHtmlTable() {
  std::array<char, 256> t;
  t.fill('_');
  auto set = [&](int first, int last, char value) {
    for (int b = first; b <= last; ++b) t[b] = value;
  };
  for (int b : {'!', '(', ')', '-', '_'}) t[b] = static_cast<char>(b);
  for (int b = '0'; b <= '9'; ++b) t[b] = static_cast<char>(b);
  for (int b = 'A'; b <= 'Z'; ++b) t[b] = static_cast<char>(b);
  for (int b = 'a'; b <= 'z'; ++b) t[b] = static_cast<char>(b);
  set(0x3A, 0x40, '-');
  set(0xC0, 0xC6, 'A');
  set(0xC8, 0xCB, 'E');
  set(0xCC, 0xCF, 'I');
  set(0xD2, 0xD8, 'O');
  set(0xD9, 0xDC, 'U');
  set(0xE0, 0xE6, 'a');
  set(0xE8, 0xEB, 'e');
  set(0xEC, 0xEF, 'i');
  set(0xF2, 0xF8, 'o');
  set(0xF9, 0xFC, 'u');
  return t;
}

std::string htmlText(std::string_view input) {
  static const std::array<char, 256> table = buildHtmlTable();
  std::string text = looksLikeUtf8(input) ? utf8ToAnsi(input) : std::string(input);
  for (char& c : text) c = table[static_cast<unsigned char>(c)];
  return collapseRepeats("__", "_", std::move(text));
}

// Html and Simple names promise plain ASCII, so an extension with other
// characters (".jpé") goes through the same conversion as the base name;
// a plain ASCII extension keeps every character.
std::string asciiExtension(std::string_view ext, std::string (*convert)(std::string_view)) {
  if (isAscii(ext)) return asciiLowerText(ext);
  return asciiLowerText("." + convert(ext.substr(1)));
}

StepResult setWorkName(TPassItem& item, std::string name) {
  item.WorkName = std::move(name);
  return StepResult::Continue;
}

std::string simpleText(std::string_view text) { return simpleName(text, false, SimpleNameLength); }

}  // namespace

std::string replaceNames(std::string name, const std::vector<std::string>& replacements) {
  auto entryName = [](const std::string& entry) {
    const size_t eq = entry.find('=');
    // An entry without "=" has no name and so replaces nothing.
    return eq == std::string::npos ? std::string_view() : std::string_view(entry).substr(0, eq);
  };
  auto entryValue = [](const std::string& entry) {
    const size_t eq = entry.find('=');
    return eq == std::string::npos ? std::string_view() : std::string_view(entry).substr(eq + 1);
  };
  for (const std::string& entry : replacements) {
    const std::string_view key = entryName(entry);
    if (key.empty()) continue;
    const auto first = std::find_if(replacements.begin(), replacements.end(),
                                    [&](const std::string& other) { return equalsIgnoreCase(entryName(other), key); });
    std::string_view value = entryValue(*first);
    if (value == ".") value = {};
    name = fastReplace(key, value, std::move(name));
  }
  return name;
}

std::string tagCameraName(std::string name, std::string_view tag) {
  if (tag.empty()) return name;
  const std::string marker = std::string(tag) + "_";
  for (std::string_view cameraTag : CameraTags) name = fastReplace(cameraTag, marker, std::move(name));
  if (fastPos(marker, name, false, 1) == 0) {
    const std::string ext = fileExtension(name);
    return concat(withoutExtension(name, ext), "_" + std::string(tag), ext);
  }
  return name;
}

std::string htmlFileName(std::string_view name) {
  return concat(folderPart(name), htmlText(trimControls(baseName(name))),
                asciiExtension(fileExtension(name), htmlText));
}

std::string simpleFileName(std::string_view name) {
  const std::string ext = fileExtension(name);
  if (charCount(ext, textEncoding(name)) > LongestExtension) {
    // Too long for an extension ("report.backup"): the dot is part of the name.
    return concat(folderPart(name), simpleText(trimControls(namePart(name))), {});
  }
  // The extension goes by the base name's rule: a trailing blank, or any
  // other character a simple name has not, does not stay in it.
  const std::string simpleExt = ext.empty() ? ext : "." + simpleText(trimControls(std::string_view(ext).substr(1)));
  return concat(folderPart(name), simpleText(trimControls(baseName(name))), asciiLowerText(simpleExt));
}

std::string downloadFileName(std::string_view name) {
  const Encoding encoding = textEncoding(name);
  std::string base = trimControls(baseName(name));
  const size_t dash = base.rfind('-');
  if (dash != std::string::npos) {
    const int64_t position = static_cast<int64_t>(charCount(std::string_view(base).substr(0, dash), encoding)) + 1;
    const int64_t length = static_cast<int64_t>(charCount(base, encoding));
    if (position > DownloadTailChars && position > length - DownloadTailChars) base.resize(dash);
  }
  return concat(folderPart(name), base, asciiLowerText(fileExtension(name)));
}

std::string nameCaseFileName(std::string_view name) {
  const Encoding encoding = textEncoding(name);
  const std::string trimmed = trimControls(baseName(name));
  std::u32string base = decodeText(trimmed, encoding);
  // Simple case mapping keeps one character for one, so the three texts
  // line up character by character.
  const std::u32string lower = decodeText(lowerText(trimmed, encoding), encoding);
  const std::u32string upper = decodeText(upperText(trimmed, encoding), encoding);
  const size_t n = base.size();
  const auto isDigit = [](char32_t c) { return c >= U'0' && c <= U'9'; };
  bool capital = true;
  for (size_t i = 0; i < n; ++i) {
    // An "e" between digits starts a word when something follows the
    // second digit: episode marks read S01E02.
    if (lower[i] == U'e' && i > 1 && i + 2 < n && isDigit(base[i - 1]) && isDigit(base[i + 1])) capital = true;
    base[i] = capital ? upper[i] : lower[i];
    capital = base[i] == U' ' || base[i] == U'-' || base[i] == U'.' || base[i] == U'_';
  }
  return concat(folderPart(name), encodeText(base, encoding), asciiLowerText(fileExtension(name)));
}

std::string lowerExtension(std::string_view name) {
  const std::string ext = fileExtension(name);
  return concat(withoutExtension(name, ext), lowerText(ext, textEncoding(name)), {});
}

std::string upperExtension(std::string_view name) {
  const std::string ext = fileExtension(name);
  return concat(withoutExtension(name, ext), upperText(ext, textEncoding(name)), {});
}

std::string deleteFirstChars(std::string_view name, int32_t count) {
  if (count <= 0) return std::string(name);
  return std::string(name.substr(charOffset(name, textEncoding(name), static_cast<size_t>(count))));
}

std::string deleteLastChars(std::string_view name, int32_t count) {
  if (count <= 0) return std::string(name);
  const Encoding encoding = textEncoding(name);
  const size_t length = charCount(name, encoding);
  const size_t keep = static_cast<size_t>(count) >= length ? 0 : length - static_cast<size_t>(count);
  return std::string(name.substr(0, charOffset(name, encoding, keep)));
}

std::string deleteCharsAt(std::string_view name, int32_t position, int32_t count) {
  if (position <= 0 || count <= 0) return std::string(name);
  const Encoding encoding = textEncoding(name);
  const size_t begin = charOffset(name, encoding, static_cast<size_t>(position) - 1);
  const size_t end = begin + charOffset(name.substr(begin), encoding, static_cast<size_t>(count));
  return concat(name.substr(0, begin), name.substr(end), {});
}

std::string limitNameLength(std::string_view name, int32_t maxLength) {
  if (maxLength <= ShortestLimit) return std::string(name);
  const Encoding encoding = textEncoding(name);
  const std::string ext = fileExtension(name);
  const int64_t limit = static_cast<int64_t>(maxLength) - static_cast<int64_t>(charCount(ext, encoding));
  if (limit <= ShortestBase) return std::string(name);
  return concat(shortenAtWord(withoutExtension(name, ext), static_cast<int32_t>(limit), WordSlack, encoding), ext, {});
}

StepResult stepReplacements(TPassItem& item) {
  return setWorkName(item, replaceNames(std::move(item.WorkName), RunSettings.Replacements));
}

StepResult stepCameraTags(TPassItem& item) {
  return setWorkName(item, tagCameraName(std::move(item.WorkName), RunSettings.ImageTag));
}

StepResult stepHtmlName(TPassItem& item) { return setWorkName(item, htmlFileName(item.WorkName)); }

StepResult stepSimpleName(TPassItem& item) { return setWorkName(item, simpleFileName(item.WorkName)); }

StepResult stepLowerCase(TPassItem& item) { return setWorkName(item, lowerText(item.WorkName)); }

StepResult stepUpperCase(TPassItem& item) { return setWorkName(item, upperText(item.WorkName)); }

StepResult stepDownloadName(TPassItem& item) { return setWorkName(item, downloadFileName(item.WorkName)); }

StepResult stepNameCase(TPassItem& item) { return setWorkName(item, nameCaseFileName(item.WorkName)); }

StepResult stepLowerExt(TPassItem& item) { return setWorkName(item, lowerExtension(item.WorkName)); }

StepResult stepUpperExt(TPassItem& item) { return setWorkName(item, upperExtension(item.WorkName)); }

StepResult stepDeleteAtStart(TPassItem& item) {
  return setWorkName(item, deleteFirstChars(item.WorkName, RunSettings.DeleteCharsStart));
}

StepResult stepDeleteAtEnd(TPassItem& item) {
  return setWorkName(item, deleteLastChars(item.WorkName, RunSettings.DeleteCharsEnd));
}

StepResult stepDeleteAtPosition(TPassItem& item) {
  return setWorkName(item, deleteCharsAt(item.WorkName, RunSettings.DeleteCharsPos, RunSettings.DeleteCharsNum));
}

StepResult stepPrefix(TPassItem& item) { return setWorkName(item, RunSettings.Prefix + item.WorkName); }

// After the extension, not before it: "a.jpg" with "_old" gives "a.jpg_old".
StepResult stepSuffix(TPassItem& item) { return setWorkName(item, item.WorkName + RunSettings.Suffix); }

StepResult stepMaxLength(TPassItem& item) {
  return setWorkName(item, limitNameLength(item.WorkName, RunSettings.MaxLength));
}

}  // namespace zantrel
