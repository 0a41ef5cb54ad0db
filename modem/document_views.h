#pragma once
// What the group document asks of the views that show it. The status view
// implements it; the document's tests use a recording stand-in.

namespace zv {

class DocumentViews {
 public:
  virtual ~DocumentViews() = default;

  // The group was emptied or replaced (New, a group opened, a damaged group
  // file): drop every row and build the rows of the group anew.
  virtual void OnInitialUpdate() = 0;
  // Nodes were appended (a node file opened or handed over, a new node): add
  // the rows of the nodes that have none yet.
  virtual void OnUpdate() = 0;
  // The start command: arm the poll scheduler (autostart after an open).
  virtual void OnPollStart() = 0;
};

}  // namespace zv
