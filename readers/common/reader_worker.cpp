#include "readers/common/reader_worker.h"

#include "readers/common/reader_flags.h"

namespace zv {

bool ReaderWorker::Start(std::function<void()> job, ReaderSink* sink) {
  if (!g_bIdle.load() || g_bStop.load()) return false;
  if (thread_.joinable()) thread_.join();
  g_bIdle.store(false);
  thread_ = std::thread([job = std::move(job), sink] {
    job();
    g_bIdle.store(true);
    g_bStop.store(false);
    if (sink) sink->OnJobFinished();
  });
  return true;
}

bool ReaderWorker::Running() const { return thread_.joinable() && !g_bIdle.load(); }

void ReaderWorker::Stop() {
  if (!thread_.joinable()) return;
  if (!g_bIdle.load()) g_bStop.store(true);
  thread_.join();
  // The thread may have cleared the flag before it was set here.
  g_bStop.store(false);
}

}  // namespace zv
