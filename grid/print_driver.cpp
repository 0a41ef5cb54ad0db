#include "grid/print_driver.h"

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>

namespace zv {

namespace {

// The page's starting state: no mapping, no clipping, the whole drawing area.
void StartPage(QPainter& painter, CDC& dc, PrintInfo& info) {
  painter.resetTransform();
  painter.setClipping(false);
  dc.SetMapMode(MM_TEXT);
  dc.SetWindowOrg(0, 0);
  dc.PainterChanged();
  info.m_rectDraw = CRect(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
}

}  // namespace

bool PrintPages(QPrinter& printer, PrintClient& client, void* userData) {
  return PrintPagesOn(printer, printer, client, userData, [&printer] { printer.newPage(); });
}

bool PrintPagesOn(QPaintDevice& device, QPrinter& printer, PrintClient& client, void* userData,
                  const std::function<void()>& newPage) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  CDC dc(&painter, true);
  dc.SetMonochrome(printer.colorMode() == QPrinter::GrayScale);
  PrintInfo info;
  info.m_lpUserData = userData;
  info.m_pPrinter = &printer;
  StartPage(painter, dc, info);

  client.OnBeginPrinting(&dc, &info);
  int first = 1;
  int last = static_cast<int>(info.GetMaxPage());
  if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
    first = std::max(first, printer.fromPage());
    if (printer.toPage() > 0) last = std::min(last, printer.toPage());
  }
  for (int page = first; page <= last; ++page) {
    if (page > first) newPage();
    StartPage(painter, dc, info);
    info.m_nCurPage = static_cast<UINT>(page);
    client.OnPrint(&dc, &info);
  }
  client.OnEndPrinting(&dc, &info);
  painter.end();
  return true;
}

int ShowPrintPreview(QPrinter& printer, PrintClient& client, void* userData, QWidget* parent) {
  QPrintPreviewDialog dialog(&printer, parent);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [&client, userData](QPrinter* target) { PrintPages(*target, client, userData); });
  return dialog.exec();
}

}  // namespace zv
