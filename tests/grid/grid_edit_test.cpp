// Cell editing on the grid's side: what starts an edit, what becomes of the text,
// the owner's refusals, and the edit that goes on in the next cell.

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>
#include <gtest/gtest.h>

#include "grid/grid_ctrl.h"
#include "grid/in_place_edit.h"
#include "platform/cp1251.h"
#include "tests/grid/grid_test_support.h"

namespace {

using Codes = std::vector<std::string>;
using zv::test::CellCentre;
using zv::test::Click;
using zv::test::EditLayout;
using zv::test::Key;
using zv::test::OpenEditor;
using zv::test::ProcessPosted;

TEST(GridEdit, WhatStartsAnEditAndWhatDoesNot) {
  {
    EditLayout g;
    Key(*g.grid, Qt::Key_7, Qt::NoModifier, "7");
    ASSERT_EQ(g.Editing(), CCellID(2, 1));
    EXPECT_EQ(OpenEditor(*g)->text(), "7");
  }
  {
    // F2 and a click on the focus cell's text keep the text, the caret at its end.
    EditLayout g;
    Key(*g.grid, Qt::Key_F2);
    ASSERT_EQ(g.Editing(), CCellID(2, 1));
    EXPECT_EQ(OpenEditor(*g)->selectedText(), "");
    EXPECT_EQ(OpenEditor(*g)->cursorPosition(), 3);
  }
  {
    EditLayout g;
    Click(*g, CellCentre(*g, 2, 1));
    ASSERT_EQ(g.Editing(), CCellID(2, 1));
    EXPECT_EQ(OpenEditor(*g)->text(), "t21");
  }
  {
    EditLayout g;
    Key(*g.grid, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    Key(*g.grid, Qt::Key_C, Qt::ControlModifier, "\x03");
    Key(*g.grid, Qt::Key_Tab, Qt::NoModifier, "\t");  // moves on while the grid handles Tab
    EXPECT_EQ(g.Editing(), CCellID());
    EXPECT_EQ(g->GetFocusCell(), CCellID(2, 3));
    // A character typed while the mouse is selecting.
    zv::test::Press(*g, CellCentre(*g, 4, 1));
    Key(*g.grid, Qt::Key_Z, Qt::NoModifier, "z");
    EXPECT_EQ(g.Editing(), CCellID());
    zv::test::Release(*g, CellCentre(*g, 4, 1));
  }
  {
    // Read-only cells and a grid that is not editable open nothing.
    EditLayout g;
    g->SetItemState(2, 1, g->GetItemState(2, 1) | CellReadOnly);
    Key(*g.grid, Qt::Key_F2);
    EXPECT_EQ(g.Editing(), CCellID());
    g->SetFocusCell(2, 3);
    g->SetEditable(false);
    Key(*g.grid, Qt::Key_Z, Qt::NoModifier, "z");
    EXPECT_EQ(g.Editing(), CCellID());
    EXPECT_TRUE(g.owner.log.empty());
  }
}

TEST(GridEdit, ACharacterSharingItsValueWithANavigationKeyIsTyped) {
  const char typed[] = {' ', '!', '"', '#', '$', '%', '&', '\'', '('};
  for (char c : typed) {
    SCOPED_TRACE(testing::Message() << "character " << c);
    EditLayout g;
    EXPECT_TRUE(Key(*g.grid, c, Qt::NoModifier, QString(QChar(c))));  // taken: it opened an editor
    ASSERT_EQ(g.Editing(), CCellID(2, 1));
    EXPECT_EQ(OpenEditor(*g)->text(), QString(QChar(c)));
    EXPECT_EQ(g->GetFocusCell(), CCellID(2, 1));
  }
}

TEST(GridEdit, TheEditedTextIsStoredAndTheOwnerHearsOfIt) {
  EditLayout g;
  Key(*g.grid, Qt::Key_X, Qt::NoModifier, "x");
  CInPlaceEdit* editor = OpenEditor(*g);
  ASSERT_NE(editor, nullptr);
  Key(*editor, Qt::Key_Y, Qt::NoModifier, QString::fromUtf8("ж"));
  EXPECT_TRUE(Key(*editor, Qt::Key_Return));
  ProcessPosted();
  EXPECT_EQ(g->GetItemText(2, 1), zv::W1251("xж"));
  EXPECT_EQ(g.owner.Codes(), (Codes{"-105 2,1", "-106 2,1"}));
  EXPECT_TRUE(g->GetItemState(2, 1) & CellModified);
  EXPECT_TRUE(g->GetModified());
  EXPECT_FALSE(g->IsItemEditing(2, 1));
  // Return moves nowhere and opens nothing more.
  EXPECT_EQ(g.Editing(), CCellID());
  EXPECT_EQ(g->GetFocusCell(), CCellID(2, 1));
}

TEST(GridEdit, PressesScrollingAndResizingEndTheEdit) {
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    EditLayout g;
    Key(*g.grid, Qt::Key_Q, Qt::NoModifier, "q");
    ASSERT_EQ(g.Editing(), CCellID(2, 1));
    if (way == 0) zv::test::Press(*g, CellCentre(*g, 4, 3));
    else if (way == 1) g->OnVScroll(SB_LINEDOWN);
    else g->resize(g->width() + 10, g->height());
    ProcessPosted();
    EXPECT_EQ(g.Editing(), CCellID());
    EXPECT_EQ(g->GetItemText(2, 1), "q");
    EXPECT_FALSE(g->IsItemEditing(2, 1));
  }
}

TEST(GridEdit, TheOwnerRefusingTheStartKeepsColumnOneAsItIs) {
  // Typing, F2, a click, paste, cut and Delete all ask first.
  auto refuseColumnOne = [](const GridNotify& n) -> LRESULT {
    return n.hdr.code == GridNotifyCode::EditStarting && n.iColumn == 1 ? -1 : 0;
  };
  for (int way = 0; way < 6; ++way) {
    SCOPED_TRACE(way);
    EditLayout g;
    g.owner.answer = refuseColumnOne;
    QGuiApplication::clipboard()->setText("new");
    auto act = [&g, way](int col) {
      g->SetFocusCell(2, col);
      g->SelectRange(2, col, 2, col);
      switch (way) {
        case 0: Key(*g.grid, Qt::Key_Z, Qt::NoModifier, "z"); break;
        case 1: Key(*g.grid, Qt::Key_F2); break;
        case 2: Click(*g, CellCentre(*g, 2, col)); break;
        case 3: Key(*g.grid, Qt::Key_V, Qt::ControlModifier); break;
        case 4: Key(*g.grid, Qt::Key_X, Qt::ControlModifier); break;
        default: Key(*g.grid, Qt::Key_Delete); break;
      }
      ProcessPosted();
    };
    act(1);
    EXPECT_EQ(g.Editing(), CCellID());
    EXPECT_EQ(g->GetItemText(2, 1), "t21");
    EXPECT_FALSE(g->GetItemState(2, 1) & CellModified);
    // Column 3 is still open to the same way.
    act(3);
    if (way <= 2) EXPECT_EQ(g.Editing(), CCellID(2, 3));
    else EXPECT_NE(g->GetItemText(2, 3), "t23");
  }
}

// Accepts only texts without a 'q'.
class NoQCell : public CGridCell {
 public:
  bool ValidateEdit(const std::string& text) override { return text.find('q') == std::string::npos; }
};

TEST(GridEdit, ARefusedTextBringsTheOldOneBack) {
  {
    EditLayout g;
    g.owner.answer = [](const GridNotify& n) -> LRESULT { return n.hdr.code == GridNotifyCode::EditEnded ? -1 : 0; };
    Key(*g.grid, Qt::Key_Z, Qt::NoModifier, "z");
    Key(*OpenEditor(*g), Qt::Key_Return);
    EXPECT_EQ(g->GetItemText(2, 1), "t21");
    // Told once; the restore is silent, and the cell still counts as modified.
    EXPECT_EQ(g.owner.Codes(), (Codes{"-105 2,1", "-106 2,1"}));
    EXPECT_TRUE(g->GetItemState(2, 1) & CellModified);
  }
  {
    auto* grid = new CGridCtrl(0, 6, 0, 1);
    grid->SetCellType<NoQCell>();
    grid->SetRowCount(10);
    grid->SetFixedRowCount(1);
    EditLayout g(grid);
    Key(*g.grid, Qt::Key_Q, Qt::NoModifier, "q");
    Key(*OpenEditor(*g), Qt::Key_Return);
    EXPECT_EQ(g->GetItemText(2, 1), "t21");
    EXPECT_EQ(g.owner.Codes(), (Codes{"-105 2,1"}));  // the cell refused before the owner was asked
    g.owner.Clear();
    Key(*g.grid, Qt::Key_W, Qt::NoModifier, "w");
    Key(*OpenEditor(*g), Qt::Key_Return);
    EXPECT_EQ(g->GetItemText(2, 1), "w");
  }
}

TEST(GridEdit, TabAndTheNavigationKeysGoOnEditingTheNextCell) {
  struct Case {
    CCellID from;
    int key;
    Qt::KeyboardModifiers modifiers;
    CCellID next;
  };
  // Row 3 and column 2 are hidden; row 9 is the last.
  const Case cases[] = {
      {{2, 1}, Qt::Key_Right, Qt::NoModifier, {2, 3}},
      {{2, 3}, Qt::Key_Left, Qt::NoModifier, {2, 1}},
      {{2, 1}, Qt::Key_Down, Qt::NoModifier, {4, 1}},
      {{4, 1}, Qt::Key_Up, Qt::NoModifier, {2, 1}},
      {{9, 1}, Qt::Key_Down, Qt::NoModifier, {9, 1}},  // the same cell again
      {{2, 1}, Qt::Key_Tab, Qt::NoModifier, {2, 3}},
      {{2, 5}, Qt::Key_Tab, Qt::NoModifier, {4, 1}},
      {{2, 3}, Qt::Key_Backtab, Qt::ShiftModifier, {2, 1}},
      {{4, 1}, Qt::Key_Tab, Qt::ShiftModifier, {2, 5}},
      {{2, 1}, Qt::Key_PageDown, Qt::NoModifier, {-1, -1}},  // where Page Down goes without an edit
  };
  for (Case c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << " from " << c.from.row << "," << c.from.col);
    if (!c.next.IsValid()) {
      EditLayout plain;
      Key(*plain.grid, c.key, c.modifiers);
      c.next = plain->GetFocusCell();
      ASSERT_NE(c.next, c.from);
    }
    EditLayout g;
    g->SetFocusCell(c.from);
    g->EnsureVisible(c.from);
    Key(*g.grid, Qt::Key_N, Qt::NoModifier, "n");
    QPointer<CInPlaceEdit> first = OpenEditor(*g);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(Key(*first, c.key, c.modifiers));
    EXPECT_EQ(g->GetItemText(c.from.row, c.from.col), "n");
    ProcessPosted();
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(g->GetFocusCell(), c.next);
    ASSERT_EQ(g.Editing(), c.next);
    CInPlaceEdit* next = OpenEditor(*g);
    const QString text = c.next == c.from ? "n" : QString::fromStdString(g->GetItemText(c.next.row, c.next.col));
    EXPECT_EQ(next->text(), text);
    EXPECT_EQ(next->selectedText(), text);  // nothing typed, the whole text selected
    EXPECT_EQ(QApplication::focusWidget(), next);
  }
}

