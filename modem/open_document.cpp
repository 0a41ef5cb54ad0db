#include "modem/open_document.h"

#include "platform/ascii.h"

namespace zv {

FileKind FileKindOf(std::string_view path) {
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return FileKind::kOther;
  const std::string_view ext = path.substr(dot + 1);
  if (EqualsNoCase(ext, "gr")) return FileKind::kGroup;
  if (EqualsNoCase(ext, "zev")) return FileKind::kNode;
  return FileKind::kOther;
}

OpenOutcome OpenDocumentFile(const std::string& path, DocumentOpenTarget& target) {
  switch (FileKindOf(path)) {
    case FileKind::kGroup:
      return target.OpenGroupFile(path) ? OpenOutcome::kGroupOpened : OpenOutcome::kNothing;
    case FileKind::kNode:
      return target.HandOverNodeFile(path) ? OpenOutcome::kNodeHandedOver : OpenOutcome::kNothing;
    case FileKind::kOther:
      break;
  }
  return OpenOutcome::kNothing;
}

}  // namespace zv
