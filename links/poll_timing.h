#pragma once
// Every pause, time-out and retry count of the polling engine, in one record.
//
// The defaults are the engine's real values. Each link, the serial port and the
// poll worker read their waits from the record they were given, never from
// literals, so a test hands in a scaled-down record (ScaledTiming) and the same
// code runs in milliseconds with unchanged behaviour: every wait keeps its
// proportion to the others, and retry counts stay as they are.
//
// Adding a field: put it into the group of the code that uses it (or a new
// group, a member of PollTiming), with the real value as its default, and, when
// it is a duration, list it in the group's ForEachDuration so that ScaledTiming
// reaches it. Durations are Duration (microseconds, so that scaling keeps small
// values exact), written with Ms(...); counts are plain ints and never scaled.
//
// The record is plain data: copy it freely; a link keeps its own copy for the
// whole poll.

#include <algorithm>
#include <chrono>

namespace zv {

using Duration = std::chrono::microseconds;
constexpr Duration Ms(long long milliseconds) { return std::chrono::milliseconds(milliseconds); }

// The serial port: the bounds of one read or write, and the port's own pauses.
// The workstation and the collector program use the defaults; the RS-232 reader
// sets read_total_per_byte to 2 ms and the two constants from its profile.
struct SerialPortTiming {
  // A read ends when this much time passes between two bytes (counted from the
  // first byte on: a silent line is bounded by the total only).
  Duration read_interval = Ms(500);
  // A read of n bytes ends after read_total_per_byte * n + read_total_constant.
  Duration read_total_per_byte = Ms(5);
  Duration read_total_constant = Ms(1000);
  // A write of n bytes gives up after write_total_per_byte * n + write_total_constant.
  Duration write_total_per_byte = Ms(100);
  Duration write_total_constant = Ms(1000);
  // Longest single wait inside a read or a write: the stop flag is looked at
  // (and a hung-up line waited out) in slices of this length.
  Duration read_slice = Ms(50);
  Duration write_slice = Ms(10);
  // Pause before and after a speed change.
  Duration baud_change_pause = Ms(100);
  // Pause after a reported failure of Open or SetBaudRate (with failure messages on).
  Duration failure_message_pause = Ms(1000);

  template <class F>
  void ForEachDuration(F&& f) {
    f(read_interval);
    f(read_total_per_byte);
    f(read_total_constant);
    f(write_total_per_byte);
    f(write_total_constant);
    f(read_slice);
    f(write_slice);
    f(baud_change_pause);
    f(failure_message_pause);
  }
};

// The link base: the modem dialogue and the identity request.
struct ComLinkTiming {
  // Pause before the init string is sent.
  Duration init_pause = Ms(200);
  // Pause after each read of a modem reply that did not settle the wait.
  Duration reply_pause = Ms(1000);
  // Reads of the modem reply to the init string, to ATH0 and to the dial command.
  int init_tries = 3;
  int hangup_tries = 3;
  int connect_tries = 15;
  // The identity request: pause between writing it and reading the answer, the
  // pause after a short answer, and the number of requests.
  Duration identity_answer_pause = Ms(10);
  Duration identity_retry_pause = Ms(50);
  int identity_tries = 15;

  template <class F>
  void ForEachDuration(F&& f) {
    f(init_pause);
    f(reply_pause);
    f(identity_answer_pause);
    f(identity_retry_pause);
  }
};

// The whole engine. One group per piece of the engine.
struct PollTiming {
  SerialPortTiming port;
  ComLinkTiming link;

  template <class F>
  void ForEachDuration(F&& f) {
    port.ForEachDuration(f);
    link.ForEachDuration(f);
  }
};

// A copy of `timing` with every duration divided by `divisor`; a duration that
// was not zero stays at least 1 microsecond.
// Works for PollTiming and for any group (anything with ForEachDuration).
template <class Timing>
Timing ScaledTiming(Timing timing, int divisor) {
  if (divisor > 1) {
    timing.ForEachDuration([divisor](Duration& d) {
      if (d.count() <= 0) return;
      d = std::max(Duration(d.count() / divisor), Duration(1));
    });
  }
  return timing;
}

}  // namespace zv
