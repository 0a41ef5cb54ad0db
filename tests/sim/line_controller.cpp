#include "tests/sim/line_controller.h"

#include <algorithm>

#include "tests/sim/heat_computer.h"

namespace zv::sim {

namespace {

constexpr std::uint8_t kStart = 0xCA;
constexpr size_t kInnerRequest = 8;

// L of each known command; 0 for an unknown one.
size_t LengthOf(std::uint8_t command) {
  switch (command) {
    case LineController::kConnect: return 4;
    case LineController::kRelayBlock:
    case LineController::kRelayIdentity: return 13;
    case LineController::kClock: return 9;
    case LineController::kDisconnect: return 3;
    default: return 0;
  }
}

// The answer to a connect or a clock frame: an empty payload and its CRC.
Bytes Acknowledge(std::uint8_t command) {
  const std::uint16_t crc = DeviceCrc(nullptr, 0);
  return WrapAnswer(command, {static_cast<std::uint8_t>(crc & 0xFF), static_cast<std::uint8_t>(crc >> 8)});
}

}  // namespace

std::uint16_t ControllerCrc(const std::uint8_t* data, size_t n) { return DirectCrc16(0, data, n); }

Bytes WrapAnswer(std::uint8_t command, const Bytes& payload_with_crc) {
  Bytes frame = {kStart, static_cast<std::uint8_t>(payload_with_crc.size() + 3), command};
  frame.insert(frame.end(), payload_with_crc.begin(), payload_with_crc.end());
  const std::uint16_t crc = ControllerCrc(frame.data() + 1, frame.size() - 1);
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
  return frame;
}

void LineController::SetConnectAnswers(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  connect_answers_ = on;
}

void LineController::SetRelayFault(size_t relay, const RelayFault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.emplace_back(relay, fault);
}

void LineController::SetRelayFaultFrom(size_t relay, const RelayFault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  fault_from_.emplace(relay, fault);
}

std::vector<ControllerFrame> LineController::frames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return frames_;
}

std::vector<std::uint8_t> LineController::commands() const {
  std::vector<std::uint8_t> out;
  for (const ControllerFrame& f : frames()) out.push_back(f.command);
  return out;
}

std::vector<ClockFrame> LineController::clock_frames() const {
  std::vector<ClockFrame> out;
  for (const ControllerFrame& f : frames()) {
    if (f.command != kClock) continue;
    out.push_back({f.bytes[3], f.bytes[4], Bytes(f.bytes.begin() + 5, f.bytes.begin() + 9)});
  }
  return out;
}

size_t LineController::count(std::uint8_t command) const {
  const std::vector<std::uint8_t> all = commands();
  return static_cast<size_t>(std::count(all.begin(), all.end(), command));
}

size_t LineController::relays() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return relays_;
}

size_t LineController::rejected_frames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return rejected_;
}

bool LineController::in_session() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return session_;
}

bool LineController::WaitForFrames(std::uint8_t command, size_t n, milliseconds bound) const {
  return WaitUntil([&] { return count(command) >= n; }, bound);
}

void LineController::Reset() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.clear();
    session_ = false;
  }
  device_.Reset();
}

std::vector<Reply> LineController::Receive(const Bytes& in) {
  std::lock_guard<std::mutex> lock(mutex_);
  pending_.insert(pending_.end(), in.begin(), in.end());
  std::vector<Reply> replies;
  size_t at = 0;
  while (true) {
    at = static_cast<size_t>(std::find(pending_.begin() + static_cast<long>(at), pending_.end(), kStart) -
                             pending_.begin());
    if (pending_.size() - at < 3) break;  // L and the command not in yet
    const size_t length = pending_[at + 1];
    if (length == 0 || LengthOf(pending_[at + 2]) != length) {
      ++at;  // padding or noise that happens to hold 0xCA
      continue;
    }
    if (pending_.size() - at < length + 2) break;  // the rest is on its way
    const std::uint16_t crc = ControllerCrc(pending_.data() + at + 1, length - 1);
    if (pending_[at + length] != (crc & 0xFF) || pending_[at + length + 1] != (crc >> 8)) {
      ++rejected_;
      ++at;
      continue;
    }
    const Bytes frame(pending_.begin() + static_cast<long>(at),
                      pending_.begin() + static_cast<long>(at + length + 2));
    at += length + 2;
    Handle(frame, replies);
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(at));
  return replies;
}

void LineController::Handle(const Bytes& frame, std::vector<Reply>& replies) {
  const std::uint8_t command = frame[2];
  frames_.push_back({command, frame});
  Reply reply;
  switch (command) {
    case kConnect:
      session_ = true;
      if (connect_answers_) reply.answer = Acknowledge(command);
      break;
    case kClock:
      reply.answer = Acknowledge(command);
      break;
    case kDisconnect:
      session_ = false;
      break;
    default:
      if (session_) reply = Relay(frame);
      break;
  }
  replies.push_back(reply);
}

Reply LineController::Relay(const Bytes& frame) {
  const RelayFault fault = FaultFor(relays_++);
  const Bytes inner(frame.begin() + 5, frame.begin() + 5 + kInnerRequest);
  std::vector<Reply> answers = device_.Receive(inner);
  if (answers.empty() || answers.front().answer.empty() || fault.drop) return Reply{};
  Reply reply = answers.front();
  Bytes payload = reply.answer;
  if (fault.bad_inner_crc) payload.back() ^= 0xFF;
  reply.answer = WrapAnswer(frame[2], payload);
  if (fault.bad_outer_crc) reply.answer.back() ^= 0xFF;
  reply.noise.insert(reply.noise.begin(), fault.noise.begin(), fault.noise.end());
  return reply;
}

RelayFault LineController::FaultFor(size_t relay) const {
  for (const auto& [number, fault] : faults_) {
    if (number == relay) return fault;
  }
  if (fault_from_ && relay >= fault_from_->first) return fault_from_->second;
  return RelayFault{};
}

}  // namespace zv::sim
