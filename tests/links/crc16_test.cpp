#include "links/crc16.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "links/request_frame.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint16_t Crc(unsigned start, const Bytes& data) {
  CCrc16 crc;
  crc.SetStart(start);
  crc.AddBlock(data.data(), static_cast<int>(data.size()));
  return crc.Value();
}

// The direct (non-augmented) MSB-first CRC with polynomial 0x1021, written
// independently of CCrc16: the augmented form with start 0 must equal it with
// initial value 0 (CRC-16/XMODEM), and with start 1 with initial value 0x1021.
std::uint16_t DirectCrc(std::uint16_t init, const Bytes& data) {
  std::uint16_t crc = init;
  for (std::uint8_t b : data) {
    crc ^= static_cast<std::uint16_t>(b << 8);
    for (int i = 0; i < 8; ++i) crc = (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021) : static_cast<std::uint16_t>(crc << 1);
  }
  return crc;
}

struct CrcCase {
  const char* what;
  unsigned start;
  Bytes data;
  std::uint16_t crc;
};

TEST(Crc16, CheckValues) {
  const Bytes digits = {0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39};
  const CrcCase cases[] = {
      {"digits, start 0", 0, digits, 0x31C3},
      {"digits, start 1", 1, digits, 0x5E86},
      {"empty, start 0", 0, {}, 0x0000},
      {"empty, start 1", 1, {}, 0x1021},
      {"controller connect", 0, {0x04, 0x01, 0x04}, 0xAF75},
      {"controller disconnect", 0, {0x03, 0x04}, 0x15D7},
      {"identity request", 1, {0x00, 0x02, 0x00, 0x00, 0x00}, 0xA8C8},
      {"block 900 of 255 bytes", 1, {0x00, 0x10, 0x84, 0x03, 0xFF}, 0xF23E},
      // The serial readers' frames use the same check.
      {"reader speed 9600", 1, {0x00, 0x06, 0x06, 0x06, 0x00}, 0x7A3F},
      {"reader parameters", 1, {0x00, 0x01, 0x00, 0x00, 0xC0}, 0xEA58},
      {"reader first archive block", 1, {0x00, 0x01, 0x00, 0x01, 0x00}, 0x0025},
      {"collector pointers", 1, {0x02, 0x00, 0x00}, 0x18D4},
      {"collector slot status", 1, {0x04, 0x00, 0x00}, 0xAA74},
      {"collector set pointers", 1, {0x03, 0x00, 0x00}, 0x2FE4},
      {"collector block 0", 1, {0x01, 0x00, 0x00}, 0x4184},
      {"collector kind 2 slot 5", 1, {0x05, 0x40, 0x01}, 0x80A9},
  };
  for (const CrcCase& c : cases) {
    EXPECT_EQ(Crc(c.start, c.data), c.crc) << c.what;
  }
}

TEST(Crc16, EqualsDirectFormOnRandomMessages) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 200; ++round) {
    Bytes data(rng() % 300);
    for (auto& b : data) b = static_cast<std::uint8_t>(rng());
    EXPECT_EQ(Crc(0, data), DirectCrc(0x0000, data)) << "length " << data.size();
    EXPECT_EQ(Crc(1, data), DirectCrc(0x1021, data)) << "length " << data.size();
  }
}

TEST(Crc16, SetStartResetsTheRegister) {
  CCrc16 crc;
  crc.SetStart(1);
  const std::uint8_t junk[] = {0xDE, 0xAD, 0xBE, 0xEF};
  crc.AddBlock(junk, 4);
  crc.SetStart(0);
  const std::uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  crc.AddBlock(digits, 9);
  EXPECT_EQ(crc.Value(), 0x31C3);
  EXPECT_EQ(crc.Low(), 0xC3);
  EXPECT_EQ(crc.High(), 0x31);
}

