// Drag and drop: a drag carries the selection as the copied text; the grid is also
// the drop target for text, pasting it at the cell under the pointer. Ctrl copies,
// otherwise the drag moves and the cells it took are emptied. The cells are
// remembered when the drag starts: a drop on the same grid clears the selection
// before the move completes, and the move must still empty them.

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>

#include "grid/grid_ctrl.h"
#include "grid/image_list.h"

namespace {

CPoint PointOf(const QDropEvent& event) {
  const QPoint p = event.position().toPoint();
  return CPoint(p.x(), p.y());
}

bool OffersText(const QMimeData* data) { return data != nullptr && data->hasText(); }

Qt::DropAction EffectFor(Qt::KeyboardModifiers keys) {
  return (keys & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction;
}

}  // namespace

void CGridCtrl::RegisterDropTarget() { viewport()->setAcceptDrops(true); }

void CGridCtrl::OnBeginDrag() {
  if (!m_bAllowDragAndDrop) return;
  QMimeData* data = CopySelectionText();
  if (data == nullptr) return;
  m_DraggedCells = SelectedCells();
  m_bDroppedHere = false;
  const CCellID topLeft = GetSelectionBounds().GetTopLeft();
  NotifyOwner(topLeft.row, topLeft.col, GridNotifyCode::DragStarting);
  m_MouseMode = MouseDragging;
  m_bLMouseButtonDown = false;

  const Qt::DropAction effect = DoDragDrop(data);
  // Moved elsewhere: the cells it took are emptied (a drop here did that itself).
  if (effect == Qt::MoveAction && !m_bDroppedHere)
    for (const CCellID& cell : m_DraggedCells) SetCellTextChecked(cell.row, cell.col, std::string());
  m_DraggedCells.clear();
  m_bDroppedHere = false;
  // The drag has given the mouse back.
  if (m_MouseMode == MouseDragging) m_MouseMode = MouseNone;
}

Qt::DropAction CGridCtrl::DoDragDrop(QMimeData* pData) {
  auto* drag = new QDrag(this);  // Qt deletes it when the drag is over
  drag->setMimeData(pData);
  return drag->exec(Qt::CopyAction | Qt::MoveAction);
}

void CGridCtrl::SetDropHighlight(const CCellID& cell, bool bHighlight) {
  if (!IsValid(cell)) return;
  const UINT state = GetItemState(cell.row, cell.col);
  SetItemState(cell.row, cell.col, bHighlight ? state | CellDropHighlighted : state & ~static_cast<UINT>(CellDropHighlighted));
  RedrawCell(cell);
}

Qt::DropAction CGridCtrl::OnDragEnter(const QMimeData* pDataObject, Qt::KeyboardModifiers keys, CPoint point) {
  if (!m_bAllowDragAndDrop || !OffersText(pDataObject)) return Qt::IgnoreAction;
  m_LastDragOverCell = CellFromPoint(point, false);
  if (!IsValid(m_LastDragOverCell) || !IsCellEditable(m_LastDragOverCell)) return Qt::IgnoreAction;
  SetDropHighlight(m_LastDragOverCell, true);
  return EffectFor(keys);
}

Qt::DropAction CGridCtrl::OnDragOver(const QMimeData* pDataObject, Qt::KeyboardModifiers keys, CPoint point) {
  if (!m_bAllowDragAndDrop || !m_bEditable || !OffersText(pDataObject)) return Qt::IgnoreAction;
  const CCellID cell = CellFromPoint(point, false);
  if (!IsValid(cell)) {
    OnDragLeave();
    m_LastDragOverCell = CCellID();
    return Qt::IgnoreAction;
  }
  // A cell that takes nothing leaves the highlight where it was.
  if (!IsCellEditable(cell)) return Qt::IgnoreAction;
  if (cell != m_LastDragOverCell) {
    SetDropHighlight(m_LastDragOverCell, false);
    m_LastDragOverCell = cell;
    SetDropHighlight(cell, true);
  }
  return EffectFor(keys);
}

void CGridCtrl::OnDragLeave() { SetDropHighlight(m_LastDragOverCell, false); }

bool CGridCtrl::OnDrop(const QMimeData* pDataObject, Qt::DropAction dropEffect, CPoint /*point*/) {
  m_MouseMode = MouseNone;
  if (!m_bAllowDragAndDrop || !IsCellEditable(m_LastDragOverCell)) return false;
  OnDragLeave();
  // A move within this grid empties what it took first, so that the drop may land
  // on some of those cells and keep what it puts there.
  if (!m_DraggedCells.empty() && dropEffect == Qt::MoveAction) {
    m_bDroppedHere = true;
    for (const CCellID& cell : m_DraggedCells) SetCellTextChecked(cell.row, cell.col, std::string());
  }
  return PasteText(m_LastDragOverCell, pDataObject, false);
}

void CGridCtrl::dragEnterEvent(QDragEnterEvent* event) {
  const Qt::DropAction effect = OnDragEnter(event->mimeData(), event->modifiers(), PointOf(*event));
  if (!m_bAllowDragAndDrop || !OffersText(event->mimeData())) {
    event->ignore();
    return;
  }
  // Taken even where nothing can be dropped: the moves that follow decide.
  event->setDropAction(effect);
  event->accept();
}

void CGridCtrl::dragMoveEvent(QDragMoveEvent* event) {
  const Qt::DropAction effect = OnDragOver(event->mimeData(), event->modifiers(), PointOf(*event));
  if (effect == Qt::IgnoreAction) {
    event->ignore();
    return;
  }
  event->setDropAction(effect);
  event->accept();
}

void CGridCtrl::dragLeaveEvent(QDragLeaveEvent* event) {
  OnDragLeave();
  event->accept();
}

void CGridCtrl::dropEvent(QDropEvent* event) {
  Qt::DropAction effect = EffectFor(event->modifiers());
  if (!(event->possibleActions() & effect)) effect = Qt::CopyAction;
  if (!OnDrop(event->mimeData(), effect, PointOf(*event))) {
    event->ignore();
    return;
  }
  event->setDropAction(effect);
  event->accept();
}

CImageList* CGridCtrl::CreateDragImage(CPoint* pHotSpot) {
  const CCellID focus = m_idCurrentCell;
  CRect rect;
  CGridCellBase* cell = GetCell(focus.row, focus.col);
  if (cell == nullptr || !GetCellRect(focus, &rect)) return nullptr;
  const int width = GetColumnWidth(focus.col), height = GetRowHeight(focus.row);
  if (width <= 0 || height <= 0) return nullptr;

  // Where the cell leaves its background unpainted the picture stays see-through.
  const QColor clear = zv::ToQColor(m_cellDefault.GetBackColour());
  QPixmap picture(width, height);
  picture.fill(clear);
  {
    QPainter painter(&picture);
    CDC dc(&painter);
    cell->Draw(&dc, focus.row, focus.col, CRect(0, 0, width - 1, height - 1), false);
  }
  picture.setMask(picture.createMaskFromColor(clear));
  auto* images = new CImageList(width, height);
  images->Add(picture);
  if (pHotSpot != nullptr) *pHotSpot = CPoint(width, height);
  return images;
}
