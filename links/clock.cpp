#include "links/clock.h"

#include <thread>

namespace zv {

DateStamp Clock::NowStamp() const {
  DateStamp s;
  s.FromTime(NowTime());
  return s;
}

namespace {

class RealClock final : public Clock {
 public:
  TimePoint Now() const override { return std::chrono::system_clock::now(); }
  void Sleep(std::chrono::microseconds pause) const override {
    if (pause.count() > 0) std::this_thread::sleep_for(pause);
  }
};

}  // namespace

const Clock& SystemClock() {
  static const RealClock clock;
  return clock;
}

}  // namespace zv
