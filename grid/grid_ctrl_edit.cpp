// In-place editing. The editor window itself does not exist yet: until it does, no
// editor can be made and a cell's Edit reports failure without entering editing.

#include "grid/grid_ctrl.h"

CGridEditWnd* CGridCtrl::CreateInPlaceEdit(const CRect& /*rect*/, DWORD /*dwStyle*/, UINT /*nID*/,
                                           int /*nRow*/, int /*nCol*/, const std::string& /*initialText*/,
                                           UINT /*nFirstChar*/) {
  return nullptr;
}

bool CGridCtrl::IsCellEditable(int nRow, int nCol) const {
  if (!m_bEditable) return false;
  const CGridCellBase* cell = GetCell(nRow, nCol);
  return cell != nullptr && !cell->IsReadOnly();
}
