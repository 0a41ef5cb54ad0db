#include "tests/sim/status_recorder.h"

#include <algorithm>

namespace zv::sim {

void StatusRecorder::OnNodeStatus(NodeId node, int status, int percent) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back({node, status, percent});
  }
  changed_.notify_all();
}

void StatusRecorder::OnNodeMessage(NodeId node, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  messages_.emplace_back(node, text);
}

std::vector<std::pair<NodeId, std::string>> StatusRecorder::messages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return messages_;
}

std::vector<StatusEvent> StatusRecorder::events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

std::vector<int> StatusRecorder::statuses() const {
  std::vector<int> out;
  for (const StatusEvent& e : events()) out.push_back(e.status);
  return out;
}

bool StatusRecorder::WaitUntil(const std::function<bool(const std::vector<StatusEvent>&)>& done,
                               std::chrono::milliseconds bound) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, bound, [&] { return done(events_); });
}

bool StatusRecorder::WaitForStatus(int status, std::chrono::milliseconds bound) const {
  return WaitUntil(
      [status](const std::vector<StatusEvent>& events) {
        return std::any_of(events.begin(), events.end(), [status](const StatusEvent& e) { return e.status == status; });
      },
      bound);
}

}  // namespace zv::sim
