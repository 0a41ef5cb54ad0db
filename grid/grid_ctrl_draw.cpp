// Painting: the background bands, then the cells in four passes (corner, fixed
// columns, fixed rows, data cells), each pass clipped row by row and cell by cell
// against the area to paint, then the grid lines over the data cells. Cells draw
// without erasing: the bands have filled their backgrounds already.
//
// Qt paints a widget into its backing store and shows the result in one step, so
// the grid draws straight into the viewport: that is the off-screen buffer that
// keeps it from flickering, and no memory drawing context of the grid's own is
// needed (the double-buffer flag has nothing left to switch). Nothing is ever drawn
// outside a paint event; a cell that changes is marked for repainting
// (InvalidateCellRect).

#include <QPaintEvent>
#include <algorithm>

#include "grid/grid_ctrl.h"

void CGridCtrl::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  CDC dc(&painter);
  dc.SetClipBox(CRect::FromQRect(event->rect()));
  OnDraw(&dc);
}

void CGridCtrl::OnDraw(CDC* pDC) {
  if (!m_bAllowDraw) return;
  CRect clip;
  if (pDC->GetClipBox(&clip) == ERROR) return;
  EraseBkgnd(pDC);

  const int fixedHeight = GetFixedRowHeight();
  const int fixedWidth = GetFixedColumnWidth();
  CRect visible;
  const CCellRange range = GetVisibleDataRange(&visible);
  const int minRow = range.GetMinRow(), maxRow = range.GetMaxRow();
  const int minCol = range.GetMinCol(), maxCol = range.GetMaxCol();
  if (m_bVirtualMode) SendCacheHint(range);

  // Rows firstRow..lastRow by columns firstCol..lastCol from (left, top). With a clip
  // box, a row below it ends the rows and a cell right of it ends the row.
  auto drawBlock = [&](int firstRow, int lastRow, int firstCol, int lastCol, int left, int top, const CRect* box) {
    int y = top;
    for (int row = firstRow; row <= lastRow; ++row) {
      const int height = m_arRowHeights[static_cast<size_t>(row)];
      if (height <= 0) continue;
      if (box != nullptr && y > box->bottom) break;
      if (box == nullptr || y + height - 1 >= box->top) {
        int x = left;
        for (int col = firstCol; col <= lastCol; ++col) {
          const int width = m_arColWidths[static_cast<size_t>(col)];
          if (width <= 0) continue;
          if (box != nullptr && x > box->right) break;
          if (box == nullptr || x + width - 1 >= box->left)
            DrawCellAt(pDC, row, col, CRect(x, y, x + width - 1, y + height - 1), false);
          x += width;
        }
      }
      y += height;
    }
  };
  drawBlock(0, m_nFixedRows - 1, 0, m_nFixedCols - 1, 0, 0, nullptr);
  drawBlock(minRow, maxRow, 0, m_nFixedCols - 1, 0, fixedHeight, &clip);
  drawBlock(0, m_nFixedRows - 1, minCol, maxCol, fixedWidth, 0, &clip);
  drawBlock(minRow, maxRow, minCol, maxCol, fixedWidth, fixedHeight, &clip);

  // Grid lines over the data cells only: fixed cells draw their own borders. Each
  // line lies on the right or bottom edge of its cell.
  const CPen pen(PS_SOLID, 0, m_crGridLineColour);
  pDC->SelectObject(&pen);
  if (m_nGridLines & GVL_VERT) {
    int x = fixedWidth;
    for (int col = minCol; col <= maxCol; ++col) {
      const int width = m_arColWidths[static_cast<size_t>(col)];
      if (width <= 0) continue;
      x += width;
      pDC->MoveTo(x - 1, fixedHeight);
      pDC->LineTo(x - 1, visible.bottom);
    }
  }
  if (m_nGridLines & GVL_HORZ) {
    int y = fixedHeight;
    for (int row = minRow; row <= maxRow; ++row) {
      const int height = m_arRowHeights[static_cast<size_t>(row)];
      if (height <= 0) continue;
      y += height;
      pDC->MoveTo(fixedWidth, y - 1);
      pDC->LineTo(visible.right, y - 1);
    }
  }
  pDC->SelectStockObject(NULL_PEN);
  if (m_bVirtualMode) SendCacheHint(CCellRange(-1, -1, -1, -1));
}

