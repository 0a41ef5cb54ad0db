#include "tests/sim/data_peer.h"

#include <algorithm>
#include <thread>

namespace zv::sim {

namespace {

constexpr milliseconds kPauseSlice{5};
constexpr milliseconds kReadBound{50};

// Sleeps `pause` in short slices; false when `stop` was set meanwhile.
bool Pause(milliseconds pause, const std::atomic<bool>& stop) {
  const auto end = std::chrono::steady_clock::now() + pause;
  while (std::chrono::steady_clock::now() < end) {
    if (stop.load()) return false;
    std::this_thread::sleep_for(std::min(kPauseSlice, pause));
  }
  return !stop.load();
}

}  // namespace

Bytes Reply::Wire() const {
  Bytes out = noise;
  out.insert(out.end(), answer.begin(), answer.end());
  out.insert(out.end(), trailing.begin(), trailing.end());
  return out;
}

bool PlayReply(const Reply& reply, const ByteWriter& write, const std::atomic<bool>& stop) {
  if (reply.Silent()) return !stop.load();
  if (reply.delay.count() > 0 && !Pause(reply.delay, stop)) return false;
  const Bytes wire = reply.Wire();
  const size_t piece = reply.chunk > 0 ? reply.chunk : wire.size();
  for (size_t at = 0; at < wire.size(); at += piece) {
    if (at > 0 && reply.chunk_pause.count() > 0 && !Pause(reply.chunk_pause, stop)) return false;
    const size_t n = std::min(piece, wire.size() - at);
    if (!write(Bytes(wire.begin() + static_cast<long>(at), wire.begin() + static_cast<long>(at + n)))) {
      return false;
    }
  }
  return true;
}

std::vector<Reply> RecordingPeer::Receive(const Bytes& in) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    received_.insert(received_.end(), in.begin(), in.end());
  }
  return inner_.Receive(in);
}

Bytes RecordingPeer::received() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

bool RecordingPeer::WaitForBytes(size_t n, milliseconds bound) const {
  return WaitUntil([&] { return received().size() >= n; }, bound);
}

void PeerOnLine::Start() {
  thread_.Start(
      [this](const std::atomic<bool>& stop) {
        const ByteWriter write = [this](const Bytes& bytes) { return line_.Write(bytes); };
        bool was_open = false;
        while (!stop.load()) {
          const Bytes in = line_.ReadSome(4096, kReadBound);
          if (in.empty()) {
            const bool open = line_.PeerOpen();
            if (was_open && !open) peer_.Reset();
            was_open = open;
            continue;
          }
          was_open = true;
          for (const Reply& reply : peer_.Receive(in)) {
            if (!PlayReply(reply, write, stop)) break;
          }
        }
      },
      &line_);
}

}  // namespace zv::sim
