#pragma once
// A file descriptor closed when it goes out of scope (-1: none).

#include <unistd.h>

#include <utility>

namespace zv {

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&&) = delete;
  int get() const { return fd_; }
  // Hands the descriptor over; this one holds none afterwards.
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

}  // namespace zv
