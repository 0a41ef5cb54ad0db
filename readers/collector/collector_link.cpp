#include "readers/collector/collector_link.h"

#include <array>
#include <cstring>

#include "data/date_stamp.h"
#include "links/bins_file.h"
#include "links/crc16.h"
#include "links/request_frame.h"
#include "platform/atomic_file.h"
#include "platform/profile.h"
#include "readers/common/decoders.h"
#include "readers/common/reader_flags.h"
#include "readers/common/reader_pause.h"

namespace zv {

const CollectorKindInfo& CollectorKind(int kind) {
  static constexpr CollectorKindInfo kKinds[3] = {
      {32, 256, 128, 0x01},  // 1: no status block
      {64, 512, 64, 0x05},   // 2
      {32, 256, 128, 0x01},  // 3: status byte 32 is 0xFA
  };
  return kKinds[kind == 2 || kind == 3 ? kind - 1 : 0];
}

int CollectorFileBlocks(int kind, int status) {
  // Blocks of a file of size code 1 and of any other size code; kind 3 counts
  // its size codes from 2 up.
  struct Sizes {
    int code1;
    int other;
    int code_offset;
  };
  static constexpr Sizes kSizes[3] = {{128, 128, 0}, {64, 128, 0}, {128, 256, 2}};
  const Sizes& s = kSizes[kind == 2 || kind == 3 ? kind - 1 : 0];
  return status - s.code_offset == 1 ? s.code1 : s.other;
}

CollectorBinsLayout CollectorBinsFileLayout(std::uint8_t type, std::uint8_t version) {
  if (type == 4 || version == 3 || version == 4) {
    return {64, version == 3 ? 0xE2CC : version == 4 ? 0xF078 : 0x8000};
  }
  return {90, 0xE5F4};
}

}  // namespace zv

namespace {

constexpr int kRequestLength = 6;
constexpr int kPreambleLength = 32;

using Request = std::array<std::uint8_t, kRequestLength>;

Request MakeRequest(std::uint8_t command, std::uint8_t p1, std::uint8_t p2) {
  Request r = {zv::kFrameStart, command, p1, p2, 0, 0};
  CCrc16 crc;
  crc.SetStart(CCrc16::kDeviceStart);
  crc.Append(r.data() + 1, 3);
  return r;
}

Request BlockRequest(std::uint8_t command, int block) {
  return MakeRequest(command, static_cast<std::uint8_t>(block & 0xFF), static_cast<std::uint8_t>((block >> 8) & 0xFF));
}

// Data, CRC1 over the data, CRC2 over the data and CRC1.
bool BlockIntact(const std::uint8_t* answer, int length) {
  return zv::AnswerFrameIntact(answer, length) && zv::AnswerFrameIntact(answer, length + 2);
}

}  // namespace

CCollectorLink::CCollectorLink(zv::ReaderSink* sink, const zv::CollectorLinkTiming& timing,
                               const zv::Clock& clock)
    : sink_(sink), timing_(timing), clock_(clock) {
  SetTiming(timing_.port);
  SetClock(clock_);
  SetStopFlag(&g_bStop);
}

CCollectorLink::~CCollectorLink() { Close(); }

int CCollectorLink::LinkRead(std::uint8_t* buffer, int n) { return Read(buffer, n); }
int CCollectorLink::LinkWrite(const std::uint8_t* buffer, int n) { return Write(buffer, n); }

void CCollectorLink::SendPreamble() {
  const std::uint8_t zeros[kPreambleLength] = {};
  LinkWrite(zeros, kPreambleLength);
}

int CCollectorLink::Transact(const std::uint8_t* request, int request_length, std::uint8_t* answer,
                             int buffer_size, int length) {
  LinkWrite(request, request_length);
  zv::StoppablePause(clock_, timing_.answer_pause, timing_.pause_slice, g_bStop);
  std::memset(answer, 0, static_cast<size_t>(buffer_size));
  return LinkRead(answer, length);
}

bool CCollectorLink::ReadPointers() {
  std::uint8_t answer[256];
  bool pointers = false;
  const Request pointers_request = MakeRequest(kCommandPointers, 0, 0);
  for (int i = 0; i < kPointerAttempts && !g_bStop.load(); ++i) {
    Transact(pointers_request.data(), kRequestLength, answer, sizeof answer, 4);
    if (zv::AnswerFrameIntact(answer, 2)) {
      file_count_ = answer[0];
      start_slot_ = answer[1];
      pointers = true;
      break;
    }
  }

  // One lost status answer must not make a kind-2 collector kind 1 (another
  // block command and length, files read half): it is asked up to three times.
  bool status = false;
  const Request status_request = MakeRequest(kCommandStatus, 0, 0);
  for (int i = 0; i < kStatusAttempts && !status && !g_bStop.load(); ++i) {
    Transact(status_request.data(), kRequestLength, answer, sizeof answer, kStatusSize + 2);
    status = zv::AnswerFrameIntact(answer, kStatusSize);
  }
  if (status) {
    std::memcpy(status_.data(), answer, kStatusSize);
    kind_ = status_[32] == kKind3Mark ? 3 : 2;
  } else {
    status_.fill(0x01);
    kind_ = 1;
  }

  if (zv::Profile(zv::kProgramZEVC).GetInt("Properties", "ShowDeleted", 1) != 0) {
    start_slot_ = 0;
    file_count_ = kind_info().slots - 1;
  }
  return pointers;
}

