#include "tests/sim/pty_line.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include "platform/com_ports.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

namespace zv::sim {

namespace {

using Steady = std::chrono::steady_clock;

// The longest single wait of the harness: interrupts and a slave that opens
// are noticed within this time.
constexpr milliseconds kSlice{5};
// The pause while the slave is closed (the master would report it at once).
constexpr milliseconds kClosedPause{2};

milliseconds Left(Steady::time_point deadline) {
  auto left = std::chrono::ceil<milliseconds>(deadline - Steady::now());
  return std::max(left, milliseconds(0));
}

}  // namespace

PtyLine::PtyLine() {
  int master = -1;
  int slave = -1;
  char name[256] = {};
  if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
  ::close(slave);
  ::fcntl(master, F_SETFD, FD_CLOEXEC);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  master_ = master;
  slave_path_ = name;
}

PtyLine::~PtyLine() { CloseMaster(); }

void PtyLine::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

bool PtyLine::MapToComPort(int number) const {
  if (!ok() || !EnsureDirectories(ConfigDir())) return false;
  IniFile ini;
  ini.Load(PortsFilePath());
  ini.Set("Ports", "COM" + std::to_string(number), slave_path_);
  return ini.Save(PortsFilePath());
}

bool PtyLine::Write(std::string_view text) { return Write(ToBytes(text)); }

bool PtyLine::Write(const Bytes& bytes) {
  const auto deadline = Steady::now() + std::chrono::seconds(5);
  size_t done = 0;
  while (done < bytes.size() && master_ >= 0) {
    const ssize_t k = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (k > 0) {
      done += static_cast<size_t>(k);
      continue;
    }
    if (k < 0 && errno != EAGAIN && errno != EINTR) return false;
    if (Steady::now() >= deadline) return false;
    pollfd pfd{master_, POLLOUT, 0};
    ::poll(&pfd, 1, static_cast<int>(kSlice.count()));
  }
  return done == bytes.size();
}

bool PtyLine::ReadOnce(Bytes& out, size_t max, milliseconds wait) {
  const auto deadline = Steady::now() + wait;
  while (master_ >= 0 && !interrupted_.load()) {
    pollfd pfd{master_, POLLIN, 0};
    const milliseconds slice = std::min(Left(deadline), kSlice);
    const int ready = ::poll(&pfd, 1, static_cast<int>(slice.count()));
    if (ready > 0 && (pfd.revents & POLLIN)) {
      std::uint8_t buf[4096];
      const ssize_t k = ::read(master_, buf, std::min(max, sizeof buf));
      if (k > 0) {
        out.insert(out.end(), buf, buf + k);
        return true;
      }
      // EIO: no slave is open ("port closed"); EAGAIN: nothing after all.
      if (k < 0 && errno == EIO) std::this_thread::sleep_for(kClosedPause);
    } else if (ready > 0) {
      std::this_thread::sleep_for(kClosedPause);  // POLLHUP: no slave is open
    }
    if (Steady::now() >= deadline) break;
  }
  return false;
}

Bytes PtyLine::ReadSome(size_t max, milliseconds bound) {
  Bytes out;
  if (max > 0) ReadOnce(out, max, bound);
  return out;
}

Bytes PtyLine::ReadExactly(size_t n, milliseconds bound) {
  const auto deadline = Steady::now() + bound;
  Bytes out;
  while (out.size() < n) {
    if (!ReadOnce(out, n - out.size(), Left(deadline)) && Steady::now() >= deadline) break;
    if (interrupted_.load() || master_ < 0) break;
  }
  return out;
}

Bytes PtyLine::ReadUntil(std::uint8_t end, milliseconds bound) {
  const auto deadline = Steady::now() + bound;
  Bytes out;
  while (out.empty() || out.back() != end) {
    // One byte at a time: what follows the end byte stays in the line.
    if (!ReadOnce(out, 1, Left(deadline)) && Steady::now() >= deadline) break;
    if (interrupted_.load() || master_ < 0) break;
  }
  return out;
}

void PtyLine::Drain(milliseconds quiet) {
  Bytes sink;
  while (ReadOnce(sink, 4096, quiet)) sink.clear();
}

bool PtyLine::PeerOpen() const {
  if (master_ < 0) return false;
  pollfd pfd{master_, 0, 0};
  ::poll(&pfd, 1, 0);
  return (pfd.revents & POLLHUP) == 0;
}

bool PtyLine::WaitPeerOpen(milliseconds bound) const {
  const auto deadline = Steady::now() + bound;
  while (!PeerOpen()) {
    if (Steady::now() >= deadline || master_ < 0) return false;
    std::this_thread::sleep_for(kClosedPause);
  }
  return true;
}

bool PtyLine::WaitPeerClosed(milliseconds bound) const {
  const auto deadline = Steady::now() + bound;
  while (PeerOpen()) {
    if (Steady::now() >= deadline) return false;
    std::this_thread::sleep_for(kClosedPause);
  }
  return true;
}

void SimulatorThread::Start(Loop loop, PtyLine* line) {
  Stop();
  stop_.store(false);
  line_ = line;
  if (line_) line_->ClearInterrupt();
  thread_ = std::thread([this, loop = std::move(loop)] { loop(stop_); });
}

void SimulatorThread::Stop() {
  if (!thread_.joinable()) return;
  stop_.store(true);
  if (line_) line_->Interrupt();
  thread_.join();
}

bool WaitUntil(const std::function<bool()>& done, milliseconds bound) {
  const auto end = Steady::now() + bound;
  while (!done()) {
    if (Steady::now() >= end) return false;
    std::this_thread::sleep_for(milliseconds(2));
  }
  return true;
}

}  // namespace zv::sim
