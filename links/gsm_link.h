#pragma once
// CZVGSMLink: a node whose heat computer sits behind a GSM modem in data mode.
//
// After the modem dialogue (CComLink::Open, link type kLinkGsm: "ATD<phone>")
// the workstation speaks the heat computer's own frames (request_frame.h)
// straight through the call. A request is kept in a 17-byte template: seven
// zero bytes, the 8-byte inner frame, two zero bytes. A block answer is 259
// bytes: the block's address (low byte first), 255 data bytes, the CRC (start
// value 1) over both. An answer must begin at the first byte it is looked for
// at: there is no search.
//
// One poll: Open, ReadFirstBlock (wake-up, block 0 into image[0], asked for
// until an answer passes), ReadBlocks, Close (drops DTR, then RTS: that ends
// the call; the port closes with the link).
//
// ReadBlocks does not ask for one block at a time. A sender thread
// (GsmSenderThread, CComLink::SendRequestsLoop) streams the requests of the
// pending blocks, request_pause apart, pass after pass, while the worker
// thread takes whatever answers come, in any order: each good answer goes to
// the address it names and marks its item. When the stream loses its framing
// (noise, a damaged or cut answer) the receiver resynchronises: it looks for
// the address of the block it expects next within the bytes it holds; found
// at offset k > 0, the bytes from there are moved to the front (an
// overlapping move) and the k missing bytes read behind them (as many reads as
// they take, the empty ones counted with the call's); found at 0, the
// damaged answer is dropped. A dropped block stays pending and is asked for
// again in the sender's next pass.
//
// The download ends when every item is marked (true), on a user stop
// (PollCancel), at the time limit Settings/"GSMTimeout", or when the line has
// gone dead (five empty reads in the call); the last two end it through the
// link's own stop (CComLink::EndDownload), so the poll ends as a failure
// (137), not as a user stop (142). The sender thread is started by ReadBlocks
// and always joined before ReadBlocks returns.

#include <cstdint>
#include <optional>

#include "links/com_link.h"

class CZVGSMLink;

// What the sender thread works with; lives on the receiver's stack while the
// sender runs.
struct GsmSenderParam {
  CZVGSMLink* link = nullptr;
  const zv::BlockItem* items = nullptr;
  int count = 0;
};

// The body of the sender thread: SendRequestsLoop of the link; returns 0.
int GsmSenderThread(GsmSenderParam* param);

class CZVGSMLink : public CComLink {
 public:
  using CComLink::CComLink;
  ~CZVGSMLink() override = default;

  bool ReadFirstBlock() override;
  // The sender thread and the receiver, as described above.
  bool ReadBlocks(zv::BlockItem* items, int count) override;
  // Drops DTR, then RTS. Nothing when the port never opened.
  void Close() override;

  // The inner CRC over bytes 8..12 into 13..14.
  void SealRequest(zv::LinkFrame& frame) override;
  // Identity 64 or 90 (family 1 or 2, from the image), memory block 255, else 0.
  int AnswerLength(int type) const override;
  std::optional<zv::LinkFrame> RequestTemplate(int type) const override;
  // `buffer` when the CRC over its first `length` bytes stands in the two
  // bytes behind them, else null. The bytes are left as they came.
  std::uint8_t* CheckAnswer(std::uint8_t* buffer, int length) override;

  // Request senders running now, in the whole program (a poll never leaves
  // one behind).
  static int RunningSenders();

 private:
  enum class Resync { kDropped, kRealigned, kGaveUp };
  class SenderThread;

  // The receiver: true when every item is in.
  bool Receive(zv::BlockItem* items, int count);
  // Looks for the start of an answer in the 259 bytes of `buffer` that failed
  // their check; may change `next` (the item the receiver expects next).
  Resync Resynchronise(std::uint8_t* buffer, const zv::BlockItem* items, int count, int& next, EmptyReads& empty);
};
