#include "readers/rs/device_link.h"

#include <algorithm>
#include <cstring>

#include "links/bins_file.h"
#include "links/request_frame.h"
#include "platform/atomic_file.h"
#include "platform/profile.h"
#include "readers/common/reader_flags.h"
#include "readers/common/reader_pause.h"

namespace zv {

std::uint8_t DirectBaudCode(int baud) {
  switch (baud) {
    case 4800: return 5;
    case 9600: return 6;
    case 19200: return 7;
    default: return 4;  // 2400 and anything else
  }
}

int DirectModel(std::uint8_t type, std::uint8_t version) {
  int model = type == 4 ? 1 : 2;
  if (model == 2 && (version == 3 || version == 4)) model = 1;
  return model;
}

int DirectArchiveEnd(int model, int version) {
  if (model != 1) return 0xE5F4;
  if (version == 3) return 0xE2CC;
  if (version == 4) return 0xE510;
  return 0x8000;
}

int DirectBinsImageSize(int model, int version) {
  if (model != 1) return 0xE5F4;
  if (version == 3) return 0xE2CC;
  if (version == 4) return 0xF078;  // past the archive's end at 0xE510 the image is zero
  return 0x8000;
}

}  // namespace zv

namespace {

constexpr const char* kSection = "Properties";
constexpr int kInitBaud1 = 2400;
constexpr int kInitBaud2 = 9600;
constexpr int kPreambleLength = 32;
constexpr int kCurrentDataLead = 10;  // zero bytes before the current-data request

bool IsDayOfMonth(int year, int month, int day) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int days = kDays[month - 1];
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) days = 29;
  return day >= 1 && day <= days;
}

}  // namespace

CDeviceLink::CDeviceLink(zv::ReaderSink* sink, const zv::DirectLinkTiming& timing, const zv::Clock& clock)
    : sink_(sink), timing_(timing), clock_(clock) {
  zv::SerialPortTiming port = timing_.port;
  port.read_total_constant = zv::Ms(ProfileInt("RecvTimeout", 1000));
  port.write_total_constant = zv::Ms(ProfileInt("SendTimeout", 1000));
  SetTiming(port);
  SetClock(clock_);
  SetStopFlag(&g_bStop);
  SetFailureReporter([this](const std::string& text) {
    // The port's failure texts are plain ASCII.
    if (sink_) sink_->OnLinkText(std::u16string(text.begin(), text.end()));
  });
}

CDeviceLink::~CDeviceLink() { Close(); }

int CDeviceLink::ProfileInt(const char* name, int def) const {
  return zv::Profile(zv::kProgramZEVRS).GetInt(kSection, name, def);
}

void CDeviceLink::Event(int code, std::int64_t value) {
  if (sink_) sink_->OnLinkEvent(code, value);
}

void CDeviceLink::Text(const char16_t* text) {
  if (sink_) sink_->OnLinkText(text);
}

bool CDeviceLink::Pause(zv::Duration pause) {
  return zv::StoppablePause(clock_, pause, timing_.pause_slice, g_bStop);
}

int CDeviceLink::LinkRead(std::uint8_t* buffer, int n) { return Read(buffer, n); }
int CDeviceLink::LinkWrite(const std::uint8_t* buffer, int n) { return Write(buffer, n); }
bool CDeviceLink::LinkSetBaudRate(int baud) { return SetBaudRate(baud); }

void CDeviceLink::SendPreamble() {
  const std::uint8_t zeros[kPreambleLength] = {};
  LinkWrite(zeros, kPreambleLength);
}

const std::uint8_t* CDeviceLink::CheckReply(const std::uint8_t* buffer, int n) const {
  return zv::AnswerFrameIntact(buffer, n) ? buffer : nullptr;
}

bool CDeviceLink::InitLink(int baud) {
  const int attempts = zv::AttemptCount(ProfileInt("InitMaxAttempts", 10));
  SendPreamble();
  Event(zv::kLinkEventRange, 1);
  Text(u"Иницализация связи.");
  const std::uint8_t code = zv::DirectBaudCode(baud);
  const zv::RequestFrame request =
      zv::MakeRequestFrame(0, kCommandSpeed, static_cast<std::uint16_t>(code | (code << 8)), 0);
  LinkSetBaudRate(kInitBaud1);
  // One try at the present speed: true when the device acknowledged.
  const auto acknowledged = [&] {
    std::uint8_t answer[255] = {};
    LinkWrite(request.data(), zv::kRequestFrameSize);
    LinkRead(answer, 1);
    return answer[0] == kAcknowledge;
  };
  for (int left = attempts; left > 0 && !g_bStop.load(); --left) {
    LinkSetBaudRate(kInitBaud1);
    bool ack = acknowledged();
    if (!ack) {
      LinkSetBaudRate(kInitBaud2);
      ack = acknowledged();
    }
    if (ack) {
      LinkSetBaudRate(baud);
      if (acknowledged()) return true;
    }
    Pause(zv::Ms(ProfileInt("InitAttemptsInterval", 1000)));
  }
  Text(u"Ошибка иницализация связи.");
  return false;
}

