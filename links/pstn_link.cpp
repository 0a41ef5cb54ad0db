#include "links/pstn_link.h"

#include <algorithm>
#include <array>

#include "links/crc16.h"
#include "links/node_status.h"
#include "links/request_frame.h"
#include "platform/numbers.h"

namespace {

using zv::LinkFrame;

// The stored requests, by type.
constexpr std::array<LinkFrame, 5> kTemplates = {{
    // 0 identity: relay (0x03) of the inner identity request, 66 reply bytes.
    {0x00, 0x00, 0xCA, 0x0D, 0x03, 0x42, 0x00, 0xA5, 0x00, 0x02, 0x00, 0x00, 0x00, 0xC8, 0xA8, 0x00, 0x00},
    // 1 memory block: relay (0x02) of the inner read request, 132 reply bytes.
    {0x00, 0x00, 0xCA, 0x0D, 0x02, 0x84, 0x00, 0xA5, 0x00, 0x10, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00},
    // 2 clock and intercept (0x0B): hour, minute, from hour, 0, to hour, 0; FF = no intercept.
    {0x00, 0x00, 0xCA, 0x09, 0x0B, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    // 3 connect (0x01 0x04), sealed as stored.
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xCA, 0x04, 0x01, 0x04, 0x75, 0xAF},
    // 4 disconnect (0x04), sealed as stored, one trailing byte.
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xCA, 0x03, 0x04, 0xD7, 0x15, 0xFF},
}};

// Bytes of the outer frame around its payload: CA, L, x before it; the inner
// and the outer CRC after it.
constexpr int kOuterOverhead = 7;
// Answers to the connect and the clock frame: one read of this many bytes.
constexpr int kShortAnswerRead = 10;
constexpr int kFirstBlockBuffer = 264;

}  // namespace

bool CZVMLink::Open(int port, int link_type, const std::string& init, const std::string& phone) {
  if (!CComLink::Open(port, link_type, init, phone)) return false;
  return Exchange(kTemplates[kRequestConnect], poll_timing().pstn.connect_tries,
                  poll_timing().pstn.connect_answer_pause);
}

bool CZVMLink::ReadFirstBlock() {
  const zv::PstnLinkTiming& t = poll_timing().pstn;
  StoreStatus(zv::node_status::kReading);
  LinkFrame frame = kTemplates[zv::kRequestMemoryBlock];
  frame[12] = kBlockLength;  // address 0, any device

  WakeUp(t.wake_up_pause);

  EmptyReads empty{0, t.empty_read_limit};
  int bad_answers = 0;
  std::array<std::uint8_t, kFirstBlockBuffer> buffer;
  while (!Cancelled()) {
    SealRequest(frame);
    WriteFrame(frame);
    buffer.fill(0);
    Sleep(t.first_answer_pause);
    const int got = ReadAnswerBytes(buffer.data(), kBlockAnswerSize, empty, t.empty_read_pause);
    if (Cancelled() || got < kBlockAnswerSize) return false;
    const Answer answer = FindAnswer(buffer.data(), kBlockAnswerSize, got);
    if (answer && answer.length == 2 + kBlockLength) {
      StoreBlock(0, answer.payload + 2, kBlockLength);  // block 0, whatever address it names
      return true;
    }
    if (!Drain(bad_answers)) return false;
  }
  return false;
}

bool CZVMLink::ReadBlocks(zv::BlockItem* items, int count) {
  return ReadBlocksInTurn(items, count, InTurn(poll_timing().pstn, kBlockLength, kBlockAnswerSize));
}

bool CZVMLink::SendBlockRequest(const LinkFrame& frame) {
  WriteFrame(frame);
  return true;
}

const std::uint8_t* CZVMLink::FindBlockAnswer(std::uint8_t* buffer, int got) {
  const Answer answer = FindAnswer(buffer, kBlockAnswerSize, got);
  return answer && answer.length == 2 + kBlockLength ? answer.payload : nullptr;
}

