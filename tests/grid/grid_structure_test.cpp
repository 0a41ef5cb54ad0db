// The grid as a structure: the workstation's build sequence, counts, inserting and
// deleting rows, fixed rows, running out of memory, virtual mode and notifications.

#include <QApplication>
#include <gtest/gtest.h>
#include <functional>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "grid/grid_ctrl.h"
#include "tests/grid/grid_test_support.h"

namespace {

using zv::test::CreatedGrid;

// The status table of the workstation: made empty, created, then rows, fixed rows,
// fixed columns and columns in this order; node rows are appended later.
TEST(GridStructure, WorkstationBuildSequence) {
  CreatedGrid made;
  CGridCtrl& g = *made.grid;
  ASSERT_TRUE(g.SetRowCount(1));
  ASSERT_TRUE(g.SetFixedRowCount(1));
  ASSERT_TRUE(g.SetFixedColumnCount(1));
  ASSERT_TRUE(g.SetColumnCount(6));
  g.SetEditable(false);
  const int first = g.InsertRow("ROW");
  const int second = g.InsertRow("");

  const CGridDefaultCell* normal = g.GetDefaultCell(false, false);
  const CGridDefaultCell* fixedCol = g.GetDefaultCell(false, true);
  const CGridDefaultCell* fixedRow = g.GetDefaultCell(true, false);
  struct Fact {
    const char* what;
    std::function<long()> actual;
    long expected;
  };
  const Fact facts[] = {
      {"rows", [&] { return g.GetRowCount(); }, 3},
      {"fixed rows", [&] { return g.GetFixedRowCount(); }, 1},
      {"columns", [&] { return g.GetColumnCount(); }, 6},
      {"fixed columns", [&] { return g.GetFixedColumnCount(); }, 1},
      {"heading height", [&] { return g.GetRowHeight(0); }, normal->GetHeight()},
      {"column 0 width", [&] { return g.GetColumnWidth(0); }, fixedCol->GetWidth()},
      {"column 5 width", [&] { return g.GetColumnWidth(5); }, fixedCol->GetWidth()},
      {"corner state", [&] { return g.GetItemState(0, 0); }, CellFixedRowBits | CellFixedColBits},
      {"heading state", [&] { return g.GetItemState(0, 3); }, CellFixedRowBits},
      {"first node row", [&] { return first; }, 1},
      {"node row column 0 state", [&] { return g.GetItemState(1, 0) & ~CellModified; }, CellFixedColBits},
      {"node row column 1 state", [&] { return g.GetItemState(1, 1); }, 0},
      {"row with heading", [&] { return g.GetRowHeight(1); }, g.GetTextExtent(1, 0, "ROW").cy},
      {"row without heading", [&] { return g.GetRowHeight(second); }, fixedRow->GetHeight()},
      {"heading text", [&] { return g.GetItemText(1, 0) == "ROW"; }, 1},
      {"editable", [&] { return g.IsEditable(); }, 0},
      {"modified", [&] { return g.GetModified(); }, 1},
  };
  for (const Fact& f : facts) EXPECT_EQ(f.actual(), f.expected) << f.what;
}

TEST(GridStructure, ConstructorBuildsCellsAndCreateSetsSizes) {
  QWidget parent;
  auto* g = new CGridCtrl(4, 3, 1, 1);
  g->setParent(&parent);
  EXPECT_EQ(g->GetRowCount(), 4);
  EXPECT_EQ(g->GetColumnCount(), 3);
  EXPECT_NE(g->GetCell(3, 2), nullptr);
  EXPECT_EQ(g->GetCell(4, 0), nullptr);
  EXPECT_FALSE(g->IsWindowCreated());
  EXPECT_FALSE(CGridCtrl().Create(CRect(0, 0, 10, 10), nullptr, 100));  // a child needs a parent
  ASSERT_TRUE(g->Create(CRect(0, 0, 200, 100), &parent, 100));
  EXPECT_FALSE(g->Create(CRect(0, 0, 200, 100), &parent, 100));
  EXPECT_EQ(g->GetDlgCtrlID(), 100u);
  // Before the grid is shown its client area is the one the layout will give it.
  const CRect hidden = g->GetClientRect();
  parent.show();
  EXPECT_EQ(hidden, CRect::FromQRect(g->viewport()->rect()));
  for (int row = 0; row < 4; ++row) EXPECT_EQ(g->GetRowHeight(row), g->GetDefaultCell(false, false)->GetHeight());
  for (int col = 0; col < 3; ++col) EXPECT_EQ(g->GetColumnWidth(col), g->GetDefaultCell(false, false)->GetWidth());
}

TEST(GridStructure, DefaultCellColoursAndKinds) {
  zv::test::DistinctPalette palette;
  CGridCtrl g;
  EXPECT_EQ(g.GetDefaultCell(false, false)->GetTextColour(), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(g.GetDefaultCell(false, false)->GetBackColour(), GetSysColor(COLOR_WINDOW));
  for (auto [r, c] : {std::pair{true, false}, {false, true}, {true, true}}) {
    EXPECT_EQ(g.GetDefaultCell(r, c)->GetBackColour(), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(g.GetDefaultCell(r, c)->GetGrid(), &g);
  }
  EXPECT_NE(g.GetDefaultCell(true, true), g.GetDefaultCell(true, false));
  EXPECT_NE(g.GetDefaultCell(false, true), g.GetDefaultCell(true, false));
  EXPECT_EQ(g.GetGridBackColour(), GetSysColor(COLOR_BTNSHADOW));
}

TEST(GridStructure, PaletteChangeMovesColoursThatFollowedTheSystem) {
  zv::test::DistinctPalette palette;
  CGridCtrl g;
  g.GetDefaultCell(true, false)->SetTextColour(RGB(1, 1, 1));  // a colour of its own stays
  QPalette p = QGuiApplication::palette();
  p.setColor(QPalette::All, QPalette::Base, QColor(0, 0, 90));
  p.setColor(QPalette::All, QPalette::Text, QColor(0, 90, 0));
  p.setColor(QPalette::All, QPalette::Dark, QColor(90, 0, 0));
  QApplication::setPalette(p);
  QCoreApplication::processEvents();
  EXPECT_EQ(g.GetDefaultCell(false, false)->GetBackColour(), RGB(0, 0, 90));
  EXPECT_EQ(g.GetDefaultCell(false, false)->GetTextColour(), RGB(0, 90, 0));
  EXPECT_EQ(g.GetDefaultCell(false, true)->GetTextColour(), RGB(0, 90, 0));
  EXPECT_EQ(g.GetDefaultCell(true, false)->GetTextColour(), RGB(1, 1, 1));
  EXPECT_EQ(g.GetGridBackColour(), RGB(90, 0, 0));
}

TEST(GridStructure, InsertRowPlaces) {
  struct Case {
    int rows, fixedRows, at, expected;
  };
  const Case cases[] = {
      {3, 1, 0, -1},   // never among the fixed rows
      {3, 1, 3, -1},   // the end is reached with -1
      {3, 1, -1, 3},   // appends
      {3, 1, 1, 1},    // before the first data row
      {3, 1, 2, 2},
      {0, 0, -1, 0},
      {0, 0, 0, -1},
  };
  for (const Case& c : cases) {
    CGridCtrl g(c.rows, 2, c.fixedRows, 0);
    EXPECT_EQ(g.InsertRow("h", c.at), c.expected) << c.rows << " " << c.at;
    EXPECT_EQ(g.GetRowCount(), c.rows + (c.expected >= 0 ? 1 : 0));
    if (c.expected >= 0) {
      EXPECT_EQ(g.GetItemText(c.expected, 0), "h");
    }
  }
}

TEST(GridStructure, InsertRowWithoutColumnsMakesOne) {
  CGridCtrl g;
  EXPECT_EQ(g.InsertRow("first"), 0);
  EXPECT_EQ(g.GetColumnCount(), 1);
  EXPECT_EQ(g.GetItemText(0, 0), "first");
}

TEST(GridStructure, InsertRowMovesRowsBelowDown) {
  CGridCtrl g(4, 2, 1, 0);
  for (int row = 0; row < 4; ++row) g.SetItemText(row, 1, std::to_string(row));
  ASSERT_EQ(g.InsertRow("new", 2), 2);
  const char* expected[] = {"0", "1", "", "2", "3"};
  for (int row = 0; row < 5; ++row) EXPECT_EQ(g.GetItemText(row, 1), expected[row]);
}

// The focus cell travels with its row.
TEST(GridStructure, InsertRowKeepsTheFocusOnItsCell) {
  struct Case {
    int at, focusAfter;
  };
  const Case cases[] = {{2, 4}, {3, 4}, {4, 3}, {-1, 3}};
  for (const Case& c : cases) {
    CGridCtrl g(6, 3, 1, 1);
    g.SetFocusCell(3, 1);
    g.SetItemText(3, 1, "focus");
    g.InsertRow("", c.at);
    EXPECT_EQ(g.GetFocusCell(), CCellID(c.focusAfter, 1)) << c.at;
    EXPECT_EQ(g.GetItemText(c.focusAfter, 1), "focus");
    EXPECT_TRUE(g.GetCell(c.focusAfter, 1)->IsFocused());
  }
}

TEST(GridStructure, DeleteRowAndTheFocus) {
  struct Case {
    int row;
    bool result;
    CCellID focus;
    int fixedRows;
  };
  const Case cases[] = {
      {3, true, CCellID(), 1},      // the focus row goes with the focus
      {2, true, CCellID(2, 1), 1},  // a row above moves it up
      {4, true, CCellID(3, 1), 1},  // a row below leaves it
      {0, true, CCellID(2, 1), 0},  // a fixed row lowers the fixed count
      {6, false, CCellID(3, 1), 1},
      {-1, false, CCellID(3, 1), 1},
  };
  for (const Case& c : cases) {
    CGridCtrl g(6, 3, 1, 1);
    g.SetFocusCell(3, 1);
    EXPECT_EQ(g.DeleteRow(c.row), c.result) << c.row;
    EXPECT_EQ(g.GetFocusCell(), c.focus) << c.row;
    EXPECT_EQ(g.GetFixedRowCount(), c.fixedRows) << c.row;
    EXPECT_EQ(g.GetRowCount(), c.result ? 5 : 6);
  }
}

TEST(GridStructure, RowOperationsClearTheSelection) {
  CGridCtrl g(6, 3, 1, 1);
  const std::function<void(CGridCtrl&)> operations[] = {
      [](CGridCtrl& grid) { grid.InsertRow("x"); },
      [](CGridCtrl& grid) { grid.DeleteRow(5); },
      [](CGridCtrl& grid) { grid.DeleteDataRows(); },
      [](CGridCtrl& grid) { grid.SetFixedRowCount(2); },
      [](CGridCtrl& grid) { grid.DeleteAllItems(); },
  };
  for (const auto& operation : operations) {
    CGridCtrl grid(6, 3, 1, 1);
    grid.SelectAllCells();
    ASSERT_EQ(grid.GetSelectedCount(), 10);
    operation(grid);
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    for (int row = 0; row < grid.GetRowCount(); ++row)
      for (int col = 0; col < grid.GetColumnCount(); ++col) EXPECT_FALSE(grid.GetCell(row, col)->IsSelected());
  }
}

TEST(GridStructure, SetFixedRowCountTable) {
  struct Case {
    int from, to;
    UINT corner, heading, formerHeadingColumn0, formerHeading;
  };
  const Case cases[] = {
      // Back to no fixed row: column 0 cells stay fixed-column cells.
      {1, 0, CellFixedColBits, 0, CellFixedColBits, 0},
      // Two fixed rows: row 1 becomes headings.
      {1, 2, CellFixedRowBits | CellFixedColBits, CellFixedRowBits, CellFixedRowBits | CellFixedColBits,
       CellFixedRowBits},
  };
  for (const Case& c : cases) {
    CGridCtrl g(3, 3, c.from, 1);
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 3; ++col) {
        g.SetItemBackColour(row, col, RGB(9, 9, 9));
        g.SetItemTextColour(row, col, RGB(8, 8, 8));
      }
    g.SetModified(false);
    ASSERT_TRUE(g.SetFixedRowCount(c.to));
    EXPECT_EQ(g.GetFixedRowCount(), c.to);
    EXPECT_EQ(g.GetItemState(0, 0), c.corner);
    EXPECT_EQ(g.GetItemState(0, 1), c.heading);
    EXPECT_EQ(g.GetItemState(1, 0), c.formerHeadingColumn0);
    EXPECT_EQ(g.GetItemState(1, 1), c.formerHeading);
    // Cells that changed kind outside the fixed columns drop their colours.
    const int changedRow = std::min(c.from, c.to);
    EXPECT_EQ(g.GetCell(changedRow, 1)->GetBackColour(), CLR_DEFAULT);
    EXPECT_EQ(g.GetCell(changedRow, 1)->GetTextColour(), CLR_DEFAULT);
    EXPECT_EQ(g.GetCell(2, 1)->GetBackColour(), RGB(9, 9, 9));
  }
}

TEST(GridStructure, FixedCountsGrowTheTableAndFollowItDown) {
  CGridCtrl g;
  ASSERT_TRUE(g.SetFixedRowCount(2));
  ASSERT_TRUE(g.SetFixedColumnCount(3));
  EXPECT_EQ(g.GetRowCount(), 2);
  EXPECT_EQ(g.GetColumnCount(), 3);
  EXPECT_EQ(g.GetItemState(1, 2), CellFixedRowBits | CellFixedColBits);
  ASSERT_TRUE(g.SetRowCount(1));
  EXPECT_EQ(g.GetFixedRowCount(), 1);
  ASSERT_TRUE(g.SetColumnCount(0));
  EXPECT_EQ(g.GetFixedColumnCount(), 0);
  EXPECT_FALSE(g.SetRowCount(-1));
  EXPECT_EQ(g.GetRowCount(), 1);
}

TEST(GridStructure, ShrinkingDropsTheFocusOutside) {
  CGridCtrl g(5, 5, 1, 1);
  g.SetFocusCell(4, 4);
  g.SetRowCount(4);
  EXPECT_EQ(g.GetFocusCell(), CCellID());
  g.SetFocusCell(2, 3);
  g.SetColumnCount(4);
  EXPECT_EQ(g.GetFocusCell(), CCellID(2, 3));
  g.SetColumnCount(3);
  EXPECT_EQ(g.GetFocusCell(), CCellID());
}

TEST(GridStructure, DeleteDataRowsAndDeleteAllItems) {
  CGridCtrl g(5, 3, 2, 1);
  ASSERT_TRUE(g.DeleteDataRows());
  EXPECT_EQ(g.GetRowCount(), 2);
  EXPECT_EQ(g.GetFixedRowCount(), 2);
  ASSERT_TRUE(g.DeleteAllItems());
  EXPECT_EQ(g.GetRowCount(), 0);
  EXPECT_EQ(g.GetColumnCount(), 0);
  EXPECT_EQ(g.GetFixedColumnCount(), 0);
  EXPECT_EQ(g.GetRowHeight(0), -1);
  EXPECT_EQ(g.GetColumnWidth(0), -1);
}

// A cell factory that runs out of memory after a number of cells.
class ScarceGrid : public CGridCtrl {
 public:
  int left = 0;

 protected:
  CGridCellBase* CreateCell(int nRow, int nCol) override {
    if (left-- <= 0) throw std::bad_alloc();
    return CGridCtrl::CreateCell(nRow, nCol);
  }
};

TEST(GridStructure, OutOfMemoryKeepsWhatWasBuilt) {
  ScarceGrid g;
  g.SetColumnCount(0);
  g.left = 100;
  ASSERT_TRUE(g.SetColumnCount(2));
  g.left = 7;
  EXPECT_FALSE(g.SetRowCount(10));
  EXPECT_EQ(g.GetRowCount(), 3);  // three whole rows; the fourth was given back
  EXPECT_EQ(g.GetRowHeight(2), g.GetDefaultCell(false, false)->GetHeight());
  EXPECT_EQ(g.GetRowHeight(3), -1);
  EXPECT_NE(g.GetCell(2, 1), nullptr);
  g.left = 0;
  EXPECT_EQ(g.InsertRow("x"), -1);
  g.left = 1;
  EXPECT_FALSE(g.SetColumnCount(3));
  EXPECT_EQ(g.GetColumnCount(), 3);
  EXPECT_NE(g.GetCell(0, 2), nullptr);
  EXPECT_EQ(g.GetCell(1, 2), nullptr);
  EXPECT_EQ(g.GetItemText(1, 2), "");
  g.left = 1000;
  g.DeleteAllItems();
}

TEST(GridStructure, CellClassCanBeChangedOrRemoved) {
  struct MarkedCell : CGridCell {};
  CGridCtrl g;
  g.SetCellType<MarkedCell>();
  g.SetRowCount(1);
  g.SetColumnCount(1);
  EXPECT_NE(dynamic_cast<MarkedCell*>(g.GetCell(0, 0)), nullptr);
  g.SetCellClass(nullptr);
  g.SetColumnCount(2);
  EXPECT_EQ(g.GetCell(0, 1), nullptr);
}

// An owner that records what reaches it and answers as told.
class RecordingOwner : public QWidget, public CGridOwner {
 public:
  LRESULT OnGridNotify(const GridNotify& n) override {
    codes.push_back(n.hdr.code);
    lastFrom = n.hdr.hwndFrom;
    lastId = n.hdr.idFrom;
    lastCell = CCellID(n.iRow, n.iColumn);
    return answer;
  }
  LRESULT OnGridDisplayRequest(GridDispInfo& info) override {
    ++requests;
    info.item.strText = "owner " + std::to_string(info.item.row) + "," + std::to_string(info.item.col);
    info.item.crBkClr = RGB(5, 5, 5);
    return 0;
  }
  LRESULT OnGridCacheHint(const GridCacheHint& hint) override {
    hints.push_back(hint.range);
    return 0;
  }
  std::vector<int> codes;
  QWidget* lastFrom = nullptr;
  UINT lastId = 0;
  CCellID lastCell;
  LRESULT answer = 0;
  int requests = 0;
  std::vector<CCellRange> hints;
};

TEST(GridNotifications, TheParentOwnerAnswers) {
  RecordingOwner view;
  auto* g = new CGridCtrl(3, 3, 1, 1);
  EXPECT_EQ(g->NotifyOwner(1, 1, GridNotifyCode::EditStarting), 0);  // no window yet
  ASSERT_TRUE(g->Create(CRect(0, 0, 100, 100), &view, 100));
  std::vector<std::tuple<int, int, int>> mirrored;
  QObject::connect(g, &CGridCtrl::notified,
                   [&mirrored](int code, int row, int col) { mirrored.emplace_back(code, row, col); });
  view.answer = -1;
  EXPECT_EQ(g->NotifyOwner(1, 2, GridNotifyCode::EditStarting), -1);
  EXPECT_EQ(view.codes, std::vector<int>{GridNotifyCode::EditStarting});
  EXPECT_EQ(view.lastFrom, g);
  EXPECT_EQ(view.lastId, 100u);
  EXPECT_EQ(view.lastCell, CCellID(1, 2));
  ASSERT_EQ(mirrored.size(), 1u);
  EXPECT_EQ(mirrored[0], std::make_tuple(GridNotifyCode::EditStarting, 1, 2));
}

TEST(GridNotifications, AnOwnerSetExplicitlyWinsAndNoOwnerAnswersZero) {
  CreatedGrid made(2, 2);
  EXPECT_EQ(made.grid->NotifyOwner(0, 0, NM_CLICK), 0);
  RecordingOwner owner;
  owner.answer = 7;
  made.grid->SetOwner(&owner);
  EXPECT_EQ(made.grid->NotifyOwner(0, 0, NM_CLICK), 7);
  EXPECT_EQ(made.grid->GetOwner(), &owner);
}

LRESULT gCallbackValue = 0;
bool FetchCell(GridDispInfo* info, LPARAM lParam) {
  gCallbackValue = lParam;
  info->item.strText = "cb " + std::to_string(info->item.row) + "," + std::to_string(info->item.col);
  info->item.nFormat = DT_RIGHT;
  return true;
}

TEST(GridVirtualMode, CellsComeFromTheFetchFunction) {
  CreatedGrid made;
  CGridCtrl& g = *made.grid;
  g.SetVirtualMode(true);
  g.SetCallbackFunc(FetchCell, 77);
  ASSERT_TRUE(g.SetRowCount(5));
  ASSERT_TRUE(g.SetColumnCount(3));
  ASSERT_TRUE(g.SetFixedRowCount(1));
  CGridCellBase* first = g.GetCell(1, 2);
  CGridCellBase* second = g.GetCell(2, 1);
  EXPECT_EQ(first, second);  // one shared display cell
  EXPECT_EQ(second->GetText(), "cb 2,1");
  EXPECT_EQ(second->GetFormat(), static_cast<UINT>(DT_RIGHT));
  EXPECT_EQ(gCallbackValue, 77);
  EXPECT_EQ(g.GetCell(0, 0)->GetState(), CellFixedRowBits);
  EXPECT_EQ(g.GetCell(5, 0), nullptr);
  EXPECT_EQ(g.GetItemText(3, 1), "cb 3,1");
  // Setters refuse: nothing is stored.
  EXPECT_FALSE(g.SetItemText(1, 1, "x"));
  EXPECT_FALSE(g.SetItemData(1, 1, 1));
  EXPECT_FALSE(g.SetItemBackColour(1, 1, 0));
  GridItem item;
  item.row = item.col = 1;
  item.mask = ItemText;
  EXPECT_FALSE(g.SetItem(&item));
  EXPECT_FALSE(g.SetCell(1, 1, nullptr));
  // The selection lives in the set only; the display cell shows it, and the focus.
  g.SelectRange(1, 1, 2, 2);
  EXPECT_TRUE(g.IsCellSelected(2, 2));
  EXPECT_EQ(g.GetSelectedCount(), 4);
  EXPECT_EQ(g.GetCell(2, 2)->GetState() & CellSelected, static_cast<UINT>(CellSelected));
  g.SetFocusCell(2, 1);
  EXPECT_EQ(g.GetCell(2, 1)->GetState() & CellFocused, static_cast<UINT>(CellFocused));
  EXPECT_EQ(g.GetCell(2, 2)->GetState() & CellFocused, 0u);
}

TEST(GridVirtualMode, WithoutAFetchFunctionTheOwnerIsAsked) {
  RecordingOwner view;
  auto* g = new CGridCtrl;
  ASSERT_TRUE(g->Create(CRect(0, 0, 100, 100), &view, 100));
  g->SetVirtualMode(true);
  g->SetRowCount(4);
  g->SetColumnCount(2);
  EXPECT_EQ(g->GetItemText(3, 1), "owner 3,1");
  EXPECT_EQ(g->GetCell(1, 1)->GetBackColour(), RGB(5, 5, 5));
  EXPECT_EQ(view.requests, 2);
  // Sizing reads a column between two cache hints.
  view.hints.clear();
  ASSERT_TRUE(g->AutoSizeColumn(1, GVS_BOTH));
  ASSERT_EQ(view.hints.size(), 2u);
  EXPECT_EQ(view.hints[0], CCellRange(0, 1, 3, 1));
  EXPECT_EQ(view.hints[1], CCellRange(-1, -1, -1, -1));
  EXPECT_GT(g->GetColumnWidth(1), g->GetTextExtent(3, 1, "owner 3,").cx);
}

TEST(GridVirtualMode, SwitchingTheModeStartsEmpty) {
  CGridCtrl g(3, 3, 1, 1);
  g.SetVirtualMode(true);
  EXPECT_EQ(g.GetRowCount(), 0);
  EXPECT_TRUE(g.GetVirtualMode());
  g.SetRowCount(2);
  g.SetColumnCount(2);
  g.SetVirtualMode(false);
  EXPECT_EQ(g.GetRowCount(), 0);
  g.SetRowCount(1);
  g.SetColumnCount(1);
  EXPECT_TRUE(g.SetItemText(0, 0, "stored"));
  EXPECT_EQ(g.GetItemText(0, 0), "stored");
}

}  // namespace
