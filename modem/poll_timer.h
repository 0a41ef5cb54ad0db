#pragma once
// CPollTimer: the status view's one-second scheduler timer (timer 101).
//
// Start(interval) arms it (again), Stop disarms it, IsActive tells whether it is
// armed; while armed it calls its tick function on the user-interface thread
// once per interval. The program's timer is a QTimer (QtPollTimer); tests give
// a ManualPollTimer (tests/modem) that ticks only when the test says so, so the
// scheduler's steps can be taken one by one.

#include <QTimer>
#include <functional>

class CPollTimer {
 public:
  static constexpr int kId = 101;
  static constexpr int kInterval = 1000;  // ms

  virtual ~CPollTimer() = default;
  virtual void Start(int interval_ms) = 0;
  virtual void Stop() = 0;
  virtual bool IsActive() const = 0;

  void SetTick(std::function<void()> tick) { tick_ = std::move(tick); }

 protected:
  void Tick() {
    if (tick_) tick_();
  }

 private:
  std::function<void()> tick_;
};

class QtPollTimer final : public CPollTimer {
 public:
  QtPollTimer();
  void Start(int interval_ms) override { timer_.start(interval_ms); }
  void Stop() override { timer_.stop(); }
  bool IsActive() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
};
