#pragma once
// Where a request to open a file goes, told by its extension: the text after
// the last "." (a "." at the very start does not count), case ignored. A group
// file ("gr") replaces the open group; a node file ("zev") is handed over to
// the main frame, which adds it to the open group; anything else opens
// nothing. The open command, the recent files, dropped files, the command line
// and later starts all come through here.
//
// The routing works on an interface, so that it can be tested without the
// frame: the application implements it (modem/zevmodem_app.h).

#include <string>
#include <string_view>

namespace zv {

enum class FileKind { kOther, kGroup, kNode };

FileKind FileKindOf(std::string_view path);

class DocumentOpenTarget {
 public:
  virtual ~DocumentOpenTarget() = default;
  // Opens the group file as the document (its recent-list entry and title
  // follow). False when it could not be opened (the document has said why).
  virtual bool OpenGroupFile(const std::string& path) = 0;
  // Hands the node file over to the main frame through the in-process block.
  // False when there is no frame or no document yet.
  virtual bool HandOverNodeFile(const std::string& path) = 0;
};

enum class OpenOutcome { kNothing, kGroupOpened, kNodeHandedOver };

// Only kGroupOpened is an opened document; a handed-over node file is not one.
OpenOutcome OpenDocumentFile(const std::string& path, DocumentOpenTarget& target);

}  // namespace zv
