#include "readers/rs/read_thread.h"

#include "platform/profile.h"
#include "readers/common/bins_handover.h"
#include "readers/common/reader_flags.h"
#include "readers/rs/device_link.h"

namespace zv {

namespace {

// "Файл данных сохранен в " + name (the name is ASCII).
std::u16string SavedText(const std::string& name) {
  std::u16string text = u"Файл данных сохранен в ";
  text.append(name.begin(), name.end());
  return text;
}

void HourlyJob(CDeviceLink& link, ReadJob& job, DirectReaderSink& sink, const DirectJobSetup& setup) {
  sink.OnLinkEvent(kLinkEventRange, 2);
  if (!link.ReadParameters()) return;
  FillReadJob(link, job);
  sink.OnValuesReady(job);
  sink.OnLinkEvent(kLinkEventRange, DirectArchiveRange(link.model(), link.version()));
  if (!link.ReadArchive()) return;
  const std::string name = link.SaveBinFile(setup.base);
  if (name.empty()) {
    sink.OnLinkText(u"Файл данных не сохранен");
    return;
  }
  sink.OnLinkText(SavedText(name));
  ProgramWait wait;
  wait.stop = &g_bStop;
  wait.poll = setup.converter_poll;
  HandOverReaderBins(setup.base, name, job.DataTransfer != 0, job.ArchiveSave != 0, setup.converter_dir, wait,
                     &sink);
}

void CurrentJob(CDeviceLink& link, ReadJob& job, DirectReaderSink& sink) {
  sink.OnLinkEvent(kLinkEventRange, 2);
  link.SendPreamble();
  if (!link.ReadParameters()) return;
  // A version-4 device has no current-data block to read.
  const bool current = link.version() == 4 || link.ReadCurrentData();
  FillReadJob(link, job);
  sink.OnValuesReady(job);
  // A failed read shows its values (zeros) but not the success title.
  if (current) sink.OnCurrentDataRead();
}

}  // namespace

int DirectArchiveRange(int model, int version) {
  if (model != 1) return 230;
  return version == 3 || version == 4 ? 228 : 128;
}

void ReadThreadProc(ReadJob job, DirectReaderSink& sink, const DirectJobSetup& setup) {
  CDeviceLink link(&sink, setup.timing, *setup.clock);
  const std::string port = Profile(kProgramZEVRS).GetString("Properties", "Port", "1");
  if (!link.Open("COM" + port)) return;
  if (!link.InitLink(9600)) return;
  if (job.job == kJobHourly) {
    HourlyJob(link, job, sink, setup);
  } else {
    CurrentJob(link, job, sink);
  }
}

}  // namespace zv
