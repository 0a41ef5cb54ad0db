#pragma once
// What the workstation's frame and status view work with besides the document:
// the polling engine's timing and clock, the program folder, the scheduler's
// timer and the exit's bound. The program uses the defaults; tests give scaled
// timing, a running clock, a folder of their own, a manual timer and stand-ins
// for the hard exit.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "links/clock.h"
#include "links/poll_timing.h"

class CPollTimer;

namespace zv {

struct ModemSetup {
  PollTiming timing;
  const Clock* clock = &SystemClock();  // must outlive the frame
  // The program's folder ("bins", "archive-bins", the converter, the viewer
  // beside the workstation). Empty: zv::ProgramDir().
  std::string program_dir;
  // The scheduler's timer. Empty: a QtPollTimer.
  std::function<std::unique_ptr<CPollTimer>()> make_timer;
  // How long the exit waits for a running poll to end.
  std::chrono::milliseconds exit_bound{30000};
  // The end of a process whose poll did not end within the bound. Empty: _exit.
  std::function<void(int status)> hard_exit;
};

}  // namespace zv
