// The start check of scripts/start-viewer: starts the viewer as its program does
// on the node file given, on the platform the environment names (offscreen in
// the script), and exits 0 only when the file's window shows the hourly table
// with the rows of the default viewing period: a row of its first day, a row of
// its last day, at least one a hour in between. Prints what it found.
//
//   viewer_start_check FILE.zev

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <string>

#include "platform/cp1251.h"
#include "viewer/main_frame.h"
#include "viewer/table_view.h"
#include "viewer/view_app.h"
#include "viewer/viewer_grid_ctrl.h"

namespace {

int Fail(const char* what) {
  std::fprintf(stderr, "viewer start check: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return Fail("usage: viewer_start_check FILE.zev");
  QApplication qt(argc, argv);
  CZEVViewApp app;
  if (!app.InitInstance({QString::fromLocal8Bit(argv[1])})) return Fail("the file did not open");
  CMainFrame& frame = *app.MainFrame();
  const CTableView* view = frame.ActiveView();
  if (view == nullptr || view->GetGrid() == nullptr) return Fail("no window shows the file");
  if (view->GetShowType() != CTableView::kHourly) return Fail("the window does not show the hourly table");

  const CViewerGridCtrl& grid = *view->GetGrid();
  const std::string first = frame.m_begin.Format(false), last = frame.m_end.Format(false);
  bool hasFirst = false, hasLast = false;
  int rows = 0;
  for (int row = grid.GetFixedRowCount(); row < grid.GetRowCount(); ++row) {
    const std::string text = zv::Cp1251ToUtf8(grid.GetItemText(row, 0));
    if (text.rfind(first, 0) == 0) hasFirst = true;
    if (text.rfind(last, 0) == 0) hasLast = true;
    ++rows;
  }
  std::printf("viewer start check: %s, %d rows from %s to %s\n", frame.windowTitle().toUtf8().constData(), rows,
              first.c_str(), last.c_str());
  const int days = frame.m_end.Difference(frame.m_begin, DateStamp::kDay);
  if (!hasFirst || !hasLast || rows < 24 * days) return Fail("the rows do not cover the viewing period");
  return 0;
}
