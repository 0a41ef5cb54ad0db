// In-place editing: when an edit starts (a typed character, F2, a click on the
// focus cell's text, a double click), what is done with the text that comes back,
// and the edit that goes on in the next cell after Tab or a navigation key.

#include <QMetaObject>

#include "grid/grid_ctrl.h"
#include "grid/in_place_edit.h"

CGridEditWnd* CGridCtrl::CreateInPlaceEdit(const CRect& rect, DWORD dwStyle, UINT nID, int nRow, int nCol,
                                           const std::string& initialText, UINT nFirstChar) {
  // Without the grid's window there is nowhere to put an editor. The editor deletes
  // itself when it closes.
  if (!m_bCreated) return nullptr;
  return new CInPlaceEdit(this, rect, dwStyle, nID, nRow, nCol, initialText, nFirstChar);
}

bool CGridCtrl::IsCellEditable(int nRow, int nCol) const {
  if (!m_bEditable) return false;
  const CGridCellBase* cell = GetCell(nRow, nCol);
  return cell != nullptr && !cell->IsReadOnly();
}

bool CGridCtrl::IsItemEditing(int nRow, int nCol) const {
  const CGridCellBase* cell = GetCell(nRow, nCol);
  return cell != nullptr && cell->IsEditing();
}

void CGridCtrl::OnChar(UINT nChar, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::ControlModifier) return;
  // A character typed while the mouse selects (or sits on a divider) starts nothing.
  if (m_MouseMode != MouseNone || nChar == VK_ESCAPE) return;
  if (m_bHandleTabKey && nChar == VK_TAB) return;
  BeginCellEdit(m_idCurrentCell.row, m_idCurrentCell.col, CPoint(-1, -1), nChar);
}

void CGridCtrl::BeginCellEdit(int nRow, int nCol, CPoint point, UINT nChar) {
  HideTitleTip();
  if (!IsValid(nRow, nCol) || !IsCellEditable(nRow, nCol)) return;
  EnsureVisible(nRow, nCol);
  CRect rect;
  if (!IsCellVisible(nRow, nCol) || !GetCellRect(nRow, nCol, &rect)) return;
  if (NotifyOwner(nRow, nCol, GridNotifyCode::EditStarting) < 0) return;
  // The owner's answer may have changed the grid.
  if (CGridCellBase* cell = GetCell(nRow, nCol)) cell->Edit(nRow, nCol, rect, point, kInPlaceEditId, nChar);
}

void CGridCtrl::StopCellEdit() {
  if (!IsValid(m_idCurrentCell)) return;
  if (CGridCellBase* cell = GetCell(m_idCurrentCell.row, m_idCurrentCell.col)) cell->EndEdit();
}

bool CGridCtrl::ValidateEdit(int nRow, int nCol, const std::string& str) {
  CGridCellBase* cell = GetCell(nRow, nCol);
  return cell == nullptr || cell->ValidateEdit(str);
}

void CGridCtrl::ReplaceCellText(int nRow, int nCol, const std::string& oldText, const std::string& str) {
  if (str == oldText) return;
  SetItemText(nRow, nCol, str);
  if (ValidateEdit(nRow, nCol, str) && NotifyOwner(nRow, nCol, GridNotifyCode::EditEnded) >= 0) {
    SetModified(true, nRow, nCol);
    RedrawCell(nRow, nCol);
  } else {
    // Refused: the old text again, without telling the owner (the cell stays marked
    // modified, as every SetItemText leaves it).
    SetItemText(nRow, nCol, oldText);
  }
}

void CGridCtrl::StoreEditedText(int nRow, int nCol, const std::string& str) {
  // The cell may have gone while it was edited.
  if (!IsValid(nRow, nCol)) return;
  ReplaceCellText(nRow, nCol, GetItemText(nRow, nCol), str);
  if (CGridCellBase* cell = GetCell(nRow, nCol)) cell->OnEndEdit();
}

void CGridCtrl::SetCellTextChecked(int nRow, int nCol, const std::string& str) {
  if (!IsCellEditable(nRow, nCol)) return;
  if (NotifyOwner(nRow, nCol, GridNotifyCode::EditStarting) < 0) return;
  ReplaceCellText(nRow, nCol, GetItemText(nRow, nCol), str);
}

LRESULT CGridCtrl::OnEditorClosed(const GridDispInfo& info, Qt::KeyboardModifiers keyModifiers) {
  if (!m_bCreated || info.hdr.code != GridNotifyCode::EditEnded || info.hdr.idFrom != kInPlaceEditId) return 0;
  StoreEditedText(info.item.row, info.item.col, info.item.strText);

  const UINT key = static_cast<UINT>(info.item.lParam);
  if (key == VK_TAB || (key >= VK_PRIOR && key <= VK_DOWN)) {
    // The key moves the focus as it would on the grid, and the cell it reaches opens
    // with its whole text selected. Queued: this runs inside the old editor's focus
    // change, which must be over before the new editor takes the focus.
    QMetaObject::invokeMethod(
        this,
        [this, key, keyModifiers] {
          OnKeyDown(key, keyModifiers);
          const UINT startKey = key == VK_TAB ? VK_TAB : key | kEditNavigationKey;
          BeginCellEdit(m_idCurrentCell.row, m_idCurrentCell.col, CPoint(-1, -1), startKey);
        },
        Qt::QueuedConnection);
  }
  return 0;
}
