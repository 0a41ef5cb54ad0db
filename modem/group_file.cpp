#include "modem/group_file.h"

#include <cstdint>
#include <cstring>

#include "platform/atomic_file.h"

namespace zv {

namespace {

int32_t Int32At(std::string_view bytes, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return static_cast<int32_t>(v);
}

void PutInt32(std::string& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

bool Damaged(GroupFileDamage damage, std::size_t offset, std::vector<std::string>& paths,
             GroupFileReadResult* result) {
  paths.clear();
  if (result) *result = {damage, offset};
  return false;
}

}  // namespace

bool ReadGroupFile(std::string_view bytes, std::vector<std::string>& paths, GroupFileReadResult* result) {
  paths.clear();
  if (bytes.size() < 4) return Damaged(GroupFileDamage::kShortCount, 0, paths, result);
  const int32_t count = Int32At(bytes, 0);
  std::size_t at = 4;
  // Every entry takes at least its four length bytes: a count the rest of the
  // file cannot hold is damage, found before anything is reserved for it.
  if (count < 0 || static_cast<uint64_t>(count) > (bytes.size() - at) / 4)
    return Damaged(GroupFileDamage::kBadCount, 0, paths, result);
  paths.reserve(static_cast<std::size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    if (bytes.size() - at < 4) return Damaged(GroupFileDamage::kShortLength, at, paths, result);
    const int32_t length = Int32At(bytes, at);
    if (length < 0 || static_cast<uint64_t>(length) > bytes.size() - at - 4)
      return Damaged(GroupFileDamage::kBadLength, at, paths, result);
    at += 4;
    std::string_view path = bytes.substr(at, static_cast<std::size_t>(length));
    // A NUL ends the path; the rest of its bytes belongs to no one.
    if (const auto nul = path.find('\0'); nul != std::string_view::npos) path = path.substr(0, nul);
    paths.emplace_back(path);
    at += static_cast<std::size_t>(length);
  }
  if (result) *result = {};
  return true;
}

std::string GroupFileBytes(const std::vector<std::string>& paths) {
  std::string out;
  std::size_t size = 4;
  for (const auto& p : paths) size += 4 + p.size();
  out.reserve(size);
  PutInt32(out, static_cast<int32_t>(paths.size()));
  for (const auto& p : paths) {
    PutInt32(out, static_cast<int32_t>(p.size()));
    out.append(p);
  }
  return out;
}

bool WriteGroupFile(const std::string& file, const std::vector<std::string>& paths, std::string* error) {
  return WriteFileAtomically(file, GroupFileBytes(paths), error);
}

}  // namespace zv
