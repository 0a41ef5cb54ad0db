#pragma once
// Little-endian decoders of the heat computer's values (p points at the first
// byte). ReadInt32 is data/format_helpers.h's.

#include <cstdint>

namespace zv {

// p[0] + p[1] * 256.
std::uint16_t ReadUInt16(const std::uint8_t* p);
// The IEEE-754 single of the bytes p[0..3], lowest first.
float ReadFloat32(const std::uint8_t* p);
// The single whose bytes, lowest first, are 0, p[0], p[1], p[2]: the device's
// three-byte float, the lowest 8 mantissa bits left out.
float ReadFloat24(const std::uint8_t* p);

}  // namespace zv
