#include "support/media_builder.h"

#include <zlib.h>

#include <stdexcept>

namespace testing_support {

namespace {

std::string be32(uint32_t v) { return u32(v, true); }
std::string be16(uint16_t v) { return u16(v, true); }
std::string le32(uint32_t v) { return u32(v, false); }
std::string le16(uint16_t v) { return u16(v, false); }

std::string fourChars(std::string_view type) {
  if (type.size() != 4) throw std::invalid_argument("a box type has four characters");
  return std::string(type);
}

// --- HEIF ---------------------------------------------------------------------

std::string itemId(uint32_t id, bool wide) { return wide ? be32(id) : be16(static_cast<uint16_t>(id)); }

struct Extent {
  uint32_t offset = 0;
  uint32_t length = 0;
};

struct ItemPlace {
  uint32_t id = 0;
  int method = 0;
  uint32_t base = 0;
  std::vector<Extent> extents;
};

std::string itemLocations(const HeifLayout& l, const std::vector<ItemPlace>& items) {
  const int v = l.ilocVersion;
  std::string p;
  p += static_cast<char>(0x44);                                    // offset size 4, length size 4
  p += static_cast<char>(l.ilocBaseSize << 4);                     // base offset size, index size 0
  p += v < 2 ? be16(static_cast<uint16_t>(items.size())) : be32(static_cast<uint32_t>(items.size()));
  for (const ItemPlace& item : items) {
    p += itemId(item.id, v == 2);
    if (v >= 1) p += be16(static_cast<uint16_t>(item.method));
    p += be16(0);  // this file
    if (l.ilocBaseSize == 4) p += be32(item.base);
    p += be16(static_cast<uint16_t>(item.extents.size()));
    for (const Extent& e : item.extents) p += be32(e.offset) + be32(e.length);
  }
  return fullIsoBox("iloc", static_cast<uint8_t>(v), 0, p);
}

std::string itemInfo(const HeifLayout& l, const std::vector<std::pair<uint32_t, std::string>>& items) {
  const bool wide = l.infeVersion == 3;
  std::string entries;
  for (const auto& [id, type] : items) {
    entries += fullIsoBox("infe", static_cast<uint8_t>(l.infeVersion), 0,
                          itemId(id, wide) + be16(0) + type + std::string(1, '\0'));
  }
  return fullIsoBox("iinf", 0, 0, be16(static_cast<uint16_t>(items.size())) + entries);
}

std::string reference(std::string_view type, uint32_t from, uint32_t to) {
  return isoBox(type, be16(static_cast<uint16_t>(from)) + be16(1) + be16(static_cast<uint16_t>(to)));
}

// The pieces of an EXIF payload, each followed by filler in the data
// that holds them, so that only a join of the extents gives it back.
void placePieces(const std::string& payload, int pieces, std::string& data, std::vector<Extent>& extents) {
  const size_t piece = (payload.size() + static_cast<size_t>(pieces) - 1) / static_cast<size_t>(pieces);
  for (size_t at = 0; at < payload.size(); at += piece) {
    const std::string part = payload.substr(at, piece);
    extents.push_back({static_cast<uint32_t>(data.size()), static_cast<uint32_t>(part.size())});
    data += part;
    data += std::string(7, '\xAA');
  }
}

std::string exifItemPayload(const HeifLayout& l, const std::string& tiff) {
  const uint32_t counted = l.prefixCounted ? static_cast<uint32_t>(l.prefix.size()) : 0;
  return be32(counted) + l.prefix + tiff;
}

}  // namespace

std::string u64be(uint64_t value) { return be32(static_cast<uint32_t>(value >> 32)) + be32(static_cast<uint32_t>(value)); }

std::string isoBox(std::string_view type, std::string_view payload) {
  return be32(static_cast<uint32_t>(8 + payload.size())) + fourChars(type) + std::string(payload);
}

std::string largeIsoBox(std::string_view type, std::string_view payload) {
  return be32(1) + fourChars(type) + u64be(16 + payload.size()) + std::string(payload);
}

std::string fullIsoBox(std::string_view type, uint8_t version, uint32_t flags, std::string_view payload) {
  return isoBox(type, std::string(1, static_cast<char>(version)) + be32(flags).substr(1) + std::string(payload));
}

std::string fileTypeBox(std::string_view majorBrand) {
  return isoBox("ftyp", fourChars(majorBrand) + be32(0) + fourChars(majorBrand) + "mif1");
}

std::string heifFile(const HeifLayout& l) {
  if (l.inIdat && l.ilocVersion == 0) throw std::invalid_argument("iloc version 0 has no idat items");
  const bool hasExif = !l.tiff.empty();
  const bool hasThumbExif = !l.thumbnailTiff.empty();
  const std::string ftyp = fileTypeBox(l.brand);
  const std::string primaryImage(64, '\x11');
  const std::string thumbImage(16, '\x22');

  std::vector<std::pair<uint32_t, std::string>> items;
  if (hasThumbExif) items.push_back({4, "Exif"});
  items.push_back({1, "hvc1"});
  items.push_back({2, "hvc1"});
  if (hasExif) items.push_back({3, "Exif"});

  // Two rounds: the first measures the meta box, whose size the media
  // offsets depend on; the second writes them.
  std::string file;
  uint32_t mdatPayload = 0;
  for (int round = 0; round < 2; ++round) {
    std::string mdat;
    std::string idat;
    std::vector<ItemPlace> places;
    places.push_back({1, 0, mdatPayload, {{0, static_cast<uint32_t>(primaryImage.size())}}});
    mdat += primaryImage;
    places.push_back({2, 0, mdatPayload, {{static_cast<uint32_t>(mdat.size()), static_cast<uint32_t>(thumbImage.size())}}});
    mdat += thumbImage;
    if (hasExif) {
      ItemPlace exif{3, l.inIdat ? 1 : 0, 0, {}};
      const std::string payload = exifItemPayload(l, l.tiff);
      if (l.inIdat) {
        placePieces(payload, l.extents, idat, exif.extents);
      } else {
        placePieces(payload, l.extents, mdat, exif.extents);
        exif.base = mdatPayload;
      }
      if (l.ilocBaseSize == 0) {
        for (Extent& e : exif.extents) e.offset += exif.base;
        exif.base = 0;
      }
      if (l.lastExtentToEnd) {
        exif.extents.back().length = 0;
        if (l.inIdat) {
          idat.erase(idat.size() - 7);
        } else {
          mdat.erase(mdat.size() - 7);  // the payload must then end the file
        }
      }
      places.push_back(exif);
    }
    if (hasThumbExif) {
      const std::string payload = exifItemPayload(l, l.thumbnailTiff);
      if (l.lastExtentToEnd && !l.inIdat) throw std::invalid_argument("the EXIF item must end the file");
      places.insert(places.begin(),
                    ItemPlace{4, 0, mdatPayload, {{static_cast<uint32_t>(mdat.size()), static_cast<uint32_t>(payload.size())}}});
      mdat += payload;
    }
    if (l.ilocBaseSize == 0) {
      for (ItemPlace& p : places) {
        if (p.base == 0) continue;
        for (Extent& e : p.extents) e.offset += p.base;
        p.base = 0;
      }
    }

    std::string references = reference("thmb", 2, 1);
    if (hasThumbExif) references = reference("cdsc", 4, 2) + references;
    if (hasExif && l.link == HeifLayout::Link::ToPrimary) references += reference("cdsc", 3, 1);
    if (hasExif && l.link == HeifLayout::Link::ToThumbnail) references += reference("cdsc", 3, 2);

    // The thumbnail's size comes first, so that only the association finds
    // the primary image's.
    const std::string properties =
        isoBox("ipco", fullIsoBox("ispe", 0, 0, be32(320) + be32(240)) +
                           fullIsoBox("ispe", 0, 0, be32(l.width) + be32(l.height))) +
        fullIsoBox("ipma", 0, 0, be32(2) + be16(2) + "\x01\x81" + be16(1) + "\x01\x82");

    std::string meta = fullIsoBox("hdlr", 0, 0, be32(0) + "pict" + std::string(12, '\0') + std::string(1, '\0'));
    meta += fullIsoBox("pitm", 0, 0, be16(1));
    meta += itemInfo(l, items);
    meta += fullIsoBox("iref", 0, 0, references);
    meta += isoBox("iprp", properties);
    meta += itemLocations(l, places);
    if (!idat.empty()) meta += isoBox("idat", idat);
    const std::string metaBox = fullIsoBox("meta", 0, 0, meta);
    mdatPayload = static_cast<uint32_t>(ftyp.size() + metaBox.size() + 8);
    file = ftyp + metaBox + isoBox("mdat", mdat);
  }
  return file;
}

// --- CR3 ----------------------------------------------------------------------

std::string cr3Ifd0(const CameraShot& shot) {
  TiffBuilder t(shot.bigEndian);
  const int ifd0 = t.addDirectory();
  t.ascii(ifd0, TagMake, "Canon").ascii(ifd0, TagModel, shot.model);
  if (!shot.dateTime.empty()) t.ascii(ifd0, TagDateTime, shot.dateTime);
  return t.build();
}

std::string cr3ExifIfd(const CameraShot& shot) {
  TiffBuilder t(shot.bigEndian);
  const int exif = t.addDirectory();
  t.rational(exif, TagExposureTime, 1, 60);
  if (!shot.dateTimeOriginal.empty()) t.ascii(exif, TagDateTimeOriginal, shot.dateTimeOriginal);
  if (!shot.dateTimeDigitized.empty()) t.ascii(exif, TagDateTimeDigitized, shot.dateTimeDigitized);
  return t.build();
}

std::string cr3File(const std::string& cmt1, const std::string& cmt2) {
  const std::string canon("\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48", 16);
  const std::string other("\xbe\x7a\xcf\xcb\x97\xa9\x42\xe8\x9c\x71\x99\x94\x91\xe3\xaf\xac", 16);
  std::string inner = isoBox("CNCV", "CanonCR3_001/00.09.00") + isoBox("CCTP", std::string(12, '\0'));
  if (!cmt1.empty()) inner += isoBox("CMT1", cmt1);
  if (!cmt2.empty()) inner += isoBox("CMT2", cmt2);
  inner += isoBox("CMT3", std::string(40, '\x33'));
  const std::string moov = isoBox("moov", isoBox("uuid", other + std::string(24, '\x01')) + isoBox("uuid", canon + inner) +
                                              isoBox("trak", isoBox("tkhd", std::string(84, '\0'))));
  return fileTypeBox("crx ") + moov + isoBox("mdat", std::string(4096, '\x55'));
}

// --- QuickTime / MP4 ----------------------------------------------------------

uint64_t movieTime(int year, int month, int day, int hour, int minute, int second) {
  // Days from 1904-01-01 by the civil-from-days inverse.
  const int y = month <= 2 ? year - 1 : year;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t unixDays = static_cast<int64_t>(era) * 146097 + doe - 719468;
  const int64_t unixSeconds = unixDays * 86400 + hour * 3600 + minute * 60 + second;
  return static_cast<uint64_t>(unixSeconds + 2082844800);
}

std::string movieFile(const MovieLayout& l) {
  std::string header;
  if (l.headerVersion == 1) {
    header = u64be(l.created) + u64be(l.created) + be32(600) + u64be(6000);
  } else {
    header = be32(static_cast<uint32_t>(l.created)) + be32(static_cast<uint32_t>(l.created)) + be32(600) + be32(6000);
  }
  header += be32(0x00010000) + be16(0x0100) + std::string(10, '\0') + std::string(36, '\0') + std::string(24, '\0') +
            be32(2);
  std::string moov = fullIsoBox("mvhd", static_cast<uint8_t>(l.headerVersion), 0, header);
  moov += isoBox("trak", isoBox("tkhd", std::string(84, '\0')) +
                             isoBox("mdia", fullIsoBox("mdhd", 0, 0, std::string(20, '\0')) +
                                                isoBox("minf", isoBox("stbl", std::string(64, '\x07')))));
  if (!l.creationDate.empty()) {
    // Other keys come first, so the date's index is not 1.
    const std::vector<std::string> keys = {"com.apple.quicktime.make", "com.apple.quicktime.model",
                                           "com.apple.quicktime.creationdate"};
    const std::vector<std::string> values = {"Acme", "Phone 15", l.creationDate};
    std::string keyList = be32(static_cast<uint32_t>(keys.size()));
    for (const std::string& k : keys) keyList += be32(static_cast<uint32_t>(8 + k.size())) + "mdta" + k;
    std::string list;
    for (size_t i = 0; i < keys.size(); ++i) {
      const std::string data = isoBox("data", be32(1) + be32(0) + values[i]);
      list += be32(static_cast<uint32_t>(8 + data.size())) + be32(static_cast<uint32_t>(i + 1)) + data;
    }
    const std::string children = fullIsoBox("hdlr", 0, 0, be32(0) + "mdta" + std::string(13, '\0')) +
                                 fullIsoBox("keys", 0, 0, keyList) + isoBox("ilst", list);
    moov += l.metaIsFullBox ? fullIsoBox("meta", 0, 0, children) : isoBox("meta", children);
  }
  const std::string moovBox = isoBox("moov", moov);
  const std::string media(l.mediaBytes, '\x4D');
  std::string mdat;
  switch (l.mediaSize) {
    case MovieLayout::MediaSize::Plain: mdat = isoBox("mdat", media); break;
    case MovieLayout::MediaSize::Large: mdat = largeIsoBox("mdat", media); break;
    case MovieLayout::MediaSize::ToEnd:
      if (!l.moovAfterMdat) throw std::invalid_argument("only the last box can run to the end");
      mdat = be32(0) + "mdat" + media;
      break;
  }
  const std::string ftyp = fileTypeBox(l.brand);
  if (l.mediaSize == MovieLayout::MediaSize::ToEnd) {
    // A box that runs to the end of the file is the last: moov cannot
    // follow it, so this layout puts moov between ftyp and a free box.
    return ftyp + isoBox("free", "") + moovBox + mdat;
  }
  return l.moovAfterMdat ? ftyp + isoBox("wide", "") + mdat + moovBox : ftyp + moovBox + mdat;
}

// --- PNG ----------------------------------------------------------------------

namespace {

std::string pngChunk(std::string_view type, std::string_view data) {
  std::string body = fourChars(type) + std::string(data);
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
  return be32(static_cast<uint32_t>(data.size())) + body + be32(static_cast<uint32_t>(crc));
}

std::string compressed(const std::string& text) {
  uLongf size = compressBound(text.size());
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(text.data()), text.size(),
                9) != Z_OK) {
    throw std::runtime_error("compress2");
  }
  out.resize(size);
  return out;
}

