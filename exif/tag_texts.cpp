// Texts and entry lists of the walked entries: every entry gets a titled
// text value and a report line (build code 2), and a copy in the entry
// lists (build code 4); after the first walk the 35 mm focal length is
// derived when the file does not state it.
#include <algorithm>
#include <cmath>

#include "exif/image_info.h"
#include "exif/tag_tables.h"
#include "lib/strings.h"

namespace zantrel {

namespace {

constexpr uint16_t TagUserComment = 0x9286;
constexpr int TypeByte = 1;
constexpr int TypeAscii = 2;
constexpr int TypeUndefined = 7;

const TTagEntry& unknownRow() { return TagTable[TagTableRows]; }

template <size_t N>
const TTagEntry* findRow(const std::array<TTagEntry, N>& table, size_t rows, uint16_t tag) {
  const auto end = table.begin() + static_cast<std::ptrdiff_t>(rows);
  const auto it = std::lower_bound(table.begin(), end, tag,
                                   [](const TTagEntry& row, uint16_t number) { return row.Number < number; });
  return it != end && it->Number == tag ? &*it : nullptr;
}

}  // namespace

const TTagEntry& tagDef(uint16_t tag, int kind) {
  const TTagEntry* row = nullptr;
  if (kind == MainDirectory || kind == ThumbDirectory) {
    row = findRow(TagTable, TagTableRows, tag);
  } else if (kind == GpsDirectory) {
    row = findRow(GpsTagTable, GpsTagTableRows, tag);
  }
  return row ? *row : unknownRow();
}

TTagEntry lookupTagDef(uint16_t tag, int kind) { return tagDef(tag, kind); }

const TTagEntry& tagDefByName(std::string_view name) {
  for (size_t i = 0; i < TagTableRows; ++i) {
    if (equalsIgnoreAsciiCase(TagTable[i].Name, name)) return TagTable[i];
  }
  return unknownRow();
}

// GPSVersionID has the number 0 too; only the "Unknown" row stands for a
// tag missing from the tables.
bool isUnknownTag(const TTagEntry& entry) { return entry.Number == 0 && entry.Name == unknownRow().Name; }

void TImageInfo::makeTitles() {
  for (TTagEntry& row : TagTable) {
    if (row.Title.empty()) row.Title = titleFromName(row.Name);
  }
  for (TTagEntry& row : GpsTagTable) {
    if (row.Title.empty()) row.Title = titleFromName(row.Name);
  }
}

bool TImageInfo::keepsMore(size_t n) {
  if (keptBytes_ >= MaxKeptBytes) return false;
  keptBytes_ += static_cast<int64_t>(std::min<size_t>(n, MaxKeptBytes));
  return true;
}

std::string TImageInfo::formatTagValue(std::string_view raw, int type, std::string_view valueList,
                                       std::string_view pattern) const {
  const int size = bytesPerFormat(type);
  if (size == 0) return "0";
  const size_t items = std::min(raw.size() / static_cast<size_t>(size), MaxFormattedItems);
  std::string text;
  for (size_t i = 0; i < items; ++i) {
    const std::string_view item = raw.substr(i * static_cast<size_t>(size), static_cast<size_t>(size));
    if (!text.empty()) text += ListSeparator;
    switch (type) {
      case TypeAscii:
      case TypeUndefined:
        text += '?';
        break;
      case 5:
      case 10:
        text += std::to_string(static_cast<int32_t>(intFromBytes(item.substr(0, 4))));
        text += '/';
        text += std::to_string(static_cast<int32_t>(intFromBytes(item.substr(4, 4))));
        break;
      case 11:
      case 12:
        text += "-9999.99";
        break;
      default: {
        const std::string number = std::to_string(static_cast<int32_t>(intFromBytes(item)));
        text += !valueList.empty() && DecodeValues ? decodeValueList(valueList, number) : number;
        break;
      }
    }
  }
  if (pattern.empty()) return text;
  if (pattern.find("%s") != std::string_view::npos) return applyFormatPattern(pattern, text, 0);
  return applyFormatPattern(pattern, {}, numericTagValue(raw, type));
}

std::string TImageInfo::buildEntryText(uint16_t tag, uint16_t type, std::string_view raw, int64_t valuePos,
                                       uint64_t byteCount, int kind) {
  if (!keepsMore(raw.size())) return {};
  const TTagEntry& def = tagDef(tag, kind);
  std::string text;
  if (type == TypeAscii) {
    // One terminating zero byte is no part of the text.
    text = raw.substr(0, !raw.empty() && raw.back() == '\0' ? raw.size() - 1 : raw.size());
  } else if (type == TypeUndefined && def.ValueList.empty()) {
    text = "\"" + std::string(raw.substr(0, raw.find('\0'))) + "\"";
  } else {
    // An UNDEFINED value with a value list (FileSource, SceneType) holds
    // its codes as bytes.
    text = formatTagValue(raw, type == TypeUndefined ? TypeByte : type, def.ValueList, def.FormatPattern);
  }
  if (def.Number != 0 && def.Decoder && DecodeValues) {
    text = def.Decoder(text);
  } else {
    text = cleanTagText(text);
  }
  if (tag == TagUserComment) {
    CommentText = userCommentText(raw, BigEndian);
    text = CommentText;
    CommentPos = valuePos;
    CommentLength = byteCount > 9 ? static_cast<int64_t>(byteCount) - 9 : 0;
  }
  const std::string line = reportLine(tag, def.Title, text, byteCount, valuePos);
  (kind == ThumbDirectory ? ThumbReportText : ReportText) += line;
  keepsMore(line.size());
  return text;
}

void TImageInfo::storeEntry(uint16_t tag, const std::string& text, std::string_view raw, int64_t valuePos,
                            uint16_t type, int kind) {
  const TTagEntry& def = tagDef(tag, kind);
  if (isUnknownTag(def)) return;
  const size_t size = sizeof(TTagEntry) + def.Name.size() + def.Title.size() + def.ValueList.size() +
                      def.FormatPattern.size() + text.size() + raw.size();
  if (!keepsMore(size)) return;
  TTagEntry entry = def;
  entry.Text = text;
  entry.RawBytes = raw;
  entry.RawLength = static_cast<int>(raw.size());
  entry.ValuePos = valuePos;
  entry.ValueType = type;
  if (kind == ThumbDirectory) {
    addThumbTag(std::move(entry));
  } else {
    addTag(std::move(entry));
  }
}

int TImageInfo::addTag(TTagEntry entry) {
  if (isUnknownTag(entry)) return -1;
  Tags.push_back(std::move(entry));
  return static_cast<int>(Tags.size()) - 1;
}

int TImageInfo::addThumbTag(TTagEntry entry) {
  if (isUnknownTag(entry)) return -1;
  ThumbTags.push_back(std::move(entry));
  return static_cast<int>(ThumbTags.size()) - 1;
}

void TImageInfo::deriveFocalLength35() { deriveFocalLength35(CropFallback); }

void TImageInfo::deriveFocalLength35(bool cropFallback) {
  if (tagIndexByName("FocalLengthin35mmFilm") >= 0) return;
  // A missing entry counts 0.
  const auto valueOf = [this](std::string_view name) {
    const int i = tagIndexByName(name);
    if (i < 0) return 0.0;
    const TTagEntry& entry = Tags[static_cast<size_t>(i)];
    return numericTagValue(entry.RawBytes, entry.ValueType);
  };
  int unit = roundToInt(valueOf("FocalPlaneResolutionUnit"));
  if (unit < 1) unit = roundToInt(valueOf("ResolutionUnit"));
  const double millimetresPerUnit = unit == 2 ? 25.4 : unit == 3 ? 10.0 : 0.0;
  const double focalLength = valueOf("FocalLength");
  if (millimetresPerUnit == 0 || focalLength == 0) return;

  const int xResolution = roundToInt(valueOf("FocalPlaneXResolution"));
  const int yResolution = roundToInt(valueOf("FocalPlaneYResolution"));
  const double sensorWidth = xResolution > 0 ? Width * millimetresPerUnit / xResolution : 0;
  const double sensorHeight = yResolution > 0 ? Height * millimetresPerUnit / yResolution : 0;
  double ratio = 0;
  if (sensorWidth * sensorHeight > 0) {
    // The diagonal of a 35 mm frame over the sensor's.
    ratio = 43.26661531 / std::sqrt(sensorWidth * sensorWidth + sensorHeight * sensorHeight);
  } else if (cropFallback) {
    ratio = 4.5;
  } else {
    return;
  }
  TTagEntry entry = tagDefByName("FocalLengthIn35mmFilm");
  entry.Text = fixedText(focalLength * ratio, 2, 5);
  entry.RawBytes.clear();
  entry.RawLength = 0;
  entry.FormatPattern = "%s mm";
  entry.ValueType = 10;
  ReportText += reportLine(entry.Number, entry.Title, entry.Text, 0, 0);
  addTag(std::move(entry));
}

}  // namespace zantrel
