// Cells and their attributes, the modified marks, the lookup by item data and the
// sort column.

#include "grid/grid_ctrl.h"

CGridCellBase* CGridCtrl::GetCell(int nRow, int nCol) const {
  if (!IsValid(nRow, nCol)) return nullptr;
  if (m_bVirtualMode) return FetchDisplayCell(nRow, nCol);
  return StoredCell(nRow, nCol);
}

CGridCellBase* CGridCtrl::WritableCell(int nRow, int nCol) const {
  return m_bVirtualMode || !IsValid(nRow, nCol) ? nullptr : StoredCell(nRow, nCol);
}

bool CGridCtrl::SetCell(int nRow, int nCol, CGridCellBase* pCell) {
  if (m_bVirtualMode || !IsValid(nRow, nCol)) return false;
  if (pCell != nullptr) pCell->SetCoords(nRow, nCol);
  m_RowData[static_cast<size_t>(nRow)][static_cast<size_t>(nCol)] = pCell;
  return true;
}

bool CGridCtrl::SetItem(const GridItem* pItem) {
  if (pItem == nullptr) return false;
  CGridCellBase* cell = WritableCell(pItem->row, pItem->col);
  if (cell == nullptr) return false;
  SetModified(true, pItem->row, pItem->col);
  const UINT mask = pItem->mask;
  if (mask & ItemText) cell->SetText(pItem->strText);
  if (mask & ItemData) cell->SetData(pItem->lParam);
  if (mask & ItemImage) cell->SetImage(pItem->iImage);
  if (mask & ItemState) SetItemState(pItem->row, pItem->col, pItem->nState);
  if (mask & ItemFormat) cell->SetFormat(pItem->nFormat);
  if (mask & ItemBackClr) cell->SetBackColour(pItem->crBkClr);
  if (mask & ItemTextClr) cell->SetTextColour(pItem->crFgClr);
  if (mask & ItemFont) cell->SetFont(&pItem->lfFont);
  if (mask & ItemMargin) cell->SetMargin(pItem->nMargin);
  return true;
}

bool CGridCtrl::GetItem(GridItem* pItem) const {
  if (pItem == nullptr) return false;
  const CGridCellBase* cell = GetCell(pItem->row, pItem->col);
  if (cell == nullptr) return false;
  const UINT mask = pItem->mask;
  if (mask & ItemText) pItem->strText = cell->GetText();
  if (mask & ItemData) pItem->lParam = cell->GetData();
  if (mask & ItemImage) pItem->iImage = cell->GetImage();
  if (mask & ItemState) pItem->nState = cell->GetState();
  if (mask & ItemFormat) pItem->nFormat = cell->GetFormat();
  if (mask & ItemBackClr) pItem->crBkClr = cell->GetBackColour();
  if (mask & ItemTextClr) pItem->crFgClr = cell->GetTextColour();
  if (mask & ItemFont) {
    if (const LOGFONT* lf = cell->GetFont()) pItem->lfFont = *lf;
  }
  if (mask & ItemMargin) pItem->nMargin = cell->GetMargin();
  return true;
}

bool CGridCtrl::SetItemText(int nRow, int nCol, const std::string& str) {
  CGridCellBase* cell = WritableCell(nRow, nCol);
  if (cell == nullptr) return false;
  cell->SetText(str);
  SetModified(true, nRow, nCol);
  return true;
}

std::string CGridCtrl::GetItemText(int nRow, int nCol) const {
  const CGridCellBase* cell = GetCell(nRow, nCol);
  return cell != nullptr ? cell->GetText() : std::string();
}

bool CGridCtrl::SetItemData(int nRow, int nCol, LPARAM lParam) {
  CGridCellBase* cell = WritableCell(nRow, nCol);
  if (cell == nullptr) return false;
  cell->SetData(lParam);
  SetModified(true, nRow, nCol);
  return true;
}

LPARAM CGridCtrl::GetItemData(int nRow, int nCol) const {
  const CGridCellBase* cell = GetCell(nRow, nCol);
  return cell != nullptr ? cell->GetData() : 0;
}

bool CGridCtrl::SetItemState(int nRow, int nCol, UINT state) {
  // Only cells inside the grid enter the selected set.
  if (IsValid(nRow, nCol)) {
    const bool selected = IsCellSelected(nRow, nCol);
    if (selected && !(state & CellSelected)) m_SelectedCellMap.Erase(CCellID(nRow, nCol));
    else if (!selected && (state & CellSelected)) m_SelectedCellMap.Insert(CCellID(nRow, nCol));
  }
  CGridCellBase* cell = WritableCell(nRow, nCol);
  if (cell == nullptr) return false;
  cell->SetState(state);
  return true;
}

UINT CGridCtrl::GetItemState(int nRow, int nCol) const {
  const CGridCellBase* cell = GetCell(nRow, nCol);
  return cell != nullptr ? cell->GetState() : 0;
}

bool CGridCtrl::SetItemTextColour(int nRow, int nCol, COLORREF clr) {
  CGridCellBase* cell = WritableCell(nRow, nCol);
  if (cell == nullptr) return false;
  cell->SetTextColour(clr);
  return true;
}

bool CGridCtrl::SetItemBackColour(int nRow, int nCol, COLORREF clr) {
  CGridCellBase* cell = WritableCell(nRow, nCol);
  if (cell == nullptr) return false;
  cell->SetBackColour(clr);
  return true;
}

CSize CGridCtrl::GetTextExtent(int nRow, int nCol, const std::string& str) const {
  CGridCellBase* cell = GetCell(nRow, nCol);
  return cell != nullptr ? cell->GetTextExtent(str, nullptr) : CSize(0, 0);
}

void CGridCtrl::SetModified(bool bModified, int nRow, int nCol) {
  if (nCol < 0 || nCol == m_nSortColumn) SetSortColumn(-1);
  if (nRow < 0 || nCol < 0) {
    m_bModified = bModified;
  } else if (m_bVirtualMode) {
    // No cells to mark.
    if (bModified) m_bModified = true;
  } else if (bModified) {
    SetItemState(nRow, nCol, GetItemState(nRow, nCol) | CellModified);
    m_bModified = true;
  } else {
    SetItemState(nRow, nCol, GetItemState(nRow, nCol) & ~static_cast<UINT>(CellModified));
  }
  // Virtual mode keeps no cells to mark.
  if (m_bModified || m_bVirtualMode) return;
  for (int row = 0; row < m_nRows; ++row)
    for (int col = 0; col < m_nCols; ++col)
      if (CGridCellBase* cell = StoredCell(row, col); cell != nullptr && cell->IsModified())
        SetItemState(row, col, cell->GetState() & ~static_cast<UINT>(CellModified));
}

int CGridCtrl::FindRowByItemData(LPARAM lParam) const {
  for (int row = 0; row < m_nRows; ++row)
    if (GetItemData(row, 0) == lParam) return row;
  return 0;
}

void CGridCtrl::SetSortColumn(int nCol) {
  if (m_nSortColumn >= 0) InvalidateCellRect(0, m_nSortColumn);
  m_nSortColumn = nCol;
  if (nCol >= 0) InvalidateCellRect(0, nCol);
}