std::string profileText(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string text = "\nexif\n" + std::string(5, ' ') + std::to_string(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % 36 == 0) text += '\n';
    const auto b = static_cast<unsigned char>(bytes[i]);
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text + "\n";
}

}  // namespace

std::string pngFile(const PngLayout& l) {
  std::string out("\x89PNG\r\n\x1a\n", 8);
  out += pngChunk("IHDR", be32(64) + be32(48) + std::string("\x08\x02\0\0\0", 5));
  if (!l.profileChunk.empty()) {
    const std::string text = l.profileText.empty() ? profileText(l.profileBytes) : l.profileText;
    const std::string key = l.profileKeyword + std::string(1, '\0');
    if (l.profileChunk == "tEXt") {
      out += pngChunk("tEXt", key + text);
    } else if (l.profileChunk == "zTXt") {
      out += pngChunk("zTXt", key + std::string(1, '\0') + compressed(text));
    } else {
      const std::string flags = l.profileCompressed ? std::string("\x01\0", 2) : std::string("\0\0", 2);
      out += pngChunk("iTXt", key + flags + "en" + std::string(1, '\0') + "Exif" + std::string(1, '\0') +
                                  (l.profileCompressed ? compressed(text) : text));
    }
  }
  if (!l.exifChunk.empty() && !l.exifAfterImage) out += pngChunk("eXIf", l.exifChunk);
  for (int i = 0; i < 3; ++i) out += pngChunk("IDAT", std::string(5000, static_cast<char>('a' + i)));
  if (!l.exifChunk.empty() && l.exifAfterImage) out += pngChunk("eXIf", l.exifChunk);
  out += pngChunk("IEND", "");
  return out;
}

