// Virtual mode (the owner or a fetch function supplies each cell on request) and the
// notifications to the owner.

#include "grid/grid_ctrl.h"

void CGridCtrl::SetVirtualMode(bool bVirtual) {
  if (bVirtual == m_bVirtualMode) return;
  // Stored cells and display requests do not mix: start from an empty grid.
  DeleteAllItems();
  m_bVirtualMode = bVirtual;
}

void CGridCtrl::SetCallbackFunc(GRIDCALLBACK pCallback, LPARAM lParam) {
  m_pfnCallback = pCallback;
  m_lParam = lParam;
}

CGridCellBase* CGridCtrl::FetchDisplayCell(int nRow, int nCol) const {
  // One record and one cell for the whole program: a caller is done with the cell
  // before it asks for the next one.
  static GridDispInfo* record = new GridDispInfo;
  static CGridCell* cell = new CGridCell;

  const bool fixedRow = nRow < m_nFixedRows;
  const bool fixedCol = nCol < m_nFixedCols;
  const CGridDefaultCell* def = GetDefaultCell(fixedRow, fixedCol);
  GridItem& item = record->item;
  item.row = nRow;
  item.col = nCol;
  item.mask = ItemAll;
  item.nState = 0;
  item.nFormat = def->GetFormat();
  item.iImage = def->GetImage();
  item.crBkClr = def->GetBackColour();
  item.crFgClr = def->GetTextColour();
  item.lParam = def->GetData();
  item.lfFont = def->GetFont() != nullptr ? *def->GetFont() : LOGFONT();
  item.nMargin = def->GetMargin();
  item.strText.clear();
  if (IsCellSelected(nRow, nCol)) item.nState |= CellSelected;
  if (fixedRow) item.nState |= CellFixedRowBits;
  if (fixedCol) item.nState |= CellFixedColBits;
  if (CCellID(nRow, nCol) == m_idCurrentCell) item.nState |= CellFocused;

  if (m_pfnCallback != nullptr) m_pfnCallback(record, m_lParam);
  else RequestDisplayInfo(record);

  cell->SetState(item.nState);
  cell->SetFormat(item.nFormat);
  cell->SetImage(item.iImage);
  cell->SetBackColour(item.crBkClr);
  cell->SetTextColour(item.crFgClr);
  cell->SetData(item.lParam);
  cell->SetFont(&item.lfFont);
  cell->SetMargin(item.nMargin);
  cell->SetText(item.strText);
  cell->SetGrid(const_cast<CGridCtrl*>(this));
  return cell;
}

LRESULT CGridCtrl::RequestDisplayInfo(GridDispInfo* pDisplayInfo) const {
  CGridOwner* owner = GetOwner();
  if (!m_bCreated || owner == nullptr || pDisplayInfo == nullptr) return 0;
  pDisplayInfo->hdr.hwndFrom = const_cast<CGridCtrl*>(this);
  pDisplayInfo->hdr.idFrom = m_nID;
  pDisplayInfo->hdr.code = GridNotifyCode::DisplayRequest;
  return owner->OnGridDisplayRequest(*pDisplayInfo);
}

LRESULT CGridCtrl::SendCacheHint(const CCellRange& range) const {
  CGridOwner* owner = GetOwner();
  if (!m_bCreated || owner == nullptr) return 0;
  GridCacheHint hint;
  hint.hdr.hwndFrom = const_cast<CGridCtrl*>(this);
  hint.hdr.idFrom = m_nID;
  hint.hdr.code = GridNotifyCode::CacheHint;
  hint.range = range;
  return owner->OnGridCacheHint(hint);
}

LRESULT CGridCtrl::NotifyOwner(int nRow, int nCol, int nCode) {
  if (!m_bCreated) return 0;
  GridNotify notify;
  notify.hdr.hwndFrom = this;
  notify.hdr.idFrom = m_nID;
  notify.hdr.code = nCode;
  notify.iRow = nRow;
  notify.iColumn = nCol;
  CGridOwner* owner = GetOwner();
  const LRESULT answer = owner != nullptr ? owner->OnGridNotify(notify) : 0;
  emit notified(nCode, nRow, nCol);
  return answer;
}
