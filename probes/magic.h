// Extension of a file from its content: characteristic byte sequences in
// the first 8264 bytes decide, in a fixed order of tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zantrel {

// How much of a file the probe reads, and the buffer it reads it into: one
// byte longer, so that its last byte is always zero.
constexpr size_t ProbeReadSize = 8264;
constexpr size_t ProbeBufferSize = ProbeReadSize + 1;

// Leftmost occurrence of pattern in buffer[0 .. limit] (limit 0 = the
// buffer's last byte; a limit past the end counts as the end). On success
// position is the 1-based buffer position where the match begins.
bool findBytes(std::span<const uint8_t> pattern, std::span<const uint8_t> buffer, size_t limit,
               int32_t& position);

// The extension (".jpg", ...) for a file whose first bytes are head, or an
// empty text when no test recognises it. Only the first ProbeReadSize bytes
// of head count; a shorter head stands for a shorter file.
std::string extensionFromContent(std::span<const uint8_t> head);

// The same for the file at path, read once from its start. A path that is
// empty, missing, no regular file or cannot be opened gives an empty text.
std::string detectExtension(const std::string& path);
// The same, and readError tells why the content could not be read (the
// system's error number; 0 when it was read, or there is none to read).
std::string detectExtension(const std::string& path, int& readError);

}  // namespace zantrel
