#pragma once
// A ReaderSink for tests: keeps every report in order (thread-safe) and waits
// for the reports a test expects.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "readers/common/reader_sink.h"

namespace zv::test {

struct ReaderReport {
  int code = 0;              // 5 for a text
  std::int64_t value = 0;
  std::u16string text;
  bool operator==(const ReaderReport&) const = default;
};

class ReaderRecorder : public ReaderSink {
 public:
  void OnLinkEvent(int code, std::int64_t value) override { Add({code, value, {}}); }
  void OnLinkText(std::u16string text) override { Add({kLinkEventText, 0, std::move(text)}); }

  std::vector<ReaderReport> reports() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.clear();
  }
  std::vector<std::u16string> texts() const {
    std::vector<std::u16string> out;
    for (const ReaderReport& r : reports()) {
      if (r.code == kLinkEventText) out.push_back(r.text);
    }
    return out;
  }
  int Count(int code) const {
    int n = 0;
    for (const ReaderReport& r : reports()) n += r.code == code ? 1 : 0;
    return n;
  }
  bool WaitUntil(const std::function<bool(const std::vector<ReaderReport>&)>& done,
                 std::chrono::milliseconds bound = std::chrono::seconds(20)) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, bound, [&] { return done(reports_); });
  }

 protected:
  void Add(ReaderReport report) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      reports_.push_back(std::move(report));
    }
    changed_.notify_all();
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<ReaderReport> reports_;
};

}  // namespace zv::test
