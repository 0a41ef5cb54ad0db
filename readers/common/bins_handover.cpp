#include "readers/common/bins_handover.h"

#include <cstdio>
#include <unistd.h>

#include "links/bins_file.h"
#include "platform/str_format.h"

namespace zv {

namespace {

// An ASCII text (the converter's name, numbers) as UTF-16.
std::u16string Ascii16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// "Конвертер binZEV2" + what happened + that the file is kept: a converter
// that did not take the file in never costs the download.
std::u16string ConverterText(const std::u16string& what) {
  return u"Конвертер " + Ascii16(kConverterName) + what + u", файл данных сохранен";
}

std::u16string ConverterFailureText(const ProgramRun& run) {
  switch (run.end) {
    case ProgramRun::End::kNotStarted: return ConverterText(u" не запущен");
    case ProgramRun::End::kExited:
      return ConverterText(u" завершился с кодом " + Ascii16(StrFormat("%d", run.exit_code)));
    case ProgramRun::End::kKilled: return ConverterText(u" прерван сигналом " + Ascii16(StrFormat("%d", run.signal)));
    case ProgramRun::End::kStopped: break;
  }
  return std::u16string();
}

}  // namespace

BinsHandOver HandOverReaderBins(const std::string& base, const std::string& name, bool data_transfer,
                                bool archive_save, const std::string& converter_dir, const ProgramWait& wait,
                                ReaderSink* sink) {
  BinsHandOver result;
  const auto text = [sink](const std::u16string& t) {
    if (sink) sink->OnLinkText(t);
  };
  const auto fail = [&](const std::u16string& t) {
    result.failure = t;
    text(t);
  };
  // The converter's failure is told after the archive step: the title shows
  // the last text, and the archive's success must not hide that the file was
  // not taken into the node files.
  std::u16string converter_failure;
  if (data_transfer) {
    const std::string program = FindProgram(kConverterName, converter_dir);
    std::u16string failure = ConverterText(u" не найден");
    if (!program.empty()) {
      ProgramWait own = wait;
      own.leave_running_on_stop = true;
      const ProgramRun run = RunConverterProgram(program, {name}, base, own);
      result.converter_started = run.end != ProgramRun::End::kNotStarted;
      result.stopped = run.end == ProgramRun::End::kStopped;
      result.converted = run.end == ProgramRun::End::kExited && run.exit_code == 0;
      failure = ConverterFailureText(run);
    }
    if (result.converted) text(u"Полученный файл успешно обработан");
    if (result.stopped) return result;
    if (!result.converted) converter_failure = failure;
  }
  const std::string path = base + "/" + name;
  if (archive_save) {
    if (EnsureDirectory(base, kArchiveBinsFolder) &&
        std::rename(path.c_str(), (base + "/" + ArchiveBinsFileName(name)).c_str()) == 0) {
      result.archived = true;
      text(u"Полученный файл сохранен в папке archive-bins");
    } else {
      fail(u"Файл данных не перемещен в папку archive-bins, он остался в папке bins");
    }
  } else if (data_transfer && result.converted) {
    result.deleted = ::unlink(path.c_str()) == 0;
  }
  if (!converter_failure.empty()) fail(converter_failure);
  return result;
}

}  // namespace zv
