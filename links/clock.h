#pragma once
// The computer's clock as the polling engine sees it, and its pauses.
//
// The engine never asks the system for the time or sleeps by itself: it asks the
// Clock it was given. Now() is the wall-clock time the engine stamps and compares
// (the poll's target time, the bins file name, the clock sent to the line-side
// controller, the GSM time limit); Sleep() is every fixed pause of the engine,
// with its length taken from the timing record (poll_timing.h). Time-outs of
// port reads and writes are real waits on the line and are not clock pauses.
//
// SystemClock() is the real one. Tests give a clock that starts at a chosen date
// and runs on from there (tests/sim/test_clock.h), so date-dependent behaviour
// is exact while the scaled pauses still pass in real time.
//
// Implementations must be safe to call from several threads at once (the GSM
// download reads the clock on two threads).

#include <chrono>
#include <ctime>

#include "data/date_stamp.h"

namespace zv {

class Clock {
 public:
  using TimePoint = std::chrono::system_clock::time_point;

  virtual ~Clock() = default;
  virtual TimePoint Now() const = 0;
  virtual void Sleep(std::chrono::microseconds pause) const = 0;

  std::time_t NowTime() const { return std::chrono::system_clock::to_time_t(Now()); }
  // Now() as a date-time in local time.
  DateStamp NowStamp() const;
};

// The system's wall clock and std::this_thread::sleep_for.
const Clock& SystemClock();

}  // namespace zv
