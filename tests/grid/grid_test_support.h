#pragma once
// Shared pieces of the grid tests: a palette whose system colours all differ, images
// to draw into, and a created grid inside a parent widget.

#include <QImage>
#include <QPalette>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "grid/gdi_dc.h"
#include "grid/grid_ctrl.h"
#include "grid/in_place_edit.h"

// Readable values in test messages.
inline void PrintTo(const CRect& r, std::ostream* os) {
  *os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}
inline void PrintTo(const CPoint& p, std::ostream* os) { *os << "(" << p.x << "," << p.y << ")"; }
inline void PrintTo(const CCellID& c, std::ostream* os) { *os << "cell(" << c.row << "," << c.col << ")"; }
inline void PrintTo(const CCellRange& r, std::ostream* os) {
  *os << "range(" << r.GetMinRow() << "," << r.GetMinCol() << "," << r.GetMaxRow() << "," << r.GetMaxCol() << ")";
}

namespace zv::test {

// Gives every palette role the grid reads its own colour for the test's duration.
class DistinctPalette {
 public:
  DistinctPalette();
  ~DistinctPalette();

 private:
  QPalette saved_;
};

// An image filled with a colour no palette role uses, with a painter and a DC on it.
class Canvas {
 public:
  static constexpr COLORREF kMarker = RGB(1, 2, 3);
  Canvas(int width, int height);
  // Only until the pixels are read.
  CDC* dc();
  // Ends painting; the pixels are final after this.
  const QImage& Image();
  COLORREF Pixel(int x, int y);
  // Number of pixels of the colour inside the rectangle (right and bottom excluded).
  int Count(COLORREF colour, const CRect& area);
  // The topmost and bottommost rows holding the colour, and their pixel counts.
  struct Rows {
    int top = -1, bottom = -1, topCount = 0, bottomCount = 0;
  };
  Rows RowsOf(COLORREF colour);
  // Bounding box of every pixel that is not the marker.
  CRect Ink();

 private:
  QImage image_;
  std::unique_ptr<QPainter> painter_;
  std::unique_ptr<CDC> dc_;
};

// A grid created as the child of a view-like parent, as the programs make it.
struct CreatedGrid {
  explicit CreatedGrid(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0);
  QWidget parent;
  CGridCtrl* grid;  // owned by the parent
};

// What the grid told its owner, in order: notifications, the posted click, and the
// context-menu requests that reach the owner (the grid's parent) as events. Each
// entry keeps the focus cell and the selected count as they were at that moment.
class RecordingOwner : public QWidget, public CGridOwner {
 public:
  static constexpr int kClicked = 1;      // the posted click notification
  static constexpr int kContextMenu = 2;  // a context-menu event (mouse-made)
  static constexpr int kKeyboardMenu = 3;  // a context-menu event from the keyboard
  struct Entry {
    int code;
    int row, col;
    CCellID focus;
    int selected;
    bool operator==(const Entry&) const = default;
  };
  CGridCtrl* grid = nullptr;
  std::vector<Entry> log;
  std::vector<CCellRange> cacheHints;
  // The owner's answer to a notification (0 without one); below 0 refuses an edit.
  std::function<LRESULT(const GridNotify&)> answer;

  LRESULT OnGridNotify(const GridNotify& notify) override;
  LRESULT OnGridCacheHint(const GridCacheHint& hint) override;
  void OnGridClicked(UINT controlId) override;
  // The codes alone, with their rows and columns: "-100 2,1" and so on.
  std::vector<std::string> Codes() const;
  void Clear() {
    log.clear();
    cacheHints.clear();
  }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void Add(int code, int row, int col);
};

// A grid in a shown owner whose client area, without scroll bars, has exactly the
// given size; every row and column gets its size from the lists (the last entry
// repeats; an empty list keeps the default sizes). Scroll bars take BarWidth() /
// BarHeight() from it when shown.
struct OwnedGrid {
  OwnedGrid(int rows, int cols, int fixedRows, int fixedCols, const std::vector<int>& heights,
            const std::vector<int>& widths, QSize client = QSize(200, 100));
  // The same for a grid made by the test (a class of its own), not created yet.
  OwnedGrid(CGridCtrl* made, const std::vector<int>& heights, const std::vector<int>& widths,
            QSize client = QSize(200, 100));
  ~OwnedGrid();
  CGridCtrl& operator*() { return *grid; }
  CGridCtrl* operator->() { return grid; }
  int BarWidth() const;
  int BarHeight() const;

