#include "readers/common/qt_reader_sink.h"

namespace zv {

QEvent::Type ReaderEvent::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void ReaderEventPoster::Post(std::unique_ptr<QEvent> event) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (receiver_ != nullptr) QCoreApplication::postEvent(receiver_, event.release());
}

void ReaderEventPoster::Detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  receiver_ = nullptr;
}

}  // namespace zv