// --- WebP ---------------------------------------------------------------------

namespace {

std::string riffChunk(std::string_view type, std::string_view data) {
  std::string out = fourChars(type) + le32(static_cast<uint32_t>(data.size())) + std::string(data);
  if (data.size() % 2) out.push_back('\0');
  return out;
}

std::string lossyFrame(uint16_t width, uint16_t height) {
  return riffChunk("VP8 ", std::string("\x10\x02\x00\x9d\x01\x2a", 6) + le16(width) + le16(height) + std::string(20, '\x5a'));
}

std::string riff(const std::string& chunks) { return "RIFF" + le32(static_cast<uint32_t>(4 + chunks.size())) + "WEBP" + chunks; }

std::string le24(uint32_t v) { return le32(v).substr(0, 3); }

}  // namespace

std::string webpFile(const std::string& exifChunk, uint32_t width, uint32_t height) {
  const std::string extended = riffChunk("VP8X", std::string(1, '\x28') + std::string(3, '\0') + le24(width - 1) + le24(height - 1));
  return riff(extended + riffChunk("ICCP", std::string(101, '\x0c')) +
              lossyFrame(static_cast<uint16_t>(width), static_cast<uint16_t>(height)) + riffChunk("EXIF", exifChunk));
}

std::string webpLossy(uint16_t width, uint16_t height) { return riff(lossyFrame(width, height)); }

