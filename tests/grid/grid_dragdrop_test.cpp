// Drag and drop with synthetic drag events: the effect over each kind of cell (Ctrl
// copies, otherwise a move), the drop highlight, the drop itself, and a drag from
// the grid that moves or copies its cells, also onto itself.

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <gtest/gtest.h>
#include <memory>

#include "grid/grid_ctrl.h"
#include "grid/image_list.h"
#include "platform/qt/qt_text.h"
#include "tests/grid/grid_test_support.h"

namespace {

using Codes = std::vector<std::string>;
using zv::test::CellCentre;
using zv::test::OwnedGrid;

constexpr Qt::DropActions kCopyOrMove = Qt::CopyAction | Qt::MoveAction;

// The events a drag sends to the window under the pointer.
struct DragEvents {
  QWidget* viewport;
  // Whether the grid took the event; the effect it answered.
  template <typename Event>
  bool Send(QPoint at, const QMimeData* data, Qt::KeyboardModifiers keys, Qt::DropAction* effect) {
    Event event(at, kCopyOrMove, data, Qt::LeftButton, keys);
    event.ignore();
    QCoreApplication::sendEvent(viewport, &event);
    if (effect != nullptr) *effect = event.dropAction();
    return event.isAccepted();
  }
  bool Enter(QPoint at, const QMimeData* data, Qt::KeyboardModifiers keys, Qt::DropAction* effect = nullptr) {
    return Send<QDragEnterEvent>(at, data, keys, effect);
  }
  bool Over(QPoint at, const QMimeData* data, Qt::KeyboardModifiers keys, Qt::DropAction* effect = nullptr) {
    return Send<QDragMoveEvent>(at, data, keys, effect);
  }
  void Leave() {
    QDragLeaveEvent event;
    QCoreApplication::sendEvent(viewport, &event);
  }
  // The effect the drop answers; IgnoreAction when it was not taken.
  Qt::DropAction Drop(QPoint at, const QMimeData* data, Qt::KeyboardModifiers keys) {
    QDropEvent event(QPointF(at), kCopyOrMove, data, Qt::LeftButton, keys);
    event.ignore();
    QCoreApplication::sendEvent(viewport, &event);
    return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
  }
};

// A grid whose drag goes where the test says: onto a cell of its own (with the keys
// held at the drop), or elsewhere with a given effect.
class DraggingGrid : public CGridCtrl {
 public:
  DraggingGrid() : CGridCtrl(5, 5, 1, 1) {}
  CCellID dropOn;  // invalid: the drag ends elsewhere with `elsewhere`
  Qt::KeyboardModifiers keys = Qt::NoModifier;
  Qt::DropAction elsewhere = Qt::IgnoreAction;
  int drags = 0;
  std::string carried;

