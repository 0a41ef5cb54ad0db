// The heat-computer simulator: its parser, answers and faults, checked against
// the production frame code, so that the link tests can rely on it.

#include "tests/sim/heat_computer.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "links/crc16.h"
#include "links/request_frame.h"
#include "links/serial_port.h"
#include "tests/sim/archive_layout.h"
#include "tests/sim/data_peer.h"
#include "tests/sim/test_clock.h"

namespace {

using std::chrono::milliseconds;
using zv::sim::AnswerFault;
using zv::sim::Bytes;
using zv::sim::HeatComputer;
using zv::sim::Reply;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

bool CrcGood(Bytes answer) {
  return answer.size() >= 2 && zv::CheckAnswerFrame(answer.data(), static_cast<int>(answer.size()) - 2);
}

TEST(HeatComputerSim, ItsOwnCrcMatchesTheFrames) {
  const std::string digits = "123456789";
  EXPECT_EQ(zv::sim::DeviceCrc(reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()), 0x5E86);
  EXPECT_EQ(zv::sim::RequestBytes(0, 0x10, 900, 255), (Bytes{0xA5, 0x00, 0x10, 0x84, 0x03, 0xFF, 0x3E, 0xF2}));
  for (int length : {0, 1, 17, 128, 255}) {
    const zv::RequestFrame frame = zv::MakeRequestFrame(7, 0x10, static_cast<std::uint16_t>(length * 97), static_cast<std::uint8_t>(length));
    EXPECT_EQ(zv::sim::RequestBytes(7, 0x10, static_cast<std::uint16_t>(length * 97), static_cast<std::uint8_t>(length)),
              Bytes(frame.begin(), frame.end()));
  }
}

class HeatComputerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    heat_.SetType(0);
    heat_.SetVersion(2);
    for (size_t a = 0; a < 0x10000; a += 251) heat_.Poke(a, {static_cast<std::uint8_t>(a / 251)});
  }
  HeatComputer heat_;
};

TEST_F(HeatComputerTest, FindsRequestsInTheStream) {
  const Bytes request = zv::sim::RequestBytes(0, 0x10, 900, 16);
  Bytes damaged = request;
  damaged[3] ^= 1;
  // Wake-up zeros, a damaged frame, a stray A5, then the request cut in two.
  const Bytes stream = Cat({Bytes(64, 0), damaged, {0xA5, 0x13}, request});
  const size_t cut = stream.size() - 3;
  EXPECT_TRUE(heat_.Receive(Bytes(stream.begin(), stream.begin() + static_cast<long>(cut))).empty());
  const std::vector<Reply> replies = heat_.Receive(Bytes(stream.begin() + static_cast<long>(cut), stream.end()));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].answer.size(), 16u + 4);
  EXPECT_GE(heat_.rejected_frames(), 2u);
  ASSERT_EQ(heat_.request_count(), 1u);
  EXPECT_EQ(heat_.requests()[0].address, 900);
  // Two requests in one piece: two replies in order.
  const std::vector<Reply> two = heat_.Receive(Cat({zv::sim::RequestBytes(0, 0x10, 0, 4), Bytes(2, 0),
                                                    zv::sim::RequestBytes(0, 0x02, 0, 0)}));
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].answer.size(), 8u);
  EXPECT_EQ(two[1].answer.size(), 92u);
}

TEST_F(HeatComputerTest, MemoryBlockAnswer) {
  heat_.Poke(0xFFFE, {0x11, 0x22});
  heat_.Poke(0, {0x33});
  const std::vector<Reply> r = heat_.Receive(zv::sim::RequestBytes(0, 0x10, 0xFFFE, 3));
  ASSERT_EQ(r.size(), 1u);
  ASSERT_EQ(r[0].answer.size(), 7u);
  EXPECT_EQ(Bytes(r[0].answer.begin(), r[0].answer.begin() + 5), (Bytes{0xFE, 0xFF, 0x11, 0x22, 0x33}));
  EXPECT_TRUE(CrcGood(r[0].answer));
  EXPECT_TRUE(r[0].noise.empty());
  EXPECT_EQ(r[0].delay, milliseconds(0));
}

