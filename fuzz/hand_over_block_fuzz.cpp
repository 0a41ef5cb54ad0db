// The workstation's hand-over block (modem/hand_over_block.h) over any bytes,
// the whole input being the block as it came over the wire.
//
// Checked: every path read is non-empty, holds no NUL, and is the block's own
// bytes from a place at or after the last path's end up to a NUL or the block's
// end; writing the paths back succeeds exactly when they fit, and the block
// written reads the same paths; packed into blocks of the standard size they
// read back the same, in order, from well-formed blocks.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "modem/hand_over_block.h"

namespace {

[[noreturn]] void Fail(const char* what, long long a = 0, long long b = 0) {
  std::fprintf(stderr, "%s (%lld, %lld)\n", what, a, b);
  std::abort();
}

// The paths are the block's bytes, in order, each ending at a NUL or at the end.
void CheckPlaces(const std::uint8_t* block, size_t size, const std::vector<std::string>& paths) {
  size_t pos = zv::kHandOverPathsOffset;
  for (size_t i = 0; i < paths.size(); ++i) {
    const std::string& p = paths[i];
    if (p.empty() || p.find('\0') != std::string::npos) Fail("path empty or holding a NUL", static_cast<long long>(i));
    while (pos < size && block[pos] == 0) ++pos;
    if (pos + p.size() > size) Fail("path past the block's end", static_cast<long long>(pos), p.size());
    if (std::memcmp(block + pos, p.data(), p.size()) != 0) Fail("path not the block's bytes", static_cast<long long>(i));
    pos += p.size();
    if (pos < size && block[pos] != 0) Fail("path cut before its NUL", static_cast<long long>(i));
  }
}

size_t PathBytes(const std::vector<std::string>& paths) {
  size_t n = 0;
  for (const std::string& p : paths) n += p.size() + 1;
  return n == 0 ? 0 : n - 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::vector<std::string> paths = zv::ReadHandOverBlock(data, size);
  CheckPlaces(data, size, paths);

  // Written back into a block of the same size.
  std::vector<std::uint8_t> block(size, 0xEE);
  const bool fits = size > zv::kHandOverPathsOffset && PathBytes(paths) <= zv::HandOverCapacity(size);
  const bool written = zv::WriteHandOverBlock(block.data(), block.size(), paths);
  if (written != fits) Fail("write refused what fits, or took what does not", written, fits);
  if (written) {
    if (!zv::IsWellFormedHandOverBlock(block.data(), block.size())) Fail("written block not well-formed");
    if (zv::ReadHandOverBlock(block.data(), block.size()) != paths) Fail("written block reads otherwise");
  } else if (!std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == 0xEE; })) {
    Fail("refused write changed the block");
  }

  // Packed into standard blocks.
  const size_t capacity = zv::HandOverCapacity(zv::kHandOverBlockSize);
  const bool carriable = std::all_of(paths.begin(), paths.end(), [&](const std::string& p) { return p.size() <= capacity; });
  const std::optional<std::vector<zv::HandOverBlock>> packed = zv::PackHandOverBlocks(paths);
  if (packed.has_value() != carriable) Fail("pack refused what a block carries, or took what none does");
  if (packed) {
    std::vector<std::string> again;
    for (const zv::HandOverBlock& b : *packed) {
      if (b.size() != zv::kHandOverBlockSize || !zv::IsWellFormedHandOverBlock(b.data(), b.size())) {
        Fail("packed block not well-formed", static_cast<long long>(b.size()));
      }
      const std::vector<std::string> some = zv::ReadHandOverBlock(b.data(), b.size());
      again.insert(again.end(), some.begin(), some.end());
    }
    if (again != paths) Fail("packed blocks read otherwise", static_cast<long long>(again.size()), paths.size());
  }
  return 0;
}
