#pragma once
// zv::HandOverQueue: the blocks of later starts, waiting to be worked on the
// user-interface thread. A block is worked only while no modal dialog, message
// box or menu is open (its files would otherwise open under the user's hands,
// or inside the event loop of a box that is waiting for an answer); until then
// it waits, and the queue looks again a little later. Blocks are worked one at
// a time, in the order they came, an empty one as well (it only brings the
// window to the front).

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zv {

class HandOverQueue : public QObject {
 public:
  using Worker = std::function<void(const std::vector<std::string>& paths)>;

  explicit HandOverQueue(Worker worker, QObject* parent = nullptr);

  void Push(std::vector<std::string> paths);
  // Blocks still waiting.
  std::size_t Pending() const { return blocks_.size(); }
  // Nothing more is worked (the program is ending); waiting blocks are dropped.
  void Stop();

  // True while a modal dialog, a message box or a menu is open.
  static bool UserInterfaceBusy();

  // How long a block waits before the queue looks again.
  static constexpr int kRetryMs = 100;

 private:
  void Work();

  Worker worker_;
  std::deque<std::vector<std::string>> blocks_;
  QTimer timer_;
  bool working_ = false;
  bool stopped_ = false;
};

}  // namespace zv
