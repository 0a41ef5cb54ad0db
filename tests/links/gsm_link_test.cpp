// CZVGSMLink: its frames, and downloads over the modem simulator straight to
// the heat computer, with the request sender streaming while the receiver
// takes the answers in any order.

#include "links/gsm_link.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "links/node_status.h"
#include "links/poll_flags.h"
#include "platform/profile.h"
#include "tests/links/direct_setup.h"
#include "tests/links/link_fixture.h"
#include "tests/links/pstn_setup.h"
#include "tests/sim/status_recorder.h"

namespace {

using std::chrono::milliseconds;
using zv::sim::AnswerFault;
using zv::sim::Bytes;
namespace status = zv::node_status;
using namespace zv::test;
using zv::test::Cat;

constexpr milliseconds kBound{20000};

// --- Over the modem.

constexpr int kCom = 5;
// Three blocks in a row, 255 bytes apart, above 0x8000 (see direct_setup.h).
constexpr std::uint16_t kA0 = 0x8000;
constexpr std::uint16_t kA1 = 0x80FF;
constexpr std::uint16_t kA2 = 0x81FE;
constexpr std::uint16_t kA3 = 0x82FD;

class GsmLinkTest : public zv::test::LinkTest<CZVGSMLink, zv::test::GsmNode> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(node_.Start(kCom));
    MakeLink(zv::test::DistinctDirectPauses(zv::test::GenerousTiming()));
  }
  bool Open() { return link_->Open(kCom, zv::kLinkGsm, "", "5557777"); }
  const zv::GsmLinkTiming& timing() const { return link_->poll_timing().gsm; }
  void ExpectAllRead() const { LinkTest::ExpectAllRead(255); }
};

TEST_F(GsmLinkTest, OpenDialsTheNumberAsItStands) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(node_.modem.dials(), (std::vector<zv::sim::ModemSimulator::Dial>{{0, "5557777"}}));
  EXPECT_TRUE(node_.modem.in_call());
}

TEST_F(GsmLinkTest, FirstBlockWakesTheDeviceAndAsksWithoutThePadding) {
  link_->device_address = 3;  // not for the first block
  ASSERT_TRUE(Open());
  ASSERT_TRUE(link_->ReadFirstBlock());
  EXPECT_EQ(Image(0, 255), node_.heat.Peek(0, 255));
  EXPECT_EQ(link_->image[255], 0);
  EXPECT_EQ(link_->DeviceNumber(), 42);
  // Three bursts of 64 zero bytes, then the seven zero bytes and the inner frame.
  EXPECT_EQ(node_.wire.received(), Cat({Bytes(3 * 64 + 7, 0), zv::sim::RequestBytes(0, 0x10, 0, 255)}));
  EXPECT_EQ(Pauses(timing().first.wake_up_pause), 2);
  EXPECT_EQ(Pauses(timing().first.answer_pause), 1);
  EXPECT_EQ(cnode_.status.load(), status::kReading);  // stored, not reported
  EXPECT_EQ(recorder_.statuses().back(), status::kDialling);
}

TEST_F(GsmLinkTest, FirstBlockAskedAgainAfterABadAnswer) {
  node_.heat.SetFault(0, BadCrcFault());
  ASSERT_TRUE(Open());
  ASSERT_TRUE(link_->ReadFirstBlock());
  EXPECT_EQ(node_.heat.request_count(), 2u);
  EXPECT_EQ(Image(0, 255), node_.heat.Peek(0, 255));
  EXPECT_EQ(Pauses(timing().first.drain_pause), 1);
}

TEST_F(GsmLinkTest, FirstBlockNoiseIsDrainedSoTheNextAnswerIsAligned) {
  node_.heat.SetFault(0, NoiseFault(5));
  ASSERT_TRUE(Open());
  ASSERT_TRUE(link_->ReadFirstBlock());
  EXPECT_EQ(node_.heat.request_count(), 2u);
  EXPECT_EQ(Image(0, 255), node_.heat.Peek(0, 255));
}

TEST_F(GsmLinkTest, FirstBlockGivesUpAfterTheLimitOfBadAnswers) {
  node_.heat.SetBlockFault(0, 0, BadCrcFault(), true);
  ASSERT_TRUE(Open());
  EXPECT_FALSE(link_->ReadFirstBlock());
  EXPECT_EQ(node_.heat.request_count(), static_cast<size_t>(timing().first.bad_answer_limit));
}

