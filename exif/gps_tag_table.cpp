// The tag table of GPS directories (the EXIF GPS attribute set), in
// ascending order of number. Titles are made from the names
// (TImageInfo::makeTitles).
#include "exif/tag_tables.h"

namespace zantrel {

namespace {

constexpr const char GpsAltitudeRefList[] = "0:Sealevel";

}  // namespace

std::array<TTagEntry, GpsTagTableRows> GpsTagTable = {{
    {.Number = 0x0000, .Name = "GPSVersionID"},
    {.Number = 0x0001, .Name = "GPSLatitudeRef"},
    {.Number = 0x0002, .Name = "GPSLatitude", .Decoder = decodeGpsCoordinate},
    {.Number = 0x0003, .Name = "GPSLongitudeRef"},
    {.Number = 0x0004, .Name = "GPSLongitude", .Decoder = decodeGpsCoordinate},
    {.Number = 0x0005, .Name = "GPSAltitudeRef", .ValueList = GpsAltitudeRefList},
    {.Number = 0x0006, .Name = "GPSAltitude", .FormatPattern = "%1.0f"},
    {.Number = 0x0007, .Name = "GPSTimeStamp", .Decoder = decodeGpsTime},
    {.Number = 0x0008, .Name = "GPSSatellites"},
    {.Number = 0x0009, .Name = "GPSStatus"},
    {.Number = 0x000A, .Name = "GPSMeasureMode"},
    {.Number = 0x000B, .Name = "GPSDOP"},
    {.Number = 0x000C, .Name = "GPSSpeedRef"},
    {.Number = 0x000D, .Name = "GPSSpeed"},
    {.Number = 0x000E, .Name = "GPSTrackRef"},
    {.Number = 0x000F, .Name = "GPSTrack"},
    {.Number = 0x0010, .Name = "GPSImageDirectionRef"},
    {.Number = 0x0011, .Name = "GPSImageDirection", .FormatPattern = "%1.0f"},
    {.Number = 0x0012, .Name = "GPSMapDatum"},
    {.Number = 0x0013, .Name = "GPSDestLatitudeRef"},
    {.Number = 0x0014, .Name = "GPSDestLatitude", .Decoder = decodeGpsCoordinate},
    {.Number = 0x0015, .Name = "GPSDestLongitudeRef"},
    {.Number = 0x0016, .Name = "GPSDestLongitude", .Decoder = decodeGpsCoordinate},
    {.Number = 0x0017, .Name = "GPSDestBearingkRef"},
    {.Number = 0x0018, .Name = "GPSDestBearing"},
    {.Number = 0x0019, .Name = "GPSDestDistanceRef"},
    {.Number = 0x001A, .Name = "GPSDestDistance"},
    {.Number = 0x001B, .Name = "GPSProcessingMode"},
    {.Number = 0x001C, .Name = "GPSAreaInformation"},
    {.Number = 0x001D, .Name = "GPSDateStamp"},
}};

}  // namespace zantrel
