// The in-place editor: how the first character begins the edit, which keys end it
// (by how it was opened and with Ctrl), Escape, widening, its own context menu, and
// keys that stay with the editor inside a dialog.

#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "grid/grid_ctrl.h"
#include "grid/in_place_edit.h"
#include "platform/cp1251.h"
#include "tests/grid/grid_test_support.h"

namespace {

using zv::test::Key;
using zv::test::OpenEditor;
using zv::test::ProcessPosted;

// The editing layout with the text "abc" in the focus cell (2, 1).
struct AbcLayout : zv::test::EditLayout {
  explicit AbcLayout(CGridCtrl* made = new CGridCtrl(10, 6, 1, 1)) : EditLayout(made) { grid->SetItemText(2, 1, "abc"); }
};

TEST(InPlaceEdit, TheFirstCharacterTellsHowTheEditBegins) {
  struct Case {
    UINT nChar;
    const char* text;  // UTF-8
    const char* selected;
    int caret;
  };
  const Case cases[] = {
      {VK_LBUTTON, "abc", "", 3},  // a click or F2: the caret at the end
      {VK_RETURN, "abc", "", 3},
      {VK_BACK, "ab", "", 2},  // the last character erased
      {VK_TAB, "abc", "abc", 3},  // the whole text selected, nothing typed
      {VK_PRIOR | kEditNavigationKey, "abc", "abc", 3},
      {VK_RIGHT | kEditNavigationKey, "abc", "abc", 3},
      {VK_DOWN | kEditNavigationKey, "abc", "abc", 3},
      {'x', "x", "", 1},  // a typed character replaces the text
      {'5', "5", "", 1},
      {0xFF, "я", "", 1},
      // The characters that share their values with Page Up to Down are typed too.
      {' ', " ", "", 1},
      {'!', "!", "", 1},
      {'"', "\"", "", 1},
      {'#', "#", "", 1},
      {'$', "$", "", 1},
      {'%', "%", "", 1},
      {'&', "&", "", 1},
      {'\'', "'", "", 1},
      {'(', "(", "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "first character " << c.nChar);
    AbcLayout g;
    g->BeginCellEdit(2, 1, CPoint(-1, -1), c.nChar);
    CInPlaceEdit* editor = OpenEditor(*g);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(g->IsItemEditing(2, 1));
    EXPECT_EQ(editor->text(), QString::fromUtf8(c.text));
    EXPECT_EQ(editor->selectedText(), QString::fromUtf8(c.selected));
    EXPECT_EQ(editor->cursorPosition(), c.caret);
    EXPECT_EQ(QApplication::focusWidget(), editor);
  }
}

TEST(InPlaceEdit, WhichKeysEndTheEdit) {
  // Opened by a key, the arrow and page keys leave; opened by the mouse (or F2) they
  // move the caret, unless Ctrl is held. Home and End always stay in the text. The
  // editor takes every one of them: the grid's focus cell stays.
  const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp,
                      Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
  const UINT vks[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT, VK_HOME, VK_END};
  for (bool byMouse : {true, false}) {
    for (bool ctrl : {false, true}) {
      for (size_t i = 0; i < std::size(keys); ++i) {
        SCOPED_TRACE(testing::Message() << (byMouse ? "opened by F2" : "opened by a letter") << (ctrl ? ", Ctrl+" : ", ")
                                        << "key " << keys[i]);
        AbcLayout g;
        if (byMouse) Key(*g.grid, Qt::Key_F2);
        else Key(*g.grid, Qt::Key_X, Qt::NoModifier, "x");
        QPointer<CInPlaceEdit> editor = OpenEditor(*g);
        ASSERT_NE(editor, nullptr);
        editor->setCursorPosition(1);
        const bool leaving = vks[i] != VK_HOME && vks[i] != VK_END;
        const bool ends = leaving && (!byMouse || ctrl);
        EXPECT_TRUE(Key(*editor, keys[i], ctrl ? Qt::ControlModifier : Qt::NoModifier));
        EXPECT_EQ(editor->isHidden(), ends);
        EXPECT_EQ(editor->GetLastChar(), ends ? vks[i] : 0u);
        EXPECT_EQ(g->IsItemEditing(2, 1), !ends);
        EXPECT_EQ(g->GetFocusCell(), CCellID(2, 1));
      }
    }
  }
}

// Counts the texts that come back from the editor.
class StoreCountingGrid : public CGridCtrl {
 public:
  StoreCountingGrid() : CGridCtrl(10, 6, 1, 1) {}
  void StoreEditedText(int nRow, int nCol, const std::string& str) override {
    stored.push_back(str);
    CGridCtrl::StoreEditedText(nRow, nCol, str);
  }
  std::vector<std::string> stored;
};

TEST(InPlaceEdit, EscapeRestoresTheTextAndReportsOnce) {
  auto* counting = new StoreCountingGrid;
  AbcLayout g(counting);
  Key(*g.grid, Qt::Key_X, Qt::NoModifier, "x");
  QPointer<CInPlaceEdit> editor = OpenEditor(*g);
  ASSERT_NE(editor, nullptr);
  Key(*editor, Qt::Key_Y, Qt::NoModifier, "y");
  EXPECT_EQ(editor->text(), "xy");
  EXPECT_TRUE(Key(*editor, Qt::Key_Escape));
  EXPECT_EQ(editor->GetLastChar(), VK_ESCAPE);
  EXPECT_EQ(editor->text(), "abc");
  ProcessPosted();
  EXPECT_EQ(editor, nullptr);  // deleted once its handlers were done
  EXPECT_EQ(counting->stored, std::vector<std::string>{"abc"});
  EXPECT_EQ(g->GetItemText(2, 1), "abc");
  // The unchanged text is no edit for the owner.
  EXPECT_EQ(g.owner.Codes(), (std::vector<std::string>{"-105 2,1"}));
  EXPECT_FALSE(g->IsItemEditing(2, 1));
  EXPECT_EQ(g->GetFocusCell(), CCellID(2, 1));
  EXPECT_EQ(QApplication::focusWidget(), g.grid);
  // Losing the focus afterwards reports nothing more.
  g->clearFocus();
  ProcessPosted();
  EXPECT_EQ(counting->stored.size(), 1u);
}

TEST(InPlaceEdit, WidensWithTheTextUpToTheEdgeAndNeverNarrows) {
  AbcLayout g;
  Key(*g.grid, Qt::Key_A, Qt::NoModifier, "a");
  CInPlaceEdit* editor = OpenEditor(*g);
  ASSERT_NE(editor, nullptr);
  CRect cell;
  ASSERT_TRUE(g->GetCellRect(2, 1, &cell));
  EXPECT_EQ(editor->GetRect(), cell);
  EXPECT_EQ(editor->geometry(), cell.ToQRect());

  Key(*editor, Qt::Key_B, Qt::NoModifier, "b");
  EXPECT_EQ(editor->GetRect().right, cell.right);  // "ab" fits
  int lastRight = cell.right;
  bool grew = false;
  for (int i = 0; i < 60; ++i) {
    Key(*editor, Qt::Key_W, Qt::NoModifier, "W");
    EXPECT_GE(editor->GetRect().right, lastRight);
    grew = grew || editor->GetRect().right > lastRight;
    lastRight = editor->GetRect().right;
  }
  EXPECT_TRUE(grew);
  // The left edge stays; the right one stops at the viewport's edge.
  EXPECT_EQ(editor->GetRect().left, cell.left);
  EXPECT_EQ(editor->GetRect().right, g->viewport()->width());
  EXPECT_EQ(editor->geometry(), editor->GetRect().ToQRect());
  for (int i = 0; i < 62; ++i) Key(*editor, Qt::Key_Backspace, Qt::NoModifier, "\b");
  EXPECT_EQ(editor->text(), "");
  EXPECT_EQ(editor->GetRect().right, g->viewport()->width());
}

TEST(InPlaceEdit, ItsOwnContextMenuDoesNotEndTheEdit) {
  AbcLayout g;
  Key(*g.grid, Qt::Key_F2);
  QPointer<CInPlaceEdit> editor = OpenEditor(*g);
  ASSERT_NE(editor, nullptr);

  // The menu closes as soon as it has taken the focus.
  int popupFocusLosses = 0;
  struct Watch : QObject {
    int* count;
    explicit Watch(int* c) : count(c) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::FocusOut && static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason) ++*count;
      return false;
    }
  } watch(&popupFocusLosses);
  editor->installEventFilter(&watch);
  QTimer::singleShot(0, [] {
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  });
  QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), editor->mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(editor, &request);
  ProcessPosted();
  EXPECT_GE(popupFocusLosses, 1);  // the menu did take the focus
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(editor->isHidden());
  EXPECT_TRUE(g->IsItemEditing(2, 1));

  // Any other focus loss ends it (once the window is active again, where the
  // platform moved the activation to the menu).
  editor->removeEventFilter(&watch);
  g.owner.activateWindow();
  ASSERT_TRUE(zv::test::WaitFor([&g] { return QApplication::activeWindow() == &g.owner; }));
  editor->insert("d");
  g->setFocus();
  EXPECT_TRUE(editor->isHidden());
  EXPECT_EQ(g->GetItemText(2, 1), "abcd");
  EXPECT_FALSE(g->IsItemEditing(2, 1));
}

TEST(InPlaceEdit, KeysStayWithTheEditorInsideADialog) {
  QDialog dialog;
  dialog.resize(400, 300);
  auto* button = new QPushButton("OK", &dialog);
  button->setDefault(true);
  int clicks = 0;
  QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
  auto* grid = new CGridCtrl(5, 3, 1, 1);
  ASSERT_TRUE(grid->Create(CRect(0, 40, 300, 240), &dialog, 100));
  grid->SetItemText(1, 1, "abc");
  dialog.show();
  ProcessPosted();
  grid->setFocus();
  grid->SetFocusCell(1, 1);

  for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
    SCOPED_TRACE(key);
    Key(*grid, Qt::Key_F2);
    CInPlaceEdit* editor = OpenEditor(*grid);
    ASSERT_NE(editor, nullptr);
    // Opened by F2, Up moves nothing in the grid either.
    EXPECT_TRUE(Key(*editor, Qt::Key_Up));
    EXPECT_EQ(grid->GetFocusCell(), CCellID(1, 1));
    EXPECT_TRUE(Key(*editor, key));
    EXPECT_TRUE(editor->isHidden());
    ProcessPosted();
  }
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), 0);
}

}  // namespace
