// The block loaders the links share: the list read one block at a time (PSTN,
// TCP), the first block of the links that speak the heat computer's own frames
// directly (GSM, TCP), and the GSM request sender.

#include <algorithm>

#include "links/com_link.h"
#include "links/node_status.h"
#include "links/request_frame.h"
#include "platform/profile.h"

namespace {

// The first block is asked for without the two padding bytes of the template.
constexpr int kFirstRequestBytes = 15;
// A time limit beyond this many minutes (years) is taken as this one, so the
// deadline stays within the clock's range.
constexpr int kLongestTimeoutMinutes = 1 << 20;

}  // namespace

bool CComLink::ReadBlocksInTurn(zv::BlockItem* items, int count, const InTurnBlocks& how) {
  BeginBlockProgress(count);
  if (count <= 0) {
    PostStatus(zv::node_status::kOk);
    return true;
  }
  std::optional<zv::LinkFrame> frame = RequestTemplate(zv::kRequestMemoryBlock);
  if (!frame) return false;
  if (device_address != 0) (*frame)[8] = static_cast<std::uint8_t>(device_address);
  (*frame)[12] = static_cast<std::uint8_t>(how.block_length);

  EmptyReads empty{0, how.empty_read_limit};  // over the whole call
  int bad_answers = 0;
  std::array<std::uint8_t, zv::kAnswerBuffer> buffer;
  int index = 0;
  while (!Cancelled()) {
    zv::SetFrameAddress(*frame, items[index].address);
    SealRequest(*frame);
    if (!SendBlockRequest(*frame)) return false;
    buffer.fill(0);
    if (how.answer_pause.count() > 0) Sleep(how.answer_pause);
    const int got = ReadAnswerBytes(buffer.data(), how.answer_size, empty, how.empty_read_pause);
    if (Cancelled() || got < how.answer_size) return false;

    const std::uint8_t* payload = FindBlockAnswer(buffer.data(), got);
    const int found = payload != nullptr ? FindBlock(items, count, zv::AnswerAddress(payload)) : -1;
    const bool pending = found >= 0 && !items[found].IsDone();
    int marked = -1;
    if (payload == nullptr || !TakeBlockAnswer(payload, how.block_length, items, count, &marked)) {
      if (!DrainAfterBadAnswer(bad_answers, how.bad_answer_limit, how.drain_pause)) return false;
      continue;  // the same item again
    }
    // A good answer that brings no block still to be read (one outside the
    // list, or one read already) counts against the same limit: a device that
    // keeps answering with the wrong block must not hold the call for ever.
    if (pending) {
      bad_answers = 0;
    } else if (++bad_answers >= how.bad_answer_limit) {
      return false;
    }
    index = NextPendingBlock(items, count, marked);
    if (index == -1) {
      PostStatus(zv::node_status::kOk);
      return true;
    }
    if (index < marked) Sleep(how.wrap_pause);  // a new pass over what is left
  }
  return false;
}

bool CComLink::SendBlockRequest(const zv::LinkFrame&) { return false; }
const std::uint8_t* CComLink::FindBlockAnswer(std::uint8_t*, int) { return nullptr; }

bool CComLink::ReadDirectFirstBlock(const zv::FirstBlockTiming& t) {
  StoreStatus(zv::node_status::kReading);
  std::optional<zv::LinkFrame> frame = RequestTemplate(zv::kRequestMemoryBlock);
  if (!frame) return false;
  (*frame)[12] = zv::kDirectBlockLength;  // address 0, any device

  WakeUp(t.wake_up_pause);
  EmptyReads empty{0, t.empty_read_limit};
  int bad_answers = 0;
  std::array<std::uint8_t, zv::kAnswerBuffer> buffer;
  while (!Cancelled()) {
    SealRequest(*frame);
    if (LinkWrite(frame->data(), kFirstRequestBytes) < 0) return false;
    buffer.fill(0);
    Sleep(t.answer_pause);
    const int got = ReadAnswerBytes(buffer.data(), zv::kDirectBlockAnswerSize, empty, t.empty_read_pause);
    if (Cancelled() || got < zv::kDirectBlockAnswerSize) return false;
    if (CheckAnswer(buffer.data(), zv::kDirectBlockLength + 2) != nullptr) {
      StoreBlock(0, buffer.data() + 2, zv::kDirectBlockLength);  // block 0, whatever address it names
      return true;
    }
    if (!DrainAfterBadAnswer(bad_answers, t.bad_answer_limit, t.drain_pause)) return false;
  }
  return false;
}

void CComLink::SendRequestsLoop(const zv::BlockItem* items, int count) {
  const zv::GsmLinkTiming& t = timing_.gsm;
  std::optional<zv::LinkFrame> frame = RequestTemplate(zv::kRequestMemoryBlock);
  if (!frame || count <= 0) return;
  if (device_address != 0) (*frame)[8] = static_cast<std::uint8_t>(device_address);
  (*frame)[12] = zv::kDirectBlockLength;

  const int minutes = std::min(zv::Profile(zv::kProgramZEVModem).GetInt("Settings", "GSMTimeout", 4),
                               kLongestTimeoutMinutes);
  const zv::Clock::TimePoint deadline = clock_->Now() + minutes * t.timeout_minute;

  int index = 0;
  while (!Cancelled()) {
    zv::SetFrameAddress(*frame, items[index].address);
    SealRequest(*frame);
    LinkWrite(frame->data(), zv::kLinkFrameSize);
    Sleep(t.request_pause);

    const int previous = index;
    index = NextPendingBlock(items, count, index);
    if (index == -1) return;  // every block is in
    if (index < previous) Sleep(t.pass_pause);  // a new pass over the blocks still missing
    if (clock_->Now() >= deadline) {
      EndDownload();
      return;
    }
  }
}
