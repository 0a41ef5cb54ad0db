// The focus cell and the set of selected cells. The set is keyed by row and column in
// full and kept in step with each cell's CellSelected bit (in virtual mode it is the
// only record of the selection).

#include <algorithm>

#include "grid/grid_ctrl.h"

bool CGridCtrl::IsCellSelected(int nRow, int nCol) const {
  if (!m_bEnableSelection) return false;
  if (m_bVirtualMode) return m_SelectedCellMap.Contains(CCellID(nRow, nCol));
  if (!IsValid(nRow, nCol)) return false;
  const CGridCellBase* cell = StoredCell(nRow, nCol);
  return cell != nullptr && cell->IsSelected();
}

void CGridCtrl::SetCellSelected(int nRow, int nCol, bool bSelected) {
  const CCellID id(nRow, nCol);
  if (bSelected) m_SelectedCellMap.Insert(id);
  else m_SelectedCellMap.Erase(id);
  if (m_bVirtualMode) return;
  if (CGridCellBase* cell = StoredCell(nRow, nCol)) {
    const UINT state = cell->GetState();
    cell->SetState(bSelected ? state | CellSelected : state & ~static_cast<UINT>(CellSelected));
  }
}

CCellID CGridCtrl::SetFocusCell(CCellID cell) {
  if (cell == m_idCurrentCell) return m_idCurrentCell;
  const CCellID previous = m_idCurrentCell;
  if (cell.row != -1 && cell.row < m_nFixedRows) cell.row = m_nFixedRows;
  if (cell.col != -1 && cell.col < m_nFixedCols) cell.col = m_nFixedCols;
  m_idCurrentCell = cell;
  if (!m_bVirtualMode) {
    if (IsValid(previous)) {
      SetItemState(previous.row, previous.col,
                   GetItemState(previous.row, previous.col) & ~static_cast<UINT>(CellFocused));
      InvalidateCellRect(previous.row, previous.col);
    }
    if (IsValid(cell)) {
      SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | CellFocused);
      InvalidateCellRect(cell.row, cell.col);
    }
  }
  return previous;
}

CCellRange CGridCtrl::GetSelectionBounds() const {
  CCellRange bounds(m_nRows, m_nCols, -1, -1);
  m_SelectedCellMap.ForEach([&bounds](const CCellID& cell) {
    bounds.SetMinRow(std::min(bounds.GetMinRow(), cell.row));
    bounds.SetMinCol(std::min(bounds.GetMinCol(), cell.col));
    bounds.SetMaxRow(std::max(bounds.GetMaxRow(), cell.row));
    bounds.SetMaxCol(std::max(bounds.GetMaxCol(), cell.col));
  });
  return bounds;
}

void CGridCtrl::SelectRange(int nMinRow, int nMinCol, int nMaxRow, int nMaxCol, bool bForceRepaint,
                            bool bSelectCells) {
  if (!m_bEnableSelection) return;
  // Nothing is selected in the fixed area: bounds inside it move to its edge.
  auto intoData = [](int& bound, int fixed) {
    if (bound >= 0 && bound < fixed) bound = fixed;
  };
  intoData(nMinRow, m_nFixedRows);
  intoData(nMaxRow, m_nFixedRows);
  intoData(nMinCol, m_nFixedCols);
  intoData(nMaxCol, m_nFixedCols);
  const bool allSet = nMinRow >= 0 && nMinCol >= 0 && nMaxRow >= 0 && nMaxCol >= 0;
  const CCellRange range(nMinRow, nMinCol, nMaxRow, nMaxCol);
  bool changed = false;

  if (bSelectCells) {
    // Deselect everything: take the set over and clear each cell's bit; entries
    // whose cells no longer exist are simply dropped.
    CCellIdSet previous;
    previous.Swap(m_SelectedCellMap);
    previous.ForEach([&](const CCellID& cell) {
      if (!IsValid(cell)) return;
      if (!m_bVirtualMode) {
        if (CGridCellBase* stored = StoredCell(cell.row, cell.col))
          stored->SetState(stored->GetState() & ~static_cast<UINT>(CellSelected));
      }
      if (!range.InRange(cell)) changed = true;
    });
    // A selection kept while Ctrl is held comes back (not with single row selection).
    if (!(m_bListMode && m_bSingleRowSelection) && allSet) {
      m_PrevSelectedCellMap.ForEach([&](const CCellID& cell) {
        if (!IsValid(cell)) return;
        SetCellSelected(cell.row, cell.col, true);
        changed = true;
      });
    }
  }

  if (allSet && nMaxRow < m_nRows && nMaxCol < m_nCols && nMinRow <= nMaxRow && nMinCol <= nMaxCol) {
    if (bSelectCells)
      m_SelectedCellMap.Reserve(m_SelectedCellMap.Size() + static_cast<std::size_t>(nMaxRow - nMinRow + 1) *
                                                               static_cast<std::size_t>(nMaxCol - nMinCol + 1));
    for (int row = nMinRow; row <= nMaxRow; ++row)
      for (int col = nMinCol; col <= nMaxCol; ++col)
        if (IsCellSelected(row, col) != bSelectCells) {
          SetCellSelected(row, col, bSelectCells);
          changed = true;
        }
  }

  // Repainting cell by cell, only inside the visible range, comes with the drawing
  // code; until then the viewport is repainted as a whole.
  if (changed && m_bCreated && m_bAllowDraw) {
    if (bForceRepaint) viewport()->repaint();
    else viewport()->update();
  }
}

void CGridCtrl::DeselectAll() {
  m_PrevSelectedCellMap.Clear();
  SelectRange(-1, -1, -1, -1, false, true);
}

void CGridCtrl::ClearSelection() {
  DeselectAll();
  SetFocusCell(-1, -1);
}

void CGridCtrl::SelectAllCells() {
  if (!m_bEnableSelection) return;
  SelectRange(m_nFixedRows, m_nFixedCols, m_nRows - 1, m_nCols - 1, false, true);
}
