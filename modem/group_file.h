#pragma once
// The group file of the workstation: the list of a group's node files.
//
// Little-endian, no header, no terminator: a signed 32-bit count N, then N
// entries, each a signed 32-bit length L and L bytes of path. A NUL among a
// path's bytes ends the path (the rest of its L bytes is skipped). Paths are the
// on-disk bytes of the node files (UTF-8 here) as the nodes hold them, written
// and read back without any conversion. An empty group is the four bytes of a
// zero count. Bytes after the last entry are ignored.
//
// The reader never trusts a count: N or L below 0, or larger than the bytes
// that are left could hold, is a damaged file, and nothing is allocated from a
// count before it has been checked. No Qt here (the fuzz target reads through
// the same function).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

enum class GroupFileDamage {
  kNone,
  kShortCount,   // fewer than 4 bytes for N
  kBadCount,     // N below 0, or more entries than the bytes left could hold
  kShortLength,  // the file ends inside an entry's length
  kBadLength,    // L below 0, or more than the bytes left
};

struct GroupFileReadResult {
  GroupFileDamage damage = GroupFileDamage::kNone;
  std::size_t offset = 0;  // where the damaged field starts (0 when whole)
  bool ok() const { return damage == GroupFileDamage::kNone; }
};

// The largest group file the document reads (tens of thousands of nodes); a
// larger file is taken for damaged without being read.
inline constexpr std::size_t kMaxGroupFileBytes = 16u << 20;

// Reads a group file's bytes into `paths` (replacing what it held). True with
// every path in file order; false when the bytes are damaged, with `paths`
// empty and what was wrong in `result`.
bool ReadGroupFile(std::string_view bytes, std::vector<std::string>& paths,
                   GroupFileReadResult* result = nullptr);

// The bytes of a group file listing `paths` in order.
std::string GroupFileBytes(const std::vector<std::string>& paths);

// Writes the group file `file` as a whole through zv::AtomicFile: on any
// failure the old file stays as it was, and `error` gets the system's reason.
bool WriteGroupFile(const std::string& file, const std::vector<std::string>& paths,
                    std::string* error = nullptr);

}  // namespace zv
