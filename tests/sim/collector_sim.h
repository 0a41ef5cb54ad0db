#pragma once
// The ZEVC data collector for tests, on a pseudo-terminal of its own.
//
//   zv::sim::Collector collector(2);          // kind 1, 2 or 3
//   collector.PutFile(5, 1, image);           // slot 5, status 1
//   collector.MapToComPort(4);
//   collector.Start();
//
// Memory: a ring of 32 KB slots (32 for kinds 1 and 3, 64 for kind 2), read in
// blocks of 256 bytes (kinds 1, 3; command 0x01) or 512 (kind 2; 0x05); block
// b is memory from b * length, wrapping at the end of the ring. A file put into
// a slot runs on into the next slot when it is longer than 32 KB.
//
// Requests: A5 command p1 p2 CRC (start 1 over command, p1, p2), found in the
// stream wherever they start (the preamble zeros and the two zeros before a
// block request are skipped). Answers, only when the line runs at 38400 baud
// (tcgetattr on the master):
//   0x02 pointers: count, start, CRC
//   0x04 status: 64 status bytes, CRC; a kind-1 collector never answers. Kind 3
//        keeps 0xFA in byte 32. Slots without a file have status 0xFF.
//   0x03 set pointers: count := p1, start := p2, one byte 0x06 (logged in clears())
//   0x01 / 0x05 block (the kind's own command): data, CRC1 over the data, CRC2
//        over the data and CRC1
// received() keeps every byte that came, in order. Every request found is logged (with its line speed) and numbered from 0.
//
// Faults per request number (SetFault): no answer, a bad CRC1 or CRC2, the
// answer k bytes short, another acknowledge byte (0 for none); the first n
// status requests unanswered (SetStatusUnansweredFor); silence from request n.
//
// Thread-safe: the collector's thread answers while the test changes it and
// reads its log.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "tests/sim/pty_line.h"

namespace zv::sim {

struct CollectorFault {
  bool drop = false;
  bool bad_crc1 = false;
  bool bad_crc2 = false;
  size_t short_by = 0;
  std::optional<std::uint8_t> ack = std::nullopt;  // the set-pointers answer instead of 0x06
};

struct CollectorRequest {
  std::uint8_t command = 0;
  std::uint8_t p1 = 0;
  std::uint8_t p2 = 0;
  int baud = 0;
  bool answered = false;
  bool operator==(const CollectorRequest&) const = default;
};

// A sealed 6-byte collector request.
Bytes CollectorRequestBytes(std::uint8_t command, std::uint8_t p1, std::uint8_t p2);

class Collector {
 public:
  static constexpr size_t kSlotSize = 32768;
  static constexpr int kLineBaud = 38400;

  explicit Collector(int kind);
  ~Collector() { Stop(); }
  Collector(const Collector&) = delete;
  Collector& operator=(const Collector&) = delete;

  int kind() const { return kind_; }
  int slots() const { return kind_ == 2 ? 64 : 32; }
  int block_length() const { return kind_ == 2 ? 512 : 256; }

  void SetPointers(int count, int start);
  std::pair<int, int> pointers() const;
  void SetStatus(int slot, std::uint8_t status);
  // `image` from the start of `slot` on; the slot gets `status`.
  void PutFile(int slot, std::uint8_t status, const Bytes& image);
  Bytes Memory(size_t at, size_t n) const;

  void SetFault(size_t request, const CollectorFault& fault);
  void SetStatusUnansweredFor(int tries);
  void SetSilentFrom(size_t request);

  std::vector<CollectorRequest> requests() const;
  // The (count, start) of every set-pointers command answered.
  std::vector<std::pair<int, int>> clears() const;
  bool WaitForRequests(size_t n, milliseconds bound) const;
  Bytes received() const;

  bool MapToComPort(int number) const { return line_.MapToComPort(number); }
  PtyLine& line() { return line_; }
  void Start();
  void Stop() { thread_.Stop(); }

  // The answers to the requests in `in` at line speed `baud` (the thread's work).
  std::vector<Bytes> Receive(const Bytes& in, int baud);

 private:
  Bytes Answer(const Bytes& frame, int baud);  // under the lock
  Bytes BlockLocked(int block) const;

  const int kind_;
  mutable std::mutex mutex_;
  std::vector<std::uint8_t> memory_;
  std::vector<std::uint8_t> status_;
  int count_ = 0;
  int start_ = 0;
  std::map<size_t, CollectorFault> faults_;
  int status_unanswered_ = 0;
  std::optional<size_t> silent_from_;
  std::vector<CollectorRequest> log_;
  std::vector<std::pair<int, int>> clears_;
  Bytes pending_;
  Bytes received_;

  PtyLine line_;
  SimulatorThread thread_;
};

}  // namespace zv::sim
