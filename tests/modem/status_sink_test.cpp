// The poll's report queue: reports from other threads arrive in order behind
// one wake-up event; a detached queue drops them.

#include <QCoreApplication>
#include <QObject>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "modem/qt_status_sink.h"

namespace {

class WakeUpCounter : public QObject {
 public:
  int wake_ups = 0;
  bool event(QEvent* event) override {
    if (event->type() == zv::StatusWakeUpEvent::EventType()) {
      ++wake_ups;
      return true;
    }
    return QObject::event(event);
  }
};

TEST(QtStatusSink, ReportsOfOtherThreadsComeInOrderBehindOneWakeUp) {
  WakeUpCounter receiver;
  zv::QtStatusSink sink(&receiver);
  std::thread worker([&] {
    for (int i = 0; i < 200; ++i) sink.OnNodeStatus(7, 130, i);
    sink.OnNodeMessage(8, "text");
  });
  std::thread sender([&] {
    for (int i = 0; i < 50; ++i) sink.OnNodeStatus(9, 131, i);
  });
  worker.join();
  sender.join();
  QCoreApplication::sendPostedEvents(&receiver);
  EXPECT_EQ(receiver.wake_ups, 1);
  int next7 = 0;
  int next9 = 0;
  bool message = false;
  while (std::optional<zv::NodeReport> r = sink.TakeNext()) {
    if (r->kind == zv::NodeReport::Kind::kMessage) {
      EXPECT_EQ(r->node, 8u);
      EXPECT_EQ(r->text, "text");
      EXPECT_EQ(next7, 200);  // after every status of its thread
      message = true;
    } else if (r->node == 7) {
      EXPECT_EQ(r->status, 130);
      EXPECT_EQ(r->percent, next7++);
    } else {
      EXPECT_EQ(r->node, 9u);
      EXPECT_EQ(r->percent, next9++);
    }
  }
  EXPECT_EQ(next7, 200);
  EXPECT_EQ(next9, 50);
  EXPECT_TRUE(message);

  // Emptied: the next report wakes the receiver again.
  sink.OnNodeStatus(7, 134, 0);
  QCoreApplication::sendPostedEvents(&receiver);
  EXPECT_EQ(receiver.wake_ups, 2);
}

TEST(QtStatusSink, ADetachedSinkDropsEverything) {
  WakeUpCounter receiver;
  zv::QtStatusSink sink(&receiver);
  sink.OnNodeStatus(1, 130, 5);
  sink.Detach();
  sink.OnNodeStatus(1, 134, 0);
  sink.OnNodeMessage(1, "x");
  EXPECT_FALSE(sink.TakeNext().has_value());
}

}  // namespace
