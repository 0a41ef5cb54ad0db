// The mouse: press, move, release, double click and right release, the mouse modes
// they step through (selecting, sizing by a divider, preparing an edit or a drag),
// the divider hot zones and the heading clicks.
//
// Sizing shows a line (a rubber band) in place of the inverted line of old, and
// keeps the pointer inside the band the divider may move in by clamping the points
// it reports, where the platform's cursor cannot be confined.

#include <QApplication>
#include <QRubberBand>
#include <algorithm>
#include <cstdlib>

#include "grid/grid_ctrl.h"
#include "grid/wait_cursor.h"

namespace {

// The point lies in the cell's text rectangle (the cell less its image).
bool InCellText(const CGridCtrl& grid, CGridCellBase* cell, const CCellID& id, CPoint point) {
  CRect rect;
  if (cell == nullptr || !grid.GetCellRect(id, &rect)) return false;
  cell->GetTextRect(&rect);
  return rect.PtInRect(point);
}

bool IsDataCell(const CGridCtrl& grid, const CCellID& cell) {
  return cell.row >= grid.GetFixedRowCount() && cell.col >= grid.GetFixedColumnCount();
}

}  // namespace

bool CGridCtrl::IsOverColumnDivider(CPoint point) const { return IsOverDivider(true, point); }

bool CGridCtrl::IsOverRowDivider(CPoint point) const { return IsOverDivider(false, point); }

bool CGridCtrl::IsOverDivider(bool bColumn, CPoint point) const {
  // Columns are sized in the headings above them, rows in the headings beside them.
  if (bColumn ? point.y >= GetFixedRowHeight() : point.x >= GetFixedColumnWidth()) return false;
  const CCellID cell = CellFromPoint(point, true);
  CPoint origin;
  if (!GetCellOrigin(cell, &origin)) return false;
  const int into = bColumn ? point.x - origin.x : point.y - origin.y;
  const int index = bColumn ? cell.col : cell.row;
  const int size = bColumn ? m_arColWidths[static_cast<size_t>(index)] : m_arRowHeights[static_cast<size_t>(index)];
  // Near the start (not of the first one) or near the end.
  return (into < m_nResizeCaptureRange && index != 0) || size - into < m_nResizeCaptureRange;
}

CPoint CGridCtrl::PointInCell(int nRow, int nCol, CPoint point) const {
  CPoint origin;
  if (!GetCellOrigin(nRow, nCol, &origin)) return CPoint(0, 0);
  return CPoint(point.x - origin.x, point.y - origin.y);
}

void CGridCtrl::OnRowHeaderClick(CCellID cell) {
  if (!IsValid(cell) || !m_bFixedRowSelection) return;
  m_MouseMode = cell.row < m_nFixedRows ? MouseSelectAll : MouseSelectRows;
  ExtendSelection(cell);
}

void CGridCtrl::OnColumnHeaderClick(CCellID cell) {
  if (!IsValid(cell)) return;
  if (m_bSortOnClick) {
    CWaitCursor wait;
    // The same column again turns the order round; another column sorts ascending.
    SortItems(cell.col, !(cell.col == m_nSortColumn && m_bAscending));
    Refresh();
  }
  if (m_bFixedColumnSelection) {
    m_MouseMode = cell.col < m_nFixedCols ? MouseSelectAll : MouseSelectColumns;
    ExtendSelection(cell);
  }
}

