// The toolbar's three picture lists: the pixel rules of the normal, hot and
// disabled pictures, the key colour, padded rows, alpha, and damaged bitmaps.

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>
#include <vector>

#include "tests/widgets/bitmap_builder.h"
#include "widgets/alpha_image_list.h"
#include "widgets/bitmap_file.h"

namespace {

using zv::test::MakeBitmapFile;

struct PixelCase {
  QRgb source;
  QRgb normal, hot, disabled;  // with alpha
};

QRgb Grey(int v) { return qRgb(v, v, v); }

// One picture per pixel case, each 1 x 1: a strip of `cases` pixels.
CAlphaImageList ListOf(const std::vector<PixelCase>& cases, int bits, int alpha) {
  CAlphaImageList list;
  EXPECT_TRUE(list.Create(1, 1, alpha, static_cast<int>(cases.size())));
  EXPECT_TRUE(list.LoadBitmapData(MakeBitmapFile(
      static_cast<int>(cases.size()), 1, bits, [&](int x, int) { return cases[x].source; })));
  return list;
}

TEST(AlphaImageList, KeyColourRulesForA24BitStrip) {
  const QRgb clear = 0;
  const std::vector<PixelCase> cases = {
      {qRgb(255, 255, 255), Grey(255), Grey(255), Grey(255)},
      {qRgb(0, 0, 0), Grey(0), Grey(0), Grey(0)},
      // grey 76.245: 255 * (76.245 / 255)^0.5 = 139.4
      {qRgb(255, 0, 0), qRgb(255, 0, 0), qRgb(255, 0, 0), Grey(139)},
      // 255 * (128 / 255)^1.4 = 97.1; grey 128 gives 180.6 when disabled
      {qRgb(128, 128, 128), Grey(128), Grey(97), Grey(180)},
      {qRgb(128, 0, 255), qRgb(128, 0, 255), qRgb(97, 0, 255), Grey(131)},
      // The key colour is transparent in all three pictures.
      {qRgb(192, 192, 192), clear, clear, clear},
      // A grey that the disabled rule turns into the key colour stays visible.
      {qRgb(145, 145, 145), Grey(145), Grey(115), Grey(192)},
  };
  const CAlphaImageList list = ListOf(cases, 24, 1);
  EXPECT_EQ(list.depth(), 32);
  EXPECT_EQ(list.bitmap_bits(), 24);
  ASSERT_EQ(list.image_count(), static_cast<int>(cases.size()));
  for (size_t i = 0; i < cases.size(); ++i) {
    const int n = static_cast<int>(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(list.Picture(CAlphaImageList::kNormal, n).pixel(0, 0), cases[i].normal);
    EXPECT_EQ(list.Picture(CAlphaImageList::kHot, n).pixel(0, 0), cases[i].hot);
    EXPECT_EQ(list.Picture(CAlphaImageList::kDisabled, n).pixel(0, 0), cases[i].disabled);
  }
}

TEST(AlphaImageList, ThirtyTwoBitStripKeepsItsAlpha) {
  const std::vector<PixelCase> cases = {
      {qRgba(255, 0, 0, 100), qRgba(255, 0, 0, 100), qRgba(255, 0, 0, 100), qRgba(139, 139, 139, 100)},
      // No key colour with alpha: this grey is as opaque as its alpha says.
      {qRgba(192, 192, 192, 200), qRgba(192, 192, 192, 200), qRgba(171, 171, 171, 200),
       qRgba(221, 221, 221, 200)},
      {qRgba(128, 128, 128, 0), qRgba(128, 128, 128, 0), qRgba(97, 97, 97, 0), qRgba(180, 180, 180, 0)},
  };
  const CAlphaImageList list = ListOf(cases, 32, 1);
  EXPECT_EQ(list.bitmap_bits(), 32);
  for (size_t i = 0; i < cases.size(); ++i) {
    const int n = static_cast<int>(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(list.Picture(CAlphaImageList::kNormal, n).pixel(0, 0), cases[i].normal);
    EXPECT_EQ(list.Picture(CAlphaImageList::kHot, n).pixel(0, 0), cases[i].hot);
    EXPECT_EQ(list.Picture(CAlphaImageList::kDisabled, n).pixel(0, 0), cases[i].disabled);
  }
}

TEST(AlphaImageList, WithoutAlphaOnlyNormalPicturesWithTheKeyColour) {
  for (int bits : {24, 32}) {
    SCOPED_TRACE(bits);
    const CAlphaImageList list =
        ListOf({{qRgba(10, 20, 30, 50), 0, 0, 0}, {qRgba(192, 192, 192, 255), 0, 0, 0}}, bits, 0);
    EXPECT_EQ(list.depth(), 4);
    // The alpha of a 32-bit picture does not count in these lists.
    EXPECT_EQ(list.Picture(CAlphaImageList::kNormal, 0).pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(qAlpha(list.Picture(CAlphaImageList::kNormal, 1).pixel(0, 0)), 0);
    EXPECT_TRUE(list.GetListHandle(CAlphaImageList::kHot)->isNull());
    EXPECT_TRUE(list.GetListHandle(CAlphaImageList::kDisabled)->isNull());
    EXPECT_TRUE(list.Picture(CAlphaImageList::kHot, 0).isNull());
  }
  CAlphaImageList list;
  EXPECT_EQ(list.GetListHandle(3), nullptr);
  EXPECT_EQ(list.GetListHandle(-1), nullptr);
}

// 15 pixels of 3 bytes make 45 bytes a row, padded to 48: each row must be read
// from its own start. Both row orders of the file.
TEST(AlphaImageList, PaddedRowsAreReadRowByRow) {
  auto colour = [](int x, int y) { return qRgb(10 + x * 15, 20 + y * 40, 200 - x * 5 - y); };
  for (bool top_down : {false, true}) {
    SCOPED_TRACE(top_down);
    CAlphaImageList list;
    ASSERT_TRUE(list.Create(5, 4, 1, 3));
    ASSERT_TRUE(list.LoadBitmapData(MakeBitmapFile(15, 4, 24, colour, top_down)));
    ASSERT_EQ(list.image_count(), 3);
    for (int i = 0; i < 3; ++i) {
      const QImage normal = list.Picture(CAlphaImageList::kNormal, i);
      ASSERT_EQ(normal.size(), QSize(5, 4));
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) ASSERT_EQ(normal.pixel(x, y), colour(i * 5 + x, y)) << i << x << y;
    }
  }
}

TEST(AlphaImageList, SlotsAndSizes) {
  CAlphaImageList list;
  EXPECT_EQ(list.image_size(), QSize(-1, -1));
  // Without a size nothing loads.
  EXPECT_FALSE(list.LoadBitmapData(MakeBitmapFile(4, 4, 24, [](int, int) { return 0u; })));
  EXPECT_FALSE(list.Create(0, 16, 1, 1));
  EXPECT_EQ(list.image_size(), QSize(-1, -1));
  // Five slots reserved (a toolbar with a separator), four pictures loaded.
  ASSERT_TRUE(list.Create(2, 2, 1, 5));
  ASSERT_TRUE(list.LoadBitmapData(MakeBitmapFile(8, 2, 24, [](int, int) { return qRgb(1, 2, 3); })));
  EXPECT_EQ(list.slot_count(), 5);
  EXPECT_EQ(list.image_count(), 4);
  EXPECT_EQ(list.GetListHandle(CAlphaImageList::kNormal)->size(), QSize(10, 2));
  EXPECT_TRUE(list.Picture(CAlphaImageList::kNormal, 4).isNull());
  // A strip taller than the pictures gives its top rows; a narrower one nothing.
  ASSERT_TRUE(list.Create(2, 1, 1, 1));
  ASSERT_TRUE(list.LoadBitmapData(MakeBitmapFile(2, 3, 24, [](int, int y) { return qRgb(y, 0, 0); })));
  EXPECT_EQ(list.Picture(CAlphaImageList::kNormal, 0).pixel(0, 0), qRgb(0, 0, 0));
  ASSERT_TRUE(list.Create(4, 1, 1, 1));
  EXPECT_FALSE(list.LoadBitmapData(MakeBitmapFile(3, 1, 24, [](int, int) { return 0u; })));
}

TEST(AlphaImageList, DamagedBitmapsAreRefused) {
  const QByteArray good = MakeBitmapFile(4, 4, 24, [](int, int) { return qRgb(1, 2, 3); });
  QByteArray wrong_magic = good;
  wrong_magic[0] = 'X';
  QByteArray zero_width = good;
  zero_width[18] = 0;
  QByteArray huge = good;
  huge[21] = 0x7F;  // width far beyond any strip
  QByteArray bad_offset = good;
  bad_offset[10] = static_cast<char>(0xF0);
  const std::vector<QByteArray> damaged = {
      QByteArray(),        good.left(20),       good.left(good.size() - 1),
      wrong_magic,         zero_width,          huge,
      bad_offset,          QByteArray(60, 'B'),
  };
  for (size_t i = 0; i < damaged.size(); ++i) {
    SCOPED_TRACE(i);
    CAlphaImageList list;
    ASSERT_TRUE(list.Create(4, 4, 1, 1));
    EXPECT_FALSE(list.LoadBitmapData(damaged[i]));
    zv::BitmapPicture picture;
    EXPECT_FALSE(zv::ReadBitmapFile(damaged[i], &picture));
    EXPECT_TRUE(picture.image.isNull());
  }
  CAlphaImageList list;
  ASSERT_TRUE(list.Create(4, 4, 1, 1));
  EXPECT_TRUE(list.LoadBitmapData(good));
  EXPECT_FALSE(list.LoadBitmap(999));  // no such resource
}

// A bitmap that is neither 24 nor 32 bits (here 8 bits with a palette, as Qt
// writes it) is read through Qt and takes the key-colour rules.
TEST(AlphaImageList, OtherBitmapKindsCountAsTwentyFourBits) {
  QImage indexed(2, 1, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(192, 192, 192), qRgb(255, 0, 0)});
  indexed.setPixel(0, 0, 0);
  indexed.setPixel(1, 0, 1);
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(indexed.save(&buffer, "BMP"));
  }
  CAlphaImageList list;
  ASSERT_TRUE(list.Create(1, 1, 1, 2));
  ASSERT_TRUE(list.LoadBitmapData(bytes));
  EXPECT_EQ(list.bitmap_bits(), 24);
  EXPECT_EQ(qAlpha(list.Picture(CAlphaImageList::kDisabled, 0).pixel(0, 0)), 0);
  EXPECT_EQ(list.Picture(CAlphaImageList::kDisabled, 1).pixel(0, 0), Grey(139));
}

}  // namespace
