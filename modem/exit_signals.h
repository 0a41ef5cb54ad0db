#pragma once
// zv::ExitSignals: SIGTERM, SIGINT and SIGHUP turned into a call on the
// user-interface thread (the workstation then exits as through "Выход").
//
// The handler only writes the signal's number into a pipe (a self-pipe: a
// write is all a signal handler may safely do); a QSocketNotifier on the pipe's
// other end calls the function given. One object at a time; the destructor
// gives the three signals their default handling back.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace zv {

class ExitSignals : public QObject {
  Q_OBJECT

 public:
  // `on_signal` gets the signal's number.
  explicit ExitSignals(std::function<void(int)> on_signal, QObject* parent = nullptr);
  ~ExitSignals() override;
  ExitSignals(const ExitSignals&) = delete;
  ExitSignals& operator=(const ExitSignals&) = delete;

  // False when the pipe or the handlers could not be set up.
  bool ok() const { return ok_; }

 private:
  void OnReadable();

  std::function<void(int)> on_signal_;
  int fds_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
  bool ok_ = false;
};

}  // namespace zv
