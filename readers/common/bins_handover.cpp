#include "readers/common/bins_handover.h"

#include <cstdio>
#include <unistd.h>

#include "links/bins_file.h"

namespace zv {

BinsHandOver HandOverReaderBins(const std::string& base, const std::string& name, bool data_transfer,
                                bool archive_save, const std::string& converter_dir, const ProgramWait& wait,
                                ReaderSink* sink) {
  BinsHandOver result;
  const auto text = [sink](const char16_t* t) {
    if (sink) sink->OnLinkText(t);
  };
  if (data_transfer) {
    const std::string program = FindProgram(kConverterName, converter_dir);
    if (!program.empty()) {
      ProgramWait own = wait;
      own.leave_running_on_stop = true;
      const ProgramRun run = RunConverterProgram(program, {name}, base, own);
      result.converter_started = run.end != ProgramRun::End::kNotStarted;
      result.stopped = run.end == ProgramRun::End::kStopped;
      result.converted = run.end == ProgramRun::End::kExited && run.exit_code == 0;
    }
    if (result.converted) text(u"Полученный файл успешно обработан");
    if (result.stopped) return result;
  }
  const std::string path = base + "/" + name;
  if (archive_save) {
    if (EnsureDirectory(base, kArchiveBinsFolder) &&
        std::rename(path.c_str(), (base + "/" + ArchiveBinsFileName(name)).c_str()) == 0) {
      result.archived = true;
      text(u"Полученный файл сохранен в папке archive-bins");
    }
  } else if (data_transfer && result.converted) {
    result.deleted = ::unlink(path.c_str()) == 0;
  }
  return result;
}

}  // namespace zv
