// A cell drawing itself on screen and on a printer.

#include "grid/gdi_colours.h"
#include "grid/grid_cell.h"
#include "grid/grid_cell_base.h"
#include "grid/grid_ctrl.h"
#include "grid/image_list.h"

namespace {

// Right and bottom one pixel out (the cell rectangles are inclusive) and back.
void Grow(CRect& r) {
  ++r.right;
  ++r.bottom;
}
void Shrink(CRect& r) {
  --r.right;
  --r.bottom;
}

// The text colour of a cell printed on a two-colour device.
COLORREF GreyLevel(COLORREF c) {
  const int grey = static_cast<int>(GetRValue(c) * 0.30) + static_cast<int>(GetGValue(c) * 0.59) +
                   static_cast<int>(GetBValue(c) * 0.11);
  return RGB(grey, grey, grey);
}

}  // namespace

void CGridCellBase::DrawRaisedEdges(CDC* pDC, const CRect& rect) {
  const CPen light(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  const CPen dark(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
  const CPen* old = pDC->SelectObject(&light);
  pDC->MoveTo(rect.right, rect.top);
  pDC->LineTo(rect.left, rect.top);
  pDC->LineTo(rect.left, rect.bottom);
  pDC->SelectObject(&dark);
  pDC->MoveTo(rect.right, rect.top);
  pDC->LineTo(rect.right, rect.bottom);
  pDC->LineTo(rect.left, rect.bottom);
  pDC->SelectObject(old);
}

void CGridCellBase::DrawSortMark(CDC* pDC, CRect& rect) {
  CGridCtrl* grid = GetGrid();
  const CSize size = pDC->GetTextExtent("M");
  int h = size.cy - 4;
  if (h >= rect.Height()) h = rect.Height() - 4;
  // A row too low to hold a mark gets none.
  if (h <= 0) return;
  const int w = h;
  const LOGFONT* lf = GetFont();
  const bool vertical = lf != nullptr && lf->lfEscapement == 900;
  if (rect.left + w >= rect.right) return;

  const int y = rect.bottom - 2 - h;
  const int x = vertical ? (rect.left + rect.right - w) / 2 : rect.right - w;
  const CPen shadow(PS_SOLID, 0, GetSysColor(COLOR_BTNSHADOW));
  const CPen light(PS_SOLID, 0, GetSysColor(COLOR_BTNHIGHLIGHT));
  const CPen* old = pDC->SelectObject(&light);
  if (grid->GetSortAscending()) {
    // Pointing up.
    pDC->MoveTo(x + 1, y + h + 1);
    pDC->LineTo(x + w / 2 + 1, y + 1);
    pDC->LineTo(x + w + 1, y + h + 1);
    pDC->LineTo(x + 1, y + h + 1);
    pDC->SelectObject(&shadow);
    pDC->MoveTo(x, y + h);
    pDC->LineTo(x + w / 2, y);
    pDC->LineTo(x + w, y + h);
    pDC->LineTo(x, y + h);
  } else {
    // Pointing down.
    pDC->MoveTo(x + 1, y + 1);
    pDC->LineTo(x + w / 2 + 1, y + h + 1);
    pDC->LineTo(x + w + 1, y + 1);
    pDC->LineTo(x + 1, y + 1);
    pDC->SelectObject(&shadow);
    pDC->MoveTo(x, y);
    pDC->LineTo(x + w / 2, y + h);
    pDC->LineTo(x + w, y);
    pDC->LineTo(x, y);
  }
  pDC->SelectObject(old);
  if (!vertical) rect.right -= w;
}

bool CGridCellBase::Draw(CDC* pDC, int nRow, int nCol, CRect rect, bool bEraseBkgnd) {
  CGridCtrl* grid = GetGrid();
  if (grid == nullptr || pDC == nullptr) return false;
  if (rect.Width() <= 0 || rect.Height() <= 0) return false;

  CDCStateGuard saved(pDC);
  pDC->SetBkMode(TRANSPARENT);
  CGridDefaultCell* def = GetDefaultCell();
  if (def == nullptr) return false;

  COLORREF text = GetTextColour() == CLR_DEFAULT ? def->GetTextColour() : GetTextColour();
  COLORREF back = def->GetBackColour();
  if (GetBackColour() != CLR_DEFAULT) {
    back = GetBackColour();
    bEraseBkgnd = true;
  }
  const bool gridLines = grid->GetGridLines() != GVL_NONE;

  if (IsFocused() || IsDropHighlighted()) {
    if (IsSelected()) {
      back = GetSysColor(COLOR_HIGHLIGHT);
      text = GetSysColor(COLOR_HIGHLIGHTTEXT);
      bEraseBkgnd = true;
    }
    Grow(rect);
    if (bEraseBkgnd) pDC->FillSolidRect(rect, back);
    if (gridLines) Shrink(rect);
    if (grid->GetFrameFocus()) pDC->FrameRect(rect, text);
    pDC->SetTextColor(text);
    if (!gridLines) Shrink(rect);
  } else if (IsSelected()) {
    Grow(rect);
    pDC->FillSolidRect(rect, GetSysColor(COLOR_HIGHLIGHT));
    Shrink(rect);
    pDC->SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else {
    if (bEraseBkgnd) {
      Grow(rect);
      pDC->FillSolidRect(rect, back);
      Shrink(rect);
    }
    pDC->SetTextColor(text);
  }

  if (IsFixed() && gridLines) {
    const CCellID focus = grid->GetFocusCell();
    if (grid->GetTrackFocus() && grid->IsValid(focus) && (focus.row == nRow || focus.col == nCol)) {
      Grow(rect);
      pDC->DrawEdge(rect, BDR_SUNKENINNER, BF_RECT);
      rect.DeflateRect(1, 1);
    } else {
      DrawRaisedEdges(pDC, rect);
      rect.DeflateRect(1, 1);
    }
  }

  if (!pDC->IsPrinting()) {
    if (CFont* font = GetFontObject()) pDC->SelectObject(font);
  }

  const int margin = static_cast<int>(GetMargin());
  rect.DeflateRect(margin, margin);
  Grow(rect);

  CImageList* images = grid->GetImageList();
  IMAGEINFO info;
  if (images != nullptr && GetImage() >= 0 && images->GetImageInfo(GetImage(), &info)) {
    const int w = info.rcImage.Width();
    const int h = info.rcImage.Height();
    if (rect.left + w <= rect.right && rect.top + h <= rect.bottom)
      images->Draw(pDC, GetImage(), rect.TopLeft(), ILD_NORMAL);
  }

  if (nCol == grid->GetSortColumn() && nRow == 0) DrawSortMark(pDC, rect);

  GetTextRect(&rect);
  Grow(rect);
  pDC->DrawText(GetText(), rect, GetFormat() | DT_NOPREFIX);
  return true;
}

bool CGridCellBase::PrintCell(CDC* pDC, int nRow, int nCol, CRect rect) {
  (void)nRow;
  (void)nCol;
  CGridCtrl* grid = GetGrid();
  if (grid == nullptr || pDC == nullptr) return false;
  if (rect.Width() < 1 || rect.Height() < 1) return false;
  CDCStateGuard saved(pDC);
  pDC->SetBkMode(TRANSPARENT);

  COLORREF text = RGB(0, 0, 0);
  if (grid->GetShadedPrinting()) {
    CGridDefaultCell* def = GetDefaultCell();
    if (def == nullptr) return false;
    COLORREF fill = CLR_DEFAULT;
    if (IsFixed()) fill = GetBackColour() != CLR_DEFAULT ? GetBackColour() : def->GetBackColour();
    else if (GetBackColour() != CLR_DEFAULT && GetBackColour() != def->GetBackColour()) fill = GetBackColour();
    text = GetTextColour() != CLR_DEFAULT ? GetTextColour() : def->GetTextColour();
    if (fill != CLR_DEFAULT) {
      Grow(rect);
      pDC->FillSolidRect(rect, fill);
      Shrink(rect);
    } else if (pDC->IsMonochrome()) {
      text = GreyLevel(text);
    }
  }
  pDC->SetTextColor(text);
  if (CFont* font = GetFontObject()) pDC->SelectObject(font);

  if (IsFixed() && grid->GetGridLines() != GVL_NONE) {
    DrawRaisedEdges(pDC, rect);
    rect.DeflateRect(1, 1);
  }
  const int margin = static_cast<int>(GetMargin());
  rect.DeflateRect(margin, 0);

  CImageList* images = grid->GetImageList();
  IMAGEINFO info;
  if (images != nullptr && GetImage() >= 0 && images->GetImageInfo(GetImage(), &info)) {
    images->Draw(pDC, GetImage(), rect.TopLeft(), ILD_NORMAL);
    rect.left += margin + info.rcImage.Width();
  }
  pDC->DrawText(GetText(), rect, GetFormat() | DT_NOPREFIX);
  return true;
}
