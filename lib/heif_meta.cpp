#include "lib/heif_meta.h"

#include <algorithm>
#include <limits>

namespace zantrel {

namespace {

struct Property {
  uint32_t type = 0;
  uint32_t width = 0;
  uint32_t height = 0;
};

struct Association {
  uint32_t item = 0;
  uint32_t property = 0;  // 1-based index into the ipco list
};

// What the children of iprp hold, joined up with pitm once the whole meta
// box is read (the boxes may stand in any order).
struct Properties {
  std::vector<Property> list;
  std::vector<Association> associations;
};

// Version and flags of a full box.
struct FullBoxHeader {
  uint8_t version = 0;
  uint32_t flags = 0;
};

FullBoxHeader fullBoxHeader(BoxFields& f) {
  FullBoxHeader h;
  h.version = f.u8();
  h.flags = static_cast<uint32_t>(f.number(3));
  return h;
}

void readPrimary(BlockReader& reader, const IsoBox& box, HeifMeta& meta) {
  BoxFields f(reader, box.payload, box.end);
  const FullBoxHeader h = fullBoxHeader(f);
  const uint32_t id = h.version == 0 ? f.u16() : f.u32();
  if (!f.ok()) return;
  meta.hasPrimary = true;
  meta.primary = id;
}

void readItemInfo(BlockReader& reader, const IsoBox& box, HeifMeta& meta) {
  BoxFields f(reader, box.payload, box.end);
  const FullBoxHeader h = fullBoxHeader(f);
  if (h.version == 0) f.u16(); else f.u32();  // the entry count; the boxes themselves tell
  if (!f.ok()) return;
  IsoBoxWalker entries(reader, f.position(), box.end);
  IsoBox entry;
  while (meta.items.size() < MaxHeifItems && entries.next(entry)) {
    if (entry.type != fourCC("infe")) continue;
    BoxFields e(reader, entry.payload, entry.end);
    const FullBoxHeader eh = fullBoxHeader(e);
    if (eh.version < 2) continue;  // older entries carry no item type
    HeifItem item;
    item.id = eh.version == 2 ? e.u16() : e.u32();
    e.u16();  // protection index
    item.type = e.u32();
    if (e.ok()) meta.items.push_back(item);
  }
}

void readLocations(BlockReader& reader, const IsoBox& box, HeifMeta& meta) {
  BoxFields f(reader, box.payload, box.end);
  const FullBoxHeader h = fullBoxHeader(f);
  if (h.version > 2) return;
  const uint8_t sizes = f.u8();
  const uint8_t moreSizes = f.u8();
  const unsigned offsetSize = sizes >> 4;
  const unsigned lengthSize = sizes & 0x0F;
  const unsigned baseOffsetSize = moreSizes >> 4;
  const unsigned indexSize = h.version >= 1 ? moreSizes & 0x0F : 0;
  const uint32_t count = h.version < 2 ? f.u16() : f.u32();
  size_t extents = 0;
  for (uint32_t i = 0; i < count && i < MaxHeifItems && f.ok(); ++i) {
    HeifLocation location;
    location.id = h.version < 2 ? f.u16() : f.u32();
    if (h.version >= 1) location.method = f.u16() & 0x0F;
    location.dataReference = f.u16();
    const uint64_t base = f.number(baseOffsetSize);
    const uint16_t extentCount = f.u16();
    bool sound = true;
    for (uint16_t e = 0; e < extentCount && f.ok(); ++e) {
      f.number(indexSize);
      const uint64_t offset = f.number(offsetSize);
      const uint64_t length = f.number(lengthSize);
      // An offset that overflows names no place in any file.
      if (offset > std::numeric_limits<uint64_t>::max() - base) sound = false;
      if (++extents > MaxHeifExtents) return;
      location.extents.push_back({base + offset, length});
    }
    if (f.ok() && sound) meta.locations.push_back(std::move(location));
  }
}

void readReferences(BlockReader& reader, const IsoBox& box, HeifMeta& meta) {
  BoxFields f(reader, box.payload, box.end);
  const FullBoxHeader h = fullBoxHeader(f);
  if (!f.ok()) return;
  const unsigned idSize = h.version == 0 ? 2 : 4;
  IsoBoxWalker children(reader, f.position(), box.end);
  IsoBox child;
  while (children.next(child)) {
    BoxFields c(reader, child.payload, child.end);
    const uint32_t from = static_cast<uint32_t>(c.number(idSize));
    const uint16_t n = c.u16();
    for (uint16_t j = 0; j < n && meta.references.size() < MaxHeifReferences; ++j) {
      const uint32_t to = static_cast<uint32_t>(c.number(idSize));
      if (!c.ok()) break;
      meta.references.push_back({child.type, from, to});
    }
  }
}

void readPropertyContainer(BlockReader& reader, const IsoBox& box, Properties& properties) {
  IsoBoxWalker children(reader, box.payload, box.end);
  IsoBox child;
  while (properties.list.size() < MaxHeifProperties && children.next(child)) {
    Property p;
    p.type = child.type;
    if (child.type == fourCC("ispe")) {
      BoxFields f(reader, child.payload, child.end);
      fullBoxHeader(f);
      p.width = f.u32();
      p.height = f.u32();
      if (!f.ok()) p.type = 0;  // cut short: no size
    }
    properties.list.push_back(p);
  }
}

void readAssociations(BlockReader& reader, const IsoBox& box, Properties& properties) {
  BoxFields f(reader, box.payload, box.end);
  const FullBoxHeader h = fullBoxHeader(f);
  const uint32_t count = f.u32();
  for (uint32_t i = 0; i < count && i < MaxHeifItems && f.ok(); ++i) {
    const uint32_t item = h.version < 1 ? f.u16() : f.u32();
    const uint8_t n = f.u8();
    for (uint8_t j = 0; j < n && f.ok(); ++j) {
      // The top bit of each association marks it essential.
      const uint32_t index = (h.flags & 1) ? f.u16() & 0x7FFFu : f.u8() & 0x7Fu;
      if (!f.ok() || properties.associations.size() >= MaxHeifProperties * 4) return;
      properties.associations.push_back({item, index});
    }
  }
}

void readItemProperties(BlockReader& reader, const IsoBox& box, Properties& properties) {
  IsoBoxWalker children(reader, box.payload, box.end);
  IsoBox child;
  while (children.next(child)) {
    if (child.type == fourCC("ipco") && properties.list.empty()) readPropertyContainer(reader, child, properties);
    if (child.type == fourCC("ipma")) readAssociations(reader, child, properties);
  }
}

void findPrimarySize(const Properties& properties, HeifMeta& meta) {
  if (!meta.hasPrimary) return;
  for (const Association& a : properties.associations) {
    if (a.item != meta.primary || a.property == 0 || a.property > properties.list.size()) continue;
    const Property& p = properties.list[a.property - 1];
    if (p.type != fourCC("ispe")) continue;
    meta.hasPrimarySize = true;
    meta.primaryWidth = p.width;
    meta.primaryHeight = p.height;
    return;
  }
}

}  // namespace

const HeifLocation* HeifMeta::locationOf(uint32_t id) const {
  for (const HeifLocation& l : locations) {
    if (l.id == id) return &l;
  }
  return nullptr;
}

uint32_t HeifMeta::primaryExifItem() const {
  uint32_t only = 0;
  int exifItems = 0;
  for (const HeifItem& item : items) {
    if (item.type != fourCC("Exif")) continue;
    ++exifItems;
    only = item.id;
    bool describesSomething = false;
    for (const HeifReference& r : references) {
      if (r.type != fourCC("cdsc") || r.from != item.id) continue;
      if (hasPrimary && r.to == primary) return item.id;
      describesSomething = true;
    }
    if (describesSomething) only = 0;
  }
  return exifItems == 1 ? only : 0;
}

bool HeifMeta::itemParts(uint32_t id, uint64_t fileSize, std::vector<JoinedBytes::Part>& parts) const {
  const HeifLocation* location = locationOf(id);
  if (location == nullptr || location->dataReference != 0) return false;
  uint64_t origin = 0;
  uint64_t bound = fileSize;
  if (location->method == 1) {
    if (!hasIdat) return false;
    origin = idat.payload;
    bound = idat.payloadSize();
  } else if (location->method != 0) {
    return false;
  }
  parts.clear();
  for (const JoinedBytes::Part& e : location->extents) {
    if (e.offset >= bound) continue;
    const uint64_t room = bound - e.offset;
    parts.push_back({origin + e.offset, e.length == 0 ? room : std::min(e.length, room)});
  }
  return !parts.empty();
}

bool readHeifMeta(BlockReader& reader, uint64_t fileSize, HeifMeta& meta) {
  IsoBox box;
  if (!findBox(reader, 0, fileSize, fourCC("meta"), box)) return false;
  Properties properties;
  IsoBoxWalker children(reader, box.payload + 4, box.end);  // after version and flags
  IsoBox child;
  while (children.next(child)) {
    switch (child.type) {
      case fourCC("pitm"): readPrimary(reader, child, meta); break;
      case fourCC("iinf"): readItemInfo(reader, child, meta); break;
      case fourCC("iloc"): readLocations(reader, child, meta); break;
      case fourCC("iref"): readReferences(reader, child, meta); break;
      case fourCC("iprp"): readItemProperties(reader, child, properties); break;
      case fourCC("idat"):
        meta.hasIdat = true;
        meta.idat = child;
        break;
      default: break;
    }
  }
  findPrimarySize(properties, meta);
  return true;
}

}  // namespace zantrel
