#include "data/node_file_name.h"

#include "platform/cp1251.h"

namespace zv {
namespace {

constexpr size_t kMaxFileNameBytes = 255;

bool IsBadNameChar(unsigned char c) { return c < 0x20 || c == 0x7F || c == '/' || c == '\\'; }

std::string NameOrDefault(std::string_view name) { return name.empty() ? std::string("data") : std::string(name); }

}  // namespace

bool IsValidNodeNumber(std::string_view n) {
  if (n.empty() || n.size() > kMaxFileNameBytes) return false;
  for (char c : n) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

NodeFileNameCheck CheckNodeFileName(std::string_view n, std::string_view name) {
  if (!IsValidNodeNumber(n)) return NodeFileNameCheck::kBadNumber;
  for (char c : name) {
    if (IsBadNameChar(static_cast<unsigned char>(c))) return NodeFileNameCheck::kBadName;
  }
  const size_t bytes = n.size() + 1 + Cp1251PathToLocal(NameOrDefault(name)).size() + 4;
  if (bytes > kMaxFileNameBytes) return NodeFileNameCheck::kTooLong;
  return NodeFileNameCheck::kOk;
}

std::optional<std::string> BuildNodeFileName(std::string_view n, std::string_view name) {
  if (CheckNodeFileName(n, name) != NodeFileNameCheck::kOk) return std::nullopt;
  return std::string(n) + "_" + Cp1251PathToLocal(NameOrDefault(name)) + ".zev";
}

std::string NodeFolderPrefix(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::optional<std::string> BuildNodeFilePath(std::string_view current_path, std::string_view n,
                                             std::string_view name) {
  std::optional<std::string> file = BuildNodeFileName(n, name);
  if (!file) return std::nullopt;
  return NodeFolderPrefix(current_path) + *file;
}

std::optional<std::string> JournalFilePath(std::string_view node_file_path, std::string_view n) {
  if (!IsValidNodeNumber(n) || n.size() + 4 > kMaxFileNameBytes) return std::nullopt;
  return NodeFolderPrefix(node_file_path) + std::string(n) + ".zvj";
}

}  // namespace zv
