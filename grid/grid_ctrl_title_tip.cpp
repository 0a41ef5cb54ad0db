// The title tip over a cell whose text does not fit. The tip is made at the first
// hover that asks for it and belongs to the grid; it follows the pointer over the
// viewport and goes at a press, a key, a scroll step, an edit start and when the
// window is deactivated.

#include "grid/grid_ctrl.h"
#include "grid/title_tip.h"

void CGridCtrl::ShowTitleTip(const CRect& rectTitle, const std::string& text, const CRect& rectHover,
                             const LOGFONT* font) {
  if (m_pTitleTip == nullptr) {
    m_pTitleTip = new CTitleTip(this);
    m_pTitleTip->SetParentWnd(viewport());
  }
  m_pTitleTip->Show(rectTitle, text, 0, &rectHover, font, m_crTTipFgClr, m_crTTipBackClr);
}

void CGridCtrl::HideTitleTip() {
  if (m_pTitleTip != nullptr) m_pTitleTip->Hide();
}