TEST_F(GsmLinkTest, FirstBlockOfASilentDeviceFailsAtTheFifthEmptyRead) {
  MakeLink(zv::test::DistinctDirectPauses(zv::test::QuickSilenceTiming()));
  node_.heat.SetSilentFrom(0);
  ASSERT_TRUE(Open());
  EXPECT_FALSE(link_->ReadFirstBlock());
  EXPECT_EQ(node_.heat.request_count(), 1u);
  EXPECT_EQ(Pauses(timing().first.empty_read_pause), 4);
}

TEST_F(GsmLinkTest, TheSenderStreamsEveryBlockAndTheReceiverTakesThem) {
  node_.heat.SetNetworkAddress(3);
  link_->device_address = 3;
  ASSERT_TRUE(Open());
  List({kA0, kA1, kA2});
  ASSERT_TRUE(ReadList());
  EXPECT_EQ(CZVGSMLink::RunningSenders(), 0);
  ExpectAllRead();
  // Each request is the whole template: seven zeros, the frame, two zeros.
  const std::vector<zv::sim::LoggedRequest> requests = node_.heat.requests();
  ASSERT_GE(requests.size(), 3u);
  ASSERT_TRUE(node_.wire.WaitForBytes(17 * requests.size(), kBound));
  const Bytes wire = node_.wire.received();
  for (size_t i = 0; i < requests.size(); ++i) {
    EXPECT_EQ(requests[i].device, 3);
    EXPECT_EQ(requests[i].length, 255);
    const Bytes sent(wire.begin() + static_cast<long>(17 * i), wire.begin() + static_cast<long>(17 * (i + 1)));
    EXPECT_EQ(sent, Cat({Bytes(7, 0), zv::sim::RequestBytes(3, 0x10, requests[i].address, 255), Bytes(2, 0)}));
  }
  const std::vector<std::uint16_t> asked = Asked();
  EXPECT_EQ(std::vector<std::uint16_t>(asked.begin(), asked.begin() + 3), (std::vector<std::uint16_t>{kA0, kA1, kA2}));
  EXPECT_GE(Pauses(timing().request_pause), 3);
  // Progress after each block, then OK.
  const std::vector<zv::sim::StatusEvent> events = recorder_.events();
  EXPECT_EQ(events.back(), (zv::sim::StatusEvent{cnode_.id(), status::kOk, 0}));
  int last = 0;
  int blocks = 0;
  for (const zv::sim::StatusEvent& e : events) {
    if (e.status != status::kReading) continue;
    EXPECT_GT(e.percent, last);
    last = e.percent;
    ++blocks;
  }
  EXPECT_GE(blocks, 3);
  EXPECT_GE(last, 99);
}

TEST_F(GsmLinkTest, AnswersInAnotherOrderFillTheirOwnAddresses) {
  ASSERT_TRUE(Open());
  List({kA0, kA1, kA2, kA3});
  // The first answers to A0 and A1 carry A3 and A2: those are marked at once,
  // A0 and A1 come in the next pass.
  node_.heat.SetBlockFault(kA0, 0, OtherBlockFault(kA3));
  node_.heat.SetBlockFault(kA1, 0, OtherBlockFault(kA2));
  ASSERT_TRUE(ReadList());
  EXPECT_EQ(CZVGSMLink::RunningSenders(), 0);
  ExpectAllRead();
  EXPECT_GE(TimesAsked(kA0), 2);
  EXPECT_GE(TimesAsked(kA1), 2);
}

TEST_F(GsmLinkTest, ADroppedAnswerIsAskedForInTheNextPass) {
  ASSERT_TRUE(Open());
  List({kA0, kA1, kA2});
  node_.heat.SetBlockFault(kA1, 0, DropFault());
  ASSERT_TRUE(ReadList());
  ExpectAllRead();
  const std::vector<std::uint16_t> asked = Asked();
  ASSERT_GE(asked.size(), 4u);
  EXPECT_EQ(std::vector<std::uint16_t>(asked.begin(), asked.begin() + 3), (std::vector<std::uint16_t>{kA0, kA1, kA2}));
  EXPECT_NE(std::find(asked.begin() + 3, asked.end(), kA1), asked.end());
  EXPECT_GE(Pauses(timing().pass_pause), 1);
}

// An answer spoilt on its way is dropped; its block comes in the next pass.
struct SpoiltAnswer {
  const char* name;
  AnswerFault fault;
  int stray;  // an address the answer names instead, stored though in no item (-1: none)
};

void PrintTo(const SpoiltAnswer& c, std::ostream* os) { *os << c.name; }

class GsmSpoiltAnswerTest : public GsmLinkTest, public ::testing::WithParamInterface<SpoiltAnswer> {};

