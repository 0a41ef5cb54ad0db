#pragma once
// CZVACLink: a node whose heat computer is reached over TCP through an IP
// converter at the node (header keys IPADDRESS and IPPORT).
//
// The workstation speaks the heat computer's own frames (request_frame.h) over
// the stream, one request and one answer at a time. Requests are kept in
// 17-byte templates: seven zero bytes, the 8-byte inner frame, two zero
// bytes. The first block is asked for with the seven leading zero bytes and
// the inner frame (15 bytes); later blocks with the bare 8-byte inner frame. A
// block answer is 259 bytes: the block's address (low byte first), 255 data
// bytes, the CRC (start value 1) over both; it must begin at the first byte
// received for it.
//
// One poll: Open (connect within connect_timeout; no modem, no statuses),
// ReadFirstBlock (wake-up, block 0 into image[0]), ReadBlocks, Close (shutdown
// of both directions, then close). The serial port of the base stays closed.
//
// Every send and receive is bounded by io_timeout. A receive takes up to 255
// bytes from the stream whatever was asked for, so bytes behind an answer (in
// the same segments) are dropped with it; only the bytes asked for reach the
// buffer. A
// receive that gets nothing in time, or finds the connection closed, is an
// empty read: five of them in one call end it. A send error ends the call.
// After an answer that fails its check the bytes still coming are let in and
// dropped before the block is asked for again, and bad_answer_limit bad
// answers in a row end the call.

#include <cstdint>
#include <optional>
#include <string>

#include "links/com_link.h"
#include "links/timeout_socket.h"

class CZVACLink : public CComLink {
 public:
  // Receive never takes more than this many bytes at once.
  static constexpr int kReceiveChunk = 255;

  explicit CZVACLink(const zv::PollTiming& timing = zv::PollTiming{},
                     const zv::Clock& clock = zv::SystemClock(), zv::StatusSink* sink = nullptr);
  ~CZVACLink() override = default;

  // Connects to `host` at TCP port `port`; the link type and init string are
  // not used.
  bool Open(int port, int link_type, const std::string& init, const std::string& host) override;
  bool ReadFirstBlock() override;
  bool ReadBlocks(zv::BlockItem* items, int count) override;
  // The identity request: the first 15 bytes of template 0, answer_pause, the
  // answer read (at most empty_read_limit empty receives), up to
  // identity_tries times; its 64 or 90 data bytes (by the image's family, as
  // the answer length) into the identity buffer.
  bool ReadIdentity() override;
  // Shutdown of both directions, then close; nothing when not connected.
  void Close() override;

  void SealRequest(zv::LinkFrame& frame) override;
  // Identity 66 or 92 (its data and CRC; family 1 or 2 from the image),
  // memory block 255, else 0.
  int AnswerLength(int type) const override;
  std::optional<zv::LinkFrame> RequestTemplate(int type) const override;
  // `buffer` when the CRC over its first `length` bytes stands in the two
  // bytes behind them, else null. The bytes are left as they came.
  std::uint8_t* CheckAnswer(std::uint8_t* buffer, int length) override;

  // The socket calls of the link: the bytes sent, -1 on an error, 0 at once
  // when not connected; the bytes received (at most `n` and kReceiveChunk;
  // more that came with them are dropped), 0 on a time-out, an error, a closed
  // connection or when not connected.
  int Send(const std::uint8_t* buffer, int n);
  int Receive(std::uint8_t* buffer, int n);
  bool IsConnected() const { return socket_.IsOpen(); }

 protected:
  int LinkRead(std::uint8_t* buffer, int n) override { return Receive(buffer, n); }
  int LinkWrite(const std::uint8_t* buffer, int n) override { return Send(buffer, n); }
  void DiscardInput() override { socket_.Discard(); }
  bool SendBlockRequest(const zv::LinkFrame& frame) override;
  const std::uint8_t* FindBlockAnswer(std::uint8_t* buffer, int got) override;

 private:
  CTimeoutSocket socket_;
};
