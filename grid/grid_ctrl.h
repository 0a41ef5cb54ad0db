#pragma once
// CGridCtrl: the table window of every table in the system. A rectangle of cell
// objects in rows and columns; the first rows and columns are fixed (headings that
// stay in place while the rest scrolls). The client area is the scroll area's
// viewport().
//
// The class is split across files by concern; each section below names its file:
//   grid_ctrl_structure.cpp  construction, window, counts, rows, cell factory, fonts
//   grid_ctrl_items.cpp      cells and item attributes, modified marks, lookup
//   grid_ctrl_sizes.cpp      column widths, row heights, automatic sizing
//   grid_ctrl_virtual.cpp    virtual mode and the owner notifications
//   grid_ctrl_selection.cpp  focus cell and the set of selected cells
//   grid_ctrl_draw.cpp       painting (a first, unscrolled form; see OnDraw)
//   grid_ctrl_scroll.cpp     scroll bars (to be built)
//   grid_ctrl_edit.cpp       in-place editing (to be built)
// Mouse and keyboard, clipboard, sorting, drag and drop and printing get files of
// their own (grid_ctrl_input.cpp, grid_ctrl_clipboard.cpp, grid_ctrl_sort.cpp,
// grid_ctrl_dragdrop.cpp, grid_ctrl_print.cpp) and their sections below.
//
// Rows and columns are 0-based; failures are answered by the result (false, -1, 0 or
// an empty text), never by an exception. Texts are Windows-1251 std::string.

#include <QAbstractScrollArea>
#include <string>
#include <vector>

#include "grid/cell_id.h"
#include "grid/cell_id_set.h"
#include "grid/gdi_colours.h"
#include "grid/gdi_dc.h"
#include "grid/gdi_font.h"
#include "grid/gdi_types.h"
#include "grid/grid_cell.h"
#include "grid/grid_owner.h"
#include "grid/grid_records.h"

class CGridEditWnd;
class CImageList;

// Virtual mode's fetch function: fills the record for one cell; its result is not used.
using GRIDCALLBACK = bool (*)(GridDispInfo* info, LPARAM lParam);
// Sort order of two cells (given as LPARAMs holding the cell pointers) with the
// caller's value: negative, 0 or positive.
using PFNLVCOMPARE = int (*)(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);
// The cell factory: makes one object of the grid's cell class.
using GridCellCreator = CGridCellBase* (*)();

// The record of a print job (grid/print_driver.h).
class PrintInfo;