void CGridCtrl::EraseBkgnd(CDC* pDC) {
  CRect clip;
  if (pDC->GetClipBox(&clip) == ERROR) return;
  CRect visible;
  GetVisibleDataRange(&visible);
  const int fixedHeight = GetFixedRowHeight();
  const int fixedWidth = GetFixedColumnWidth();

  // The fixed-column band covers the corner again; the fixed-row band starts one
  // pixel inside the fixed columns.
  if (clip.left < fixedWidth && clip.top < fixedHeight)
    pDC->FillSolidRect(CRect(clip.left, clip.top, fixedWidth, fixedHeight), m_cellFixedRowColDef.GetBackColour());
  if (clip.left < fixedWidth && clip.top < visible.bottom)
    pDC->FillSolidRect(CRect(clip.left, clip.top, fixedWidth, visible.bottom), m_cellFixedColDef.GetBackColour());
  if (clip.top < fixedHeight && clip.right > fixedWidth && clip.left < visible.right)
    pDC->FillSolidRect(CRect(fixedWidth - 1, clip.top, visible.right, fixedHeight), m_cellFixedRowDef.GetBackColour());
  CRect cells;
  if (cells.IntersectRect(clip, visible))
    pDC->FillSolidRect(CRect(std::max(fixedWidth, cells.left), std::max(fixedHeight, cells.top), cells.right, cells.bottom),
                       m_cellDefault.GetBackColour());
  // Outside the cells: the grid's own background.
  if (visible.right < clip.right)
    pDC->FillSolidRect(CRect(visible.right, clip.top, clip.right, clip.bottom), m_crGridBkColour);
  if (visible.bottom < clip.bottom && clip.left < visible.right)
    pDC->FillSolidRect(CRect(clip.left, visible.bottom, visible.right, clip.bottom), m_crGridBkColour);
}

void CGridCtrl::DrawCellAt(CDC* pDC, int nRow, int nCol, const CRect& rect, bool bErase) {
  if (CGridCellBase* cell = GetCell(nRow, nCol)) {
    cell->SetCoords(nRow, nCol);
    cell->Draw(pDC, nRow, nCol, rect, bErase);
  }
}

QRect CGridCtrl::CellUpdateRect(int nRow, int nCol) const {
  CRect rect;
  if (!GetCellRect(nRow, nCol, &rect)) return QRect();
  // Inclusive right and bottom, one further: the cell's own pixels.
  return QRect(rect.left, rect.top, rect.right + 1 - rect.left, rect.bottom + 1 - rect.top);
}

bool CGridCtrl::InvalidateCellRect(int nRow, int nCol) {
  if (!m_bCreated || !m_bAllowDraw || !IsValid(nRow, nCol)) return false;
  const QRect rect = CellUpdateRect(nRow, nCol);
  if (rect.isEmpty()) return false;
  viewport()->update(rect);
  return true;
}

bool CGridCtrl::RedrawCell(int nRow, int nCol, CDC* pDC) {
  if (!m_bAllowDraw || !IsCellVisible(nRow, nCol)) return false;
  CRect rect;
  if (!GetCellRect(nRow, nCol, &rect)) return false;
  if (pDC == nullptr) return InvalidateCellRect(nRow, nCol);

  bool result = true;
  if (CGridCellBase* cell = GetCell(nRow, nCol)) {
    cell->SetCoords(nRow, nCol);
    result = cell->Draw(pDC, nRow, nCol, rect, true);
  }
  if (nRow >= m_nFixedRows && nCol >= m_nFixedCols) {
    const CPen pen(PS_SOLID, 0, m_crGridLineColour);
    const CPen* old = pDC->SelectObject(&pen);
    if (m_nGridLines & GVL_HORZ) {
      pDC->MoveTo(rect.left, rect.bottom);
      pDC->LineTo(rect.right + 1, rect.bottom);
    }
    if (m_nGridLines & GVL_VERT) {
      pDC->MoveTo(rect.right, rect.top);
      pDC->LineTo(rect.right, rect.bottom + 1);
    }
    pDC->SelectObject(old);
  }
  return result;
}
