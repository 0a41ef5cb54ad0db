#include "grid/title_tip.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "grid/gdi_colours.h"
#include "platform/qt/qt_text.h"

CTitleTip::CTitleTip(QWidget* pParent)
    : QWidget(pParent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput) {
  // A tool-tip window is never activated: the grid's window keeps the focus.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  if (pParent != nullptr) pParent->installEventFilter(this);
}

void CTitleTip::SetParentWnd(QWidget* pParentWnd) {
  if (m_pParentWnd != nullptr && m_pParentWnd != parentWidget()) m_pParentWnd->removeEventFilter(this);
  m_pParentWnd = pParentWnd;
  if (pParentWnd != nullptr && pParentWnd != parentWidget()) pParentWnd->installEventFilter(this);
}

CRect CTitleTip::ToScreen(const CRect& rect) const {
  const QPoint topLeft = m_pParentWnd->mapToGlobal(QPoint(rect.left, rect.top));
  return CRect(topLeft.x(), topLeft.y(), topLeft.x() + rect.Width(), topLeft.y() + rect.Height());
}

void CTitleTip::Show(const CRect& rectTitle, const std::string& text, int xoffset, const CRect* lpHoverRect,
                     const LOGFONT* lpLogFont, COLORREF crTextClr, COLORREF crBackClr) {
  if (m_pParentWnd == nullptr || rectTitle.IsRectEmpty() || isVisible()) return;
  CRect hover = lpHoverRect != nullptr ? *lpHoverRect : rectTitle;
  // The rectangles come with their last row and column inside.
  hover.right += 1;
  hover.bottom += 1;
  m_rectHover = ToScreen(hover);
  if (QApplication::focusWidget() == nullptr) return;

  const CRect title = ToScreen(rectTitle);
  m_text = QStringLiteral(" ") + zv::QFromCp1251(text) + QStringLiteral(" ");
  m_font = lpLogFont != nullptr ? zv::LogFontToQFont(*lpLogFont) : m_pParentWnd->font();
  const int width = QFontMetrics(m_font).horizontalAdvance(m_text);
  CRect display = title;
  display.left = title.left + xoffset;
  display.right = display.left + width + xoffset;
  // Only a text that is cut off.
  if (display.right <= title.right - xoffset) return;

  m_crText = crTextClr;
  m_crBack = crBackClr;
  setGeometry(display.ToQRect());
  show();
  raise();
  update();
}

void CTitleTip::Hide() {
  if (isVisible()) hide();
}

void CTitleTip::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QRect all = rect();
  painter.fillRect(all, zv::ToQColor(m_crBack != CLR_DEFAULT ? m_crBack : GetSysColor(COLOR_INFOBK)));
  // The one-pixel border; the text starts inside it.
  painter.setPen(Qt::black);
  painter.drawRect(all.adjusted(0, 0, -1, -1));
  painter.setFont(m_font);
  painter.setPen(zv::ToQColor(m_crText != CLR_DEFAULT ? m_crText : GetSysColor(COLOR_INFOTEXT)));
  painter.drawText(QPoint(1, 1 + QFontMetrics(m_font).ascent()), m_text);
}

bool CTitleTip::eventFilter(QObject* watched, QEvent* event) {
  if (!isVisible()) return false;
  switch (event->type()) {
    case QEvent::MouseMove:
      if (watched == m_pParentWnd) {
        const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        if (!m_rectHover.PtInRect(CPoint(at.x(), at.y()))) Hide();
      }
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Leave:
    case QEvent::KeyPress:
    case QEvent::WindowDeactivate:
    case QEvent::Hide: Hide(); break;
    default: break;
  }
  // The event goes on to its window unchanged.
  return false;
}