void CGridCtrl::OnLButtonDown(CPoint point, Qt::KeyboardModifiers modifiers) {
  const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
  const bool shift = (modifiers & Qt::ShiftModifier) != 0;
  setFocus(Qt::MouseFocusReason);
  m_bLMouseButtonDown = true;
  m_LeftClickDownPoint = point;
  m_LeftClickDownCell = CellFromPoint(point, true);
  if (!IsValid(m_LeftClickDownCell)) return;
  const CCellID down = m_LeftClickDownCell;

  // Shift extends from the anchor (the focus cell when there is none).
  if (!shift) m_SelectionStartCell = down;
  else if (!IsValid(m_SelectionStartCell)) m_SelectionStartCell = m_idCurrentCell;

  StopCellEdit();
  CGridCellBase* cell = GetCell(down.row, down.col);
  if (cell != nullptr) cell->OnClickDown(PointInCell(down.row, down.col, point));

  // A press on the focus cell's text edits on release.
  if (down == m_idCurrentCell && !ctrl && InCellText(*this, cell, down, point) && IsCellEditable(down)) {
    m_MouseMode = MousePrepareEdit;
    return;
  }
  if (IsCellSelected(down)) {
    SetFocusCell(down);
    // Ctrl on a selected cell takes it (its row in list mode) out of the selection.
    if (ctrl) {
      if (m_bListMode) SelectRows(down, true, false);
      else SelectCells(down, true, false);
      return;
    }
    if (m_bAllowDragAndDrop) m_MouseMode = MousePrepareDrag;
  } else if (m_MouseMode != MouseOverColumnDivider && m_MouseMode != MouseOverRowDivider) {
    SetFocusCell(IsDataCell(*this, down) ? down : CCellID(-1, -1));
  }

  // The button now holds the mouse (Qt's implicit grab) until the release.
  if (m_MouseMode == MouseNone) {
    if (m_bAllowColumnResize && IsOverColumnDivider(point)) {
      SetGridCursor(Qt::SizeHorCursor);
      m_MouseMode = MouseOverColumnDivider;
    } else if (m_bAllowRowResize && IsOverRowDivider(point)) {
      SetGridCursor(Qt::SizeVerCursor);
      m_MouseMode = MouseOverRowDivider;
    }
  }

  if (m_MouseMode == MouseOverColumnDivider || m_MouseMode == MouseOverRowDivider) {
    if (!StartSizing(m_MouseMode == MouseOverColumnDivider, point)) return;
  } else if (m_MouseMode != MousePrepareDrag) {
    NotifyOwner(down.row, down.col, GridNotifyCode::SelectionChanging);
    // With Ctrl the selection so far is kept and the new one adds to it.
    m_PrevSelectedCellMap.Clear();
    if (ctrl) m_PrevSelectedCellMap = m_SelectedCellMap;
    if (down.row < m_nFixedRows) {
      OnColumnHeaderClick(down);
    } else if (down.col < m_nFixedCols) {
      OnRowHeaderClick(down);
    } else {
      m_MouseMode = m_bListMode ? MouseSelectRows : MouseSelectCells;
      ExtendSelection(down);
      if (m_nTimerID == 0) m_nTimerID = startTimer(m_nTimerInterval);
    }
  }
  m_LastMousePoint = point;
}

bool CGridCtrl::StartSizing(bool bColumn, CPoint point) {
  m_MouseMode = bColumn ? MouseSizingColumn : MouseSizingRow;
  // Columns and x, or rows and y.
  const std::vector<int>& sizes = bColumn ? m_arColWidths : m_arRowHeights;
  int& index = bColumn ? m_LeftClickDownCell.col : m_LeftClickDownCell.row;
  const int last = (bColumn ? m_nCols : m_nRows) - 1;
  const int range = m_nResizeCaptureRange;
  const int at = bColumn ? point.x : point.y;
  auto size = [&sizes](int i) { return sizes[static_cast<size_t>(i)]; };
  // A column's divider is measured in the heading row, a row's in the pressed cell.
  auto origin = [&](CPoint* p) { return bColumn ? GetCellOrigin(0, index, p) : GetCellOrigin(m_LeftClickDownCell, p); };
  auto along = [bColumn](CPoint p) { return bColumn ? p.x : p.y; };

  // A last column (row) too narrow to be pressed is reached at the end of the cells.
  CRect visible;
  GetVisibleDataRange(&visible);
  if (size(last) < range && std::abs(at - (bColumn ? visible.right : visible.bottom)) < range) index = last;
  CPoint from;
  if (!origin(&from)) return false;

  if (!(bColumn ? m_bHiddenColUnhide : m_bHiddenRowUnhide)) {
    // Hidden ones stay hidden: the divider belongs to the nearest shown one before.
    const bool rightBorder = at - along(from) >= range;
    if (!(rightBorder && index == last)) {
      int candidate = rightBorder ? index : index - 1;
      while (candidate >= 0 && size(candidate) == 0) {
        --candidate;
        --index;
      }
      if (candidate < 0) return false;
    }
  }
  ShowSizingLine(point);
  // A press on the left (top) divider sizes the one before.
  if (at - along(from) < range && (index != last || size(last) >= range)) {
    --index;
    if (!origin(&from)) return false;
  }

  // The pointer may go from one pixel past the start of the one being sized on.
  const CRect client = GetClientRect();
  if (bColumn)
    m_rcSizingBand = CRect(from.x + 1, client.top, from.x + 1 + client.Width() - GetFixedColumnWidth(), client.bottom);
  else
    m_rcSizingBand = CRect(client.left, from.y + 1, client.right, from.y + 1 + client.Height() - GetFixedRowHeight());
  return true;
}

CPoint CGridCtrl::ClampToSizingBand(CPoint point) const {
  const CRect& band = m_rcSizingBand;
  if (band.IsRectEmpty()) return point;
  return CPoint(std::clamp(point.x, band.left, band.right - 1), std::clamp(point.y, band.top, band.bottom - 1));
}

