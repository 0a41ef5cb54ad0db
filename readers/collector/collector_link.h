#pragma once
// CCollectorLink: ZEVC's link to the portable data collector.
//
// The collector keeps, in a ring of 32 KB slots, one memory image of a heat
// computer (a file) per visit. The link is a serial port plus the file being
// read, the slot status block, the two ring pointers and the kind of collector.
//
// Connection (done by the callers): Open (9600), SetBaudRate(38400),
// SendPreamble, ReadPointers, SendPreamble; from then on 38400 baud.
//
// Frames: 6-byte requests A5 command p1 p2 CRC-low CRC-high, the CRC (start 1)
// over command, p1, p2; no device address.
//
//   0x02 pointers      0, 0            answer: count, start, CRC
//   0x04 slot status   0, 0            answer: 64 status bytes, CRC
//   0x03 set pointers  count, start    answer: 0x06
//   0x01 / 0x05 block  number lo, hi   answer: L data, CRC1, CRC2
//
// A block (L = 256 or 512 by kind) is accepted only when CRC1 (over the data)
// and CRC2 (over the data and CRC1) both match. Every exchange writes the
// request, pauses, zeroes the answer buffer and reads the whole answer at once;
// there is no purge. The kind: 1 when the status command gets no valid answer
// (tried up to three times), 3 when status byte 32 is 0xFA, else 2.
//
// The port: the fixed time-outs, failures silent, stop flag g_bStop (a stopped
// wait returns a short answer, which fails its check).

#include <array>
#include <cstdint>
#include <string>

#include "links/clock.h"
#include "links/serial_port.h"
#include "readers/common/reader_sink.h"
#include "readers/common/reader_timing.h"

namespace zv {

// The eight values of a file's first block; all 0 when it was not read whole
// or is not valid.
struct CollectorFileHeader {
  int slot = 0;
  int model = 0;
  int version = 0;
  int serial = 0;
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  bool operator==(const CollectorFileHeader&) const = default;
};

// What a kind of collector is like.
struct CollectorKindInfo {
  int slots;
  int block_length;
  int unit;  // blocks per 32 KB slot
  std::uint8_t block_command;
};
// Kind 1, 2 or 3 (anything else is taken as 1).
const CollectorKindInfo& CollectorKind(int kind);
// The number of blocks of a file by the kind and the slot's status byte.
int CollectorFileBlocks(int kind, int status);

// A file named by its slot (low 16 bits) and status byte (high 16 bits).
inline std::uint32_t CollectorFileEntry(int slot, int status) {
  return static_cast<std::uint32_t>(slot & 0xFFFF) | (static_cast<std::uint32_t>(status & 0xFFFF) << 16);
}

// The collector program's bins file of a memory image: a block of zero bytes
// and then the image from offset 0. Model 1 (type byte 4) and versions 3 and 4:
// 64 zero bytes, then 0xE2CC image bytes for version 3, 0xF078 for version 4,
// 0x8000 for any other (as ZEVRS writes); the other devices: 90 zero bytes and
// 0xE5F4 image bytes.
struct CollectorBinsLayout {
  int lead;
  int image;
};
CollectorBinsLayout CollectorBinsFileLayout(std::uint8_t type, std::uint8_t version);

}  // namespace zv

class CCollectorLink : public CSerialPort {
 public:
  static constexpr int kImageSize = 65536;
  static constexpr int kStatusSize = 64;
  static constexpr std::uint8_t kCommandPointers = 0x02;
  static constexpr std::uint8_t kCommandStatus = 0x04;
  static constexpr std::uint8_t kCommandSetPointers = 0x03;
  static constexpr std::uint8_t kAcknowledge = 0x06;
  // A status byte 32 of this value marks a kind-3 collector.
  static constexpr std::uint8_t kKind3Mark = 0xFA;
  static constexpr int kPointerAttempts = 5;
  static constexpr int kStatusAttempts = 3;

  // `sink` (may be null) gets the progress steps; the clock must outlive the link.
  explicit CCollectorLink(zv::ReaderSink* sink, const zv::CollectorLinkTiming& timing = {},
                          const zv::Clock& clock = zv::SystemClock());
  virtual ~CCollectorLink();

  // 32 zero bytes.
  void SendPreamble();
  // File count, start slot, status block and kind; then the ShowDeleted
  // setting. False when the pointers were not read.
  bool ReadPointers();
  zv::CollectorFileHeader ReadFileHeader(int slot);
  // Block first + i into the image at i * block length; posts one progress step.
  bool ReadBlock(int first, int i);
  // The whole file of the entry into the (zeroed) image.
  bool ReadFile(std::uint32_t entry);
  // The set-pointers command; true when the collector acknowledged it.
  bool SendClear(int p1, int p2);
  // Writes the file in the image as a bins file into `base`/bins, named
  // "bins/%05d_%d-%02d-%02d_%02d-00.bin" after its serial number and the
  // device's clock in the image (not the computer's). Only an image with a
  // serial number 1..0xFFFE and a clock of the years 2001..2098, month 1..12,
  // day 1..31, hour 0..23 is written. The file appears whole or not at all
  // (an older one of the name stays). The name relative to `base`, or ""
  // when nothing was written.
  std::string SaveBinFile(const std::string& base) const;

  int kind() const { return kind_; }
  const zv::CollectorKindInfo& kind_info() const { return zv::CollectorKind(kind_); }
  int file_count() const { return file_count_; }
  int start_slot() const { return start_slot_; }
  const std::uint8_t* status_block() const { return status_.data(); }
  std::uint8_t* image() { return image_.data(); }
  const std::uint8_t* image() const { return image_.data(); }

 protected:
  virtual int LinkRead(std::uint8_t* buffer, int n);
  virtual int LinkWrite(const std::uint8_t* buffer, int n);

 private:
  // Writes the request, pauses, zeroes answer[0..buffer_size) and reads
  // `length` bytes; the count read.
  int Transact(const std::uint8_t* request, int request_length, std::uint8_t* answer, int buffer_size,
               int length);

  int kind_ = 1;
  std::array<std::uint8_t, kImageSize> image_{};
  std::array<std::uint8_t, kStatusSize> status_{};
  int file_count_ = 0;
  int start_slot_ = 0;

  zv::ReaderSink* sink_;
  zv::CollectorLinkTiming timing_;
  const zv::Clock& clock_;
};
