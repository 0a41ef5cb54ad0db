#include "modem/channel_reader.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace zv {

struct ChannelReader::Connection {
  explicit Connection(int socket) : fd(socket), block(kHandOverBlockSize) {}
  ~Connection() {
    // The notifier goes before its descriptor.
    notifier.reset();
    ::close(fd);
  }

  int fd;
  HandOverBlock block;
  std::size_t received = 0;
  std::unique_ptr<QSocketNotifier> notifier;
  QTimer deadline;
};

ChannelReader::ChannelReader(int listen_fd, std::chrono::milliseconds block_read,
                             HandOverCallback on_paths)
    : listen_fd_(listen_fd), block_read_(block_read), on_paths_(std::move(on_paths)) {
  listen_notifier_ = std::make_unique<QSocketNotifier>(listen_fd_, QSocketNotifier::Read);
  QObject::connect(listen_notifier_.get(), &QSocketNotifier::activated,
                   [this] { AcceptPending(); });
}

ChannelReader::~ChannelReader() {
  listen_notifier_.reset();
  connections_.clear();
}

void ChannelReader::AcceptPending() {
  for (;;) {
    int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) {
        // Out of descriptors or the like: the queue stays readable, so the
        // notifier rests for a while instead of firing without end.
        listen_notifier_->setEnabled(false);
        QTimer::singleShot(block_read_, listen_notifier_.get(),
                           [n = listen_notifier_.get()] { n->setEnabled(true); });
      }
      return;
    }
    auto c = std::make_unique<Connection>(fd);
    Connection* raw = c.get();
    c->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(c->notifier.get(), &QSocketNotifier::activated,
                     [this, raw] { ReadFrom(raw); });
    c->deadline.setSingleShot(true);
    QObject::connect(&c->deadline, &QTimer::timeout, [this, raw] { Drop(raw); });
    c->deadline.start(block_read_);
    connections_.push_back(std::move(c));
  }
}

void ChannelReader::ReadFrom(Connection* c) {
  while (c->received < c->block.size()) {
    ssize_t n = ::recv(c->fd, c->block.data() + c->received, c->block.size() - c->received, 0);
    if (n > 0) {
      c->received += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    Drop(c);  // the writer has gone (or an error), with or without a block begun
    return;
  }
  if (!IsWellFormedHandOverBlock(c->block.data(), c->block.size())) {
    Drop(c);
    return;
  }
  // The block is read: the writer may go on at once (SignalContinue). Should the
  // writer have given up meanwhile, its paths are still taken.
  const std::uint8_t done = 1;
  (void)::send(c->fd, &done, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
  std::vector<std::string> paths = ReadHandOverBlock(c->block.data(), c->block.size());
  c->received = 0;
  c->deadline.start(block_read_);
  // The callback may stop the reader and so delete this connection and the
  // reader itself: it works on its own copy and is the last thing done here.
  HandOverCallback on_paths = on_paths_;
  if (on_paths) on_paths(std::move(paths));
}

void ChannelReader::Drop(Connection* c) {
  auto it = std::find_if(connections_.begin(), connections_.end(),
                         [c](const std::unique_ptr<Connection>& p) { return p.get() == c; });
  if (it != connections_.end()) connections_.erase(it);
}

}  // namespace zv