void CGridCtrl::ShowSizingLine(CPoint point) {
  if (m_pSizingLine == nullptr) m_pSizingLine = new QRubberBand(QRubberBand::Line, viewport());
  const CRect client = GetClientRect();
  // Two pixels across the whole client area at the pointer.
  if (m_MouseMode == MouseSizingColumn) m_pSizingLine->setGeometry(point.x, 0, 2, client.Height());
  else m_pSizingLine->setGeometry(0, point.y, client.Width(), 2);
  m_pSizingLine->show();
}

void CGridCtrl::HideSizingLine() {
  if (m_pSizingLine != nullptr) m_pSizingLine->hide();
}

void CGridCtrl::OnMouseMove(CPoint point, Qt::KeyboardModifiers /*modifiers*/) {
  const bool sizing = m_MouseMode == MouseSizingColumn || m_MouseMode == MouseSizingRow;
  if (sizing) point = ClampToSizingBand(point);
  if (!GetClientRect().PtInRect(point) && m_MouseMode != MouseDragging) return;

  if (!m_bLMouseButtonDown || m_MouseMode == MouseNone) {
    TrackPointer(point);
  } else if (IsValid(m_LeftClickDownCell)) {
    switch (m_MouseMode) {
      case MouseSelectColumns:
      case MouseSelectRows:
      case MouseSelectCells: {
        const CCellID cell = CellFromPoint(point, true);
        if (!IsValid(cell) || cell == m_idCurrentCell) break;
        ExtendSelection(cell);
        if (IsDataCell(*this, cell) || m_MouseMode == MouseSelectColumns || m_MouseMode == MouseSelectRows)
          SetFocusCell(cell);
        break;
      }
      case MouseSizingRow:
      case MouseSizingColumn: ShowSizingLine(point); break;
      case MousePrepareEdit:
      case MousePrepareDrag: {
        // A hand's jitter is no drag: only a move past the platform's start-drag
        // distance gives up the edit (or the click) for a drag.
        const int dx = point.x - m_LeftClickDownPoint.x, dy = point.y - m_LeftClickDownPoint.y;
        if (std::abs(dx) + std::abs(dy) < QApplication::startDragDistance()) break;
        m_MouseMode = MousePrepareDrag;
        OnBeginDrag();
        break;
      }
      default: break;
    }
  }
  m_LastMousePoint = point;
}

void CGridCtrl::TrackPointer(CPoint point) {
  if (m_bAllowColumnResize && IsOverColumnDivider(point)) {
    if (m_MouseMode != MouseOverColumnDivider) {
      SetGridCursor(Qt::SizeHorCursor);
      m_MouseMode = MouseOverColumnDivider;
    }
  } else if (m_bAllowRowResize && IsOverRowDivider(point)) {
    if (m_MouseMode != MouseOverRowDivider) {
      SetGridCursor(Qt::SizeVerCursor);
      m_MouseMode = MouseOverRowDivider;
    }
  } else if (m_MouseMode != MouseNone) {
    SetGridCursor(Qt::ArrowCursor);
    m_MouseMode = MouseNone;
  }
  if (m_MouseMode != MouseNone || (m_bVirtualMode && !m_bTitleTips)) return;

  const CCellID id = CellFromPoint(point, true);
  CGridCellBase* cell = GetCell(id.row, id.col);
  if (cell == nullptr) return;
  cell->OnMouseOver();
  if (!m_bTitleTips) return;
  // The whole text over a cell whose text does not fit (the tip decides that).
  const std::string tip = cell->GetTipText();
  CRect rect;
  if (tip.empty() || cell->IsEditing() || !GetCellRect(id, &rect)) return;
  CRect textRect = rect;
  if (cell->GetTipTextRect(&textRect)) ShowTitleTip(textRect, tip, rect, cell->GetFont());
}

