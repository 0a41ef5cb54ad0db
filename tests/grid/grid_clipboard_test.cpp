// The clipboard: the bytes a copy gives (hidden rows and columns, holes in the
// selection, Cyrillic), how pasted text falls into cells, the paste target, cut,
// Delete and the enabling of the commands.

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>
#include <memory>

#include "grid/grid_ctrl.h"
#include "platform/cp1251.h"
#include "platform/qt/qt_text.h"
#include "tests/grid/grid_test_support.h"

namespace {

using Codes = std::vector<std::string>;
using zv::test::Key;
using zv::test::OwnedGrid;

QClipboard* Clipboard() { return QGuiApplication::clipboard(); }

// 5 x 5 cells with one fixed row and column, all in view; the data cells hold "x".
struct SmallGrid : OwnedGrid {
  SmallGrid() : OwnedGrid(5, 5, 1, 1, {20}, {50}, QSize(400, 200)) {
    for (int row = 1; row < 5; ++row)
      for (int col = 1; col < 5; ++col) grid->SetItemText(row, col, "x");
  }
  // The data cells row by row, "|" between cells, "/" between rows.
  std::string Cells() const {
    std::string all;
    for (int row = 1; row < 5; ++row) {
      if (row > 1) all += "/";
      for (int col = 1; col < 5; ++col) all += (col > 1 ? "|" : "") + grid->GetItemText(row, col);
    }
    return all;
  }
  // Cells a, b, c, ... row by row in the rectangle (1, 1) to (2, 3).
  void Letters() {
    char letter = 'a';
    for (int row = 1; row <= 2; ++row)
      for (int col = 1; col <= 3; ++col) grid->SetItemText(row, col, std::string(1, letter++));
  }
  // The copy's text as Windows-1251 bytes.
  std::string Copied() {
    std::unique_ptr<QMimeData> data(grid->CopySelectionText());
    if (data == nullptr) return "(none)";
    return zv::QToCp1251(data->text());
  }
};

TEST(GridClipboard, CopyBytes) {
  {
    SmallGrid g;
    g.Letters();
    g->SetColumnWidth(2, 0);  // the middle column hidden
    g->SelectRange(1, 1, 2, 3);
    EXPECT_EQ(g.Copied(), "a\tc\r\nd\tf");
  }
  {
    SmallGrid g;
    g.Letters();
    g->SetColumnWidth(3, 0);  // the last column hidden: each line still ends with its TAB
    g->SelectRange(1, 1, 2, 3);
    EXPECT_EQ(g.Copied(), "a\tb\t\r\nd\te\t");
  }
  {
    SmallGrid g;
    g.Letters();
    g->SetRowHeight(3, 0);  // the last row hidden: the text ends with the line break before it
    g->SelectRange(1, 1, 3, 3);
    EXPECT_EQ(g.Copied(), "a\tb\tc\r\nd\te\tf\r\n");
    g->SetRowHeight(1, 0);
    EXPECT_EQ(g.Copied(), "d\te\tf\r\n");
  }
  {
    // A selection with holes: the unselected cells of its bounding range are empty fields.
    SmallGrid g;
    g.Letters();
    g->SetItemState(1, 1, CellSelected);
    g->SetItemState(2, 3, CellSelected);
    EXPECT_EQ(g.Copied(), "a\t\t\r\n\t\tf");
  }
  {
    SmallGrid g;
    EXPECT_EQ(g.Copied(), "(none)");
  }
}

TEST(GridClipboard, CyrillicTravelsThroughTheClipboardUnchanged) {
  SmallGrid g;
  g->SetItemText(1, 1, zv::W1251("Тепло"));
  g->SetItemText(1, 2, zv::W1251("ёЁ№"));
  g->SelectRange(1, 1, 1, 2);
  g->SetFocusCell(1, 1);
  Key(*g.grid, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(Clipboard()->text(), QString::fromUtf8("Тепло\tёЁ№"));
  g->ClearSelection();
  g->SetFocusCell(3, 1);
  Key(*g.grid, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(g->GetItemText(3, 1), zv::W1251("Тепло"));
  EXPECT_EQ(g->GetItemText(3, 2), zv::W1251("ёЁ№"));
}

TEST(GridClipboard, CopyWithNothingSelectedLeavesTheClipboard) {
  SmallGrid g;
  Clipboard()->setText("kept");
  g->SetFocusCell(1, 1);
  g->OnEditCopy();
  g->OnEditCut();
  EXPECT_EQ(Clipboard()->text(), "kept");
}

TEST(GridClipboard, VirtualModeHintsTheCellsItCopies) {
  OwnedGrid g(0, 0, 0, 0, {}, {});
  g->SetVirtualMode(true);
  g->SetRowCount(5);
  g->SetColumnCount(3);
  g->SelectRange(1, 0, 2, 1);
  g.owner.Clear();
  std::unique_ptr<QMimeData> data(g->CopySelectionText());
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(g.owner.cacheHints, (std::vector<CCellRange>{CCellRange(1, 0, 2, 1), CCellRange(-1, -1, -1, -1)}));
}

TEST(GridClipboard, PastedTextFallsIntoTheCells) {
  struct Case {
    const char* text;
    CCellID start;
    int hiddenRow, hiddenCol;  // 0: none
    CCellID readOnly;
    const char* cells;
  };
  const Case cases[] = {
      {"1,5", {1, 1}, 0, 0, {}, "1|5|x|x/x|x|x|x/x|x|x|x/x|x|x|x"},  // the comma separates fields
      {"a,,b", {1, 1}, 0, 0, {}, "a||b|x/x|x|x|x/x|x|x|x/x|x|x|x"},
      {"a,", {1, 1}, 0, 0, {}, "a|x|x|x/x|x|x|x/x|x|x|x/x|x|x|x"},
      {" a \t b\t", {1, 1}, 0, 0, {}, "a|b|x|x/x|x|x|x/x|x|x|x/x|x|x|x"},  // trimmed
      // An empty CR LF line empties its first cell; an empty LF line leaves its row.
      {"a\r\n\r\nb", {1, 1}, 0, 0, {}, "a|x|x|x/|x|x|x/b|x|x|x/x|x|x|x"},
      {"a\n\nb", {1, 1}, 0, 0, {}, "a|x|x|x/x|x|x|x/b|x|x|x/x|x|x|x"},
      {"a\tb\r\n", {1, 1}, 0, 0, {}, "a|b|x|x/x|x|x|x/x|x|x|x/x|x|x|x"},  // nothing after the last break
      // What falls outside the grid is dropped.
      {"1\t2\t3\n4\t5\t6\n7\t8\t9", {3, 3}, 0, 0, {}, "x|x|x|x/x|x|x|x/x|x|1|2/x|x|4|5"},
      // Hidden rows and columns take nothing.
      {"a\tb\nc\td", {1, 1}, 2, 2, {}, "a|x|b|x/x|x|x|x/c|x|d|x/x|x|x|x"},
      // A read-only cell keeps its text; the rest goes on.
      {"a\tb\tc", {1, 1}, 0, 0, {1, 2}, "a|x|c|x/x|x|x|x/x|x|x|x/x|x|x|x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "paste \"" << c.text << "\"");
    SmallGrid g;
    if (c.hiddenRow > 0) g->SetRowHeight(c.hiddenRow, 0);
    if (c.hiddenCol > 0) g->SetColumnWidth(c.hiddenCol, 0);
    if (c.readOnly.IsValid()) g->SetItemState(c.readOnly.row, c.readOnly.col, CellReadOnly);
    QMimeData data;
    data.setText(QString::fromUtf8(c.text));
    EXPECT_TRUE(g->PasteText(c.start, &data, true));
    EXPECT_EQ(g.Cells(), c.cells);
  }
}

TEST(GridClipboard, PasteRefusals) {
  SmallGrid g;
  QMimeData text;
  text.setText("a");
  QMimeData image;
  image.setImageData(QColor(Qt::red));
  EXPECT_FALSE(g->PasteText(CCellID(1, 1), &image, true));
  EXPECT_FALSE(g->PasteText(CCellID(9, 1), &text, true));
  g->SetItemState(1, 1, CellReadOnly);
  EXPECT_FALSE(g->PasteText(CCellID(1, 1), &text, true));
  g->SetEditable(false);
  EXPECT_FALSE(g->PasteText(CCellID(2, 2), &text, true));
  Clipboard()->setText("b");
  g->SetFocusCell(2, 2);
  Key(*g.grid, Qt::Key_V, Qt::ControlModifier);
  Key(*g.grid, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(g.Cells(), "x|x|x|x/x|x|x|x/x|x|x|x/x|x|x|x");
}

TEST(GridClipboard, WhereAPasteGoes) {
  Clipboard()->setText("p\tq");
  {
    // The top-left cell of the selection, not the focus cell; the pasted cells are
    // selected afterwards.
    SmallGrid g;
    g->SetItemState(3, 2, CellSelected);
    g->SetItemState(2, 3, CellSelected);
    g->SetFocusCell(4, 4);
    g->OnEditPaste();
    EXPECT_EQ(g.Cells(), "x|x|x|x/x|p|q|x/x|x|x|x/x|x|x|x");
    EXPECT_EQ(g->GetSelectionBounds(), CCellRange(2, 2, 2, 3));
    EXPECT_EQ(g->GetSelectedCount(), 2);
  }
  {
    SmallGrid g;
    g->SetFocusCell(3, 3);
    Key(*g.grid, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(g.Cells(), "x|x|x|x/x|x|x|x/x|x|p|q/x|x|x|x");
  }
  {
    // Neither a selection nor a focus cell: the top-left data cell in view.
    zv::test::HiddenLayout g;
    g->OnVScroll(SB_LINEDOWN);
    const CCellID first = g->GetFirstVisibleDataCell();
    ASSERT_EQ(first, CCellID(2, 1));
    g->OnEditPaste();
    EXPECT_EQ(g->GetItemText(2, 1), "p");
    EXPECT_EQ(g->GetItemText(2, 3), "q");  // column 2 is hidden
  }
  {
    // An open editor pastes into its own text.
    Clipboard()->setText("pq");
    SmallGrid g;
    g->SetFocusCell(1, 1);
    g->setFocus();
    Key(*g.grid, Qt::Key_F2);
    CInPlaceEdit* editor = zv::test::OpenEditor(*g);
    ASSERT_NE(editor, nullptr);
    g->OnEditPaste();
    EXPECT_EQ(editor->text(), "xpq");
    EXPECT_EQ(g->GetItemText(1, 2), "x");
  }
}

TEST(GridClipboard, PastingTheSameTextAsksButEndsNothing) {
  SmallGrid g;
  g.owner.Clear();
  QMimeData data;
  data.setText("x\ty");
  g->PasteText(CCellID(1, 1), &data, true);
  EXPECT_EQ(g.owner.Codes(), (Codes{"-105 1,1", "-105 1,2", "-106 1,2"}));
}

TEST(GridClipboard, CutAndDeleteEmptyTheSelectedCells) {
  {
    SmallGrid g;
    g.Letters();
    g->SetItemState(1, 2, CellReadOnly);
    g->SelectRange(1, 1, 1, 3);
    g->SetItemState(1, 2, CellReadOnly | CellSelected);
    g->SetFocusCell(1, 1);
    Key(*g.grid, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Clipboard()->text(), "a\tb\tc");
    EXPECT_EQ(g.Cells(), "|b||x/d|e|f|x/x|x|x|x/x|x|x|x");
    g->SelectRange(2, 1, 2, 2);
    g->SetFocusCell(2, 1);
    Key(*g.grid, Qt::Key_Delete);
    EXPECT_EQ(g.Cells(), "|b||x/||f|x/x|x|x|x/x|x|x|x");
  }
  {
    // Not editable: the cut copies nothing either, and Delete empties nothing.
    SmallGrid g;
    g.Letters();
    g->SetEditable(false);
    Clipboard()->setText("kept");
    g->SelectRange(1, 1, 2, 3);
    g->SetFocusCell(1, 1);
    Key(*g.grid, Qt::Key_X, Qt::ControlModifier);
    Key(*g.grid, Qt::Key_Delete);
    EXPECT_EQ(Clipboard()->text(), "kept");
    EXPECT_EQ(g->GetItemText(1, 1), "a");
    // Copy still works.
    Key(*g.grid, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(Clipboard()->text(), "a\tb\tc\r\nd\te\tf");
  }
}

TEST(GridClipboard, TheOwnerMayChangeTheSelectionWhileCellsAreEmptied) {
  SmallGrid g;
  g.Letters();
  g->SelectRange(1, 1, 2, 3);
  // The owner drops the selection at the first cell it hears of.
  g.owner.answer = [&g](const GridNotify& n) -> LRESULT {
    if (n.hdr.code == GridNotifyCode::EditEnded) g->ClearSelection();
    return 0;
  };
  g->ClearSelectedText();
  EXPECT_EQ(g.Cells(), "|||x/|||x/x|x|x|x/x|x|x|x");
}

TEST(GridClipboard, TheCommandsAreEnabledWhenTheyCanAct) {
  SmallGrid g;
  Clipboard()->setText("t");
  EXPECT_FALSE(g->CanEditCopy());
  EXPECT_FALSE(g->CanEditCut());
  EXPECT_FALSE(g->CanEditPaste());  // no focus cell
  g->SetFocusCell(1, 1);
  EXPECT_TRUE(g->CanEditPaste());
  g->SelectRange(1, 1, 1, 1);
  EXPECT_TRUE(g->CanEditCopy());
  EXPECT_TRUE(g->CanEditCut());
  Clipboard()->clear();
  EXPECT_FALSE(g->CanEditPaste());
  Clipboard()->setText("t");
  g->SetItemState(1, 1, CellReadOnly | CellSelected);
  EXPECT_FALSE(g->CanEditPaste());
  g->SetEditable(false);
  EXPECT_TRUE(g->CanEditCopy());
  EXPECT_FALSE(g->CanEditCut());
}

}  // namespace
