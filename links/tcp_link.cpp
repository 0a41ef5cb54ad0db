#include "links/tcp_link.h"

#include <algorithm>
#include <array>

#include "links/node_status.h"
#include "links/poll_flags.h"
#include "links/request_frame.h"

namespace {

using zv::LinkFrame;

// The stored requests, by type: seven zero bytes, the inner frame, two zero bytes.
constexpr std::array<LinkFrame, 2> kTemplates = {{
    // 0 identity, sealed as stored
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA5, 0x00, 0x02, 0x00, 0x00, 0x00, 0xC8, 0xA8, 0x00, 0x00},
    // 1 memory block (the length is set to 255 before use)
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA5, 0x00, 0x10, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00},
}};

// The leading zero bytes and the inner frame, without the padding behind it.
constexpr int kLeadAndFrame = 15;
constexpr int kFrameAt = 7;

}  // namespace

CZVACLink::CZVACLink(const zv::PollTiming& timing, const zv::Clock& clock, zv::StatusSink* sink)
    : CComLink(timing, clock, sink) {
  socket_.SetStopFlag(&PollCancel, timing.tcp.wait_slice);
}

bool CZVACLink::Open(int port, int, const std::string&, const std::string& host) {
  return socket_.Connect(host, port, poll_timing().tcp.connect_timeout);
}

int CZVACLink::Send(const std::uint8_t* buffer, int n) {
  if (!socket_.IsOpen()) return 0;
  return socket_.Send(buffer, n, poll_timing().tcp.io_timeout);
}

int CZVACLink::Receive(std::uint8_t* buffer, int n) {
  if (!socket_.IsOpen() || n <= 0) return 0;
  const zv::Duration limit = poll_timing().tcp.io_timeout;
  if (n >= kReceiveChunk) return std::max(socket_.Receive(buffer, kReceiveChunk, limit), 0);
  // Up to a whole chunk is taken from the stream, as always; what lies
  // beyond the n bytes asked for is dropped with it.
  std::array<std::uint8_t, kReceiveChunk> chunk;
  const int got = socket_.Receive(chunk.data(), kReceiveChunk, limit);
  if (got <= 0) return 0;
  const int kept = std::min(got, n);
  std::copy_n(chunk.begin(), kept, buffer);
  return kept;
}

bool CZVACLink::ReadFirstBlock() { return ReadDirectFirstBlock(poll_timing().tcp.first); }

bool CZVACLink::ReadBlocks(zv::BlockItem* items, int count) {
  const zv::TcpLinkTiming& t = poll_timing().tcp;
  return ReadBlocksInTurn(items, count, InTurn(t, zv::kDirectBlockLength, zv::kDirectBlockAnswerSize, t.answer_pause));
}

bool CZVACLink::SendBlockRequest(const LinkFrame& frame) {
  return LinkWrite(frame.data() + kFrameAt, zv::kRequestFrameSize) >= 0;
}

const std::uint8_t* CZVACLink::FindBlockAnswer(std::uint8_t* buffer, int) {
  return CheckAnswer(buffer, zv::kDirectBlockLength + 2);
}

bool CZVACLink::ReadIdentity() {
  namespace status = zv::node_status;
  const zv::TcpLinkTiming& t = poll_timing().tcp;
  const int length = AnswerLength(zv::kRequestIdentity);
  LinkFrame frame = kTemplates[zv::kRequestIdentity];
  if (device_address != 0) frame[8] = static_cast<std::uint8_t>(device_address);
  SealRequest(frame);
  PostStatus(status::kReading, 0);
  std::array<std::uint8_t, zv::kAnswerBuffer> buffer;
  for (int i = 0; i < t.identity_tries && !Cancelled(); ++i) {
    if (LinkWrite(frame.data(), kLeadAndFrame) < 0) break;
    Sleep(t.identity_answer_pause);
    buffer.fill(0);
    EmptyReads empty{0, t.empty_read_limit};
    if (ReadAnswerBytes(buffer.data(), length, empty, t.identity_empty_read_pause) < length) continue;
    if (CheckAnswer(buffer.data(), length - 2) != nullptr) {
      std::copy(buffer.begin(), buffer.begin() + (length - 2), identity.begin());
      ReportProgress(5);
      return true;
    }
  }
  PostStatus(status::kFailure);
  return false;
}

void CZVACLink::Close() {
  if (!socket_.IsOpen()) return;
  socket_.ShutDown();
  socket_.Close();
}

void CZVACLink::SealRequest(LinkFrame& frame) { zv::SealRequestFrame(frame.data() + kFrameAt); }

int CZVACLink::AnswerLength(int type) const {
  switch (type) {
    case zv::kRequestIdentity: return zv::IdentityDataLength(ImageFamily()) + 2;
    case zv::kRequestMemoryBlock: return zv::kDirectBlockLength;
    default: return 0;
  }
}

std::optional<LinkFrame> CZVACLink::RequestTemplate(int type) const { return zv::StoredTemplate(kTemplates, type); }

std::uint8_t* CZVACLink::CheckAnswer(std::uint8_t* buffer, int length) {
  return zv::AnswerFrameIntact(buffer, length) ? buffer : nullptr;
}
