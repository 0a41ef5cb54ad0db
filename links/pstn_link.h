#pragma once
// CZVMLink: a node polled over a dial-up line through its line-side controller.
//
// At the node a line-side controller answers the call. The workstation talks to
// it in outer frames,
//
//   CA  L  command  parameters ...  CRC-low  CRC-high
//
// where L counts the bytes after itself, the CRC included, and the CRC (start
// value 0) covers the L - 1 bytes from L on. Command 0x02 (memory block) and
// 0x03 (identity) carry an inner request frame (request_frame.h) that the
// controller relays to the heat computer; 0x01 opens the session, 0x0B sets
// the controller's clock and call-intercept hours, 0x04 ends the session.
// The requests are kept as five stored 17-byte templates, sent whole; the
// bytes behind a shorter frame are padding the controller skips.
//
// The controller wraps each answer the same way:
//
//   CA  L  x  payload ...  inner-CRC (2)  outer-CRC (2)
//
// with the inner CRC (start value 1) over the payload (for a memory block: its
// address, low byte first, and the 128 data bytes; 137 bytes in all) and the
// outer CRC (start value 0) over the L - 1 bytes from L on. The byte x is not
// interpreted.
//
// One poll: Open (the modem dialogue, then the connect frame), ReadFirstBlock
// (wake-up, block 0 into image[0]), ReadBlocks (one request and one answer at a
// time), Close (clock and intercept hours from the node's INTRC, then the
// disconnect frame; also after a failed Open). The modem call itself ends when
// the port closes, with the link.
//
// Bad answers: an answer is taken only when the whole frame lies inside the
// bytes received and both checks pass. After a bad one the input is drained
// (the rest of a frame pushed out by noise would spoil every later answer)
// before the block is asked for again, and bad_answer_limit bad answers in a
// row end the call. An answer naming a block that would pass the end of the
// image is a bad answer too.

#include <cstdint>
#include <optional>
#include <string>

#include "links/com_link.h"

class CZVMLink : public CComLink {
 public:
  // Request types beyond kRequestIdentity and kRequestMemoryBlock.
  static constexpr int kRequestClock = 2;
  static constexpr int kRequestConnect = 3;
  static constexpr int kRequestDisconnect = 4;

  static constexpr std::uint8_t kOuterStart = 0xCA;
  // Data bytes of one block request, and the whole answer frame that carries them.
  static constexpr int kBlockLength = 128;
  static constexpr int kBlockAnswerSize = kBlockLength + 9;

  // An accepted answer: the payload (from offset 3 of the frame) and its length.
  struct Answer {
    std::uint8_t* payload = nullptr;
    int length = 0;
    explicit operator bool() const { return payload != nullptr; }
  };

  using CComLink::CComLink;
  ~CZVMLink() override = default;

  // The modem dialogue (link type kLinkPstn), then the connect frame, up to
  // connect_tries times until the controller's answer passes the checks.
  bool Open(int port, int link_type, const std::string& init, const std::string& phone) override;
  bool ReadFirstBlock() override;
  bool ReadBlocks(zv::BlockItem* items, int count) override;
  // Clock and intercept hours, then the disconnect frame. Nothing when the
  // port never opened.
  void Close() override;

  // Inner CRC over bytes 8..12 into 13..14, then the outer CRC over the L - 1
  // bytes from byte 3 (L = byte 3) behind them.
  void SealRequest(zv::LinkFrame& frame) override;
  // Identity 69 or 95 (family 1 or 2, from the image), memory block 128, clock
  // and connect 8 (the bound of the search for their answers), else 0.
  int AnswerLength(int type) const override;
  std::optional<zv::LinkFrame> RequestTemplate(int type) const override;
  // FindAnswer with the answer taken to lie in the first length + 2 bytes of
  // the buffer (what the base's identity request reads for `length`).
  std::uint8_t* CheckAnswer(std::uint8_t* buffer, int length) override;

  // The answer in the first `received` bytes of `buffer`: the first 0xCA among
  // the first `bound` of them starts it; L must be at least 5, the frame
  // (L + 2 bytes) must end within the bytes received, and the outer, then the
  // inner check must pass. Nothing outside the received bytes is read. The
  // checks leave their computed CRCs in the frame.
  static Answer FindAnswer(std::uint8_t* buffer, int bound, int received);

  // The intercept hours of an INTRC value: the numbers in its first and its
  // last two characters; on when both are above 0.
  struct Intercept {
    int from = 0;
    int to = 0;
    bool on() const { return from > 0 && to > 0; }
  };
  static Intercept ParseIntercept(const std::string& intrc);

 protected:
  // The block list, one request and one answer at a time (ReadBlocksInTurn).
  bool SendBlockRequest(const zv::LinkFrame& frame) override;
  const std::uint8_t* FindBlockAnswer(std::uint8_t* buffer, int got) override;

 private:
  // Writes `frame` up to `tries` times until an answer of at most 10 bytes,
  // its 0xCA within the first 8, passes the checks.
  bool Exchange(const zv::LinkFrame& frame, int tries, zv::Duration answer_pause);
  // After a bad answer: false when it was the last one allowed in a row;
  // otherwise the input is drained for the next request.
  bool Drain(int& bad_answers);
  void WriteFrame(const zv::LinkFrame& frame);
};
