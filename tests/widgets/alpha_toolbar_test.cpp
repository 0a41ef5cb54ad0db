// The toolbar from its resource: buttons, separators, sizes, the three icon
// states, and resources it must refuse.

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QToolButton>
#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "tests/widgets/bitmap_builder.h"
#include "widgets/alpha_toolbar.h"

namespace {

using zv::test::MakeBitmapFile;
using zv::test::Words;

// Picture i of a 16 x 16 strip: a key-colour border around a square of colour i.
QRgb StripPixel(int x, int y) {
  const int i = x / 16, px = x % 16;
  if (px < 2 || px > 13 || y < 2 || y > 13) return qRgb(192, 192, 192);
  const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(128, 128, 128), qRgb(255, 255, 255)};
  return colours[i % 4];
}

class AlphaToolBarTest : public testing::Test {
 protected:
  void Write(int id, const QByteArray& tlb, const QByteArray& bmp) {
    if (!tlb.isNull()) dir_.Write(std::to_string(id) + ".tlb", tlb.toStdString());
    if (!bmp.isNull()) dir_.Write(std::to_string(id) + ".bmp", bmp.toStdString());
  }
  void WriteGood(int id) {
    Write(id, Words({1, 16, 16, 5, 57601, 0, 32774, 32773, 32788}),
          MakeBitmapFile(64, 16, 24, StripPixel));
  }
  QString Root() const { return QString::fromStdString(dir_.path()); }

  zv::test::TempDir dir_;
};

TEST_F(AlphaToolBarTest, ButtonsSeparatorAndThreeIconStates) {
  WriteGood(128);
  CAlphaToolBar bar;
  bar.SetResourceRoot(Root());
  ASSERT_TRUE(bar.LoadToolBar(128, 1));
  EXPECT_EQ(bar.commands(), QVector<int>({57601, 0, 32774, 32773, 32788}));
  // The separator takes a slot of the lists too.
  EXPECT_EQ(bar.image_list().slot_count(), 5);
  EXPECT_EQ(bar.image_list().image_count(), 4);

  const QList<QAction*> actions = bar.actions();
  ASSERT_EQ(actions.size(), 5);
  EXPECT_TRUE(actions[1]->isSeparator());
  EXPECT_EQ(bar.iconSize(), QSize(16, 16));
  EXPECT_EQ(bar.button_size(), QSize(24, 23));
  EXPECT_EQ(bar.CommandAction(0), nullptr);
  EXPECT_EQ(bar.CommandAction(1), nullptr);

  // Button k shows picture k: the start button the second picture (green).
  struct Expect {
    int command;
    QRgb normal, hot, disabled;
  };
  const Expect expected[] = {
      {57601, qRgb(255, 0, 0), qRgb(255, 0, 0), qRgb(139, 139, 139)},
      {32774, qRgb(0, 255, 0), qRgb(0, 255, 0), qRgb(195, 195, 195)},
      {32773, qRgb(128, 128, 128), qRgb(97, 97, 97), qRgb(180, 180, 180)},
      {32788, qRgb(255, 255, 255), qRgb(255, 255, 255), qRgb(255, 255, 255)},
  };
  for (const Expect& e : expected) {
    SCOPED_TRACE(e.command);
    QAction* action = bar.CommandAction(e.command);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->data().toInt(), e.command);
    EXPECT_EQ(action->objectName(), QString::number(e.command));
    auto* button = qobject_cast<QToolButton*>(bar.widgetForAction(action));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->size(), QSize(24, 23));
    EXPECT_EQ(button->minimumSize(), QSize(24, 23));
    const QIcon icon = action->icon();
    for (auto [mode, colour] : {std::pair{QIcon::Normal, e.normal}, std::pair{QIcon::Active, e.hot},
                                std::pair{QIcon::Disabled, e.disabled}}) {
      ASSERT_FALSE(icon.availableSizes(mode).isEmpty()) << mode;
      const QImage image = icon.pixmap(QSize(16, 16), mode).toImage().convertToFormat(QImage::Format_ARGB32);
      EXPECT_EQ(image.pixel(8, 8), colour) << mode;
      EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << mode;  // the key colour border
    }
  }
}

TEST_F(AlphaToolBarTest, WithoutAlphaOnlyNormalIcons) {
  WriteGood(128);
  CAlphaToolBar bar;
  bar.SetResourceRoot(Root());
  ASSERT_TRUE(bar.LoadToolBar(128, 0));
  EXPECT_EQ(bar.image_list().depth(), 4);
  const QIcon icon = bar.CommandAction(32773)->icon();
  EXPECT_FALSE(icon.availableSizes(QIcon::Normal).isEmpty());
  EXPECT_TRUE(icon.availableSizes(QIcon::Active).isEmpty());
  EXPECT_TRUE(icon.availableSizes(QIcon::Disabled).isEmpty());
}

TEST_F(AlphaToolBarTest, BadResourcesAnswerFalseAndKeepTheButtons) {
  const QByteArray strip = MakeBitmapFile(64, 16, 24, StripPixel);
  struct Case {
    const char* what;
    QByteArray tlb, bmp;
  };
  const Case cases[] = {
      {"no resource", QByteArray(), strip},
      {"version 2", Words({2, 16, 16, 1, 57601}), strip},
      {"short header", Words({1, 16, 16}), strip},
      {"fewer ids than items", Words({1, 16, 16, 5, 57601, 0, 32774}), strip},
      {"picture width 0", Words({1, 0, 16, 1, 57601}), strip},
      {"no bitmap", Words({1, 16, 16, 1, 57601}), QByteArray()},
      {"damaged bitmap", Words({1, 16, 16, 1, 57601}), strip.left(40)},
  };
  int id = 200;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteGood(100);
    CAlphaToolBar bar;
    bar.SetResourceRoot(Root());
    ASSERT_TRUE(bar.LoadToolBar(100, 1));
    Write(++id, c.tlb, c.bmp);
    EXPECT_FALSE(bar.LoadToolBar(id, 1));
    EXPECT_EQ(bar.actions().size(), 5);
    EXPECT_NE(bar.CommandAction(32788), nullptr);
  }
}

}  // namespace
