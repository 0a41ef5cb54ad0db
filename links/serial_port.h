#pragma once
// The one serial-port class of the system, over termios.
//
// Open sets the line raw (no echo, no line editing, no CR/LF translation, no
// XON/XOFF, no signals), 9600 baud 8N1 without flow control, ignores the modem
// status lines (CLOCAL), raises DTR and RTS, and takes the device for itself
// (TIOCEXCL and an flock, so a second Open of the same device fails even for
// root). Closing the port drops DTR (HUPCL), which ends a modem call.
//
// Reads and writes are bounded and return the number of bytes moved:
// - Read(n) returns when n bytes have come, when read_interval passes between
//   two bytes (the gap timer starts with the first byte), or at
//   read_total_per_byte * n + read_total_constant, with what came so far
//   (0 on a silent line: an "empty read").
// - Write(n) returns when all n bytes are queued or at
//   write_total_per_byte * n + write_total_constant; a line that refuses writes
//   (hung up) returns at once with the count written.
// Waits are poll() calls of at most one slice (read_slice, write_slice); between
// slices the stop flag is looked at, and a set flag ends the call with 0. A
// hung-up line (the modem or the other end gone: EIO, POLLHUP) reads like a
// silent one: the read waits out its time-outs slice by slice instead of
// returning at once, so no caller loop can spin on it.
//
// Owners' choices, made before Open: the time-outs (SetTiming; the defaults are
// the workstation's fixed ones), the clock for the port's own pauses, the stop
// flag (the readers' stop flag; none for the workstation) and whether failures
// of Open and SetBaudRate are reported as texts (the RS-232 reader shows them).
//
// One Read and one Write may run at the same time on two threads (the GSM link
// writes requests on its sender thread while the worker reads); Open, Close,
// SetBaudRate and the setters belong to the owner's thread while no other call
// runs.

#include <functional>
#include <string>

#include "links/clock.h"
#include "links/poll_flags.h"
#include "links/poll_timing.h"

class CSerialPort {
 public:
  using FailureReporter = std::function<void(const std::string& text)>;

  CSerialPort() = default;
  ~CSerialPort() { Close(); }
  CSerialPort(const CSerialPort&) = delete;
  CSerialPort& operator=(const CSerialPort&) = delete;

  void SetTiming(const zv::SerialPortTiming& timing) { timing_ = timing; }
  const zv::SerialPortTiming& timing() const { return timing_; }
  void SetClock(const zv::Clock& clock) { clock_ = &clock; }
  // A flag that ends every wait of Read and Write (with 0) while it is set; null for none.
  void SetStopFlag(const zv::StopFlag* stop) { stop_ = stop; }
  // Called with the English text of a failed step of Open or SetBaudRate, after
  // which the port pauses failure_message_pause; without a reporter failures are silent.
  void SetFailureReporter(FailureReporter reporter) { reporter_ = std::move(reporter); }

  // `name`: "COM<n>" (mapped through the port map) or a device path.
  // Failure texts: "Cannot open port", "Cannot get com state", "Cannot set com state".
  bool Open(const std::string& name);
  bool IsOpen() const { return fd_ >= 0; }
  // 0 when the port is not open.
  int Read(void* buffer, int n);
  int Write(const void* buffer, int n);
  // Discards everything queued in both directions. On a pseudo-terminal this
  // also drops a request just written that the other end has not taken yet.
  void Purge();
  // Discards only what waits in the input; what was written goes on.
  void PurgeInput();
  // Purges and closes; does nothing when closed.
  void Close();
  // Changes the speed of an open port (50 .. 4000000 baud, the termios rates),
  // pausing baud_change_pause before and after. Failure texts: "Cannot get com
  // state SS", "Cannot set com state SS"; a failure closes the port.
  bool SetBaudRate(int baud);
  // The modem control lines (a GSM call ends by dropping DTR). Lines a device
  // does not have (a pseudo-terminal) are ignored.
  void SetDtr(bool on);
  void SetRts(bool on);

  // The device path the last Open used, and the text of the last failure.
  const std::string& device() const { return device_; }
  const std::string& last_failure() const { return last_failure_; }

 private:
  bool Fail(const char* text);
  void CloseDescriptor();
  bool Stopped() const { return stop_ && stop_->load(std::memory_order_relaxed); }
  void SetModemLine(int line, bool on);

  int fd_ = -1;
  zv::SerialPortTiming timing_;
  const zv::Clock* clock_ = &zv::SystemClock();
  const zv::StopFlag* stop_ = nullptr;
  FailureReporter reporter_;
  std::string device_;
  std::string last_failure_;
};
