#include "links/com_link.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "links/node_status.h"
#include "links/poll_flags.h"
#include "links/request_frame.h"
#include "platform/profile.h"
#include "platform/str_format.h"

namespace zv {

namespace {

constexpr const char* kModemReplies[kModemReplyCount] = {
    "OK", "ERROR", "CONNECT", "NO CARRIER", "NO DIALTONE", "BUSY", "NO ANSWER",
};

}  // namespace

const char* ModemReplyText(int index) {
  return index >= 0 && index < kModemReplyCount ? kModemReplies[index] : "";
}

int ImageFamily(const std::uint8_t* image) {
  return image[0] == 4 || image[1] == 3 || image[1] == 4 ? 1 : 2;
}

int ImageModel(const std::uint8_t* image) { return image[1]; }

int ImageDeviceNumber(const std::uint8_t* image) { return image[2] + 256 * image[3]; }

}  // namespace zv

CComLink::CComLink(const zv::PollTiming& timing, const zv::Clock& clock, zv::StatusSink* sink)
    : timing_(timing), clock_(&clock), sink_(sink) {
  SetTiming(timing_.port);
  SetClock(clock);
  SetStopFlag(&download_ended_);
}

CComLink::~CComLink() { CSerialPort::Close(); }

bool CComLink::Open(int port, int link_type, const std::string& init, const std::string& phone) {
  namespace status = zv::node_status;
  PostStatus(status::kOpeningPort);
  if (!CSerialPort::Open(zv::StrFormat("COM%d", port))) return false;

  const zv::ComLinkTiming& t = timing_.link;
  if (!init.empty()) {
    PostStatus(status::kInitialising);
    Sleep(t.init_pause);
    WriteText(init + "\r");
    if (WaitModemReply(zv::kReplyOk, t.init_tries) != 0) return false;
  }
  WriteText("ATH0\r");
  if (WaitModemReply(zv::kReplyOk, t.hangup_tries) != 0) return false;

  PostStatus(status::kDialling);
  if (link_type == zv::kLinkPstn) {
    const bool tone =
        zv::Profile(zv::kProgramZEVModem).GetInt("Settings", "ModemDialByTone", 1) == 1;
    WriteText(zv::StrFormat("ATD%c%s\r", tone ? 'T' : 'P', phone.c_str()));
  } else if (link_type == zv::kLinkGsm) {
    WriteText(zv::StrFormat("ATD%s\r", phone.c_str()));
  } else {
    return false;  // only the modem links dial
  }
  return WaitModemReply(zv::kReplyConnect, t.connect_tries) == 0;
}

int CComLink::WaitModemReply(int wanted, int tries) {
  const char* wanted_text = zv::ModemReplyText(wanted);
  std::uint8_t buffer[zv::kModemReplyBuffer];
  const char* text = reinterpret_cast<const char*>(buffer);
  for (int i = 0; i < tries; ++i) {
    std::memset(buffer, 0, sizeof buffer);
    // One byte less than the buffer: the text always ends in a zero byte.
    const int got = LinkRead(buffer, zv::kModemReplyBuffer - 1);
    if (got > 0) {
      if (*wanted_text != '\0' && std::strstr(text, wanted_text) != nullptr) return 0;
      for (int r = 0; r < zv::kModemReplyCount; ++r) {
        if (r != wanted && std::strstr(text, zv::ModemReplyText(r)) != nullptr) return -1;
      }
    }
    if (Cancelled()) return -1;
    Sleep(timing_.link.reply_pause);
  }
  DiscardInput();
  return -1;
}

bool CComLink::ReadIdentity() {
  namespace status = zv::node_status;
  const int length = AnswerLength(zv::kRequestIdentity);
  std::optional<zv::LinkFrame> frame = RequestTemplate(zv::kRequestIdentity);
  if (frame && length > 0) {
    if (device_address != 0) (*frame)[8] = static_cast<std::uint8_t>(device_address);
    SealRequest(*frame);
    PostStatus(status::kReading, 0);
    const zv::ComLinkTiming& t = timing_.link;
    // Room beyond the answer, so a payload pointer near its end can still be
    // copied from for the longer family-2 block.
    std::vector<std::uint8_t> buffer(static_cast<size_t>(length) + 2 + zv::kIdentitySize, 0);
    for (int i = 0; i < t.identity_tries && !Cancelled(); ++i) {
      LinkWrite(frame->data(), zv::kLinkFrameSize);
      Sleep(t.identity_answer_pause);
      std::fill(buffer.begin(), buffer.end(), 0);
      if (LinkRead(buffer.data(), length + 2) < length + 2) {
        Sleep(t.identity_retry_pause);
        DiscardInput();
        continue;
      }
      if (const std::uint8_t* payload = CheckAnswer(buffer.data(), length)) {
        const int n = zv::IdentityDataLength(family);
        std::copy(payload, payload + n, identity.begin());
        ReportProgress(5);
        return true;
      }
    }
  }
  PostStatus(status::kFailure);
  return false;
}

