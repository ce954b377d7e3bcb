// The maker-note decoder. The walk creates one when it meets a MakerNote
// entry, runs it and keeps its yes/no answer.
#pragma once

namespace zantrel {

class TImageInfo;

class TmsInfo {
 public:
  TmsInfo(bool isTiff, TImageInfo& reader) : isTiff_(isTiff), reader_(reader) {}
  // True when the maker note was decoded.
  bool run();

 private:
  [[maybe_unused]] bool isTiff_;
  [[maybe_unused]] TImageInfo& reader_;
};

}  // namespace zantrel
