#pragma once
// ZEVRS's worker: the current-values job and the hourly job (no Qt).
//
// ReadThreadProc runs one job on the worker thread (zv::ReaderWorker starts
// it): a CDeviceLink on its stack opens "COM" + the Port setting, agrees the
// speed, and then
//   hourly:  range 2, parameters, values, archive range (128 / 228 / 230), the
//            archive, the bins file ("Файл данных сохранен в <name>", or
//            "Файл данных не сохранен" when it cannot be written), the
//            converter and the archive step (HandOverReaderBins);
//   current: range 2, preamble, parameters, current data (not for version 4),
//            values, and "current data read" when nothing failed.
// Any failure ends the job; the title keeps the last text the link showed.
// The filled record travels by copy with OnValuesReady. The link is closed
// when the job returns.

#include <string>

#include "links/clock.h"
#include "readers/common/reader_sink.h"
#include "readers/common/reader_timing.h"
#include "readers/rs/read_job.h"

namespace zv {

class DirectReaderSink : public ReaderSink {
 public:
  virtual void OnValuesReady(const ReadJob& job) = 0;
  virtual void OnCurrentDataRead() = 0;
};

struct DirectJobSetup {
  // The folder of bins and archive-bins, and the converter's working folder.
  std::string base;
  // Where the converter is looked for first (the program's folder).
  std::string converter_dir;
  DirectLinkTiming timing;
  const Clock* clock = &SystemClock();
  // How often the wait for the converter looks at it and at g_bStop.
  Duration converter_poll = Ms(50);
};

// The archive's progress range by model and version.
int DirectArchiveRange(int model, int version);

void ReadThreadProc(ReadJob job, DirectReaderSink& sink, const DirectJobSetup& setup);

}  // namespace zv