TEST(Crc16, AppendWritesLowByteFirst) {
  std::uint8_t frame[] = {0x00, 0x02, 0x00, 0x00, 0x00, 0x55, 0x55, 0x77};
  CCrc16 crc;
  crc.SetStart(1);
  crc.Append(frame, 5);
  EXPECT_EQ(frame[5], 0xC8);
  EXPECT_EQ(frame[6], 0xA8);
  EXPECT_EQ(frame[7], 0x77);  // nothing behind the two CRC bytes is touched
}

TEST(Crc16, CheckAcceptsOnlyTheRightBytesAndLeavesTheComputedOnes) {
  struct Case {
    std::uint8_t low, high;
    bool ok;
  };
  const Case cases[] = {{0xC8, 0xA8, true}, {0xA8, 0xC8, false}, {0xC8, 0x00, false}, {0x00, 0xA8, false}, {0, 0, false}};
  for (const Case& c : cases) {
    std::uint8_t buf[] = {0x00, 0x02, 0x00, 0x00, 0x00, c.low, c.high};
    CCrc16 crc;
    crc.SetStart(1);
    EXPECT_EQ(crc.Check(buf, 5), c.ok) << int(c.low) << " " << int(c.high);
    EXPECT_EQ(buf[5], 0xC8);
    EXPECT_EQ(buf[6], 0xA8);
  }
}

TEST(RequestFrame, SealedRequests) {
  EXPECT_EQ(zv::MakeRequestFrame(0, zv::kCommandIdentity, 0, 0),
            (zv::RequestFrame{0xA5, 0x00, 0x02, 0x00, 0x00, 0x00, 0xC8, 0xA8}));
  EXPECT_EQ(zv::MakeRequestFrame(0, zv::kCommandReadMemory, 0x0384, 0xFF),
            (zv::RequestFrame{0xA5, 0x00, 0x10, 0x84, 0x03, 0xFF, 0x3E, 0xF2}));
  // The device address is covered, the frame start is not.
  const zv::RequestFrame to3 = zv::MakeRequestFrame(3, zv::kCommandReadMemory, 0x0384, 0xFF);
  EXPECT_NE(to3[6] | (to3[7] << 8), 0xF23E);
  std::uint8_t no_start[8] = {0x00, 0x00, 0x10, 0x84, 0x03, 0xFF, 0, 0};
  zv::SealRequestFrame(no_start);
  EXPECT_EQ(no_start[6] | (no_start[7] << 8), 0xF23E);
}

TEST(RequestFrame, SealsInsideALongerTemplate) {
  // A link template: seven zero bytes, the inner frame, two zero bytes.
  std::uint8_t t[17] = {0, 0, 0, 0, 0, 0, 0, 0xA5, 0x00, 0x10, 0x84, 0x03, 0xFF, 0, 0, 0x11, 0x22};
  zv::SealRequestFrame(t + 7);
  EXPECT_EQ(t[13], 0x3E);
  EXPECT_EQ(t[14], 0xF2);
  EXPECT_EQ(t[15], 0x11);
  EXPECT_EQ(t[16], 0x22);
}

TEST(RequestFrame, AnswerCheckAndItsAddress) {
  // A memory answer for another block than asked for is still good, and its
  // own address is the one to store it at.
  Bytes answer(zv::MemoryAnswerLength(128));
  answer[0] = 0x80;
  answer[1] = 0x03;  // block 0x0380
  for (int i = 0; i < 128; ++i) answer[2 + i] = static_cast<std::uint8_t>(i * 7);
  CCrc16 crc;
  crc.SetStart(1);
  crc.Append(answer.data(), 130);
  Bytes damaged = answer;
  EXPECT_TRUE(zv::CheckAnswerFrame(answer.data(), 130));
  EXPECT_EQ(zv::AnswerAddress(answer.data()), 0x0380);
  damaged[77] ^= 0x01;
  EXPECT_FALSE(zv::CheckAnswerFrame(damaged.data(), 130));
  EXPECT_EQ(zv::MemoryAnswerLength(255), 259);
  EXPECT_EQ(zv::IdentityDataLength(1), 64);
  EXPECT_EQ(zv::IdentityDataLength(2), 90);
}

}  // namespace
