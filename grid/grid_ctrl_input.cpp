// Qt's input events turned into the grid's handlers, the cursor, the context-menu
// request, the posted click notification and the auto-scroll timer.
//
// Each key event is split into its key-down part (OnKeyDown, virtual keys) and its
// character part (OnChar, Windows-1251 bytes), as a key press and the character it
// types. Mouse events come from the viewport; Qt's implicit grab keeps them coming
// while a button is held, also from outside the window, which stands in for the
// mouse capture. A double click is no press: Qt's own handler would make it one.

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimerEvent>
#include <algorithm>

#include "grid/grid_ctrl.h"
#include "platform/qt/qt_text.h"

namespace {

// The virtual key of a key event; 0 for keys the grid has no use for.
UINT VirtualKeyOf(const QKeyEvent& event) {
  const int key = event.key();
  switch (key) {
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_F2: return VK_F2;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Insert: return VK_INSERT;
    default: break;
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + static_cast<UINT>(key - Qt::Key_A);
  return 0;
}

CPoint PointOf(const QMouseEvent& event) {
  const QPoint p = event.position().toPoint();
  return CPoint(p.x(), p.y());
}

}  // namespace

bool CGridCtrl::event(QEvent* event) {
  // The bars are settled first; Qt then lays out bars and viewport once. (Changing
  // a bar from inside Qt's own layout would leave the layout half done.)
  if (event->type() == QEvent::Resize) OnSize();
  // Tab and Shift+Tab (Qt delivers the latter as Backtab or as Tab with Shift) move
  // the focus cell while the grid handles Tab; Qt's focus chain never sees them.
  if (event->type() == QEvent::KeyPress && m_bHandleTabKey) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      keyPressEvent(key);
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

void CGridCtrl::keyPressEvent(QKeyEvent* event) {
  Qt::KeyboardModifiers modifiers = event->modifiers();
  // Alt keys belong to the menus (system keys): the grid takes neither part.
  if (modifiers & Qt::AltModifier) {
    event->ignore();
    return;
  }
  if (event->key() == Qt::Key_Backtab) modifiers |= Qt::ShiftModifier;
  const UINT key = VirtualKeyOf(*event);
  bool taken = key != 0 && OnKeyDown(key, modifiers);
  if (key == VK_TAB && m_bHandleTabKey) taken = true;

  // The character the key types, byte by byte (Delete types none).
  const std::string chars = zv::QToCp1251(event->text());
  for (char c : chars)
    if (c != '\x7f') OnChar(static_cast<unsigned char>(c), modifiers);
  // A character that opened an editor has been used.
  if (!chars.empty() && IsItemEditing(m_idCurrentCell.row, m_idCurrentCell.col)) taken = true;
  // Keys the grid leaves go on to the parent (a dialog's Return and Escape).
  event->setAccepted(taken);
}

void CGridCtrl::mousePressEvent(QMouseEvent* event) {
  m_PointerPoint = PointOf(*event);
  if (event->button() == Qt::LeftButton) OnLButtonDown(m_PointerPoint, event->modifiers());
  event->accept();
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* event) {
  m_PointerPoint = PointOf(*event);
  OnMouseMove(m_PointerPoint, event->modifiers());
  // No cursor requests while a button holds the mouse.
  if (event->buttons() == Qt::NoButton) OnSetCursor(m_PointerPoint);
  event->accept();
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* event) {
  m_PointerPoint = PointOf(*event);
  if (event->button() == Qt::LeftButton) OnLButtonUp(m_PointerPoint, event->modifiers());
  else if (event->button() == Qt::RightButton) OnRButtonUp(m_PointerPoint, event->modifiers());
  event->accept();
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  m_PointerPoint = PointOf(*event);
  if (event->button() == Qt::LeftButton) OnLButtonDblClk(m_PointerPoint, event->modifiers());
  event->accept();
}

void CGridCtrl::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() == QContextMenuEvent::Mouse) event->accept();
  else event->ignore();
}

