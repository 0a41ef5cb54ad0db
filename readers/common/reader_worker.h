#pragma once
// The one worker thread of a reader program.
//
// Start runs a job on a new thread, but only while g_bIdle is set and g_bStop
// is not; it clears g_bIdle first, and joins a thread that has finished
// before. The job owns its link (on its own stack), so the port is closed when
// the job returns; the thread's last step then sets g_bIdle, clears g_bStop
// and reports OnJobFinished. Stop (and the destructor) sets g_bStop when a job
// runs, which ends every port wait and pause of the links, and joins.
//
// Start and Stop belong to the dialog's thread.

#include <functional>
#include <thread>

#include "readers/common/reader_sink.h"

namespace zv {

class ReaderWorker {
 public:
  ReaderWorker() = default;
  ~ReaderWorker() { Stop(); }
  ReaderWorker(const ReaderWorker&) = delete;
  ReaderWorker& operator=(const ReaderWorker&) = delete;

  // False when a job runs or a stop is pending: nothing is started then.
  bool Start(std::function<void()> job, ReaderSink* sink);
  void Stop();
  bool Running() const;

 private:
  std::thread thread_;
};

}  // namespace zv
