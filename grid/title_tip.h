#pragma once
// CTitleTip: the whole text of a cell whose text is cut off, shown in a frameless
// tip window laid exactly over the cell's text. The window never takes the focus
// and lets every click and move through to the grid below, which therefore sees
// them as if the tip were not there.
//
// The tip hides itself when the pointer leaves the hover rectangle or the client
// window, at a press there, a key in its parent, and when the parent's window is
// deactivated; the grid also hides it when it scrolls and when an edit starts.

#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <string>

#include "grid/gdi_font.h"
#include "grid/gdi_types.h"

class CTitleTip : public QWidget {
  Q_OBJECT

 public:
  // A tip of the parent (deleted with it), hidden at first.
  explicit CTitleTip(QWidget* pParent);

  // The window whose client coordinates Show takes and whose pointer it follows.
  void SetParentWnd(QWidget* pParentWnd);
  // Shows the text (Windows-1251) over the title rectangle when, with a blank
  // before and after it, it does not fit there; the tip stays while the pointer is
  // in the hover rectangle (the title rectangle when none is given). Nothing when
  // the rectangle is empty, the tip already shows, or the application has no focus.
  // The colours are CLR_DEFAULT for the tip's own.
  void Show(const CRect& rectTitle, const std::string& text, int xoffset = 0, const CRect* lpHoverRect = nullptr,
            const LOGFONT* lpLogFont = nullptr, COLORREF crTextClr = CLR_DEFAULT, COLORREF crBackClr = CLR_DEFAULT);
  void Hide();
  // The hover rectangle in screen coordinates (right and bottom outside).
  const CRect& GetHoverRect() const { return m_rectHover; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CRect ToScreen(const CRect& rect) const;

  QPointer<QWidget> m_pParentWnd;
  CRect m_rectHover;
  QString m_text;  // with its blanks
  QFont m_font;
  COLORREF m_crText = CLR_DEFAULT;
  COLORREF m_crBack = CLR_DEFAULT;
};
