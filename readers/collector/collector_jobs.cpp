#include "readers/collector/collector_jobs.h"

#include "platform/str_format.h"
#include "readers/collector/collector_link.h"
#include "readers/common/bins_handover.h"
#include "readers/common/reader_flags.h"
#include "readers/common/reader_pause.h"

namespace zv {

namespace {

// ASCII (numbers, file and port names) as UTF-16.
std::u16string Ascii16(const std::string& s) { return std::u16string(s.begin(), s.end()); }
std::u16string Number16(int n) { return Ascii16(StrFormat("%d", n)); }

// Open, speed, preamble, pointers, preamble. False (after its text) when the
// job cannot go on.
bool Connect(CCollectorLink& link, const CopyJob& job, CollectorSink& sink, const CollectorJobSetup& setup) {
  if (!link.Open(StrFormat("COM%d", job.com))) {
    sink.OnLinkText(u"Ошибка открытия порта связи");
    StoppablePause(*setup.clock, setup.port_pause, setup.timing.pause_slice, g_bStop);
    return false;
  }
  if (!link.SetBaudRate(38400)) return false;
  link.SendPreamble();
  if (!link.ReadPointers()) {
    sink.OnLinkText(u"Ошибка чтения указателя");
    return false;
  }
  link.SendPreamble();
  return true;
}

bool CopyFiles(CCollectorLink& link, const CopyJob& job, CollectorSink& sink, const CollectorJobSetup& setup) {
  if (!Connect(link, job, sink, setup)) return false;
  // The entries name slots of the kind the list saw; another kind's slots
  // are other blocks.
  if (job.kind != 0 && link.kind() != job.kind) {
    sink.OnLinkText(u"Ошибка чтения указателя");
    return false;
  }
  bool all_saved = true;
  std::u16string failure;
  for (int i = 0; i < kCollectorJobEntries; ++i) {
    const std::uint32_t entry = job.entries[static_cast<size_t>(i)];
    if (entry == 0) continue;
    sink.OnLinkEvent(kLinkEventRange, CollectorFileBlocks(link.kind(), static_cast<int>(entry >> 16)));
    sink.OnLinkText(u"Копирование файла " + Number16(i + 1));
    if (!link.ReadFile(entry)) {
      if (!g_bStop.load()) sink.OnLinkText(u"Ошибка чтения данных");
      return false;
    }
    const std::string name = link.SaveBinFile(setup.base);
    if (name.empty()) {
      all_saved = false;
      sink.OnLinkText(u"Файл данных " + Number16(i + 1) + u" не сохранен");
      continue;
    }
    sink.OnLinkEvent(kCollectorFileCopied, entry);
    sink.OnLinkText(u"Файл данных " + Number16(i + 1) + u" сохранен в " + Ascii16(name));
    ProgramWait wait;
    wait.stop = &g_bStop;
    wait.poll = setup.converter_poll;
    const BinsHandOver handed = HandOverReaderBins(setup.base, name, job.DataTransfer != 0, job.ArchiveSave != 0,
                                                   setup.converter_dir, wait, &sink);
    if (!handed.failure.empty()) failure = handed.failure;
  }
  sink.OnLinkText(u"Все данные считаны");
  // The title shows the last text: a converter or archive step that failed on
  // any file is told again after the end, so the copy's end does not hide it.
  if (!failure.empty()) sink.OnLinkText(failure);
  sink.OnLinkEvent(kCollectorJobDone, 0);
  return all_saved && !g_bStop.load();
}

bool ClearCollector(CCollectorLink& link, const CopyJob& job, CollectorSink& sink, const CollectorJobSetup& setup) {
  sink.OnLinkEvent(kLinkEventRange, 128);
  sink.OnLinkText(u"Открытие порта связи " + Ascii16(StrFormat("COM%d", job.com)));
  StoppablePause(*setup.clock, setup.port_pause, setup.timing.pause_slice, g_bStop);
  if (!Connect(link, job, sink, setup)) return false;
  const int slots = link.kind_info().slots;
  const int count = link.file_count();
  const int start = link.start_slot();
  // The limits of the pointers: count 32 and start 31 on a ring of 32 slots,
  // count 63 and start 62 on the ring of 64.
  const int max_count = link.kind() == 2 ? slots - 1 : slots;
  if (count > max_count || start > max_count - 1) {
    // Pointers the collector cannot mean: start it afresh.
    const bool ok = link.SendClear(0, 0);
    sink.OnLinkText(ok ? u"Считыватель очищен" : u"Считыватель не очищен");
    return ok;
  }
  bool ok = true;
  if (count == 0) {
    sink.OnLinkText(u"В считывателе нет новых файлов");
  } else {
    ok = link.SendClear(0, CollectorClearedStart(start, count, slots));
    if (ok) {
      sink.OnLinkEvent(kCollectorCleared, 0);
    } else {
      sink.OnLinkText(u"Считыватель не очищен");
    }
  }
  sink.OnLinkEvent(kCollectorJobDone, 0);
  return ok;
}

}  // namespace

int CollectorClearedStart(int start, int count, int slots) { return slots > 0 ? (start + count + 1) % slots : 0; }

bool CopyFilesJob(const CopyJob& job, CollectorSink& sink, const CollectorJobSetup& setup) {
  CCollectorLink link(&sink, setup.timing, *setup.clock);
  const bool ok = CopyFiles(link, job, sink, setup);
  sink.OnJobOutcome(ok);
  return ok;
}

bool ClearCollectorJob(const CopyJob& job, CollectorSink& sink, const CollectorJobSetup& setup) {
  CCollectorLink link(&sink, setup.timing, *setup.clock);
  const bool ok = ClearCollector(link, job, sink, setup);
  sink.OnJobOutcome(ok);
  return ok;
}

void CollectorThreadProc(const CopyJob& job, CollectorSink& sink, const CollectorJobSetup& setup) {
  if (job.job == kCollectorJobCopy) {
    CopyFilesJob(job, sink, setup);
  } else if (job.job == kCollectorJobClear) {
    ClearCollectorJob(job, sink, setup);
  }
  sink.OnLinkEvent(kLinkEventReset, 0);
}

}  // namespace zv
