#pragma once
// How the poll reports to the windows.
//
// The worker and the links never touch a window or hold a pointer the user
// interface could free. They write the node's status field first and then call
// the sink with the node's id, its status at that moment and the progress; the
// receiver (the workstation's main frame, through a Qt adapter that queues the
// call to the user-interface thread) looks the node up by id in its group and
// ignores ids it no longer knows.
//
// Calls come from the worker thread and, during a GSM download, from the
// request sender as well: an implementation must be thread-safe and must not
// block (it posts and returns).

#include <cstdint>
#include <string>

namespace zv {

// Every CNode gets its own id when it is made; ids are never reused in a run.
using NodeId = std::uint64_t;
inline constexpr NodeId kNoNode = 0;

class StatusSink {
 public:
  virtual ~StatusSink() = default;
  // `status`: the node status id (129..145) just written into the node.
  // `percent`: the progress of the download, 0 when only the status changed.
  virtual void OnNodeStatus(NodeId node, int status, int percent) = 0;
  // A failure the user must read (Windows-1251 text, shown in a message box by
  // the window): the poll went on without the step that failed.
  virtual void OnNodeMessage(NodeId /*node*/, const std::string& /*text*/) {}
};

}  // namespace zv
