#include "modem/hand_over_block.h"

#include <algorithm>
#include <cstring>

namespace zv {
namespace {

std::int32_t ReadLength(const std::uint8_t* block) {
  std::uint32_t v = std::uint32_t{block[0]} | std::uint32_t{block[1]} << 8 |
                    std::uint32_t{block[2]} << 16 | std::uint32_t{block[3]} << 24;
  return static_cast<std::int32_t>(v);
}

void WriteLength(std::uint8_t* block, std::size_t length) {
  auto v = static_cast<std::uint32_t>(length);
  for (int i = 0; i < 4; ++i) block[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool Carriable(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos;
}

// L of the paths written one after the other: each with its NUL, less the last.
std::size_t PathBytes(const std::vector<std::string>& paths) {
  std::size_t n = 0;
  for (const std::string& p : paths) n += p.size() + 1;
  return n == 0 ? 0 : n - 1;
}

}  // namespace

std::size_t HandOverCapacity(std::size_t size) {
  return size > kHandOverPathsOffset ? size - kHandOverPathsOffset - 1 : 0;
}

std::vector<std::string> ReadHandOverBlock(const std::uint8_t* block, std::size_t size) {
  std::vector<std::string> paths;
  if (size <= kHandOverPathsOffset) return paths;
  std::int32_t length = ReadLength(block);
  if (length <= 0) return paths;
  // Walks like the writer wrote: each string and its NUL count against L.
  auto remaining = static_cast<std::ptrdiff_t>(
      std::min(static_cast<std::size_t>(length), HandOverCapacity(size)));
  std::size_t pos = kHandOverPathsOffset;
  while (remaining > 0 && pos < size) {
    const std::uint8_t* start = block + pos;
    const void* nul = std::memchr(start, 0, size - pos);
    std::size_t n = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - start)
                        : size - pos;
    if (n > 0) paths.emplace_back(reinterpret_cast<const char*>(start), n);
    pos += n + 1;
    remaining -= static_cast<std::ptrdiff_t>(n + 1);
  }
  return paths;
}

bool WriteHandOverBlock(std::uint8_t* block, std::size_t size,
                        const std::vector<std::string>& paths) {
  if (size <= kHandOverPathsOffset) return false;
  if (!std::all_of(paths.begin(), paths.end(), Carriable)) return false;
  std::size_t length = PathBytes(paths);
  if (length > HandOverCapacity(size)) return false;
  std::memset(block, 0, size);
  std::uint8_t* out = block + kHandOverPathsOffset;
  for (const std::string& p : paths) {
    std::memcpy(out, p.data(), p.size());
    out += p.size() + 1;  // the NUL is already there
  }
  WriteLength(block, length);
  return true;
}

std::optional<std::vector<HandOverBlock>> PackHandOverBlocks(const std::vector<std::string>& paths) {
  const std::size_t capacity = HandOverCapacity(kHandOverBlockSize);
  std::vector<HandOverBlock> blocks;
  std::vector<std::string> batch;
  auto flush = [&] {
    HandOverBlock block(kHandOverBlockSize);
    WriteHandOverBlock(block.data(), block.size(), batch);
    blocks.push_back(std::move(block));
    batch.clear();
  };
  std::size_t used = 0;  // PathBytes(batch) + 1 while the batch is not empty
  for (const std::string& p : paths) {
    if (!Carriable(p) || p.size() > capacity) return std::nullopt;
    if (!batch.empty() && used + p.size() > capacity) {
      flush();
      used = 0;
    }
    batch.push_back(p);
    used += p.size() + 1;
  }
  if (!batch.empty() || blocks.empty()) flush();
  return blocks;
}

bool IsWellFormedHandOverBlock(const std::uint8_t* block, std::size_t size) {
  if (size <= kHandOverPathsOffset) return false;
  std::int32_t length = ReadLength(block);
  bool reserved_zero = block[4] == 0 && block[5] == 0 && block[6] == 0 && block[7] == 0;
  return reserved_zero && length >= 0 &&
         static_cast<std::size_t>(length) <= HandOverCapacity(size);
}

}  // namespace zv
