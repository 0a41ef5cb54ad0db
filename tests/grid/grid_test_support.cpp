#include "tests/grid/grid_test_support.h"

#include <QApplication>

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

}  // namespace zv::test
