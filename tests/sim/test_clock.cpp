#include "tests/sim/test_clock.h"

#include <thread>

namespace zv::sim {

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

RunningClock::RunningClock(std::time_t start)
    : start_(std::chrono::system_clock::from_time_t(start)), started_(std::chrono::steady_clock::now()) {}

Clock::TimePoint RunningClock::Now() const {
  return start_ + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                      std::chrono::steady_clock::now() - started_);
}

void RunningClock::Sleep(Duration pause) const {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pauses_.push_back(pause);
  }
  if (pause.count() > 0) std::this_thread::sleep_for(pause);
}

std::vector<Duration> RunningClock::pauses() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pauses_;
}

void SteppedClock::Sleep(Duration pause) const {
  if (pause.count() > 0) std::this_thread::sleep_for(pause);
}

}  // namespace zv::sim
