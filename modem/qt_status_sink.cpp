#include "modem/qt_status_sink.h"

#include <QCoreApplication>

namespace zv {

QEvent::Type StatusWakeUpEvent::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void QtStatusSink::OnNodeStatus(NodeId node, int status, int percent) {
  NodeReport report;
  report.node = node;
  report.status = status;
  report.percent = percent;
  Append(std::move(report));
}

void QtStatusSink::OnNodeMessage(NodeId node, const std::string& text) {
  NodeReport report;
  report.kind = NodeReport::Kind::kMessage;
  report.node = node;
  report.text = text;
  Append(std::move(report));
}

void QtStatusSink::Append(NodeReport report) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (receiver_ == nullptr) return;
  const bool wake = queue_.empty();
  queue_.push_back(std::move(report));
  // Posting is thread-safe; the receiver lives as long as the sink is attached.
  if (wake) QCoreApplication::postEvent(receiver_, new StatusWakeUpEvent);
}

std::optional<NodeReport> QtStatusSink::TakeNext() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (queue_.empty()) return std::nullopt;
  NodeReport report = std::move(queue_.front());
  queue_.pop_front();
  return report;
}

void QtStatusSink::Detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  receiver_ = nullptr;
  queue_.clear();
}

}  // namespace zv
