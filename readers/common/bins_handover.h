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
};

BinsHandOver HandOverReaderBins(const std::string& base, const std::string& name, bool data_transfer,
                                bool archive_save, const std::string& converter_dir, const ProgramWait& wait,
                                ReaderSink* sink);

}  // namespace zv
