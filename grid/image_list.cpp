#include "grid/image_list.h"

int CImageList::Add(const QPixmap& picture) {
  images_.push_back(picture.size() == QSize(cx_, cy_) ? picture : picture.scaled(cx_, cy_));
  return static_cast<int>(images_.size()) - 1;
}

bool CImageList::GetImageInfo(int index, IMAGEINFO* info) const {
  if (index < 0 || index >= GetImageCount() || info == nullptr) return false;
  info->rcImage = CRect(index * cx_, 0, (index + 1) * cx_, cy_);
  return true;
}

bool CImageList::Draw(CDC* dc, int index, CPoint at, UINT /*style: only ILD_NORMAL is used*/) const {
  if (dc == nullptr || dc->GetPainter() == nullptr || index < 0 || index >= GetImageCount()) return false;
  dc->GetPainter()->drawPixmap(at.x, at.y, images_[static_cast<size_t>(index)]);
  return true;
}
