// Opening files ahead of their turn. On a slow medium (a camera card, a
// USB disk, a network share) a pass that reads every file waits for each
// read in turn; a reader thread that opens the next files and reads their
// first block meanwhile lets those waits overlap. It makes the very calls
// the pass would make (open, fstat, one read), so nothing is read twice,
// and the pass itself stays in order: every line, record and change is its
// own, item by item.
//
// What the pass changes on disk can make an early look stale (a later item
// whose name an earlier one took or removed; a link to a file an earlier
// item renamed; a second name of a file whose times an earlier item set):
// the pass says which names and which objects it changed, and such an
// item's early look is thrown away and taken again in its turn.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/filesystem.h"
#include "platform/input_file.h"

namespace zantrel {

class TReadAhead {
 public:
  // Files ahead of the pass at most; each holds a descriptor.
  static constexpr size_t Window = 32;
  // The first block read with the open.
  static constexpr size_t HeadSize = 4096;

  // paths[i] is opened ahead when wanted[i] is true, from item first on.
  TReadAhead(std::vector<std::string> paths, std::vector<bool> wanted, size_t first);
  ~TReadAhead();
  TReadAhead(const TReadAhead&) = delete;
  TReadAhead& operator=(const TReadAhead&) = delete;

  // Item i's early open and what its fstat told, waiting for the reader if
  // it is not there yet; false when there is none to use (not wanted, the
  // open failed, or the pass changed something it may have seen). Items
  // are taken in order; those passed over are closed.
  bool take(size_t i, std::shared_ptr<platform::InputFile>& file, platform::FileStatus& status);

  // The pass renamed, replaced or removed the object at path.
  void nameChanged(const std::string& path);
  // The pass renamed or removed the object status tells of, or set its
  // times.
  void objectChanged(const platform::FileStatus& status);

 private:
  struct Look {
    bool done = false;
    std::shared_ptr<platform::InputFile> file;
    platform::FileStatus status;
  };
  void run();

  std::vector<std::string> paths_;
  std::vector<bool> wanted_;
  std::vector<Look> looks_;
  std::mutex mutex_;
  std::condition_variable changed_;
  static constexpr size_t NotReading = static_cast<size_t>(-1);
  size_t next_ = 0;              // the first item not taken yet
  size_t reading_ = NotReading;  // the item the reader is at
  bool readerWaits_ = false;
  bool passWaits_ = false;
  bool stop_ = false;
  std::set<std::string> changedNames_;
  std::set<std::pair<uint64_t, uint64_t>> changedObjects_;
  std::thread reader_;
};

}  // namespace zantrel
