#pragma once
// CComLink: the base of the node links (PSTN, GSM, TCP).
//
// One link lives for one poll of one node. The poll worker creates it, sets the
// device address and the node, calls Open, ReadFirstBlock, stores family and
// model from the image, builds the block list, calls ReadBlocks and Close, and
// deletes it (through a CComLink pointer; the destructor closes the port).
//
// The base holds what every link needs: the device memory image (a block read
// from device address a lands at image[a]), the identity buffer, the Hayes modem
// dialogue over its serial port (Open, WaitModemReply), the walk over the block
// list (MarkBlockDone, NextPendingBlock), the archive addresses of the device
// (ArchiveAddress) and the reports to the windows: status ids and progress go
// through the StatusSink with the node's id, after the status is written into
// the node.
//
// Timing: every pause, time-out and try count comes from the PollTiming the
// link was made with (the port gets its group), every pause goes through its
// Clock (which must outlive the link). Every wait also ends when PollCancel is set.
//
// Derived links: Open and Close here hide CSerialPort's; call
// CSerialPort::Open / CSerialPort::Close for the port itself.
//
// Threads: a link belongs to the worker thread; during a GSM download the
// request sender (SendRequestsLoop) reads the block list's done flags (atomic),
// the stop flags (atomic) and writes on the port while the worker reads.
//
// Stopping: every wait ends when PollCancel (the user's stop) is set, or when
// the link ended its download itself (EndDownload: the GSM time limit, a dead
// line). The second leaves PollCancel alone, so the poll ends as a failure and
// not as a stop by the user; it is also the port's stop flag, so a read or
// write in progress on either thread ends at once.
//
// I/O: the modem dialogue, the identity request and the block loaders read and
// write through LinkRead and LinkWrite (and drop input with DiscardInput), the
// serial port unless a link has another way to its device (the TCP socket).

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "links/archive_map.h"
#include "links/block_list.h"
#include "links/clock.h"
#include "links/link_type.h"
#include "links/node.h"
#include "links/poll_timing.h"
#include "links/serial_port.h"
#include "links/status_sink.h"

namespace zv {

// A request as the links keep and send it: the inner frame inside a 17-byte
// template whose other bytes depend on the link.
inline constexpr int kLinkFrameSize = 17;
using LinkFrame = std::array<std::uint8_t, kLinkFrameSize>;

// Bytes 10 and 11 of a request template: the block address, low byte first.
inline void SetFrameAddress(LinkFrame& frame, std::uint16_t address) {
  frame[10] = static_cast<std::uint8_t>(address & 0xFF);
  frame[11] = static_cast<std::uint8_t>(address >> 8);
}

// The stored template of a request type, or nothing outside the table.
template <size_t N>
std::optional<LinkFrame> StoredTemplate(const std::array<LinkFrame, N>& templates, int type) {
  if (type < 0 || type >= static_cast<int>(N)) return std::nullopt;
  return templates[static_cast<size_t>(type)];
}

// Request types of RequestTemplate and AnswerLength (the PSTN link adds 2 clock
// and intercept hours, 3 connect, 4 disconnect).
inline constexpr int kRequestIdentity = 0;
inline constexpr int kRequestMemoryBlock = 1;

inline constexpr int kImageSize = 65535;
// The block of the links that speak the inner frames directly (GSM, TCP): 255
// data bytes, answered with their address before and the CRC behind them.
inline constexpr int kDirectBlockLength = 255;
inline constexpr int kDirectBlockAnswerSize = kDirectBlockLength + 4;
// The answer buffers of the block loaders.
inline constexpr int kAnswerBuffer = 1024;
inline constexpr int kIdentitySize = 255;

// The modem replies WaitModemReply knows, by index.
enum ModemReply {
  kReplyOk = 0,
  kReplyError = 1,
  kReplyConnect = 2,
  kReplyNoCarrier = 3,
  kReplyNoDialtone = 4,
  kReplyBusy = 5,
  kReplyNoAnswer = 6,
};
inline constexpr int kModemReplyCount = 7;
// The text of a reply index; "" outside the table.
const char* ModemReplyText(int index);

// Size of the buffer one modem reply read fills.
inline constexpr int kModemReplyBuffer = 1024;

// The values of a memory image that holds the block of address 0.
// Family 1 when the type byte is 4 or the version byte 3 or 4, else 2.
int ImageFamily(const std::uint8_t* image);
// The version byte.
int ImageModel(const std::uint8_t* image);
// The serial number, low byte first.
int ImageDeviceNumber(const std::uint8_t* image);

}  // namespace zv

class CComLink : public CSerialPort {
 public:
  explicit CComLink(const zv::PollTiming& timing = zv::PollTiming{},
                    const zv::Clock& clock = zv::SystemClock(), zv::StatusSink* sink = nullptr);
  virtual ~CComLink();
  CComLink(const CComLink&) = delete;
  CComLink& operator=(const CComLink&) = delete;

  // --- The operations each link provides (the base's own where it has one).

