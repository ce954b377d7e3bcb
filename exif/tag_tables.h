// The tag tables of the EXIF reader and the routines that turn raw tag
// values into text: value lists, format patterns and the decoders of single
// tags. The tables are reader-wide data, one copy for all readers; their
// titles are made once per process (TImageInfo::makeTitles).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "exif/image_info.h"

namespace zantrel {

// Text settings of the reader. Nothing in the program changes them; the
// routines that depend on one take it as an argument where tests need the
// other values.
inline constexpr std::string_view ListSeparator = ", ";
inline constexpr bool DecodeValues = true;
inline constexpr int GpsFormat = 0;
inline constexpr bool CropFallback = false;
// Report lines carry the tag number, size and start when above 0.
inline constexpr int Tracing = 0;

// Items of a multi-valued entry that are turned into text.
inline constexpr size_t MaxFormattedItems = 128;

// Main, EXIF, interoperability, sub-IFD and thumbnail directories: rows in
// ascending order of number, then the "Unknown" row (number 0) for tags
// that the table lacks.
inline constexpr size_t TagTableRows = 250;
extern std::array<TTagEntry, TagTableRows + 1> TagTable;
// GPS directories.
inline constexpr size_t GpsTagTableRows = 30;
extern std::array<TTagEntry, GpsTagTableRows> GpsTagTable;

// The row of tag in the table of the directory kind (main and thumbnail:
// TagTable, GPS: GpsTagTable), else the "Unknown" row; a copy.
TTagEntry lookupTagDef(uint16_t tag, int kind);
// The same row, not copied.
const TTagEntry& tagDef(uint16_t tag, int kind);
// The first TagTable row with this name (ignoring case), else "Unknown".
const TTagEntry& tagDefByName(std::string_view name);
// True for the "Unknown" row and copies of it: a tag missing from the tables.
bool isUnknownTag(const TTagEntry& entry);

// A row's title from its name: a blank before each capital letter that
// follows a character which is not a capital (ExposureProgram gives
// "Exposure Program", GPSLatitude stays as it is).
std::string titleFromName(std::string_view name);

// One report line: CR LF, the title, "=", the text; with tracing also the
// tag number, the byte count and the value position.
std::string reportLine(uint16_t tag, std::string_view title, std::string_view text, uint64_t byteCount,
                       int64_t valuePos, int tracing = Tracing);

// The text of code in a value list of "code:text" items separated by ","
// ("" when the code is not listed).
std::string decodeValueList(std::string_view list, std::string_view code);

// Trimmed, at most 64 characters, no control characters, without one pair
// of surrounding double quotes.
std::string cleanTagText(std::string_view text);

// "n/d" or "w n/d" (a whole number, a blank, a fraction) as a number; 0
// for anything else, a zero denominator included.
double parseRationalText(std::string_view text);

// A format pattern of the tables applied: "%s" takes text, "%[w][.p]f"
// takes value, "%%" is a percent sign; nothing else is a conversion. No
// pattern ever reaches printf.
std::string applyFormatPattern(std::string_view pattern, std::string_view text, double value);

// Decoders of single tags, applied to the value text.
std::string decodeComponents(const std::string& text);     // 0x9101 ComponentsConfiguration
std::string decodeShutterSpeed(const std::string& text);   // 0x9201 ShutterSpeedValue
std::string decodeFlash(const std::string& text);          // 0x9209 Flash
std::string decodeUserComment(const std::string& text);    // 0x9286 UserComment
std::string decodeXpText(const std::string& text);         // 0x9C9B..0x9C9F Title, Comments, ...
std::string decodeGpsCoordinate(const std::string& text);  // GPS 0x0002, 0x0004, 0x0014, 0x0016
std::string decodeGpsTime(const std::string& text);        // GPS 0x0007 GPSTimeStamp

// A GPS coordinate "d, m, s" (three rationals) in one of the four GpsFormat
// styles: 0 decimal degrees, 1 the same with a unit, 2 degrees and decimal
// minutes, 3 degrees, minutes and seconds.
std::string gpsCoordinateText(std::string_view text, int format);

// The UserComment text of its value bytes: the 8-byte character code, then
// the comment. "UNICODE" comments are UTF-16 in the block's byte order and
// become UTF-8; any other code keeps the bytes. Trimmed.
std::string userCommentText(std::string_view raw, bool bigEndian);

}  // namespace zantrel
