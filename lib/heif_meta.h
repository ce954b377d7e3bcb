// The item structure of a HEIF file (HEIC, AVIF): the top-level meta box
// names the primary image, lists the items (images, EXIF, XMP) with their
// types, where their bytes lie, how they refer to each other, and which
// properties (such as the image size) belong to which item.
#pragma once

#include <cstdint>
#include <vector>

#include "lib/byte_reader.h"
#include "lib/iso_boxes.h"

namespace zantrel {

// A real file has a few hundred items at most (one per tile of a grid);
// beyond these counts the rest of a list is not read.
inline constexpr size_t MaxHeifItems = 4096;
inline constexpr size_t MaxHeifExtents = 1 << 14;
inline constexpr size_t MaxHeifReferences = 1 << 14;
inline constexpr size_t MaxHeifProperties = 4096;

struct HeifItem {
  uint32_t id = 0;
  uint32_t type = 0;  // fourCC: "hvc1", "av01", "grid", "Exif", "mime", ...
};

struct HeifLocation {
  uint32_t id = 0;
  // 0: offsets into the file; 1: offsets into the idat box; 2: offsets
  // into another item (not followed here).
  int method = 0;
  uint16_t dataReference = 0;  // 0: this file
  // Base offset already added; a length of 0 runs to the end of the file
  // or of idat.
  std::vector<JoinedBytes::Part> extents;
};

struct HeifReference {
  uint32_t type = 0;  // "cdsc", "dimg", "thmb", "auxl"
  uint32_t from = 0;
  uint32_t to = 0;
};

struct HeifMeta {
  bool hasPrimary = false;
  uint32_t primary = 0;
  std::vector<HeifItem> items;
  std::vector<HeifLocation> locations;
  std::vector<HeifReference> references;
  bool hasIdat = false;
  IsoBox idat;
  // The image size property ("ispe") associated with the primary item.
  bool hasPrimarySize = false;
  uint32_t primaryWidth = 0;
  uint32_t primaryHeight = 0;

  const HeifLocation* locationOf(uint32_t id) const;
  // The EXIF item that describes the primary image: the one whose "cdsc"
  // reference names it, else the only EXIF item when that one describes
  // nothing else. 0 when there is none.
  uint32_t primaryExifItem() const;
  // The bytes of an item stored in this file, its extents joined; false
  // when it has no location or lies elsewhere (another file, another item).
  bool itemParts(uint32_t id, uint64_t fileSize, std::vector<JoinedBytes::Part>& parts) const;
};

// Reads the top-level meta box of the file read through reader (which
// must be positioned on a source whose offset 0 is the file's start).
// False when the file has no meta box.
bool readHeifMeta(BlockReader& reader, uint64_t fileSize, HeifMeta& meta);

}  // namespace zantrel
