#pragma once
// The grid's cell class (CGridCell) and the four default cells the grid owns
// (CGridDefaultCell), from which cells take what they leave unset.

#include <memory>
#include <string>

#include "grid/grid_cell_base.h"

// Format and margin values that mean "take the default cell's".
inline constexpr UINT kInheritFormat = 0xFFFFFFFFu;
inline constexpr UINT kInheritMargin = 0xFFFFFFFFu;

class CGridCell : public CGridCellBase {
 public:
  CGridCell() = default;
  ~CGridCell() override = default;
  using CGridCellBase::operator=;
  CGridCell& operator=(const CGridCell& cell) {
    CGridCellBase::operator=(cell);
    return *this;
  }

  void SetText(const std::string& text) override { m_strText = text; }
  void SetImage(int image) override { m_nImage = image; }
  void SetData(LPARAM data) override { m_lParam = data; }
  void SetFormat(UINT format) override { m_nFormat = format; }
  void SetTextColour(COLORREF colour) override { m_crFgClr = colour; }
  void SetBackColour(COLORREF colour) override { m_crBkClr = colour; }
  void SetFont(const LOGFONT* plf) override;
  void SetMargin(UINT margin) override { m_nMargin = margin; }
  void SetGrid(CGridCtrl* grid) override { m_pGrid = grid; }
  void SetCoords(int row, int col) override {
    (void)row;
    (void)col;
  }

  const std::string& GetText() const override { return m_strText; }
  int GetImage() const override { return m_nImage; }
  LPARAM GetData() const override { return m_lParam; }
  UINT GetFormat() const override;
  COLORREF GetTextColour() const override { return m_crFgClr; }
  COLORREF GetBackColour() const override { return m_crBkClr; }
  const LOGFONT* GetFont() const override;
  CFont* GetFontObject() const override;
  CGridCtrl* GetGrid() const override { return m_pGrid; }
  CGridEditWnd* GetEditWnd() const override { return m_pEditWnd; }
  UINT GetMargin() const override;
  bool IsDefaultFont() const override { return m_plfFont == nullptr; }
  bool IsEditing() const override { return m_bEditing; }

  // Every attribute inherited again, no state, no editor. The cell stays with its grid.
  void Reset() override;

  bool Edit(int nRow, int nCol, CRect rect, CPoint point, UINT nID, UINT nChar) override;
  void EndEdit() override;
  void OnEndEdit() override;

 protected:
  std::string m_strText;
  LPARAM m_lParam = 0;
  int m_nImage = -1;
  UINT m_nFormat = kInheritFormat;
  COLORREF m_crFgClr = CLR_DEFAULT;
  COLORREF m_crBkClr = CLR_DEFAULT;
  std::unique_ptr<LOGFONT> m_plfFont;
  UINT m_nMargin = kInheritMargin;
  bool m_bEditing = false;
  CGridCtrl* m_pGrid = nullptr;
  CGridEditWnd* m_pEditWnd = nullptr;
};

class CGridDefaultCell : public CGridCell {
 public:
  // Format left, vertically centred, single line, no prefix, end ellipsis; the
  // platform's message font, which sets margin and size.
  CGridDefaultCell();
  using CGridCell::operator=;

  void SetData(LPARAM data) override { (void)data; }
  void SetState(UINT state) override { (void)state; }
  UINT GetState() const override { return CGridCell::GetState() | CellReadOnly; }
  // Takes the font and derives margin (one blank) and size (" XXXXXXXXXXXX ", height
  // one and a half times); null does nothing.
  void SetFont(const LOGFONT* plf) override;
  const LOGFONT* GetFont() const override { return m_plfFont.get(); }
  CFont* GetFontObject() const override { return const_cast<CFont*>(&m_Font); }

  DWORD GetStyle() const { return m_dwStyle; }
  void SetStyle(DWORD style) { m_dwStyle = style; }
  int GetWidth() const { return m_Size.cx; }
  int GetHeight() const { return m_Size.cy; }
  void SetWidth(int width) { m_Size.cx = width; }
  void SetHeight(int height) { m_Size.cy = height; }

 protected:
  CSize m_Size{30, 10};
  CFont m_Font;
  DWORD m_dwStyle = 0;
};
