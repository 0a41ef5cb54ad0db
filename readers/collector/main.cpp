// ZEVC: copies the files of the ZEVC data collector on a COM port.

#include <QApplication>
#include <climits>
#include <unistd.h>

#include "platform/paths.h"
#include "readers/collector/zevc_dlg.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ZEVC"));
  zv::CollectorJobSetup setup;
  // bins and archive-bins lie under the folder the program was started in.
  char cwd[PATH_MAX];
  setup.base = ::getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".";
  setup.converter_dir = zv::ProgramDir();
  CZEVC32Dlg dialog(setup);
  dialog.show();
  return app.exec();
}
