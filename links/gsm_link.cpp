#include "links/gsm_link.h"

#include <array>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>

#include "links/node_status.h"
#include "links/request_frame.h"

namespace {

using zv::LinkFrame;

// The stored requests, by type: seven zero bytes, the inner frame, two zero bytes.
constexpr std::array<LinkFrame, 2> kTemplates = {{
    // 0 identity
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA5, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    // 1 memory block
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA5, 0x00, 0x10, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},
}};

constexpr int kAnswer = zv::kDirectBlockAnswerSize;
// Offsets at which an answer's start is looked for while resynchronising.
constexpr int kSearchedOffsets = zv::kDirectBlockLength;

std::atomic<int> g_running_senders{0};

}  // namespace

int GsmSenderThread(GsmSenderParam* param) {
  ++g_running_senders;
  param->link->SendRequestsLoop(param->items, param->count);
  --g_running_senders;
  return 0;
}

// The sender thread of one ReadBlocks; joined on every way out.
class CZVGSMLink::SenderThread {
 public:
  SenderThread(CZVGSMLink& link, GsmSenderParam& param) : link_(link) {
    try {
      thread_ = std::thread(GsmSenderThread, &param);
    } catch (const std::system_error&) {
      // No thread: nothing is asked for, the download fails.
    }
  }
  ~SenderThread() { Join(false); }
  SenderThread(const SenderThread&) = delete;
  SenderThread& operator=(const SenderThread&) = delete;

  bool started() const { return thread_.joinable(); }
  // Waits for the sender. After a successful download it ends by itself
  // (every item is done); otherwise it is stopped first.
  void Join(bool download_done) {
    if (!thread_.joinable()) return;
    if (!download_done) link_.EndDownload();
    thread_.join();
  }

 private:
  CZVGSMLink& link_;
  std::thread thread_;
};

int CZVGSMLink::RunningSenders() { return g_running_senders.load(); }

bool CZVGSMLink::ReadFirstBlock() { return ReadDirectFirstBlock(poll_timing().gsm.first); }

bool CZVGSMLink::ReadBlocks(zv::BlockItem* items, int count) {
  BeginBlockProgress(count);
  if (count <= 0) {
    PostStatus(zv::node_status::kOk);
    return true;
  }
  ClearDownloadEnd();
  GsmSenderParam param{this, items, count};
  SenderThread sender(*this, param);
  if (!sender.started()) return false;
  const bool done = Receive(items, count);
  sender.Join(done);
  return done;
}

bool CZVGSMLink::Receive(zv::BlockItem* items, int count) {
  const zv::GsmLinkTiming& t = poll_timing().gsm;
  EmptyReads empty{0, t.empty_read_limit};  // over the whole call
  std::array<std::uint8_t, zv::kAnswerBuffer> buffer;
  int next = 0;  // the item the receiver expects next
  while (true) {
    buffer.fill(0);
    const int got = ReadAnswerBytes(buffer.data(), kAnswer, empty, t.empty_read_pause);
    if (Cancelled()) return false;
    if (got < kAnswer) {
      EndDownload();  // the line is dead: the sender stops too
      return false;
    }
    while (true) {
      if (CheckAnswer(buffer.data(), zv::kDirectBlockLength + 2) != nullptr) {
        int marked = -1;
        if (TakeBlockAnswer(buffer.data(), zv::kDirectBlockLength, items, count, &marked)) {
          next = NextPendingBlock(items, count, marked);
          if (next == -1) {
            PostStatus(zv::node_status::kOk);
            return true;
          }
        }
        break;  // an answer past the end of the image is dropped like a damaged one
      }
      if (Resynchronise(buffer.data(), items, count, next, empty) == Resync::kRealigned) continue;  // check it
      if (Cancelled()) {
        PostStatus(zv::node_status::kFailure);
        return false;
      }
      break;
    }
  }
}

CZVGSMLink::Resync CZVGSMLink::Resynchronise(std::uint8_t* buffer, const zv::BlockItem* items, int count,
                                              int& next, EmptyReads& empty) {
  // The answer after the one that was spoilt is the likeliest to follow.
  int expect = next >= 0 && next + 1 < count ? items[next + 1].address : 0;
  const int last = items[count - 1].address;
  for (int attempt = 0; attempt < poll_timing().gsm.resync_attempts && expect <= last; ++attempt) {
    for (int k = 0; k < kSearchedOffsets; ++k) {
      if (zv::AnswerAddress(buffer + k) != expect) continue;
      if (k == 0) {
        // A damaged answer of that block: dropped; the receiver expects what follows it.
        next = NextPendingBlock(items, count, FindBlock(items, count, expect));
        return Resync::kDropped;
      }
      // The answer starts at k: move it to the front and read its missing k
      // bytes behind it. The buffer now holds the stream from there on, so the
      // search cannot go on over it: the reads go on until the k bytes are in,
      // as for any answer, and only a line that ends (or a stop) gives up.
      std::memmove(buffer, buffer + k, static_cast<size_t>(kAnswer - k));
      if (ReadAnswerBytes(buffer + kAnswer - k, k, empty, poll_timing().gsm.empty_read_pause) == k) {
        return Resync::kRealigned;
      }
      return Resync::kGaveUp;
    }
    expect = (expect + zv::kDirectBlockLength) & 0xFFFF;
  }
  return Resync::kGaveUp;
}

void CZVGSMLink::Close() {
  if (!IsOpen()) return;
  SetDtr(false);  // ends the call
  SetRts(false);
}

void CZVGSMLink::SealRequest(LinkFrame& frame) { zv::SealRequestFrame(frame.data() + 7); }

int CZVGSMLink::AnswerLength(int type) const {
  switch (type) {
    case zv::kRequestIdentity: return zv::IdentityDataLength(ImageFamily());
    case zv::kRequestMemoryBlock: return zv::kDirectBlockLength;
    default: return 0;
  }
}

std::optional<LinkFrame> CZVGSMLink::RequestTemplate(int type) const { return zv::StoredTemplate(kTemplates, type); }

std::uint8_t* CZVGSMLink::CheckAnswer(std::uint8_t* buffer, int length) {
  return zv::AnswerFrameIntact(buffer, length) ? buffer : nullptr;
}
