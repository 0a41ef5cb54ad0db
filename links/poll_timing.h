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

// The PSTN link through the line-side controller.
struct PstnLinkTiming {
  // The connect frame: tries, and the pause before its answer is read.
  int connect_tries = 5;
  Duration connect_answer_pause = Ms(100);
  // Between the three bursts of zero bytes that wake the heat computer up.
  Duration wake_up_pause = Ms(500);
  // Between the first block's request and the first read of its answer.
  Duration first_answer_pause = Ms(100);
  // After a read that brought nothing; reads of one call (the first block, or
  // the whole block list) give up at the empty_read_limit-th empty read.
  Duration empty_read_pause = Ms(100);
  int empty_read_limit = 5;
  // Before asking again for a block that an earlier pass left pending.
  Duration wrap_pause = Ms(1000);
  // After an answer that failed its checks: the rest of it (or the noise) is
  // let in and discarded before the block is asked for again, and at most
  // bad_answer_limit such answers in a row are taken before the call gives up.
  Duration drain_pause = Ms(500);
  int bad_answer_limit = 10;
  // The clock and intercept frame: tries, and the pause before its answer is read.
  int clock_tries = 5;
  Duration clock_answer_pause = Ms(100);
  // After the disconnect frame, so that it leaves before the port is closed.
  Duration disconnect_pause = Ms(100);

  template <class F>
  void ForEachDuration(F&& f) {
    f(connect_answer_pause);
    f(wake_up_pause);
    f(first_answer_pause);
    f(empty_read_pause);
    f(wrap_pause);
    f(drain_pause);
    f(clock_answer_pause);
    f(disconnect_pause);
  }
};

// The first block of the links that speak the heat computer's own frames
// directly (GSM and TCP): three bursts of zero bytes wake the device up, then
// block 0 is asked for until an answer passes its check.
struct FirstBlockTiming {
  // Between the bursts of zero bytes.
  Duration wake_up_pause = Ms(500);
  // Between the request and the first read of its answer.
  Duration answer_pause = Ms(100);
  // After a read that brought nothing; the call gives up at the
  // empty_read_limit-th empty read.
  Duration empty_read_pause = Ms(100);
  int empty_read_limit = 5;
  // After an answer that failed its check: the rest of it (or the noise) is
  // let in and discarded before the block is asked for again, and at most
  // bad_answer_limit such answers in a row are taken before the call gives up.
  Duration drain_pause = Ms(500);
  int bad_answer_limit = 10;

  template <class F>
  void ForEachDuration(F&& f) {
    f(wake_up_pause);
    f(answer_pause);
    f(empty_read_pause);
    f(drain_pause);
  }
};

// The GSM link: a sender thread streams the block requests while the worker
// takes the answers in whatever order they come.
struct GsmLinkTiming {
  FirstBlockTiming first{.answer_pause = Ms(300)};
  // The sender: after each request, and once more at the start of every new
  // pass over the blocks still missing.
  Duration request_pause = Ms(400);
  Duration pass_pause = Ms(1000);
  // The length of one minute of the time limit Settings/"GSMTimeout" (in
  // minutes, 4 when not set); the download ends when it has passed.
  Duration timeout_minute = Ms(60000);
  // The receiver: after a read that brought nothing; the download gives up at
  // the empty_read_limit-th empty read of the whole call (a dead line).
  Duration empty_read_pause = Ms(100);
  int empty_read_limit = 5;
  // Attempts of one resynchronisation of the answer stream.
  int resync_attempts = 20;

  template <class F>
  void ForEachDuration(F&& f) {
    first.ForEachDuration(f);
    f(request_pause);
    f(pass_pause);
    f(timeout_minute);
    f(empty_read_pause);
  }
};

// The TCP link to an IP converter.
struct TcpLinkTiming {
  FirstBlockTiming first{.answer_pause = Ms(100)};
  // Bounds of the socket's blocking calls: the connect, and each send and receive.
  Duration connect_timeout = Ms(3000);
  Duration io_timeout = Ms(1000);
  // The longest single wait inside a socket call: the stop request is looked
  // at in slices of this length.
  Duration wait_slice = Ms(50);
  // The block list: between a request and the first receive of its answer,
  // after a receive that brought nothing (the call gives up at the
  // empty_read_limit-th of the whole call), and before asking again for a block
  // that an earlier pass left pending.
  Duration answer_pause = Ms(50);
  Duration empty_read_pause = Ms(10);
  int empty_read_limit = 5;
  Duration wrap_pause = Ms(1000);
  // After an answer that failed its check, as for the first block.
  Duration drain_pause = Ms(500);
  int bad_answer_limit = 10;
  // The identity request: the pause before its answer is read, after an empty
  // receive (empty_read_limit of them per request), and the number of requests.
  Duration identity_answer_pause = Ms(500);
  Duration identity_empty_read_pause = Ms(100);
  int identity_tries = 10;

  template <class F>
  void ForEachDuration(F&& f) {
    first.ForEachDuration(f);
    f(connect_timeout);
    f(io_timeout);
    f(wait_slice);
    f(answer_pause);
    f(empty_read_pause);
    f(wrap_pause);
    f(drain_pause);
    f(identity_answer_pause);
    f(identity_empty_read_pause);
  }
};

// The poll worker.
struct PollWorkerTiming {
  // After a new node got its number and name.
  Duration renamed_pause = Ms(300);
  // Before the worker lets the link go at the end of a download.
  Duration end_pause = Ms(300);
  // The end of every poll: before the final status, and then before the
  // scheduler may start the next node (the final status stays on screen).
  Duration final_status_pause = Ms(500);
  Duration idle_pause = Ms(3000);
  // How often the wait for the converter looks whether it has ended (the wait
  // has no time-out and no stop: a converter is never ended half-way).
  Duration converter_poll = Ms(50);
  // How often the two pauses of the end look whether the worker's owner is
  // going; they then end early.
  Duration owner_check = Ms(50);

  template <class F>
  void ForEachDuration(F&& f) {
    f(renamed_pause);
    f(end_pause);
    f(final_status_pause);
    f(idle_pause);
    f(converter_poll);
    f(owner_check);
  }
};

// The whole engine. One group per piece of the engine.
struct PollTiming {
  SerialPortTiming port;
  ComLinkTiming link;
  PstnLinkTiming pstn;
  GsmLinkTiming gsm;
  TcpLinkTiming tcp;
  PollWorkerTiming worker;

  template <class F>
  void ForEachDuration(F&& f) {
    port.ForEachDuration(f);
    link.ForEachDuration(f);
    pstn.ForEachDuration(f);
    gsm.ForEachDuration(f);
    tcp.ForEachDuration(f);
    worker.ForEachDuration(f);
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
