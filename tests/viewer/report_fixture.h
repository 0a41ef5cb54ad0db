#pragma once
// The report tests' fixture: the table view's fixture with a printer that gives
// the print job its settings, the report recorded on a RecordingDevice or printed
// into a PDF file, and the sizes the report is expected to draw with.

#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPrinter>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "grid/print_driver.h"
#include "tests/grid/print_test_support.h"
#include "tests/grid/recording_device.h"
#include "tests/viewer/table_view_fixture.h"

namespace zv::test {

// The line height of Arial at a pixel size (the report's fonts are Arial of
// fixed heights: body 21, headings 24, in 0.1 mm).
inline int ArialHeight(int pixels, int weight = 400) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(pixels);
  font.setWeight(static_cast<QFont::Weight>(weight));
  return QFontMetrics(font).height();
}

class ReportTest : public TableViewTest {
 protected:
  ReportTest() {
    // A PDF printer is never asked about a printer system; this one is never
    // painted on, it only carries orientation and page range.
    settings.setOutputFormat(QPrinter::PdfFormat);
    settings.setOutputFileName(QString::fromStdString(dir.File("unused.pdf")));
  }

  void Landscape() { settings.setPageOrientation(QPageLayout::Landscape); }

  // The view's report drawn on the device as on a printer with the settings.
  bool Record(CTableView& view, RecordingDevice& device) {
    return PrintPagesOn(device, settings, view, nullptr, [&device] { device.NewPage(); });
  }

  // The view's report printed through its print command into a PDF file (A4
  // portrait, 10 mm margins); the text of its pages.
  std::vector<std::string> PrintPdf(CTableView& view, const std::string& name, int dpi = 1200) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdfPrinter(printer, dir.File(name), dpi);
    if (!view.PrintReport(printer)) return {};
    return PdfPages(dir.File(name));
  }

  // Deletes body rows from the middle of the view's table (the first and the
  // last two stay) until `count` are left.
  static void KeepBodyRows(CTableView& view, int count) {
    CViewerGridCtrl& grid = *view.GetGrid();
    while (grid.GetRowCount() - grid.GetFixedRowCount() > count) grid.DeleteRow(grid.GetFixedRowCount() + 1);
  }

  // The distinct values, sorted.
  template <typename Range, typename F>
  static std::vector<double> Distinct(const Range& items, F value) {
    std::set<double> s;
    for (const auto& item : items) s.insert(value(item));
    return std::vector<double>(s.begin(), s.end());
  }

  QPrinter settings{QPrinter::HighResolution};
};

}  // namespace zv::test
