#pragma once
// Shared pieces of the grid tests: a palette whose system colours all differ, images
// to draw into, and a created grid inside a parent widget.

#include <QImage>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

#include "grid/gdi_dc.h"
#include "grid/grid_ctrl.h"

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

}  // namespace zv::test
