#pragma once
// The Qt side of zv::ReaderSink: every report of the worker becomes a posted
// ReaderEvent for the dialog, so the worker never touches a widget and never
// waits for the dialog. Texts are copied into the event.
//
// QtReaderSink<Base> implements Base's reader reports (Base is ReaderSink or a
// program's own sink derived from it, which adds its reports through Post).
// The dialog detaches the sink before it goes (after it joined the worker);
// reports after that are dropped.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "readers/common/reader_sink.h"

namespace zv {

// Reports that are not link events.
inline constexpr int kReaderJobFinished = -1;

class ReaderEvent : public QEvent {
 public:
  static QEvent::Type EventType();
  ReaderEvent(int code, std::int64_t value, QString text = {})
      : QEvent(EventType()), code(code), value(value), text(std::move(text)) {}
  const int code;
  const std::int64_t value;
  const QString text;
};

// Posts events to one receiver, from any thread.
class ReaderEventPoster {
 public:
  explicit ReaderEventPoster(QObject* receiver) : receiver_(receiver) {}
  void Post(std::unique_ptr<QEvent> event);
  void Detach();

 private:
  std::mutex mutex_;
  QObject* receiver_;
};

template <class Base = ReaderSink>
class QtReaderSink : public Base {
 public:
  explicit QtReaderSink(QObject* receiver) : poster_(receiver) {}
  void OnLinkEvent(int code, std::int64_t value) override {
    Post(std::make_unique<ReaderEvent>(code, value));
  }
  void OnLinkText(std::u16string text) override {
    Post(std::make_unique<ReaderEvent>(kLinkEventText, 0,
                                       QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()))));
  }
  void OnJobFinished() override { Post(std::make_unique<ReaderEvent>(kReaderJobFinished, 0)); }
  void Detach() { poster_.Detach(); }

 protected:
  void Post(std::unique_ptr<QEvent> event) { poster_.Post(std::move(event)); }

 private:
  ReaderEventPoster poster_;
};

}  // namespace zv
