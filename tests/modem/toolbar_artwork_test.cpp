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

// Each button carries its own three pictures (none left to Qt to make up): the
// key-colour pixels of the strip are clear in every state and all others opaque,
// the disabled picture is grey and differs from the normal one.
TEST(ToolbarArtwork, ToolbarLoadsWithThreeStates) {
  zv::test::InitModemResources();
  zv::BitmapPicture strip;
  ASSERT_TRUE(zv::ReadBitmapFile(Resource(":/toolbar/128.bmp"), &strip));
  CAlphaToolBar bar;
  ASSERT_TRUE(bar.LoadToolBar(128, 1));
  EXPECT_EQ(bar.actions().size(), 5);
  EXPECT_TRUE(bar.actions()[1]->isSeparator());
  EXPECT_EQ(bar.button_size(), QSize(40, 39));
  const int commands[] = {57601, 32774, 32773, 32788};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(commands[i]);
    QAction* action = bar.CommandAction(commands[i]);
    ASSERT_NE(action, nullptr);
    QImage state[3];
    const QIcon::Mode modes[3] = {QIcon::Normal, QIcon::Active, QIcon::Disabled};
    for (int m = 0; m < 3; ++m) {
      ASSERT_EQ(action->icon().availableSizes(modes[m]), QList<QSize>({QSize(32, 32)})) << m;
      state[m] = action->icon().pixmap(QSize(32, 32), modes[m]).toImage().convertToFormat(QImage::Format_ARGB32);
      ASSERT_EQ(state[m].size(), QSize(32, 32));
    }
    int grey_differs = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const bool key = strip.image.pixel(i * 32 + x, y) == qRgb(192, 192, 192);
        for (int m = 0; m < 3; ++m) ASSERT_EQ(qAlpha(state[m].pixel(x, y)), key ? 0 : 255) << m << " " << x << "," << y;
        if (key) continue;
        const QRgb d = state[2].pixel(x, y);
        ASSERT_TRUE(qRed(d) == qGreen(d) && qGreen(d) == qBlue(d)) << x << "," << y;
        if (d != state[0].pixel(x, y)) ++grey_differs;
      }
    EXPECT_GT(grey_differs, 0);
  }
  EXPECT_TRUE(QImage(QStringLiteral(":/toolbar/icon.png")).size() == QSize(32, 32));
}

}  // namespace
