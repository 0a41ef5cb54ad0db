#pragma once
// A metering node reached over a dial-up line, for the PSTN link and poll
// worker tests: a heat computer behind the line-side controller behind the
// modem, the modem on COM<com>.

#include <chrono>
#include <cstdint>

#include "links/poll_timing.h"
#include "tests/links/device_setup.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/line_controller.h"
#include "tests/sim/modem_sim.h"
#include "tests/sim/test_clock.h"

namespace zv::test {

struct PstnNode {
  // Family 2, device number 42; every memory byte tells its address.
  PstnNode() {
    PatternDevice(heat);
    modem.SetPeer(&controller);
  }
  // Maps the modem to COM<com> and starts it; false when the map cannot be written.
  bool Start(int com) {
    if (!modem.MapToComPort(com)) return false;
    modem.Start();
    return true;
  }

  sim::HeatComputer heat;
  sim::LineController controller{heat};
  sim::ModemSimulator modem;  // stopped first
};

using sim::Bytes;

// The scaled timing with reads that wait long for bytes on their way (a loaded
// machine may be slow), so only a missing answer makes an empty read.
inline PollTiming GenerousTiming() {
  PollTiming t = sim::TestTiming();
  t.port.read_total_constant = Ms(10000);
  return t;
}

// The scaled timing for cases that wait through silent reads: each ends after
// a short constant (still long enough for an answer on its way).
inline PollTiming QuickSilenceTiming() {
  PollTiming t = sim::TestTiming();
  t.port.read_total_per_byte = Duration(0);
  t.port.read_total_constant = Ms(200);
  return t;
}

// The timing with every pause of the PSTN link made a little different from
// the others (by a few microseconds), so a test can count each one by its length.
inline PollTiming DistinctPauses(PollTiming t) {
  int k = 1;
  t.pstn.ForEachDuration([&k](Duration& d) { d += Duration(k++); });
  return t;
}

}  // namespace zv::test
