// Sorting rows by one column: a quicksort on the middle row's cell that exchanges
// whole rows (every cell and the row heights). Which of two equal keys ends up
// first is what this partitioning gives, and the users see it, so no other sort
// may take its place. The larger part of each partition waits on a list while the
// smaller one goes on, so the list never holds more than log2(rows) parts and no
// input can exhaust the stack.

#include <cstring>
#include <utility>
#include <vector>

#include "grid/grid_ctrl.h"

bool CGridCtrl::SortItems(PFNLVCOMPARE pfnCompare, int nCol, bool bAscending, LPARAM data) {
  SetSortColumn(nCol);
  m_bAscending = bAscending;
  ClearSelection();
  SetFocusCell(-1, -1);
  return SortRowRange(pfnCompare, nCol, bAscending, data, m_nFixedRows, -1);
}

bool CGridCtrl::SortItems(int nCol, bool bAscending, LPARAM data) {
  return SortItems(m_pfnCompare != nullptr ? m_pfnCompare : &CGridCtrl::CompareCellText, nCol, bAscending, data);
}

int CGridCtrl::CompareCellText(LPARAM lParam1, LPARAM lParam2, LPARAM /*lParamSort*/) {
  const auto* cell1 = reinterpret_cast<const CGridCellBase*>(lParam1);
  const auto* cell2 = reinterpret_cast<const CGridCellBase*>(lParam2);
  if (cell1 == nullptr || cell2 == nullptr) return 0;
  // The code page's byte order: case-sensitive, numbers as text.
  return std::strcmp(cell1->GetText().c_str(), cell2->GetText().c_str());
}

bool CGridCtrl::SortRowRange(PFNLVCOMPARE pfnCompare, int nCol, bool bAscending, LPARAM data, int nLow, int nHigh) {
  // Virtual mode has no rows of cells to exchange.
  if (pfnCompare == nullptr || m_bVirtualMode || nCol < 0 || nCol >= m_nCols) return false;
  if (nHigh == -1) nHigh = m_nRows - 1;
  if (nHigh <= nLow || nLow < 0 || nHigh >= m_nRows) return false;

  auto cell = [this, nCol](int row) { return m_RowData[static_cast<size_t>(row)][static_cast<size_t>(nCol)]; };
  // The order asked for: the compare function's, or its reverse.
  auto order = [pfnCompare, bAscending, data](const CGridCellBase* a, const CGridCellBase* b) {
    const int result = pfnCompare(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), data);
    if (bAscending) return result;
    return result > 0 ? -1 : (result < 0 ? 1 : 0);
  };

  std::vector<std::pair<int, int>> waiting{{nLow, nHigh}};
  while (!waiting.empty()) {
    auto [low, high] = waiting.back();
    waiting.pop_back();
    while (low < high) {
      // The pivot is the cell object, not its row: it moves with its row.
      const CGridCellBase* pivot = cell((low + high) / 2);
      int lo = low, hi = high;
      while (lo <= hi) {
        while (lo < high && order(cell(lo), pivot) < 0) ++lo;
        while (hi > low && order(cell(hi), pivot) > 0) --hi;
        if (lo <= hi) {
          if (order(cell(lo), cell(hi)) != 0) {
            std::swap(m_RowData[static_cast<size_t>(lo)], m_RowData[static_cast<size_t>(hi)]);
            std::swap(m_arRowHeights[static_cast<size_t>(lo)], m_arRowHeights[static_cast<size_t>(hi)]);
          }
          ++lo;
          --hi;
        }
      }
      // low..hi and lo..high are sorted apart; the smaller goes on at once.
      if (hi - low < high - lo) {
        if (lo < high) waiting.emplace_back(lo, high);
        high = hi;
      } else {
        if (low < hi) waiting.emplace_back(low, hi);
        low = lo;
      }
    }
  }
  // The rows above the view may have other heights now.
  ForgetTopLeftCell();
  return true;
}
