#pragma once
// The line-side controller of a metering node, for tests: the far end of a
// PSTN call, between the modem simulator and the heat computer.
//
// It is a DataPeer: put it behind the modem (ModemSimulator::SetPeer) or on a
// line of its own (PeerOnLine). It relays to a DataPeer of its own, in-process,
// normally a HeatComputer.
//
// Frames. The incoming stream is searched for 0xCA; from there
//   CA  L  command  ...  CRC-low  CRC-high
// (L counts the bytes after itself, the CRC included; the CRC, start value 0,
// covers the L - 1 bytes from L on) is a frame when the command is known with
// its L and the CRC matches:
//   0x01 connect (L 4)   0x02 memory block and 0x03 identity relay (L 13)
//   0x0B clock and intercept hours (L 9)   0x04 disconnect (L 3)
// Everything else - wake-up zeros, the leading zeros and padding of the
// workstation's templates, noise - is skipped; a frame whose CRC is wrong is
// counted (rejected_frames) and skipped too. A frame split over several
// Receive calls is put together.
//
// Answers are outer frames around a payload and its inner CRC (start value 1):
//   CA  L  command  payload ...  inner-CRC (2)  outer-CRC (2)
// - connect: opens the session; answered with an empty payload (7 bytes).
// - relay (only in a session): bytes 5..12 of the frame, the inner request,
//   go to the device; each answer it gives comes back wrapped (a 128-byte
//   memory block: 137 bytes), played with the device reply's delay, noise,
//   trailing bytes and pieces.
// - clock: logged with its hour, minute and intercept bytes; answered like a connect.
// - disconnect: logged; the session ends; no answer.
//
// Faults: SetConnectAnswers(false) leaves connect frames unanswered (the
// session still opens); per relayed answer (counted from 0 over the whole
// run, whether answered or not) or from one on: dropped, a bad outer CRC, a
// bad inner CRC, noise before it.
//
// Thread-safe: the modem's thread feeds it while the test sets faults and reads
// the logs.

#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "tests/sim/data_peer.h"

namespace zv::sim {

// The check of the outer frames (start value 0): CRC-16/XMODEM, computed apart
// from the production code's.
std::uint16_t ControllerCrc(const std::uint8_t* data, size_t n);
// An answer frame: CA, L, the command, the payload with its inner CRC as
// given, the outer CRC.
Bytes WrapAnswer(std::uint8_t command, const Bytes& payload_with_crc);

struct RelayFault {
  bool drop = false;
  bool bad_outer_crc = false;
  bool bad_inner_crc = false;
  Bytes noise;
};

// A frame as it came (from CA to its CRC).
struct ControllerFrame {
  std::uint8_t command = 0;
  Bytes bytes;
};

struct ClockFrame {
  int hour = 0;
  int minute = 0;
  Bytes intercept;  // the four bytes after the minute: from, 0, to, 0 (FF 00 FF 00: none)
  bool operator==(const ClockFrame&) const = default;
};

class LineController final : public DataPeer {
 public:
  static constexpr std::uint8_t kConnect = 0x01;
  static constexpr std::uint8_t kRelayBlock = 0x02;
  static constexpr std::uint8_t kRelayIdentity = 0x03;
  static constexpr std::uint8_t kDisconnect = 0x04;
  static constexpr std::uint8_t kClock = 0x0B;

  explicit LineController(DataPeer& device) : device_(device) {}

  void SetConnectAnswers(bool on);
  void SetRelayFault(size_t relay, const RelayFault& fault);
  // The fault for relay `relay` and every later one.
  void SetRelayFaultFrom(size_t relay, const RelayFault& fault);

  std::vector<ControllerFrame> frames() const;
  // The commands of the frames, in order.
  std::vector<std::uint8_t> commands() const;
  std::vector<ClockFrame> clock_frames() const;
  size_t count(std::uint8_t command) const;
  size_t relays() const;
  size_t rejected_frames() const;
  bool in_session() const;
  // Waits until `n` frames of `command` have come; false when the bound passed.
  bool WaitForFrames(std::uint8_t command, size_t n, milliseconds bound) const;

  std::vector<Reply> Receive(const Bytes& in) override;
  void Reset() override;

 private:
  // Under the lock:
  void Handle(const Bytes& frame, std::vector<Reply>& replies);
  Reply Relay(const Bytes& frame);
  RelayFault FaultFor(size_t relay) const;

  DataPeer& device_;
  mutable std::mutex mutex_;
  bool connect_answers_ = true;
  std::vector<std::pair<size_t, RelayFault>> faults_;
  std::optional<std::pair<size_t, RelayFault>> fault_from_;
  std::vector<ControllerFrame> frames_;
  size_t relays_ = 0;
  size_t rejected_ = 0;
  bool session_ = false;
  Bytes pending_;
};

}  // namespace zv::sim
