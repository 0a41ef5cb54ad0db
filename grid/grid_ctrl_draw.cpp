// Painting. This is the first form: it draws from the first row and column without
// scrolling, each cell erasing its own background. The full painting (background
// bands, the corner / fixed columns / fixed rows / data passes with clip tests, the
// scroll offsets, cache hints in virtual mode) replaces OnDraw and InvalidateCellRect.

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
  const CRect client = GetClientRect();
  pDC->FillSolidRect(client, m_crGridBkColour);

  // Rows and columns from the first one until the client area is full.
  int bottom = 0, right = 0;
  int y = 0;
  for (int row = 0; row < m_nRows && y < client.bottom; ++row) {
    const int height = m_arRowHeights[static_cast<size_t>(row)];
    if (height <= 0) continue;
    int x = 0;
    for (int col = 0; col < m_nCols && x < client.right; ++col) {
      const int width = m_arColWidths[static_cast<size_t>(col)];
      if (width <= 0) continue;
      if (CGridCellBase* cell = GetCell(row, col)) {
        cell->SetCoords(row, col);
        cell->Draw(pDC, row, col, CRect(x, y, x + width - 1, y + height - 1), true);
      }
      x += width;
    }
    right = std::max(right, x);
    y += height;
    bottom = y;
  }

  // Grid lines over the non-fixed cells only: fixed cells draw their own borders.
  const int fixedWidth = GetFixedColumnWidth();
  const int fixedHeight = GetFixedRowHeight();
  const CPen pen(PS_SOLID, 0, m_crGridLineColour);
  const CPen* old = pDC->SelectObject(&pen);
  if (m_nGridLines == GVL_VERT || m_nGridLines == GVL_BOTH) {
    int x = fixedWidth;
    for (int col = m_nFixedCols; col < m_nCols && x < client.right; ++col) {
      const int width = m_arColWidths[static_cast<size_t>(col)];
      if (width <= 0) continue;
      x += width;
      pDC->MoveTo(x - 1, fixedHeight);
      pDC->LineTo(x - 1, bottom);
    }
  }
  if (m_nGridLines == GVL_HORZ || m_nGridLines == GVL_BOTH) {
    int yy = fixedHeight;
    for (int row = m_nFixedRows; row < m_nRows && yy < client.bottom; ++row) {
      const int height = m_arRowHeights[static_cast<size_t>(row)];
      if (height <= 0) continue;
      yy += height;
      pDC->MoveTo(fixedWidth, yy - 1);
      pDC->LineTo(right, yy - 1);
    }
  }
  pDC->SelectObject(old);
}

bool CGridCtrl::InvalidateCellRect(int nRow, int nCol) {
  if (!IsValid(nRow, nCol) || !m_bCreated || !m_bAllowDraw) return false;
  viewport()->update();
  return true;
}
