#include "widgets/alpha_image_list.h"

#include <QFile>
#include <algorithm>
#include <cmath>

#include "widgets/bitmap_file.h"

namespace {

int DisabledLevel(QRgb c) {
  const double grey = 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
  return static_cast<int>(255.0 * std::pow(grey / 255.0, 0.5));
}

int HotLevel(int channel) { return static_cast<int>(255.0 * std::pow(channel / 255.0, 1.4)); }

QRgb Disabled(QRgb c, int alpha) {
  const int v = DisabledLevel(c);
  return qRgba(v, v, v, alpha);
}

QRgb Hot(QRgb c, int alpha) {
  return qRgba(HotLevel(qRed(c)), HotLevel(qGreen(c)), HotLevel(qBlue(c)), alpha);
}

}  // namespace

CAlphaImageList::~CAlphaImageList() = default;

void CAlphaImageList::Clear() {
  for (QImage& list : lists_) list = QImage();
  size_ = QSize(-1, -1);
  slots_ = 0;
  images_ = 0;
  bitmap_bits_ = 0;
}

bool CAlphaImageList::Create(int width, int height, int alpha, int count) {
  Clear();
  depth_ = alpha == 1 ? 32 : 4;
  if (width <= 0 || height <= 0 || count < 0) return false;
  size_ = QSize(width, height);
  slots_ = count;
  return true;
}

bool CAlphaImageList::LoadBitmap(int id) {
  QFile file(QStringLiteral("%1/%2.bmp").arg(root_).arg(id));
  if (!file.open(QIODevice::ReadOnly)) return false;
  return LoadBitmapData(file.readAll());
}

bool CAlphaImageList::LoadBitmapData(const QByteArray& bmp) {
  if (size_.width() <= 0) return false;
  zv::BitmapPicture picture;
  if (!zv::ReadBitmapFile(bmp, &picture)) return false;
  const int count = picture.image.width() / size_.width();
  if (count <= 0) return false;

  const bool with_alpha = depth_ == 32 && picture.bits == 32;
  const bool derived = depth_ == 32;
  const int total = std::max(slots_, count);
  QImage normal(size_.width() * total, size_.height(), QImage::Format_ARGB32);
  if (normal.isNull()) return false;
  normal.fill(0);
  QImage hot, disabled;
  if (derived) hot = disabled = normal;
  if (derived && (hot.isNull() || disabled.isNull())) return false;

  // Row by row over the pictures that fit; parts of the list the bitmap does not
  // cover stay transparent.
  const int width = count * size_.width();
  const int height = std::min(size_.height(), picture.image.height());
  for (int y = 0; y < height; ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(picture.image.constScanLine(y));
    auto* n = reinterpret_cast<QRgb*>(normal.scanLine(y));
    auto* h = derived ? reinterpret_cast<QRgb*>(hot.scanLine(y)) : nullptr;
    auto* d = derived ? reinterpret_cast<QRgb*>(disabled.scanLine(y)) : nullptr;
    for (int x = 0; x < width; ++x) {
      const QRgb c = src[x];
      if (with_alpha) {
        n[x] = c;
        h[x] = Hot(c, qAlpha(c));
        d[x] = Disabled(c, qAlpha(c));
        continue;
      }
      if ((c | 0xFF000000u) == kKeyColour) continue;  // transparent in every list
      n[x] = c | 0xFF000000u;
      if (derived) {
        h[x] = Hot(c, 255);
        d[x] = Disabled(c, 255);
      }
    }
  }
  lists_[kNormal] = std::move(normal);
  lists_[kHot] = std::move(hot);
  lists_[kDisabled] = std::move(disabled);
  slots_ = total;
  images_ = count;
  bitmap_bits_ = picture.bits;
  return true;
}

const QImage* CAlphaImageList::GetListHandle(int which) const {
  if (which < kNormal || which > kDisabled) return nullptr;
  return &lists_[which];
}

QImage CAlphaImageList::Picture(int which, int index) const {
  const QImage* list = GetListHandle(which);
  if (!list || list->isNull() || index < 0 || index >= images_) return QImage();
  return list->copy(index * size_.width(), 0, size_.width(), size_.height());
}
