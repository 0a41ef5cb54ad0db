#include "links/block_list.h"

namespace zv {

bool BlockList::Contains(int address) const {
  return address >= 0 && address < static_cast<int>(listed_.size()) && listed_.test(static_cast<size_t>(address));
}

bool BlockList::Add(int address) {
  if (count_ >= kMaxBlockItems || address < 0 || address >= static_cast<int>(listed_.size()) ||
      Contains(address)) {
    return false;
  }
  items_[static_cast<size_t>(count_)] = BlockItem(static_cast<std::uint16_t>(address));
  listed_.set(static_cast<size_t>(address));
  ++count_;
  return true;
}

void BlockList::Clear() {
  for (int i = 0; i < count_; ++i) items_[static_cast<size_t>(i)] = BlockItem();
  listed_.reset();
  count_ = 0;
}

}  // namespace zv