  RecordingOwner owner;
  CGridCtrl* grid;  // owned by the owner widget
};

// The layout most tests use: 10 rows (row 0 fixed, 25 high; the others 20, row 3
// hidden) by 6 columns (column 0 fixed, 40 wide; the others 50, column 2 hidden) in
// a 200 x 100 client area. The cells need both bars; with the bars of 14 pixels the
// client area is 186 x 86, the vertical bar runs to 99 (maximum 159, page 61) and
// the horizontal one to 54 (maximum 199, page 146).
struct HiddenLayout : OwnedGrid {
  explicit HiddenLayout(CGridCtrl* made = new CGridCtrl(10, 6, 1, 1));
};

// The usual layout ready for editing: texts "tRC" in the data cells (row and
// column digits), no cell modified, the focus on cell (2, 1) and the keyboard focus
// in the grid.
struct EditLayout : HiddenLayout {
  explicit EditLayout(CGridCtrl* made = new CGridCtrl(10, 6, 1, 1));
  // The cell whose editor is open, (-1, -1) when none is.
  CCellID Editing() const;
};

// The grid's open in-place editor (a closed one waits hidden for its deletion);
// null when none is open.
CInPlaceEdit* OpenEditor(const CGridCtrl& grid);

// A grid that records the calls its mouse and keyboard make into the editing,
// clipboard and drag code.
class RecordingGrid : public CGridCtrl {
 public:
  RecordingGrid() : CGridCtrl(10, 6, 1, 1) {}
  struct Edit {
    int row, col;
    CPoint point;
    UINT nChar;
    bool operator==(const Edit&) const = default;
  };
  std::vector<Edit> edits;
  std::vector<UINT> chars;
  int drags = 0, copies = 0, cuts = 0, pastes = 0, clears = 0;

  void BeginCellEdit(int nRow, int nCol, CPoint point, UINT nChar) override {
    edits.push_back({nRow, nCol, point, nChar});
  }
  void OnChar(UINT nChar, Qt::KeyboardModifiers) override { chars.push_back(nChar); }
  void OnBeginDrag() override { ++drags; }
  void OnEditCopy() override { ++copies; }
  void OnEditCut() override { ++cuts; }
  void OnEditPaste() override { ++pastes; }
  void ClearSelectedText() override { ++clears; }
};

// Events as the platform delivers them, sent to the grid's viewport (mouse) or to
// the grid (keys). Points are viewport coordinates.
void Press(CGridCtrl& grid, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           Qt::MouseButton button = Qt::LeftButton);
void Release(CGridCtrl& grid, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             Qt::MouseButton button = Qt::LeftButton);
// A move with the buttons held (none: hover).
void Move(CGridCtrl& grid, QPoint at, Qt::MouseButtons held = Qt::NoButton);
void Click(CGridCtrl& grid, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           Qt::MouseButton button = Qt::LeftButton);
// Press, release, double click, release, as Qt sends a double click.
void DoubleClick(CGridCtrl& grid, QPoint at);
void Wheel(CGridCtrl& grid, QPoint at, int delta);
// A key press (and its release); answers whether the grid accepted the press.
bool Key(QWidget& target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {});
// The centre of a cell on screen.
QPoint CellCentre(const CGridCtrl& grid, int row, int col);
// Runs the event loop until the condition holds or the time is up (generous bounds
// only: this never measures speed).
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000);
// Delivers what is posted (queued calls, paint requests) without waiting.
void ProcessPosted();

}  // namespace zv::test
