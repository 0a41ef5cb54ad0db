#pragma once
// The grid's image list: pictures of one size, drawn by index into a DC.

#include <QPixmap>
#include <vector>

#include "grid/gdi_dc.h"
#include "grid/gdi_types.h"

inline constexpr UINT ILD_NORMAL = 0;

struct IMAGEINFO {
  CRect rcImage;  // the image's place in the list's strip: its width and height
};

class CImageList {
 public:
  CImageList() = default;
  CImageList(int cx, int cy) : cx_(cx), cy_(cy) {}

  // Adds a picture, scaled to the list's size; answers its index.
  int Add(const QPixmap& picture);
  int GetImageCount() const { return static_cast<int>(images_.size()); }
  CSize GetImageSize() const { return CSize(cx_, cy_); }
  // False for an index outside the list.
  bool GetImageInfo(int index, IMAGEINFO* info) const;
  bool Draw(CDC* dc, int index, CPoint at, UINT style) const;

 private:
  int cx_ = 16;
  int cy_ = 16;
  std::vector<QPixmap> images_;
};
