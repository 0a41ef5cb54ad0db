#include "modem/shared_memory.h"

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include "modem/channel_reader.h"
#include "platform/runtime_dir.h"

namespace zv {
namespace {

using Clock = std::chrono::steady_clock;

bool SocketAddress(const std::string& path, sockaddr_un* addr) {
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr->sun_path) return false;
  std::memcpy(addr->sun_path, path.data(), path.size());
  return true;
}

// Milliseconds left until `deadline`, for poll(): 0 once it has passed.
int MsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for `events` on the descriptor until the deadline: true when ready.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    int r = ::poll(&p, 1, MsLeft(deadline));
    if (r > 0) return true;
    if (r == 0) return false;
    if (errno != EINTR) return false;
  }
}

}  // namespace

}  // namespace zv

CSharedMemory::CSharedMemory() {
  std::string dir = zv::ChannelDir();
  lock_path_ = dir + "/" + base_name_ + "Mutex";
  socket_path_ = dir + "/" + base_name_;
}

CSharedMemory::~CSharedMemory() { Close(); }

bool CSharedMemory::OpenExistingMutex() {
  if (lock_fd_ >= 0) return false;
  std::string dir = lock_path_.substr(0, lock_path_.rfind('/'));
  if (!zv::EnsurePrivateDir(dir)) return false;
  // An instance that ends removes its lock file. Whoever opened the old file
  // just before may then lock it, so a lock counts only while the name still
  // leads to the locked file; otherwise the new file is tried.
  for (int attempt = 0; attempt < 16; ++attempt) {
    int fd = ::open(lock_path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (before_lock_) before_lock_();
    int r;
    do {
      r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
      bool held = errno == EWOULDBLOCK;
      ::close(fd);
      return held;
    }
    struct stat locked, named;
    if (::fstat(fd, &locked) == 0 && ::stat(lock_path_.c_str(), &named) == 0 &&
        locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
      lock_fd_ = fd;
      return false;
    }
    ::close(fd);
  }
  return false;
}

bool CSharedMemory::OpenEvents() {
  CloseConnection();
  sockaddr_un addr;
  if (!zv::SocketAddress(socket_path_, &addr)) return false;
  const auto deadline = zv::Clock::now() + timing_.connect_retry;
  for (;;) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
      connection_fd_ = fd;
      return true;
    }
    // Not there yet (ENOENT), not listening (ECONNREFUSED), queue full (EAGAIN):
    // the first instance may be just starting or busy, so try again.
    ::close(fd);
    if (zv::Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(
        std::min<zv::Clock::duration>(std::chrono::milliseconds(50), deadline - zv::Clock::now()));
  }
}

bool CSharedMemory::SignalDataReady(const zv::HandOverBlock& block) {
  if (connection_fd_ < 0) return false;
  const auto deadline = zv::Clock::now() + timing_.continue_wait;
  std::size_t sent = 0;
  while (sent < block.size()) {
    ssize_t n = ::send(connection_fd_, block.data() + sent, block.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!zv::WaitFor(connection_fd_, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool CSharedMemory::WaitForContinue() {
  if (connection_fd_ < 0) return false;
  const auto deadline = zv::Clock::now() + timing_.continue_wait;
  for (;;) {
    std::uint8_t byte;
    ssize_t n = ::recv(connection_fd_, &byte, 1, 0);
    if (n == 1) return true;
    if (n == 0) return false;  // dropped: the block did not count
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
    if (!zv::WaitFor(connection_fd_, POLLIN, deadline)) return false;
  }
}

bool CSharedMemory::HandOverPaths(const std::vector<std::string>& paths) {
  std::optional<std::vector<zv::HandOverBlock>> blocks = zv::PackHandOverBlocks(paths);
  bool ok = blocks.has_value() && connection_fd_ >= 0;
  if (ok) {
    for (const zv::HandOverBlock& block : *blocks) {
      if (!SignalDataReady(block) || !WaitForContinue()) {
        ok = false;
        break;
      }
    }
  }
  CloseConnection();
  return ok;
}

bool CSharedMemory::Create(std::size_t size, bool open_only) {
  if (size <= zv::kHandOverPathsOffset) return false;
  if (!open_only) {
    if (lock_fd_ < 0 || stopped_) return false;
    if (listen_fd_ < 0) {
      sockaddr_un addr;
      if (!zv::SocketAddress(socket_path_, &addr)) return false;
      int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
      if (fd < 0) return false;
      // The folder is 0700, so nobody else can reach the socket before its
      // own mode is narrowed.
      ::unlink(socket_path_.c_str());
      if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return false;
      }
      if (::chmod(socket_path_.c_str(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        ::unlink(socket_path_.c_str());
        return false;
      }
      listen_fd_ = fd;
    }
  }
  view_.assign(size, 0);
  return true;
}

bool CSharedMemory::StartAccepting(zv::HandOverCallback on_paths) {
  if (listen_fd_ < 0 || stopped_ || QCoreApplication::instance() == nullptr) return false;
  if (reader_) {
    reader_->SetCallback(std::move(on_paths));
  } else {
    reader_ = std::make_unique<zv::ChannelReader>(listen_fd_, timing_.block_read,
                                                  std::move(on_paths));
  }
  return true;
}

void CSharedMemory::StopAccepting() {
  stopped_ = true;
  reader_.reset();
}

bool CSharedMemory::WritePathToView(const std::string& path) {
  return !view_.empty() && zv::WriteHandOverBlock(view_.data(), view_.size(), {path});
}

std::vector<std::string> CSharedMemory::TakePathsFromView() {
  if (view_.empty()) return {};
  std::vector<std::string> paths = zv::ReadHandOverBlock(view_.data(), view_.size());
  std::fill(view_.begin(), view_.begin() + 4, std::uint8_t{0});
  return paths;
}

void CSharedMemory::CloseConnection() {
  if (connection_fd_ >= 0) ::close(connection_fd_);
  connection_fd_ = -1;
}

void CSharedMemory::Close() {
  StopAccepting();
  CloseConnection();
  if (listen_fd_ >= 0) {
    ::close(listen_fd_);
    listen_fd_ = -1;
    ::unlink(socket_path_.c_str());
  }
  if (lock_fd_ >= 0) {
    // Removed while still locked, so that no later start takes it for a
    // lock of ours; the lock itself goes with the descriptor.
    ::unlink(lock_path_.c_str());
    ::close(lock_fd_);
    lock_fd_ = -1;
  }
  view_.clear();
  view_.shrink_to_fit();
}
