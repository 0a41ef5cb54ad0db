#include "readers/collector/file_list.h"

#include "platform/str_format.h"

namespace zv {

std::vector<int> CollectorListSlots(int start, int count, int slots) {
  std::vector<int> out;
  if (slots <= 0) return out;
  if (count > slots) count = slots;
  int slot = start >= 0 && start < slots ? start : 0;
  for (int i = 0; i < count; ++i) {
    out.push_back(slot);
    slot = (slot + 1) % slots;
  }
  return out;
}

CollectorFileList ListCollectorFiles(CCollectorLink& link, CollectorListProgress* progress) {
  CollectorFileList list;
  link.SendPreamble();
  const bool pointers = link.ReadPointers();
  list.kind = link.kind();
  if (!pointers) return list;
  if (link.file_count() == 0) {
    list.result = CollectorListResult::kNoFiles;
    return list;
  }
  list.result = CollectorListResult::kListed;
  const std::vector<int> slots = CollectorListSlots(link.start_slot(), link.file_count(), link.kind_info().slots);
  list.count = static_cast<int>(slots.size());
  if (progress) progress->OnRange(list.count);
  link.SendPreamble();
  for (int i = 0; i < list.count; ++i) {
    const int slot = slots[static_cast<size_t>(i)];
    if (progress) progress->OnHeader(i + 1, list.count);
    const int status = link.status_block()[slot];
    if (status > 4) {
      if (progress) progress->OnStep();
      continue;
    }
    const CollectorFileHeader h = link.ReadFileHeader(slot);
    if (progress) progress->OnStep();
    if (h.serial < 1 || h.serial > 0xFFFE) continue;
    CollectorFileRow row;
    row.number = StrFormat(" %d", static_cast<int>(list.rows.size()) + 1);
    row.serial = StrFormat("%05d", h.serial);
    row.date = StrFormat("%02d.%02d.%d %02d:00", h.day, h.month, h.year, h.hour);
    row.entry = CollectorFileEntry(slot, status);
    list.rows.push_back(std::move(row));
  }
  return list;
}

}  // namespace zv
