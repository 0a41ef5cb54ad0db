#include "tests/sim/ip_converter.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zv::sim {

namespace {

// The longest wait of the converter's thread: a stop is noticed within it.
constexpr int kSliceMs = 5;
constexpr size_t kReadChunk = 4096;

// A listening socket on 127.0.0.1 at a port the system chooses; -1 on failure.
int Listen(int backlog, int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, backlog) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

bool SendAll(int fd, const Bytes& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t k = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (k > 0) {
      done += static_cast<size_t>(k);
      continue;
    }
    if (k < 0 && errno == EINTR) continue;
    if (k < 0 && errno == EAGAIN) {
      pollfd pfd{fd, POLLOUT, 0};
      ::poll(&pfd, 1, kSliceMs);
      continue;
    }
    return false;
  }
  return true;
}

}  // namespace

IpConverter::~IpConverter() { Stop(); }

bool IpConverter::Start() {
  Stop();
  listen_fd_ = Listen(4, port_);
  if (listen_fd_ < 0) return false;
  thread_.Start([this](const std::atomic<bool>& stop) { Run(stop); });
  return true;
}

void IpConverter::Stop() {
  thread_.Stop();
  if (listen_fd_ >= 0) ::close(listen_fd_);
  listen_fd_ = -1;
}

void IpConverter::SetCloseAfter(size_t answers) {
  std::lock_guard<std::mutex> lock(mutex_);
  close_after_ = answers;
}

bool IpConverter::WaitForConnections(size_t n, milliseconds bound) const {
  return WaitUntil([&] { return connections() >= n; }, bound);
}

bool IpConverter::WaitForClosedByWorkstation(size_t n, milliseconds bound) const {
  return WaitUntil([&] { return closed_by_workstation() >= n; }, bound);
}

void IpConverter::Run(const std::atomic<bool>& stop) {
  int connection = -1;
  size_t answers = 0;
  auto end = [&] {
    if (connection >= 0) ::close(connection);
    connection = -1;
    device_.Reset();
  };
  while (!stop.load()) {
    pollfd pfd[2] = {{listen_fd_, POLLIN, 0}, {connection, POLLIN, 0}};
    if (::poll(pfd, connection >= 0 ? 2 : 1, kSliceMs) <= 0) continue;
    if (pfd[0].revents & POLLIN) {
      const int accepted = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (accepted >= 0) {
        end();
        const int on = 1;
        ::setsockopt(accepted, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        connection = accepted;
        answers = 0;
        ++connections_;
      }
      continue;
    }
    if (connection < 0 || pfd[1].revents == 0) continue;
    std::uint8_t buffer[kReadChunk];
    const ssize_t k = ::recv(connection, buffer, sizeof buffer, 0);
    if (k == 0) {
      ++closed_by_workstation_;
      end();
    } else if (k < 0 && errno != EAGAIN && errno != EINTR) {
      end();
    } else if (k > 0 && !Serve(connection, Bytes(buffer, buffer + k), answers, stop)) {
      end();
    }
  }
  end();
}

bool IpConverter::Serve(int fd, const Bytes& in, size_t& answers, const std::atomic<bool>& stop) {
  size_t close_after;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    close_after = close_after_;
  }
  const ByteWriter write = [fd](const Bytes& bytes) { return SendAll(fd, bytes); };
  for (const Reply& reply : device_.Receive(in)) {
    if (!PlayReply(reply, write, stop)) return false;
    if (!reply.answer.empty()) ++answers;
    if (close_after > 0 && answers >= close_after) return false;
  }
  return true;
}

FullListener::~FullListener() {
  for (int fd : fillers_) ::close(fd);
  if (listen_fd_ >= 0) ::close(listen_fd_);
}

bool FullListener::Start() {
  listen_fd_ = Listen(0, port_);
  if (listen_fd_ < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port_));
  // Connect until one connect is left hanging: the queue is full then.
  for (int i = 0; i < 16; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    fillers_.push_back(fd);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) continue;
    if (errno != EINPROGRESS) return false;
    pollfd pfd{fd, POLLOUT, 0};
    if (::poll(&pfd, 1, 500) == 0) return true;  // no answer to this one
  }
  return false;
}

int UnusedPort() {
  int port = 0;
  const int fd = Listen(1, port);
  if (fd < 0) return 0;
  ::close(fd);
  return port;
}

}  // namespace zv::sim
