// The committed toolbar artwork: the layout words, the 24-bit strip of four
// pictures that each have key-colour and drawn pixels, and the toolbar made
// from them.

#include <QFile>
#include <QIcon>
#include <QImage>
#include <gtest/gtest.h>

#include "tests/modem/modem_resources.h"
#include "widgets/alpha_toolbar.h"
#include "widgets/bitmap_file.h"

namespace {

QByteArray Resource(const char* path) {
  QFile file(QString::fromLatin1(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ToolbarArtwork, LayoutWords) {
  zv::test::InitModemResources();
  const QByteArray tlb = Resource(":/toolbar/128.tlb");
  ASSERT_EQ(tlb.size(), 18);
  const int expected[] = {1, 32, 32, 5, 57601, 0, 32774, 32773, 32788};
  for (int i = 0; i < 9; ++i) {
    const int word = static_cast<unsigned char>(tlb[2 * i]) | static_cast<unsigned char>(tlb[2 * i + 1]) << 8;
    EXPECT_EQ(word, expected[i]) << i;
  }
}

TEST(ToolbarArtwork, StripOfFourPicturesWithKeyAndDrawnPixels) {
  zv::test::InitModemResources();
  zv::BitmapPicture strip;
  ASSERT_TRUE(zv::ReadBitmapFile(Resource(":/toolbar/128.bmp"), &strip));
  EXPECT_EQ(strip.bits, 24);
  ASSERT_EQ(strip.image.size(), QSize(128, 32));
  for (int i = 0; i < 4; ++i) {
    int key = 0, drawn = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        (strip.image.pixel(i * 32 + x, y) == qRgb(192, 192, 192) ? key : drawn)++;
    EXPECT_GT(key, 0) << i;
    EXPECT_GT(drawn, 0) << i;
  }
}

TEST(ToolbarArtwork, ToolbarLoadsWithThreeStates) {
  zv::test::InitModemResources();
  CAlphaToolBar bar;
  ASSERT_TRUE(bar.LoadToolBar(128, 1));
  EXPECT_EQ(bar.actions().size(), 5);
  EXPECT_EQ(bar.button_size(), QSize(40, 39));
  for (int command : {57601, 32774, 32773, 32788}) {
    SCOPED_TRACE(command);
    QAction* action = bar.CommandAction(command);
    ASSERT_NE(action, nullptr);
    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Active, QIcon::Disabled}) {
      const QImage image = action->icon().pixmap(QSize(32, 32), mode).toImage().convertToFormat(QImage::Format_ARGB32);
      int clear = 0, opaque = 0;
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) (qAlpha(image.pixel(x, y)) == 0 ? clear : opaque)++;
      EXPECT_GT(clear, 0) << mode;
      EXPECT_GT(opaque, 0) << mode;
    }
  }
  EXPECT_TRUE(QImage(QStringLiteral(":/toolbar/icon.png")).size() == QSize(32, 32));
}

}  // namespace
