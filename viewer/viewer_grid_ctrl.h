#pragma once
// CViewerGridCtrl: the grid of the viewer's tables. It differs from the grid of
// the workstation where the tables rely on it:
// - a new cell below row 0 takes the format of the cell directly above it, so
//   rows appended under centred heading rows come out centred, and under
//   left-aligned ones left-aligned;
// - a font given to the grid sets its margin (one blank) and the default row
//   height and column width from the font's metrics. Cells keep no font of their
//   own: every cell reads the default cells' font, which is the grid's current
//   font, so a new font reaches every cell without touching millions of them;
// - AutoSizeColumns sizes every column, hidden ones too, to its widest text (the
//   fixed rows and columns measured semi-bold) plus four margins; rows stay;
// - a copy takes every row and column of the selection's bounds, hidden ones too,
//   " " for a selected empty cell, lines ended by "\n" alone;
// - a right click leaves selection and focus as they are and only asks the
//   parent for its context menu;
// - it prints the viewer's report (viewer/report_printer.h) in place of the
//   grid's table: the print job's user data is the printing view's
//   zv::ReportSource.

#include <memory>
#include <string>

#include "grid/grid_ctrl.h"

namespace zv {
class ReportPrinter;
}

class CViewerGridCtrl : public CGridCtrl {
  Q_OBJECT

 public:
  explicit CViewerGridCtrl(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);
  ~CViewerGridCtrl() override;

  // The style is not used: all rows count.
  void AutoSizeColumns(int nAutoSizeStyle = 0) override;
  QMimeData* CopySelectionText() override;

  // The margin the current font gave (the width of one blank).
  int GetMargin() const;

  // The report's print operations (viewer/report_printer.h).
  void OnBeginPrinting(CDC* pDC, PrintInfo* pInfo) override;
  void OnPrint(CDC* pDC, PrintInfo* pInfo) override;
  void OnEndPrinting(CDC* pDC, PrintInfo* pInfo) override;
  void PrintHeader(CDC* pDC, PrintInfo* pInfo) override;
  void PrintFooter(CDC* pDC, PrintInfo* pInfo) override;
  int PrintDataPageHeader(CDC* pDC, PrintInfo* pInfo);
  int PrintSettingsPage(CDC* pDC, PrintInfo* pInfo);
  int PrintPeriodReadings(CDC* pDC, PrintInfo* pInfo);
  // The fixed rows of the report's pages; answers where the body rows start.
  int PrintHeadingRows(CDC* pDC, PrintInfo* pInfo);
  void PrintCell(CDC* pDC, int nRow, int nCol, const CRect& rect);
  void PrintHeaderCell(CDC* pDC, int nRow, int nCol, const CRect& rect);
  void PrintCellFrame(CDC* pDC, bool notFirstRow, bool notFirstColumn, const CRect& rect);
  // The report's print state (fonts, page size, page map) between begin and end.
  const zv::ReportPrinter& Report() const { return *m_pReport; }

 protected:
  CGridCellBase* CreateCell(int nRow, int nCol) override;
  void OnSetFont(const LOGFONT* plf) override;
  void OnRButtonUp(CPoint point, Qt::KeyboardModifiers modifiers) override;

 private:
  std::unique_ptr<zv::ReportPrinter> m_pReport;
};
