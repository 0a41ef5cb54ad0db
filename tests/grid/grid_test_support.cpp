#include "tests/grid/grid_test_support.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "grid/gdi_colours.h"

namespace zv::test {

DistinctPalette::DistinctPalette() : saved_(QGuiApplication::palette()) {
  QPalette p = saved_;
  struct Role {
    QPalette::ColorRole role;
    QColor colour;
  };
  const Role roles[] = {
      {QPalette::Base, QColor(250, 250, 240)},       {QPalette::Text, QColor(10, 20, 30)},
      {QPalette::Highlight, QColor(20, 40, 200)},     {QPalette::HighlightedText, QColor(240, 230, 20)},
      {QPalette::Button, QColor(200, 200, 190)},      {QPalette::Dark, QColor(120, 110, 100)},
      {QPalette::Light, QColor(255, 255, 254)},       {QPalette::Shadow, QColor(30, 0, 40)},
      {QPalette::Midlight, QColor(225, 215, 205)},    {QPalette::ButtonText, QColor(5, 5, 60)},
      {QPalette::Window, QColor(190, 180, 170)},      {QPalette::ToolTipBase, QColor(255, 255, 200)},
      {QPalette::ToolTipText, QColor(0, 0, 1)},
  };
  for (const Role& r : roles) p.setColor(QPalette::All, r.role, r.colour);
  QApplication::setPalette(p);
}

DistinctPalette::~DistinctPalette() { QApplication::setPalette(saved_); }

Canvas::Canvas(int width, int height) : image_(width, height, QImage::Format_RGB32) {
  image_.fill(zv::ToQColor(kMarker));
  painter_ = std::make_unique<QPainter>(&image_);
  dc_ = std::make_unique<CDC>(painter_.get());
}

CDC* Canvas::dc() {
  if (!dc_) ADD_FAILURE() << "drawing after the pixels were read";
  return dc_.get();
}

const QImage& Canvas::Image() {
  if (painter_) {
    dc_.reset();
    painter_->end();
    painter_.reset();
  }
  return image_;
}

COLORREF Canvas::Pixel(int x, int y) { return zv::FromQColor(Image().pixelColor(x, y)); }

int Canvas::Count(COLORREF colour, const CRect& area) {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (Pixel(x, y) == colour) ++n;
  return n;
}

Canvas::Rows Canvas::RowsOf(COLORREF colour) {
  Rows rows;
  const QImage& img = Image();
  for (int y = 0; y < img.height(); ++y) {
    const int n = Count(colour, CRect(0, y, img.width(), y + 1));
    if (n == 0) continue;
    if (rows.top < 0) {
      rows.top = y;
      rows.topCount = n;
    }
    rows.bottom = y;
    rows.bottomCount = n;
  }
  return rows;
}

CRect Canvas::Ink() {
  const QImage& img = Image();
  CRect box(img.width(), img.height(), -1, -1);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (Pixel(x, y) != kMarker) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
  return box;
}

CreatedGrid::CreatedGrid(int rows, int cols, int fixedRows, int fixedCols)
    : grid(new CGridCtrl(rows, cols, fixedRows, fixedCols)) {
  parent.resize(400, 300);
  if (!grid->Create(CRect(0, 0, 400, 300), &parent, 100)) ADD_FAILURE() << "grid not created";
}

void RecordingOwner::Add(int code, int row, int col) {
  log.push_back({code, row, col, grid != nullptr ? grid->GetFocusCell() : CCellID(),
                 grid != nullptr ? grid->GetSelectedCount() : 0});
}

LRESULT RecordingOwner::OnGridNotify(const GridNotify& notify) {
  Add(notify.hdr.code, notify.iRow, notify.iColumn);
  return answer ? answer(notify) : 0;
}

LRESULT RecordingOwner::OnGridCacheHint(const GridCacheHint& hint) {
  cacheHints.push_back(hint.range);
  return 0;
}

void RecordingOwner::OnGridClicked(UINT controlId) { Add(kClicked, static_cast<int>(controlId), 0); }

void RecordingOwner::contextMenuEvent(QContextMenuEvent* event) {
  const QPoint at = grid != nullptr ? grid->viewport()->mapFrom(this, event->pos()) : event->pos();
  Add(event->reason() == QContextMenuEvent::Mouse ? kContextMenu : kKeyboardMenu, at.x(), at.y());
}

std::vector<std::string> RecordingOwner::Codes() const {
  std::vector<std::string> codes;
  for (const Entry& e : log) codes.push_back(std::to_string(e.code) + " " + std::to_string(e.row) + "," + std::to_string(e.col));
  return codes;
}

OwnedGrid::OwnedGrid(int rows, int cols, int fixedRows, int fixedCols, const std::vector<int>& heights,
                     const std::vector<int>& widths, QSize client)
    : OwnedGrid(new CGridCtrl(rows, cols, fixedRows, fixedCols), heights, widths, client) {}

OwnedGrid::OwnedGrid(CGridCtrl* made, const std::vector<int>& heights, const std::vector<int>& widths,
                     QSize client)
    : grid(made) {
  const int rows = grid->GetRowCount(), cols = grid->GetColumnCount();
  owner.grid = grid;
  owner.resize(client.width() + 100, client.height() + 100);
  const int frame = 2 * grid->frameWidth();
  if (!grid->Create(CRect(0, 0, client.width() + frame, client.height() + frame), &owner, 100))
    ADD_FAILURE() << "grid not created";
  auto pick = [](const std::vector<int>& sizes, int i) { return sizes[std::min(static_cast<size_t>(i), sizes.size() - 1)]; };
  if (!heights.empty())
    for (int row = 0; row < rows; ++row) grid->SetRowHeight(row, pick(heights, row));
  if (!widths.empty())
    for (int col = 0; col < cols; ++col) grid->SetColumnWidth(col, pick(widths, col));
  owner.show();
  ProcessPosted();
  owner.Clear();
}

HiddenLayout::HiddenLayout(CGridCtrl* made) : OwnedGrid(made, {25, 20, 20, 0, 20}, {40, 50, 0, 50}) {
  if (grid->GetClientRect() != CRect(0, 0, 186, 86)) ADD_FAILURE() << "scroll bars are not 14 pixels here";
}

EditLayout::EditLayout(CGridCtrl* made) : HiddenLayout(made) {
  for (int row = 1; row < grid->GetRowCount(); ++row)
    for (int col = 1; col < grid->GetColumnCount(); ++col)
      grid->SetItemText(row, col, "t" + std::to_string(row) + std::to_string(col));
  grid->SetModified(false);
  grid->SetFocusCell(2, 1);
  grid->setFocus();
  ProcessPosted();
  if (QApplication::focusWidget() != grid) ADD_FAILURE() << "the grid has no keyboard focus";
  owner.Clear();
}

CCellID EditLayout::Editing() const {
  CInPlaceEdit* editor = OpenEditor(*grid);
  return editor != nullptr ? CCellID(editor->GetRow(), editor->GetCol()) : CCellID();
}

OwnedGrid::~OwnedGrid() { owner.grid = nullptr; }

int OwnedGrid::BarWidth() const { return grid->verticalScrollBar()->sizeHint().width(); }
int OwnedGrid::BarHeight() const { return grid->horizontalScrollBar()->sizeHint().height(); }

namespace {

void SendMouse(CGridCtrl& grid, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers) {
  QWidget* viewport = grid.viewport();
  QMouseEvent event(type, QPointF(at), QPointF(viewport->mapToGlobal(at)), button, buttons, modifiers);
  QCoreApplication::sendEvent(viewport, &event);
}

}  // namespace

void Press(CGridCtrl& grid, QPoint at, Qt::KeyboardModifiers modifiers, Qt::MouseButton button) {
  SendMouse(grid, QEvent::MouseButtonPress, at, button, button, modifiers);
}

void Release(CGridCtrl& grid, QPoint at, Qt::KeyboardModifiers modifiers, Qt::MouseButton button) {
  SendMouse(grid, QEvent::MouseButtonRelease, at, button, Qt::NoButton, modifiers);
}

void Move(CGridCtrl& grid, QPoint at, Qt::MouseButtons held) {
  SendMouse(grid, QEvent::MouseMove, at, Qt::NoButton, held, Qt::NoModifier);
}

void Click(CGridCtrl& grid, QPoint at, Qt::KeyboardModifiers modifiers, Qt::MouseButton button) {
  Press(grid, at, modifiers, button);
  Release(grid, at, modifiers, button);
}

void DoubleClick(CGridCtrl& grid, QPoint at) {
  Press(grid, at);
  Release(grid, at);
  SendMouse(grid, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  Release(grid, at);
}

void Wheel(CGridCtrl& grid, QPoint at, int delta) {
  QWidget* viewport = grid.viewport();
  QWheelEvent event(QPointF(at), QPointF(viewport->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(viewport, &event);
}

bool Key(QWidget& target, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QCoreApplication::sendEvent(&target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QCoreApplication::sendEvent(&target, &release);
  return press.isAccepted();
}

CInPlaceEdit* OpenEditor(const CGridCtrl& grid) {
  for (CInPlaceEdit* editor : grid.viewport()->findChildren<CInPlaceEdit*>())
    if (!editor->isHidden()) return editor;
  return nullptr;
}

QPoint CellCentre(const CGridCtrl& grid, int row, int col) {
  CRect rect;
  if (!grid.GetCellRect(row, col, &rect)) ADD_FAILURE() << "cell " << row << "," << col << " has no place";
  return QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

void ProcessPosted() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

}  // namespace zv::test
