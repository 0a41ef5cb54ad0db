#include "grid/in_place_edit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <algorithm>

#include "grid/grid_ctrl.h"
#include "grid/grid_msg_codes.h"
#include "platform/qt/qt_text.h"

namespace {

// One report at a time in the whole program: the report's handling may move the
// focus, and that focus loss must not report again.
bool g_bEndingEdit = false;

bool IsLeavingKey(int key) {
  switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down: return true;
    default: return false;
  }
}

UINT VirtualKeyOf(int key) {
  switch (key) {
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    default: return VK_DOWN;
  }
}

}  // namespace

CInPlaceEdit::CInPlaceEdit(CGridCtrl* pParent, const CRect& rect, DWORD dwStyle, UINT nID, int nRow, int nCol,
                           const std::string& sInitText, UINT nFirstChar)
    : QLineEdit(pParent->viewport()),
      m_pGrid(pParent),
      m_nRow(nRow),
      m_nCol(nCol),
      m_sInitText(sInitText),
      m_bExitOnArrows(nFirstChar != VK_LBUTTON),
      m_Rect(rect),
      m_nID(nID) {
  setFrame(true);
  if (dwStyle & ES_RIGHT) setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  else if (dwStyle & ES_CENTER) setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  if (const CFont* font = pParent->GetFont(); font != nullptr && font->IsCreated()) setFont(font->GetQFont());
  setGeometry(m_Rect.ToQRect());
  setText(zv::QFromCp1251(m_sInitText));
  show();
  setFocus(Qt::OtherFocusReason);

  if (nFirstChar == VK_LBUTTON || nFirstChar == VK_RETURN) {
    end(false);
  } else if (nFirstChar == VK_BACK) {
    end(false);
    OnChar(VK_BACK);
  } else if (nFirstChar == VK_TAB || (nFirstChar & kEditNavigationKey)) {
    selectAll();
  } else {
    // Typed: the character replaces the whole text.
    selectAll();
    OnChar(nFirstChar);
  }
}

CInPlaceEdit::~CInPlaceEdit() {
  // Being deleted: whatever focus loss the deletion brings reports nothing.
  m_bEnded = true;
}

void CInPlaceEdit::OnChar(UINT nChar) {
  switch (nChar) {
    case VK_TAB:
    case VK_RETURN:
      Leave(nChar, m_LastKeyModifiers);
      return;
    case VK_ESCAPE:
      setText(zv::QFromCp1251(m_sInitText));
      Leave(nChar, m_LastKeyModifiers);
      return;
    case VK_BACK:
      backspace();
      break;
    default:
      // Control characters and keys type nothing.
      if (nChar < 0x20 || nChar > 0xFF || nChar == 0x7F) return;
      insert(zv::QFromCp1251(std::string(1, static_cast<char>(nChar))));
      break;
  }
  Widen();
}

void CInPlaceEdit::Widen() {
  const int width = fontMetrics().horizontalAdvance(text() + QStringLiteral("  "));
  if (width <= m_Rect.Width()) return;
  const int edge = parentWidget() != nullptr ? parentWidget()->width() : m_Rect.left + width;
  m_Rect.right = std::min(m_Rect.left + width, edge);
  setGeometry(m_Rect.ToQRect());
}

bool CInPlaceEdit::event(QEvent* event) {
  // Tab ends the edit here before the focus chain could take it.
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      m_LastKeyModifiers = key->modifiers();
      if (key->key() == Qt::Key_Backtab) m_LastKeyModifiers |= Qt::ShiftModifier;
      OnChar(VK_TAB);
      key->accept();
      return true;
    }
  }
  return QLineEdit::event(event);
}

void CInPlaceEdit::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  const int key = event->key();
  if (modifiers & Qt::AltModifier) {
    // System characters are swallowed while editing.
  } else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !(modifiers & Qt::ControlModifier)) {
    m_LastKeyModifiers = modifiers;
    OnChar(VK_RETURN);
  } else if (key == Qt::Key_Escape) {
    m_LastKeyModifiers = modifiers;
    OnChar(VK_ESCAPE);
  } else if (IsLeavingKey(key) && (m_bExitOnArrows || (modifiers & Qt::ControlModifier))) {
    Leave(VirtualKeyOf(key), modifiers);
  } else if (key != Qt::Key_Tab && key != Qt::Key_Backtab) {
    // Opened by a click, the arrows move the caret.
    QLineEdit::keyPressEvent(event);
    Widen();
  }
  event->accept();
}

void CInPlaceEdit::Leave(UINT nKey, Qt::KeyboardModifiers modifiers) {
  m_nLastChar = nKey;
  m_LastKeyModifiers = modifiers;
  QWidget* grid = m_pGrid != nullptr ? static_cast<QWidget*>(m_pGrid) : parentWidget();
  if (grid != nullptr) grid->setFocus(Qt::OtherFocusReason);
  // The focus loss has ended the edit, unless the window is not active (then the
  // focus moves without telling anyone).
  EndEdit();
}

void CInPlaceEdit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  if (menu == nullptr) return;
  menu->setAttribute(Qt::WA_DeleteOnClose);
  m_pContextMenu = menu;
  menu->popup(event->globalPos());
  event->accept();
}

void CInPlaceEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // The editor's own context menu has the focus while it is open, and on some
  // platforms the window's activation too (which may be reported only after it has
  // closed); the focus comes back to the editor afterwards.
  if (m_pContextMenu != nullptr && (m_pContextMenu->isVisible() || QApplication::activeWindow() == m_pContextMenu))
    return;
  EndEdit();
}

void CInPlaceEdit::EndEdit() {
  if (g_bEndingEdit || m_bEnded) return;
  g_bEndingEdit = true;
  m_bEnded = true;
  const QPointer<CInPlaceEdit> self(this);

  GridDispInfo info;
  info.hdr.hwndFrom = this;
  info.hdr.idFrom = m_nID;
  info.hdr.code = GridNotifyCode::EditEnded;
  info.item.row = m_nRow;
  info.item.col = m_nCol;
  info.item.mask = ItemText | ItemData;
  info.item.strText = zv::QToCp1251(text());
  info.item.lParam = static_cast<LPARAM>(m_nLastChar);
  // The grid has stored the text when this returns.
  if (m_pGrid != nullptr) m_pGrid->OnEditorClosed(info, m_LastKeyModifiers);

  if (self != nullptr) {
    // Closing: a focus still here goes back to the grid, not along the focus chain.
    QWidget* holder = window() != nullptr ? window()->focusWidget() : nullptr;
    if ((hasFocus() || holder == this) && m_pGrid != nullptr) m_pGrid->setFocus(Qt::OtherFocusReason);
    hide();
    deleteLater();
  }
  g_bEndingEdit = false;
}
