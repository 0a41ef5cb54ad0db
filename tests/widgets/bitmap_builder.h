#pragma once
// Bitmap files (BMP) and toolbar resources made by the tests, so every pixel
// and every word is known.

#include <QByteArray>
#include <QRgb>
#include <functional>
#include <initializer_list>

namespace zv::test {

// An uncompressed 24-bit or 32-bit bitmap file; rows bottom-up unless
// `top_down`, each padded to four bytes. At 24 bits the alpha is dropped.
QByteArray MakeBitmapFile(int width, int height, int bits,
                          const std::function<QRgb(int x, int y)>& pixel, bool top_down = false);

// Little-endian 16-bit words.
QByteArray Words(std::initializer_list<int> words);

}  // namespace zv::test
