// Placeholders for what the editing, clipboard, sorting, drag and drop and title-tip
// code provides. The mouse, keyboard and scrolling code already calls them where
// that code takes over; until it lands they do nothing (and sorting sorts nothing).
// Each moves to its own file with that code.

#include "grid/grid_ctrl.h"

void CGridCtrl::BeginCellEdit(int /*nRow*/, int /*nCol*/, CPoint /*point*/, UINT /*nChar*/) {}

void CGridCtrl::StopCellEdit() {}

void CGridCtrl::OnChar(UINT /*nChar*/, Qt::KeyboardModifiers /*modifiers*/) {}

void CGridCtrl::ClearSelectedText() {}

void CGridCtrl::OnEditCut() {}

void CGridCtrl::OnEditCopy() {}

void CGridCtrl::OnEditPaste() {}

void CGridCtrl::OnBeginDrag() {}

bool CGridCtrl::SortItems(int /*nCol*/, bool /*bAscending*/, LPARAM /*data*/) { return false; }

void CGridCtrl::HideTitleTip() {}

void CGridCtrl::ShowTitleTip(const CRect& /*rectTitle*/, const std::string& /*text*/, const CRect& /*rectHover*/,
                             const LOGFONT* /*font*/) {}
