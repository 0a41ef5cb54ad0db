// The focus cell and the set of selected cells. The set is keyed by row and column in
// full and kept in step with each cell's CellSelected bit (in virtual mode it is the
// only record of the selection).

#include <QRegion>
#include <algorithm>

#include "grid/grid_ctrl.h"
#include "grid/wait_cursor.h"

namespace {

// Selections over this many cells (old and new) show the wait cursor.
constexpr std::size_t kWaitCursorCells = 100000;

}  // namespace

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

  // The cell, and with focus tracking the headings of its column and row where the
  // focus changed column or row (they show the focus sunken).
  auto redraw = [this](const CCellID& focus, const CCellID& other) {
    RedrawCell(focus);
    if (!m_bTrackFocus) return;
    if (focus.col != other.col)
      for (int row = 0; row < m_nFixedRows; ++row) RedrawCell(row, focus.col);
    if (focus.row != other.row)
      for (int col = 0; col < m_nFixedCols; ++col) RedrawCell(focus.row, col);
  };
  if (IsValid(previous)) {
    if (!m_bVirtualMode)
      SetItemState(previous.row, previous.col,
                   GetItemState(previous.row, previous.col) & ~static_cast<UINT>(CellFocused));
    redraw(previous, cell);
  }
  if (IsValid(cell)) {
    if (!m_bVirtualMode) SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | CellFocused);
    redraw(cell, previous);
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
  const bool inGrid = allSet && nMaxRow < m_nRows && nMaxCol < m_nCols && nMinRow <= nMaxRow && nMinCol <= nMaxCol;
  const CCellRange range(nMinRow, nMinCol, nMaxRow, nMaxCol);

  // A large change shows the wait cursor.
  const std::size_t rectCells = inGrid ? static_cast<std::size_t>(nMaxRow - nMinRow + 1) *
                                             static_cast<std::size_t>(nMaxCol - nMinCol + 1)
                                       : 0;
  CWaitCursor wait(m_SelectedCellMap.Size() + rectCells > kWaitCursorCells);

  // Changed cells are repainted only where they are in view, all in one go.
  const bool drawing = m_bCreated && m_bAllowDraw;
  const CCellRange visible = drawing ? GetVisibleDataRange() : CCellRange();
  QRegion dirty;
  auto redraw = [&](int row, int col) {
    if (drawing && visible.InRange(row, col)) dirty += CellUpdateRect(row, col);
  };

  if (bSelectCells) {
    // Deselect everything: take the set over (it is not changed while it is walked)
    // and clear each cell's bit; entries whose cells no longer exist are dropped.
    CCellIdSet previous;
    previous.Swap(m_SelectedCellMap);
    previous.ForEach([&](const CCellID& cell) {
      if (!IsValid(cell)) return;
      if (!m_bVirtualMode) {
        if (CGridCellBase* stored = StoredCell(cell.row, cell.col))
          stored->SetState(stored->GetState() & ~static_cast<UINT>(CellSelected));
      }
      if (!range.InRange(cell)) redraw(cell.row, cell.col);
    });
    // A selection kept while Ctrl is held comes back (not with single row selection).
    if (!GetSingleRowSelect() && allSet) {
      m_PrevSelectedCellMap.ForEach([&](const CCellID& cell) {
        if (!IsValid(cell)) return;
        SetCellSelected(cell.row, cell.col, true);
        redraw(cell.row, cell.col);
      });
    }
  }

  if (inGrid) {
    if (bSelectCells) m_SelectedCellMap.Reserve(m_SelectedCellMap.Size() + rectCells);
    for (int row = nMinRow; row <= nMaxRow; ++row)
      for (int col = nMinCol; col <= nMaxCol; ++col)
        if (IsCellSelected(row, col) != bSelectCells) {
          SetCellSelected(row, col, bSelectCells);
          redraw(row, col);
        }
  }

  if (dirty.isEmpty()) return;
  if (bForceRepaint) viewport()->repaint(dirty);
  else viewport()->update(dirty);
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

void CGridCtrl::SelectCells(CCellID cell, bool bForceRedraw, bool bSelectCells) {
  if (!m_bEnableSelection || !IsValid(cell)) return;
  if (cell.row < m_nFixedRows || cell.col < m_nFixedCols) return;
  const CCellID& start = m_SelectionStartCell;
  SelectRange(std::min(start.row, cell.row), std::min(start.col, cell.col), std::max(start.row, cell.row),
              std::max(start.col, cell.col), bForceRedraw, bSelectCells);
}

void CGridCtrl::SelectRows(CCellID cell, bool bForceRedraw, bool bSelectCells) {
  if (!m_bEnableSelection || !IsValid(cell) || cell.row < m_nFixedRows) return;
  const int first = GetSingleRowSelect() ? cell.row : std::min(m_SelectionStartCell.row, cell.row);
  const int last = GetSingleRowSelect() ? cell.row : std::max(m_SelectionStartCell.row, cell.row);
  SelectRange(first, m_nFixedCols, last, m_nCols - 1, bForceRedraw, bSelectCells);
}

void CGridCtrl::SelectColumns(CCellID cell, bool bForceRedraw, bool bSelectCells) {
  if (!m_bEnableSelection || !IsValid(cell) || cell.col < m_nFixedCols) return;
  const int first = m_bSingleColSelection ? cell.col : std::min(m_SelectionStartCell.col, cell.col);
  const int last = m_bSingleColSelection ? cell.col : std::max(m_SelectionStartCell.col, cell.col);
  SelectRange(m_nFixedRows, first, m_nRows - 1, last, bForceRedraw, bSelectCells);
}

void CGridCtrl::ExtendSelection(CCellID cell) {
  if (!m_bEnableSelection) return;
  switch (m_MouseMode) {
    case MouseSelectAll: SelectAllCells(); break;
    case MouseSelectColumns: SelectColumns(cell, false, true); break;
    case MouseSelectRows: SelectRows(cell, false, true); break;
    case MouseSelectCells: SelectCells(cell, false, true); break;
    default: break;
  }
}

void CGridCtrl::SetListMode(bool bEnableListMode) {
  ClearSelection();
  SetSortColumn(-1);
  m_bListMode = bEnableListMode;
  m_bFixedRowSelection = false;
  Refresh();
}

void CGridCtrl::OnEditSelectAll() {
  NotifyOwner(m_LeftClickDownCell.row, m_LeftClickDownCell.col, GridNotifyCode::SelectionChanging);
  SelectAllCells();
  NotifyOwner(m_idCurrentCell.row, m_idCurrentCell.col, GridNotifyCode::SelectionChanged);
}
