#include "tests/widgets/bitmap_builder.h"

#include <cstdint>

namespace zv::test {
namespace {

void Put16(QByteArray& b, int v) {
  b.append(static_cast<char>(v & 0xFF));
  b.append(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(QByteArray& b, int64_t v) {
  for (int i = 0; i < 4; ++i) b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

QByteArray MakeBitmapFile(int width, int height, int bits,
                          const std::function<QRgb(int x, int y)>& pixel, bool top_down) {
  const int bpp = bits / 8;
  const int row = (width * bpp + 3) / 4 * 4;
  QByteArray data;
  for (int r = 0; r < height; ++r) {
    const int y = top_down ? r : height - 1 - r;
    for (int x = 0; x < width; ++x) {
      const QRgb c = pixel(x, y);
      data.append(static_cast<char>(qBlue(c)));
      data.append(static_cast<char>(qGreen(c)));
      data.append(static_cast<char>(qRed(c)));
      if (bits == 32) data.append(static_cast<char>(qAlpha(c)));
    }
    data.append(QByteArray(row - width * bpp, '\x55'));  // padding that is no pixel
  }
  QByteArray file("BM");
  Put32(file, 54 + data.size());
  Put32(file, 0);
  Put32(file, 54);
  Put32(file, 40);
  Put32(file, width);
  Put32(file, top_down ? -height : height);
  Put16(file, 1);
  Put16(file, bits);
  Put32(file, 0);
  Put32(file, data.size());
  Put32(file, 2835);
  Put32(file, 2835);
  Put32(file, 0);
  Put32(file, 0);
  return file + data;
}

QByteArray Words(std::initializer_list<int> words) {
  QByteArray out;
  for (int w : words) Put16(out, w);
  return out;
}

}  // namespace zv::test