  // The modem dialogue: port "COM<port>", the init string (skipped when empty),
  // ATH0, the dial command, CONNECT. Link type kLinkPstn dials "ATD<T|P><phone>"
  // (tone unless the workstation's Settings/"ModemDialByTone" is not 1), kLinkGsm
  // "ATD<phone>"; any other type is refused. False at the first step that fails.
  virtual bool Open(int port, int link_type, const std::string& init, const std::string& phone);
  // Reads the listed blocks into the image. Base: false.
  virtual bool ReadBlocks(zv::BlockItem* items, int count);
  // The identity request (type kRequestIdentity) into the identity buffer,
  // up to identity_tries times. The poll itself does not call it.
  virtual bool ReadIdentity();
  // Reads the block of address 0 into image[0]. Base: false.
  virtual bool ReadFirstBlock();
  // Ends the call the link's own way. Base: nothing; the port is closed by the
  // destructor.
  virtual void Close();
  // Writes the checks of a request frame. Base: nothing.
  virtual void SealRequest(zv::LinkFrame& frame);
  // Bytes the answer of a request type is taken to have. Base: 0.
  virtual int AnswerLength(int type) const;
  // The stored request frame of a type. Base: none.
  virtual std::optional<zv::LinkFrame> RequestTemplate(int type) const;
  // The payload of an answer of `length` bytes in `buffer`, or null when its
  // checks fail. Base: null.
  virtual std::uint8_t* CheckAnswer(std::uint8_t* buffer, int length);

  // --- The base's own operations.

  // The GSM request sender, run on its own thread while the worker receives:
  // asks for the pending items one after the other (template 1, the device
  // address, 255 bytes, all 17 bytes written), request_pause apart, pass after
  // pass with pass_pause before each new pass, until every item is done, the
  // download is stopped, or the time limit Settings/"GSMTimeout" (minutes,
  // default 4, each timeout_minute long) has passed on the clock; then it ends
  // the download (EndDownload).
  void SendRequestsLoop(const zv::BlockItem* items, int count);

  // Reads modem replies, up to `tries` reads with reply_pause after each: 0 as
  // soon as a read holds the wanted reply (a ModemReply index), -1 at once when
  // it holds another reply of the table, -1 after a read when PollCancel is set,
  // -1 after the last try (the port is purged then).
  int WaitModemReply(int wanted, int tries);

  // The index of the first item of `address`, or -1.
  static int FindBlock(const zv::BlockItem* items, int count, int address);
  // Marks the first item of `address` done; its index, or -1 (nothing changed)
  // when no item has that address.
  static int MarkBlockDone(zv::BlockItem* items, int count, int address);
  // The first pending item found stepping forward from index + 1, wrapping from
  // the last item to the first, the item at `index` itself looked at last;
  // -1 when every item is done. An index of -1 starts at item 0.
  static int NextPendingBlock(const zv::BlockItem* items, int count, int index);

  // Writes the bins file (bins_file.h) of this download into the folder "bins"
  // inside `base` (the program folder), for the stored family and model. Its
  // name relative to `base` ("bins/..."), or "" when it could not be written
  // whole (nothing is left behind then) or the device has no image size.
  std::string WriteBinsFile(const std::string& base);

  // The archive record address of `stamp` for this link's family and model
  // (zv::ArchiveAddress).
  int ArchiveAddress(const DateStamp& stamp, int level) const;

  // The image's own family, model and device number (valid once the first block is in).
  int ImageFamily() const { return zv::ImageFamily(image.data()); }
  int ImageModel() const { return zv::ImageModel(image.data()); }
  int DeviceNumber() const { return zv::ImageDeviceNumber(image.data()); }

  const zv::PollTiming& poll_timing() const { return timing_; }
  const zv::Clock& clock() const { return *clock_; }

  // --- Fields, set by the worker.
  int device_address = 0;  // byte 1 of the identity and block requests; 0 = any device
  int family = 1;          // stored after the first block
  int model = 1;           // stored after the first block
  CNode* node = nullptr;   // the node being polled; not owned
  std::array<std::uint8_t, zv::kImageSize> image{};
  std::array<std::uint8_t, zv::kIdentitySize> identity{};

 protected:
  // Writes the status into the node and reports it (nothing without a node).
  void PostStatus(int status, int percent = 0);
  // Writes the status into the node without a report.
  void StoreStatus(int status);
  // The progress of a block download of `count` items: stores status 130 in the
  // node; each PostBlockProgress then reports the node's status with
  // trunc(5 + k * 95 / count) for the k-th block, the step and the running sum
  // kept in single precision (so the last report of a list is often 99).
  void BeginBlockProgress(int count);
  void PostBlockProgress();
  // Reports the node's present status with a progress percent.
  void ReportProgress(int percent);
  // Copies a block's data to image[address]; bytes that would fall beyond the
  // end of the image are dropped.
  void StoreBlock(int address, const std::uint8_t* data, int length);
  // Whether a block of `length` bytes at `address` lies wholly inside the image.
  static bool BlockFitsImage(int address, int length);
  // A block answer that passed its checks: `payload` is the address it names
  // (low byte first) followed by `length` data bytes. The data go to the image
  // at that address, the progress is reported and the item of that address is
  // marked; `marked` gets its index (-1 when no item has the address). An
  // answer whose block would pass the end of the image is refused (false):
  // nothing is stored, reported or marked, and the block is to be asked for again.
  bool TakeBlockAnswer(const std::uint8_t* payload, int length, zv::BlockItem* items, int count,
                       int* marked);

