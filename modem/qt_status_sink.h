#pragma once
// zv::QtStatusSink: the poll's reports (StatusSink) carried to the main frame.
//
// The worker (and, during a GSM download, its request sender) calls OnNodeStatus
// and OnNodeMessage on its own thread. Each report is appended to a queue under a
// mutex; the report that finds the queue empty posts one wake-up event
// (StatusWakeUpEvent) to the receiver, which then takes the reports in their
// order with TakeNext until none is left. So the worker never waits for the
// window, never touches it, and no report is ever merged or reordered.
//
// Detach (from the user-interface thread, before the receiver goes) drops every
// report from then on; a wake-up event already posted is removed with the
// receiver by Qt.

#include <QEvent>
#include <QObject>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "links/status_sink.h"

namespace zv {

// One report of the poll.
struct NodeReport {
  enum class Kind { kStatus, kMessage };
  Kind kind = Kind::kStatus;
  NodeId node = kNoNode;
  int status = 0;      // kStatus: the status id written into the node
  int percent = 0;     // kStatus: the progress, 0 when none
  std::string text;    // kMessage: Windows-1251
};

// Posted to the receiver when a report arrives on an empty queue.
class StatusWakeUpEvent : public QEvent {
 public:
  static QEvent::Type EventType();
  StatusWakeUpEvent() : QEvent(EventType()) {}
};

class QtStatusSink final : public StatusSink {
 public:
  explicit QtStatusSink(QObject* receiver) : receiver_(receiver) {}
  QtStatusSink(const QtStatusSink&) = delete;
  QtStatusSink& operator=(const QtStatusSink&) = delete;

  void OnNodeStatus(NodeId node, int status, int percent) override;
  void OnNodeMessage(NodeId node, const std::string& text) override;

  // The oldest report not yet taken, or none.
  std::optional<NodeReport> TakeNext();
  // Reports are dropped from now on (and those waiting are discarded).
  void Detach();

 private:
  void Append(NodeReport report);

  std::mutex mutex_;
  QObject* receiver_;  // null once detached
  std::deque<NodeReport> queue_;
};

}  // namespace zv
