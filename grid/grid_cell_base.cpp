#include "grid/grid_cell_base.h"

#include <algorithm>

#include "grid/grid_cell.h"
#include "grid/grid_ctrl.h"
#include "grid/image_list.h"

CGridDefaultCell* CGridCellBase::GetDefaultCell() const {
  CGridCtrl* grid = GetGrid();
  return grid != nullptr ? grid->GetDefaultCell(IsFixedRow(), IsFixedCol()) : nullptr;
}

CGridCellBase& CGridCellBase::operator=(const CGridCellBase& cell) {
  if (this == &cell) return *this;
  // Read through the other cell's operations: inherited format and margin arrive as
  // values of this cell's own, an inherited font stays inherited.
  SetGrid(cell.GetGrid());
  SetText(cell.GetText());
  SetImage(cell.GetImage());
  SetData(cell.GetData());
  SetState(cell.GetState());
  SetFormat(cell.GetFormat());
  SetTextColour(cell.GetTextColour());
  SetBackColour(cell.GetBackColour());
  SetFont(cell.IsDefaultFont() ? nullptr : cell.GetFont());
  SetMargin(cell.GetMargin());
  return *this;
}

bool CGridCellBase::Edit(int, int, CRect, CPoint, UINT, UINT) { return false; }

bool CGridCellBase::OnSetCursor() {
  if (CGridCtrl* grid = GetGrid()) grid->viewport()->setCursor(Qt::ArrowCursor);
  return true;
}

CSize CGridCellBase::GetTextExtent(const std::string& text, CDC* pDC) {
  CGridDefaultCell* def = GetDefaultCell();
  if (def == nullptr) return CSize(0, 0);
  if (text.empty()) return CSize(def->GetWidth(), def->GetHeight());

  CDC windowDC;  // the grid's window DC: measures only
  CDC* dc = pDC != nullptr ? pDC : &windowDC;
  CFont* font = GetFontObject();
  CFont* oldFont = font != nullptr ? dc->SelectObject(font) : nullptr;

  CSize size;
  const UINT format = GetFormat();
  if ((format & DT_SINGLELINE) || !(format & DT_WORDBREAK)) {
    size = dc->GetTextExtent(text);
  } else {
    int widest = 0;
    std::string::size_type start = 0;
    while (true) {
      const auto end = text.find('\n', start);
      widest = std::max(widest, dc->GetTextExtent(text.substr(start, end - start)).cx);
      if (end == std::string::npos) break;
      start = end + 1;
    }
    CRect rect(0, 0, widest + 1, 0);
    dc->DrawText(text, rect, format | DT_CALCRECT);
    size = rect.Size();
  }
  if (font != nullptr) dc->SelectObject(oldFont);

  const int margin = static_cast<int>(GetMargin());
  size += CSize(2 * margin, 2 * margin);
  const LOGFONT* lf = GetFont();
  if (lf != nullptr && (lf->lfEscapement == 900 || lf->lfEscapement == -900)) {
    std::swap(size.cx, size.cy);
    size.cy += 4 * margin;
  }
  return size;
}

namespace {

// The size of the cell's image when the grid has an image list that holds it.
bool ImageInfo(const CGridCellBase& cell, IMAGEINFO* info) {
  CGridCtrl* grid = cell.GetGrid();
  if (grid == nullptr || cell.GetImage() < 0) return false;
  CImageList* images = grid->GetImageList();
  return images != nullptr && images->GetImageInfo(cell.GetImage(), info);
}

}  // namespace

bool CGridCellBase::GetTextRect(CRect* pRect) {
  IMAGEINFO info;
  if (ImageInfo(*this, &info)) pRect->left += info.rcImage.Width() + 1 + static_cast<int>(GetMargin());
  return true;
}

CSize CGridCellBase::GetCellExtent(CDC* pDC) {
  CSize size = GetTextExtent(GetText(), pDC);
  CSize image(0, 0);
  IMAGEINFO info;
  const int margin = static_cast<int>(GetMargin());
  if (ImageInfo(*this, &info)) {
    image = info.rcImage.Size();
    if (size.cx > 2 * margin) image.cx += margin;
    image.cy += 2 * margin;
  }
  size.cx += image.cx + 1;
  size.cy = std::max(size.cy, image.cy) + 1;
  if (IsFixed()) {
    ++size.cx;
    ++size.cy;
  }
  return size;
}
