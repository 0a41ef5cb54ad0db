// Construction, the window, the row and column counts, inserting and deleting rows,
// the cell factory, the default cells, the font and the system colours.

#include <QEvent>
#include <algorithm>
#include <new>

#include "grid/grid_ctrl.h"
#include "grid/in_place_edit.h"

CGridCtrl::CGridCtrl(int nRows, int nCols, int nFixedRows, int nFixedCols)
    : QAbstractScrollArea(nullptr),
      m_pfnCellCreator([]() -> CGridCellBase* { return new CGridCell; }) {
  m_crWindowText = GetSysColor(COLOR_WINDOWTEXT);
  m_crWindowColour = GetSysColor(COLOR_WINDOW);
  m_cr3DFace = GetSysColor(COLOR_3DFACE);
  m_crShadow = GetSysColor(COLOR_3DSHADOW);
  // The sunken client edge; the viewport paints all of itself (nothing to erase).
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  InitScrollingAndInput();
  m_nRowsPerWheelNotch = GetWheelScrollLines();

  InitDefaultCellColours();
  m_crGridBkColour = m_crShadow;

  SetRowCount(nRows);
  SetColumnCount(nCols);
  SetFixedRowCount(nFixedRows);
  SetFixedColumnCount(nFixedCols);
}

CGridCtrl::~CGridCtrl() {
  // An open editor goes with the grid and reports nothing to what is left of it.
  for (CInPlaceEdit* editor : viewport()->findChildren<CInPlaceEdit*>()) editor->ForgetGrid();
  DeleteAllItems();
}

