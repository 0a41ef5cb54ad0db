#pragma once
// A FIFO for tests of code that must never wait on one. While it lives, a
// watchdog thread looks, after a long bound, for a reader stuck in its open of
// the FIFO: it releases each one with a writer that opens and closes at once
// (the reader then sees an empty file) and records that it had to, so a test
// of code that waits fails instead of hanging. Code that never waits leaves the
// FIFO open for a moment at most and is never caught (only a reader that holds
// the FIFO open lets the writer's non-blocking open through).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace zv::test {

class FifoWatchdog {
 public:
  explicit FifoWatchdog(std::string path, std::chrono::milliseconds bound = std::chrono::seconds(10))
      : path_(std::move(path)), made_(::mkfifo(path_.c_str(), 0600) == 0) {
    if (made_) thread_ = std::thread([this, bound] { Watch(bound); });
  }
  ~FifoWatchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }
  FifoWatchdog(const FifoWatchdog&) = delete;
  FifoWatchdog& operator=(const FifoWatchdog&) = delete;

  bool made() const { return made_; }
  const std::string& path() const { return path_; }
  // Whether a reader was found stuck in its open and had to be released.
  bool ReaderWasStuck() const { return stuck_.load(); }

 private:
  void Watch(std::chrono::milliseconds bound) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wake_.wait_for(lock, bound, [this] { return stop_; })) return;
    while (!wake_.wait_for(lock, std::chrono::milliseconds(50), [this] { return stop_; })) {
      const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        stuck_ = true;
        ::close(fd);
      }
    }
  }

  std::string path_;
  bool made_;
  std::atomic<bool> stuck_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace zv::test
