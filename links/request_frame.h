#pragma once
// The inner request frame that the heat computer itself understands, and the
// check of its answers. Every link sends this frame, wrapped or not:
//
//   A5  device  command  address-low  address-high  length  CRC-low  CRC-high
//
// The CRC (start value 1) covers the five bytes after A5; A5 is not covered.
// Answers are the payload followed by its CRC (start value 1, low byte first):
// for a memory read the two address bytes of the block carried, then the data.

#include <array>
#include <cstdint>

namespace zv {

inline constexpr std::uint8_t kFrameStart = 0xA5;
inline constexpr int kRequestFrameSize = 8;

// Commands of the polling workstation.
inline constexpr std::uint8_t kCommandIdentity = 0x02;    // identity and current-data block
inline constexpr std::uint8_t kCommandReadMemory = 0x10;  // one memory block

using RequestFrame = std::array<std::uint8_t, kRequestFrameSize>;

// Writes the CRC of frame[1..5] into frame[6], frame[7]. `frame` points at the
// A5 byte of an 8-byte frame (also inside a longer link template).
void SealRequestFrame(std::uint8_t* frame);

// A sealed request. Device 0 means any device on the line.
RequestFrame MakeRequestFrame(std::uint8_t device, std::uint8_t command, std::uint16_t address,
                              std::uint8_t length);

// True when answer[payload], answer[payload+1] hold the CRC of the `payload`
// bytes before them. Like CCrc16::Check it leaves the computed CRC in those two
// bytes, so the caller reads only the payload afterwards.
bool CheckAnswerFrame(std::uint8_t* answer, int payload);
// The same check without touching the answer: the bytes stay as they came, so
// a stream that failed the check can still be searched and realigned.
bool AnswerFrameIntact(const std::uint8_t* answer, int payload);

// Data bytes of the identity answer: 64 for family 1, 90 for family 2.
inline int IdentityDataLength(int family) { return family == 1 ? 64 : 90; }
// A memory-read answer: two address bytes, the data, two CRC bytes.
inline int MemoryAnswerLength(int data_length) { return data_length + 4; }
// The address a memory-read answer names (its first two bytes, low first).
inline std::uint16_t AnswerAddress(const std::uint8_t* answer) {
  return static_cast<std::uint16_t>(answer[0] | (answer[1] << 8));
}

}  // namespace zv
