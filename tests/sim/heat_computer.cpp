#include "tests/sim/heat_computer.h"

#include <algorithm>

namespace zv::sim {

namespace {

constexpr std::uint8_t kStart = 0xA5;
constexpr size_t kFrameSize = 8;
constexpr std::uint8_t kIdentity = 0x02;
constexpr std::uint8_t kReadMemory = 0x10;
constexpr std::uint8_t kDirectReadMemory = 0x01;
constexpr std::uint8_t kSpeed = 0x06;
constexpr std::uint8_t kAcknowledge = 0x06;

// The baud rate of a speed code of the speed command; 0 for none.
int BaudOfCode(std::uint8_t code) {
  switch (code) {
    case 4: return 2400;
    case 5: return 4800;
    case 6: return 9600;
    case 7: return 19200;
    default: return 0;
  }
}

void AppendCrc(Bytes& frame, size_t from) {
  const std::uint16_t crc = DeviceCrc(frame.data() + from, frame.size() - from);
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

}  // namespace

std::uint16_t DirectCrc16(std::uint16_t initial, const std::uint8_t* data, size_t n) {
  unsigned crc = initial;
  for (size_t i = 0; i < n; ++i) {
    crc ^= static_cast<unsigned>(data[i]) << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
    crc &= 0xFFFF;
  }
  return static_cast<std::uint16_t>(crc);
}

std::uint16_t DeviceCrc(const std::uint8_t* data, size_t n) {
  // The augmented check with start value 1 equals the direct form with the
  // initial value 0x1021.
  return DirectCrc16(0x1021, data, n);
}

Bytes RequestBytes(std::uint8_t device, std::uint8_t command, std::uint16_t address,
                   std::uint8_t length) {
  Bytes frame = {kStart, device, command, static_cast<std::uint8_t>(address & 0xFF),
                 static_cast<std::uint8_t>(address >> 8), length};
  AppendCrc(frame, 1);
  return frame;
}

HeatComputer::HeatComputer() : memory_(kMemorySize, 0) {}

void HeatComputer::SetType(std::uint8_t type) {
  std::lock_guard<std::mutex> lock(mutex_);
  memory_[0] = type;
}

void HeatComputer::SetVersion(std::uint8_t version) {
  std::lock_guard<std::mutex> lock(mutex_);
  memory_[1] = version;
}

void HeatComputer::SetSerial(std::uint16_t serial) {
  std::lock_guard<std::mutex> lock(mutex_);
  memory_[2] = static_cast<std::uint8_t>(serial & 0xFF);
  memory_[3] = static_cast<std::uint8_t>(serial >> 8);
}

int HeatComputer::family() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return FamilyLocked();
}

int HeatComputer::FamilyLocked() const {
  return memory_[0] == 4 || memory_[1] == 3 || memory_[1] == 4 ? 1 : 2;
}

void HeatComputer::SetClock(int year, int month, int day, int hour, int minute, int second) {
  std::lock_guard<std::mutex> lock(mutex_);
  const size_t at = FamilyLocked() == 1 ? 80 : 64;
  memory_[at] = static_cast<std::uint8_t>(year - 2000);
  memory_[at + 1] = static_cast<std::uint8_t>(month);
  memory_[at + 2] = static_cast<std::uint8_t>(day);
  memory_[at + 3] = static_cast<std::uint8_t>(hour);
  minute_ = minute;
  second_ = second;
}

void HeatComputer::SetNetworkAddress(std::uint8_t address) {
  std::lock_guard<std::mutex> lock(mutex_);
  network_address_ = address;
}

void HeatComputer::SetSpeed(int baud) {
  std::lock_guard<std::mutex> lock(mutex_);
  speed_ = baud;
}

int HeatComputer::speed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return speed_;
}

void HeatComputer::SetSwitchesSpeed(bool switches) {
  std::lock_guard<std::mutex> lock(mutex_);
  switches_speed_ = switches;
}

void HeatComputer::Poke(size_t address, const Bytes& bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (size_t i = 0; i < bytes.size(); ++i) Put(address + i, bytes[i]);
}

Bytes HeatComputer::Peek(size_t address, size_t n) const {
  std::lock_guard<std::mutex> lock(mutex_);
  Bytes out(n);
  for (size_t i = 0; i < n; ++i) out[i] = memory_[(address + i) % kMemorySize];
  return out;
}

void HeatComputer::SetIdentityBlock(const Bytes& data) {
  std::lock_guard<std::mutex> lock(mutex_);
  identity_ = data;
}

Bytes HeatComputer::IdentityData() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return IdentityDataLocked();
}

Bytes HeatComputer::IdentityDataLocked() const {
  const size_t n = FamilyLocked() == 1 ? 64 : 90;
  Bytes out;
  if (identity_.empty()) {
    out.assign(memory_.begin(), memory_.begin() + static_cast<long>(n));
    out[n - 2] = static_cast<std::uint8_t>(minute_);
    out[n - 1] = static_cast<std::uint8_t>(second_);
  } else {
    out = identity_;
    out.resize(n, 0);
  }
  return out;
}