bool CDeviceLink::Exchange(const std::uint8_t* request, int request_length, std::uint8_t* answer,
                           int length, int payload, int attempts) {
  for (int left = attempts; left > 0 && !g_bStop.load(); --left) {
    LinkWrite(request, request_length);
    if (!Pause(timing_.answer_pause)) return false;
    std::memset(answer, 0, static_cast<size_t>(length));
    LinkRead(answer, length);  // a short answer fails the check below
    PurgeInput();
    if (CheckReply(answer, payload) != nullptr) return true;
  }
  return false;
}

bool CDeviceLink::ReadParameters() {
  const int attempts = zv::AttemptCount(ProfileInt("ParamsMaxAttempts", 10));
  Text(u"Считывание параметров.");
  const zv::RequestFrame request = zv::MakeRequestFrame(0, kCommandReadMemory, 0, kParameterLength);
  std::uint8_t answer[256];
  const bool ok = Exchange(request.data(), zv::kRequestFrameSize, answer, kParameterLength + 2,
                           kParameterLength, attempts);
  if (ok) {
    std::memcpy(image_.data(), answer, kParameterLength);
    model_ = zv::DirectModel(image_[0], image_[1]);
    version_ = image_[1];
    Pause(timing_.accepted_pause);
    Event(zv::kLinkEventStep, 1);
  }
  Pause(zv::Ms(ProfileInt("ParamsAttemptsInterval", 500)));
  return ok;
}

bool CDeviceLink::ReadCurrentData() {
  Text(u"Считывание текущих данных.");
  const int attempts = zv::AttemptCount(ProfileInt("RamMaxAttempts", 10));
  const int n = zv::DirectCurrentDataLength(model_);
  std::uint8_t request[kCurrentDataLead + zv::kRequestFrameSize] = {};
  const zv::RequestFrame frame = zv::MakeRequestFrame(0, kCommandCurrentData, 0, 0);
  std::memcpy(request + kCurrentDataLead, frame.data(), frame.size());
  std::uint8_t answer[255];
  if (!Exchange(request, sizeof request, answer, n, n - 2, attempts)) return false;
  std::memcpy(current_data_.data(), answer, static_cast<size_t>(n));
  Event(zv::kLinkEventStep, 1);
  Pause(timing_.accepted_pause);
  return true;
}

bool CDeviceLink::ReadArchive() {
  const int end = zv::DirectArchiveEnd(model_, version_);
  int address = kArchiveStart;
  Text(u"Считывание накопленных данных.");
  std::uint8_t answer[512];
  while (address < end) {
    const int length = std::min(256, end - address);
    const int attempts = zv::AttemptCount(ProfileInt("RomMaxAttempts", 10));
    if (g_bStop.load()) return false;
    // A length of 256 goes out as 0.
    const zv::RequestFrame request = zv::MakeRequestFrame(
        0, kCommandReadMemory, static_cast<std::uint16_t>(address), static_cast<std::uint8_t>(length & 0xFF));
    if (!Exchange(request.data(), zv::kRequestFrameSize, answer, length + 2, length, attempts)) return false;
    if (address + length > kImageSize) return false;
    std::memcpy(image_.data() + address, answer, static_cast<size_t>(length));
    Event(zv::kLinkEventStep, 1);
    address += length;
  }
  return true;
}

std::time_t CDeviceLink::GetDeviceTime() const {
  const int at = model_ == 1 ? 80 : 64;
  const int n = zv::DirectCurrentDataLength(model_);
  const int year = 2000 + image_[at];
  const int month = image_[at + 1];
  const int day = image_[at + 2];
  const int hour = image_[at + 3];
  // Minute and second are the last two data bytes of the current-data answer.
  const int minute = current_data_[n - 4];
  const int second = current_data_[n - 3];
  if (image_[at] > 50 || month < 1 || month > 12 || !IsDayOfMonth(year, month, day) || hour > 23 ||
      minute > 59 || second > 59) {
    return 0;
  }
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  return t == static_cast<std::time_t>(-1) ? 0 : t;
}

std::string CDeviceLink::SaveBinFile(const std::string& base) const {
  if (!zv::EnsureDirectory(base, zv::kBinsFolder)) return std::string();
  const std::string name = zv::DirectBinsFileName(image_[2] | (image_[3] << 8), clock_.NowStamp());
  std::string bytes(reinterpret_cast<const char*>(current_data_.data()),
                    static_cast<size_t>(zv::DirectCurrentDataLength(model_) - 2));
  bytes.append(reinterpret_cast<const char*>(image_.data()),
               static_cast<size_t>(zv::DirectBinsImageSize(model_, version_)));
  if (!zv::WriteFileAtomically(base + "/" + name, bytes)) return std::string();
  return name;
}
