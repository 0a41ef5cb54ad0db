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
//   grid_ctrl_draw.cpp       painting: background bands, the four clipped passes, lines
//   grid_ctrl_geometry.cpp   top-left cell, visible range, cell rectangles, hit test
//   grid_ctrl_scroll.cpp     scroll bars, scroll handlers, wheel, resize
//   grid_ctrl_input.cpp      Qt's input events turned into the handlers, auto-scroll
//   grid_ctrl_keys.cpp       the keyboard handler
//   grid_ctrl_mouse.cpp      press, move, release, double click, dividers
//   grid_ctrl_edit.cpp       in-place editing: when it starts, what comes back
//   grid_ctrl_clipboard.cpp  copy, cut, paste, clear
//   grid_ctrl_sort.cpp       sorting rows by a column
//   grid_ctrl_dragdrop.cpp   dragging the selection, dropping text on a cell
//   grid_ctrl_title_tip.cpp  the tip over a cell whose text does not fit
//   grid_ctrl_print.cpp      printing
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
#include "grid/grid_msg_codes.h"
#include "grid/grid_owner.h"
#include "grid/grid_records.h"

class CGridEditWnd;
class CImageList;
class CTitleTip;
class QMimeData;
class QRubberBand;

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
  // Changed cells are repainted one by one, and only inside the visible range.

  CCellID GetFocusCell() const { return m_idCurrentCell; }
  // Moves the focus (never into the fixed cells) and repaints the old and the new
  // focus cell, with focus tracking also their headings; answers the previous one.
  CCellID SetFocusCell(CCellID cell);
  CCellID SetFocusCell(int nRow, int nCol) { return SetFocusCell(CCellID(nRow, nCol)); }
  bool IsCellSelected(int nRow, int nCol) const;
  bool IsCellSelected(const CCellID& cell) const { return IsCellSelected(cell.row, cell.col); }
  int GetSelectedCount() const { return static_cast<int>(m_SelectedCellMap.Size()); }
  // The bounding range of the selected cells; (rows, columns, -1, -1) when none is.
  CCellRange GetSelectionBounds() const;
  // Selects (or with bSelectCells false deselects) a rectangle; bounds inside the
  // fixed area move to its edge. With bForceRepaint the changed cells are repainted
  // before the call returns, else later.
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
  // From the selection start cell to the cell: a rectangle, whole rows, whole columns.
  void SelectCells(CCellID cell, bool bForceRedraw = false, bool bSelectCells = true);
  void SelectRows(CCellID cell, bool bForceRedraw = false, bool bSelectCells = true);
  void SelectColumns(CCellID cell, bool bForceRedraw = false, bool bSelectCells = true);
  // Selects to the cell as the mouse mode says (everything, columns, rows, cells).
  void ExtendSelection(CCellID cell);
  // List mode: clicks and keys select whole rows. Switching it either way clears the
  // selection and the sort mark and ends row selection from the row headings.
  void SetListMode(bool bEnableListMode = true);
  bool GetListMode() const { return m_bListMode; }
  void SetSingleRowSelect(bool bSingle = true) { m_bSingleRowSelection = bSingle; }
  // Only one row at a time; in force only in list mode.
  bool GetSingleRowSelect() const { return m_bListMode && m_bSingleRowSelection; }
  void SetSingleColumnSelect(bool bSingle = true) { m_bSingleColSelection = bSingle; }
  bool GetSingleColumnSelect() const { return m_bSingleColSelection; }
  // Row selection by clicks on the row headings, column selection by the column headings.
  void SetFixedRowSelection(bool bSelect = true) { m_bFixedRowSelection = bSelect; }
  bool GetFixedRowSelection() const { return m_bFixedRowSelection; }
  void SetFixedColumnSelection(bool bSelect = true) { m_bFixedColumnSelection = bSelect; }
  bool GetFixedColumnSelection() const { return m_bFixedColumnSelection; }
  // Select all (Ctrl+A and the Edit command), between SelectionChanging and
  // SelectionChanged; the command is enabled exactly when IsSelectable() is.
  virtual void OnEditSelectAll();

  // ------------------------------------------------------------------------------
  // Mouse and keyboard (grid_ctrl_keys.cpp, grid_ctrl_mouse.cpp, grid_ctrl_input.cpp)

  void SetHandleTabKey(bool bHandle = true) { m_bHandleTabKey = bHandle; }
  bool GetHandleTabKey() const { return m_bHandleTabKey; }
  void SetColumnResize(bool bResize = true) { m_bAllowColumnResize = bResize; }
  bool GetColumnResize() const { return m_bAllowColumnResize; }
  void SetRowResize(bool bResize = true) { m_bAllowRowResize = bResize; }
  bool GetRowResize() const { return m_bAllowRowResize; }
  // Whether a divider drag may reopen hidden columns or rows, and may hide one.
  void SetHiddenColUnhide(bool bUnhide = true) { m_bHiddenColUnhide = bUnhide; }
  void SetHiddenRowUnhide(bool bUnhide = true) { m_bHiddenRowUnhide = bUnhide; }
  void SetColumnHide(bool bHide = true) { m_bAllowColHide = bHide; }
  void SetRowHide(bool bHide = true) { m_bAllowRowHide = bHide; }
  void SetSortOnClick(bool bSort = true) { m_bSortOnClick = bSort; }
  bool GetSortOnClick() const { return m_bSortOnClick; }
  void EnableDragAndDrop(bool bAllow = true) { m_bAllowDragAndDrop = bAllow; }
  bool GetDragAndDrop() const { return m_bAllowDragAndDrop; }
  void EnableTitleTips(bool bEnable = true) { m_bTitleTips = bEnable; }
  bool GetTitleTips() const { return m_bTitleTips; }

  // The key-down part of a key (VK_ codes) with the modifiers held. Moves the focus,
  // selects and scrolls; answers false for a key left to default processing. The
  // key events call it, and so does whatever replays a key on the grid.
  bool OnKeyDown(UINT nChar, Qt::KeyboardModifiers modifiers);
  // A press on a row heading or a column heading (the corner counts as a column heading).
  virtual void OnRowHeaderClick(CCellID cell);
  virtual void OnColumnHeaderClick(CCellID cell);
  // Hot zones of the dividers: column dividers only in the fixed rows, row dividers
  // only in the fixed columns.
  bool IsOverColumnDivider(CPoint point) const;
  bool IsOverRowDivider(CPoint point) const;
  // The point relative to the cell's top-left corner; (0, 0) when it has no origin.
  CPoint PointInCell(int nRow, int nCol, CPoint point) const;
  GridMouseMode GetMouseMode() const { return m_MouseMode; }

  // The input code hands over to the editing, clipboard, sorting, drag and drop and
  // title-tip code (their sections below) at these points:
  //   BeginCellEdit: F2, a release on the focus cell's text, a double click on text.
  //   StopCellEdit: every press, right release, scroll step and resize.
  //   OnChar: the character part of every key event (Windows-1251 byte; Tab is 9).
  //   OnEditCopy, OnEditCut, OnEditPaste, ClearSelectedText: the Ctrl and Shift keys
  //   and Delete. SortItems: a heading click with sort on click.
  //   OnBeginDrag: a move past the start-drag distance after a press on a selected cell.
  //   HideTitleTip: every scroll step. ShowTitleTip: hover over a cell with a tip text.

  // ------------------------------------------------------------------------------
  // Drawing (grid_ctrl_draw.cpp), geometry (grid_ctrl_geometry.cpp) and scrolling
  // (grid_ctrl_scroll.cpp). Coordinates are viewport pixels; cell rectangles are
  // inclusive (right = left + width - 1). Scroll positions are pixels of the
  // non-fixed area; the display always starts at a row and column boundary.

  // Background bands, then corner, fixed columns, fixed rows and data cells, each
  // clipped to the DC's clip box, then the grid lines over the data cells.
  virtual void OnDraw(CDC* pDC);
  // The first non-fixed row and column shown (remembered until the next scroll,
  // count or size change).
  CCellID GetFirstVisibleDataCell(bool bForceRecalculation = false) const;
  // The non-fixed cells at least partly in the client area; the rectangle runs from
  // (0, 0) to the edges of the last of them, capped at the client area.
  CCellRange GetVisibleDataRange(CRect* pRect = nullptr, bool bForceRecalculation = false) const;
  // False for a cell outside the grid or scrolled out above or to the left.
  bool GetCellOrigin(int nRow, int nCol, CPoint* pPoint) const;
  bool GetCellOrigin(const CCellID& cell, CPoint* pPoint) const { return GetCellOrigin(cell.row, cell.col, pPoint); }
  bool GetCellRect(int nRow, int nCol, CRect* pRect) const;
  bool GetCellRect(const CCellID& cell, CRect* pRect) const { return GetCellRect(cell.row, cell.col, pRect); }
  // The cell under a client point; (-1, -1) (or -1 in one part) where none is.
  // Hidden rows and columns are never hit.
  CCellID CellFromPoint(CPoint point, bool bAllowFixedCellCheck = true) const;
  // Some part of the cell lies in the client area.
  bool IsCellVisible(int nRow, int nCol) const;
  bool IsCellVisible(const CCellID& cell) const { return IsCellVisible(cell.row, cell.col); }
  // Marks the cell's area for repainting.
  bool InvalidateCellRect(int nRow, int nCol);
  bool InvalidateCellRect(const CCellID& cell) { return InvalidateCellRect(cell.row, cell.col); }
  // Draws one cell into the DC now (with its grid lines); without a DC the cell's
  // area is marked for repainting instead (painting happens in paint events only).
  bool RedrawCell(int nRow, int nCol, CDC* pDC = nullptr);
  bool RedrawCell(const CCellID& cell, CDC* pDC = nullptr) { return RedrawCell(cell.row, cell.col, pDC); }

  // Recomputes ranges and pages and shows or hides the bars; runs after every size,
  // count, width and height change and on resize.
  void UpdateScrollBars();
  // Shows or hides SB_HORZ, SB_VERT or SB_BOTH, keeping the shown-bar bits in step.
  void ShowScrollBars(int nBar, bool bShow);
  bool HasHorzScrollBar() const { return (m_nBarState & kHorzBarBit) != 0; }
  bool HasVertScrollBar() const { return (m_nBarState & kVertBarBit) != 0; }
  void SetScrollPosition(int nBar, int nPos, bool bRedraw = true);
  // The position, or with bThumb the thumb while it is dragged.
  int GetScrollPosition(int nBar, bool bThumb = false) const;
  // The bar in the Windows model (inclusive maximum, page); false for another bar.
  bool GetScrollInfo(int nBar, SCROLLINFO* pInfo) const;
  // The scroll handlers (SB_ codes); the scroll bars, keys and wheel drive them.
  void OnVScroll(UINT nSBCode);
  void OnHScroll(UINT nSBCode);
  // Scrolls until the cell is visible; stops when a step makes no progress.
  void EnsureVisible(int nRow, int nCol);
  void EnsureVisible(const CCellID& cell) { EnsureVisible(cell.row, cell.col); }
  // Lines per wheel notch from the platform (-1: a page per notch).
  static int GetWheelScrollLines();

  // ------------------------------------------------------------------------------
  // Editing (grid_ctrl_edit.cpp; the editor is CInPlaceEdit, grid/in_place_edit.h).
  // Whether a cell is being edited is the cell's state and its editor's life; the
  // grid keeps none of its own. The owner may refuse an edit: EditStarting answered
  // below 0 opens no editor (or leaves the cell as it is), EditEnded answered below
  // 0 puts the old text back.

  // The control id of the in-place editor.
  static constexpr UINT kInPlaceEditId = 8;

  // Makes the editor a cell opens over itself; null when none could be made (then
  // the cell stays out of editing).
  virtual CGridEditWnd* CreateInPlaceEdit(const CRect& rect, DWORD dwStyle, UINT nID, int nRow,
                                          int nCol, const std::string& initialText, UINT nFirstChar);
  // Hides the title tip, brings the cell into view, asks the owner (EditStarting)
  // and opens the cell's editor. nChar tells the editor how to begin
  // (grid/grid_edit_wnd.h); point is relative to the cell, (-1, -1) from the keys.
  virtual void BeginCellEdit(int nRow, int nCol, CPoint point, UINT nChar);
  // The text an edit produced: a changed text is put in, then kept when the cell
  // accepts it and the owner does not refuse it (EditEnded), else the old text
  // comes back. The cell leaves editing in any case.
  virtual void StoreEditedText(int nRow, int nCol, const std::string& str);
  // The cell's own check of an edited text; true without a cell.
  virtual bool ValidateEdit(int nRow, int nCol, const std::string& str);
  // Ends the edit of the focus cell, if there is one.
  virtual void StopCellEdit();
  // Starts an edit of the focus cell with a typed character, unless Ctrl is held,
  // the mouse is busy, or the character is Escape (or Tab while the grid handles Tab).
  virtual void OnChar(UINT nChar, Qt::KeyboardModifiers modifiers);
  bool IsItemEditing(int nRow, int nCol) const;
  // Changes a cell's text the way an edit would (paste, cut, Delete): nothing for a
  // cell that is not editable or that the owner refuses (EditStarting).
  void SetCellTextChecked(int nRow, int nCol, const std::string& str);
  // The editor's end-of-edit report (code EditEnded from the control kInPlaceEditId):
  // the text is stored, and an edit that ended with Tab or a navigation key goes on
  // in the cell that key moves to (keyModifiers are those held with that key).
  LRESULT OnEditorClosed(const GridDispInfo& info, Qt::KeyboardModifiers keyModifiers = Qt::NoModifier);
  // The grid is editable and the cell is not read-only.
  bool IsCellEditable(int nRow, int nCol) const;
  bool IsCellEditable(const CCellID& cell) const { return IsCellEditable(cell.row, cell.col); }

  // ------------------------------------------------------------------------------
  // Clipboard (grid_ctrl_clipboard.cpp). Clipboard texts are converted from and to
  // Windows-1251 here. Copy writes one line per shown row of the selection's
  // bounding range, fields for its shown columns separated by TAB (the text of a
  // selected cell, nothing for another), lines separated by CR LF. Every change of
  // a cell goes through SetCellTextChecked, so the owner can refuse it cell by cell.

  // The selection as text; owned by the caller, null when nothing is selected.
  // The viewer's grid builds the text by its own rules.
  virtual QMimeData* CopySelectionText();
  // Empties every selected cell (Delete), when the grid is editable.
  virtual void ClearSelectedText();
  // Lines (LF; a CR before it is trimmed away) into rows from the cell down, fields
  // (TAB or comma) into columns from it to the right; hidden rows and columns take
  // nothing, whatever falls outside the grid is dropped. Answers true when the text
  // was processed; the pasted cells end up selected, or nothing does.
  virtual bool PasteText(CCellID cell, const QMimeData* pDataObject, bool bSelectPastedCells = true);
  // The clipboard commands; cut and paste only in an editable grid. Paste goes to
  // the top-left selected cell, else the focus cell, else the top-left cell in view.
  virtual void OnEditCut();
  virtual void OnEditCopy();
  virtual void OnEditPaste();
  // Whether the owner's commands are enabled: copy with a selection, cut with a
  // selection in an editable grid, paste on an editable focus cell with text on the
  // clipboard.
  bool CanEditCopy() const;
  bool CanEditCut() const;
  bool CanEditPaste() const;

  // ------------------------------------------------------------------------------
  // Sorting (grid_ctrl_sort.cpp). Rows are exchanged whole (cells and heights) by a
  // quicksort whose order of equal keys is part of the grid's behaviour.

  // Sorts the non-fixed rows by the column; the sort column and order are set and
  // the selection and focus cleared first. False when fewer than two rows take part
  // (or in virtual mode, which has no rows to exchange).
  bool SortItems(PFNLVCOMPARE pfnCompare, int nCol, bool bAscending, LPARAM data = 0);
  // The same with the grid's compare function, or CompareCellText without one.
  bool SortItems(int nCol, bool bAscending, LPARAM data = 0);
  // The rows nLow..nHigh (-1: the last row); false when there is nothing to sort.
  bool SortRowRange(PFNLVCOMPARE pfnCompare, int nCol, bool bAscending, LPARAM data, int nLow, int nHigh);
  // The text order of two cells, byte by byte as unsigned values; 0 when one is missing.
  static int CompareCellText(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);
  void SetCompareFunction(PFNLVCOMPARE pfnCompare) { m_pfnCompare = pfnCompare; }
  PFNLVCOMPARE GetCompareFunction() const { return m_pfnCompare; }

  // ------------------------------------------------------------------------------
  // Drag and drop (grid_ctrl_dragdrop.cpp). A drag carries the selection as copied
  // text; a drop pastes it at the cell under the pointer without selecting it. Ctrl
  // copies, otherwise the drag moves: a move empties the cells it took (those of a
  // drop into the same place keep what was dropped). The grid is its own drop
  // target from its first resize on, and never scrolls during a drag.

  // Starts a drag of the selection (when drag and drop is on) and waits for its end.
  virtual void OnBeginDrag();
  // The effect a drop would have here: Qt::CopyAction with Ctrl, Qt::MoveAction
  // without, Qt::IgnoreAction where nothing can be dropped. Points are viewport
  // coordinates; the cell under the pointer shows the drop highlight.
  virtual Qt::DropAction OnDragEnter(const QMimeData* pDataObject, Qt::KeyboardModifiers keys, CPoint point);
  virtual Qt::DropAction OnDragOver(const QMimeData* pDataObject, Qt::KeyboardModifiers keys, CPoint point);
  // Removes the drop highlight.
  virtual void OnDragLeave();
  // Pastes at the highlighted cell; true when pasted.
  virtual bool OnDrop(const QMimeData* pDataObject, Qt::DropAction dropEffect, CPoint point);
  // A picture of the focus cell for dragging (owned by the caller; null when the
  // cell has no place), the hot spot at its bottom-right corner. The grid's own drag
  // does not use it.
  virtual CImageList* CreateDragImage(CPoint* pHotSpot);

 protected:
  // The platform's drag and drop with the data (taken over): waits for the drop and
  // answers its effect.
  virtual Qt::DropAction DoDragDrop(QMimeData* pData);
  // Qt's drag events over the viewport, passed to the drop handlers. The enter is
  // taken whenever drag and drop is on and text is offered, so that each position
  // can decide for itself.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 public:

  // ------------------------------------------------------------------------------
  // Title tip (grid_ctrl_title_tip.cpp; the tip is CTitleTip, grid/title_tip.h).

  // Shows the whole text over a cell whose text does not fit; it goes again when the
  // pointer leaves the cell, at a press, a key, a scroll step, an edit start and
  // when the window is deactivated.
  void ShowTitleTip(const CRect& rectTitle, const std::string& text, const CRect& rectHover,
                    const LOGFONT* font);
  void HideTitleTip();

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

  // Qt's events of the viewport and the grid, passed to the handlers below
  // (grid_ctrl_input.cpp, grid_ctrl_scroll.cpp). The grid's own resize runs OnSize
  // before Qt lays out the bars and the viewport.
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // A double click is no press: Qt's own handler would make it one.
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // Qt's mouse-made request (on the press) is dropped: the grid makes its own at
  // the end of the right release. Keyboard requests go on to the parent.
  void contextMenuEvent(QContextMenuEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // Nothing is moved: the scroll handlers repaint what changed.
  void scrollContentsBy(int dx, int dy) override;

  // The background fills of OnDraw.
  void EraseBkgnd(CDC* pDC);
  // The mouse handlers; points are viewport coordinates.
  void OnLButtonDown(CPoint point, Qt::KeyboardModifiers modifiers);
  void OnMouseMove(CPoint point, Qt::KeyboardModifiers modifiers);
  void OnLButtonUp(CPoint point, Qt::KeyboardModifiers modifiers);
  void OnLButtonDblClk(CPoint point, Qt::KeyboardModifiers modifiers);
  // Ends editing, moves selection and focus to the cell, then RequestContextMenu. A
  // grid whose right click must leave selection and focus alone replaces it with a
  // call of RequestContextMenu only.
  virtual void OnRButtonUp(CPoint point, Qt::KeyboardModifiers modifiers);
  // Sends the parent widget a mouse-made context-menu event for the point.
  void RequestContextMenu(CPoint point);
  // The cursor over the point, as the mouse mode or the cell under it wants it.
  void OnSetCursor(CPoint point);
  // Wheel delta in eighths of a degree (120 a notch); posts the scroll steps.
  void OnMouseWheel(int zDelta);
  // The auto-scroll step while the left button is held outside the cells.
  void OnTimer(int nIDEvent);
  // Another window took the mouse: auto-scroll and dragging end.
  void OnCaptureChanged();
  void OnSize();
  // Lines per notch in place of the platform's (-1: a page per notch).
  void SetWheelScrollLines(int nLines) { m_nRowsPerWheelNotch = nLines; }

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

  // ---- Drawing and scrolling helpers
  static constexpr int kHorzBarBit = 1, kVertBarBit = 2;
  // The scroll bars' actions and the pointer's moves reach the grid (constructor).
  void InitScrollingAndInput();
  // The scroll handler of one bar (rows and heights, or columns and widths).
  void OnScroll(int nBar, UINT nSBCode);
  QScrollBar* ScrollBarOf(int nBar) const;
  // The room the bars take: the vertical bar's width, the horizontal bar's height.
  QSize BarExtents() const;
  // The viewport as the layout gives it for the shown bars (also while hidden).
  QSize ClientSizeFor(bool bHorzBar, bool bVertBar, QSize barExtents) const;
  void OnScrollAction(int nBar, int action);
  void OnScrollValueChanged();
  void RepaintScrolledBand(int nBar);
  void DrawCellAt(CDC* pDC, int nRow, int nCol, const CRect& rect, bool bErase);
  // A cell's area (already inclusive-to-exclusive), or an empty one when it has none.
  QRect CellUpdateRect(int nRow, int nCol) const;

  // ---- Mouse helpers
  bool IsOverDivider(bool bColumn, CPoint point) const;
  // The hover part of a move: the mode and cursor follow the pointer.
  void TrackPointer(CPoint point);
  // A press on a divider: picks the column or row to size and shows the line; false
  // when it has no place on screen.
  bool StartSizing(bool bColumn, CPoint point);
  // A release after sizing: the new width or height; false when the cell has no origin.
  bool FinishSizing(bool bColumn, CPoint point);
  void ShowSizingLine(CPoint point);
  void HideSizingLine();
  // The pointer kept inside the band a divider may be dragged in.
  CPoint ClampToSizingBand(CPoint point) const;
  void SetGridCursor(Qt::CursorShape shape);
  void KillAutoScrollTimer();
  void PostClicked();

  // ---- Editing, clipboard, drag and drop helpers
  // A text that differs from the old one is put in, then kept when the cell and the
  // owner (EditEnded) accept it, else the old text comes back.
  void ReplaceCellText(int nRow, int nCol, const std::string& oldText, const std::string& str);
  // The selected cells, top row first, left to right.
  std::vector<CCellID> SelectedCells() const;
  // The drop target takes part from the first resize on.
  void RegisterDropTarget();
  void SetDropHighlight(const CCellID& cell, bool bHighlight);

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
  CPoint m_PointerPoint;  // the pointer as last seen, also outside the client area
  QRubberBand* m_pSizingLine = nullptr;  // in place of the inverted divider line
  CRect m_rcSizingBand;  // where the pointer may go while a divider is dragged

  // ---- Focus, scrolling, timers
  CCellID m_idCurrentCell;
  mutable CCellID m_idTopLeftCell;
  int m_nTimerID = 0;
  int m_nTimerInterval = 25;
  int m_nResizeCaptureRange = 3;
  bool m_bAllowColumnResize = true, m_bAllowRowResize = true;
  int m_nRowsPerWheelNotch = 3;  // GetWheelScrollLines(), read once by the constructor
  bool m_bInSize = false;  // re-entry guard of the resize handler, per grid
  bool m_bSettingScroll = false;  // the grid itself is moving a scroll bar

  // ---- Selection
  CCellIdSet m_SelectedCellMap, m_PrevSelectedCellMap;

  // ---- Drag and drop, title tip
  CCellID m_LastDragOverCell;
  std::vector<CCellID> m_DraggedCells;  // what a drag from this grid took, while it runs
  bool m_bDroppedHere = false;  // that drag moved onto this grid (the drop emptied them)
  CTitleTip* m_pTitleTip = nullptr;  // made at the first tip; a child of the grid

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
