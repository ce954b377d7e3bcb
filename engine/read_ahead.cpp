#include "engine/read_ahead.h"

namespace zantrel {

TReadAhead::TReadAhead(std::vector<std::string> paths, std::vector<bool> wanted, size_t first)
    : paths_(std::move(paths)), wanted_(std::move(wanted)), looks_(paths_.size()), next_(first) {
  wanted_.resize(paths_.size(), false);
  reader_ = std::thread([this] { run(); });
}

TReadAhead::~TReadAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  reader_.join();
}

// Both sides sleep only when they must, and wake the other only when it
// sleeps: the reader when it is a whole window ahead (and then until the
// pass has caught up half of it), the pass when the item it wants is being
// read right then. An item the reader has not begun when the pass wants it
// is the pass's own.
void TReadAhead::run() {
  for (size_t i = next_; i < paths_.size(); ++i) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (i >= next_ + Window) {
        readerWaits_ = true;
        changed_.wait(lock, [&] { return stop_ || i < next_ + Window / 2; });
        readerWaits_ = false;
      }
      if (stop_) return;
      // Passed already, or a name the pass has changed: looked at in its turn.
      if (i < next_ || !wanted_[i] || changedNames_.count(paths_[i])) continue;
      reading_ = i;
    }
    auto file = std::make_shared<platform::InputFile>();
    platform::FileStatus status;
    const bool opened = file->open(paths_[i], status);
    if (opened) file->readHead(HeadSize);
    std::lock_guard<std::mutex> lock(mutex_);
    Look& look = looks_[i];
    if (opened) {
      look.file = std::move(file);
      look.status = status;
    }
    look.done = true;
    reading_ = NotReading;
    if (passWaits_) changed_.notify_all();
  }
}

bool TReadAhead::take(size_t i, std::shared_ptr<platform::InputFile>& file, platform::FileStatus& status) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (i >= looks_.size() || i < next_) return false;
  for (size_t k = next_; k < i; ++k) looks_[k].file.reset();  // passed over
  next_ = i + 1;
  if (readerWaits_) changed_.notify_all();
  Look& look = looks_[i];
  if (!look.done) {
    if (reading_ != i) return false;
    passWaits_ = true;
    changed_.wait(lock, [&] { return look.done; });
    passWaits_ = false;
  }
  std::shared_ptr<platform::InputFile> taken = std::move(look.file);
  if (!taken || changedNames_.count(paths_[i]) || changedObjects_.count({look.status.device, look.status.inode})) {
    return false;
  }
  file = std::move(taken);
  status = look.status;
  return true;
}

void TReadAhead::nameChanged(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  changedNames_.insert(path);
}

void TReadAhead::objectChanged(const platform::FileStatus& status) {
  std::lock_guard<std::mutex> lock(mutex_);
  changedObjects_.insert({status.device, status.inode});
}

}  // namespace zantrel
