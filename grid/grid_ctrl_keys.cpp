// The keyboard: the key-down part of each key moves the focus cell past hidden rows
// and columns, selects the new focus cell (unless a mouse selection is running),
// and scrolls it into view. The edit, copy, paste and delete keys call the editing
// and clipboard code.

#include <vector>

#include "grid/grid_ctrl.h"

namespace {

// The first index from `from` on in steps of `step` (+1 or -1) within first..last
// whose size is not 0; -1 when every one is hidden.
int NextShown(const std::vector<int>& sizes, int from, int step, int first, int last) {
  for (int i = from; i >= first && i <= last; i += step)
    if (sizes[static_cast<size_t>(i)] > 0) return i;
  return -1;
}

// Takes the index when one was found.
void MoveTo(int& index, int found) {
  if (found >= 0) index = found;
}

}  // namespace

bool CGridCtrl::OnKeyDown(UINT nChar, Qt::KeyboardModifiers modifiers) {
  if (!IsValid(m_idCurrentCell)) return false;
  const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
  const bool shift = (modifiers & Qt::ShiftModifier) != 0;
  const int lastRow = m_nRows - 1, lastCol = m_nCols - 1;
  const std::vector<int>& heights = m_arRowHeights;
  const std::vector<int>& widths = m_arColWidths;
  CCellID next = m_idCurrentCell;
  bool lineChange = false, hScrolled = false, vScrolled = false;

  bool taken = false;
  if (ctrl) {
    switch (nChar) {
      case VK_INSERT:
      case 'C': OnEditCopy(); taken = true; break;
      case 'A': OnEditSelectAll(); taken = true; break;
      case 'V': OnEditPaste(); taken = true; break;
      case 'X': OnEditCut(); taken = true; break;
      default: break;
    }
  }
  if (shift && nChar == VK_INSERT) {
    OnEditPaste();
    taken = true;
  }

  const bool back = nChar == VK_LEFT || (nChar == VK_TAB && shift);
  const bool forward = nChar == VK_RIGHT || (nChar == VK_TAB && !shift);
  if (back) {
    MoveTo(next.col, NextShown(widths, next.col - 1, -1, m_nFixedCols, lastCol));
    // Shift+Tab from the first column goes to the end of the row above.
    if (nChar == VK_TAB && m_idCurrentCell.col == m_nFixedCols && next.row > m_nFixedRows) {
      const int row = NextShown(heights, next.row - 1, -1, m_nFixedRows, lastRow);
      if (row >= 0) {
        next.row = row;
        MoveTo(next.col, NextShown(widths, lastCol, -1, m_nFixedCols, lastCol));
        lineChange = true;
      }
    }
  } else if (forward) {
    MoveTo(next.col, NextShown(widths, next.col + 1, +1, m_nFixedCols, lastCol));
    // Tab from the last column goes to the start of the row below; on the last row
    // (or with every row below hidden) the focus stays.
    if (nChar == VK_TAB && m_idCurrentCell.col == lastCol && next.row < lastRow) {
      const int row = NextShown(heights, next.row + 1, +1, m_nFixedRows, lastRow);
      if (row >= 0) {
        next.row = row;
        MoveTo(next.col, NextShown(widths, m_nFixedCols, +1, m_nFixedCols, lastCol));
        lineChange = true;
      }
    }
  } else {
    switch (nChar) {
      case VK_UP: MoveTo(next.row, NextShown(heights, next.row - 1, -1, m_nFixedRows, lastRow)); break;
      case VK_DOWN: MoveTo(next.row, NextShown(heights, next.row + 1, +1, m_nFixedRows, lastRow)); break;
      case VK_PRIOR:
      case VK_NEXT: {
        // The focus row moves as far as the view did; a view that cannot move
        // sends the focus to the first or the last row.
        const int before = GetFirstVisibleDataCell().row;
        OnVScroll(nChar == VK_PRIOR ? SB_PAGEUP : SB_PAGEDOWN);
        vScrolled = true;
        const int moved = GetFirstVisibleDataCell().row - before;
        next.row += moved;
        if (nChar == VK_PRIOR && (moved == 0 || next.row < m_nFixedRows)) next.row = m_nFixedRows;
        if (nChar == VK_NEXT && (moved == 0 || next.row > lastRow)) next.row = lastRow;
        break;
      }
      case VK_HOME:
      case VK_END: {
        // To the first (last) column, with Ctrl also the first (last) row; hidden
        // ones are passed towards the inside.
        const bool home = nChar == VK_HOME;
        if (ctrl) {
          OnVScroll(home ? SB_TOP : SB_BOTTOM);
          vScrolled = true;
          next.row = home ? m_nFixedRows : lastRow;
        }
        OnHScroll(home ? SB_LEFT : SB_RIGHT);
        hScrolled = true;
        next.col = home ? m_nFixedCols : lastCol;
        const int inward = home ? +1 : -1;
        MoveTo(next.col, NextShown(widths, next.col, inward, m_nFixedCols, lastCol));
        MoveTo(next.row, NextShown(heights, next.row, inward, m_nFixedRows, lastRow));
        break;
      }
      case VK_F2:
        BeginCellEdit(next.row, next.col, CPoint(-1, -1), VK_LBUTTON);
        return true;
      case VK_DELETE:
        ClearSelectedText();
        return true;
      default: return taken;
    }
  }
  if (next == m_idCurrentCell) return true;

  // The keys select the cell they move to, from the selection start cell with Shift
  // (Tab always starts afresh). During a mouse selection (auto-scroll) they only move.
  if (m_MouseMode == MouseNone) {
    m_PrevSelectedCellMap.Clear();
    m_MouseMode = m_bListMode ? MouseSelectRows : MouseSelectCells;
    if (!shift || nChar == VK_TAB) m_SelectionStartCell = next;
    NotifyOwner(next.row, next.col, GridNotifyCode::SelectionChanging);
    ExtendSelection(next);
    NotifyOwner(next.row, next.col, GridNotifyCode::SelectionChanged);
    m_MouseMode = MouseNone;
  }
  SetFocusCell(next);

  if (!IsCellVisible(next)) {
    switch (nChar) {
      case VK_TAB:
        if (lineChange) {
          OnVScroll(shift ? SB_LINEUP : SB_LINEDOWN);
          SetScrollPosition(SB_HORZ, shift ? m_nHScrollMax : 0);
        } else {
          OnHScroll(shift ? SB_LINELEFT : SB_LINERIGHT);
        }
        break;
      case VK_LEFT: OnHScroll(SB_LINELEFT); break;
      case VK_RIGHT: OnHScroll(SB_LINERIGHT); break;
      case VK_UP: OnVScroll(SB_LINEUP); break;
      case VK_DOWN: OnVScroll(SB_LINEDOWN); break;
      default: break;
    }
    EnsureVisible(next);
    Refresh();
  }
  EnsureVisible(next);
  if (hScrolled) OnHScroll(SB_ENDSCROLL);
  if (vScrolled) OnVScroll(SB_ENDSCROLL);
  return true;
}
