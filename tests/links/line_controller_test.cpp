// The line-side controller simulator: its frame parser, session, relay and
// faults, checked against the PSTN link's own frames, so that the link and
// worker tests can rely on it.

#include "tests/sim/line_controller.h"

#include <gtest/gtest.h>
#include <vector>

#include "links/crc16.h"
#include "links/pstn_link.h"
#include "tests/sim/heat_computer.h"

namespace {

using zv::sim::Bytes;
using zv::sim::LineController;
using zv::sim::Reply;

Bytes Sealed(int type, std::uint16_t address = 0) {
  CZVMLink link;
  zv::LinkFrame frame = *link.RequestTemplate(type);
  if (type == zv::kRequestMemoryBlock) {
    frame[10] = static_cast<std::uint8_t>(address & 0xFF);
    frame[11] = static_cast<std::uint8_t>(address >> 8);
  }
  if (type <= CZVMLink::kRequestClock) link.SealRequest(frame);
  return Bytes(frame.begin(), frame.end());
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

class LineControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    heat_.SetType(0);
    heat_.SetVersion(2);
    heat_.Poke(900, Bytes(128, 0x77));
  }
  // Feeds the bytes one at a time (frames split anywhere) and collects the replies.
  std::vector<Reply> Feed(const Bytes& bytes) {
    std::vector<Reply> all;
    for (std::uint8_t b : bytes) {
      for (Reply& r : controller_.Receive({b})) all.push_back(std::move(r));
    }
    return all;
  }
  zv::sim::HeatComputer heat_;
  LineController controller_{heat_};
};

TEST_F(LineControllerTest, ItsCrcIsTheOuterFrameCheck) {
  const Bytes digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(zv::sim::ControllerCrc(digits.data(), digits.size()), 0x31C3);
  CCrc16 crc;
  crc.SetStart(CCrc16::kControllerStart);
  crc.AddBlock(digits.data(), 5);
  EXPECT_EQ(zv::sim::ControllerCrc(digits.data(), 5), crc.Value());
}

TEST_F(LineControllerTest, TakesTheTemplatesWithTheirPaddingAndRelaysInASession) {
  // A relay before the session is not passed on.
  EXPECT_TRUE(Feed(Sealed(zv::kRequestMemoryBlock, 900)).front().Silent());
  EXPECT_EQ(heat_.request_count(), 0u);

  const std::vector<Reply> connect = Feed(Sealed(CZVMLink::kRequestConnect));
  ASSERT_EQ(connect.size(), 1u);
  EXPECT_EQ(connect[0].answer, zv::sim::WrapAnswer(0x01, {0x21, 0x10}));
  std::uint8_t ack[7];
  std::copy(connect[0].answer.begin(), connect[0].answer.end(), ack);
  EXPECT_TRUE(CZVMLink::FindAnswer(ack, 8, 7));  // the link takes it

  // Wake-up zeros, then the block request: a 137-byte answer the link takes.
  const std::vector<Reply> block = Feed(Cat({Bytes(64, 0), Sealed(zv::kRequestMemoryBlock, 900)}));
  ASSERT_EQ(block.size(), 1u);
  Bytes answer = block[0].answer;
  ASSERT_EQ(answer.size(), 137u);
  const CZVMLink::Answer taken = CZVMLink::FindAnswer(answer.data(), 137, 137);
  ASSERT_TRUE(taken);
  EXPECT_EQ(Bytes(taken.payload, taken.payload + 2), (Bytes{0x84, 0x03}));
  EXPECT_EQ(Bytes(taken.payload + 2, taken.payload + 130), Bytes(128, 0x77));

  const std::vector<Reply> clock = Feed(Sealed(CZVMLink::kRequestClock));
  ASSERT_EQ(clock.size(), 1u);
  EXPECT_FALSE(clock[0].answer.empty());
  EXPECT_EQ(controller_.clock_frames(),
            (std::vector<zv::sim::ClockFrame>{{0, 0, {0xFF, 0x00, 0xFF, 0x00}}}));
  EXPECT_TRUE(Feed(Sealed(CZVMLink::kRequestDisconnect)).front().Silent());
  EXPECT_FALSE(controller_.in_session());
  EXPECT_EQ(controller_.commands(), (std::vector<std::uint8_t>{2, 1, 2, 0x0B, 4}));
  EXPECT_EQ(controller_.rejected_frames(), 0u);
}

TEST_F(LineControllerTest, DamagedFramesAndStray0xCAAreSkipped) {
  Bytes damaged = Sealed(CZVMLink::kRequestConnect);
  damaged[14] ^= 1;
  // 0xCA in noise, with a known command but a wrong length, and with a bad check.
  const Bytes noise = {0xCA, 0x09, 0x01, 0xCA};
  const std::vector<Reply> replies = Feed(Cat({noise, damaged, Sealed(CZVMLink::kRequestConnect)}));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(controller_.count(LineController::kConnect), 1u);
  EXPECT_EQ(controller_.rejected_frames(), 1u);
}

TEST_F(LineControllerTest, Faults) {
  Feed(Sealed(CZVMLink::kRequestConnect));
  zv::sim::RelayFault drop;
  drop.drop = true;
  zv::sim::RelayFault outer;
  outer.bad_outer_crc = true;
  zv::sim::RelayFault inner;
  inner.bad_inner_crc = true;
  zv::sim::RelayFault noise;
  noise.noise = {1, 2, 3};
  controller_.SetRelayFault(0, drop);
  controller_.SetRelayFault(1, outer);
  controller_.SetRelayFault(2, inner);
  controller_.SetRelayFaultFrom(3, noise);
  std::vector<Reply> r;
  for (int i = 0; i < 5; ++i) r.push_back(Feed(Sealed(zv::kRequestMemoryBlock, 900)).front());
  EXPECT_TRUE(r[0].Silent());
  for (int i : {1, 2}) {
    Bytes a = r[static_cast<size_t>(i)].answer;
    ASSERT_EQ(a.size(), 137u);
    EXPECT_FALSE(CZVMLink::FindAnswer(a.data(), 137, 137)) << i;
  }
  for (int i : {3, 4}) {
    EXPECT_EQ(r[static_cast<size_t>(i)].noise, (Bytes{1, 2, 3}));
    Bytes wire = r[static_cast<size_t>(i)].Wire();
    EXPECT_TRUE(CZVMLink::FindAnswer(wire.data(), 140, 140)) << i;
  }
  EXPECT_EQ(controller_.relays(), 5u);
  EXPECT_EQ(heat_.request_count(), 5u);

  controller_.SetConnectAnswers(false);
  EXPECT_TRUE(Feed(Sealed(CZVMLink::kRequestConnect)).front().Silent());
}

}  // namespace
