#include "engine/name_steps.h"

#include <algorithm>
#include <array>

#include "app/settings.h"
#include "lib/case_map.h"
#include "lib/simple_name.h"
#include "lib/strings.h"
#include "lib/utf8.h"

namespace zantrel {

namespace {

constexpr std::array<std::string_view, 15> CameraTags = {"IMG_", "IMG0", "DSC_", "DSC0", "DSCN",
                                                         "DSCP", "DSCF", "PICT", "MVC-", "MVI_",
                                                         "MVI0", "GOPRO", "MOV_", "MOV0", "P000"};

// A download name loses its trailing "-" part (the hash or counter that
// download sites add) only when the dash stands after this many characters
// and at most this many from the end.
constexpr int64_t DownloadTailChars = 16;
constexpr int32_t ShortestLimit = 16;
constexpr int64_t ShortestBase = 12;
constexpr int32_t WordSlack = 8;
constexpr int32_t SimpleNameLength = 80;
constexpr size_t LongestExtension = 6;

struct NameParts {
  std::string_view folder;  // up to and including the last "/"
  std::string_view base;
  std::string_view ext;  // from the last "." of the name part, dot included
};

NameParts splitName(std::string_view name) {
  const size_t slash = name.rfind('/');
  const size_t folderEnd = slash == std::string_view::npos ? 0 : slash + 1;
  const std::string_view part = name.substr(folderEnd);
  const size_t dot = part.rfind('.');
  if (dot == std::string_view::npos) return {name.substr(0, folderEnd), part, {}};
  return {name.substr(0, folderEnd), part.substr(0, dot), part.substr(dot)};
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
  return replaceAll("__", "_", std::move(text));
}

// Html and Simple names promise plain ASCII, so an extension with other
// characters (".jpé") goes through the same conversion as the base name;
// a plain ASCII extension keeps every character.
std::string asciiExtension(std::string_view ext, std::string (*convert)(std::string_view)) {
  if (isAscii(ext)) return asciiLowerText(ext);
  return asciiLowerText("." + convert(ext.substr(1)));
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
    const NameParts parts = splitName(name);
    return concat(name.substr(0, name.size() - parts.ext.size()), "_" + std::string(tag), parts.ext);
  }
  return name;
}

std::string htmlFileName(std::string_view name) {
  const NameParts parts = splitName(name);
  return concat(parts.folder, htmlText(trimControls(parts.base)), asciiExtension(parts.ext, htmlText));
}

std::string simpleFileName(std::string_view name) {
  const NameParts parts = splitName(name);
  if (charCount(parts.ext, textEncoding(name)) > LongestExtension) {
    // Too long for an extension ("report.backup"): the dot is part of the name.
    const std::string_view whole = name.substr(parts.folder.size());
    return concat(parts.folder, simpleText(trimControls(whole)), {});
  }
  return concat(parts.folder, simpleText(trimControls(parts.base)), asciiExtension(parts.ext, simpleText));
}

std::string downloadFileName(std::string_view name) {
  const NameParts parts = splitName(name);
  const Encoding encoding = textEncoding(name);
  std::string base = trimControls(parts.base);
  const size_t dash = base.rfind('-');
  if (dash != std::string::npos) {
    const int64_t position = static_cast<int64_t>(charCount(std::string_view(base).substr(0, dash), encoding)) + 1;
    const int64_t length = static_cast<int64_t>(charCount(base, encoding));
    if (position > DownloadTailChars && position > length - DownloadTailChars) base.resize(dash);
  }
  return concat(parts.folder, base, asciiLowerText(parts.ext));
}

std::string nameCaseFileName(std::string_view name) {
  const NameParts parts = splitName(name);
  const Encoding encoding = textEncoding(name);
  const std::string trimmed = trimControls(parts.base);
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
  return concat(parts.folder, encodeText(base, encoding), asciiLowerText(parts.ext));
}

std::string lowerExtension(std::string_view name) {
  const NameParts parts = splitName(name);
  return concat(name.substr(0, name.size() - parts.ext.size()), lowerText(parts.ext, textEncoding(name)), {});
}

std::string upperExtension(std::string_view name) {
  const NameParts parts = splitName(name);
  return concat(name.substr(0, name.size() - parts.ext.size()), upperText(parts.ext, textEncoding(name)), {});
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
  const NameParts parts = splitName(name);
  const int64_t limit = static_cast<int64_t>(maxLength) - static_cast<int64_t>(charCount(parts.ext, encoding));
  if (limit <= ShortestBase) return std::string(name);
  const std::string_view base = name.substr(0, name.size() - parts.ext.size());
  return concat(shortenAtWord(base, static_cast<int32_t>(limit), WordSlack, encoding), parts.ext, {});
}

std::string stepReplacements(std::string name) {
  if (RunSettings.Replacements.empty()) return name;
  return replaceNames(std::move(name), RunSettings.Replacements);
}

std::string stepCameraTag(std::string name) { return tagCameraName(std::move(name), RunSettings.ImageTag); }

std::string stepHtml(std::string name) { return RunSettings.Html ? htmlFileName(name) : name; }

std::string stepSimple(std::string name) { return RunSettings.Simple ? simpleFileName(name) : name; }

std::string stepLowerCase(std::string name) { return RunSettings.LowerCase ? lowerText(name) : name; }

std::string stepUpperCase(std::string name) { return RunSettings.UpperCase ? upperText(name) : name; }

std::string stepDownloads(std::string name) { return RunSettings.Downloads ? downloadFileName(name) : name; }

std::string stepNameCase(std::string name) { return RunSettings.NameCase ? nameCaseFileName(name) : name; }

std::string stepLowerExt(std::string name) { return RunSettings.LowerExt ? lowerExtension(name) : name; }

std::string stepUpperExt(std::string name) { return RunSettings.UpperExt ? upperExtension(name) : name; }

std::string stepDeleteStart(std::string name) { return deleteFirstChars(name, RunSettings.DeleteCharsStart); }

std::string stepDeleteEnd(std::string name) { return deleteLastChars(name, RunSettings.DeleteCharsEnd); }

std::string stepDeletePos(std::string name) {
  return deleteCharsAt(name, RunSettings.DeleteCharsPos, RunSettings.DeleteCharsNum);
}

std::string stepPrefix(std::string name) { return RunSettings.Prefix + name; }

// After the extension, not before it: "a.jpg" with "_old" gives "a.jpg_old".
std::string stepSuffix(std::string name) { return name + RunSettings.Suffix; }

std::string stepMaxLength(std::string name) { return limitNameLength(name, RunSettings.MaxLength); }

}  // namespace zantrel
