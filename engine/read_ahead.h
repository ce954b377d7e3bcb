// Reading ahead on slow media. On a camera card, a USB disk or a network
// share a pass that reads every file waits for each read in turn. Once the
// pass sees its items wait, a thread asks the system for the first block of
// the files ahead of it, so that those reads overlap the pass's own work
// and each other.
//
// It only fills the system's cache. The pass still opens, looks at and
// reads every file itself, in its order, so what the pass sees and does is
// what it would see and do without it: nothing it changes on the way can
// make an early look stale, because there are none. On a warm cache the
// thread is never started.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zantrel {

class TReadAhead {
 public:
  // Items ahead of the pass at most.
  static constexpr size_t Window = 64;

  // Warms headBytes of paths[i] for each i from first on where wanted[i].
  // paths must outlive the object.
  TReadAhead(const std::vector<std::string>& paths, std::vector<bool> wanted, size_t first, size_t headBytes);
  // Stops the thread, wherever it is.
  ~TReadAhead();
  TReadAhead(const TReadAhead&) = delete;
  TReadAhead& operator=(const TReadAhead&) = delete;

  // The pass has come to item i.
  void passAt(size_t i);

  // How far the thread has come (for tests): the items it has warmed or
  // passed over.
  size_t warmed() const { return warmed_.load(); }

 private:
  static constexpr size_t NotWaiting = static_cast<size_t>(-1);
  void run(size_t first);

  const std::vector<std::string>& paths_;
  const std::vector<bool> wanted_;
  const size_t headBytes_;
  std::atomic<size_t> passAt_;
  std::atomic<size_t> warmed_;
  // The item the thread waits to warm, NotWaiting while it works: the pass
  // wakes it only when that item is well within reach again, so the two
  // hand over once per half window, not once per item.
  std::atomic<size_t> waitsAt_{NotWaiting};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
};

// Tells from the pass's first reads of its files whether they wait for the
// medium (the system's cache does not hold them): most reads of two spans
// of items in a row, and the pass reads from the medium itself. A warm
// cache that lost a few files here and there does not count.
class TSlowMediumWatch {
 public:
  // The pass has done one more item whose file it read; waited: the read
  // had to wait for the medium.
  void readItem(bool waited);
  bool slow() const { return slow_; }

 private:
  static constexpr int Span = 16;
  static constexpr int WaitsInSpan = 12;
  static constexpr int SlowSpans = 2;
  int inSpan_ = 0;
  int waits_ = 0;
  int slowSpans_ = 0;
  bool slow_ = false;
};

}  // namespace zantrel