bool CComLink::ReadBlocks(zv::BlockItem*, int) { return false; }
bool CComLink::ReadFirstBlock() { return false; }
void CComLink::Close() {}
void CComLink::SealRequest(zv::LinkFrame&) {}
int CComLink::AnswerLength(int) const { return 0; }
std::optional<zv::LinkFrame> CComLink::RequestTemplate(int) const { return std::nullopt; }
std::uint8_t* CComLink::CheckAnswer(std::uint8_t*, int) { return nullptr; }

int CComLink::FindBlock(const zv::BlockItem* items, int count, int address) {
  for (int i = 0; i < count; ++i) {
    if (items[i].address == address) return i;
  }
  return -1;
}

int CComLink::MarkBlockDone(zv::BlockItem* items, int count, int address) {
  const int i = FindBlock(items, count, address);
  if (i >= 0) items[i].SetDone();
  return i;
}

int CComLink::NextPendingBlock(const zv::BlockItem* items, int count, int index) {
  if (count <= 0) return -1;
  int i = index < 0 ? count - 1 : index % count;  // -1: the first step lands on item 0
  for (int steps = 0; steps < count; ++steps) {
    i = (i + 1) % count;
    if (!items[i].IsDone()) return i;
  }
  return -1;
}

int CComLink::ArchiveAddress(const DateStamp& stamp, int level) const {
  return zv::ArchiveAddress(family, model, stamp, level);
}

void CComLink::PostStatus(int status, int percent) {
  if (node != nullptr) node->PostStatus(status, percent, sink_);
}

void CComLink::StoreStatus(int status) {
  if (node != nullptr) node->status.store(status);
}

void CComLink::BeginBlockProgress(int count) {
  StoreStatus(zv::node_status::kReading);
  progress_step_ = count > 0 ? 95.0f / static_cast<float>(count) : 0.0f;
  progress_ = 5.0f + progress_step_;
}

void CComLink::PostBlockProgress() {
  ReportProgress(static_cast<int>(progress_));
  progress_ += progress_step_;
}

void CComLink::ReportProgress(int percent) {
  if (node != nullptr) PostStatus(node->status.load(), percent);
}

void CComLink::StoreBlock(int address, const std::uint8_t* data, int length) {
  if (address < 0 || address >= zv::kImageSize || length <= 0) return;
  const int n = std::min(length, zv::kImageSize - address);
  std::copy(data, data + n, image.begin() + address);
}

bool CComLink::BlockFitsImage(int address, int length) {
  return address >= 0 && length >= 0 && address + length <= zv::kImageSize;
}

bool CComLink::TakeBlockAnswer(const std::uint8_t* payload, int length, zv::BlockItem* items, int count,
                               int* marked) {
  const int address = zv::AnswerAddress(payload);
  if (!BlockFitsImage(address, length)) return false;
  StoreBlock(address, payload + 2, length);
  PostBlockProgress();
  *marked = MarkBlockDone(items, count, address);
  return true;
}

int CComLink::ReadAnswerBytes(std::uint8_t* buffer, int want, EmptyReads& empty, zv::Duration empty_pause) {
  int got = 0;
  while (got < want && !Cancelled()) {
    const int n = LinkRead(buffer + got, want - got);
    if (n > 0) {
      got += n;
      continue;
    }
    ++empty.count;
    if (empty.Exhausted()) break;
    Sleep(empty_pause);
  }
  return got;
}

bool CComLink::Cancelled() const {
  return PollCancel.load(std::memory_order_relaxed) || download_ended_.load(std::memory_order_relaxed);
}

int CComLink::LinkRead(std::uint8_t* buffer, int n) { return Read(buffer, n); }
int CComLink::LinkWrite(const std::uint8_t* buffer, int n) { return Write(buffer, n); }
void CComLink::DiscardInput() { PurgeInput(); }

void CComLink::WakeUp(zv::Duration pause) {
  constexpr int kWakeUpBytes = 64;
  const std::array<std::uint8_t, kWakeUpBytes> zeros{};
  for (int burst = 0; burst < 3; ++burst) {
    if (burst > 0) Sleep(pause);
    LinkWrite(zeros.data(), kWakeUpBytes);
  }
}

bool CComLink::DrainAfterBadAnswer(int& bad_answers, int limit, zv::Duration pause) {
  if (++bad_answers >= limit) return false;
  Sleep(pause);
  DiscardInput();
  return true;
}

void CComLink::WriteText(const std::string& text) {
  LinkWrite(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<int>(text.size()));
}
