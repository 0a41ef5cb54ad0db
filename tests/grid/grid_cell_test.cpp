// Cells: inheritance from the four default cells, reset, assignment, the default
// cell's metrics, measuring, and opening an editor.

#include <QFontMetrics>
#include <gtest/gtest.h>
#include <vector>

#include "grid/grid_cell.h"
#include "grid/grid_ctrl.h"
#include "grid/grid_edit_wnd.h"
#include "grid/in_place_edit.h"
#include "tests/grid/grid_test_support.h"

namespace {

LOGFONT Font(int height, const char* face = "DejaVu Sans") {
  LOGFONT lf;
  lf.lfHeight = height;
  lf.lfWeight = FW_NORMAL;
  lf.SetFaceName(face);
  return lf;
}

QFontMetrics Metrics(const LOGFONT& lf) { return QFontMetrics(zv::LogFontToQFont(lf)); }

struct Kind {
  const char* name;
  UINT state;
  bool fixedRow, fixedCol;
};
const Kind kKinds[] = {{"normal", 0, false, false},
                       {"fixed row", CellFixedRowBits, true, false},
                       {"fixed column", CellFixedColBits, false, true},
                       {"corner", CellFixedRowBits | CellFixedColBits, true, true}};

// Each default cell gets its own format, margin and font, so a cell shows which one
// it inherits from.
class CellInheritance : public testing::Test {
 protected:
  void SetUp() override {
    int i = 0;
    for (const Kind& k : kKinds) {
      CGridDefaultCell* def = grid_.GetDefaultCell(k.fixedRow, k.fixedCol);
      const LOGFONT lf = Font(-10 - i);
      def->SetFont(&lf);
      def->SetFormat(DT_CENTER | static_cast<UINT>(i));
      def->SetMargin(static_cast<UINT>(11 + i));
      ++i;
    }
  }
  void Attach(CGridCell& cell, const Kind& k) {
    cell.SetGrid(&grid_);
    cell.SetState(k.state);
  }
  CGridCtrl grid_;
};

TEST_F(CellInheritance, UnsetValuesComeFromTheDefaultCellOfTheKind) {
  for (const Kind& k : kKinds) {
    CGridCell cell;
    cell.SetGrid(&grid_);
    cell.SetState(k.state);
    CGridDefaultCell* def = grid_.GetDefaultCell(k.fixedRow, k.fixedCol);
    EXPECT_EQ(cell.GetDefaultCell(), def) << k.name;
    EXPECT_EQ(cell.GetFormat(), def->GetFormat()) << k.name;
    EXPECT_EQ(cell.GetMargin(), def->GetMargin()) << k.name;
    ASSERT_NE(cell.GetFont(), nullptr);
    EXPECT_EQ(cell.GetFont()->lfHeight, def->GetFont()->lfHeight) << k.name;
    EXPECT_EQ(cell.GetFontObject(), def->GetFontObject()) << k.name;
    EXPECT_TRUE(cell.IsDefaultFont());
    // Colours are not inherited by the accessors.
    EXPECT_EQ(cell.GetTextColour(), CLR_DEFAULT);
    EXPECT_EQ(cell.GetBackColour(), CLR_DEFAULT);
  }
}

TEST_F(CellInheritance, OwnValuesWinAndResetInheritsAgain) {
  for (const Kind& k : kKinds) {
    CGridCell cell;
    cell.SetGrid(&grid_);
    cell.SetState(k.state | CellSelected);
    const LOGFONT own = Font(-30);
    cell.SetFormat(DT_RIGHT);
    cell.SetMargin(1);
    cell.SetFont(&own);
    cell.SetText("x");
    cell.SetData(42);
    cell.SetImage(2);
    cell.SetBackColour(RGB(1, 2, 3));
    EXPECT_EQ(cell.GetFormat(), DT_RIGHT);
    EXPECT_EQ(cell.GetMargin(), 1u);
    EXPECT_EQ(cell.GetFont()->lfHeight, -30);
    EXPECT_FALSE(cell.IsDefaultFont());
    EXPECT_EQ(cell.GetFontObject()->GetLogFont().lfHeight, -30);

    cell.Reset();
    EXPECT_EQ(cell.GetState(), 0u);
    EXPECT_EQ(cell.GetText(), "");
    EXPECT_EQ(cell.GetData(), 0);
    EXPECT_EQ(cell.GetImage(), -1);
    EXPECT_EQ(cell.GetBackColour(), CLR_DEFAULT);
    EXPECT_TRUE(cell.IsDefaultFont());
    // After the reset the cell is a normal one again and inherits from that.
    EXPECT_EQ(cell.GetFormat(), grid_.GetDefaultCell(false, false)->GetFormat()) << k.name;
    EXPECT_EQ(cell.GetMargin(), grid_.GetDefaultCell(false, false)->GetMargin()) << k.name;
  }
}

TEST_F(CellInheritance, SetFontNoneInheritsAgain) {
  CGridCell cell;
  Attach(cell, kKinds[0]);
  const LOGFONT own = Font(-30);
  cell.SetFont(&own);
  cell.SetFont(nullptr);
  EXPECT_TRUE(cell.IsDefaultFont());
  EXPECT_EQ(cell.GetFont()->lfHeight, grid_.GetDefaultCell(false, false)->GetFont()->lfHeight);
}

TEST_F(CellInheritance, WithoutAGridNothingIsInherited) {
  CGridCell cell;
  EXPECT_EQ(cell.GetDefaultCell(), nullptr);
  EXPECT_EQ(cell.GetFormat(), 0u);
  EXPECT_EQ(cell.GetMargin(), 0u);
  EXPECT_EQ(cell.GetFont(), nullptr);
  EXPECT_EQ(cell.GetFontObject(), nullptr);
  EXPECT_EQ(cell.GetTextExtent("abc"), CSize(0, 0));
}

TEST_F(CellInheritance, AssignmentTakesInheritedFormatAndMarginAsOwn) {
  CGridCell source;
  Attach(source, kKinds[2]);
  source.SetText("text");
  source.SetData(7);
  source.SetTextColour(RGB(9, 8, 7));
  CGridCell target;
  target = source;
  EXPECT_EQ(target.GetGrid(), &grid_);
  EXPECT_EQ(target.GetText(), "text");
  EXPECT_EQ(target.GetData(), 7);
  EXPECT_EQ(target.GetState(), source.GetState());
  EXPECT_EQ(target.GetTextColour(), RGB(9, 8, 7));
  EXPECT_TRUE(target.IsDefaultFont());

  // The default cell changes: the source follows, the target keeps the values it got.
  const UINT format = source.GetFormat();
  const UINT margin = source.GetMargin();
  CGridDefaultCell* def = grid_.GetDefaultCell(false, true);
  def->SetFormat(DT_BOTTOM);
  def->SetMargin(99);
  EXPECT_EQ(source.GetFormat(), static_cast<UINT>(DT_BOTTOM));
  EXPECT_EQ(target.GetFormat(), format);
  EXPECT_EQ(target.GetMargin(), margin);

  // Through the base class too, and a cell assigned to itself stays as it is.
  CGridCellBase& base = target;
  const CGridCellBase& same = target;
  base = same;
  EXPECT_EQ(target.GetText(), "text");
}

TEST_F(CellInheritance, AssignmentCopiesAnOwnFont) {
  CGridCell source;
  Attach(source, kKinds[0]);
  const LOGFONT own = Font(-25);
  source.SetFont(&own);
  CGridCell target;
  static_cast<CGridCellBase&>(target) = source;
  ASSERT_FALSE(target.IsDefaultFont());
  EXPECT_EQ(target.GetFont()->lfHeight, -25);
}

TEST(DefaultCell, MetricsComeFromItsFont) {
  for (int height : {-11, -13, -17}) {
    CGridDefaultCell def;
    const LOGFONT lf = Font(height);
    def.SetFont(&lf);
    const QFontMetrics fm = Metrics(lf);
    EXPECT_EQ(def.GetMargin(), static_cast<UINT>(fm.horizontalAdvance(" ")));
    EXPECT_EQ(def.GetWidth(), fm.horizontalAdvance(" XXXXXXXXXXXX "));
    EXPECT_EQ(def.GetHeight(), fm.height() * 3 / 2);
    EXPECT_EQ(def.GetFontObject()->GetLogFont().lfHeight, height);
  }
}

TEST(DefaultCell, ConstructionAndWhatItIgnores) {
  CGridDefaultCell def;
  EXPECT_EQ(def.GetFormat(), 0x8824u);
  EXPECT_EQ(def.GetStyle(), 0u);
  ASSERT_NE(def.GetFont(), nullptr);
  EXPECT_EQ(def.GetFont()->lfHeight, zv::MessageLogFont().lfHeight);
  def.SetData(5);
  def.SetState(CellSelected);
  EXPECT_EQ(def.GetData(), 0);
  EXPECT_EQ(def.GetState(), static_cast<UINT>(CellReadOnly));
  EXPECT_FALSE(def.IsReadOnly());
  // A missing font changes nothing.
  const int width = def.GetWidth();
  def.SetFont(nullptr);
  EXPECT_EQ(def.GetWidth(), width);
  ASSERT_NE(def.GetFont(), nullptr);
  def.SetStyle(7);
  EXPECT_EQ(def.GetStyle(), 7u);
}

// GetTextExtent in the cell's font plus twice the margin on both sides.
TEST(CellExtent, TextExtentTable) {
  CGridCtrl grid;
  CGridDefaultCell* def = grid.GetDefaultCell(false, false);
  const LOGFONT lf = Font(-13);
  def->SetFont(&lf);
  const QFontMetrics fm = Metrics(lf);
  const int m = static_cast<int>(def->GetMargin());
  const int h = fm.height();
  auto w = [&fm](const char* s) { return fm.horizontalAdvance(QString::fromLatin1(s)); };
  struct Case {
    const char* text;
    UINT format;
    int escapement;
    CSize expected;
  };
  const Case cases[] = {
      {"", DT_SINGLELINE, 0, CSize(def->GetWidth(), def->GetHeight())},
      {"abc", DT_SINGLELINE, 0, CSize(w("abc") + 2 * m, h + 2 * m)},
      // A single line ignores the line break; so does a format without word break.
      {"ab\ncdef", DT_SINGLELINE | DT_WORDBREAK, 0, CSize(w("ab\ncdef") + 2 * m, h + 2 * m)},
      {"ab\ncdef", DT_LEFT, 0, CSize(w("ab\ncdef") + 2 * m, h + 2 * m)},
      // Word break without single line measures line by line.
      {"ab\ncdef", DT_WORDBREAK, 0, CSize(std::max(w("ab"), w("cdef")) + 2 * m, 2 * h + 2 * m)},
      // Text turned by 90 degrees: width and height swap, the height gets 4 margins more.
      {"abc", DT_SINGLELINE, 900, CSize(h + 2 * m, w("abc") + 2 * m + 4 * m)},
      {"abc", DT_SINGLELINE, -900, CSize(h + 2 * m, w("abc") + 2 * m + 4 * m)},
  };
  for (const Case& c : cases) {
    CGridCell cell;
    cell.SetGrid(&grid);
    cell.SetFormat(c.format);
    if (c.escapement != 0) {
      LOGFONT turned = lf;
      turned.lfEscapement = c.escapement;
      cell.SetFont(&turned);
    }
    EXPECT_EQ(cell.GetTextExtent(c.text), c.expected) << c.text << " " << c.format;
    CDC dc;
    EXPECT_EQ(cell.GetTextExtent(c.text, &dc), c.expected) << c.text;
  }
}

TEST(CellExtent, CellExtentAddsOnePixelAndOneMoreWhenFixed) {
  CGridCtrl grid;
  CGridCell cell;
  cell.SetGrid(&grid);
  cell.SetText("abc");
  const CSize text = cell.GetTextExtent("abc");
  CDC dc;
  EXPECT_EQ(cell.GetCellExtent(&dc), CSize(text.cx + 1, text.cy + 1));
  cell.SetState(CellFixedRowBits);
  const CSize fixedText = cell.GetTextExtent("abc");
  EXPECT_EQ(cell.GetCellExtent(&dc), CSize(fixedText.cx + 2, fixedText.cy + 2));
}

// An editor that records what reaches it.
class FakeEditor : public CGridEditWnd {
 public:
  QWidget* GetWidget() override { return nullptr; }
  void EndEdit() override { ++ends; }
  void SendChar(unsigned nChar) override { chars.push_back(nChar); }
  int ends = 0;
  std::vector<unsigned> chars;
};

class EditingGrid : public CGridCtrl {
 public:
  CGridEditWnd* CreateInPlaceEdit(const CRect& rect, DWORD dwStyle, UINT nID, int nRow, int nCol,
                                  const std::string& text, UINT nFirstChar) override {
    ++requests;
    lastStyle = dwStyle;
    lastText = text;
    lastChar = nFirstChar;
    (void)rect;
    (void)nID;
    (void)nRow;
    (void)nCol;
    return canCreate ? &editor : nullptr;
  }
  bool canCreate = true;
  int requests = 0;
  DWORD lastStyle = 0;
  std::string lastText;
  UINT lastChar = 0;
  FakeEditor editor;
};

TEST(CellEditing, AnEditorThatCannotBeMadeLeavesEditingOff) {
  EditingGrid grid;
  grid.canCreate = false;
  CGridCell cell;
  cell.SetGrid(&grid);
  EXPECT_FALSE(cell.Edit(1, 1, CRect(0, 0, 50, 20), CPoint(), 8, 'a'));
  EXPECT_FALSE(cell.IsEditing());
  EXPECT_EQ(cell.GetEditWnd(), nullptr);
  // The next try asks again for an editor.
  grid.canCreate = true;
  EXPECT_TRUE(cell.Edit(1, 1, CRect(0, 0, 50, 20), CPoint(), 8, 'b'));
  EXPECT_EQ(grid.requests, 2);
  EXPECT_TRUE(cell.IsEditing());
}

TEST(CellEditing, OpenEditorGetsFurtherCharactersAndEnds) {
  EditingGrid grid;
  CGridCell cell;
  cell.SetGrid(&grid);
  cell.SetText("old");
  ASSERT_TRUE(cell.Edit(1, 1, CRect(0, 0, 50, 20), CPoint(), 8, 'x'));
  EXPECT_EQ(grid.lastText, "old");
  EXPECT_EQ(grid.lastChar, static_cast<UINT>('x'));
  EXPECT_EQ(cell.GetEditWnd(), &grid.editor);
  EXPECT_TRUE(cell.Edit(1, 1, CRect(0, 0, 50, 20), CPoint(), 8, 'y'));
  EXPECT_EQ(grid.requests, 1);
  EXPECT_EQ(grid.editor.chars, std::vector<unsigned>{'y'});
  cell.EndEdit();
  EXPECT_EQ(grid.editor.ends, 1);
  cell.OnEndEdit();
  EXPECT_FALSE(cell.IsEditing());
  EXPECT_EQ(cell.GetEditWnd(), nullptr);
  cell.EndEdit();
  EXPECT_EQ(grid.editor.ends, 1);
}

TEST(CellEditing, EditorStyleFollowsTheAlignment) {
  struct Case {
    UINT format;
    DWORD style;
  };
  const Case cases[] = {{DT_LEFT, 0}, {DT_CENTER, ES_CENTER}, {DT_RIGHT, ES_RIGHT}};
  for (const Case& c : cases) {
    EditingGrid grid;
    CGridCell cell;
    cell.SetGrid(&grid);
    cell.SetFormat(c.format);
    ASSERT_TRUE(cell.Edit(0, 0, CRect(0, 0, 10, 10), CPoint(), 8, 1));
    EXPECT_EQ(grid.lastStyle, c.style) << c.format;
  }
}

TEST(CellEditing, ThePlainGridOpensItsInPlaceEditorAndTheCellAcceptsEverything) {
  CGridCtrl loose;
  CGridCell cell;
  cell.SetGrid(&loose);
  // A grid without its window makes no editor.
  EXPECT_FALSE(cell.Edit(0, 0, CRect(0, 0, 10, 10), CPoint(), 8, 1));
  EXPECT_FALSE(cell.IsEditing());

  zv::test::CreatedGrid created;
  CGridCtrl& grid = *created.grid;
  cell.SetGrid(&grid);
  cell.SetText("old");
  ASSERT_TRUE(cell.Edit(0, 0, CRect(0, 0, 10, 10), CPoint(), 8, 1));
  auto* editor = cell.GetEditWnd() != nullptr ? qobject_cast<CInPlaceEdit*>(cell.GetEditWnd()->GetWidget()) : nullptr;
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->parentWidget(), grid.viewport());
  EXPECT_EQ(editor->text(), "old");
  EXPECT_EQ(editor->GetDlgCtrlID(), 8u);
  cell.OnEndEdit();
  EXPECT_TRUE(cell.ValidateEdit("anything"));
  EXPECT_EQ(cell.GetTipText(), cell.GetText());
}

}  // namespace
