#pragma once
// What a reader does with a bins file it has written: the converter, then the
// archive step. Both readers (ZEVRS, ZEVC) use it.
//
// With data_transfer the converter (binZEV2 from converter_dir, else from
// PATH) runs in `base` with the relative name, unquoted, as its only argument;
// its exit code 0 is reported as "Полученный файл успешно обработан". With
// archive_save the file then moves to the same name in archive-bins
// ("Полученный файл сохранен в папке archive-bins"). Without archive_save the
// file is deleted only when the converter ended with 0: a failed or missing
// converter leaves the only copy of the download in bins.
//
// Every failure has a text of its own: "Конвертер binZEV2 не найден, файл
// данных сохранен" (or "не запущен", "завершился с кодом N", "прерван
// сигналом N" in place of "не найден"), and "Файл данных не перемещен в папку
// archive-bins, он остался в папке bins". The converter's failure comes
// after the archive step's text, as the last one.
//
// A converter already running is never ended by a stop (it may be writing a
// node file): the stop ends only the wait, the program runs on by itself, and
// the file stays in bins. The converter runs under the converter lock
// (platform/converter_lock.h), which it keeps until its own end.

#include <string>

#include "platform/process.h"
#include "readers/common/reader_sink.h"

namespace zv {

struct BinsHandOver {
  bool converter_started = false;
  bool converted = false;  // ran and ended with 0
  bool archived = false;
  bool deleted = false;
  bool stopped = false;    // the stop ended the wait for the converter
  std::u16string failure;  // the last failure text told, empty when none
};

BinsHandOver HandOverReaderBins(const std::string& base, const std::string& name, bool data_transfer,
                                bool archive_save, const std::string& converter_dir, const ProgramWait& wait,
                                ReaderSink* sink);

}  // namespace zv
