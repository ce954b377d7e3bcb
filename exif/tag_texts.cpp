// Texts and entry lists of the walked entries. So far only the plain text
// of ASCII and UNDEFINED values is built, which the fixed facts (make,
// model, date text) need; titles, value formatting, decoders, report lines
// and the entry lists come with the tag tables.
#include "exif/image_info.h"

namespace zantrel {

std::string TImageInfo::buildEntryText(uint16_t /*tag*/, uint16_t type, std::string_view raw, int64_t /*valuePos*/,
                                       uint64_t /*byteCount*/, int /*kind*/) {
  if (type == 2) {
    if (!raw.empty() && raw.back() == '\0') raw.remove_suffix(1);
    return std::string(raw);
  }
  if (type == 7) return "\"" + std::string(raw.substr(0, raw.find('\0'))) + "\"";
  return {};
}

void TImageInfo::storeEntry(uint16_t /*tag*/, const std::string& /*text*/, std::string_view /*raw*/,
                            int64_t /*valuePos*/, uint16_t /*type*/, int /*kind*/) {}

void TImageInfo::deriveFocalLength35() {}

void TImageInfo::makeTitles() {}

}  // namespace zantrel
