#pragma once
// Clocks and timing for tests of the polling engine.
//
// RunningClock starts at a chosen local date-time and runs on with real time,
// so dates the engine derives from "now" are exact while its (scaled) pauses
// still pass for real. It remembers every pause it was asked for.
//
// TestTiming() is the engine's timing record scaled down for tests; all link
// tests use it unless a test needs its own values.

#include <atomic>
#include <chrono>
#include <ctime>
#include <mutex>
#include <vector>

#include "links/clock.h"
#include "links/poll_timing.h"

namespace zv::sim {

// The divisor of TestTiming: 500 ms become 25 ms.
inline constexpr int kTestTimeScale = 20;

inline PollTiming TestTiming() { return ScaledTiming(PollTiming{}, kTestTimeScale); }

// The time_t of a local date-time.
std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second = 0);

class RunningClock final : public Clock {
 public:
  explicit RunningClock(std::time_t start);
  TimePoint Now() const override;
  void Sleep(Duration pause) const override;
  std::vector<Duration> pauses() const;

 private:
  TimePoint start_;
  std::chrono::steady_clock::time_point started_;
  mutable std::mutex mutex_;
  mutable std::vector<Duration> pauses_;
};

// A clock that stands still until the test moves it on (Advance), for time
// limits measured on the clock; its pauses pass in real time.
class SteppedClock final : public Clock {
 public:
  explicit SteppedClock(std::time_t start) : start_(std::chrono::system_clock::from_time_t(start)) {}
  TimePoint Now() const override { return start_ + std::chrono::microseconds(offset_us_.load()); }
  void Sleep(Duration pause) const override;
  void Advance(Duration step) { offset_us_ += step.count(); }

 private:
  TimePoint start_;
  std::atomic<long long> offset_us_{0};
};

}  // namespace zv::sim
