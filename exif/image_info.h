// The tag reader: walks the TIFF directories of one EXIF block and records
// the fixed facts that callers ask for by field, above all where the three
// date values lie. Tag texts, titles and entry lists are built through the
// hooks at the bottom of the class, whose tables live apart from the walk.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "exif/end_ind.h"
#include "lib/datetime.h"

namespace zantrel {

class TimgData;

using TagDecoder = std::string (*)(const std::string& text);

// A row of the tag tables, and one entry read from a file. Every field has
// an initializer, so that table rows name only the fields they set.
struct TTagEntry {
  uint16_t ValueType = 0;
  uint16_t Number = 0;
  std::string Name{};
  std::string Title{};
  std::string ValueList{};  // "code:text" items separated by ","
  std::string Text{};
  std::string RawBytes{};
  int64_t ValuePos = 0;
  std::string FormatPattern{};
  int RawLength = 0;
  TagDecoder Decoder = nullptr;
};

// Tag numbers of the TIFF and EXIF standards that the walks act on.
namespace tiff_tags {
inline constexpr uint16_t TagImageWidth = 0x0100;
inline constexpr uint16_t TagImageLength = 0x0101;
inline constexpr uint16_t TagCompression = 0x0103;
inline constexpr uint16_t TagMake = 0x010F;
inline constexpr uint16_t TagModel = 0x0110;
inline constexpr uint16_t TagDateTime = 0x0132;
inline constexpr uint16_t TagSubIfds = 0x014A;
inline constexpr uint16_t TagExifOffset = 0x8769;
inline constexpr uint16_t TagGpsInfo = 0x8825;
inline constexpr uint16_t TagExifVersion = 0x9000;
inline constexpr uint16_t TagDateTimeOriginal = 0x9003;
inline constexpr uint16_t TagDateTimeDigitized = 0x9004;
inline constexpr uint16_t TagFlash = 0x9209;
inline constexpr uint16_t TagMakerNote = 0x927C;
inline constexpr uint16_t TagExifImageWidth = 0xA002;
inline constexpr uint16_t TagExifImageLength = 0xA003;
inline constexpr uint16_t TagInteroperabilityOffset = 0xA005;
}  // namespace tiff_tags

// Directory kinds.
inline constexpr int MainDirectory = 1;
inline constexpr int GpsDirectory = 2;
inline constexpr int ThumbDirectory = 4;

// Build codes: what the reader builds besides its fixed facts (any other
// code, such as BuildFactsOnly, builds nothing else).
inline constexpr int BuildFactsOnly = 0;
inline constexpr int BuildTexts = 2;
inline constexpr int BuildLists = 4;
inline constexpr int BuildEverything = 255;

// Bytes per value of each TIFF type 0..12; a type above 12 counts 0.
inline constexpr std::array<int, 13> BytesPerFormat = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
int bytesPerFormat(int type);

// Hostile files can chain or overlap directories without end; a real
// camera file has fewer than a dozen directories of a few hundred entries.
inline constexpr int MaxDirectoryWalks = 256;
inline constexpr int MaxDirectoryDepth = 16;
inline constexpr int64_t MaxEntriesRead = 1 << 17;
// Bytes that the texts and entry lists of one reader may read and keep:
// value bytes, report lines and the kept entries. A sane block (at most
// TiffReadLimit bytes, a few hundred entries) spends a small part of it;
// values that overlap again and again, or tens of thousands of entries,
// make a hostile file, whose further entries get no text and are not kept.
inline constexpr int64_t MaxKeptBytes = 16 << 20;

class TImageInfo : public tEndInd {
 public:
  TImageInfo(TimgData* parent, int buildCode);
  virtual ~TImageInfo();
  TImageInfo(const TImageInfo&) = delete;
  TImageInfo& operator=(const TImageInfo&) = delete;