 protected:
  Qt::DropAction DoDragDrop(QMimeData* pData) override {
    std::unique_ptr<QMimeData> data(pData);
    ++drags;
    carried = zv::QToCp1251(data->text());
    if (!IsValid(dropOn)) return elsewhere;
    DragEvents events{viewport()};
    const QPoint at = CellCentre(*this, dropOn.row, dropOn.col);
    events.Enter(at, data.get(), keys);
    events.Over(at, data.get(), keys);
    return events.Drop(at, data.get(), keys);
  }
};

// 5 x 5 cells with one fixed row and column, all in view, drag and drop on; data
// cells hold "rc".
struct DragLayout : OwnedGrid {
  DraggingGrid* dragging;
  DragEvents events;
  explicit DragLayout(DraggingGrid* made = new DraggingGrid)
      : OwnedGrid(made, {20}, {50}, QSize(400, 200)), dragging(made), events{made->viewport()} {
    for (int row = 1; row < 5; ++row)
      for (int col = 1; col < 5; ++col) grid->SetItemText(row, col, std::to_string(row) + std::to_string(col));
    grid->EnableDragAndDrop();
    grid->SetFocusCell(4, 4);
    owner.Clear();
  }
  bool Highlighted(int row, int col) const { return (grid->GetItemState(row, col) & CellDropHighlighted) != 0; }
  // Drags the selection by its cell from a press there to a move past the
  // start-drag distance.
  void DragFrom(int row, int col) {
    const QPoint at = CellCentre(*grid, row, col);
    zv::test::Press(*grid, at);
    zv::test::Move(*grid, at + QPoint(20, 0), Qt::LeftButton);
    zv::test::Release(*grid, at + QPoint(20, 0));
  }
};

std::unique_ptr<QMimeData> Text(const char* text) {
  auto data = std::make_unique<QMimeData>();
  data->setText(text);
  return data;
}

TEST(GridDragDrop, TheEffectAndTheHighlightFollowThePointer) {
  DragLayout g;
  g->SetItemState(2, 3, CellReadOnly);
  const auto data = Text("t");
  Qt::DropAction effect = Qt::IgnoreAction;

  EXPECT_TRUE(g.events.Enter(CellCentre(*g, 1, 1), data.get(), Qt::NoModifier, &effect));
  EXPECT_EQ(effect, Qt::MoveAction);
  EXPECT_TRUE(g.Highlighted(1, 1));
  EXPECT_TRUE(g.events.Over(CellCentre(*g, 2, 2), data.get(), Qt::ControlModifier, &effect));
  EXPECT_EQ(effect, Qt::CopyAction);
  EXPECT_TRUE(g.Highlighted(2, 2));
  EXPECT_FALSE(g.Highlighted(1, 1));
  // A read-only cell takes nothing and leaves the highlight where it was.
  EXPECT_FALSE(g.events.Over(CellCentre(*g, 2, 3), data.get(), Qt::NoModifier));
  EXPECT_TRUE(g.Highlighted(2, 2));
  EXPECT_FALSE(g.Highlighted(2, 3));
  // Headings are no cells for a drop: the highlight goes.
  EXPECT_FALSE(g.events.Over(CellCentre(*g, 0, 2), data.get(), Qt::NoModifier));
  EXPECT_FALSE(g.Highlighted(2, 2));
  EXPECT_TRUE(g.events.Over(CellCentre(*g, 3, 3), data.get(), Qt::NoModifier, &effect));
  EXPECT_EQ(effect, Qt::MoveAction);
  EXPECT_TRUE(g.Highlighted(3, 3));
  g.events.Leave();
  EXPECT_FALSE(g.Highlighted(3, 3));
}

TEST(GridDragDrop, TheEnterIsTakenWheneverTextIsOffered) {
  DragLayout g;
  const auto text = Text("t");
  QMimeData image;
  image.setImageData(QColor(Qt::red));
  Qt::DropAction effect = Qt::MoveAction;
  g->SetItemState(1, 1, CellReadOnly);
  // Over a read-only cell the drag is still taken, so that moving on may find a cell.
  EXPECT_TRUE(g.events.Enter(CellCentre(*g, 1, 1), text.get(), Qt::NoModifier, &effect));
  EXPECT_EQ(effect, Qt::IgnoreAction);
  EXPECT_FALSE(g.Highlighted(1, 1));
  EXPECT_TRUE(g.events.Over(CellCentre(*g, 1, 2), text.get(), Qt::NoModifier));
  g.events.Leave();
  EXPECT_FALSE(g.events.Enter(CellCentre(*g, 1, 2), &image, Qt::NoModifier));
  // A grid that is not editable takes the drag and drops nowhere.
  g->SetEditable(false);
  EXPECT_TRUE(g.events.Enter(CellCentre(*g, 1, 2), text.get(), Qt::NoModifier, &effect));
  EXPECT_EQ(effect, Qt::IgnoreAction);
  EXPECT_FALSE(g.events.Over(CellCentre(*g, 1, 2), text.get(), Qt::NoModifier));
  EXPECT_EQ(g.events.Drop(CellCentre(*g, 1, 2), text.get(), Qt::NoModifier), Qt::IgnoreAction);
  // With drag and drop off nothing is taken.
  g->SetEditable(true);
  g->EnableDragAndDrop(false);
  EXPECT_FALSE(g.events.Enter(CellCentre(*g, 1, 2), text.get(), Qt::NoModifier));
  EXPECT_EQ(g->GetItemText(1, 2), "12");
}

TEST(GridDragDrop, ADropPastesAtTheCellWithoutSelecting) {
  DragLayout g;
  g->SelectRange(4, 1, 4, 2);
  const auto data = Text("p\tq\r\nr");
  g.events.Enter(CellCentre(*g, 2, 2), data.get(), Qt::NoModifier);
  EXPECT_EQ(g.events.Drop(CellCentre(*g, 2, 2), data.get(), Qt::ControlModifier), Qt::CopyAction);
  EXPECT_EQ(g->GetItemText(2, 2), "p");
  EXPECT_EQ(g->GetItemText(2, 3), "q");
  EXPECT_EQ(g->GetItemText(3, 2), "r");
  EXPECT_EQ(g->GetSelectedCount(), 0);
  EXPECT_FALSE(g.Highlighted(2, 2));
  EXPECT_EQ(g.owner.Codes(), (Codes{"-105 2,2", "-106 2,2", "-105 2,3", "-106 2,3", "-105 3,2", "-106 3,2"}));

  // Onto a read-only cell nothing is dropped.
  g->SetItemState(1, 1, CellReadOnly);
  g.events.Enter(CellCentre(*g, 1, 1), data.get(), Qt::NoModifier);
  EXPECT_EQ(g.events.Drop(CellCentre(*g, 1, 1), data.get(), Qt::NoModifier), Qt::IgnoreAction);
  EXPECT_EQ(g->GetItemText(1, 1), "11");
  EXPECT_EQ(g->GetItemText(1, 2), "12");
}

TEST(GridDragDrop, DraggingWithinTheGridMovesOrWithCtrlCopies) {
  struct Case {
    CCellID dropOn;
    Qt::KeyboardModifiers keys;
    const char* row1;  // columns 1 to 4 after the drop
    const char* row3;
  };
  const Case cases[] = {
      {{3, 1}, Qt::NoModifier, "|||14", "11|12|33|34"},  // moved
      {{3, 1}, Qt::ControlModifier, "11|12||14", "11|12|33|34"},  // copied
      {{1, 2}, Qt::NoModifier, "|11|12|14", "31|32|33|34"},  // moved onto itself, one to the right
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "drop on " << c.dropOn.row << "," << c.dropOn.col);
    DragLayout g;
    g->SetItemText(1, 3, "");
    g->SelectRange(1, 1, 1, 2);
    g.dragging->dropOn = c.dropOn;
    g.dragging->keys = c.keys;
    g.DragFrom(1, 1);
    EXPECT_EQ(g.dragging->drags, 1);
    EXPECT_EQ(g.dragging->carried, "11\t12");
    auto row = [&g](int r) {
      std::string s;
      for (int col = 1; col < 5; ++col) s += (col > 1 ? "|" : "") + g->GetItemText(r, col);
      return s;
    };
    EXPECT_EQ(row(1), c.row1);
    EXPECT_EQ(row(3), c.row3);
    EXPECT_EQ(g.owner.Codes().front(), "-109 1,1");  // the press on a selected cell selected nothing
    EXPECT_EQ(g->GetMouseMode(), MouseNone);
    EXPECT_EQ(g->GetSelectedCount(), 0);
  }
}

