// ZEVModem: the polling workstation. One instance runs per user: a later start
// hands its files (group or node files) to the running one and ends.

#include <QApplication>
#include <csignal>
#include <string>
#include <vector>

#include "modem/exit_signals.h"
#include "modem/main_frame.h"
#include "modem/modem_start.h"
#include "modem/shared_memory.h"
#include "modem/zevmodem_app.h"

int main(int argc, char** argv) {
  // Before Qt, in plain POSIX: the file names made absolute (the program
  // changes to its own folder later), then the instance lock.
  const std::vector<std::string> paths = zv::CommandLinePaths(argc, argv, zv::CurrentDirectory());
  // A later start whose running instance has gone away must not die on the
  // socket; every write checks its result instead.
  std::signal(SIGPIPE, SIG_IGN);
  CSharedMemory channel;
  switch (zv::StartInstance(channel, paths)) {
    case zv::InstanceStart::kHandedOver:
      return 0;
    case zv::InstanceStart::kFailed:
      return 1;
    case zv::InstanceStart::kFirst:
      break;
  }

  QApplication qt(argc, argv);
  Q_INIT_RESOURCE(modem);
  CZEVModemApp app(channel, paths);
  if (!app.InitInstance()) return 1;
  zv::ExitSignals exit_signals([&app](int) { app.frame()->OnAppExit(); });
  return qt.exec();
}
