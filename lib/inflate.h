// Decompression of zlib streams (compressed PNG text), never to more than
// a fixed number of bytes, whatever the stream would expand to.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zantrel {

// Inflates the zlib stream in compressed into out, stopping after at most
// limit bytes. False when nothing could be inflated; a stream that is cut
// short or broken later keeps what came out before.
bool inflateLimited(std::string_view compressed, size_t limit, std::string& out);

}  // namespace zantrel
