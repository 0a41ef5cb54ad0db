// The drawing layer's mapping modes and device measures, as the printing code uses
// them: logical units on the painter's window, device pixels on its viewport.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "grid/gdi_colours.h"
#include "grid/gdi_dc.h"
#include "tests/grid/grid_test_support.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

// An image of 400 x 300 pixels at 300 dots per inch with a printing DC on it.
class MappedImage : public testing::Test {
 protected:
  MappedImage() : image_(400, 300, QImage::Format_RGB32) {
    image_.fill(Qt::white);
    image_.setDotsPerMeterX(11811);
    image_.setDotsPerMeterY(11811);
    painter_.begin(&image_);
  }
  const QImage& Finish() {
    painter_.end();
    return image_;
  }
  COLORREF At(int x, int y) { return zv::FromQColor(image_.pixelColor(x, y)); }
  // The rows of column x that are not white.
  int InkRows(int x) {
    int n = 0;
    for (int y = 0; y < image_.height(); ++y) n += At(x, y) != RGB(255, 255, 255) ? 1 : 0;
    return n;
  }

  QImage image_;
  QPainter painter_;
  CDC dc_{&painter_, true};
};

TEST_F(MappedImage, DeviceMeasures) {
  EXPECT_EQ(dc_.GetDeviceCaps(HORZRES), 400);
  EXPECT_EQ(dc_.GetDeviceCaps(VERTRES), 300);
  EXPECT_EQ(dc_.GetDeviceCaps(LOGPIXELSX), 300);
  EXPECT_EQ(dc_.GetDeviceCaps(LOGPIXELSY), 300);
  EXPECT_EQ(dc_.GetDeviceCaps(HORZSIZE), 34);  // 400 / 300 inch
  EXPECT_EQ(dc_.GetDeviceCaps(VERTSIZE), 25);
  EXPECT_EQ(dc_.GetDeviceCaps(12345), 0);
  const CDC measuring;
  EXPECT_EQ(measuring.GetDeviceCaps(HORZRES), 0);
}

TEST_F(MappedImage, AnisotropicScalesLogicalUnitsOntoTheViewport) {
  EXPECT_EQ(dc_.SetMapMode(MM_ANISOTROPIC), MM_TEXT);
  dc_.SetWindowExt(100, 100);
  dc_.SetViewportExt(400, 300);
  dc_.SetWindowOrg(-10, 0);
  // Logical (0, 0)-(10, 10) is device (40, 0)-(80, 30).
  dc_.FillSolidRect(CRect(0, 0, 10, 10), kRed);
  EXPECT_EQ(dc_.OffsetWindowOrg(0, -20), CPoint(-10, 0));
  EXPECT_EQ(dc_.GetWindowOrg(), CPoint(-10, -20));
  // A line of the stock pen stays one device pixel thin however large the scale.
  dc_.MoveTo(0, 20);
  dc_.LineTo(50, 20);
  // Refused extents leave the mapping as it was.
  EXPECT_EQ(dc_.SetWindowExt(0, 10), CSize());
  dc_.FillSolidRect(CRect(60, 0, 61, 1), kRed);
  Finish();
  EXPECT_EQ(At(41, 1), kRed);
  EXPECT_EQ(At(79, 29), kRed);
  EXPECT_NE(At(39, 15), kRed);
  EXPECT_NE(At(81, 15), kRed);
  EXPECT_NE(At(60, 31), kRed);
  // Logical y 20 lies at device y (20 + 20) x 3 = 120.
  EXPECT_EQ(InkRows(100), 1);
  EXPECT_NE(At(100, 120), RGB(255, 255, 255));
  // Logical (60, 0) with the origin at (-10, -20): device (280, 60) to (284, 63).
  EXPECT_EQ(At(282, 61), kRed);
}

TEST_F(MappedImage, TextModeKeepsPixelsAndTheOrigin) {
  dc_.SetMapMode(MM_ANISOTROPIC);
  dc_.SetWindowExt(10, 10);
  dc_.SetViewportExt(400, 300);
  dc_.SetMapMode(MM_TEXT);
  dc_.SetWindowOrg(-5, -5);
  dc_.FillSolidRect(CRect(0, 0, 3, 3), kRed);
  EXPECT_EQ(dc_.SetMapMode(12345), 0);
  EXPECT_EQ(dc_.GetMapMode(), MM_TEXT);
  Finish();
  EXPECT_EQ(At(5, 5), kRed);
  EXPECT_EQ(At(7, 7), kRed);
  EXPECT_NE(At(8, 8), kRed);
  EXPECT_NE(At(4, 4), kRed);
}

}  // namespace
