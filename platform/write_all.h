// For the platform layer only: writing a whole buffer to a descriptor.
#pragma once

#include <cstddef>

namespace platform {

// Writes every byte, going on after interrupted or partial writes; false
// with errno set when the descriptor takes no more.
bool writeAll(int fd, const char* data, size_t size);
// The same at a file offset (pwrite): the descriptor's position is left alone.
bool writeAllAt(int fd, const char* data, size_t size, long long offset);

}  // namespace platform
