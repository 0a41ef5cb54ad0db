#include "viewer/viewer_grid_ctrl.h"

#include <QMimeData>
#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "platform/qt/qt_text.h"
#include "viewer/report_printer.h"
#include "viewer/text_width.h"

CViewerGridCtrl::CViewerGridCtrl(int nRows, int nCols, int nFixedRows, int nFixedCols)
    : CGridCtrl(nRows, nCols, nFixedRows, nFixedCols), m_pReport(std::make_unique<zv::ReportPrinter>(*this)) {}

CViewerGridCtrl::~CViewerGridCtrl() = default;

CGridCellBase* CViewerGridCtrl::CreateCell(int nRow, int nCol) {
  CGridCellBase* cell = CGridCtrl::CreateCell(nRow, nCol);
  if (cell == nullptr || nRow <= 0) return cell;
  // Rows and columns are made row by row from the top: the cell above exists.
  if (const CGridCellBase* above = GetCell(nRow - 1, nCol)) cell->SetFormat(above->GetFormat());
  return cell;
}

void CViewerGridCtrl::OnSetFont(const LOGFONT* plf) {
  if (plf == nullptr) return;
  CGridCtrl::OnSetFont(plf);

  CDC dc;  // measures only
  dc.SelectObject(GetFont());
  TEXTMETRIC tm;
  dc.GetTextMetrics(&tm);
  const int margin = dc.GetTextExtent(" ").cx;
  const int height = tm.tmHeight + tm.tmExternalLeading + 2 * margin;
  const int width = 12 * tm.tmAveCharWidth + 2 * margin;
  for (bool fixedRow : {false, true})
    for (bool fixedCol : {false, true}) {
      CGridDefaultCell* def = GetDefaultCell(fixedRow, fixedCol);
      def->SetMargin(static_cast<UINT>(margin));
      def->SetWidth(width);
      def->SetHeight(height);
    }
  Refresh();
}

int CViewerGridCtrl::GetMargin() const { return static_cast<int>(GetDefaultCell(false, false)->GetMargin()); }

void CViewerGridCtrl::AutoSizeColumns(int /*nAutoSizeStyle: all rows count*/) {
  const int rows = GetRowCount();
  if (rows == 0) return;
  // One meter per font met: as a rule the grid's font, plain and semi-bold.
  std::vector<std::unique_ptr<zv::TextWidthMeter>> meters;
  auto meterFor = [&meters](const LOGFONT* cellFont, bool fixed) -> zv::TextWidthMeter& {
    LOGFONT lf = cellFont != nullptr ? *cellFont : zv::MessageLogFont();
    if (fixed) lf.lfWeight = FW_SEMIBOLD;
    for (const auto& meter : meters)
      if (meter->logFont() == lf) return *meter;
    return *meters.emplace_back(std::make_unique<zv::TextWidthMeter>(lf));
  };

  // Row by row, each cell once: the cells of a row lie near each other in memory.
  const int columns = GetColumnCount();
  std::vector<int> widths(static_cast<size_t>(columns), 0);
  const LOGFONT* lastFont = nullptr;
  bool lastFixed = false;
  zv::TextWidthMeter* meter = nullptr;
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < columns; ++col) {
      CGridCellBase* cell = GetCell(row, col);
      if (cell == nullptr) continue;
      const bool fixed = row < GetFixedRowCount() || col < GetFixedColumnCount();
      const LOGFONT* font = cell->GetFont();
      if (meter == nullptr || font != lastFont || fixed != lastFixed) {
        meter = &meterFor(font, fixed);
        lastFont = font;
        lastFixed = fixed;
      }
      int& width = widths[static_cast<size_t>(col)];
      width = std::max(width, meter->Width(cell->GetText()) + 4 * static_cast<int>(cell->GetMargin()));
    }
  }
  for (int col = 0; col < columns; ++col) SetColumnWidth(col, widths[static_cast<size_t>(col)]);
}

QMimeData* CViewerGridCtrl::CopySelectionText() {
  const CCellRange range = GetSelectionBounds();
  if (!IsValidRange(range)) return nullptr;
  std::string text;
  try {
    for (int row = range.GetMinRow(); row <= range.GetMaxRow(); ++row) {
      for (int col = range.GetMinCol(); col <= range.GetMaxCol(); ++col) {
        if (IsCellSelected(row, col)) {
          const CGridCellBase* cell = GetCell(row, col);
          if (cell == nullptr || cell->GetText().empty()) text += ' ';
          else text += cell->GetText();
        }
        if (col != range.GetMaxCol()) text += '\t';
      }
      if (row != range.GetMaxRow()) text += '\n';
    }
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  auto* data = new QMimeData;
  data->setText(zv::QFromCp1251(text));
  return data;
}

void CViewerGridCtrl::OnRButtonUp(CPoint point, Qt::KeyboardModifiers /*modifiers*/) { RequestContextMenu(point); }

void CViewerGridCtrl::OnBeginPrinting(CDC* pDC, PrintInfo* pInfo) { m_pReport->OnBeginPrinting(pDC, pInfo); }
void CViewerGridCtrl::OnPrint(CDC* pDC, PrintInfo* pInfo) { m_pReport->OnPrint(pDC, pInfo); }
void CViewerGridCtrl::OnEndPrinting(CDC* pDC, PrintInfo* pInfo) { m_pReport->OnEndPrinting(pDC, pInfo); }
void CViewerGridCtrl::PrintHeader(CDC* pDC, PrintInfo* pInfo) { m_pReport->PrintHeader(pDC, pInfo); }
void CViewerGridCtrl::PrintFooter(CDC* pDC, PrintInfo* pInfo) { m_pReport->PrintFooter(pDC, pInfo); }
int CViewerGridCtrl::PrintDataPageHeader(CDC* pDC, PrintInfo* pInfo) {
  return m_pReport->PrintDataPageHeader(pDC, pInfo);
}
int CViewerGridCtrl::PrintSettingsPage(CDC* pDC, PrintInfo* pInfo) { return m_pReport->PrintSettingsPage(pDC, pInfo); }
int CViewerGridCtrl::PrintPeriodReadings(CDC* pDC, PrintInfo* pInfo) {
  return m_pReport->PrintPeriodReadings(pDC, pInfo);
}
int CViewerGridCtrl::PrintHeadingRows(CDC* pDC, PrintInfo* pInfo) { return m_pReport->PrintHeadingRows(pDC, pInfo); }
void CViewerGridCtrl::PrintCell(CDC* pDC, int nRow, int nCol, const CRect& rect) {
  m_pReport->PrintCell(pDC, nRow, nCol, rect);
}
void CViewerGridCtrl::PrintHeaderCell(CDC* pDC, int nRow, int nCol, const CRect& rect) {
  m_pReport->PrintHeaderCell(pDC, nRow, nCol, rect);
}
void CViewerGridCtrl::PrintCellFrame(CDC* pDC, bool notFirstRow, bool notFirstColumn, const CRect& rect) {
  zv::ReportPrinter::PrintCellFrame(pDC, notFirstRow, notFirstColumn, rect);
}
