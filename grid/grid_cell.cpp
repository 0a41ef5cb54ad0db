#include "grid/grid_cell.h"

#include <QGuiApplication>

#include "grid/grid_ctrl.h"
#include "grid/grid_edit_wnd.h"

void CGridCell::SetFont(const LOGFONT* plf) {
  if (plf == nullptr) {
    m_plfFont.reset();
    return;
  }
  if (!m_plfFont) m_plfFont = std::make_unique<LOGFONT>();
  *m_plfFont = *plf;
}

UINT CGridCell::GetFormat() const {
  if (m_nFormat != kInheritFormat) return m_nFormat;
  const CGridDefaultCell* def = GetDefaultCell();
  return def != nullptr ? def->GetFormat() : 0;
}

UINT CGridCell::GetMargin() const {
  if (m_nMargin != kInheritMargin) return m_nMargin;
  const CGridDefaultCell* def = GetDefaultCell();
  return def != nullptr ? def->GetMargin() : 0;
}

const LOGFONT* CGridCell::GetFont() const {
  if (m_plfFont) return m_plfFont.get();
  const CGridDefaultCell* def = GetDefaultCell();
  return def != nullptr ? def->GetFont() : nullptr;
}

CFont* CGridCell::GetFontObject() const {
  if (m_plfFont) {
    // One font object for all cells with a font of their own, re-made from the
    // asking cell's font on every call: valid until the next such call.
    static CFont* shared = new CFont;
    shared->CreateFontIndirect(*m_plfFont);
    return shared;
  }
  const CGridDefaultCell* def = GetDefaultCell();
  return def != nullptr ? def->GetFontObject() : nullptr;
}

void CGridCell::Reset() {
  CGridCellBase::Reset();
  m_strText.clear();
  m_lParam = 0;
  m_nImage = -1;
  m_nFormat = kInheritFormat;
  m_crFgClr = CLR_DEFAULT;
  m_crBkClr = CLR_DEFAULT;
  m_plfFont.reset();
  m_nMargin = kInheritMargin;
  m_bEditing = false;
  m_pEditWnd = nullptr;
}

bool CGridCell::Edit(int nRow, int nCol, CRect rect, CPoint /*point: not used*/, UINT nID, UINT nChar) {
  if (m_bEditing) {
    if (m_pEditWnd != nullptr) m_pEditWnd->SendChar(nChar);
    return true;
  }
  if (m_pGrid == nullptr) return false;
  const UINT format = GetFormat();
  const DWORD style = (format & DT_RIGHT) ? ES_RIGHT : (format & DT_CENTER) ? ES_CENTER : 0;
  m_bEditing = true;
  m_pEditWnd = m_pGrid->CreateInPlaceEdit(rect, style, nID, nRow, nCol, GetText(), nChar);
  if (m_pEditWnd == nullptr) {
    // No editor could be made: the cell is not being edited.
    m_bEditing = false;
    return false;
  }
  return true;
}

void CGridCell::EndEdit() {
  if (m_pEditWnd != nullptr) m_pEditWnd->EndEdit();
}

void CGridCell::OnEndEdit() {
  m_bEditing = false;
  m_pEditWnd = nullptr;
}

CGridDefaultCell::CGridDefaultCell() {
  m_nFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
  m_crFgClr = CLR_DEFAULT;
  m_crBkClr = CLR_DEFAULT;
  if (QGuiApplication::instance() != nullptr) {
    const LOGFONT lf = zv::MessageLogFont();
    SetFont(&lf);
  }
}

void CGridDefaultCell::SetFont(const LOGFONT* plf) {
  if (plf == nullptr) return;
  m_Font.CreateFontIndirect(*plf);
  CGridCell::SetFont(plf);
  if (QGuiApplication::instance() == nullptr) {
    // No screen to measure on.
    SetMargin(3);
    m_Size = CSize(40, 16);
    return;
  }
  CDC screen;
  CFont* old = screen.SelectObject(&m_Font);
  SetMargin(static_cast<UINT>(screen.GetTextExtent(" ").cx));
  m_Size = screen.GetTextExtent(" XXXXXXXXXXXX ");
  m_Size.cy = m_Size.cy * 3 / 2;
  screen.SelectObject(old);
}