void CZVMLink::Close() {
  if (!IsOpen()) return;
  const zv::PstnLinkTiming& t = poll_timing().pstn;
  const Intercept intercept = ParseIntercept(node != nullptr ? node->header.GetString("INTRC") : "");
  const DateStamp now = clock().NowStamp();
  LinkFrame frame = kTemplates[kRequestClock];
  frame[5] = static_cast<std::uint8_t>(now.hour);
  frame[6] = static_cast<std::uint8_t>(now.minute);
  if (intercept.on()) {
    frame[7] = static_cast<std::uint8_t>(intercept.from);
    frame[8] = 0;
    frame[9] = static_cast<std::uint8_t>(intercept.to);
    frame[10] = 0;
  }
  SealRequest(frame);
  Exchange(frame, t.clock_tries, t.clock_answer_pause);  // the answer does not matter

  WriteFrame(kTemplates[kRequestDisconnect]);
  Sleep(t.disconnect_pause);
}

void CZVMLink::SealRequest(LinkFrame& frame) {
  zv::SealRequestFrame(frame.data() + 7);
  const int length = frame[3];
  if (length < 1 || 3 + length >= zv::kLinkFrameSize) return;  // no room for its CRC
  CCrc16 crc;
  crc.SetStart(CCrc16::kControllerStart);
  crc.Append(frame.data() + 3, length - 1);
}

int CZVMLink::AnswerLength(int type) const {
  switch (type) {
    case zv::kRequestIdentity: return zv::IdentityDataLength(ImageFamily()) + 5;
    case zv::kRequestMemoryBlock: return kBlockLength;
    case kRequestClock:
    case kRequestConnect: return 8;
    default: return 0;
  }
}

std::optional<LinkFrame> CZVMLink::RequestTemplate(int type) const { return zv::StoredTemplate(kTemplates, type); }

std::uint8_t* CZVMLink::CheckAnswer(std::uint8_t* buffer, int length) {
  return FindAnswer(buffer, length, length + 2).payload;
}

CZVMLink::Answer CZVMLink::FindAnswer(std::uint8_t* buffer, int bound, int received) {
  const int searched = std::min(bound, received);
  int at = 0;
  while (at < searched && buffer[at] != kOuterStart) ++at;
  if (at >= searched || at + 2 > received) return {};
  std::uint8_t* frame = buffer + at;
  const int length = frame[1];
  if (length < kOuterOverhead - 2 || at + length + 2 > received) return {};
  CCrc16 crc;
  crc.SetStart(CCrc16::kControllerStart);
  if (!crc.Check(frame + 1, length - 1)) return {};
  crc.SetStart(CCrc16::kDeviceStart);
  if (!crc.Check(frame + 3, length - 5)) return {};
  Answer answer;
  answer.payload = frame + 3;
  answer.length = length - 5;
  return answer;
}

CZVMLink::Intercept CZVMLink::ParseIntercept(const std::string& intrc) {
  Intercept intercept;
  intercept.from = zv::AtoI(std::string_view(intrc).substr(0, 2));
  intercept.to = zv::AtoI(std::string_view(intrc).substr(intrc.size() < 2 ? 0 : intrc.size() - 2));
  return intercept;
}

bool CZVMLink::Exchange(const LinkFrame& frame, int tries, zv::Duration answer_pause) {
  std::array<std::uint8_t, kShortAnswerRead> buffer;
  for (int i = 0; i < tries && !Cancelled(); ++i) {
    WriteFrame(frame);
    Sleep(answer_pause);
    buffer.fill(0);
    const int got = LinkRead(buffer.data(), kShortAnswerRead);
    if (FindAnswer(buffer.data(), AnswerLength(kRequestConnect), got)) return true;
  }
  return false;
}

bool CZVMLink::Drain(int& bad_answers) {
  return DrainAfterBadAnswer(bad_answers, poll_timing().pstn.bad_answer_limit, poll_timing().pstn.drain_pause);
}

void CZVMLink::WriteFrame(const LinkFrame& frame) { LinkWrite(frame.data(), zv::kLinkFrameSize); }
