#include "readers/common/decoders.h"

#include <cstring>

namespace zv {

std::uint16_t ReadUInt16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

float ReadFloat32(const std::uint8_t* p) {
  const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                             (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

float ReadFloat24(const std::uint8_t* p) {
  const std::uint8_t bytes[4] = {0, p[0], p[1], p[2]};
  return ReadFloat32(bytes);
}

}  // namespace zv
