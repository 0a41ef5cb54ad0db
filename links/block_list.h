#pragma once
// The list of device memory blocks one poll reads.
//
// The poll worker builds it (archive_map.h) before the download; the links walk
// it, read each block into the memory image and mark the item done
// (CComLink::MarkBlockDone, CComLink::NextPendingBlock). The order of the items
// is the order of reading.
//
// During a GSM download the request sender reads the done flags while the
// receiver sets them, so the flag is an atomic byte. Relaxed order is enough: a
// stale flag only makes the sender ask for a block once more, and the sender
// never reads the image.

#include <array>
#include <atomic>
#include <bitset>
#include <cstdint>

namespace zv {

struct BlockItem {
  std::uint16_t address = 0;     // device memory address of the block
  std::atomic<std::uint8_t> done{0};  // 0 pending, 1 read
  std::uint8_t spare = 0;

  BlockItem() = default;
  explicit BlockItem(std::uint16_t block_address) : address(block_address) {}
  BlockItem(const BlockItem& other)
      : address(other.address), done(other.done.load(std::memory_order_relaxed)), spare(other.spare) {}
  BlockItem& operator=(const BlockItem& other) {
    address = other.address;
    done.store(other.done.load(std::memory_order_relaxed), std::memory_order_relaxed);
    spare = other.spare;
    return *this;
  }

  bool IsDone() const { return done.load(std::memory_order_relaxed) != 0; }
  void SetDone() { done.store(1, std::memory_order_relaxed); }
};

inline constexpr int kMaxBlockItems = 500;

// The items of one poll: a fixed array and the number in use. Items are only
// added through Add, which keeps the list free of duplicates.
class BlockList {
 public:
  BlockItem* data() { return items_.data(); }
  const BlockItem* data() const { return items_.data(); }
  int size() const { return count_; }
  const BlockItem& operator[](int i) const { return items_[static_cast<size_t>(i)]; }
  BlockItem& operator[](int i) { return items_[static_cast<size_t>(i)]; }

  bool Contains(int address) const;
  // Appends a pending item for `address` (0..0xFFFF). Refused (false) when the
  // list is full or already holds that address: a second item of one address
  // could never be marked (marking flags the first), so a download would never end.
  bool Add(int address);
  void Clear();

 private:
  std::array<BlockItem, kMaxBlockItems> items_{};
  int count_ = 0;
  std::bitset<0x10000> listed_;
};

}  // namespace zv
