#include "links/timeout_socket.h"

#include <algorithm>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

#include "platform/unique_fd.h"

namespace {

using Steady = std::chrono::steady_clock;

constexpr int kDiscardChunk = 4096;

class AddressList {
 public:
  AddressList(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list_) != 0) list_ = nullptr;
  }
  ~AddressList() {
    if (list_ != nullptr) ::freeaddrinfo(list_);
  }
  AddressList(const AddressList&) = delete;
  AddressList& operator=(const AddressList&) = delete;
  const addrinfo* first() const { return list_; }

 private:
  addrinfo* list_ = nullptr;
};

}  // namespace

void CTimeoutSocket::SetStopFlag(const zv::StopFlag* stop, zv::Duration slice) {
  stop_ = stop;
  slice_ = slice.count() > 0 ? slice : zv::Ms(50);
}

int CTimeoutSocket::Wait(short events, Deadline deadline) const {
  while (!Stopped()) {
    const auto now = Steady::now();
    if (now >= deadline) return 0;
    const auto left = std::min<Steady::duration>(deadline - now, slice_);
    // Whole milliseconds rounded up, so a wait never ends just short of its deadline.
    const int ms = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    pollfd pfd{fd_, events, 0};
    const int ready = ::poll(&pfd, 1, ms);
    if (ready > 0) return 1;  // the event, or an error the next call will report
    if (ready < 0 && errno != EINTR) return -1;
  }
  return 0;
}

bool CTimeoutSocket::Connect(const std::string& host, int port, zv::Duration limit) {
  Close();
  if (port < 0 || port > 65535) return false;
  const Deadline deadline = Steady::now() + limit;
  const AddressList addresses(host, port);
  for (const addrinfo* a = addresses.first(); a != nullptr && !Stopped(); a = a->ai_next) {
    zv::UniqueFd fd(::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol));
    if (fd.get() < 0) continue;
    if (::connect(fd.get(), a->ai_addr, a->ai_addrlen) != 0) {
      if (errno != EINPROGRESS) continue;
      fd_ = fd.get();  // for the wait
      const int ready = Wait(POLLOUT, deadline);
      fd_ = -1;
      if (ready <= 0) {
        if (ready == 0) return false;  // the limit passed (or stopped): no further address
        continue;
      }
      int error = 0;
      socklen_t length = sizeof error;
      if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) continue;
    }
    fd_ = fd.release();
    return true;
  }
  return false;
}

int CTimeoutSocket::Send(const void* buffer, int n, zv::Duration limit) {
  if (fd_ < 0 || n < 0) return -1;
  const Deadline deadline = Steady::now() + limit;
  const auto* in = static_cast<const char*>(buffer);
  int put = 0;
  while (put < n) {
    const ssize_t k = ::send(fd_, in + put, static_cast<size_t>(n - put), MSG_NOSIGNAL);
    if (k > 0) {
      put += static_cast<int>(k);
      continue;
    }
    if (k < 0 && errno == EINTR) continue;
    if (k < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    if (Wait(POLLOUT, deadline) <= 0) return -1;
  }
  return put;
}

int CTimeoutSocket::Receive(void* buffer, int n, zv::Duration limit) {
  if (fd_ < 0 || n <= 0) return -1;
  const Deadline deadline = Steady::now() + limit;
  while (true) {
    const ssize_t k = ::recv(fd_, buffer, static_cast<size_t>(n), 0);
    if (k >= 0) return static_cast<int>(k);  // 0: the peer has closed
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    if (Wait(POLLIN, deadline) <= 0) return -1;
  }
}

void CTimeoutSocket::Discard() {
  if (fd_ < 0) return;
  char sink[kDiscardChunk];
  while (::recv(fd_, sink, sizeof sink, MSG_DONTWAIT) > 0) {
  }
}

void CTimeoutSocket::ShutDown() {
  if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
}

void CTimeoutSocket::Close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}