std::string webpLossless(uint16_t width, uint16_t height) {
  const uint32_t bits = static_cast<uint32_t>(width - 1) | static_cast<uint32_t>(height - 1) << 14;
  return riff(riffChunk("VP8L", std::string(1, '\x2f') + le32(bits) + std::string(10, '\0')));
}

// --- RAF ----------------------------------------------------------------------

std::string rafFile(const std::string& jpeg) {
  std::string header = "FUJIFILMCCD-RAW 0201FF393101" + std::string("X-T99", 5);
  header.resize(84, '\0');
  const uint32_t at = 160;
  header += be32(at) + be32(static_cast<uint32_t>(jpeg.size()));
  header += be32(at + static_cast<uint32_t>(jpeg.size())) + be32(64);  // the raw data's directory
  header.resize(at, '\0');
  return header + jpeg + std::string(64, '\x77');
}

// --- TIFF-structured raw files ------------------------------------------------

std::string rawTiff(const CameraShot& shot, std::string_view magic, size_t farAway) {
  if (magic.size() != 4) throw std::invalid_argument("four header bytes");
  const bool be = shot.bigEndian;
  TiffBuilder t(be);
  const int lead = t.addDirectory();  // where a CR2 header's own fields stand
  const int ifd0 = t.addDirectory();
  const int exif = t.addDirectory();
  t.shorts(lead, TagCompression, {6});
  t.ascii(ifd0, TagMake, shot.make).ascii(ifd0, TagModel, shot.model);
  if (!shot.dateTime.empty()) t.ascii(ifd0, TagDateTime, shot.dateTime);
  // A large value in IFD0 (a preview, maker data) pushes the EXIF
  // directory far into the file.
  t.undefined(ifd0, 0x02BC, std::string(farAway, '\x01'));
  t.pointer(ifd0, TagExifOffset, exif);
  if (!shot.dateTimeOriginal.empty()) t.ascii(exif, TagDateTimeOriginal, shot.dateTimeOriginal);
  if (!shot.dateTimeDigitized.empty()) t.ascii(exif, TagDateTimeDigitized, shot.dateTimeDigitized);
  t.firstOffset(t.offsetOf(ifd0));
  std::string out = t.build();
  out.replace(0, 4, magic);
  out.replace(8, 4, std::string("CR\x02\0", 4));
  return out;
}

}  // namespace testing_support
