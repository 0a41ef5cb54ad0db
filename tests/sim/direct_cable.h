#pragma once
// A heat computer cabled straight to a COM port, for the direct reader: the
// computer (HeatComputer) on a pseudo-terminal of its own.
//
//   zv::sim::HeatComputer heat;
//   heat.SetSpeed(2400);
//   zv::sim::DirectCable cable(heat);
//   cable.MapToComPort(3);   // the code under test opens "COM3"
//   cable.Start();
//
// Speed: the line speed is the port's own setting, read with tcgetattr on the
// master (which reports the slave's settings) when bytes arrive and again when
// an answer is about to leave. Requests are handed to the computer with the
// speed they came at (it ignores those at another speed than its own, and logs
// them with their speed); an answer is sent only while the line still runs at
// the speed the request came at, so an answer the port would hear at another
// speed never arrives. Faults are the computer's (SetFault per request).
//
// received() is every byte that reached the cable, in order (the wire as the
// device sees it, preamble and lead bytes included).
//
// Pull() pulls the cable out: the cable's thread closes the master for good
// (the port then reads as a hung-up line).

#include <atomic>
#include <mutex>

#include "tests/sim/data_peer.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/pty_line.h"

namespace zv::sim {

// The baud rate the line is set to now (the slave's output speed); 0 if unknown.
int LineBaud(int master_fd);

class DirectCable {
 public:
  explicit DirectCable(HeatComputer& heat) : heat_(heat) {}
  ~DirectCable() { Stop(); }
  DirectCable(const DirectCable&) = delete;
  DirectCable& operator=(const DirectCable&) = delete;

  PtyLine& line() { return line_; }
  bool MapToComPort(int number) const { return line_.MapToComPort(number); }
  void Start();
  void Stop() { thread_.Stop(); }
  // Pulls the cable; PulledOut() tells when it is done.
  void Pull() { pull_.store(true); }
  bool PulledOut() const { return pulled_.load(); }
  Bytes received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }

 private:
  HeatComputer& heat_;
  PtyLine line_;
  SimulatorThread thread_;
  std::atomic<bool> pull_{false};
  std::atomic<bool> pulled_{false};
  mutable std::mutex mutex_;
  Bytes received_;
};

}  // namespace zv::sim
