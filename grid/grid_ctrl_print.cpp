// Printing: the printer font and the paper layout of a job, and each page's header
// band, heading rows, fixed columns, body rows and footer band.
//
// The page is drawn in the grid's own pixel sizes: the window extent is the paper
// size in those units, the viewport extent the printable area in device pixels.
// Cells print in their screen fonts, whose pixel sizes are logical units here, so
// text scales with the table and nothing is scaled twice.

#include <QGuiApplication>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <optional>
#include <vector>

#include "grid/grid_ctrl.h"
#include "grid/print_driver.h"
#include "grid/print_layout.h"
#include "platform/qt/qt_text.h"
#include "platform/str_format.h"

namespace {

// The 52 letters whose extent gives the printer font's average character width.
constexpr char kCharSizeSample[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ";
constexpr int kCharSizeLetters = 52;

// a x b / c, rounded to the nearest; 0 for a divisor of 0.
int MulDiv(int a, int b, int c) {
  if (c == 0) return 0;
  return static_cast<int>(std::llround(static_cast<double>(a) * b / c));
}

void Line(CDC* pDC, int x1, int y1, int x2, int y2) {
  pDC->MoveTo(x1, y1);
  pDC->LineTo(x2, y2);
}

// The printer font made bold, for the header and the footer.
void MakeBold(const CFont& font, CFont& bold) {
  LOGFONT lf = font.GetLogFont();
  lf.lfWeight = FW_BOLD;
  bold.CreateFontIndirect(lf);
}

// The date and time of printing in the user's locale.
std::string PrintTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[128];
  const size_t length = std::strftime(text, sizeof(text), "%c", &local);
  return zv::QToCp1251(QString::fromLocal8Bit(text, static_cast<qsizetype>(length)));
}

bool HorizontalLines(int gridLines) { return gridLines == GVL_HORZ || gridLines == GVL_BOTH; }
bool VerticalLines(int gridLines) { return gridLines == GVL_VERT || gridLines == GVL_BOTH; }

// The line along a printed cell's bottom and, where one is asked for, a line at
// topY above it. Except in column 0 they start one unit left, on the line of the
// cell before.
void RowLines(CDC* pDC, const CRect& r, int col, std::optional<int> topY) {
  const int o = col == 0 ? 0 : 1;
  Line(pDC, r.left - o, r.bottom, r.right, r.bottom);
  if (topY) Line(pDC, r.left - o, *topY, r.right, *topY);
}

// The line along a printed cell's right edge from `up` units above its top and,
// where one is asked for, the same line at leftX.
void ColumnLines(CDC* pDC, const CRect& r, int up, std::optional<int> leftX) {
  Line(pDC, r.right, r.top - up, r.right, r.bottom);
  if (leftX) Line(pDC, *leftX, r.top - up, *leftX, r.bottom);
}

// The body cells of rows [firstRow, endRow) and columns [firstCol, endCol) with their
// grid lines; logical (0, 0) is the top-left corner of the first cell.
void PrintBodyCells(CGridCtrl& grid, CDC* pDC, int firstRow, int endRow, int firstCol, int endCol) {
  const bool horizontal = HorizontalLines(grid.GetGridLines());
  const bool vertical = VerticalLines(grid.GetGridLines());
  CRect rect;
  rect.bottom = -1;
  bool firstPrinted = true;
  for (int row = firstRow; row < endRow; ++row) {
    const int height = grid.GetRowHeight(row);
    if (height <= 0) continue;
    rect.top = rect.bottom + 1;
    rect.bottom = rect.top + height - 1;
    rect.right = -1;
    for (int col = firstCol; col < endCol; ++col) {
      const int width = grid.GetColumnWidth(col);
      if (width <= 0) continue;
      rect.left = rect.right + 1;
      rect.right = rect.left + width - 1;
      if (CGridCellBase* cell = grid.GetCell(row, col)) cell->PrintCell(pDC, row, col, rect);
      if (horizontal) RowLines(pDC, rect, col, row == 0 ? std::optional<int>(rect.top) : std::nullopt);
      if (vertical)
        ColumnLines(pDC, rect, firstPrinted ? 0 : 1, col == 0 ? std::optional<int>(rect.left) : std::nullopt);
    }
    firstPrinted = false;
  }
}

// The grid's pages for the room left on one page for body rows and non-fixed columns.
zv::PrintLayout PrintLayoutOf(const CGridCtrl& grid, int pageHeight, int pageWidth, bool splitAcross) {
  std::vector<int> heights(static_cast<size_t>(grid.GetRowCount()));
  for (int row = 0; row < grid.GetRowCount(); ++row) heights[static_cast<size_t>(row)] = grid.GetRowHeight(row);
  std::vector<int> widths(static_cast<size_t>(grid.GetColumnCount()));
  for (int col = 0; col < grid.GetColumnCount(); ++col) widths[static_cast<size_t>(col)] = grid.GetColumnWidth(col);
  return zv::PrintLayout(heights, grid.GetFixedRowCount(), widths, grid.GetFixedColumnCount(), pageHeight, pageWidth,
                         splitAcross);
}

// The title of the window that holds the grid: the nearest ancestor with one.
std::string HolderTitle(const QWidget* grid) {
  for (const QWidget* w = grid->parentWidget(); w != nullptr; w = w->parentWidget()) {
    if (!w->windowTitle().isEmpty()) return zv::QToCp1251(w->windowTitle());
  }
  return std::string();
}

constexpr UINT kBandText = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

}  // namespace

