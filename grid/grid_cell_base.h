#pragma once
// The abstract cell of a grid position: state bits, attributes read and written
// through virtual operations, drawing, printing, measuring and the editing and mouse
// hooks. Attributes a cell leaves unset come from one of the grid's default cells.

#include <string>

#include "grid/gdi_dc.h"
#include "grid/gdi_font.h"
#include "grid/gdi_types.h"
#include "grid/grid_records.h"

class CGridCtrl;
class CGridDefaultCell;
class CGridEditWnd;

class CGridCellBase {
 public:
  CGridCellBase() = default;
  virtual ~CGridCellBase() = default;
  CGridCellBase(const CGridCellBase&) = delete;

  // Attributes.
  virtual void SetText(const std::string& text) = 0;  // Windows-1251
  virtual void SetImage(int image) = 0;
  virtual void SetData(LPARAM data) = 0;
  virtual void SetState(UINT state) { m_nState = state; }
  virtual void SetFormat(UINT format) = 0;
  virtual void SetTextColour(COLORREF colour) = 0;
  virtual void SetBackColour(COLORREF colour) = 0;
  virtual void SetFont(const LOGFONT* plf) = 0;  // null: inherit again
  virtual void SetMargin(UINT margin) = 0;
  virtual void SetGrid(CGridCtrl* grid) = 0;
  virtual void SetCoords(int row, int col) = 0;

  virtual const std::string& GetText() const = 0;  // empty, never missing
  virtual std::string GetTipText() const { return GetText(); }
  virtual int GetImage() const = 0;
  virtual LPARAM GetData() const = 0;
  virtual UINT GetState() const { return m_nState; }
  virtual UINT GetFormat() const = 0;
  virtual COLORREF GetTextColour() const = 0;  // CLR_DEFAULT when unset (not inherited)
  virtual COLORREF GetBackColour() const = 0;  // CLR_DEFAULT when unset (not inherited)
  virtual const LOGFONT* GetFont() const = 0;
  virtual CFont* GetFontObject() const = 0;
  virtual CGridCtrl* GetGrid() const = 0;
  virtual CGridEditWnd* GetEditWnd() const = 0;
  virtual UINT GetMargin() const = 0;
  virtual CGridDefaultCell* GetDefaultCell() const;
  virtual bool IsDefaultFont() const = 0;
  virtual bool IsEditing() const = 0;

  // These read the stored bits, not GetState().
  virtual bool IsFocused() const { return (m_nState & CellFocused) != 0; }
  virtual bool IsFixed() const { return (m_nState & CellFixed) != 0; }
  virtual bool IsFixedCol() const { return (m_nState & CellFixedCol) != 0; }
  virtual bool IsFixedRow() const { return (m_nState & CellFixedRow) != 0; }
  virtual bool IsSelected() const { return (m_nState & CellSelected) != 0; }
  virtual bool IsReadOnly() const { return (m_nState & CellReadOnly) != 0; }
  virtual bool IsModified() const { return (m_nState & CellModified) != 0; }
  virtual bool IsDropHighlighted() const { return (m_nState & CellDropHighlighted) != 0; }

  // Copies the other cell's attributes through its virtual operations.
  virtual CGridCellBase& operator=(const CGridCellBase& cell);
  virtual void Reset() { m_nState = 0; }

  // Drawing on screen into the cell's rectangle (right and bottom inclusive).
  virtual bool Draw(CDC* pDC, int nRow, int nCol, CRect rect, bool bEraseBkgnd = true);
  virtual bool GetTextRect(CRect* pRect);
  virtual bool GetTipTextRect(CRect* pRect) { return GetTextRect(pRect); }
  // Text size in the cell's font plus its margins; without a DC the grid's window DC.
  virtual CSize GetTextExtent(const std::string& text, CDC* pDC = nullptr);
  virtual CSize GetCellExtent(CDC* pDC);

  // Editing.
  virtual bool Edit(int nRow, int nCol, CRect rect, CPoint point, UINT nID, UINT nChar);
  virtual bool ValidateEdit(const std::string& text) {
    (void)text;
    return true;
  }
  virtual void EndEdit() {}

  virtual bool PrintCell(CDC* pDC, int nRow, int nCol, CRect rect);

  // Hooks the grid calls; the mouse points are relative to the cell's top-left corner.
  virtual void OnEndEdit() {}
  virtual void OnMouseReserved1() {}
  virtual void OnMouseOver() {}
  virtual void OnMouseReserved2() {}
  virtual void OnClick(CPoint point) { (void)point; }
  virtual void OnClickDown(CPoint point) { (void)point; }
  virtual void OnRClick(CPoint point) { (void)point; }
  virtual void OnDblClick(CPoint point) { (void)point; }
  virtual bool OnSetCursor();

 protected:
  UINT m_nState = 0;

 private:
  void DrawSortMark(CDC* pDC, CRect& rect);
  void DrawRaisedEdges(CDC* pDC, const CRect& rect);
};