TEST(GridEdit, AFocusLossEndsTheEditWithoutGoingOn) {
  EditLayout g;
  auto* other = new QLineEdit(&g.owner);
  other->show();
  Key(*g.grid, Qt::Key_N, Qt::NoModifier, "n");
  ASSERT_EQ(g.Editing(), CCellID(2, 1));
  other->setFocus();
  ProcessPosted();
  EXPECT_EQ(g.Editing(), CCellID());
  EXPECT_EQ(g->GetItemText(2, 1), "n");
  EXPECT_EQ(g->GetFocusCell(), CCellID(2, 1));
  EXPECT_EQ(QApplication::focusWidget(), other);
}

TEST(GridEdit, SetCellTextCheckedAsksAndTells) {
  EditLayout g;
  g->SetCellTextChecked(2, 1, "t21");  // the same text: asked, nothing ended
  EXPECT_EQ(g.owner.Codes(), (Codes{"-105 2,1"}));
  g.owner.Clear();
  g->SetCellTextChecked(2, 1, "new");
  EXPECT_EQ(g.owner.Codes(), (Codes{"-105 2,1", "-106 2,1"}));
  EXPECT_EQ(g->GetItemText(2, 1), "new");
  EXPECT_TRUE(g->GetItemState(2, 1) & CellModified);
  g.owner.Clear();
  g->SetCellTextChecked(20, 1, "outside");
  g->SetItemState(4, 1, CellReadOnly);
  g->SetCellTextChecked(4, 1, "read-only");
  EXPECT_TRUE(g.owner.log.empty());
  EXPECT_EQ(g->GetItemText(4, 1), "t41");
}

}  // namespace