TEST_F(HeatComputerTest, IdentityAnswerByFamily) {
  heat_.SetSerial(0x1234);
  heat_.SetClock(2024, 3, 12, 14, 35, 7);
  std::vector<Reply> r = heat_.Receive(zv::sim::RequestBytes(0, 0x02, 0, 0));
  ASSERT_EQ(r.size(), 1u);
  ASSERT_EQ(r[0].answer.size(), 92u);
  EXPECT_TRUE(CrcGood(r[0].answer));
  EXPECT_EQ(r[0].answer[2], 0x34);
  EXPECT_EQ(r[0].answer[3], 0x12);
  EXPECT_EQ(Bytes(r[0].answer.begin() + 64, r[0].answer.begin() + 68), (Bytes{24, 3, 12, 14}));
  EXPECT_EQ(r[0].answer[88], 35);
  EXPECT_EQ(r[0].answer[89], 7);
  heat_.SetType(4);
  heat_.SetVersion(1);
  heat_.SetClock(2024, 3, 12, 15, 0, 0);
  EXPECT_EQ(heat_.Peek(80, 4), (Bytes{24, 3, 12, 15}));
  r = heat_.Receive(zv::sim::RequestBytes(0, 0x02, 0, 0));
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].answer.size(), 66u);
  EXPECT_TRUE(CrcGood(r[0].answer));
  heat_.SetIdentityBlock({1, 2, 3});
  r = heat_.Receive(zv::sim::RequestBytes(0, 0x02, 0, 0));
  EXPECT_EQ(Bytes(r[0].answer.begin(), r[0].answer.begin() + 4), (Bytes{1, 2, 3, 0}));
}

TEST_F(HeatComputerTest, SilentToOtherCommandsAndOtherDevices) {
  heat_.SetNetworkAddress(5);
  const Bytes stream = Cat({zv::sim::RequestBytes(0, 0x03, 0, 0), zv::sim::RequestBytes(6, 0x10, 0, 8),
                            zv::sim::RequestBytes(5, 0x10, 0, 8), zv::sim::RequestBytes(0, 0x10, 0, 8)});
  const std::vector<Reply> r = heat_.Receive(stream);
  ASSERT_EQ(r.size(), 4u);
  EXPECT_TRUE(r[0].Silent());
  EXPECT_TRUE(r[1].Silent());
  EXPECT_FALSE(r[2].Silent());
  EXPECT_FALSE(r[3].Silent());
  const auto log = heat_.requests();
  EXPECT_FALSE(log[0].answered);
  EXPECT_FALSE(log[1].answered);
  EXPECT_TRUE(log[2].answered);
}

TEST_F(HeatComputerTest, FaultsPerRequest) {
  AnswerFault drop;
  drop.drop = true;
  AnswerFault bad;
  bad.bad_crc = true;
  AnswerFault wrong;
  wrong.block = 1530;
  AnswerFault travel;
  travel.delay = milliseconds(30);
  travel.noise = {0x00, 0xA5, 0x5A};
  travel.trailing = {0xEE};
  travel.chunk = 10;
  travel.chunk_pause = milliseconds(5);
  heat_.SetFault(0, drop);
  heat_.SetFault(1, bad);
  heat_.SetFault(2, wrong);
  heat_.SetFault(3, travel);
  heat_.SetSilentFrom(5);
  std::vector<Reply> r;
  for (int i = 0; i < 7; ++i) {
    const std::vector<Reply> one = heat_.Receive(zv::sim::RequestBytes(0, 0x10, 900, 32));
    ASSERT_EQ(one.size(), 1u);
    r.push_back(one[0]);
  }
  EXPECT_TRUE(r[0].Silent());
  EXPECT_EQ(r[1].answer.size(), 36u);
  EXPECT_FALSE(CrcGood(r[1].answer));
  EXPECT_TRUE(CrcGood(r[2].answer));
  EXPECT_EQ(zv::AnswerAddress(r[2].answer.data()), 1530);
  EXPECT_EQ(Bytes(r[2].answer.begin() + 2, r[2].answer.end() - 2), heat_.Peek(1530, 32));
  EXPECT_TRUE(CrcGood(r[3].answer));
  EXPECT_EQ(r[3].Wire(), Cat({travel.noise, r[3].answer, travel.trailing}));
  EXPECT_EQ(r[3].delay, milliseconds(30));
  EXPECT_TRUE(CrcGood(r[4].answer));  // no fault
  EXPECT_TRUE(r[5].Silent());
  EXPECT_TRUE(r[6].Silent());
  EXPECT_EQ(heat_.request_count(), 7u);
  heat_.ClearFaults();
  EXPECT_FALSE(heat_.Receive(zv::sim::RequestBytes(0, 0x10, 900, 32))[0].Silent());
}