zv::CollectorFileHeader CCollectorLink::ReadFileHeader(int slot) {
  zv::CollectorFileHeader h;
  const zv::CollectorKindInfo& k = kind_info();
  const int length = k.block_length;
  const Request request = BlockRequest(k.block_command, slot * k.unit);
  std::uint8_t answer[1024];
  const int got = Transact(request.data(), kRequestLength, answer, sizeof answer, length + 4);
  if (got != length + 4 || !BlockIntact(answer, length)) return h;

  const std::uint8_t* d = answer;
  h.slot = slot;
  h.model = d[0] == 4 ? 1 : 2;
  h.version = d[1];
  h.serial = d[2] + 256 * d[3];
  const int at = d[0] == 4 || h.version == 3 || h.version == 4 ? 80 : 64;
  h.year = d[at] + 2000;
  h.month = d[at + 1];
  h.day = d[at + 2];
  h.hour = d[at + 3];
  const bool valid = h.serial != 0 && h.year <= 2099 && h.month >= 1 && h.month <= 12 && h.day >= 1 &&
                     h.day <= 31 && h.hour <= 23;
  return valid ? h : zv::CollectorFileHeader{};
}

bool CCollectorLink::ReadBlock(int first, int i) {
  const zv::CollectorKindInfo& k = kind_info();
  const int length = k.block_length;
  const int block = first + i;
  if (i < 0 || (i + 1) * length > kImageSize || block < 0 || block > 0xFFFF) return false;
  std::uint8_t request[2 + kRequestLength] = {};  // two zero bytes lead every block request
  const Request frame = BlockRequest(k.block_command, block);
  std::memcpy(request + 2, frame.data(), frame.size());
  std::uint8_t answer[1024];
  Transact(request, sizeof request, answer, sizeof answer, length + 4);
  if (!BlockIntact(answer, length)) return false;
  std::memcpy(image_.data() + i * length, answer, static_cast<size_t>(length));
  if (sink_) sink_->OnLinkEvent(zv::kLinkEventStep, 1);
  return true;
}

bool CCollectorLink::ReadFile(std::uint32_t entry) {
  image_.fill(0);
  const int slot = static_cast<int>(entry & 0xFFFF);
  const int status = static_cast<int>(entry >> 16);
  const int first = slot * kind_info().unit;
  const int blocks = zv::CollectorFileBlocks(kind_, status);
  for (int i = 0; i < blocks; ++i) {
    if (!ReadBlock(first, i)) return false;
  }
  return true;
}

bool CCollectorLink::SendClear(int p1, int p2) {
  const Request request = MakeRequest(kCommandSetPointers, static_cast<std::uint8_t>(p1), static_cast<std::uint8_t>(p2));
  std::uint8_t answer[16];
  Transact(request.data(), kRequestLength, answer, sizeof answer, 1);
  return answer[0] == kAcknowledge;
}

std::string CCollectorLink::SaveBinFile(const std::string& base) const {
  const std::uint8_t* d = image_.data();
  const int serial = zv::ReadUInt16(d + 2);
  const int at = d[0] == 4 || d[1] == 3 || d[1] == 4 ? 80 : 64;
  const int year = d[at] + 2000;
  const int month = d[at + 1];
  const int day = d[at + 2];
  const int hour = d[at + 3];
  // Narrower than the list's check (2000..2099): the converter takes no
  // other years.
  const bool valid = serial >= 1 && serial <= 0xFFFE && year >= 2001 && year <= 2098 && month >= 1 &&
                     month <= 12 && day >= 1 && day <= 31 && hour <= 23;
  if (!valid) return std::string();
  if (!zv::EnsureDirectory(base, zv::kBinsFolder)) return std::string();
  const std::string name = zv::BinsFileName(serial, DateStamp(year, month, day, hour, 0, 0));
  const zv::CollectorBinsLayout layout = zv::CollectorBinsFileLayout(d[0], d[1]);
  std::string bytes(static_cast<size_t>(layout.lead), '\0');
  bytes.append(reinterpret_cast<const char*>(d), static_cast<size_t>(layout.image));
  if (!zv::WriteFileAtomically(base + "/" + name, bytes)) return std::string();
  return name;
}
