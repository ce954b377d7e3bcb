// The IPTC reader, created for the first APP13 segment of a JPEG. The scan
// keeps it with the segment and never asks it to parse.
#pragma once

namespace zantrel {

class TimgData;

class TIPTCdata {
 public:
  explicit TIPTCdata(TimgData& parent) : parent_(parent) {}

 private:
  [[maybe_unused]] TimgData& parent_;
};

}  // namespace zantrel
