// The check of scripts/demo zevc --check: ZEVC's dialog, made as the program
// makes it, runs "Копировать все новые и очистить ZEVC" against the demo's
// collector (the COM port and the settings are the demo's), and the check
// exits 0 only when each of the collector's three files became a bins file
// named after its device number and clock, with its bytes, was given to the
// converter and moved to archive-bins, and the collector was cleared.
//
//   zevc_demo_check DEMO_FOLDER      (in the demo's work folder)

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <climits>
#include <unistd.h>

#include "platform/paths.h"
#include "readers/collector/zevc_dlg.h"
#include "tests/readers/demo_check.h"
#include "tests/sim/reader_demo.h"

int main(int argc, char** argv) {
  if (!zv::demo::DemoFolderArgument(argc, argv)) return zv::demo::Usage("zevc_demo_check");
  const std::string demo = argv[1];
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ZEVC"));
  zv::CollectorJobSetup setup;
  char cwd[PATH_MAX];
  if (::getcwd(cwd, sizeof cwd) == nullptr) return 1;
  const std::string work = cwd;
  setup.base = work;
  setup.converter_dir = zv::ProgramDir();
  CZEVC32Dlg dialog(setup);
  dialog.show();

  zv::demo::Findings findings("zevc demo check");
  dialog.copy_all_button()->click();
  const std::vector<zv::sim::DemoCollectorFile> files = zv::sim::DemoCollectorFiles();
  findings.Expect(dialog.JobsStarted() == 1, "the copy did not start (title: " +
                                                 dialog.windowTitle().toStdString() + ")");
  const bool ended = zv::demo::ProcessUntil(
      [&] {
        return dialog.JobsFinished() == dialog.JobsStarted() && !dialog.ClearPending() && !dialog.WorkerRunning();
      },
      std::chrono::seconds(120));
  std::printf("zevc demo check: the title at the end: %s\n", dialog.windowTitle().toUtf8().constData());
  if (!ended) {
    findings.Fail("the copy and the clear did not end within 120 s");
    return 1;
  }
  findings.Expect(dialog.JobsStarted() == 2, "no clear followed the copy");
  findings.Expect(dialog.windowTitle() == QStringLiteral("ZEVC - Считыватель очищен"), "the collector was not cleared");
  findings.Expect(dialog.list()->rowCount() == 0, "the list was not emptied");
  findings.Expect(zv::demo::FileNames(work + "/bins").empty(), "files were left in bins");
  findings.Expect(zv::demo::FileNames(work + "/archive-bins").size() == files.size(),
                  "archive-bins holds another number of files than the collector had");
  for (const zv::sim::DemoCollectorFile& file : files) {
    findings.ExpectArchivedAndConverted(work, demo, file.bins_name, zv::sim::DemoCollectorBinsBytes(file));
  }
  if (findings.failed()) return 1;
  std::printf("zevc demo check: %zu files copied, converted and archived; the collector cleared\n", files.size());
  return 0;
}
