#pragma once
// The fuzz targets' view of their input: parameter bytes taken from the front,
// then whatever is left. Reads past the end give zeros and empty pieces, so a
// target never has to check the length itself.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// The entry point of every fuzz target (libFuzzer's, also called by the
// replay main of the ordinary builds).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size);

namespace zv::fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool empty() const { return pos_ >= size_; }
  size_t remaining() const { return size_ - pos_; }

  // The next byte, 0 past the end.
  std::uint8_t Byte() { return empty() ? 0 : data_[pos_++]; }
  // Up to `n` bytes.
  std::span<const std::uint8_t> Take(size_t n) {
    n = std::min(n, remaining());
    std::span<const std::uint8_t> piece(data_ + pos_, n);
    pos_ += n;
    return piece;
  }
  // Everything left, as text bytes.
  std::string_view RestText() {
    std::span<const std::uint8_t> rest = Take(remaining());
    return std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size());
  }

 private:
  const std::uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace zv::fuzz