void CGridCtrl::RequestContextMenu(CPoint point) {
  QWidget* parent = parentWidget();
  if (parent == nullptr) return;
  const QPoint global = viewport()->mapToGlobal(point.ToQPoint());
  QContextMenuEvent request(QContextMenuEvent::Mouse, parent->mapFromGlobal(global), global,
                            QGuiApplication::keyboardModifiers());
  QCoreApplication::sendEvent(parent, &request);
}

void CGridCtrl::SetGridCursor(Qt::CursorShape shape) {
  if (viewport()->cursor().shape() != shape) viewport()->setCursor(shape);
}

void CGridCtrl::OnSetCursor(CPoint point) {
  switch (m_MouseMode) {
    case MouseOverRowDivider: SetGridCursor(Qt::SizeVerCursor); return;
    case MouseOverColumnDivider: SetGridCursor(Qt::SizeHorCursor); return;
    case MouseDragging: return;
    default: break;
  }
  if (!m_bVirtualMode) {
    const CCellID cell = CellFromPoint(point, true);
    if (CGridCellBase* pCell = GetCell(cell.row, cell.col); pCell != nullptr && pCell->OnSetCursor()) return;
  }
  SetGridCursor(Qt::ArrowCursor);
}

void CGridCtrl::PostClicked() {
  if (!m_bCreated) return;
  // Posted: the owner hears of the click after the release is done.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (CGridOwner* owner = GetOwner()) owner->OnGridClicked(m_nID);
      },
      Qt::QueuedConnection);
}

void CGridCtrl::timerEvent(QTimerEvent* event) {
  if (m_nTimerID != 0 && event->timerId() == m_nTimerID) OnTimer(m_nTimerID);
  else QAbstractScrollArea::timerEvent(event);
}

void CGridCtrl::KillAutoScrollTimer() {
  if (m_nTimerID == 0) return;
  killTimer(m_nTimerID);
  m_nTimerID = 0;
}

void CGridCtrl::OnTimer(int nIDEvent) {
  if (nIDEvent == 0 || nIDEvent != m_nTimerID) return;
  // The pointer as last seen (the grid receives every move while the button is held).
  const CPoint pt = m_PointerPoint;
  const CRect client = GetClientRect();
  const int fixedHeight = GetFixedRowHeight();
  const int fixedWidth = GetFixedColumnWidth();
  const int x = std::clamp(pt.x, client.left, client.right);
  const int y = std::clamp(pt.y, client.top, client.bottom);
  // The arrow keys move the focus and scroll; they select nothing while the mouse
  // selects, and then the selection follows the pointer kept inside the window.
  if (pt.y > client.bottom) {
    OnKeyDown(VK_DOWN, Qt::NoModifier);
    ExtendSelection(CellFromPoint(CPoint(x, client.bottom), true));
  } else if (pt.y < fixedHeight) {
    OnKeyDown(VK_UP, Qt::NoModifier);
    ExtendSelection(CellFromPoint(CPoint(x, fixedHeight + 1), true));
  }
  if (pt.x > client.right) {
    OnKeyDown(VK_RIGHT, Qt::NoModifier);
    ExtendSelection(CellFromPoint(CPoint(client.right, y), true));
  } else if (pt.x < fixedWidth) {
    OnKeyDown(VK_LEFT, Qt::NoModifier);
    ExtendSelection(CellFromPoint(CPoint(fixedWidth + 1, y), true));
  }
}

void CGridCtrl::focusOutEvent(QFocusEvent* event) {
  // A popup or another window takes over the mouse.
  if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) OnCaptureChanged();
  QAbstractScrollArea::focusOutEvent(event);
}

void CGridCtrl::OnCaptureChanged() {
  KillAutoScrollTimer();
  if (m_MouseMode == MouseDragging) m_MouseMode = MouseNone;
}
