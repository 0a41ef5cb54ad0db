#include "modem/exit_signals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zv {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end of the live object's pipe, for the handler.
volatile std::sig_atomic_t g_write_fd = -1;

extern "C" void OnExitSignal(int signal) {
  const int saved = errno;
  const int fd = g_write_fd;
  if (fd >= 0) {
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds a request to exit: losing this one is harmless.
    [[maybe_unused]] const ssize_t n = ::write(fd, &number, 1);
  }
  errno = saved;
}

}  // namespace

ExitSignals::ExitSignals(std::function<void(int)> on_signal, QObject* parent)
    : QObject(parent), on_signal_(std::move(on_signal)) {
  if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
    fds_[0] = fds_[1] = -1;
    return;
  }
  notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &ExitSignals::OnReadable);
  g_write_fd = fds_[1];
  struct sigaction action {};
  action.sa_handler = OnExitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ok_ = true;
  for (int signal : kSignals) ok_ = ::sigaction(signal, &action, nullptr) == 0 && ok_;
}

ExitSignals::~ExitSignals() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  if (fds_[1] >= 0) {
    for (int signal : kSignals) ::sigaction(signal, &action, nullptr);
  }
  g_write_fd = -1;
  delete notifier_;
  for (int fd : fds_) {
    if (fd >= 0) ::close(fd);
  }
}

void ExitSignals::OnReadable() {
  unsigned char numbers[16];
  for (;;) {
    const ssize_t n = ::read(fds_[0], numbers, sizeof numbers);
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      if (on_signal_) on_signal_(numbers[i]);
    }
  }
}

}  // namespace zv
