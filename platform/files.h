// Writing and removing small files whole: settings-like files that other
// programs read (the folder menu entries). A reader sees the old file or
// the new one, never a part.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Creates the folder and every missing parent. True when the path is a
// folder afterwards; otherwise error holds the reason.
bool createFolders(const std::string& path, std::string& error);

// Puts bytes into path as a whole: they go into a hidden temporary file
// beside it, which is flushed to disk and then renamed over path. On
// failure the temporary file is removed and path is left as it was.
// An executable file gets mode 0755, others 0644 (both less the umask).
bool replaceFile(const std::string& path, std::string_view bytes, bool executable, std::string& error);

enum class Removal { Removed, Missing, Failed };

// True when something of that name is there (a dangling link too).
bool pathExists(const std::string& path);

// Removes a file (never a folder).
Removal removeFile(const std::string& path, std::string& error);

// The whole content of a regular file of at most limit bytes; false when
// it cannot be opened or read or is larger.
bool readWholeFile(const std::string& path, std::string& bytes, size_t limit);

}  // namespace platform
