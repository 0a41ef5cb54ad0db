#pragma once
// CInPlaceEdit: the single-line editor a cell opens over itself. It is a child of
// the grid's viewport laid over the cell, takes the keystroke that started the
// edit, widens itself while the text grows, and on leaving reports the text and
// the key that ended the edit to the grid (CGridCtrl::OnEditorClosed). It deletes
// itself later, never inside one of its own handlers.
//
// Every key pressed in the editor is taken by it: neither the grid nor a dialog
// around it also reacts to one (the keys reach the editor alone, as they would a
// window that wants all keys).

#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <string>

#include "grid/gdi_types.h"
#include "grid/grid_edit_wnd.h"

class CGridCtrl;

class CInPlaceEdit : public QLineEdit, public CGridEditWnd {
  Q_OBJECT

 public:
  // Opens at the rectangle (viewport coordinates) with the grid's font and the
  // cell's text, takes the focus and applies the first character.
  CInPlaceEdit(CGridCtrl* pParent, const CRect& rect, DWORD dwStyle, UINT nID, int nRow, int nCol,
               const std::string& sInitText, UINT nFirstChar);
  ~CInPlaceEdit() override;

  QWidget* GetWidget() override { return this; }
  // Reports the text and the ending key to the grid once, then closes. A call
  // while the report is being handled (the focus moving as a result) does nothing.
  void EndEdit() override;
  void SendChar(unsigned nChar) override { OnChar(nChar); }

  UINT GetDlgCtrlID() const { return m_nID; }
  int GetRow() const { return m_nRow; }
  int GetCol() const { return m_nCol; }
  // Tab 9, Return 13, Escape 27, a navigation key, or 0 (the focus went elsewhere).
  UINT GetLastChar() const { return m_nLastChar; }
  // The window rectangle in the viewport's coordinates.
  const CRect& GetRect() const { return m_Rect; }
  // The grid is going away: the editor reports to nobody any more.
  void ForgetGrid() { m_pGrid = nullptr; }

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // A character as the editor's character handler takes it (Windows-1251).
  void OnChar(UINT nChar);
  // A key that ends the edit: the focus goes back to the grid, which ends it.
  void Leave(UINT nKey, Qt::KeyboardModifiers modifiers);
  // Wider while the text (with two blanks) does not fit, up to the viewport's edge.
  void Widen();

  CGridCtrl* m_pGrid;
  int m_nRow;
  int m_nCol;
  std::string m_sInitText;
  UINT m_nLastChar = 0;
  Qt::KeyboardModifiers m_LastKeyModifiers;  // held with the ending key
  bool m_bExitOnArrows;  // arrow and page keys leave without Ctrl
  CRect m_Rect;
  UINT m_nID;
  bool m_bEnded = false;  // the report has been sent; the editor is closing
  QPointer<QMenu> m_pContextMenu;  // the editor's own context menu while it exists
};