void CGridCtrl::SetPrintMargins(int nHeaderHeight, int nFooterHeight, int nLeftMargin, int nRightMargin, int nTopMargin,
                                int nBottomMargin, int nGap) {
  if (nHeaderHeight >= 0) m_nHeaderHeight = nHeaderHeight;
  if (nFooterHeight >= 0) m_nFooterHeight = nFooterHeight;
  if (nLeftMargin >= 0) m_nLeftMargin = nLeftMargin;
  if (nRightMargin >= 0) m_nRightMargin = nRightMargin;
  if (nTopMargin >= 0) m_nTopMargin = nTopMargin;
  if (nBottomMargin >= 0) m_nBottomMargin = nBottomMargin;
  if (nGap >= 0) m_nGap = nGap;
}

void CGridCtrl::OnBeginPrinting(CDC* pDC, PrintInfo* pInfo) {
  if (pDC == nullptr || pInfo == nullptr) return;
  const CSize printerDpi(pDC->GetDeviceCaps(LOGPIXELSX), pDC->GetDeviceCaps(LOGPIXELSY));
  const CSize screenDpi(logicalDpiX(), logicalDpiY());

  m_PrinterFont.CreateFont(-10, 0, 0, 0, FW_NORMAL, false, false, false, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                           CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
  CFont* oldFont = pDC->SelectObject(&m_PrinterFont);
  const CSize sample = pDC->GetTextExtent(std::string(kCharSizeSample, kCharSizeLetters));
  m_CharSize = CSize(sample.cx / kCharSizeLetters, sample.cy);
  const int sideMargins = (m_nLeftMargin + m_nRightMargin) * m_CharSize.cx;

  m_LogicalPageSize = CSize(pDC->GetDeviceCaps(HORZRES), pDC->GetDeviceCaps(VERTRES));
  if (m_bWysiwygPrinting) {
    // Screen pixels keep their physical size, then three quarters of it.
    m_PaperSize.cx = printerDpi.cx > 0 ? screenDpi.cx * m_LogicalPageSize.cx / printerDpi.cx * 3 / 4 : 0;
    m_PaperSize.cy = printerDpi.cy > 0 ? screenDpi.cy * m_LogicalPageSize.cy / printerDpi.cy * 3 / 4 : 0;
  } else {
    // The whole table's width across the paper, the height in the paper's proportion.
    m_PaperSize.cx = GetTotalWidth() + sideMargins;
    m_PaperSize.cy = MulDiv(m_PaperSize.cx, m_LogicalPageSize.cy, m_LogicalPageSize.cx);
  }
  m_nPageHeight =
      m_PaperSize.cy - GetFixedRowHeight() - (m_nHeaderHeight + m_nFooterHeight + 2 * m_nGap) * m_CharSize.cy;
  m_nPageWidth = m_PaperSize.cx - GetFixedColumnWidth() - sideMargins;

  const zv::PrintLayout layout = PrintLayoutOf(*this, m_nPageHeight, m_nPageWidth, m_bWysiwygPrinting);
  m_nPageMultiplier = layout.PagesAcross();
  m_nNumPages = layout.PageCount();
  pInfo->SetMaxPage(static_cast<UINT>(m_nNumPages));
  pInfo->m_nCurPage = 1;
  pDC->SelectObject(oldFont);
}

void CGridCtrl::OnPrint(CDC* pDC, PrintInfo* pInfo) {
  if (pDC == nullptr || pInfo == nullptr) return;
  CFont* oldFont = pDC->SelectObject(&m_PrinterFont);
  const int leftMargin = m_nLeftMargin * m_CharSize.cx;
  const int sideMargins = (m_nLeftMargin + m_nRightMargin) * m_CharSize.cx;
  const int headerHeight = m_nHeaderHeight * m_CharSize.cy;
  const int footerHeight = m_nFooterHeight * m_CharSize.cy;
  const int fixedHeight = GetFixedRowHeight();
  const int fixedWidth = GetFixedColumnWidth();

  pDC->SetMapMode(MM_ANISOTROPIC);
  pDC->SetWindowExt(m_PaperSize.cx, m_PaperSize.cy);
  pDC->SetViewportExt(m_LogicalPageSize.cx, m_LogicalPageSize.cy);
  pDC->SetWindowOrg(-leftMargin, 0);

  pInfo->m_rectDraw.SetRect(0, 0, m_PaperSize.cx - sideMargins, headerHeight);
  PrintHeader(pDC, pInfo);

  // Logical y 0 below the header band, the gap and the heading rows.
  pDC->OffsetWindowOrg(0, -headerHeight);
  pDC->OffsetWindowOrg(0, -m_nGap * m_CharSize.cy);
  pDC->OffsetWindowOrg(0, -fixedHeight);

  const zv::PrintPage page =
      PrintLayoutOf(*this, m_nPageHeight, m_nPageWidth, m_bWysiwygPrinting).Page(static_cast<int>(pInfo->m_nCurPage));
  m_nCurrPrintRow = page.rows.first;
  m_nPrintRowEnd = page.rows.end;
  m_nPrintColumn = page.cols.first;
  m_nPrintColumnEnd = page.cols.end;

  // The table ends at the page's room: a row taller than the page, or a column wider
  // than it, printed alone on its page, is cut off there.
  QPainter* painter = pDC->GetPainter();
  if (painter != nullptr) {
    painter->setClipRect(QRect(-1, -fixedHeight - 1, fixedWidth + m_nPageWidth + 2, fixedHeight + m_nPageHeight + 2));
  }

  PrintRowHeadings(pDC, pInfo);

  // Back to the top of the heading rows for the headings.
  pInfo->m_rectDraw.bottom = fixedHeight;
  pDC->OffsetWindowOrg(0, fixedHeight);
  if (m_nPrintColumn == m_nFixedCols) {
    // The first slice prints its headings from column 0, the corner included.
    const int firstColumn = m_nPrintColumn;
    m_nPrintColumn = 0;
    PrintColumnHeadings(pDC, pInfo);
    m_nPrintColumn = firstColumn;
  } else {
    PrintColumnHeadings(pDC, pInfo);
  }
  // Logical (0, 0) at the top-left of the body cells, right of the fixed columns.
  pDC->OffsetWindowOrg(-fixedWidth, -fixedHeight);

  // A page past the last row (a grid of heading rows only) ends with its headings.
  const bool hasRows = m_nCurrPrintRow < m_nRows;
  if (hasRows) {
    PrintBodyCells(*this, pDC, m_nCurrPrintRow, m_nPrintRowEnd, m_nPrintColumn, m_nPrintColumnEnd);
    m_nCurrPrintRow = m_nPrintRowEnd;
  }
  if (painter != nullptr) painter->setClipping(false);
  if (!hasRows) {
    pDC->SetWindowOrg(0, 0);
    pDC->SelectObject(oldFont);
    return;
  }

  // The footer band at the foot of the paper.
  pInfo->m_rectDraw.bottom = footerHeight;
  pDC->SetWindowOrg(-leftMargin, footerHeight - m_PaperSize.cy);
  PrintFooter(pDC, pInfo);
  pDC->SetWindowOrg(0, 0);
  pDC->SelectObject(oldFont);
}

void CGridCtrl::OnEndPrinting(CDC* pDC, PrintInfo* pInfo) {
  (void)pDC;
  (void)pInfo;
  m_PrinterFont.DeleteObject();
}

void CGridCtrl::PrintColumnHeadings(CDC* pDC, PrintInfo* pInfo) {
  (void)pInfo;
  if (pDC == nullptr) return;
  CFont* oldFont = pDC->SelectObject(&m_PrinterFont);
  // Only the first heading row gets the left edge line.
  bool first = true;
  CRect rect;
  rect.bottom = -1;
  for (int row = 0; row < m_nFixedRows; ++row) {
    const int height = GetRowHeight(row);
    if (height <= 0) continue;
    rect.top = rect.bottom + 1;
    rect.bottom = rect.top + height - 1;
    rect.right = -1;
    if (m_nPrintColumn >= m_nFixedCols) {
      // Every slice carries the corner cells.
      const bool keep = first;
      PrintFixedRowCells(0, m_nFixedCols, row, rect, pDC, first);
      first = keep;
    }
    PrintFixedRowCells(m_nPrintColumn, m_nPrintColumnEnd, row, rect, pDC, first);
  }
  pDC->SelectObject(oldFont);
}

void CGridCtrl::PrintFixedRowCells(int nStartColumn, int nStopColumn, int& row, CRect& rect, CDC* pDC, bool& bFirst) {
  if (pDC == nullptr) return;
  CFont* oldFont = pDC->SelectObject(&m_PrinterFont);
  const bool horizontal = HorizontalLines(m_nGridLines);
  const bool vertical = VerticalLines(m_nGridLines);
  for (int col = std::max(nStartColumn, 0); col < nStopColumn && col < m_nCols; ++col) {
    const int width = GetColumnWidth(col);
    if (width <= 0) continue;
    rect.left = rect.right + 1;
    rect.right = rect.left + width - 1;
    if (CGridCellBase* cell = GetCell(row, col)) cell->PrintCell(pDC, row, col, rect);
    if (horizontal) RowLines(pDC, rect, col, row == 0 ? std::optional<int>(rect.top) : std::nullopt);
    if (vertical) {
      ColumnLines(pDC, rect, row == 0 ? 0 : 1, bFirst ? std::optional<int>(rect.left - 1) : std::nullopt);
      bFirst = false;
    }
  }
  pDC->SelectObject(oldFont);
}

void CGridCtrl::PrintRowHeadings(CDC* pDC, PrintInfo* pInfo) {
  (void)pInfo;
  if (pDC == nullptr) return;
  CFont* oldFont = pDC->SelectObject(&m_PrinterFont);
  const bool horizontal = HorizontalLines(m_nGridLines);
  const bool vertical = VerticalLines(m_nGridLines);
  bool firstCell = true;
  CRect rect;
  rect.right = -1;
  for (int col = 0; col < m_nFixedCols; ++col) {
    const int width = GetColumnWidth(col);
    if (width <= 0) continue;
    rect.left = rect.right + 1;
    rect.right = rect.left + width - 1;
    rect.bottom = -1;
    for (int row = m_nCurrPrintRow; row < m_nPrintRowEnd && row < m_nRows; ++row) {
      const int height = GetRowHeight(row);
      if (height <= 0) continue;
      rect.top = rect.bottom + 1;
      rect.bottom = rect.top + height - 1;
      if (CGridCellBase* cell = GetCell(row, col)) cell->PrintCell(pDC, row, col, rect);
      if (horizontal) RowLines(pDC, rect, col, firstCell ? std::optional<int>(rect.top - 1) : std::nullopt);
      if (vertical) ColumnLines(pDC, rect, row == 0 ? 0 : 1, col == 0 ? std::optional<int>(rect.left) : std::nullopt);
      firstCell = false;
    }
  }
  pDC->SelectObject(oldFont);
}

void CGridCtrl::PrintHeader(CDC* pDC, PrintInfo* pInfo) {
  if (pDC == nullptr || pInfo == nullptr) return;
  const std::string right = zv::QToCp1251(QGuiApplication::applicationDisplayName());
  const std::string centre = HolderTitle(this);
  CFont bold;
  MakeBold(m_PrinterFont, bold);
  CFont* oldFont = pDC->SelectObject(&bold);
  const int oldMode = pDC->SetBkMode(TRANSPARENT);
  CRect band = pInfo->m_rectDraw;
  if (!centre.empty()) pDC->DrawText(centre, band, DT_CENTER | kBandText);
  if (!right.empty()) pDC->DrawText(right, band, DT_RIGHT | kBandText);
  pDC->SetBkMode(oldMode);
  pDC->SelectObject(oldFont);
  // The pen stays selected: the table's lines are drawn with it.
  pDC->SelectStockObject(BLACK_PEN);
  Line(pDC, band.left, band.bottom, band.right, band.bottom);
}

void CGridCtrl::PrintFooter(CDC* pDC, PrintInfo* pInfo) {
  if (pDC == nullptr || pInfo == nullptr) return;
  const std::string left =
      zv::StrFormat("Page %d of %d", static_cast<int>(pInfo->m_nCurPage), static_cast<int>(pInfo->GetMaxPage()));
  const std::string right = PrintTimeText();
  CRect band = pInfo->m_rectDraw;
  pDC->SelectStockObject(BLACK_PEN);
  Line(pDC, band.left, band.top, band.right, band.top);
  CFont bold;
  MakeBold(m_PrinterFont, bold);
  CFont* oldFont = pDC->SelectObject(&bold);
  const int oldMode = pDC->SetBkMode(TRANSPARENT);
  const COLORREF oldColour = pDC->SetTextColor(RGB(0, 0, 0));
  pDC->DrawText(left, band, DT_LEFT | kBandText);
  pDC->DrawText(right, band, DT_RIGHT | kBandText);
  pDC->SetTextColor(oldColour);
  pDC->SetBkMode(oldMode);
  pDC->SelectObject(oldFont);
}
