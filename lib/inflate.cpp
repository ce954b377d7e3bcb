#include "lib/inflate.h"

#include <zlib.h>

#include <algorithm>

namespace zantrel {

bool inflateLimited(std::string_view compressed, size_t limit, std::string& out) {
  out.clear();
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(std::min<size_t>(compressed.size(), 0x7FFFFFFF));
  char chunk[16384];
  int status = Z_OK;
  while (status == Z_OK && out.size() < limit) {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = static_cast<uInt>(std::min(sizeof chunk, limit - out.size()));
    status = inflate(&stream, Z_NO_FLUSH);
    const size_t produced = static_cast<size_t>(reinterpret_cast<char*>(stream.next_out) - chunk);
    out.append(chunk, produced);
    if (status == Z_BUF_ERROR && produced > 0) status = Z_OK;  // room was short, not input
    if (produced == 0 && status == Z_OK) break;
  }
  inflateEnd(&stream);
  return !out.empty();
}

}  // namespace zantrel