TEST_P(GsmSpoiltAnswerTest, IsAskedForAgain) {
  const SpoiltAnswer& c = GetParam();
  ASSERT_TRUE(Open());
  List({kA0, kA1, kA2});
  node_.heat.SetBlockFault(kA1, 0, c.fault);
  ASSERT_TRUE(ReadList());
  EXPECT_EQ(CZVGSMLink::RunningSenders(), 0);
  ExpectAllRead();
  EXPECT_GE(TimesAsked(kA1), 2);
  if (c.stray >= 0) {
    EXPECT_EQ(Image(c.stray, 255), node_.heat.Peek(static_cast<size_t>(c.stray), 255));
  }
  EXPECT_EQ(Image(0xFFC0, 63), Bytes(63, 0));  // nothing written past the image
}

INSTANTIATE_TEST_SUITE_P(Faults, GsmSpoiltAnswerTest,
                         ::testing::Values(SpoiltAnswer{"BadCrc", BadCrcFault(), -1},
                                           SpoiltAnswer{"BlockInNoItem", OtherBlockFault(0x9000), 0x9000},
                                           SpoiltAnswer{"BlockPastTheImageEnd", OtherBlockFault(0xFFC0), -1}),
                         [](const ::testing::TestParamInfo<SpoiltAnswer>& info) { return std::string(info.param.name); });

// Noise before an answer shifts the stream: the answer after it is found at
// the offset of the noise and realigned. The device answers that block only
// once, so the download can only end if the realignment worked.
class GsmRealignTest : public GsmLinkTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(GsmRealignTest, NoiseBeforeAnAnswerIsRealigned) {
  ASSERT_TRUE(Open());
  List({kA0, kA1, kA2});
  node_.heat.SetBlockFault(kA1, 0, NoiseFault(GetParam()));
  node_.heat.SetBlockFault(kA2, 1, DropFault(), true);
  ASSERT_TRUE(ReadList());
  EXPECT_EQ(CZVGSMLink::RunningSenders(), 0);
  ExpectAllRead();
}

INSTANTIATE_TEST_SUITE_P(NoiseBytes, GsmRealignTest, ::testing::Values(1u, 2u, 100u, 254u));

// The same over a line that gives one byte per read: the k missing bytes of a
// realigned answer come in k reads, and none of the stream is lost meanwhile.
class OneByteReadsGsmLink : public CZVGSMLink {
 public:
  using CZVGSMLink::CZVGSMLink;

 protected:
  // The modem dialogue reads through the same hook: only the download after
  // the connect gets one byte a read.
  int LinkRead(std::uint8_t* buffer, int n) override {
    return CZVGSMLink::LinkRead(buffer, one_byte_reads ? std::min(n, 1) : n);
  }

 public:
  bool one_byte_reads = false;
};

class GsmOneByteRealignTest : public zv::test::LinkTest<OneByteReadsGsmLink, zv::test::GsmNode>,
                              public ::testing::WithParamInterface<size_t> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(node_.Start(kCom));
    MakeLink(zv::test::DistinctDirectPauses(zv::test::GenerousTiming()));
  }
};

TEST_P(GsmOneByteRealignTest, NoiseBeforeAnAnswerIsRealigned) {
  ASSERT_TRUE(link_->Open(kCom, zv::kLinkGsm, "", "5557777"));
  link_->one_byte_reads = true;
  List({kA0, kA1, kA2});
  node_.heat.SetBlockFault(kA1, 0, NoiseFault(GetParam()));
  node_.heat.SetBlockFault(kA2, 1, DropFault(), true);
  ASSERT_TRUE(ReadList());
  EXPECT_EQ(CZVGSMLink::RunningSenders(), 0);
  ExpectAllRead(255);
}

INSTANTIATE_TEST_SUITE_P(NoiseBytes, GsmOneByteRealignTest, ::testing::Values(2u, 100u, 254u));

TEST_F(GsmLinkTest, ADeadLineEndsTheDownloadWithoutTheUserStop) {
  MakeLink(zv::test::DistinctDirectPauses(zv::test::QuickSilenceTiming()));
  ASSERT_TRUE(Open());
  List({kA0, kA1, kA2});
  node_.heat.SetSilentFrom(1);
  EXPECT_FALSE(ReadList());
  EXPECT_EQ(CZVGSMLink::RunningSenders(), 0);
  EXPECT_FALSE(PollCancel.load());
  EXPECT_TRUE(list_[0].IsDone());
  EXPECT_FALSE(list_[1].IsDone());
  EXPECT_EQ(Pauses(timing().empty_read_pause), 4);
  EXPECT_NE(recorder_.statuses().back(), status::kOk);
}

