#pragma once
// The 16-bit check of every heat-computer frame.
//
// Polynomial 0x1021, most significant bit first, in the augmented form: the
// message is shifted through the register and then two zero bytes are fed in.
// No reflection and no final XOR. The register starts at 1 for the device's own
// frames and at 0 for the outer frame of the line-side controller; with start 0
// the result equals CRC-16/XMODEM. The result travels low byte first.
//
// A small value object: make one on the stack for each frame and always call
// SetStart first (there is no implicit reset).

#include <cstdint>

class CCrc16 {
 public:
  // Start values.
  static constexpr unsigned kDeviceStart = 1;      // inner device frames (requests and answers)
  static constexpr unsigned kControllerStart = 0;  // outer frame of the line-side controller

  void SetStart(unsigned start) { reg_ = start & 0xFFFFu; }
  // Shifts the 8 bits of one byte into the register, most significant first.
  void AddByte(std::uint8_t byte);
  // Shifts two zero bytes in; the register then holds the result.
  void Finish();
  // AddByte for each of n bytes, then Finish.
  void AddBlock(const std::uint8_t* data, int n);
  // AddBlock over data[0..n-1], then writes the result into data[n] (low byte)
  // and data[n+1] (high byte).
  void Append(std::uint8_t* data, int n);
  // Append over the same n bytes, comparing the CRC bytes that stood in
  // data[n], data[n+1] with the computed ones. The computed CRC is left in the
  // buffer in every case.
  bool Check(std::uint8_t* data, int n);

  std::uint16_t Value() const { return static_cast<std::uint16_t>(reg_); }
  std::uint8_t Low() const { return static_cast<std::uint8_t>(reg_ & 0xFFu); }
  std::uint8_t High() const { return static_cast<std::uint8_t>((reg_ >> 8) & 0xFFu); }

 private:
  unsigned reg_ = 0;
};