bool CGridCtrl::Create(const CRect& rect, QWidget* parent, UINT nID, DWORD dwStyle) {
  if (m_bCreated) return false;
  if ((dwStyle & WS_CHILD) && parent == nullptr) return false;
  setParent(parent);
  setGeometry(rect.ToQRect());
  setFocusPolicy((dwStyle & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
  m_nID = nID;
  m_bCreated = true;
  std::fill(m_arRowHeights.begin(), m_arRowHeights.end(), m_cellDefault.GetHeight());
  std::fill(m_arColWidths.begin(), m_arColWidths.end(), m_cellDefault.GetWidth());
  if (dwStyle & WS_VISIBLE) setVisible(true);
  // The first size of the window: the bars follow it.
  UpdateScrollBars();
  return true;
}

CRect CGridCtrl::GetClientRect() const {
  // Qt lays the viewport out only while the grid is shown; until then it is the
  // area the layout will give for the bars that are shown.
  if (isVisible()) return CRect::FromQRect(viewport()->rect());
  const QSize size = ClientSizeFor(HasHorzScrollBar(), HasVertScrollBar(), BarExtents());
  return CRect(0, 0, size.width(), size.height());
}

CGridOwner* CGridCtrl::GetOwner() const {
  if (m_pOwner != nullptr) return m_pOwner;
  return dynamic_cast<CGridOwner*>(parentWidget());
}

bool CGridCtrl::IsValid(int nRow, int nCol) const {
  return nRow >= 0 && nRow < m_nRows && nCol >= 0 && nCol < m_nCols;
}

bool CGridCtrl::IsValidRange(const CCellRange& range) const {
  return range.GetMinRow() >= 0 && range.GetMinCol() >= 0 && range.GetMaxRow() >= 0 &&
         range.GetMaxCol() >= 0 && range.GetMaxRow() < m_nRows && range.GetMaxCol() < m_nCols &&
         range.GetMinRow() <= range.GetMaxRow() && range.GetMinCol() <= range.GetMaxCol();
}

CGridCtrl::GridRow CGridCtrl::MakeRow(int nRow) {
  GridRow row(static_cast<size_t>(m_nCols), nullptr);
  try {
    for (int col = 0; col < m_nCols; ++col) row[static_cast<size_t>(col)] = CreateCell(nRow, col);
  } catch (...) {
    for (CGridCellBase* cell : row) delete cell;
    throw;
  }
  return row;
}

bool CGridCtrl::SetRowCount(int nRows) {
  if (nRows < 0) return false;
  if (nRows == m_nRows) return true;
  ForgetTopLeftCell();
  if (nRows < m_nFixedRows) m_nFixedRows = nRows;
  if (m_idCurrentCell.row >= nRows) SetFocusCell(-1, -1);

  bool result = true;
  try {
    if (nRows < m_nRows) {
      if (!m_bVirtualMode) {
        for (int row = nRows; row < m_nRows; ++row)
          for (int col = 0; col < m_nCols; ++col) DestroyCell(row, col);
        m_RowData.resize(static_cast<size_t>(nRows));
      }
      m_nRows = nRows;
      m_arRowHeights.resize(static_cast<size_t>(nRows));
    } else if (m_bVirtualMode) {
      m_arRowHeights.resize(static_cast<size_t>(nRows), m_cellDefault.GetHeight());
      m_nRows = nRows;
    } else {
      // Row by row, so that after a failure the count tells how far it got.
      m_arRowHeights.reserve(static_cast<size_t>(nRows));
      m_RowData.reserve(static_cast<size_t>(nRows));
      while (m_nRows < nRows) {
        m_RowData.push_back(MakeRow(m_nRows));
        m_arRowHeights.push_back(m_cellDefault.GetHeight());
        ++m_nRows;
      }
    }
  } catch (const std::bad_alloc&) {
    result = false;
  }
  SetModified(true, -1, -1);
  UpdateScrollBars();
  Refresh();
  return result;
}

bool CGridCtrl::SetColumnCount(int nCols) {
  if (nCols < 0) return false;
  if (nCols == m_nCols) return true;
  ForgetTopLeftCell();
  if (nCols < m_nFixedCols) m_nFixedCols = nCols;
  if (m_idCurrentCell.col >= nCols) SetFocusCell(-1, -1);

  bool result = true;
  try {
    if (nCols < m_nCols) {
      if (!m_bVirtualMode) {
        for (int row = 0; row < m_nRows; ++row) {
          for (int col = nCols; col < m_nCols; ++col) DestroyCell(row, col);
          m_RowData[static_cast<size_t>(row)].resize(static_cast<size_t>(nCols));
        }
      }
      m_arColWidths.resize(static_cast<size_t>(nCols));
      m_nCols = nCols;
    } else {
      const int oldCols = m_nCols;
      m_arColWidths.resize(static_cast<size_t>(nCols), m_cellFixedColDef.GetWidth());
      if (!m_bVirtualMode)
        for (GridRow& row : m_RowData) row.resize(static_cast<size_t>(nCols), nullptr);
      // The new columns exist now; a cell that could not be made stays missing.
      m_nCols = nCols;
      if (!m_bVirtualMode) {
        for (int row = 0; row < m_nRows; ++row)
          for (int col = oldCols; col < nCols; ++col)
            m_RowData[static_cast<size_t>(row)][static_cast<size_t>(col)] = CreateCell(row, col);
      }
    }
  } catch (const std::bad_alloc&) {
    result = false;
  }
  SetModified(true, -1, -1);
  UpdateScrollBars();
  Refresh();
  return result;
}

bool CGridCtrl::SetFixedRowCount(int nFixedRows) {
  if (nFixedRows < 0) return false;
  if (nFixedRows == m_nFixedRows) return true;
  ClearSelection();
  ForgetTopLeftCell();
  if (m_nRows < nFixedRows && !SetRowCount(nFixedRows)) return false;
  if (m_idCurrentCell.row < nFixedRows) SetFocusCell(-1, -1);

  if (!m_bVirtualMode) {
    if (nFixedRows > m_nFixedRows) RestateFixedCells(m_nFixedRows, nFixedRows, 0, m_nCols, CellFixedRowBits, true);
    else RestateFixedCells(nFixedRows, m_nFixedRows, 0, m_nCols, CellFixedRowBits, false);
  }
  m_nFixedRows = nFixedRows;
  Refresh();
  return true;
}

bool CGridCtrl::SetFixedColumnCount(int nFixedCols) {
  if (nFixedCols < 0) return false;
  if (nFixedCols == m_nFixedCols) return true;
  if (m_nCols < nFixedCols && !SetColumnCount(nFixedCols)) return false;
  if (m_idCurrentCell.col < nFixedCols) SetFocusCell(-1, -1);
  ClearSelection();
  ForgetTopLeftCell();

  if (!m_bVirtualMode) {
    if (nFixedCols > m_nFixedCols) RestateFixedCells(0, m_nRows, m_nFixedCols, nFixedCols, CellFixedColBits, true);
    else RestateFixedCells(0, m_nRows, nFixedCols, m_nFixedCols, CellFixedColBits, false);
  }
  m_nFixedCols = nFixedCols;
  Refresh();
  return true;
}

void CGridCtrl::RestateFixedCells(int firstRow, int endRow, int firstCol, int endCol, UINT bits,
                                  bool becomeFixed) {
  // The bit of the direction that moves (fixed row or fixed column), without CellFixed.
  const UINT ownBit = bits & ~static_cast<UINT>(CellFixed);
  for (int row = firstRow; row < endRow; ++row)
    for (int col = firstCol; col < endCol; ++col) {
      CGridCellBase* cell = StoredCell(row, col);
      if (cell == nullptr) continue;
      const bool fixedOtherWay = ownBit == CellFixedRow ? col < m_nFixedCols : row < m_nFixedRows;
      if (!becomeFixed && fixedOtherWay) {
        // Still fixed the other way: it keeps its colours.
        cell->SetState(cell->GetState() & ~ownBit);
        continue;
      }
      cell->SetState(becomeFixed ? cell->GetState() | bits : cell->GetState() & ~bits);
      cell->SetTextColour(CLR_DEFAULT);
      cell->SetBackColour(CLR_DEFAULT);
    }
}

int CGridCtrl::InsertRow(const std::string& strHeading, int nRow) {
  // Never among the fixed rows; at the end only with -1.
  if (nRow >= 0 && (nRow < m_nFixedRows || nRow >= m_nRows)) return -1;
  ForgetTopLeftCell();
  DeselectAll();
  if (m_nCols < 1) SetColumnCount(1);

  if (nRow < 0) nRow = m_nRows;
  // Room first (growing by half, so that appending row by row stays linear), then the
  // insertions, which cannot fail any more.
  auto makeRoom = [](auto& v) {
    if (v.size() == v.capacity()) v.reserve(v.size() + v.size() / 2 + 16);
  };
  try {
    makeRoom(m_arRowHeights);
    if (!m_bVirtualMode) {
      GridRow row(static_cast<size_t>(m_nCols), nullptr);
      makeRoom(m_RowData);
      m_RowData.insert(m_RowData.begin() + nRow, std::move(row));
    }
    m_arRowHeights.insert(m_arRowHeights.begin() + nRow, 0);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  ++m_nRows;
  if (!m_bVirtualMode) {
    try {
      for (int col = 0; col < m_nCols; ++col)
        m_RowData[static_cast<size_t>(nRow)][static_cast<size_t>(col)] = CreateCell(nRow, col);
    } catch (const std::bad_alloc&) {
      return -1;
    }
  }
  SetItemText(nRow, 0, strHeading);
  m_arRowHeights[static_cast<size_t>(nRow)] =
      strHeading.empty() ? m_cellFixedRowDef.GetHeight() : GetTextExtent(nRow, 0, strHeading).cy;

  // A row inserted at or above the focus row pushes the focus cell down with its row.
  if (m_idCurrentCell.row != -1 && nRow <= m_idCurrentCell.row) ++m_idCurrentCell.row;

  UpdateScrollBars();
  SetModified(true, -1, -1);
  return nRow;
}

bool CGridCtrl::DeleteRow(int nRow) {
  if (nRow < 0 || nRow >= m_nRows) return false;
  DeselectAll();
  if (!m_bVirtualMode) {
    for (int col = 0; col < m_nCols; ++col) DestroyCell(nRow, col);
    m_RowData.erase(m_RowData.begin() + nRow);
  }
  m_arRowHeights.erase(m_arRowHeights.begin() + nRow);
  --m_nRows;
  if (nRow < m_nFixedRows) --m_nFixedRows;
  if (m_idCurrentCell.row == nRow) m_idCurrentCell = CCellID();
  else if (m_idCurrentCell.row > nRow) --m_idCurrentCell.row;
  UpdateScrollBars();
  SetModified(true, -1, -1);
  return true;
}

bool CGridCtrl::DeleteDataRows() {
  DeselectAll();
  for (int row = m_nRows - 1; row >= m_nFixedRows; --row) DeleteRow(row);
  return true;
}

bool CGridCtrl::DeleteAllItems() {
  DeselectAll();
  m_arRowHeights.clear();
  m_arColWidths.clear();
  if (!m_bVirtualMode) {
    for (int row = 0; row < m_nRows; ++row)
      for (int col = 0; col < m_nCols; ++col) DestroyCell(row, col);
    m_RowData.clear();
  }
  m_idCurrentCell = CCellID();
  m_nRows = m_nFixedRows = m_nCols = m_nFixedCols = 0;
  UpdateScrollBars();
  SetModified(true, -1, -1);
  return true;
}

CGridCellBase* CGridCtrl::CreateCell(int nRow, int nCol) {
  if (m_pfnCellCreator == nullptr) return nullptr;
  CGridCellBase* cell = m_pfnCellCreator();
  if (cell == nullptr) return nullptr;
  cell->SetGrid(this);
  cell->SetCoords(nRow, nCol);
  if (nCol < m_nFixedCols) cell->SetState(cell->GetState() | CellFixedColBits);
  if (nRow < m_nFixedRows) cell->SetState(cell->GetState() | CellFixedRowBits);
  cell->SetFormat(cell->GetDefaultCell()->GetFormat());
  return cell;
}

void CGridCtrl::DestroyCell(int nRow, int nCol) {
  // State 0 first, so that the cell leaves the selected set.
  SetItemState(nRow, nCol, 0);
  GridRow& row = m_RowData[static_cast<size_t>(nRow)];
  delete row[static_cast<size_t>(nCol)];
  row[static_cast<size_t>(nCol)] = nullptr;
}

CGridDefaultCell* CGridCtrl::GetDefaultCell(bool bFixedRow, bool bFixedCol) const {
  const CGridDefaultCell* cell = &m_cellDefault;
  if (bFixedRow && bFixedCol) cell = &m_cellFixedRowColDef;
  else if (bFixedRow) cell = &m_cellFixedRowDef;
  else if (bFixedCol) cell = &m_cellFixedColDef;
  return const_cast<CGridDefaultCell*>(cell);
}

void CGridCtrl::InitDefaultCellColours() {
  for (CGridDefaultCell* cell : {&m_cellDefault, &m_cellFixedColDef, &m_cellFixedRowDef, &m_cellFixedRowColDef}) {
    cell->SetGrid(this);
    cell->SetTextColour(m_crWindowText);
    cell->SetBackColour(cell == &m_cellDefault ? m_crWindowColour : m_cr3DFace);
  }
}

void CGridCtrl::SetFont(const CFont* pFont) {
  if (pFont == nullptr || !pFont->IsCreated()) return;
  OnSetFont(&pFont->GetLogFont());
}

CFont* CGridCtrl::GetFont() const { return m_cellDefault.GetFontObject(); }

void CGridCtrl::OnSetFont(const LOGFONT* plf) {
  if (plf == nullptr) return;
  m_cellDefault.SetFont(plf);
  m_cellFixedColDef.SetFont(plf);
  m_cellFixedRowDef.SetFont(plf);
  m_cellFixedRowColDef.SetFont(plf);
  Refresh();
}

void CGridCtrl::OnSysColorChange() {
  const COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT);
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  for (CGridDefaultCell* cell : {&m_cellDefault, &m_cellFixedRowDef, &m_cellFixedColDef, &m_cellFixedRowColDef}) {
    if (cell->GetTextColour() == m_crWindowText) cell->SetTextColour(windowText);
    if (cell->GetBackColour() == m_crWindowColour) cell->SetBackColour(window);
  }
  if (m_crGridBkColour == m_crShadow) m_crGridBkColour = GetSysColor(COLOR_BTNSHADOW);
  m_crWindowText = windowText;
  m_crWindowColour = window;
  m_cr3DFace = GetSysColor(COLOR_3DFACE);
  m_crShadow = GetSysColor(COLOR_3DSHADOW);
}

void CGridCtrl::changeEvent(QEvent* event) {
  // The system colours are the application palette's; a change of it reaches the
  // widget as a change of its own palette.
  if (event->type() == QEvent::PaletteChange) OnSysColorChange();
  QAbstractScrollArea::changeEvent(event);
}

void CGridCtrl::Refresh() {
  if (m_bCreated && m_bAllowDraw) viewport()->update();
}
