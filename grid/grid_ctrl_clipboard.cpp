// The clipboard: the selection copied as tab-separated text, cut, Delete, and text
// pasted into the cells. The texts are Windows-1251 in the grid and Unicode on the
// clipboard; they are converted here. The clipboard keeps what was copied by
// itself, so it stays available after the grid has gone.

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <algorithm>
#include <new>

#include "grid/grid_ctrl.h"
#include "grid/grid_edit_wnd.h"
#include "platform/ascii.h"
#include "platform/qt/qt_text.h"

namespace {

const QMimeData* ClipboardData() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard != nullptr ? clipboard->mimeData() : nullptr;
}

}  // namespace

std::vector<CCellID> CGridCtrl::SelectedCells() const {
  std::vector<CCellID> cells;
  cells.reserve(m_SelectedCellMap.Size());
  m_SelectedCellMap.ForEach([&cells](CCellID cell) { cells.push_back(cell); });
  std::sort(cells.begin(), cells.end(),
            [](const CCellID& a, const CCellID& b) { return a.row != b.row ? a.row < b.row : a.col < b.col; });
  return cells;
}

QMimeData* CGridCtrl::CopySelectionText() {
  const CCellRange range = GetSelectionBounds();
  if (!IsValidRange(range)) return nullptr;
  if (m_bVirtualMode) SendCacheHint(range);

  std::string text;
  bool failed = false;
  try {
    for (int row = range.GetMinRow(); row <= range.GetMaxRow(); ++row) {
      // A hidden row gives nothing, not even its line break.
      if (m_arRowHeights[static_cast<size_t>(row)] == 0) continue;
      for (int col = range.GetMinCol(); col <= range.GetMaxCol(); ++col) {
        if (m_arColWidths[static_cast<size_t>(col)] == 0) continue;
        if (IsCellSelected(row, col)) text += GetItemText(row, col);
        if (col != range.GetMaxCol()) text += '\t';
      }
      if (row != range.GetMaxRow()) text += "\r\n";
    }
  } catch (const std::bad_alloc&) {
    failed = true;
  }
  if (m_bVirtualMode) SendCacheHint(CCellRange(-1, -1, -1, -1));
  if (failed) return nullptr;

  auto* data = new QMimeData;
  data->setText(zv::QFromCp1251(text));
  return data;
}

void CGridCtrl::OnEditCopy() {
  QMimeData* data = CopySelectionText();
  if (data == nullptr) return;
  // The clipboard takes the data over.
  QGuiApplication::clipboard()->setMimeData(data);
}

void CGridCtrl::OnEditCut() {
  if (!m_bEditable) return;
  QMimeData* data = CopySelectionText();
  if (data == nullptr) return;
  QGuiApplication::clipboard()->setMimeData(data);
  ClearSelectedText();
}

void CGridCtrl::ClearSelectedText() {
  if (!m_bEditable) return;
  // The owner hears of each cell and may change the selection meanwhile: the cells
  // are those selected now.
  for (const CCellID& cell : SelectedCells()) SetCellTextChecked(cell.row, cell.col, std::string());
}

void CGridCtrl::OnEditPaste() {
  if (!m_bEditable) return;
  CCellID cell = GetSelectionBounds().GetTopLeft();
  if (!IsValidRange(GetSelectionBounds())) cell = m_idCurrentCell;
  if (!IsValid(cell)) cell = GetFirstVisibleDataCell();
  if (!IsValid(cell)) return;

  if (IsItemEditing(cell.row, cell.col)) {
    // The open editor pastes into its own text.
    const CGridCellBase* pCell = GetCell(cell.row, cell.col);
    CGridEditWnd* editor = pCell != nullptr ? pCell->GetEditWnd() : nullptr;
    if (auto* edit = editor != nullptr ? qobject_cast<QLineEdit*>(editor->GetWidget()) : nullptr) edit->paste();
    return;
  }
  if (const QMimeData* data = ClipboardData()) PasteText(cell, data, true);
}

bool CGridCtrl::PasteText(CCellID cell, const QMimeData* pDataObject, bool bSelectPastedCells) {
  if (!IsValid(cell) || !IsCellEditable(cell) || pDataObject == nullptr || !pDataObject->hasText()) return false;
  std::string text;
  try {
    text = zv::QToCp1251(pDataObject->text());
  } catch (const std::bad_alloc&) {
    return false;
  }
  // The text ends at its first NUL, as the clipboard's text always did.
  if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);

  CCellRange pasted(cell.row, cell.col, -1, -1);
  std::string_view rest = text;
  for (int k = 0; !rest.empty(); ++k) {
    const auto lineEnd = rest.find('\n');
    std::string_view line = rest.substr(0, lineEnd);
    rest = lineEnd == std::string_view::npos ? std::string_view() : rest.substr(lineEnd + 1);

    // Hidden rows take no line.
    int row = cell.row + k;
    while (row < m_nRows && m_arRowHeights[static_cast<size_t>(row)] == 0) row = cell.row + ++k;

    for (int j = 0; !line.empty(); ++j) {
      const auto fieldEnd = line.find_first_of("\t,");
      const std::string_view field = line.substr(0, fieldEnd);
      line = fieldEnd == std::string_view::npos ? std::string_view() : line.substr(fieldEnd + 1);

      int col = cell.col + j;
      while (col < m_nCols && m_arColWidths[static_cast<size_t>(col)] == 0) col = cell.col + ++j;
      if (!IsValid(row, col)) continue;
      SetCellTextChecked(row, col, zv::Trim(field));
      SetItemState(row, col, GetItemState(row, col) & ~static_cast<UINT>(CellSelected));
      pasted.SetMaxRow(std::max(pasted.GetMaxRow(), row));
      pasted.SetMaxCol(std::max(pasted.GetMaxCol(), col));
    }
  }
  if (bSelectPastedCells) {
    SelectRange(pasted, true, true);
  } else {
    ClearSelection();
    Refresh();
  }
  return true;
}

bool CGridCtrl::CanEditCopy() const { return GetSelectedCount() > 0; }

bool CGridCtrl::CanEditCut() const { return m_bEditable && GetSelectedCount() > 0; }

bool CGridCtrl::CanEditPaste() const {
  const QMimeData* data = ClipboardData();
  return IsValid(m_idCurrentCell) && IsCellEditable(m_idCurrentCell) && data != nullptr && data->hasText();
}
