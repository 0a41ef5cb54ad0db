#pragma once
// The collector's file list: the walk over its slots that the "Список файлов"
// command makes (no Qt, on whatever thread calls it).
//
// The link is connected up to its speed (open, 38400 baud). The walk sends the
// preamble, reads the pointers (count, start, status block, kind; ShowDeleted
// applied) and, when there are files, sends the preamble again and goes round
// the ring from the start slot: a slot whose status byte is above 4 holds no
// file and only steps the progress; any other slot's header is read, and a
// header with a serial number 1..0xFFFE becomes a row. Rows are numbered
// " 1", " 2", ... in listing order without gaps.
//
// A start slot beyond the ring lists from slot 0, and the count is at most the
// number of slots, so every slot is read once at most and the rows never
// outnumber the copy job's 64 entries.
//
// Everything the walk learns comes through the link's answers (its I/O hooks),
// so a link fed from a buffer runs it without a line.

#include <cstdint>
#include <string>
#include <vector>

#include "readers/collector/collector_link.h"

namespace zv {

struct CollectorFileRow {
  std::string number;  // " 1", " 2", ...
  std::string serial;  // "%05d"
  std::string date;    // "dd.mm.yyyy hh:00"
  std::uint32_t entry = 0;  // slot | status << 16
  bool operator==(const CollectorFileRow&) const = default;
};

enum class CollectorListResult {
  kListed,           // the walk ran (it may have found no valid header)
  kPointersNotRead,  // "Ошибка чтения указатeлей"
  kNoFiles,          // count 0: "В считывателе нет файлов"
};

struct CollectorFileList {
  CollectorListResult result = CollectorListResult::kPointersNotRead;
  int kind = 1;   // the kind the list was made with
  int count = 0;  // slots walked
  std::vector<CollectorFileRow> rows;
};

// What the walk reports while it goes (on the caller's thread).
class CollectorListProgress {
 public:
  virtual ~CollectorListProgress() = default;
  // The progress range 0..count, before the first slot.
  virtual void OnRange(int count) = 0;
  // Slot i + 1 of count is next ("Чтение заголовка файла %d из %d").
  virtual void OnHeader(int number, int count) = 0;
  // One slot done.
  virtual void OnStep() = 0;
};

// The slots the walk visits, in order, for a start slot and count on a ring
// of `slots`.
std::vector<int> CollectorListSlots(int start, int count, int slots);

CollectorFileList ListCollectorFiles(CCollectorLink& link, CollectorListProgress* progress);

}  // namespace zv