  // Empty reads of one call, counted against their limit.
  struct EmptyReads {
    int count = 0;
    int limit = 5;
    bool Exhausted() const { return count >= limit; }
  };
  // Reads (LinkRead) until `want` bytes are in `buffer`, each read asking for
  // the rest; a read that brings nothing counts in `empty` and is followed by
  // `empty_pause`. Stops early when cancelled (Cancelled) or at the read that
  // exhausts `empty`. The number of bytes in the buffer.
  int ReadAnswerBytes(std::uint8_t* buffer, int want, EmptyReads& empty, zv::Duration empty_pause);
  // PollCancel, or the download ended by the link itself.
  bool Cancelled() const;
  // Ends every wait of this link like PollCancel, without the user's stop.
  void EndDownload() { download_ended_.store(true); }
  void ClearDownloadEnd() { download_ended_.store(false); }
  void Sleep(zv::Duration pause) const { clock_->Sleep(pause); }
  // Writes the text (without its terminator); the result is not used.
  void WriteText(const std::string& text);

  // The way to the device: bytes read (0 for none), bytes written or -1 on an
  // error. Base: the serial port.
  virtual int LinkRead(std::uint8_t* buffer, int n);
  virtual int LinkWrite(const std::uint8_t* buffer, int n);
  // Drops whatever has come in and not been read. Base: purges the port's
  // input (a request still on its way out is kept).
  virtual void DiscardInput();

  // Three bursts of 64 zero bytes, `pause` apart, that wake the heat computer up.
  void WakeUp(zv::Duration pause);
  // After an answer that failed its checks: false when it was the limit-th in
  // a row; otherwise waits `pause` (the rest of a frame pushed out by noise
  // comes in meanwhile) and drops the input, so that the next answer starts clean.
  bool DrainAfterBadAnswer(int& bad_answers, int limit, zv::Duration pause);
  // The block list read one request and one answer at a time (PSTN, TCP): for
  // each pending item template 1 with the device address, block_length and
  // the item's address, sealed, goes out through SendBlockRequest (false: the
  // call fails); after answer_pause answer_size bytes are read (the empty reads
  // count over the whole call) and FindBlockAnswer looks for the answer in
  // them. A good one is taken (TakeBlockAnswer) and the walk goes on after the
  // item it marked, with wrap_pause before a new pass; a bad one is drained
  // (DrainAfterBadAnswer) and the same item asked for again. A good answer
  // that brings no pending block counts against the same limit. Status 134
  // when every item is in.
  struct InTurnBlocks {
    int block_length = 0;
    int answer_size = 0;
    zv::Duration answer_pause{0};  // 0: the answer is read at once
    zv::Duration empty_read_pause{0};
    int empty_read_limit = 5;
    zv::Duration wrap_pause{0};
    zv::Duration drain_pause{0};
    int bad_answer_limit = 10;
  };
  bool ReadBlocksInTurn(zv::BlockItem* items, int count, const InTurnBlocks& how);
  // The InTurnBlocks of a link's timing group: its empty_read_pause,
  // empty_read_limit, wrap_pause, drain_pause and bad_answer_limit.
  template <class LinkTiming>
  static InTurnBlocks InTurn(const LinkTiming& t, int block_length, int answer_size,
                             zv::Duration answer_pause = zv::Duration(0)) {
    InTurnBlocks how;
    how.block_length = block_length;
    how.answer_size = answer_size;
    how.answer_pause = answer_pause;
    how.empty_read_pause = t.empty_read_pause;
    how.empty_read_limit = t.empty_read_limit;
    how.wrap_pause = t.wrap_pause;
    how.drain_pause = t.drain_pause;
    how.bad_answer_limit = t.bad_answer_limit;
    return how;
  }
  // The hooks of ReadBlocksInTurn. Base: false and null.
  virtual bool SendBlockRequest(const zv::LinkFrame& frame);
  // The block answer in the first `got` bytes of `buffer`: its payload (the
  // address, low byte first, then block_length data bytes), or null.
  virtual const std::uint8_t* FindBlockAnswer(std::uint8_t* buffer, int got);

  // The first block of the links that speak the inner frames directly (GSM,
  // TCP): wake-up; then block 0 asked for (any device, 255 bytes) with the
  // first 15 bytes of template 1 until an answer of 259 bytes passes
  // CheckAnswer; its data go to image[0]. False when cancelled, at the
  // empty-read limit, after too many bad answers, or when a write fails.
  bool ReadDirectFirstBlock(const zv::FirstBlockTiming& t);

 private:
  zv::PollTiming timing_;
  const zv::Clock* clock_;
  zv::StatusSink* sink_;
  float progress_step_ = 0.0f;
  float progress_ = 0.0f;
  std::atomic<bool> download_ended_{false};
};
