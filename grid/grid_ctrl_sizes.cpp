// Column widths and row heights, their sums, and automatic sizing from the cells'
// extents. A width or height of 0 hides the column or row.

#include <algorithm>
#include <numeric>

#include "grid/grid_ctrl.h"

int CGridCtrl::GetColumnWidth(int nCol) const {
  if (nCol < 0 || nCol >= m_nCols) return -1;
  return m_arColWidths[static_cast<size_t>(nCol)];
}

int CGridCtrl::GetRowHeight(int nRow) const {
  if (nRow < 0 || nRow >= m_nRows) return -1;
  return m_arRowHeights[static_cast<size_t>(nRow)];
}

bool CGridCtrl::SetColumnWidth(int nCol, int width) {
  if (nCol < 0 || nCol >= m_nCols || width < 0) return false;
  m_arColWidths[static_cast<size_t>(nCol)] = width;
  UpdateScrollBars();
  return true;
}

bool CGridCtrl::SetRowHeight(int nRow, int height) {
  if (nRow < 0 || nRow >= m_nRows || height < 0) return false;
  m_arRowHeights[static_cast<size_t>(nRow)] = height;
  UpdateScrollBars();
  return true;
}

int CGridCtrl::GetFixedColumnWidth() const {
  return std::accumulate(m_arColWidths.begin(), m_arColWidths.begin() + m_nFixedCols, 0);
}

int CGridCtrl::GetFixedRowHeight() const {
  return std::accumulate(m_arRowHeights.begin(), m_arRowHeights.begin() + m_nFixedRows, 0);
}

// The scroll bars ask for the totals after every row inserted or sized: std::reduce
// may add in any order, which lets the compiler add several at a time.
int CGridCtrl::GetTotalWidth() const { return std::reduce(m_arColWidths.begin(), m_arColWidths.end(), 0); }

int CGridCtrl::GetTotalHeight() const { return std::reduce(m_arRowHeights.begin(), m_arRowHeights.end(), 0); }

bool CGridCtrl::AutoSizeColumn(int nCol, int nAutoSizeStyle, bool bResetScroll) {
  // Hidden columns are never sized.
  if (nCol < 0 || nCol >= m_nCols || m_arColWidths[static_cast<size_t>(nCol)] <= 0) return false;
  if (nAutoSizeStyle == 0) nAutoSizeStyle = m_nAutoSizeColumnStyle;
  const int firstRow = (nAutoSizeStyle & GVS_HEADER) ? 0 : m_nFixedRows;
  const int lastRow = (nAutoSizeStyle & GVS_DATA) ? m_nRows - 1 : m_nFixedRows - 1;
  // No row to measure (say, headings only and no fixed row): the column keeps its
  // width instead of being hidden for good.
  if (firstRow > lastRow) return false;

  CDC dc;  // the client DC: measures only
  if (m_bVirtualMode) SendCacheHint(CCellRange(firstRow, nCol, lastRow, nCol));
  int width = 0;
  for (int row = firstRow; row <= lastRow; ++row)
    if (CGridCellBase* cell = GetCell(row, nCol)) width = std::max(width, cell->GetCellExtent(&dc).cx);
  if (m_bVirtualMode) SendCacheHint(CCellRange(-1, -1, -1, -1));
  m_arColWidths[static_cast<size_t>(nCol)] = width;
  if (bResetScroll) UpdateScrollBars();
  return true;
}

bool CGridCtrl::AutoSizeRow(int nRow, bool bResetScroll) {
  if (nRow < 0 || nRow >= m_nRows || m_arRowHeights[static_cast<size_t>(nRow)] <= 0) return false;
  // No column to measure: the row keeps its height.
  if (m_nCols < 1) return false;

  CDC dc;
  if (m_bVirtualMode) SendCacheHint(CCellRange(nRow, 0, nRow, m_nCols - 1));
  int height = 0;
  for (int col = 0; col < m_nCols; ++col)
    if (CGridCellBase* cell = GetCell(nRow, col)) height = std::max(height, cell->GetCellExtent(&dc).cy);
  if (m_bVirtualMode) SendCacheHint(CCellRange(-1, -1, -1, -1));
  m_arRowHeights[static_cast<size_t>(nRow)] = height;
  if (bResetScroll) UpdateScrollBars();
  return true;
}

void CGridCtrl::AutoSizeColumns(int nAutoSizeStyle) {
  for (int col = 0; col < m_nCols; ++col)
    if (m_arColWidths[static_cast<size_t>(col)] > 0) AutoSizeColumn(col, nAutoSizeStyle, false);
  UpdateScrollBars();
}