TEST_F(HeatComputerTest, ResetForgetsAPartialRequest) {
  const Bytes request = zv::sim::RequestBytes(0, 0x10, 900, 32);
  EXPECT_TRUE(heat_.Receive(Bytes(request.begin(), request.begin() + 5)).empty());
  heat_.Reset();
  EXPECT_TRUE(heat_.Receive(Bytes(request.begin() + 5, request.end())).empty());
  EXPECT_EQ(heat_.Receive(request).size(), 1u);
}

// Over a pty: the answer travels late, after noise and in pieces, and the port
// under test gets the bytes in that order.
TEST(HeatComputerOnLine, PlaysTheRepliesOnTheLine) {
  HeatComputer heat;
  heat.Poke(900, Bytes(64, 0x42));
  AnswerFault travel;
  travel.delay = milliseconds(40);
  travel.noise = {0x01, 0x02};
  travel.trailing = {0x03};
  travel.chunk = 7;
  travel.chunk_pause = milliseconds(3);
  heat.SetFault(0, travel);
  zv::sim::PeerOnLine device(heat);
  ASSERT_TRUE(device.MapToComPort(7));
  device.Start();
  CSerialPort port;
  zv::SerialPortTiming timing;
  timing.read_interval = zv::Ms(5000);
  timing.read_total_constant = zv::Ms(20000);
  port.SetTiming(timing);
  ASSERT_TRUE(port.Open("COM7"));
  const Bytes request = zv::sim::RequestBytes(0, 0x10, 900, 64);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(port.Write(request.data(), 8), 8);
  Bytes got(2 + 68 + 1);
  ASSERT_EQ(port.Read(got.data(), static_cast<int>(got.size())), static_cast<int>(got.size()));
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(40));
  EXPECT_EQ(got[0], 0x01);
  EXPECT_EQ(got[2], 0x84);
  EXPECT_EQ(got[4], 0x42);
  EXPECT_EQ(got.back(), 0x03);
  EXPECT_TRUE(CrcGood(Bytes(got.begin() + 2, got.end() - 1)));
}

TEST(ArchiveLayoutSim, RecordsNameThemselves) {
  HeatComputer heat;
  const zv::sim::ArchiveLayout layout = *zv::sim::ArchiveLayout::For(2, 2);
  zv::sim::WriteArchive(heat, layout, DateStamp(2024, 3, 10, 0, 0, 0), DateStamp(2024, 3, 12, 14, 0, 0));
  const zv::sim::RecordPlace hour = layout.Hourly(DateStamp(2024, 3, 12, 14, 0, 0));
  EXPECT_EQ(hour, (zv::sim::RecordPlace{15308, 36}));
  EXPECT_EQ(heat.Peek(15308, 5), (Bytes{'H', 24, 3, 12, 14}));
  EXPECT_EQ(heat.Peek(15308 + 36, 5), Bytes(5, 0));  // 15:00 not yet written
  EXPECT_EQ(heat.Peek(1530, 5), (Bytes{'D', 24, 3, 10, 0}));
  EXPECT_EQ(zv::sim::HoursBetween(DateStamp(2024, 2, 28, 23, 30, 0), DateStamp(2024, 3, 1, 0, 0, 0), 24).size(), 2u);
  EXPECT_FALSE(zv::sim::ArchiveLayout::For(1, 2).has_value());
}

}  // namespace