TEST(GridDragDrop, ADragThatEndsElsewhere) {
  // Moved to another window the cells it took are emptied, and no others; copied
  // or dropped nowhere they stay.
  for (Qt::DropAction effect : {Qt::MoveAction, Qt::CopyAction, Qt::IgnoreAction}) {
    SCOPED_TRACE(effect);
    DragLayout g;
    g->SelectRange(2, 2, 2, 3);
    g.dragging->elsewhere = effect;
    g.DragFrom(2, 2);
    const bool moved = effect == Qt::MoveAction;
    EXPECT_EQ(g->GetItemText(2, 2), moved ? "" : "22");
    EXPECT_EQ(g->GetItemText(2, 3), moved ? "" : "23");
    EXPECT_EQ(g->GetItemText(2, 1), "21");
    ASSERT_FALSE(g.owner.log.empty());
    EXPECT_EQ(g.owner.Codes().front(), "-109 2,2");
  }
  {
    // The platform's own drag (here one that drops nowhere) changes nothing.
    OwnedGrid g(5, 5, 1, 1, {20}, {50}, QSize(400, 200));
    g->SetItemText(2, 2, "22");
    g->EnableDragAndDrop();
    g->SelectRange(2, 2, 2, 3);
    g->OnBeginDrag();
    EXPECT_EQ(g->GetItemText(2, 2), "22");
    EXPECT_EQ(g->GetMouseMode(), MouseNone);
    EXPECT_EQ(g.owner.Codes(), (Codes{"-109 2,2"}));
  }
  {
    // Drag and drop off: a press on a selected cell and a move start nothing.
    DragLayout g;
    g->EnableDragAndDrop(false);
    g->SelectRange(2, 2, 2, 3);
    g.DragFrom(2, 2);
    g->OnBeginDrag();
    EXPECT_EQ(g.dragging->drags, 0);
  }
}

TEST(GridDragDrop, TheDragImageIsAPictureOfTheFocusCell) {
  DragLayout g;
  g->SetFocusCell(2, 3);
  CPoint hotSpot;
  std::unique_ptr<CImageList> images(g->CreateDragImage(&hotSpot));
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(images->GetImageCount(), 1);
  EXPECT_EQ(images->GetImageSize(), CSize(50, 20));
  EXPECT_EQ(hotSpot, CPoint(50, 20));
  g->SetFocusCell(-1, -1);
  EXPECT_EQ(g->CreateDragImage(&hotSpot), nullptr);
}

}  // namespace