  std::vector<TTagEntry> Tags;
  TimgData* Parent;  // not owned
  std::string ExifVersionText;
  std::string MakeText;
  std::string ModelText;
  std::string DateText;
  int Height = 0;
  int Width = 0;
  int64_t HeightPos = 0;
  int64_t WidthPos = 0;
  int FlashValue = 0;
  int BuildCode;
  std::string MakerNoteBytes;
  bool IsTiff = false;
  std::string CommentText;
  int64_t CommentPos = 0;
  int64_t CommentLength = 0;
  int64_t DateTimePos = 0;
  int64_t DateTimeOriginalPos = 0;
  int64_t DateTimeDigitizedPos = 0;
  std::string ThumbReportText;
  int64_t ThumbDirOffset = 0;
  int64_t ThumbDirLength = 0;
  int ThumbCompression = 0;
  std::vector<TTagEntry> ThumbTags;
  std::string ReportText;
  std::string MakerNoteReportText;
  bool MakerNoteFound = false;
  int64_t MakerNotePos = 0;

  // Index in Tags of the first entry with this name (ignoring case), -1.
  virtual int tagIndexByName(std::string_view name) const;
  // That entry's text, "" when there is none.
  virtual std::string tagValueByName(std::string_view name) const;

  // Walks the directory at position start; an offset X stored in the data
  // means position X + base; length bounds the directory size test.
  void walkDirectory(int64_t start, int64_t base, int64_t length, int kind);

  double numericTagValue(std::string_view raw, int type) const;

  // The capture date: DateTimeOriginal, else DateTimeDigitized, else
  // DateTime; 0 when the first of them present does not convert.
  DateTime exifDateTime() const;
  // The 19 characters from pos of the EXIF block (fewer at its end).
  std::string dateTextAt(int64_t pos) const;

  // The EXIF block's bytes, where value bytes are read from.
  const std::string& blockBytes() const;

  // Hooks of the tag texts and entry lists (build codes 2 and 4). raw is a
  // view into the block and may be as long as the block itself.
  // The entry's titled text; appends its report line.
  std::string buildEntryText(uint16_t tag, uint16_t type, std::string_view raw, int64_t valuePos,
                             uint64_t byteCount, int kind);
  // Keeps a copy of the entry in Tags (ThumbTags for the thumbnail kind).
  void storeEntry(uint16_t tag, const std::string& text, std::string_view raw, int64_t valuePos, uint16_t type,
                  int kind);
  // The text of a value: its items joined by ListSeparator, integer codes
  // through the value list, then the format pattern.
  std::string formatTagValue(std::string_view raw, int type, std::string_view valueList,
                             std::string_view pattern) const;
  // Appends an entry and gives its index; a tag missing from the tables is
  // not stored (-1).
  int addTag(TTagEntry entry);
  int addThumbTag(TTagEntry entry);
  // Adds the 35 mm focal length when the file does not state it, from the
  // focal length, the focal-plane resolution and the image size; with
  // cropFallback a missing sensor size counts as a 4.5 crop factor. The
  // first form uses the reader-wide CropFallback setting.
  void deriveFocalLength35();
  void deriveFocalLength35(bool cropFallback);
  // Gives the table rows their titles; once per process, at the first
  // reader's creation.
  static void makeTitles();

 private:
  bool wasVisited(int64_t start, int64_t base) const;
  // Charges n bytes to the reader's budget; false once it is spent.
  bool keepsMore(size_t n);
  void readEntry(int64_t p, int64_t base, int64_t length, int kind);
  void followDirectory(int64_t valuePos, int64_t base, int64_t length, int kind);
  void recordDatePosition(int64_t& position, bool& fromFirst, int64_t valuePos);

  // Directories walked, as (base, start): a pointer to one of them is not
  // followed again, so directories that point at each other cannot loop.
  std::set<std::pair<int64_t, int64_t>> visitedDirs_;
  int walks_ = 0;
  int depth_ = 0;
  int64_t entriesRead_ = 0;
  int64_t keptBytes_ = 0;
  // Whether each date position came from the first directory.
  bool dateTimeFromFirst_ = false;
  bool originalFromFirst_ = false;
  bool digitizedFromFirst_ = false;
};

// Converts "yyyy:mm:dd hh:nn:ss" by fixed character positions; the
// separators are not looked at. 0 when the text is no valid date and time.
DateTime parseExifDate(std::string_view text);

// Nearest integer, a half going to the even neighbour; 0 for values that
// no int can hold.
int roundToInt(double value);

}  // namespace zantrel
