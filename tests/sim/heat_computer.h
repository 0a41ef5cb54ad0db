#pragma once
// A heat computer for tests: 64 KiB of memory, the request parser and the
// answers of the two requests the polling workstation sends.
//
// Memory (all zero at first):
//   0      type byte            (SetType)
//   1      version byte         (SetVersion; the workstation calls it the model)
//   2..3   serial number, low byte first (SetSerial)
//   clock  year - 2000, month, day, hour: at 80..83 for family 1, at 64..67 for
//          family 2 (SetClock; family 1 when the type byte is 4 or the version
//          3 or 4, as the devices have it)
//   archive records wherever the test puts them: Poke, or WriteArchive
//          (archive_layout.h) with the test's own map of the rings.
//
// Requests. The incoming stream is searched for 0xA5; the 8 bytes from there
//   A5 device command address-low address-high length CRC-low CRC-high
// are a request when the CRC (start value 1) over the five bytes after A5
// matches, otherwise the search goes on after that A5. Anything else (wake-up
// zeros, the padding of the link templates, noise) is skipped; a request split
// over several Receive calls is put together. A request for device 0 or for the
// computer's own network address (SetNetworkAddress, default 1) is answered:
//   0x02 identity: 64 data bytes (family 1) or 90 (family 2), then their CRC.
//        The data are SetIdentityBlock's, or by default the first bytes of the
//        memory with the clock's minute and second in the last two.
//   0x10 read memory: address low, address high, `length` bytes of memory from
//        the address (wrapping at 64 KiB), then the CRC over all of that.
//   The direct reader's commands (a computer on a cable, DirectCable):
//   0x01 read memory: `length` bytes (0 = 256) from the address, then their
//        CRC; no address bytes.
//   0x06 speed: p1 is the speed code (4 2400, 5 4800, 6 9600, 7 19200): 0x06
//        back at the present speed, after which the computer runs at the asked
//        one (unless SetSwitchesSpeed(false)). The first speed is SetSpeed's
//        (9600 by default).
//   anything else, or a request for another device: silence.
// Line speed: ReceiveAt(bytes, baud) gives the speed the bytes came at; a
// request at another speed than the computer's is logged with that speed and
// not understood (not answered). Receive is ReceiveAt the computer's own speed.
// Every accepted request (CRC right) is logged and counted from 0: request n is
// requests()[n], and each gets one Reply (a silent one when not answered).
//
// Faults, set per request number before or while the test runs (SetFault), and
// combinable: drop (no answer), a bad CRC, another block (the answer carries the
// address and data of `block` instead of the one asked for), a delay, noise bytes
// before the answer, trailing bytes after it, the answer split into pieces;
// SetSilentFrom(n): no answer to request n or any later one (a dead line).
// Faults may also be keyed by block (SetBlockFault): the n-th memory request
// for one address (counted from 0), or that one and every later one; a fault
// set by request number takes precedence. Links that stream their requests
// (GSM) cannot tell in advance which number a request gets.
//
// Use: as a DataPeer behind the modem simulator, on a pty of its own with
// PeerOnLine (data_peer.h), or in-process from another simulator: Receive(bytes)
// gives the replies, whose `answer` is the plain answer frame.
//
// Thread-safe: the simulator thread calls Receive while the test changes the
// memory or the faults and reads the log.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "tests/sim/data_peer.h"

namespace zv::sim {

// The direct MSB-first CRC with polynomial 0x1021 from `initial`, computed here
// on its own so that the simulators do not share the production code's.
std::uint16_t DirectCrc16(std::uint16_t initial, const std::uint8_t* data, size_t n);
// The CRC of the device frames (start value 1).
std::uint16_t DeviceCrc(const std::uint8_t* data, size_t n);
// A sealed 8-byte request frame.
Bytes RequestBytes(std::uint8_t device, std::uint8_t command, std::uint16_t address,
                   std::uint8_t length);

struct AnswerFault {
  bool drop = false;
  bool bad_crc = false;
  size_t short_by = 0;                // the answer's last bytes left out
  std::optional<size_t> flip_byte;    // this byte of the answer inverted
  std::optional<std::uint16_t> block;  // answer with this block instead
  milliseconds delay{0};
  Bytes noise;
  Bytes trailing;
  size_t chunk = 0;
  milliseconds chunk_pause{0};
};

struct LoggedRequest {
  std::uint8_t device = 0;
  std::uint8_t command = 0;
  std::uint16_t address = 0;
  std::uint8_t length = 0;
  bool answered = false;
  int baud = 0;  // the line speed the request came at
};

class HeatComputer final : public DataPeer {
 public:
  static constexpr size_t kMemorySize = 0x10000;

  HeatComputer();

  void SetType(std::uint8_t type);
  void SetVersion(std::uint8_t version);
  void SetSerial(std::uint16_t serial);
  void SetClock(int year, int month, int day, int hour, int minute, int second);
  void SetNetworkAddress(std::uint8_t address);
  // The speed the computer runs at, and whether the speed command switches it.
  void SetSpeed(int baud);
  int speed() const;
  void SetSwitchesSpeed(bool switches);
  // 1 or 2 by the type and version bytes.
  int family() const;

  void Poke(size_t address, const Bytes& bytes);
  Bytes Peek(size_t address, size_t n) const;
  // The identity data to answer (cut or padded to 64 or 90 bytes); empty: the default.
  void SetIdentityBlock(const Bytes& data);
  // The identity data the computer answers now (without CRC).
  Bytes IdentityData() const;

  void SetFault(size_t request, const AnswerFault& fault);
  // The fault for the `nth` memory request for `address` (from 0), and with
  // `and_later` for every later one as well.
  void SetBlockFault(std::uint16_t address, size_t nth, const AnswerFault& fault, bool and_later = false);
  void SetSilentFrom(size_t request);
  void ClearFaults();

  std::vector<LoggedRequest> requests() const;
  size_t request_count() const;
  // Candidate frames (from an A5) whose CRC was wrong.
  size_t rejected_frames() const;
  // Waits until `n` requests have been accepted; false when the bound passed.
  bool WaitForRequests(size_t n, milliseconds bound) const;

  std::vector<Reply> Receive(const Bytes& in) override;
  std::vector<Reply> ReceiveAt(const Bytes& in, int baud);
  void Reset() override;

 private:
  // Under the lock:
  Reply Answer(const Bytes& frame, int baud);
  int FamilyLocked() const;
  Bytes IdentityDataLocked() const;
  void Put(size_t address, std::uint8_t value) { memory_[address % kMemorySize] = value; }

  mutable std::mutex mutex_;
  std::vector<std::uint8_t> memory_;
  int minute_ = 0;
  int second_ = 0;
  std::uint8_t network_address_ = 1;
  int speed_ = 9600;
  bool switches_speed_ = true;
  Bytes identity_;
  // The fault of a memory request for `address` that is its `nth`.
  const AnswerFault* BlockFaultLocked(std::uint16_t address, size_t nth) const;

  struct BlockFault {
    std::uint16_t address;
    size_t nth;
    bool and_later;
    AnswerFault fault;
  };
  std::map<size_t, AnswerFault> faults_;
  std::vector<BlockFault> block_faults_;
  std::map<std::uint16_t, size_t> block_requests_;  // memory requests so far, by address
  std::optional<size_t> silent_from_;
  std::vector<LoggedRequest> log_;
  size_t rejected_ = 0;
  Bytes pending_;
};

}  // namespace zv::sim
