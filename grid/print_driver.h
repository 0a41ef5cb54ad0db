#pragma once
// The print loop of the programs: a view's print operations are called for one job,
// begin, then every page with a new page between them, then end, on a painter over a
// QPrinter. The same loop draws a printer's pages, a PDF file and the pages of the
// print preview dialog.

#include <functional>

#include "grid/gdi_dc.h"
#include "grid/gdi_types.h"

class QPaintDevice;
class QPrinter;
class QWidget;

// What the print operations of one job share: the page being printed, how many
// there are, where a page draws, and the caller's own data (the viewer's document).
class PrintInfo {
 public:
  // The page being printed, from 1.
  UINT m_nCurPage = 1;
  // The drawing area of the page: set to the device's drawing area before every
  // page; the printing code narrows it down to the band it is about to draw.
  CRect m_rectDraw;
  // The caller's data for the job, handed through unchanged.
  void* m_lpUserData = nullptr;
  // The printer of the job (orientation, resolution, page set-up); never null
  // during a job.
  QPrinter* m_pPrinter = nullptr;

  // The last page of the job; the begin operation sets it.
  void SetMaxPage(UINT page) { m_nMaxPage = page; }
  UINT GetMaxPage() const { return m_nMaxPage; }

 private:
  UINT m_nMaxPage = 1;
};

namespace zv {

// The print operations of a view (the grid's, or the viewer's report code behind them).
class PrintClient {
 public:
  virtual ~PrintClient() = default;
  // Before the first page: fonts, layout and the page count (PrintInfo::SetMaxPage).
  virtual void OnBeginPrinting(CDC* pDC, PrintInfo* pInfo) = 0;
  // One page, PrintInfo::m_nCurPage.
  virtual void OnPrint(CDC* pDC, PrintInfo* pInfo) = 0;
  // After the last page.
  virtual void OnEndPrinting(CDC* pDC, PrintInfo* pInfo) = 0;
};

// Prints the job on the printer: begin, the pages from 1 to the maximum page (or
// the printer's page range where one is chosen, within those), end. Each page starts
// with one logical unit per device pixel and the origin at the top-left corner of the
// printable area. False when the printer cannot be painted on (nothing is called).
bool PrintPages(QPrinter& printer, PrintClient& client, void* userData = nullptr);

// The same job drawn on another device that stands in for the printer (a test's
// recording device): the printer gives the job its settings (page range,
// orientation, colour mode) and is never painted on; `newPage` starts each page
// after the first.
bool PrintPagesOn(QPaintDevice& device, QPrinter& printer, PrintClient& client, void* userData,
                  const std::function<void()>& newPage);

// The print preview dialog over the printer, its pages drawn by PrintPages; answers
// the dialog's result (QDialog::Accepted when the user printed from it).
int ShowPrintPreview(QPrinter& printer, PrintClient& client, void* userData = nullptr, QWidget* parent = nullptr);

}  // namespace zv