void HeatComputer::SetFault(size_t request, const AnswerFault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_[request] = fault;
}

void HeatComputer::SetBlockFault(std::uint16_t address, size_t nth, const AnswerFault& fault, bool and_later) {
  std::lock_guard<std::mutex> lock(mutex_);
  block_faults_.push_back({address, nth, and_later, fault});
}

const AnswerFault* HeatComputer::BlockFaultLocked(std::uint16_t address, size_t nth) const {
  for (const BlockFault& f : block_faults_) {
    if (f.address == address && (f.nth == nth || (f.and_later && nth > f.nth))) return &f.fault;
  }
  return nullptr;
}

void HeatComputer::SetSilentFrom(size_t request) {
  std::lock_guard<std::mutex> lock(mutex_);
  silent_from_ = request;
}

void HeatComputer::ClearFaults() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.clear();
  block_faults_.clear();
  silent_from_.reset();
}

std::vector<LoggedRequest> HeatComputer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return log_;
}

size_t HeatComputer::request_count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return log_.size();
}

size_t HeatComputer::rejected_frames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return rejected_;
}

bool HeatComputer::WaitForRequests(size_t n, milliseconds bound) const {
  return WaitUntil([&] { return request_count() >= n; }, bound);
}

void HeatComputer::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  pending_.clear();
}

std::vector<Reply> HeatComputer::Receive(const Bytes& in) { return ReceiveAt(in, speed()); }

std::vector<Reply> HeatComputer::ReceiveAt(const Bytes& in, int baud) {
  std::lock_guard<std::mutex> lock(mutex_);
  pending_.insert(pending_.end(), in.begin(), in.end());
  std::vector<Reply> replies;
  size_t at = 0;
  while (true) {
    const auto start = std::find(pending_.begin() + static_cast<long>(at), pending_.end(), kStart);
    at = static_cast<size_t>(start - pending_.begin());
    if (pending_.size() - at < kFrameSize) break;
    const Bytes frame(start, start + kFrameSize);
    const std::uint16_t crc = DeviceCrc(frame.data() + 1, 5);
    if (frame[6] != (crc & 0xFF) || frame[7] != (crc >> 8)) {
      ++rejected_;
      ++at;  // not a request: look for the next A5
      continue;
    }
    at += kFrameSize;
    replies.push_back(Answer(frame, baud));
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(at));
  return replies;
}

Reply HeatComputer::Answer(const Bytes& frame, int baud) {
  LoggedRequest request;
  request.device = frame[1];
  request.command = frame[2];
  request.address = static_cast<std::uint16_t>(frame[3] | (frame[4] << 8));
  request.length = frame[5];
  request.baud = baud;
  const size_t number = log_.size();

  AnswerFault fault;
  const AnswerFault* block_fault = nullptr;
  if (request.command == kReadMemory) block_fault = BlockFaultLocked(request.address, block_requests_[request.address]++);
  if (const auto found = faults_.find(number); found != faults_.end()) {
    fault = found->second;
  } else if (block_fault != nullptr) {
    fault = *block_fault;
  }
  const bool for_us = request.device == 0 || request.device == network_address_;
  const bool known = request.command == kIdentity || request.command == kReadMemory ||
                     request.command == kDirectReadMemory || (request.command == kSpeed && BaudOfCode(frame[3]) != 0);
  const bool silenced = fault.drop || (silent_from_ && number >= *silent_from_) || baud != speed_;
  request.answered = for_us && known && !silenced;
  log_.push_back(request);

  Reply reply;
  if (!request.answered) return reply;
  if (request.command == kIdentity) {
    reply.answer = IdentityDataLocked();
    AppendCrc(reply.answer, 0);
  } else if (request.command == kSpeed) {
    reply.answer = {kAcknowledge};
    if (switches_speed_) speed_ = BaudOfCode(frame[3]);
  } else if (request.command == kDirectReadMemory) {
    const size_t n = request.length == 0 ? 256 : request.length;
    for (size_t i = 0; i < n; ++i) reply.answer.push_back(memory_[(request.address + i) % kMemorySize]);
    AppendCrc(reply.answer, 0);
  } else {
    const std::uint16_t block = fault.block.value_or(request.address);
    reply.answer = {static_cast<std::uint8_t>(block & 0xFF), static_cast<std::uint8_t>(block >> 8)};
    for (size_t i = 0; i < request.length; ++i) reply.answer.push_back(memory_[(block + i) % kMemorySize]);
    AppendCrc(reply.answer, 0);
  }
  reply.delay = fault.delay;
  reply.noise = fault.noise;
  reply.trailing = fault.trailing;
  reply.chunk = fault.chunk;
  reply.chunk_pause = fault.chunk_pause;
  if (fault.bad_crc) reply.answer.back() ^= 0xFF;
  if (fault.flip_byte && *fault.flip_byte < reply.answer.size()) reply.answer[*fault.flip_byte] ^= 0xFF;
  reply.answer.resize(reply.answer.size() - std::min(fault.short_by, reply.answer.size()));
  return reply;
}

}  // namespace zv::sim
