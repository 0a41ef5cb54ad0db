#include "modem/hand_over_queue.h"

#include <QApplication>

namespace zv {

HandOverQueue::HandOverQueue(Worker worker, QObject* parent)
    : QObject(parent), worker_(std::move(worker)) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { Work(); });
}

void HandOverQueue::Push(std::vector<std::string> paths) {
  if (stopped_) return;
  blocks_.push_back(std::move(paths));
  if (!timer_.isActive()) timer_.start(0);
}

void HandOverQueue::Stop() {
  stopped_ = true;
  blocks_.clear();
  timer_.stop();
}

bool HandOverQueue::UserInterfaceBusy() {
  return QApplication::activeModalWidget() != nullptr ||
         QApplication::activePopupWidget() != nullptr;
}

void HandOverQueue::Work() {
  // A block being worked may open a message box, whose event loop runs this
  // timer again: the box makes the queue wait anyway, and the flag keeps the
  // blocks in order whatever else happens there.
  if (working_ || stopped_ || blocks_.empty()) return;
  if (UserInterfaceBusy()) {
    timer_.start(kRetryMs);
    return;
  }
  std::vector<std::string> paths = std::move(blocks_.front());
  blocks_.pop_front();
  working_ = true;
  worker_(paths);
  working_ = false;
  if (!blocks_.empty() && !stopped_) timer_.start(0);
}

}  // namespace zv
