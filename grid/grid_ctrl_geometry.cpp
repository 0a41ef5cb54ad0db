// Where cells are: the top-left non-fixed cell for the scroll positions, the range
// of non-fixed cells in view, cell origins and rectangles, and the hit test.
//
// The fixed rows occupy y 0 .. fixed row height, the fixed columns x 0 .. fixed
// column width; the non-fixed cells follow from the top-left non-fixed cell on.
// Finding that cell sums sizes from the first non-fixed row and column, so it is
// remembered until a scroll position, the scroll bars or a count change.

#include <algorithm>

#include "grid/grid_ctrl.h"

namespace {

// The index whose span [edge, edge + size) holds the coordinate (at or right of
// start), walking from first; -1 past the end. A zero size spans nothing, so hidden
// rows and columns are never hit.
int IndexAt(const std::vector<int>& sizes, int first, int end, int start, int coord) {
  int edge = start;
  for (int i = first; i < end; ++i) {
    edge += sizes[static_cast<size_t>(i)];
    if (coord < edge) return i;
  }
  return -1;
}

// The first index whose start lies at or past the position (a position inside a
// row or column gives the one after it), never past the last index.
int FirstFrom(const std::vector<int>& sizes, int first, int count, int position) {
  int index = first;
  int sum = 0;
  while (sum < position && index < count - 1) sum += sizes[static_cast<size_t>(index++)];
  return index;
}

// From `first` on, the index whose span reaches the limit (its end is then the
// limit); when none does, the last index and the end of it.
int LastInView(const std::vector<int>& sizes, int first, int count, int edge, int limit, int* end) {
  for (int i = first; i < count; ++i) {
    edge += sizes[static_cast<size_t>(i)];
    if (edge >= limit) {
      *end = limit;
      return i;
    }
  }
  *end = edge;
  return count - 1;
}

}  // namespace

CCellID CGridCtrl::GetFirstVisibleDataCell(bool bForceRecalculation) const {
  if (!bForceRecalculation && IsValid(m_idTopLeftCell)) return m_idTopLeftCell;
  m_idTopLeftCell.col = FirstFrom(m_arColWidths, m_nFixedCols, m_nCols, GetScrollPosition(SB_HORZ));
  m_idTopLeftCell.row = FirstFrom(m_arRowHeights, m_nFixedRows, m_nRows, GetScrollPosition(SB_VERT));
  return m_idTopLeftCell;
}

CCellRange CGridCtrl::GetVisibleDataRange(CRect* pRect, bool bForceRecalculation) const {
  const CRect client = GetClientRect();
  const CCellID topLeft = GetFirstVisibleDataCell(bForceRecalculation);

  // Rows from the top one until the client area is full; the row that reaches the
  // bottom edge is the last, partly shown one. Columns likewise.
  int bottom = 0, right = 0;
  const int maxRow = LastInView(m_arRowHeights, topLeft.row, m_nRows, GetFixedRowHeight(), client.bottom, &bottom);
  const int maxCol = LastInView(m_arColWidths, topLeft.col, m_nCols, GetFixedColumnWidth(), client.right, &right);
  if (pRect != nullptr) *pRect = CRect(0, 0, right, bottom);
  return CCellRange(topLeft.row, topLeft.col, maxRow, maxCol);
}

bool CGridCtrl::GetCellOrigin(int nRow, int nCol, CPoint* pPoint) const {
  if (!IsValid(nRow, nCol) || pPoint == nullptr) return false;
  CCellID topLeft;
  if (nRow >= m_nFixedRows || nCol >= m_nFixedCols) {
    topLeft = GetFirstVisibleDataCell();
    // Scrolled out above or to the left.
    if (nRow >= m_nFixedRows && nRow < topLeft.row) return false;
    if (nCol >= m_nFixedCols && nCol < topLeft.col) return false;
  }
  auto sum = [](const std::vector<int>& sizes, int from, int to) {
    int total = 0;
    for (int i = from; i < to; ++i) total += sizes[static_cast<size_t>(i)];
    return total;
  };
  pPoint->x = nCol < m_nFixedCols ? sum(m_arColWidths, 0, nCol)
                                  : GetFixedColumnWidth() + sum(m_arColWidths, topLeft.col, nCol);
  pPoint->y = nRow < m_nFixedRows ? sum(m_arRowHeights, 0, nRow)
                                  : GetFixedRowHeight() + sum(m_arRowHeights, topLeft.row, nRow);
  return true;
}

bool CGridCtrl::GetCellRect(int nRow, int nCol, CRect* pRect) const {
  CPoint origin;
  if (pRect == nullptr || !GetCellOrigin(nRow, nCol, &origin)) return false;
  pRect->SetRect(origin.x, origin.y, origin.x + m_arColWidths[static_cast<size_t>(nCol)] - 1,
                 origin.y + m_arRowHeights[static_cast<size_t>(nRow)] - 1);
  return true;
}

CCellID CGridCtrl::CellFromPoint(CPoint point, bool bAllowFixedCellCheck) const {
  CCellID cell;
  const CCellID topLeft = GetFirstVisibleDataCell();
  if (!bAllowFixedCellCheck && !IsValid(topLeft)) return cell;

  const int fixedWidth = GetFixedColumnWidth();
  if (point.x < 0 || (!bAllowFixedCellCheck && point.x < fixedWidth)) cell.col = -1;
  else if (point.x < fixedWidth) cell.col = IndexAt(m_arColWidths, 0, m_nFixedCols, 0, point.x);
  else cell.col = IndexAt(m_arColWidths, topLeft.col, m_nCols, fixedWidth, point.x);

  const int fixedHeight = GetFixedRowHeight();
  if (point.y < 0 || (!bAllowFixedCellCheck && point.y < fixedHeight)) cell.row = -1;
  else if (point.y < fixedHeight) cell.row = IndexAt(m_arRowHeights, 0, m_nFixedRows, 0, point.y);
  else cell.row = IndexAt(m_arRowHeights, topLeft.row, m_nRows, fixedHeight, point.y);
  return cell;
}

bool CGridCtrl::IsCellVisible(int nRow, int nCol) const {
  if (!m_bCreated || !IsValid(nRow, nCol)) return false;
  CCellID topLeft;
  if (nRow >= m_nFixedRows || nCol >= m_nFixedCols) {
    topLeft = GetFirstVisibleDataCell();
    if (nRow >= m_nFixedRows && nRow < topLeft.row) return false;
    if (nCol >= m_nFixedCols && nCol < topLeft.col) return false;
  }
  const CRect client = GetClientRect();
  // The cell's leading edge, and that of every cell before it, lies inside.
  auto fits = [](const std::vector<int>& sizes, int from, int to, int start, int limit) {
    int edge = start;
    for (int i = from; i <= to; ++i) {
      if (edge >= limit) return false;
      edge += sizes[static_cast<size_t>(i)];
    }
    return true;
  };
  const bool colFits = nCol < m_nFixedCols
                           ? fits(m_arColWidths, 0, nCol, 0, client.right)
                           : fits(m_arColWidths, topLeft.col, nCol, GetFixedColumnWidth(), client.right);
  const bool rowFits = nRow < m_nFixedRows
                           ? fits(m_arRowHeights, 0, nRow, 0, client.bottom)
                           : fits(m_arRowHeights, topLeft.row, nRow, GetFixedRowHeight(), client.bottom);
  return colFits && rowFits;
}
