// The check of scripts/demo zevrs --check: ZEVRS's dialog, made as the program
// makes it, runs its hourly job against the demo's heat computer (the COM port
// and the settings are the demo's), and the check exits 0 only when the bins
// file was written under the name of the device number and the PC's minute,
// with the device's bytes, was given to the converter and moved to
// archive-bins.
//
//   zevrs_demo_check DEMO_FOLDER     (in the demo's work folder)

#include <QApplication>
#include <QPushButton>
#include <climits>
#include <ctime>
#include <unistd.h>

#include "platform/paths.h"
#include "readers/common/reader_flags.h"
#include "readers/rs/zevrs_dlg.h"
#include "tests/readers/demo_check.h"
#include "tests/sim/reader_demo.h"

namespace {

// The bins names ZEVRS may give a download from the demo's device that ran
// from `from` to `to` (one per minute).
std::set<std::string> NamesBetween(std::time_t from, std::time_t to) {
  std::set<std::string> names;
  for (std::time_t t = from - from % 60; t <= to; t += 60) {
    std::tm local{};
    ::localtime_r(&t, &local);
    char name[64];
    std::snprintf(name, sizeof name, "bins/%05d_%d-%02d-%02d_%02d-%02d.bin", zv::sim::kDemoHeatSerial,
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
    names.insert(name);
  }
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  if (!zv::demo::DemoFolderArgument(argc, argv)) return zv::demo::Usage("zevrs_demo_check");
  const std::string demo = argv[1];
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ZEVRS"));
  zv::DirectJobSetup setup;
  char cwd[PATH_MAX];
  if (::getcwd(cwd, sizeof cwd) == nullptr) return 1;
  const std::string work = cwd;
  setup.base = work;
  setup.converter_dir = zv::ProgramDir();
  CZEVRSDlg dialog(setup);
  dialog.show();

  zv::demo::Findings findings("zevrs demo check");
  const std::time_t started = std::time(nullptr);
  dialog.hourly_button()->click();
  findings.Expect(dialog.WorkerRunning() || !g_bIdle.load(), "the hourly job did not start");
  const bool ended = zv::demo::ProcessUntil([&] { return g_bIdle.load() && !dialog.WorkerRunning(); },
                                            std::chrono::seconds(120));
  zv::demo::ProcessFor(std::chrono::milliseconds(200));
  const std::time_t finished = std::time(nullptr);
  std::printf("zevrs demo check: the title at the end: %s\n", dialog.windowTitle().toUtf8().constData());
  if (!ended) {
    findings.Fail("the hourly job did not end within 120 s");
    return 1;
  }

  const std::set<std::string> archived = zv::demo::FileNames(work + "/archive-bins");
  findings.Expect(zv::demo::FileNames(work + "/bins").empty(), "files were left in bins");
  if (archived.size() != 1) {
    findings.Fail("archive-bins holds " + std::to_string(archived.size()) + " files, not one");
    return 1;
  }
  const std::string bins_name = "bins/" + *archived.begin();
  if (NamesBetween(started, finished).count(bins_name) == 0) findings.Fail("unexpected name " + bins_name);
  zv::sim::HeatComputer heat;
  zv::sim::FillDemoHeatComputer(heat);
  findings.ExpectArchivedAndConverted(work, demo, bins_name, zv::sim::DemoHourlyBinsBytes(heat));
  if (findings.failed()) return 1;
  std::printf("zevrs demo check: %s downloaded, converted and archived\n", bins_name.c_str());
  return 0;
}
