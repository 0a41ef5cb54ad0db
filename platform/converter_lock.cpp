#include "platform/converter_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/runtime_dir.h"

namespace zv {

std::string ConverterLockPath() { return RuntimeDir() + "/" + kConverterLockName; }

int OpenConverterLock() {
  if (!EnsurePrivateDir(RuntimeDir())) {
    if (errno == 0) errno = EACCES;
    return -1;
  }
  int fd;
  do {
    fd = ::open(ConverterLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool LockConverterShared(int fd) {
  int r;
  do {
    r = ::flock(fd, LOCK_SH);
  } while (r != 0 && errno == EINTR);
  return r == 0;
}

ConverterRewriteLock::ConverterRewriteLock(const ConverterLockWait& wait) {
  fd_ = OpenConverterLock();
  if (fd_ < 0) return;
  const auto deadline = std::chrono::steady_clock::now() + wait.bound;
  for (;;) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      state_ = State::kHeld;
      return;
    }
    if (errno != EINTR && errno != EWOULDBLOCK) break;
    if (errno == EWOULDBLOCK) {
      if (std::chrono::steady_clock::now() >= deadline) {
        state_ = State::kBusy;
        break;
      }
      if (wait.idle) wait.idle();
      std::this_thread::sleep_for(wait.step.count() > 0 ? wait.step : std::chrono::milliseconds(1));
    }
  }
  ::close(fd_);
  fd_ = -1;
}

ConverterRewriteLock::~ConverterRewriteLock() { Release(); }

void ConverterRewriteLock::Release() {
  if (fd_ >= 0) ::close(fd_);  // the close drops the lock
  fd_ = -1;
}

}  // namespace zv