class CGridCtrl : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // ------------------------------------------------------------------------------
  // Construction and window (grid_ctrl_structure.cpp)

  // Counts, rows and cells are built at once; the row heights and column widths are
  // set from the normal default cell by Create.
  explicit CGridCtrl(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);
  ~CGridCtrl() override;

  // Makes the grid a child of the parent (a WS_CHILD grid needs one) at the
  // rectangle, with the control id, and sets every row height and column width from
  // the normal default cell.
  bool Create(const CRect& rect, QWidget* parent, UINT nID,
              DWORD dwStyle = WS_CHILD | WS_TABSTOP | WS_VISIBLE);
  // The grid has been created as a window.
  bool IsWindowCreated() const { return m_bCreated; }
  UINT GetDlgCtrlID() const { return m_nID; }
  // The client area (the viewport) in its own coordinates.
  CRect GetClientRect() const;

  // Where notifications go; null means the parent widget when that is a CGridOwner.
  void SetOwner(CGridOwner* owner) { m_pOwner = owner; }
  CGridOwner* GetOwner() const;

  // ------------------------------------------------------------------------------
  // Counts, rows and columns (grid_ctrl_structure.cpp)

  int GetRowCount() const { return m_nRows; }
  int GetColumnCount() const { return m_nCols; }
  int GetFixedRowCount() const { return m_nFixedRows; }
  int GetFixedColumnCount() const { return m_nFixedCols; }
  bool SetRowCount(int nRows = 10);
  bool SetColumnCount(int nCols = 10);
  bool SetFixedRowCount(int nFixedRows = 1);
  bool SetFixedColumnCount(int nFixedCols = 1);

  // Inserts a row before nRow (-1 appends; never among the fixed rows); the heading
  // goes into column 0. Answers the new row's index or -1.
  virtual int InsertRow(const std::string& strHeading, int nRow = -1);
  bool DeleteRow(int nRow);
  // Deletes every non-fixed row.
  bool DeleteDataRows();
  bool DeleteAllItems();

  bool IsValid(int nRow, int nCol) const;
  bool IsValid(const CCellID& cell) const { return IsValid(cell.row, cell.col); }
  bool IsValidRange(const CCellRange& range) const;

  // ------------------------------------------------------------------------------
  // Cells and items (grid_ctrl_items.cpp)

  // The stored cell; in virtual mode the shared display cell filled for this request
  // (valid until the next GetCell). Null outside the grid.
  CGridCellBase* GetCell(int nRow, int nCol) const;
  // Stores a cell (the one stored there before is not deleted; the caller had it).
  bool SetCell(int nRow, int nCol, CGridCellBase* pCell);
  // The cell class that CreateCell makes (CGridCell unless changed); null makes none.
  void SetCellClass(GridCellCreator creator) { m_pfnCellCreator = creator; }
  template <typename Cell>
  void SetCellType() {
    SetCellClass([]() -> CGridCellBase* { return new Cell; });
  }

  // Sets the attributes that the item's mask names (no repaint).
  bool SetItem(const GridItem* pItem);
  // Reads the attributes that the item's mask names.
  bool GetItem(GridItem* pItem) const;
  bool SetItemText(int nRow, int nCol, const std::string& str);
  std::string GetItemText(int nRow, int nCol) const;
  bool SetItemData(int nRow, int nCol, LPARAM lParam);
  LPARAM GetItemData(int nRow, int nCol) const;
  // Keeps the set of selected cells in step with bit CellSelected, then sets the bits.
  bool SetItemState(int nRow, int nCol, UINT state);
  UINT GetItemState(int nRow, int nCol) const;
  bool SetItemTextColour(int nRow, int nCol, COLORREF clr = CLR_DEFAULT);
  bool SetItemBackColour(int nRow, int nCol, COLORREF clr = CLR_DEFAULT);
  // The text's extent in that cell's font and margins; (0, 0) without a cell.
  CSize GetTextExtent(int nRow, int nCol, const std::string& str) const;

  // Marks one cell, or with -1 the grid as a whole, modified or not. Any change to
  // the grid as a whole or to a cell of the sort column removes the sort mark.
  void SetModified(bool bModified = true, int nRow = -1, int nCol = -1);
  bool GetModified() const { return m_bModified; }
  // The first row whose column-0 data equals the value; 0 when none does.
  int FindRowByItemData(LPARAM lParam) const;

  // ------------------------------------------------------------------------------
  // Default cells, font and system colours (grid_ctrl_structure.cpp)

  CGridDefaultCell* GetDefaultCell(bool bFixedRow, bool bFixedCol) const;
  // WM_SETFONT: the font of the default cells (which derives their default size),
  // then a repaint; row heights and column widths stay as they are.
  void SetFont(const CFont* pFont);
  // The normal default cell's font object.
  CFont* GetFont() const;

  // ------------------------------------------------------------------------------
  // Column widths and row heights (grid_ctrl_sizes.cpp). A size of 0 hides.

  int GetColumnWidth(int nCol) const;
  int GetRowHeight(int nRow) const;
  bool SetColumnWidth(int nCol, int width);
  bool SetRowHeight(int nRow, int height);
  int GetFixedColumnWidth() const;
  int GetFixedRowHeight() const;
  int GetTotalWidth() const;
  int GetTotalHeight() const;
  // nAutoSizeStyle 0 is the grid's own style (GVS_HEADER, GVS_DATA bits).
  bool AutoSizeColumn(int nCol, int nAutoSizeStyle = 0, bool bResetScroll = true);
  bool AutoSizeRow(int nRow, bool bResetScroll = true);
  // Every visible column is sized to its cells; hidden columns stay hidden.
  virtual void AutoSizeColumns(int nAutoSizeStyle = 0);

  // ------------------------------------------------------------------------------
  // Grid-wide settings

  void SetEditable(bool bEditable = true) { m_bEditable = bEditable; }
  bool IsEditable() const { return m_bEditable; }
  void SetGridBackColour(COLORREF clr) { m_crGridBkColour = clr; }
  COLORREF GetGridBackColour() const { return m_crGridBkColour; }
  void SetGridLineColour(COLORREF clr) { m_crGridLineColour = clr; }
  COLORREF GetGridLineColour() const { return m_crGridLineColour; }
  void SetGridLines(int nWhichLines = GVL_BOTH) { m_nGridLines = nWhichLines; }
  int GetGridLines() const { return m_nGridLines; }
  void SetImageList(CImageList* pList) { m_pImageList = pList; }
  CImageList* GetImageList() const { return m_pImageList; }
  void SetAutoSizeStyle(int nStyle = GVS_BOTH) { m_nAutoSizeColumnStyle = nStyle; }
  int GetAutoSizeStyle() const { return m_nAutoSizeColumnStyle; }
  void SetTipTextColour(COLORREF clr) { m_crTTipFgClr = clr; }
  void SetTipBackColour(COLORREF clr) { m_crTTipBackClr = clr; }
  COLORREF GetTipTextColour() const { return m_crTTipFgClr; }
  COLORREF GetTipBackColour() const { return m_crTTipBackClr; }
  void SetTrackFocus(bool bTrack = true) { m_bTrackFocus = bTrack; }
  bool GetTrackFocus() const { return m_bTrackFocus; }
  void SetFrameFocus(bool bFrame = true) { m_bFrameFocus = bFrame; }
  bool GetFrameFocus() const { return m_bFrameFocus; }
  void SetSortAscending(bool bAscending) { m_bAscending = bAscending; }
  bool GetSortAscending() const { return m_bAscending; }
  int GetSortColumn() const { return m_nSortColumn; }
  // Moves the sort mark (drawn by the heading cell in row 0) to another column.
  void SetSortColumn(int nCol);
  void SetShadedPrinting(bool bEnable = true) { m_bShadedPrintOut = bEnable; }
  bool GetShadedPrinting() const { return m_bShadedPrintOut; }
  void SetAllowDraw(bool bAllow) { m_bAllowDraw = bAllow; }
  bool GetAllowDraw() const { return m_bAllowDraw; }
  // Repaints the whole window when it exists and drawing is allowed.
  void Refresh();

  // ------------------------------------------------------------------------------
  // Virtual mode and notifications (grid_ctrl_virtual.cpp)

  // Switching the mode drops every row, column and cell first.
  void SetVirtualMode(bool bVirtual);
  bool GetVirtualMode() const { return m_bVirtualMode; }
  void SetCallbackFunc(GRIDCALLBACK pCallback, LPARAM lParam);
  GRIDCALLBACK GetCallbackFunc() const { return m_pfnCallback; }
  // Asks the owner for one cell's contents (DisplayRequest); 0 without a window or owner.
  LRESULT RequestDisplayInfo(GridDispInfo* pDisplayInfo) const;
  // Tells the owner which cells are about to be read (CacheHint).
  LRESULT SendCacheHint(const CCellRange& range) const;
  // Sends a GridNotify with the code for the cell; the owner's answer, 0 without one.
  LRESULT NotifyOwner(int nRow, int nCol, int nCode);

  // ------------------------------------------------------------------------------
  // Focus and selection (grid_ctrl_selection.cpp). The selected cells are kept in a
  // set keyed by row and column in full, in step with each cell's CellSelected bit.
  // The mouse and keyboard that drive them come with the input code.

  CCellID GetFocusCell() const { return m_idCurrentCell; }
  // Moves the focus (never into the fixed cells); answers the previous focus cell.
  // Redrawing of the old and new focus (and their headings) comes with the drawing code.
  CCellID SetFocusCell(CCellID cell);
  CCellID SetFocusCell(int nRow, int nCol) { return SetFocusCell(CCellID(nRow, nCol)); }
  bool IsCellSelected(int nRow, int nCol) const;
  bool IsCellSelected(const CCellID& cell) const { return IsCellSelected(cell.row, cell.col); }
  int GetSelectedCount() const { return static_cast<int>(m_SelectedCellMap.Size()); }
  // The bounding range of the selected cells; (rows, columns, -1, -1) when none is.
  CCellRange GetSelectionBounds() const;
  void SelectRange(int nMinRow, int nMinCol, int nMaxRow, int nMaxCol, bool bForceRepaint = false,
                   bool bSelectCells = true);
  void SelectRange(const CCellRange& range, bool bForceRepaint = false, bool bSelectCells = true) {
    SelectRange(range.GetMinRow(), range.GetMinCol(), range.GetMaxRow(), range.GetMaxCol(),
                bForceRepaint, bSelectCells);
  }
  void ClearSelection();
  void SelectAllCells();
  void SetEnableSelection(bool bEnable = true) { m_bEnableSelection = bEnable; }
  bool IsSelectable() const { return m_bEnableSelection; }
  // Mouse and keyboard (grid_ctrl_input.cpp, to come): SetListMode, GetListMode,
  // SetSingleRowSelect, SetSingleColumnSelect, SelectCells, SelectRows, SelectColumns,
  // ExtendSelection, OnRowHeaderClick, OnColumnHeaderClick, OnEditSelectAll,
  // IsOverColumnDivider, IsOverRowDivider, PointInCell and the Qt event handlers.

  // ------------------------------------------------------------------------------
  // Drawing (grid_ctrl_draw.cpp) and scrolling (grid_ctrl_scroll.cpp)

  // Paints background, cells and grid lines. The present form draws from the first
  // row and column without scrolling and with every cell erasing its background;
  // the full painting (background bands, the four passes, clip tests, scroll offsets,
  // cache hints) replaces it together with the cell geometry (GetCellRect,
  // CellFromPoint, GetVisibleDataRange, ...).
  virtual void OnDraw(CDC* pDC);
  // Invalidates one cell for repainting. Present form: the whole viewport.
  bool InvalidateCellRect(int nRow, int nCol);
  // Recomputes the scroll bars. Present form: only forgets the remembered top-left
  // cell; the scroll ranges come with the scrolling code.
  void UpdateScrollBars();

  // ------------------------------------------------------------------------------
  // Editing (grid_ctrl_edit.cpp)

  // Opens the in-place editor over a cell; null when no editor could be made (then
  // the cell stays out of editing). Present form: no editor exists yet, always null.
  virtual CGridEditWnd* CreateInPlaceEdit(const CRect& rect, DWORD dwStyle, UINT nID, int nRow,
                                          int nCol, const std::string& initialText, UINT nFirstChar);
  // To come: BeginCellEdit, StoreEditedText, ValidateEdit, StopCellEdit (virtual, in
  // this order), IsItemEditing, SetCellTextChecked, OnEditorClosed.

  // ------------------------------------------------------------------------------
  // Clipboard, sorting, drag and drop (to come): ClearSelectedText, CopySelectionText,
  // PasteText, OnBeginDrag, OnDragEnter, OnDragOver, OnDragLeave, OnDrop, OnEditCut,
  // OnEditCopy, OnEditPaste (virtual), CreateDragImage, SortItems, SortRowRange,
  // CompareCellText. The viewer overrides CopySelectionText.

  // ------------------------------------------------------------------------------
  // Printing (grid_ctrl_print.cpp). A view's print operations call the three job
  // operations (the print loop is zv::PrintPages, grid/print_driver.h); the viewer's
  // grid replaces them, the margins, the header and the footer by its report. The
  // table is laid out in the grid's pixel sizes on a page whose logical size is the
  // paper size, scaled onto the printable area; how rows and columns fall into pages
  // is zv::PrintLayout (grid/print_layout.h).

  // Margins in character units of the printer font; each value >= 0 is stored, a
  // negative one leaves that margin as it is. Top and bottom are kept, not used.
  virtual void SetPrintMargins(int nHeaderHeight, int nFooterHeight, int nLeftMargin, int nRightMargin,
                               int nTopMargin, int nBottomMargin, int nGap);
  // Off: the table's width fills the paper's width. On: screen pixels keep (3/4 of)
  // their size on paper, and a wide table is split across pages.
  void SetWysiwygPrinting(bool bEnable = true) { m_bWysiwygPrinting = bEnable; }
  bool GetWysiwygPrinting() const { return m_bWysiwygPrinting; }
  // Printer font, character size, paper layout and the page count (SetMaxPage).
  virtual void OnBeginPrinting(CDC* pDC, PrintInfo* pInfo);
  // The page pInfo->m_nCurPage: header, headings, fixed columns, body rows, footer.
  virtual void OnPrint(CDC* pDC, PrintInfo* pInfo);
  // Deletes the printer font.
  virtual void OnEndPrinting(CDC* pDC, PrintInfo* pInfo);
  // The bands above and below the table, in pInfo->m_rectDraw: the title of the
  // window holding the grid and the application's name; the page number of the
  // page count and the date and time.
  virtual void PrintHeader(CDC* pDC, PrintInfo* pInfo);
  virtual void PrintFooter(CDC* pDC, PrintInfo* pInfo);
  // The fixed rows over the page's columns (with the corner cells on every slice).
  virtual void PrintColumnHeadings(CDC* pDC, PrintInfo* pInfo);
  // One fixed row's cells of the columns [nStartColumn, nStopColumn), the rectangle
  // running on from rect.right; bFirst draws the left edge of the first cell, once.
  virtual void PrintFixedRowCells(int nStartColumn, int nStopColumn, int& row, CRect& rect, CDC* pDC,
                                  bool& bFirst);
  // The fixed columns beside the page's body rows.
  virtual void PrintRowHeadings(CDC* pDC, PrintInfo* pInfo);

 signals:
  // Mirrors every notification sent to the owner, for observers.
  void notified(int code, int row, int col);

 protected:
  // The cell factory and its counterpart. The viewer's grid makes new cells that
  // copy the format of the cell above and take the grid's font.
  // The destructor deletes the cells with this class's DestroyCell: a grid that
  // overrides it calls DeleteAllItems in its own destructor.
  virtual CGridCellBase* CreateCell(int nRow, int nCol);
  virtual void DestroyCell(int nRow, int nCol);

  // WM_SETFONT: gives the font to the four default cells. The viewer's grid also
  // gives it to every cell and derives its own margin and default sizes.
  virtual void OnSetFont(const LOGFONT* plf);
  // WM_SYSCOLORCHANGE: default-cell colours that followed the system follow it again.
  void OnSysColorChange();
  void InitDefaultCellColours();

  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  using GridRow = std::vector<CGridCellBase*>;

  CGridCellBase* StoredCell(int nRow, int nCol) const { return m_RowData[nRow][nCol]; }
  CGridCellBase* FetchDisplayCell(int nRow, int nCol) const;
  // The stored cell that setters change; null in virtual mode and outside the grid.
  CGridCellBase* WritableCell(int nRow, int nCol) const;
  void SetCellSelected(int nRow, int nCol, bool bSelected);
  // What row and column operations do to the selection: every cell deselected, the
  // focus left to the operation's own rule.
  void DeselectAll();
  GridRow MakeRow(int nRow);
  // Cells that join the fixed rows or columns (bits CellFixedRowBits or
  // CellFixedColBits) or leave them; either way they drop their own colours, except
  // leaving cells that stay fixed the other way.
  void RestateFixedCells(int firstRow, int endRow, int firstCol, int endCol, UINT bits, bool becomeFixed);
  void ForgetTopLeftCell() { m_idTopLeftCell.row = -1; }

  // ---- Colours
  COLORREF m_crGridBkColour;
  COLORREF m_crGridLineColour = RGB(192, 192, 192);
  COLORREF m_crWindowText, m_crWindowColour, m_cr3DFace, m_crShadow;  // remembered system colours
  COLORREF m_crTTipBackClr = CLR_DEFAULT, m_crTTipFgClr = CLR_DEFAULT;

  // ---- Virtual mode
  bool m_bVirtualMode = false;
  LPARAM m_lParam = 0;
  GRIDCALLBACK m_pfnCallback = nullptr;

  // ---- Behaviour flags
  int m_nGridLines = GVL_BOTH;
  bool m_bEditable = true;
  bool m_bModified = false;
  bool m_bAllowDragAndDrop = false;
  bool m_bListMode = false;
  bool m_bSingleRowSelection = false;
  bool m_bSingleColSelection = false;
  bool m_bAllowDraw = true;
  bool m_bEnableSelection = true;
  bool m_bFixedRowSelection = true;  // row selection by clicks in the fixed columns
  bool m_bFixedColumnSelection = true;  // column selection by clicks in the fixed rows
  bool m_bSortOnClick = false;
  bool m_bHandleTabKey = true;
  bool m_bDoubleBuffer = true;
  bool m_bTitleTips = true;
  int m_nBarState = 0;  // shown scroll bars: 1 horizontal, 2 vertical
  bool m_bWysiwygPrinting = false;
  bool m_bHiddenColUnhide = true, m_bHiddenRowUnhide = true;
  bool m_bAllowColHide = true, m_bAllowRowHide = true;
  bool m_bTrackFocus = true, m_bFrameFocus = true;
  int m_nAutoSizeColumnStyle = GVS_BOTH;

  // ---- Structure
  int m_nRows = 0, m_nFixedRows = 0, m_nCols = 0, m_nFixedCols = 0;
  std::vector<int> m_arRowHeights, m_arColWidths;
  int m_nVScrollMax = 0, m_nHScrollMax = 0;
  GridCellCreator m_pfnCellCreator;
  CGridDefaultCell m_cellDefault, m_cellFixedColDef, m_cellFixedRowDef, m_cellFixedRowColDef;
  CFont m_PrinterFont;
  CImageList* m_pImageList = nullptr;
  std::vector<GridRow> m_RowData;

  // ---- Mouse (used by the input code)
  GridMouseMode m_MouseMode = MouseNone;
  bool m_bLMouseButtonDown = false, m_bRMouseButtonDown = false;
  CPoint m_LeftClickDownPoint, m_LastMousePoint;
  CCellID m_LeftClickDownCell, m_SelectionStartCell;

  // ---- Focus, scrolling, timers
  CCellID m_idCurrentCell;
  CCellID m_idTopLeftCell;
  int m_nTimerID = 0;
  int m_nTimerInterval = 25;
  int m_nResizeCaptureRange = 3;
  bool m_bAllowColumnResize = true, m_bAllowRowResize = true;
  int m_nRowsPerWheelNotch = 3;  // read from the platform by the scrolling code

  // ---- Selection
  CCellIdSet m_SelectedCellMap, m_PrevSelectedCellMap;

  // ---- Drag and drop, title tip (their objects come with that code)
  CCellID m_LastDragOverCell;

  // ---- Printing layout (used by the printing code)
  CSize m_CharSize;
  int m_nPageHeight = 0;
  CSize m_PaperSize, m_LogicalPageSize;
  int m_nPageWidth = 0;
  int m_nPrintColumn = 0, m_nCurrPrintRow = 0, m_nNumPages = 0, m_nPageMultiplier = 0;
  int m_nPrintColumnEnd = 0, m_nPrintRowEnd = 0;  // the page's slice and band end here

  // ---- Sorting
  bool m_bAscending = true;
  int m_nSortColumn = -1;
  PFNLVCOMPARE m_pfnCompare = nullptr;

  // ---- Printing
  bool m_bShadedPrintOut = true;
  int m_nHeaderHeight = 2, m_nFooterHeight = 2, m_nLeftMargin = 4, m_nRightMargin = 4,
      m_nTopMargin = 1, m_nBottomMargin = 1, m_nGap = 1;

  // ---- Window and owner
  bool m_bCreated = false;
  UINT m_nID = 0;
  CGridOwner* m_pOwner = nullptr;
};
