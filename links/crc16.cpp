#include "links/crc16.h"

void CCrc16::AddByte(std::uint8_t byte) {
  for (int bit = 7; bit >= 0; --bit) {
    const bool carry = (reg_ & 0x8000u) != 0;
    reg_ = ((reg_ << 1) | ((byte >> bit) & 1u)) & 0xFFFFu;
    if (carry) reg_ ^= 0x1021u;
  }
}

void CCrc16::Finish() {
  AddByte(0);
  AddByte(0);
}

void CCrc16::AddBlock(const std::uint8_t* data, int n) {
  for (int i = 0; i < n; ++i) AddByte(data[i]);
  Finish();
}

void CCrc16::Append(std::uint8_t* data, int n) {
  AddBlock(data, n);
  data[n] = Low();
  data[n + 1] = High();
}

bool CCrc16::Check(std::uint8_t* data, int n) {
  const std::uint8_t low = data[n];
  const std::uint8_t high = data[n + 1];
  Append(data, n);
  return low == data[n] && high == data[n + 1];
}
