#pragma once
// Starting another program and waiting for it: the external converter binZEV2
// that the workstation and the two readers hand their bins files to.
//
// RunProgram starts the program directly (no shell, so the arguments reach it
// exactly as given, spaces included, and no quoting is needed or wanted) in the
// working folder given, with its input from /dev/null, its output and errors
// where ours go, none of our other descriptors (an open serial port must not
// stay open in the child), the default signal dispositions, and in a process
// group of its own. It then waits for the program to end, looking at the stop
// flag every `poll`. A set stop flag ends the wait: the whole group gets
// SIGTERM, then SIGKILL once `grace` has passed, and the program is reaped, so
// neither it nor anything it started is left running behind the caller.
//
// A caller whose program must never be ended half-way (the workstation's
// converter appends lines to a node file) gives no stop flag, so the wait
// lasts until the program ends, however long, or sets leave_running_on_stop,
// so that a stop ends only the wait: a thread of ours then waits for the
// program's end and reaps it, and any descriptor we lent the program (the
// converter lock) stays open in that thread until then.
//
//   zv::ProgramWait wait{&stop_flag};
//   zv::ProgramRun run = zv::RunConverter(zv::ProgramDir(), "bins/00042_2024-03-12_14-00.bin", wait);
//   if (run.end == zv::ProgramRun::End::kNotStarted) report(run.error);

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace zv {

inline constexpr const char* kConverterName = "binZEV2";

// How a program run ended.
struct ProgramRun {
  enum class End {
    kNotStarted,  // not found, or the start failed (error tells why)
    kExited,      // ended by itself with exit_code
    kKilled,      // ended by a signal it did not handle (signal)
    kStopped,     // the stop flag ended the wait; the program was ended and reaped
  };
  End end = End::kNotStarted;
  int exit_code = -1;
  int signal = 0;
  std::string error;

  // The program ran to its end (whatever its exit code), or a signal ended it.
  bool Finished() const { return end == End::kExited || end == End::kKilled; }
  // The program ended by itself (whatever its exit code): only then has it
  // done all it meant to do. One ended by a signal (a crash) may have stopped
  // half-way through its work.
  bool Exited() const { return end == End::kExited; }
};

struct ProgramWait {
  const std::atomic<bool>* stop = nullptr;  // none: wait for the end, however long
  std::chrono::microseconds poll = std::chrono::milliseconds(50);
  std::chrono::microseconds grace = std::chrono::seconds(5);
  // A set stop flag ends only the wait: the program runs on to its own end
  // (it may be writing files that must not be cut off) and is reaped then.
  bool leave_running_on_stop = false;
};

// The executable file `name` in `folder` when there is one, else the first one
// on PATH; "" when there is none.
std::string FindProgram(const std::string& name, const std::string& folder);

// Runs `program` (a path) with `args` after the program name in `folder`, and
// waits for it as described above. A set stop flag keeps it from starting at all.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder, const ProgramWait& wait);

// Runs the converter `program` like RunProgram, under the converter lock
// (platform/converter_lock.h): the lock is taken shared before the start (the
// start waits while a node file is being rewritten) and held until the
// converter has ended, by us and by the converter, which gets the locked
// descriptor as its descriptor 3:
//   - while we wait, our own copy holds it; it is closed when the wait ends,
//     and then the converter has ended;
//   - after a stop with leave_running_on_stop, the thread that reaps the
//     converter keeps our copy and closes it after the reap, so the lock holds
//     also when the converter closed or reused its descriptor 3;
//   - once we are gone (the caller's process ended), only the converter's
//     descriptor 3 holds it, as long as the converter keeps that open.
// Without a lock file the converter runs all the same.
ProgramRun RunConverterProgram(const std::string& program, const std::vector<std::string>& args,
                               const std::string& folder, const ProgramWait& wait);

// The converter: binZEV2 from `folder` (the program's own), else from PATH, run
// in `folder` with the bins file path as its only argument, under the
// converter lock.
ProgramRun RunConverter(const std::string& folder, const std::string& bins_path, const ProgramWait& wait);

}  // namespace zv
