#include "widgets/bitmap_file.h"

#include <cstdint>
#include <cstdlib>

namespace zv {
namespace {

constexpr int kFileHeaderSize = 14;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
// Larger pictures are no toolbar strips; the bound keeps the size arithmetic safe.
constexpr int kMaxSide = 16384;

uint32_t Le32(const QByteArray& b, qsizetype at) {
  auto byte = [&](qsizetype i) { return static_cast<uint32_t>(static_cast<unsigned char>(b[at + i])); };
  return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}
uint16_t Le16(const QByteArray& b, qsizetype at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                               static_cast<unsigned char>(b[at + 1]) << 8);
}

// 24 or 32 bits, uncompressed (BITFIELDS only with the usual BGRA layout).
bool ReadRawPixels(const QByteArray& bytes, BitmapPicture* out, bool* handled) {
  *handled = false;
  if (bytes.size() < kFileHeaderSize + 40 || bytes[0] != 'B' || bytes[1] != 'M') return true;
  const uint32_t info_size = Le32(bytes, 14);
  if (info_size < 40 || info_size > static_cast<uint32_t>(bytes.size())) return true;
  const int32_t width = static_cast<int32_t>(Le32(bytes, 18));
  const int32_t raw_height = static_cast<int32_t>(Le32(bytes, 22));
  const int bits = Le16(bytes, 28);
  const uint32_t compression = Le32(bytes, 30);
  if (bits != 24 && bits != 32) return true;
  if (compression == kBiBitfields && bits == 32) {
    // The masks follow a 40-byte header, or stand inside a larger one.
    if (bytes.size() < 54 + 12) return true;
    if (Le32(bytes, 54) != 0x00FF0000u || Le32(bytes, 58) != 0x0000FF00u ||
        Le32(bytes, 62) != 0x000000FFu)
      return true;
  } else if (compression != kBiRgb) {
    return true;
  }
  *handled = true;
  if (width <= 0 || width > kMaxSide || raw_height == 0 || std::abs(raw_height) > kMaxSide)
    return false;
  const bool bottom_up = raw_height > 0;
  const int height = std::abs(raw_height);
  const int bytes_per_pixel = bits / 8;
  const qsizetype row_length = (static_cast<qsizetype>(width) * bytes_per_pixel + 3) / 4 * 4;
  const qsizetype offset = Le32(bytes, 10);
  if (offset < kFileHeaderSize || offset > bytes.size() ||
      bytes.size() - offset < row_length * height)
    return false;

  QImage image(width, height, QImage::Format_ARGB32);
  if (image.isNull()) return false;
  for (int y = 0; y < height; ++y) {
    const int file_row = bottom_up ? height - 1 - y : y;
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.constData()) + offset +
                      row_length * file_row;
    auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x, src += bytes_per_pixel) {
      const int alpha = bits == 32 ? src[3] : 255;
      dst[x] = qRgba(src[2], src[1], src[0], alpha);
    }
  }
  out->bits = bits;
  out->image = std::move(image);
  return true;
}

}  // namespace

bool ReadBitmapFile(const QByteArray& bytes, BitmapPicture* out) {
  *out = BitmapPicture{};
  bool handled = false;
  BitmapPicture picture;
  if (!ReadRawPixels(bytes, &picture, &handled)) return false;
  if (!handled) {
    QImage decoded = QImage::fromData(bytes, "BMP");
    if (decoded.isNull()) return false;
    picture.bits = 24;
    picture.image = decoded.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_ARGB32);
  }
  *out = std::move(picture);
  return true;
}

}  // namespace zv