void CGridCtrl::OnLButtonUp(CPoint point, Qt::KeyboardModifiers modifiers) {
  const bool sizing = m_MouseMode == MouseSizingColumn || m_MouseMode == MouseSizingRow;
  if (sizing) point = ClampToSizingBand(point);
  m_bLMouseButtonDown = false;
  KillAutoScrollTimer();
  const CCellID focus = m_idCurrentCell;
  const CCellID down = m_LeftClickDownCell;
  const CPoint inFocus = PointInCell(focus.row, focus.col, point);

  switch (m_MouseMode) {
    case MousePrepareEdit: BeginCellEdit(focus.row, focus.col, inFocus, VK_LBUTTON); break;
    case MousePrepareDrag:
      // Pressed on a selected cell and released without dragging: a click that
      // clears the selection.
      if (CGridCellBase* cell = GetCell(focus.row, focus.col)) cell->OnClick(inFocus);
      NotifyOwner(down.row, down.col, NM_CLICK);
      NotifyOwner(down.row, down.col, GridNotifyCode::SelectionChanging);
      ClearSelection();
      NotifyOwner(m_idCurrentCell.row, m_idCurrentCell.col, GridNotifyCode::SelectionChanged);
      break;
    case MouseSizingColumn:
    case MouseSizingRow:
      HideSizingLine();
      m_rcSizingBand = CRect();
      if (!FinishSizing(m_MouseMode == MouseSizingColumn, point)) return;
      break;
    default:
      NotifyOwner(focus.row, focus.col, GridNotifyCode::SelectionChanged);
      if (CGridCellBase* cell = GetCell(focus.row, focus.col)) cell->OnClick(inFocus);
      NotifyOwner(down.row, down.col, NM_CLICK);
      break;
  }
  m_MouseMode = MouseNone;
  SetGridCursor(Qt::ArrowCursor);
  if (IsValid(down)) PostClicked();

  // The platform follows a release with no move: the pointer is tracked here, so
  // that a double click on a divider finds the grid over the divider again.
  OnMouseMove(point, modifiers);
  OnSetCursor(point);
}

bool CGridCtrl::FinishSizing(bool bColumn, CPoint point) {
  // Released where it was pressed (or nowhere): the size stays.
  if (point == m_LeftClickDownPoint || point == CPoint(0, 0)) return true;
  CPoint origin;
  if (!GetCellOrigin(m_LeftClickDownCell, &origin)) return false;
  const bool mayHide = bColumn ? m_bAllowColHide : m_bAllowRowHide;
  const int size = std::max(bColumn ? point.x - origin.x : point.y - origin.y, mayHide ? 0 : 1);
  if (bColumn) SetColumnWidth(m_LeftClickDownCell.col, size);
  else SetRowHeight(m_LeftClickDownCell.row, size);
  Refresh();
  return true;
}

void CGridCtrl::OnLButtonDblClk(CPoint point, Qt::KeyboardModifiers /*modifiers*/) {
  const CCellID cell = CellFromPoint(point, true);
  if (!IsValid(cell)) return;

  if (m_MouseMode == MouseOverColumnDivider || m_MouseMode == MouseOverRowDivider) {
    // The one left of (above) the divider, past hidden ones, fits its contents.
    const bool column = m_MouseMode == MouseOverColumnDivider;
    CPoint origin;
    if (!(column ? GetCellOrigin(0, cell.col, &origin) : GetCellOrigin(cell, &origin))) return;
    const std::vector<int>& sizes = column ? m_arColWidths : m_arRowHeights;
    int index = column ? cell.col : cell.row;
    if ((column ? point.x - origin.x : point.y - origin.y) < m_nResizeCaptureRange) --index;
    while (index >= 0 && sizes[static_cast<size_t>(index)] <= 0) --index;
    if (index < 0) return;
    if (column) AutoSizeColumn(index, m_nAutoSizeColumnStyle);
    else AutoSizeRow(index);
    Refresh();
  } else if (m_MouseMode == MouseNone) {
    const CPoint inCell = PointInCell(cell.row, cell.col, point);
    CGridCellBase* pCell = GetCell(cell.row, cell.col);
    if (IsDataCell(*this, cell) && InCellText(*this, pCell, cell, point) && (IsValid(m_LeftClickDownCell) || m_bListMode)) {
      BeginCellEdit(cell.row, cell.col, inCell, VK_LBUTTON);
      pCell = GetCell(cell.row, cell.col);  // the edit may have fetched other cells
    }
    if (pCell != nullptr) pCell->OnDblClick(inCell);
    NotifyOwner(cell.row, cell.col, NM_DBLCLK);
  }
}

void CGridCtrl::OnRButtonUp(CPoint point, Qt::KeyboardModifiers /*modifiers*/) {
  const CCellID cell = CellFromPoint(point, true);
  StopCellEdit();
  if (!IsValid(cell)) {
    NotifyOwner(-1, -1, NM_RCLICK);
    return;
  }
  // Selection and focus move to the clicked cell before anyone hears of the click,
  // and the context menu is asked for last: it acts on the focus cell.
  setFocus(Qt::MouseFocusReason);
  DeselectAll();
  ExtendSelection(cell);
  SetFocusCell(std::max(cell.row, m_nFixedRows), std::max(cell.col, m_nFixedCols));
  if (CGridCellBase* pCell = GetCell(cell.row, cell.col)) pCell->OnRClick(PointInCell(cell.row, cell.col, point));
  NotifyOwner(cell.row, cell.col, NM_RCLICK);
  RequestContextMenu(point);
}
