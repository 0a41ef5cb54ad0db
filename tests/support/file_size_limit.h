#pragma once
// A full disk for the tests: while it lives, no file of the process may grow
// past `bytes` (RLIMIT_FSIZE), and a write that would is refused with EFBIG
// instead of raising SIGXFSZ. The old limit and handler come back afterwards.

#include <signal.h>
#include <sys/resource.h>

#include <csignal>

namespace zv::test {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ok_ = ::getrlimit(RLIMIT_FSIZE, &old_) == 0;
    rlimit small = old_;
    small.rlim_cur = bytes;
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    ok_ = ok_ && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  // Whether the limit is in force.
  bool ok() const { return ok_; }

 private:
  rlimit old_{};
  void (*old_handler_)(int) = SIG_DFL;
  bool ok_ = false;
};

}  // namespace zv::test
