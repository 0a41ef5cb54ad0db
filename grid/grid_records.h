#pragma once
// The value records of the grid's interface: cell state bits, the item record and its
// mask, the notification records and codes, and the mouse modes.

#include <string>

#include "grid/cell_id.h"
#include "grid/gdi_font.h"
#include "grid/gdi_types.h"

class QWidget;

// Cell state bits.
enum GridCellState : UINT {
  CellFocused = 0x01,
  CellSelected = 0x02,
  CellDropHighlighted = 0x04,
  CellReadOnly = 0x08,
  CellFixed = 0x10,
  CellFixedRow = 0x20,
  CellFixedCol = 0x40,
  CellModified = 0x80,
};
// A cell of a fixed row carries both bits, a cell of a fixed column both of its bits.
inline constexpr UINT CellFixedRowBits = CellFixed | CellFixedRow;  // 0x30
inline constexpr UINT CellFixedColBits = CellFixed | CellFixedCol;  // 0x50

// Which fields of a GridItem are meant.
enum GridItemMask : UINT {
  ItemText = 0x001,
  ItemImage = 0x002,
  ItemData = 0x004,
  ItemState = 0x008,
  ItemBackClr = 0x010,
  ItemTextClr = 0x020,
  ItemFormat = 0x040,
  ItemFont = 0x080,
  ItemMargin = 0x100,
};
inline constexpr UINT ItemAll = 0xFFFFFFFFu;

// The attribute record of the grid's item operations.
struct GridItem {
  int row = 0;
  int col = 0;
  UINT mask = 0;
  UINT nState = 0;
  UINT nFormat = 0;
  int iImage = -1;
  COLORREF crBkClr = CLR_DEFAULT;
  COLORREF crFgClr = CLR_DEFAULT;
  LPARAM lParam = 0;
  LOGFONT lfFont;
  UINT nMargin = 0;
  std::string strText;  // Windows-1251
};

// Header of every notification: the sending window, its control id and the code.
struct NMHDR {
  QWidget* hwndFrom = nullptr;
  UINT idFrom = 0;
  int code = 0;
};

// The grid's own notifications (selection, editing, clicks).
struct GridNotify {
  NMHDR hdr;
  int iRow = -1;
  int iColumn = -1;
};

// End of an in-place edit, and display requests in virtual mode.
struct GridDispInfo {
  NMHDR hdr;
  GridItem item;
};

// Virtual mode: the cells about to be read.
struct GridCacheHint {
  NMHDR hdr;
  CCellRange range;
};

// Notification codes.
namespace GridNotifyCode {
inline constexpr int SelectionChanging = -100;
inline constexpr int SelectionChanged = -101;
inline constexpr int EditStarting = -105;
inline constexpr int EditEnded = -106;
inline constexpr int DragStarting = -109;
inline constexpr int CacheHint = -113;
inline constexpr int DisplayRequest = -150;
}  // namespace GridNotifyCode
inline constexpr int NM_CLICK = -2;
inline constexpr int NM_DBLCLK = -3;
inline constexpr int NM_RCLICK = -5;

// What a pressed or moving mouse is doing (5 is not used).
enum GridMouseMode : int {
  MouseNone = 0,
  MouseSelectAll = 1,
  MouseSelectColumns = 2,
  MouseSelectRows = 3,
  MouseSelectCells = 4,
  MouseOverRowDivider = 6,
  MouseSizingRow = 7,
  MouseOverColumnDivider = 8,
  MouseSizingColumn = 9,
  MousePrepareEdit = 10,
  MousePrepareDrag = 11,
  MouseDragging = 12,
};

// Grid lines.
inline constexpr int GVL_NONE = 0;
inline constexpr int GVL_HORZ = 1;
inline constexpr int GVL_VERT = 2;
inline constexpr int GVL_BOTH = 3;

// Auto-size style bits.
inline constexpr int GVS_HEADER = 1;  // fixed (heading) rows
inline constexpr int GVS_DATA = 2;    // non-fixed rows
inline constexpr int GVS_BOTH = 3;
