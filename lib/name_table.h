// A table from names to small values for runs over many files: one flat
// array probed in place, so a lookup reads one slot where a node-based map
// reads a bucket, a node and the key in three places. The names are views:
// their bytes must outlive the table (a listing, or a store of kept names).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace zantrel {

template <typename Value>
class TNameTable {
 public:
  struct Slot {
    size_t hash = 0;  // 0: empty
    std::string_view name;
    Value value{};
  };

  // Room for count names without growing.
  void reserve(size_t count) {
    if (tooFull(count)) rebuild(capacityFor(count));
  }

  Value* find(std::string_view name) {
    if (slots_.empty()) return nullptr;
    Slot& slot = probe(name, hashOf(name));
    return slot.hash != 0 ? &slot.value : nullptr;
  }
  const Value* find(std::string_view name) const { return const_cast<TNameTable*>(this)->find(name); }
  bool contains(std::string_view name) const { return find(name) != nullptr; }

  // The slot of name, made (with a default value) where it was missing;
  // added tells which. A made slot holds the view given: the caller may
  // point it at a kept copy of the same bytes.
  Slot& slotFor(std::string_view name, bool& added) {
    if (tooFull(used_ + 1)) rebuild(capacityFor(used_ + 1) + used_ / 2);
    const size_t hash = hashOf(name);
    Slot& slot = probe(name, hash);
    added = slot.hash == 0;
    if (added) {
      slot.hash = hash;
      slot.name = name;
      ++used_;
    }
    return slot;
  }

  size_t size() const { return used_; }
  void clear() {
    slots_.clear();
    used_ = 0;
  }

 private:
  static size_t hashOf(std::string_view name) {
    const size_t hash = std::hash<std::string_view>{}(name);
    return hash == 0 ? 1 : hash;
  }
  // At most three slots in four used: probes stay short, and a table of
  // 200,000 names takes 10 MB, not the 20 MB of a power-of-two size.
  bool tooFull(size_t count) const { return count * 4 > slots_.size() * 3; }
  static size_t capacityFor(size_t count) { return count * 4 / 3 + 16; }
  Slot& probe(std::string_view name, size_t hash) {
    const size_t size = slots_.size();
    // The hash scaled to the table (no power-of-two size needed).
    size_t at = static_cast<size_t>((static_cast<unsigned __int128>(hash) * size) >> 64);
    for (;;) {
      Slot& slot = slots_[at];
      if (slot.hash == 0 || (slot.hash == hash && slot.name == name)) return slot;
      if (++at == size) at = 0;
    }
  }
  void rebuild(size_t capacity) {
    std::vector<Slot> old(capacity);
    old.swap(slots_);
    for (Slot& slot : old) {
      if (slot.hash != 0) probe(slot.name, slot.hash) = slot;
    }
  }

  std::vector<Slot> slots_;
  size_t used_ = 0;
};

}  // namespace zantrel
