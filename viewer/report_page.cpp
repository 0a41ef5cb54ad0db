// What every page of the report carries: the header and footer bands, the grid's
// heading rows, the body rows, and the cells and frames they are drawn with.

#include <string>

#include "grid/grid_records.h"
#include "platform/cp1251.h"
#include "platform/str_format.h"
#include "viewer/report_printer.h"
#include "viewer/report_texts.h"
#include "viewer/viewer_grid_ctrl.h"

namespace zv {

namespace {

constexpr int kHeaderBand = 30;  // 3 mm at the top of the printable area
constexpr int kFooterBand = 60;  // 6 mm at its bottom
constexpr UINT kBandText = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
// Text, image, state, colours and format of a body cell; a heading cell without state.
constexpr UINT kBodyItem = 0x7B;
constexpr UINT kHeadingItem = 0x73;

void Line(CDC* pDC, int x1, int y1, int x2, int y2) {
  pDC->MoveTo(x1, y1);
  pDC->LineTo(x2, y2);
}

bool Horizontal(int lines) { return lines == GVL_HORZ || lines == GVL_BOTH; }
bool Vertical(int lines) { return lines == GVL_VERT || lines == GVL_BOTH; }

// The lines of one printed grid cell: along its bottom (from its neighbour's
// line except in the first column) and, for the first row, its top; along its
// right edge and, for the first column, its left edge, from the cell's top in the
// first row printed and from the bottom line of the row above (one unit below the
// cell's top) in every other, so that no line is drawn twice.
void GridCellLines(CDC* pDC, int lines, const CRect& r, bool firstRow, bool firstColumn, bool topLine) {
  if (Horizontal(lines)) {
    const int from = firstColumn ? r.left : r.left - 1;
    Line(pDC, from, r.bottom, r.right, r.bottom);
    if (topLine) Line(pDC, from, r.top, r.right, r.top);
  }
  if (Vertical(lines)) {
    const int from = firstRow ? r.top : r.top + 1;
    Line(pDC, r.right, from, r.right, r.bottom);
    if (firstColumn) Line(pDC, r.left, from, r.left, r.bottom);
  }
}

}  // namespace

void ReportPrinter::PrintHeader(CDC* pDC, PrintInfo* pInfo) {
  if (pDC == nullptr || pInfo == nullptr) return;
  const CPoint oldOrigin = pDC->SetWindowOrg(0, 0);
  CRect band(0, 0, pageWidth_, kHeaderBand);
  CFont bold;
  ReportFonts::MakeBold(fonts_.Body(), bold, ReportFonts::kBandHeight);
  CFont* oldFont = pDC->SelectObject(&bold);
  const int oldMode = pDC->SetBkMode(TRANSPARENT);
  pDC->DrawText(report_text::kAppTitle, band, DT_RIGHT | kBandText);
  pDC->SetBkMode(oldMode);
  pDC->SelectObject(oldFont);
  pDC->SelectStockObject(BLACK_PEN);
  Line(pDC, 0, kHeaderBand, pageWidth_, kHeaderBand);
  pDC->SetWindowOrg(oldOrigin.x, oldOrigin.y);
}

void ReportPrinter::PrintFooter(CDC* pDC, PrintInfo* pInfo) {
  if (pDC == nullptr || pInfo == nullptr) return;
  const CPoint oldOrigin = pDC->SetWindowOrg(0, 0);
  CRect band(0, pageHeight_ - kFooterBand, pageWidth_, pageHeight_);
  pDC->SelectStockObject(BLACK_PEN);
  Line(pDC, 0, band.top, pageWidth_, band.top);
  CFont bold;
  ReportFonts::MakeBold(fonts_.Body(), bold, ReportFonts::kBandHeight);
  CFont* oldFont = pDC->SelectObject(&bold);
  const int oldMode = pDC->SetBkMode(TRANSPARENT);
  band.OffsetRect(0, -fonts_.BodyChar().cy / 2);
  const std::string text = StrFormat(W1251(report_text::kPageOf).c_str(), static_cast<int>(pInfo->m_nCurPage),
                                     static_cast<int>(pInfo->GetMaxPage()));
  pDC->DrawText(text, band, DT_LEFT | DT_NOCLIP | kBandText);
  // The band's second line, one body character lower, is left empty.
  pDC->SetBkMode(oldMode);
  pDC->SelectObject(oldFont);
  pDC->SetWindowOrg(oldOrigin.x, oldOrigin.y);
}

int ReportPrinter::PrintHeadingRows(CDC* pDC, PrintInfo* pInfo) {
  if (pDC == nullptr || pInfo == nullptr) return 0;
  CFont* oldFont = pDC->SelectObject(&fonts_.Body());
  const int lines = grid_.GetGridLines();
  int d = pInfo->m_rectDraw.top;
  bool firstRow = true;
  for (int row = 0; row < grid_.GetFixedRowCount(); ++row) {
    const int height = grid_.GetRowHeight(row);
    if (height <= 0) continue;
    CRect cell;
    cell.top = d - 1;
    cell.bottom = cell.top + 3 * height - 1;
    d = cell.bottom;
    int x = pInfo->m_rectDraw.left - 1;
    bool firstColumn = true;
    for (int col = 0; col < grid_.GetColumnCount(); ++col) {
      const int width = grid_.GetColumnWidth(col);
      if (width <= 0) continue;
      cell.left = x + 1;
      cell.right = cell.left + 3 * width - 1;
      x = cell.right;
      PrintHeaderCell(pDC, row, col, cell);
      GridCellLines(pDC, lines, cell, firstRow, firstColumn, firstRow);
      firstColumn = false;
    }
    firstRow = false;
  }
  pDC->SelectObject(oldFont);
  return d;
}

int ReportPrinter::PrintBodyRows(CDC* pDC, int first, int end, int top, int left) {
  const int lines = grid_.GetGridLines();
  int d = top;
  bool firstRow = true;
  for (int row = first; row < end; ++row) {
    CRect cell;
    cell.top = d - 1;
    cell.bottom = cell.top + rowHeight_ - 1;
    int x = left - 1;
    bool firstColumn = true;
    for (int col = 0; col < grid_.GetColumnCount(); ++col) {
      const int width = grid_.GetColumnWidth(col);
      if (width <= 0) continue;
      cell.left = x + 1;
      cell.right = cell.left + 3 * width - 1;
      x = cell.right;
      PrintCell(pDC, row, col, cell);
      GridCellLines(pDC, lines, cell, firstRow, firstColumn, row == 0);
      firstColumn = false;
    }
    d = cell.bottom;
    firstRow = false;
  }
  return d;
}

void ReportPrinter::PrintCell(CDC* pDC, int nRow, int nCol, const CRect& rect) {
  GridItem item;
  item.row = nRow;
  item.col = nCol;
  item.mask = kBodyItem;
  if (pDC == nullptr || !grid_.GetItem(&item)) return;
  CRect text = rect;
  const int margin = grid_.GetMargin();
  text.left += margin;
  text.right -= margin;
  pDC->DrawText(item.strText, text, item.nFormat | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void ReportPrinter::PrintHeaderCell(CDC* pDC, int nRow, int nCol, const CRect& rect) {
  GridItem item;
  item.row = nRow;
  item.col = nCol;
  item.mask = kHeadingItem;
  if (pDC == nullptr || !grid_.GetItem(&item)) return;
  CRect text = rect;
  pDC->DrawText(item.strText, text, item.nFormat | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void ReportPrinter::PrintCellFrame(CDC* pDC, bool notFirstRow, bool notFirstColumn, const CRect& rect) {
  if (pDC == nullptr) return;
  const int from = notFirstColumn ? rect.left - 1 : rect.left;
  Line(pDC, from, rect.bottom, rect.right, rect.bottom);
  if (!notFirstRow) Line(pDC, from, rect.top, rect.right, rect.top);
  // Below the line of the row above, which ends where this cell starts.
  const int up = notFirstRow ? rect.top + 1 : rect.top;
  Line(pDC, rect.right, up, rect.right, rect.bottom);
  if (!notFirstColumn) Line(pDC, rect.left, up, rect.left, rect.bottom);
}

}  // namespace zv