TEST_F(GsmLinkTest, TheUserStopEndsTheDownload) {
  MakeLink(zv::test::DistinctDirectPauses(zv::test::QuickSilenceTiming()));
  ASSERT_TRUE(Open());
  List({kA0, kA1, kA2});
  node_.heat.SetBlockFault(kA1, 0, BadCrcFault(), true);  // never done: the stop ends it
  std::thread stopper([&] {
    node_.heat.WaitForRequests(5, kBound);
    PollCancel.store(true);
  });
  EXPECT_FALSE(ReadList());
  stopper.join();
  EXPECT_EQ(CZVGSMLink::RunningSenders(), 0);
  EXPECT_TRUE(PollCancel.load());  // left for the end of the poll
  EXPECT_FALSE(list_[1].IsDone());
}

// The time limit is measured on the computer's clock from the sender's
// start: Settings/"GSMTimeout" minutes, 4 when not set.
struct TimeLimit {
  int setting;  // 0: not set
  int minutes;
};

void PrintTo(const TimeLimit& c, std::ostream* os) { *os << "GSMTimeout " << c.setting; }

class GsmTimeLimitTest : public GsmLinkTest, public ::testing::WithParamInterface<TimeLimit> {};

TEST_P(GsmTimeLimitTest, EndsTheDownloadWithoutTheUserStop) {
  const TimeLimit& c = GetParam();
  if (c.setting > 0) zv::Profile(zv::kProgramZEVModem).WriteInt("Settings", "GSMTimeout", c.setting);
  zv::sim::SteppedClock clock(zv::sim::LocalTime(2024, 3, 12, 14, 30, 5));
  zv::PollTiming t = zv::test::GenerousTiming();
  t.gsm.timeout_minute = zv::Ms(60000);  // minutes as they are: the test moves the clock
  MakeLink(t, &clock);
  ASSERT_TRUE(Open());
  List({kA0, kA1});
  node_.heat.SetBlockFault(kA1, 0, BadCrcFault(), true);  // never done: only the limit ends it

  std::future<bool> download = std::async(std::launch::async, [&] { return ReadList(); });
  // A second short of the limit the sender goes on asking.
  ASSERT_TRUE(node_.heat.WaitForRequests(2, kBound));
  clock.Advance(std::chrono::minutes(c.minutes) - std::chrono::seconds(1));
  const size_t asked = node_.heat.request_count();
  ASSERT_TRUE(node_.heat.WaitForRequests(asked + 3, kBound));
  EXPECT_EQ(download.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
  // Past it the download ends.
  clock.Advance(std::chrono::seconds(2));
  ASSERT_EQ(download.wait_for(kBound), std::future_status::ready);
  EXPECT_FALSE(download.get());
  EXPECT_EQ(CZVGSMLink::RunningSenders(), 0);
  EXPECT_FALSE(PollCancel.load());
  EXPECT_TRUE(list_[0].IsDone());
  EXPECT_FALSE(list_[1].IsDone());
}

INSTANTIATE_TEST_SUITE_P(Settings, GsmTimeLimitTest,
                         ::testing::Values(TimeLimit{0, 4}, TimeLimit{1, 1}, TimeLimit{6, 6}),
                         [](const ::testing::TestParamInfo<TimeLimit>& info) {
                           return "Setting" + std::to_string(info.param.setting);
                         });

TEST_F(GsmLinkTest, CloseSendsNothingAndTheCallEndsWithThePort) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(link_->ReadFirstBlock());
  const std::vector<std::string> commands = node_.modem.commands();
  const Bytes wire = node_.wire.received();
  link_->Close();
  EXPECT_TRUE(link_->IsOpen());  // the port closes with the link
  link_.reset();
  ASSERT_TRUE(node_.modem.WaitForHangups(1, kBound));
  EXPECT_EQ(node_.modem.commands(), commands);  // no escape, no hang-up command
  EXPECT_EQ(node_.wire.received(), wire);
}

TEST(GsmLinkClosed, NothingHappensWithoutAPort) {
  zv::sim::RunningClock clock(zv::sim::LocalTime(2024, 3, 12, 14, 30));
  CZVGSMLink link(zv::sim::TestTiming(), clock);
  link.Close();
  EXPECT_FALSE(link.ReadFirstBlock());
  EXPECT_FALSE(link.IsOpen());
  zv::BlockList list;
  EXPECT_TRUE(link.ReadBlocks(list.data(), 0));  // nothing to read
  EXPECT_EQ(CZVGSMLink::RunningSenders(), 0);
}

}  // namespace
