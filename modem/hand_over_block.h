#pragma once
// The hand-over block: node file paths on their way from whoever decides to add
// them to the open group to the main frame that opens them. The same 16384-byte
// layout serves inside the running program and on the wire between a later
// start and the running instance (little-endian):
//
//   offset 0   int32  L: the number of path bytes at offset 8, without the
//                     last terminating NUL
//   offset 4   4      zero
//   offset 8   L + 1  one or more paths, each followed by one NUL
//   9 + L ..   zero
//
// Paths are file names as bytes on disk (UTF-8 here). The reader never trusts
// L: it is clamped to what the block can hold, and a path without its NUL ends
// at the end of the block. The writer refuses what does not fit; it never cuts
// a path.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zv {

inline constexpr std::size_t kHandOverBlockSize = 16384;
inline constexpr std::size_t kHandOverPathsOffset = 8;

using HandOverBlock = std::vector<std::uint8_t>;

// The most path bytes (L) that a block of `size` bytes carries: size - 9, or 0
// for a block too small to hold even an empty list.
std::size_t HandOverCapacity(std::size_t size);

// The paths a block holds, in order. An L of 0 or below holds none; empty
// strings between two NULs name no file and are skipped. Reads nothing
// outside the `size` bytes at `block`.
std::vector<std::string> ReadHandOverBlock(const std::uint8_t* block, std::size_t size);

// Zeroes the block and writes the paths in the layout above. False, with the
// block untouched, when a path is empty or holds a NUL, or when the paths do
// not fit together.
bool WriteHandOverBlock(std::uint8_t* block, std::size_t size,
                        const std::vector<std::string>& paths);

// The paths in as many 16384-byte blocks as they need, in order; an empty list
// gives one empty block. Nothing when one of the paths cannot be carried (empty,
// holding a NUL, or longer than a block's capacity).
std::optional<std::vector<HandOverBlock>> PackHandOverBlocks(const std::vector<std::string>& paths);

// A block as a writer of this layout produces it: the reserved bytes zero and L
// between 0 and the capacity. What comes over the wire otherwise is dropped.
bool IsWellFormedHandOverBlock(const std::uint8_t* block, std::size_t size);

}  // namespace zv
