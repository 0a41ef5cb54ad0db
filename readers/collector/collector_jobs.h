#pragma once
// ZEVC's worker: the copy job and the clear job (no Qt).
//
// CollectorThreadProc runs one job of a CopyJob record on the worker thread
// (zv::ReaderWorker starts it with a copy of the record). Each job opens
// "COM%d" of the record's port number with a CCollectorLink on its stack and
// connects (38400 baud, preamble, pointers, preamble). The reports:
//   code 4  one block read        code 5  a status text
//   code 6  progress range 0..n (the dialog disables its buttons)
//   code 7  the job's end (the empty bar)
//   code 8  a file copied and saved; the value is its file entry
//   code 9  the collector cleared  code 10  the job ended normally
// and, before code 7, OnJobOutcome: whether the job did all it was asked.
//
// Copy: every entry of the table in turn, "Копирование файла %d" (its position
// + 1), the file read, the bins file; a read that fails ends the job ("Ошибка
// чтения данных" unless stopped), a file that cannot be saved is left
// unmarked ("Файл данных %d не сохранен") and the others go on. A collector
// that connects as another kind than the list was made with is refused
// ("Ошибка чтения указателя"): its slots are other blocks. The outcome is true
// only when every file was read and lies whole in bins or archive-bins, and no
// stop came: only then may the collector be cleared.
//
// Clear: pointers out of range are reset to (0, 0); count 0 clears nothing;
// otherwise the start moves past the files listed (modulo the ring). A clear
// is reported only when the collector acknowledged it.

#include <array>
#include <cstdint>
#include <string>

#include "links/clock.h"
#include "readers/common/reader_sink.h"
#include "readers/common/reader_timing.h"

namespace zv {

inline constexpr int kCollectorFileCopied = 8;
inline constexpr int kCollectorCleared = 9;
inline constexpr int kCollectorJobDone = 10;

inline constexpr int kCollectorJobCopy = 2;
inline constexpr int kCollectorJobClear = 3;
inline constexpr int kCollectorJobEntries = 64;

struct CopyJob {
  int job = kCollectorJobCopy;
  int com = 1;  // COM port number
  int DataTransfer = 1;
  int ArchiveSave = 1;
  // Entry i belongs to list row i; 0 = no file.
  std::array<std::uint32_t, kCollectorJobEntries> entries{};
  // The collector kind the list was made with (0: not known, any kind copies).
  int kind = 0;
};

class CollectorSink : public ReaderSink {
 public:
  // Called once at the end of each job, before its link closes.
  virtual void OnJobOutcome(bool complete) = 0;
};

struct CollectorJobSetup {
  // The folder of bins and archive-bins, and the converter's working folder.
  std::string base;
  // Where the converter is looked for first (the program's folder).
  std::string converter_dir;
  CollectorLinkTiming timing;
  const Clock* clock = &SystemClock();
  // How often the wait for the converter looks at it and at g_bStop.
  Duration converter_poll = Ms(50);
  // After "Открытие порта связи ..." and after a port that did not open.
  Duration port_pause = Ms(500);
  // The dialog's wait between "Очистка считывателя" and the clear job.
  Duration clear_wait = Ms(1000);
};

// The set-pointers command's new start after clearing `count` files from
// `start` on a ring of `slots`.
int CollectorClearedStart(int start, int count, int slots);

// Each returns the job's outcome.
bool CopyFilesJob(const CopyJob& job, CollectorSink& sink, const CollectorJobSetup& setup);
bool ClearCollectorJob(const CopyJob& job, CollectorSink& sink, const CollectorJobSetup& setup);
void CollectorThreadProc(const CopyJob& job, CollectorSink& sink, const CollectorJobSetup& setup);

}  // namespace zv
