// ZEVModem: the polling workstation. A group file given as the argument is
// opened.

#include <QApplication>
#include <QFileInfo>

#include "modem/exit_signals.h"
#include "modem/main_frame.h"
#include "modem/zev_modem_doc.h"
#include "modem/zev_modem_view.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ZEVModem"));
  Q_INIT_RESOURCE(modem);

  CZEVModemDoc document;
  CMainFrame frame(&document);
  if (!frame.Create()) return 1;
  zv::ExitSignals exit_signals([&frame](int) { frame.OnAppExit(); });
  frame.show();
  frame.GetActiveView()->OnInitialUpdate();
  for (int i = 1; i < argc; ++i) {
    const QByteArray path = QFile::encodeName(QFileInfo(QFile::decodeName(argv[i])).absoluteFilePath());
    if (!document.Open(path.toStdString())) return 1;
  }
  return app.exec();
}
