#pragma once
// Answering a modal dialog in a test: a timer waits for the dialog to run
// modally and hands it to the answer once.

#include <QApplication>
#include <QTimer>
#include <functional>

namespace zv::test {

// Runs `run`, which opens a modal Dialog, and calls `act` on it once it shows;
// true when it did.
template <typename Dialog>
bool AnswerModal(const std::function<void()>& run, const std::function<void(Dialog&)>& act) {
  bool acted = false;
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (d == nullptr || acted) return;
    acted = true;
    act(*d);
  });
  timer.start();
  run();
  return acted;
}

}  // namespace zv::test
