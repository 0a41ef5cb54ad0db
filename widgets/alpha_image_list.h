#pragma once
// CAlphaImageList: the three picture lists of a toolbar (normal, hot, disabled),
// made once from one bitmap strip.
//
// Create() sets the picture size and the colour depth: 32 when alpha is asked
// for (the lists then hold normal, hot and disabled pictures), else 4 (normal
// pictures only). LoadBitmap() reads the strip and computes the pictures:
//   - a 32-bit bitmap in 32-bit lists keeps its alpha; the disabled picture is
//     grey, the hot one darker, both with the same alpha;
//   - a 24-bit bitmap, or any bitmap in lists of fewer bits, is opaque except
//     for the key colour (192, 192, 192), which is transparent in every list.
//     The mask comes from the loaded pixels, so a pixel that the rules turn into
//     the key colour stays visible.
// Disabled: grey = 0.299 R + 0.587 G + 0.114 B, then 255 * (grey / 255)^0.5;
// hot: each channel 255 * (c / 255)^1.4; both truncated to integers.
//
// Each list is one ARGB32 strip, picture i at x = i * width. Pictures are read
// from ":/toolbar/<id>.bmp" (the resource root can be changed), so any program's
// resource file serves.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class CAlphaImageList {
 public:
  enum Which { kNormal = 0, kHot = 1, kDisabled = 2 };
  static constexpr QRgb kKeyColour = 0xFFC0C0C0;  // (192, 192, 192)

  CAlphaImageList() = default;
  virtual ~CAlphaImageList();

  // Empties the lists and sets their size; `count` picture slots are reserved.
  // False for a size that is not positive.
  bool Create(int width, int height, int alpha, int count);
  // The bitmap ":/toolbar/<id>.bmp" (under the resource root).
  bool LoadBitmap(int id);
  // The same from the bytes of a bitmap file.
  bool LoadBitmapData(const QByteArray& bmp);

  // The strip of list 0 (normal), 1 (hot) or 2 (disabled); null for any other
  // value. The hot and disabled strips are null images without alpha.
  const QImage* GetListHandle(int which) const;
  // Picture `index` of a list (a null image when there is none).
  QImage Picture(int which, int index) const;

  int depth() const { return depth_; }
  QSize image_size() const { return size_; }  // (-1, -1) until Create
  int slot_count() const { return slots_; }   // reserved and loaded slots
  int image_count() const { return images_; }
  // The bitmap's bits (24 or 32) after a load, else 0.
  int bitmap_bits() const { return bitmap_bits_; }

  void SetResourceRoot(const QString& root) { root_ = root; }
  const QString& resource_root() const { return root_; }

 private:
  void Clear();

  QImage lists_[3];
  int depth_ = 0;
  QSize size_{-1, -1};
  int slots_ = 0;
  int images_ = 0;
  int bitmap_bits_ = 0;
  QString root_ = QStringLiteral(":/toolbar");
};
