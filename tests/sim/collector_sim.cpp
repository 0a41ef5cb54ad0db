#include "tests/sim/collector_sim.h"

#include <algorithm>

#include "tests/sim/direct_cable.h"
#include "tests/sim/heat_computer.h"

namespace zv::sim {

namespace {

constexpr std::uint8_t kStart = 0xA5;
constexpr size_t kFrameSize = 6;
constexpr milliseconds kReadBound{20};

void AppendCrc(Bytes& frame, size_t from, size_t n) {
  const std::uint16_t crc = DeviceCrc(frame.data() + from, n);
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

}  // namespace

Bytes CollectorRequestBytes(std::uint8_t command, std::uint8_t p1, std::uint8_t p2) {
  Bytes frame = {kStart, command, p1, p2};
  AppendCrc(frame, 1, 3);
  return frame;
}

Collector::Collector(int kind)
    : kind_(kind), memory_(static_cast<size_t>(slots()) * kSlotSize, 0), status_(64, 0xFF) {
  if (kind_ == 3) status_[32] = 0xFA;
}

void Collector::SetPointers(int count, int start) {
  std::lock_guard<std::mutex> lock(mutex_);
  count_ = count;
  start_ = start;
}

std::pair<int, int> Collector::pointers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {count_, start_};
}

void Collector::SetStatus(int slot, std::uint8_t status) {
  std::lock_guard<std::mutex> lock(mutex_);
  status_[static_cast<size_t>(slot)] = status;
}

void Collector::PutFile(int slot, std::uint8_t status, const Bytes& image) {
  std::lock_guard<std::mutex> lock(mutex_);
  status_[static_cast<size_t>(slot)] = status;
  const size_t at = static_cast<size_t>(slot) * kSlotSize;
  for (size_t i = 0; i < image.size(); ++i) memory_[(at + i) % memory_.size()] = image[i];
}

Bytes Collector::Memory(size_t at, size_t n) const {
  std::lock_guard<std::mutex> lock(mutex_);
  Bytes out(n);
  for (size_t i = 0; i < n; ++i) out[i] = memory_[(at + i) % memory_.size()];
  return out;
}

void Collector::SetFault(size_t request, const CollectorFault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_[request] = fault;
}

void Collector::SetStatusUnansweredFor(int tries) {
  std::lock_guard<std::mutex> lock(mutex_);
  status_unanswered_ = tries;
}

void Collector::SetSilentFrom(size_t request) {
  std::lock_guard<std::mutex> lock(mutex_);
  silent_from_ = request;
}

std::vector<CollectorRequest> Collector::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return log_;
}

std::vector<std::pair<int, int>> Collector::clears() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return clears_;
}

bool Collector::WaitForRequests(size_t n, milliseconds bound) const {
  return WaitUntil([&] { return requests().size() >= n; }, bound);
}

Bytes Collector::received() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

Bytes Collector::BlockLocked(int block) const {
  const size_t length = static_cast<size_t>(block_length());
  Bytes out(length);
  const size_t at = static_cast<size_t>(block) * length;
  for (size_t i = 0; i < length; ++i) out[i] = memory_[(at + i) % memory_.size()];
  return out;
}

std::vector<Bytes> Collector::Receive(const Bytes& in, int baud) {
  std::lock_guard<std::mutex> lock(mutex_);
  pending_.insert(pending_.end(), in.begin(), in.end());
  received_.insert(received_.end(), in.begin(), in.end());
  std::vector<Bytes> answers;
  size_t at = 0;
  while (true) {
    const auto start = std::find(pending_.begin() + static_cast<long>(at), pending_.end(), kStart);
    at = static_cast<size_t>(start - pending_.begin());
    if (pending_.size() - at < kFrameSize) break;
    const Bytes frame(start, start + kFrameSize);
    const std::uint16_t crc = DeviceCrc(frame.data() + 1, 3);
    if (frame[4] != (crc & 0xFF) || frame[5] != (crc >> 8)) {
      ++at;
      continue;
    }
    at += kFrameSize;
    answers.push_back(Answer(frame, baud));
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(at));
  return answers;
}

Bytes Collector::Answer(const Bytes& frame, int baud) {
  CollectorRequest request{frame[1], frame[2], frame[3], baud, false};
  const size_t number = log_.size();
  CollectorFault fault;
  if (const auto found = faults_.find(number); found != faults_.end()) fault = found->second;
  const std::uint8_t block_command = kind_ == 2 ? 0x05 : 0x01;
  bool silent = fault.drop || baud != kLineBaud || (silent_from_ && number >= *silent_from_);
  Bytes answer;
  if (!silent) {
    if (request.command == 0x02) {
      answer = {static_cast<std::uint8_t>(count_), static_cast<std::uint8_t>(start_)};
      AppendCrc(answer, 0, 2);
    } else if (request.command == 0x04) {
      if (kind_ != 1 && status_unanswered_ <= 0) {
        answer = status_;
        AppendCrc(answer, 0, status_.size());
      }
      --status_unanswered_;
    } else if (request.command == 0x03) {
      const std::uint8_t ack = fault.ack.value_or(0x06);
      if (ack != 0) answer = {ack};
      count_ = request.p1;
      start_ = request.p2;
      clears_.emplace_back(request.p1, request.p2);
    } else if (request.command == block_command) {
      answer = BlockLocked(request.p1 | (request.p2 << 8));
      const size_t length = answer.size();
      AppendCrc(answer, 0, length);
      AppendCrc(answer, 0, length + 2);
      if (fault.bad_crc1) answer[length] ^= 0xFF;
      if (fault.bad_crc2) answer[length + 3] ^= 0xFF;
    }
  }
  answer.resize(answer.size() - std::min(fault.short_by, answer.size()));
  request.answered = !answer.empty();
  log_.push_back(request);
  return answer;
}

void Collector::Start() {
  thread_.Start(
      [this](const std::atomic<bool>& stop) {
        bool was_open = false;
        while (!stop.load()) {
          const Bytes in = line_.ReadSome(4096, kReadBound);
          if (in.empty()) {
            const bool open = line_.PeerOpen();
            if (was_open && !open) {
              std::lock_guard<std::mutex> lock(mutex_);
              pending_.clear();
            }
            was_open = open;
            continue;
          }
          was_open = true;
          for (const Bytes& answer : Receive(in, LineBaud(line_.master_fd()))) {
            if (!answer.empty() && !line_.Write(answer)) break;
          }
        }
      },
      &line_);
}

}  // namespace zv::sim
