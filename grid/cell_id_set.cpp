#include "grid/cell_id_set.h"

#include <utility>

std::size_t CCellIdSet::Hash(std::uint64_t key) {
  // A 64-bit mix (splitmix64 finaliser): neighbouring cells spread over the table.
  key ^= key >> 30;
  key *= 0xbf58476d1ce4e5b9ULL;
  key ^= key >> 27;
  key *= 0x94d049bb133111ebULL;
  key ^= key >> 31;
  return static_cast<std::size_t>(key);
}

std::size_t CCellIdSet::Find(std::uint64_t key) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = Hash(key) & mask;
  while (slots_[i] != kEmpty && slots_[i] != key) i = (i + 1) & mask;
  return i;
}

bool CCellIdSet::Contains(const CCellID& cell) const {
  if (size_ == 0) return false;
  return slots_[Find(cell.Key())] != kEmpty;
}

bool CCellIdSet::Insert(const CCellID& cell) {
  const std::uint64_t key = cell.Key();
  if (key == kEmpty) return false;
  if ((size_ + 1) * 2 > slots_.size()) Grow();
  const std::size_t i = Find(key);
  if (slots_[i] == key) return false;
  slots_[i] = key;
  ++size_;
  return true;
}

bool CCellIdSet::Erase(const CCellID& cell) {
  if (size_ == 0) return false;
  const std::size_t mask = slots_.size() - 1;
  std::size_t hole = Find(cell.Key());
  if (slots_[hole] == kEmpty) return false;
  slots_[hole] = kEmpty;
  --size_;
  // Move back every following entry of the run whose home lies at or before the hole.
  for (std::size_t j = (hole + 1) & mask; slots_[j] != kEmpty; j = (j + 1) & mask) {
    const std::size_t home = Hash(slots_[j]) & mask;
    const bool between = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
    if (!between) {
      slots_[hole] = slots_[j];
      slots_[j] = kEmpty;
      hole = j;
    }
  }
  return true;
}

void CCellIdSet::Clear() {
  slots_.clear();
  size_ = 0;
}

void CCellIdSet::Swap(CCellIdSet& other) noexcept {
  slots_.swap(other.slots_);
  std::swap(size_, other.size_);
}

void CCellIdSet::Grow() { Rehash(slots_.empty() ? 16 : slots_.size() * 2); }

void CCellIdSet::Reserve(std::size_t count) {
  std::size_t slots = slots_.empty() ? 16 : slots_.size();
  while (count * 2 > slots) slots *= 2;
  if (slots != slots_.size()) Rehash(slots);
}

void CCellIdSet::Rehash(std::size_t slots) {
  std::vector<std::uint64_t> old;
  old.swap(slots_);
  slots_.assign(slots, kEmpty);
  for (std::uint64_t key : old)
    if (key != kEmpty) slots_[Find(key)] = key;
}
