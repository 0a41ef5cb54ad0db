#pragma once
// A set of cells keyed by row and column in full (64 bits): the grid's selected
// cells. Open addressing with linear probing; erasing shifts the following entries
// back, so there are no tombstones and lookups stay short after many changes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "grid/cell_id.h"

class CCellIdSet {
 public:
  bool Contains(const CCellID& cell) const;
  // True when the cell was not in the set yet.
  bool Insert(const CCellID& cell);
  // True when the cell was in the set.
  bool Erase(const CCellID& cell);
  void Clear();
  // Room for that many cells in all, so that a large selection grows the table once.
  void Reserve(std::size_t count);
  std::size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  void Swap(CCellIdSet& other) noexcept;

  // Calls fn(CCellID) for every cell, in no particular order. The set must not be
  // changed meanwhile.
  template <typename Fn>
  void ForEach(Fn&& fn) const {
    if (size_ == 0) return;
    for (std::uint64_t slot : slots_)
      if (slot != kEmpty) fn(CCellID::FromKey(slot));
  }

 private:
  // No valid cell has row and column -1, so that key marks a free slot.
  static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};
  static std::size_t Hash(std::uint64_t key);
  std::size_t Find(std::uint64_t key) const;  // slot of the key or of the free slot ending its run
  void Grow();
  void Rehash(std::size_t slots);

  std::vector<std::uint64_t> slots_;
  std::size_t size_ = 0;
};
