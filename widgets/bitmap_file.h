#pragma once
// Reading a Windows bitmap file (BMP) the way the toolbar needs it: the pixels
// of 24-bit and 32-bit uncompressed bitmaps are taken byte by byte, each row on
// its own (rows are padded to four bytes), so a 32-bit picture keeps its alpha
// bytes. Other kinds (palette bitmaps and the like) are decoded by Qt and count
// as 24-bit pictures.

#include <QByteArray>
#include <QImage>

namespace zv {

struct BitmapPicture {
  int bits = 0;  // 24 or 32: which rules the toolbar applies
  // Format_ARGB32, top row first. At 24 bits every alpha is 255; at 32 bits the
  // file's fourth byte of each pixel.
  QImage image;
};

// False for a damaged or unknown file (`out` is then left empty).
bool ReadBitmapFile(const QByteArray& bytes, BitmapPicture* out);

}  // namespace zv
