// How a pass accounts for its items in RunOutcome, shows its progress on a
// terminal and shows its lines to one.
//
// A failure is recognised by the line that reports it, not by the code
// that writes it: every standard-output line of a pass goes past the
// pass's observer, and a line whose message begins with the word "ERROR"
// or "Error" ("ERROR ", "ERROR! ", "Error: ", "Error! ", " Error make
// directory: ") fails its item. So every failure line counts wherever it
// is written, also one added later, and there is no list of failure lines
// to keep in step with the engine. Warnings ("Warning: ", "WARNING ",
// "File exists (skipping): ") are not failures.
//
// A line that begins with a name is classified by what follows the name,
// since a file may well be called "ERROR 1.jpg": writeNameLine says where
// the name ends, and a line that begins with the item's own old or new name
// and a blank is read from after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/item.h"
#include "platform/console.h"

namespace zantrel {

// What the item at hand came to, besides a failure line.
enum class ItemMark : uint8_t {
  Deleted = 1,    // -des deleted the source
  Renamed = 2,    // got its new name
  Copied = 4,     // copied (-copy, -cm)
  Dated = 8,      // its time stamps were set
  Previewed = 16, // test mode showed what would be done
  Skipped = 32,   // left alone by a rule (size, -8, library copy exists)
  WouldFail = 64, // test mode showed what the real run would fail to do
};

// Marks the item at hand; nothing when no pass is walking an item.
void markItem(ItemMark mark);

// Writes name + rest as one line whose failure test reads only rest.
void writeNameLine(std::string_view name, std::string_view rest = {});

// True when a message (leading blanks aside) begins with a failure word.
bool isFailureMessage(std::string_view message);

// One per pass, for the pass's whole life.
class TPassReport final : platform::OutputObserver {
 public:
  TPassReport();
  ~TPassReport() override;
  TPassReport(const TPassReport&) = delete;
  TPassReport& operator=(const TPassReport&) = delete;

  void beginItem(const TPassItem& item);
  void endItem();

 private:
  friend void markItem(ItemMark mark);
  friend void writeNameLine(std::string_view name, std::string_view rest);

  void onLine(std::string_view text) override;
  void forTerminal(std::string_view text, std::string& shown) override;
  bool isFailureLine(std::string_view line) const;
  void showProgress(const TPassItem& item);

  const TPassItem* item_ = nullptr;
  uint8_t marks_ = 0;
  bool failed_ = false;
  // Length of the name at the start of the line being written, or npos.
  size_t nameLength_ = std::string_view::npos;
};

}  // namespace zantrel
