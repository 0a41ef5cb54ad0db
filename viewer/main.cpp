// ZEVView: the viewer of node files. An optional argument names the file to open.

#include <QApplication>
#include <QStringList>

#include "viewer/program_icon.h"
#include "viewer/view_app.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setWindowIcon(ProgramIcon());
  CZEVViewApp app;
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  if (!app.InitInstance(arguments)) return 1;
  return QApplication::exec();
}
