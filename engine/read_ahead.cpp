#include "engine/read_ahead.h"

#include "platform/input_file.h"

namespace zantrel {

TReadAhead::TReadAhead(const std::vector<std::string>& paths, std::vector<bool> wanted, size_t first,
                       size_t headBytes)
    : paths_(paths), wanted_(std::move(wanted)), headBytes_(headBytes), passAt_(first), warmed_(first) {
  thread_ = std::thread([this, first] { run(first); });
}

TReadAhead::~TReadAhead() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void TReadAhead::passAt(size_t i) {
  passAt_.store(i);
  const size_t waiting = waitsAt_.load();
  if (waiting == NotWaiting || waiting >= i + Window / 2) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
  }
  wake_.notify_one();
}

void TReadAhead::run(size_t first) {
  for (size_t i = first; i < paths_.size(); ++i) {
    if (i >= passAt_.load() + Window) {
      std::unique_lock<std::mutex> lock(mutex_);
      waitsAt_.store(i);
      // The pass's position is read after waitsAt_ is set, and the pass
      // reads waitsAt_ after setting its position: one of the two sees the
      // other, so the thread never sleeps through its wake-up.
      wake_.wait(lock, [&] { return stop_.load() || i < passAt_.load() + Window / 2; });
      waitsAt_.store(NotWaiting);
    }
    if (stop_.load()) return;
    if (i < wanted_.size() && wanted_[i]) platform::warmFileHead(paths_[i], headBytes_);
    warmed_.store(i + 1);
  }
}

void TSlowMediumWatch::readItem(bool waited) {
  if (slow_) return;
  if (waited) ++waits_;
  if (++inSpan_ < Span) return;
  slowSpans_ = waits_ >= WaitsInSpan ? slowSpans_ + 1 : 0;
  slow_ = slowSpans_ >= SlowSpans;
  inSpan_ = waits_ = 0;
}

}  // namespace zantrel
