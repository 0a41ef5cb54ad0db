#pragma once
// A thread-safe StatusSink for tests: keeps every report in order and lets the
// test wait (with a generous bound) until the reports it expects have come.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "links/status_sink.h"

namespace zv::sim {

struct StatusEvent {
  NodeId node;
  int status;
  int percent;
  bool operator==(const StatusEvent&) const = default;
};

class StatusRecorder final : public StatusSink {
 public:
  void OnNodeStatus(NodeId node, int status, int percent) override;
  void OnNodeMessage(NodeId node, const std::string& text) override;

  std::vector<StatusEvent> events() const;
  // The messages in the order reported (node id, text).
  std::vector<std::pair<NodeId, std::string>> messages() const;
  // The status ids in the order reported.
  std::vector<int> statuses() const;
  // Waits until `done` holds for the reports so far; false when the bound passed.
  bool WaitUntil(const std::function<bool(const std::vector<StatusEvent>&)>& done,
                 std::chrono::milliseconds bound = std::chrono::seconds(20)) const;
  // Waits until `status` has been reported.
  bool WaitForStatus(int status, std::chrono::milliseconds bound = std::chrono::seconds(20)) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<StatusEvent> events_;
  std::vector<std::pair<NodeId, std::string>> messages_;
};

}  // namespace zv::sim
