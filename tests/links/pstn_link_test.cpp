// CZVMLink: its frames, the answer check, and a call over the modem and the
// line-side controller simulators to a heat computer.

#include "links/pstn_link.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

#include "links/node_status.h"
#include "links/poll_flags.h"
#include "tests/links/link_fixture.h"
#include "tests/links/pstn_setup.h"
#include "tests/sim/status_recorder.h"

namespace {

using std::chrono::milliseconds;
using zv::sim::Bytes;
using zv::sim::ClockFrame;
using zv::sim::LineController;
using zv::sim::StatusEvent;
namespace status = zv::node_status;
using zv::test::Cat;

constexpr milliseconds kBound{20000};

// --- The frames.

TEST(PstnFrames, TemplatesAreByteExact) {
  const CZVMLink link;
  const std::vector<Bytes> expected = {
      {0x00, 0x00, 0xCA, 0x0D, 0x03, 0x42, 0x00, 0xA5, 0x00, 0x02, 0x00, 0x00, 0x00, 0xC8, 0xA8, 0x00, 0x00},
      {0x00, 0x00, 0xCA, 0x0D, 0x02, 0x84, 0x00, 0xA5, 0x00, 0x10, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00},
      {0x00, 0x00, 0xCA, 0x09, 0x0B, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
      {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xCA, 0x04, 0x01, 0x04, 0x75, 0xAF},
      {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xCA, 0x03, 0x04, 0xD7, 0x15, 0xFF},
  };
  zv::test::ExpectTemplates(link, expected);
  // The stored checks of the connect and disconnect frames are right.
  EXPECT_EQ(zv::sim::ControllerCrc(expected[3].data() + 12, 3), 0xAF75);
  EXPECT_EQ(zv::sim::ControllerCrc(expected[4].data() + 12, 2), 0x15D7);
}

TEST(PstnFrames, SealWritesTheInnerThenTheOuterCheck) {
  CZVMLink link;
  // A memory block request: the inner frame is the heat computer's request, the
  // outer CRC covers L and the 11 bytes after it.
  zv::LinkFrame block = *link.RequestTemplate(zv::kRequestMemoryBlock);
  block[8] = 3;
  block[10] = 0x84;
  block[11] = 0x03;
  link.SealRequest(block);
  EXPECT_EQ(Bytes(block.begin() + 7, block.begin() + 15), zv::sim::RequestBytes(3, 0x10, 0x0384, 128));
  const std::uint16_t outer = zv::sim::ControllerCrc(block.data() + 3, 12);
  EXPECT_EQ(block[15], outer & 0xFF);
  EXPECT_EQ(block[16], outer >> 8);

  // The identity request keeps its stored inner check.
  zv::LinkFrame identity = *link.RequestTemplate(zv::kRequestIdentity);
  link.SealRequest(identity);
  EXPECT_EQ(identity[13], 0xC8);
  EXPECT_EQ(identity[14], 0xA8);

  // The clock frame: the inner check, computed first over bytes 8..12, lands
  // behind the frame; the outer one over bytes 3..10 in 11..12; 15..16 stay 0.
  zv::LinkFrame clock = *link.RequestTemplate(CZVMLink::kRequestClock);
  clock[5] = 14;
  clock[6] = 30;
  link.SealRequest(clock);
  const std::uint16_t inner = zv::sim::DeviceCrc(Bytes{0x00, 0xFF, 0x00, 0x00, 0x00}.data(), 5);
  EXPECT_EQ(clock[13], inner & 0xFF);
  EXPECT_EQ(clock[14], inner >> 8);
  const std::uint16_t clock_outer = zv::sim::ControllerCrc(clock.data() + 3, 8);
  EXPECT_EQ(clock[11], clock_outer & 0xFF);
  EXPECT_EQ(clock[12], clock_outer >> 8);
  EXPECT_EQ(clock[15], 0);
  EXPECT_EQ(clock[16], 0);
}

TEST(PstnFrames, AnswerLengths) {
  CZVMLink link;
  link.image[0] = 4;  // family 1
  EXPECT_EQ(link.AnswerLength(zv::kRequestIdentity), 69);
  link.image[0] = 0;
  link.image[1] = 2;  // family 2
  EXPECT_EQ(link.AnswerLength(zv::kRequestIdentity), 95);
  EXPECT_EQ(link.AnswerLength(zv::kRequestMemoryBlock), 128);
  EXPECT_EQ(link.AnswerLength(CZVMLink::kRequestClock), 8);
  EXPECT_EQ(link.AnswerLength(CZVMLink::kRequestConnect), 8);
  EXPECT_EQ(link.AnswerLength(CZVMLink::kRequestDisconnect), 0);
}

// --- The answer check.

Bytes BlockAnswer(std::uint16_t address) {
  Bytes payload = {static_cast<std::uint8_t>(address & 0xFF), static_cast<std::uint8_t>(address >> 8)};
  for (int i = 0; i < 128; ++i) payload.push_back(static_cast<std::uint8_t>(i + 1));
  const std::uint16_t crc = zv::sim::DeviceCrc(payload.data(), payload.size());
  payload.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  payload.push_back(static_cast<std::uint8_t>(crc >> 8));
  return zv::sim::WrapAnswer(0x02, payload);
}

Bytes Cut(Bytes bytes, size_t n) {
  bytes.resize(n);
  return bytes;
}

Bytes Ack() { return zv::sim::WrapAnswer(0x01, {0x21, 0x10}); }

TEST(PstnAnswer, TakesOnlyWholeFramesThatPassBothChecks) {
  Bytes bad_outer = BlockAnswer(900);
  bad_outer.back() ^= 1;
  Bytes bad_inner = BlockAnswer(900);
  bad_inner[133] ^= 1;
  const Bytes short_frame = {0xCA, 0x04, 0x01, 0x04, 0x75, 0xAF};  // L 4, outer CRC right
  struct Case {
    const char* what;
    Bytes received;  // exactly the bytes that came: a read beyond them trips the sanitizer
    int bound;
    int offset;   // of the payload; -1: refused
    int length;
  };
  const Case cases[] = {
      {"block answer", BlockAnswer(900), 137, 3, 130},
      {"noise pushes the frame past the bytes received", Cut(Cat({{1, 2, 3}, BlockAnswer(900)}), 137), 137, -1, 0},
      {"noise, the whole frame received", Cat({{0, 0, 0}, BlockAnswer(900), {9}}), 137, 6, 130},
      {"bad outer check", bad_outer, 137, -1, 0},
      {"bad inner check", bad_inner, 137, -1, 0},
      {"acknowledgement", Ack(), 8, 3, 0},
      {"acknowledgement after a byte", Cat({{0}, Ack()}), 8, 4, 0},
      {"0xCA beyond the bound", Cat({{0, 0, 0, 0, 0, 0, 0, 0, 0}, Ack()}), 8, -1, 0},
      {"L below 5", short_frame, 8, -1, 0},
      {"L past the end", {0x00, 0xCA, 0xFF}, 8, -1, 0},
      {"0xCA as the last byte", {0x00, 0xCA}, 8, -1, 0},
      {"nothing", {}, 8, -1, 0},
      {"noise with 0xCA first", Cat({{0xCA, 0x07}, BlockAnswer(900)}), 139, -1, 0},
  };
  for (const Case& c : cases) {
    auto buffer = std::make_unique<std::uint8_t[]>(c.received.size() + 1);  // never empty
    std::copy(c.received.begin(), c.received.end(), buffer.get());
    const CZVMLink::Answer answer =
        CZVMLink::FindAnswer(buffer.get(), c.bound, static_cast<int>(c.received.size()));
    if (c.offset < 0) {
      EXPECT_FALSE(answer) << c.what;
      continue;
    }
    ASSERT_TRUE(answer) << c.what;
    EXPECT_EQ(answer.payload - buffer.get(), c.offset) << c.what;
    EXPECT_EQ(answer.length, c.length) << c.what;
  }
}

TEST(PstnAnswer, TheSlotTakesTheAnswerWithinTheBoundAndTwoMore) {
  CZVMLink link;
  Bytes frame = Ack();  // 7 bytes: bound 5 and two more
  EXPECT_NE(link.CheckAnswer(frame.data(), 5), nullptr);
  frame = Ack();
  EXPECT_EQ(link.CheckAnswer(frame.data(), 4), nullptr);
}

TEST(PstnAnswer, InterceptHours) {
  struct Case {
    const char* intrc;
    int from, to;
    bool on;
  };
  const Case cases[] = {
      {"0822", 8, 22, true}, {"0000", 0, 0, false}, {"", 0, 0, false}, {"0800", 8, 0, false},
      {"0023", 0, 23, false}, {"2206", 22, 6, true}, {"7", 7, 7, true}, {"ab12", 0, 12, false},
  };
  for (const Case& c : cases) {
    const CZVMLink::Intercept i = CZVMLink::ParseIntercept(c.intrc);
    EXPECT_EQ(i.from, c.from) << c.intrc;
    EXPECT_EQ(i.to, c.to) << c.intrc;
    EXPECT_EQ(i.on(), c.on) << c.intrc;
  }
}

// --- A call.

constexpr int kCom = 3;

class PstnLinkTest : public zv::test::LinkTest<CZVMLink, zv::test::PstnNode> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(node_.Start(kCom));
    MakeLink(zv::test::DistinctPauses(zv::test::GenerousTiming()));
  }
  bool Open() { return link_->Open(kCom, zv::kLinkPstn, "", "5551234"); }
  const zv::PstnLinkTiming& timing() const { return link_->poll_timing().pstn; }
};

TEST_F(PstnLinkTest, OpenSendsTheConnectFrameOnceTheModemConnects) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(node_.modem.dials(), (std::vector<zv::sim::ModemSimulator::Dial>{{'T', "5551234"}}));
  ASSERT_EQ(node_.controller.frames().size(), 1u);
  EXPECT_EQ(node_.controller.frames()[0].bytes, (Bytes{0xCA, 0x04, 0x01, 0x04, 0x75, 0xAF}));
  EXPECT_TRUE(node_.controller.in_session());
  EXPECT_EQ(node_.controller.rejected_frames(), 0u);
}

TEST_F(PstnLinkTest, NoConnectAnswerFailsOpenAfterFiveTries) {
  MakeLink(zv::test::DistinctPauses(zv::test::QuickSilenceTiming()));
  node_.controller.SetConnectAnswers(false);
  EXPECT_FALSE(Open());
  EXPECT_TRUE(node_.controller.WaitForFrames(LineController::kConnect, 5, kBound));
  EXPECT_EQ(node_.controller.count(LineController::kConnect), 5u);
  EXPECT_EQ(Pauses(timing().connect_answer_pause), 5);
}

TEST_F(PstnLinkTest, FirstBlockWakesTheDeviceAndAsksAnyDeviceForAddressZero) {
  link_->device_address = 3;  // not for the first block
  ASSERT_TRUE(Open());
  ASSERT_TRUE(link_->ReadFirstBlock());
  EXPECT_EQ(Image(0, 128), node_.heat.Peek(0, 128));
  EXPECT_EQ(link_->image[128], 0);
  EXPECT_EQ(link_->DeviceNumber(), 42);
  ASSERT_EQ(node_.heat.request_count(), 1u);
  const zv::sim::LoggedRequest first = node_.heat.requests()[0];
  EXPECT_EQ(first.device, 0);
  EXPECT_EQ(first.command, 0x10);
  EXPECT_EQ(first.address, 0);
  EXPECT_EQ(first.length, 128);
  // The relay frame as sent, and the wake-up pauses before it.
  const std::vector<zv::sim::ControllerFrame> frames = node_.controller.frames();
  ASSERT_EQ(frames.size(), 2u);
  Bytes relay = {0xCA, 0x0D, 0x02, 0x84, 0x00};
  const Bytes inner = zv::sim::RequestBytes(0, 0x10, 0, 128);
  relay.insert(relay.end(), inner.begin(), inner.end());
  const std::uint16_t outer = zv::sim::ControllerCrc(relay.data() + 1, 12);
  relay.push_back(static_cast<std::uint8_t>(outer & 0xFF));
  relay.push_back(static_cast<std::uint8_t>(outer >> 8));
  EXPECT_EQ(frames[1].bytes, relay);
  EXPECT_EQ(Pauses(timing().wake_up_pause), 2);
  EXPECT_EQ(Pauses(timing().first_answer_pause), 1);
  // Stored, not reported.
  EXPECT_EQ(cnode_.status.load(), status::kReading);
  EXPECT_EQ(recorder_.statuses().back(), status::kDialling);
}

TEST_F(PstnLinkTest, FirstBlockAskedAgainAfterABadAnswer) {
  zv::sim::AnswerFault bad;
  bad.bad_crc = true;
  node_.heat.SetFault(0, bad);
  ASSERT_TRUE(Open());
  ASSERT_TRUE(link_->ReadFirstBlock());
  EXPECT_EQ(node_.heat.request_count(), 2u);
  EXPECT_EQ(Image(0, 128), node_.heat.Peek(0, 128));
  EXPECT_EQ(Pauses(timing().drain_pause), 1);
}

TEST_F(PstnLinkTest, BlocksGoToTheAddressTheirAnswersName) {
  node_.heat.SetNetworkAddress(3);
  link_->device_address = 3;
  ASSERT_TRUE(Open());
  // The answer to the first request carries the third block: that item is
  // marked, the walk goes on after it and wraps to the first with a pause.
  List({900, 1028, 1156, 1284});
  zv::sim::AnswerFault other;
  other.block = 1156;
  node_.heat.SetFault(0, other);
  ASSERT_TRUE(ReadList());
  EXPECT_EQ(Asked(), (std::vector<std::uint16_t>{900, 1284, 900, 1028}));
  for (const auto& r : node_.heat.requests()) EXPECT_EQ(r.device, 3);
  for (int a : {900, 1028, 1156, 1284}) EXPECT_EQ(Image(a, 128), node_.heat.Peek(a, 128)) << a;
  for (int i = 0; i < list_.size(); ++i) EXPECT_TRUE(list_[i].IsDone());
  EXPECT_EQ(Pauses(timing().wrap_pause), 1);
  EXPECT_EQ(recorder_.events(),
            (std::vector<StatusEvent>{{cnode_.id(), status::kOpeningPort, 0},
                                      {cnode_.id(), status::kDialling, 0},
                                      {cnode_.id(), status::kReading, 28},
                                      {cnode_.id(), status::kReading, 52},
                                      {cnode_.id(), status::kReading, 76},
                                      {cnode_.id(), status::kReading, 100},
                                      {cnode_.id(), status::kOk, 0}}));
}

// Each fault spoils one answer; the block is asked for again and read.
TEST_F(PstnLinkTest, BadAnswersAreDrainedAndAskedForAgain) {
  struct Case {
    const char* what;
    zv::sim::AnswerFault heat;
    zv::sim::RelayFault controller;
  };
  zv::sim::AnswerFault bad_crc;
  bad_crc.bad_crc = true;
  zv::sim::RelayFault bad_outer;
  bad_outer.bad_outer_crc = true;
  zv::sim::RelayFault bad_inner;
  bad_inner.bad_inner_crc = true;
  zv::sim::RelayFault noise;
  noise.noise = {0x11, 0x22, 0x33, 0x44, 0x55};
  zv::sim::AnswerFault beyond;  // an answer naming a block that passes the end of the image
  beyond.block = 0xFFC0;
  const Case cases[] = {
      {"bad device CRC", bad_crc, {}},
      {"bad outer CRC", {}, bad_outer},
      {"bad inner CRC", {}, bad_inner},
      {"noise before the answer", {}, noise},
      {"block past the image end", beyond, {}},
  };
  ASSERT_TRUE(Open());
  for (const Case& c : cases) {
    node_.heat.ClearFaults();
    const size_t before = node_.heat.request_count();
    const size_t relays = node_.controller.relays();
    node_.heat.SetFault(before + 1, c.heat);
    node_.controller.SetRelayFault(relays + 1, c.controller);
    std::fill(link_->image.begin(), link_->image.end(), 0);
    List({2000, 2128, 2256});
    ASSERT_TRUE(ReadList()) << c.what;
    const std::vector<std::uint16_t> all = Asked();
    EXPECT_EQ(std::vector<std::uint16_t>(all.begin() + static_cast<long>(before), all.end()),
              (std::vector<std::uint16_t>{2000, 2128, 2128, 2256}))
        << c.what;
    for (int a : {2000, 2128, 2256}) EXPECT_EQ(Image(a, 128), node_.heat.Peek(a, 128)) << c.what << " " << a;
    EXPECT_EQ(Image(0xFFC0, 63), Bytes(63, 0)) << c.what;
  }
  EXPECT_EQ(Pauses(timing().drain_pause), 5);
}

TEST_F(PstnLinkTest, NoiseBeforeEveryAnswerEndsTheCallAfterTheLimit) {
  ASSERT_TRUE(Open());
  zv::sim::RelayFault noise;
  noise.noise = {0x01, 0x02, 0x03};
  node_.controller.SetRelayFaultFrom(1, noise);
  List({2000, 2128});
  EXPECT_FALSE(ReadList());
  const int limit = timing().bad_answer_limit;
  const std::vector<std::uint16_t> asked = Asked();
  ASSERT_EQ(asked.size(), static_cast<size_t>(1 + limit));
  EXPECT_EQ(std::count(asked.begin(), asked.end(), 2128), limit);
  EXPECT_TRUE(list_[0].IsDone());
  EXPECT_FALSE(list_[1].IsDone());
}

// Good answers that never bring a listed block: the call ends at the same limit
// as bad ones instead of asking for ever.
TEST_F(PstnLinkTest, AnswersWithTheWrongBlockEndTheCallAfterTheLimit) {
  ASSERT_TRUE(Open());
  const int limit = timing().bad_answer_limit;
  const size_t before = node_.heat.request_count();
  zv::sim::AnswerFault other;
  other.block = 3000;  // not in the list
  for (int k = 0; k < 3 * limit; ++k) node_.heat.SetFault(before + static_cast<size_t>(k), other);
  List({2000, 2128});
  EXPECT_FALSE(ReadList());
  EXPECT_EQ(node_.heat.request_count() - before, static_cast<size_t>(limit));
  EXPECT_FALSE(list_[0].IsDone());
  EXPECT_FALSE(list_[1].IsDone());
}

TEST_F(PstnLinkTest, AMissingAnswerEndsTheCallAtTheFifthEmptyRead) {
  MakeLink(zv::test::DistinctPauses(zv::test::QuickSilenceTiming()));
  ASSERT_TRUE(Open());
  zv::sim::AnswerFault drop;
  drop.drop = true;
  node_.heat.SetFault(1, drop);
  List({2000, 2128, 2256});
  EXPECT_FALSE(ReadList());
  EXPECT_EQ(Asked(), (std::vector<std::uint16_t>{2000, 2128}));  // never asked again
  EXPECT_EQ(Pauses(timing().empty_read_pause), 4);
  EXPECT_NE(recorder_.statuses().back(), status::kOk);
}

TEST_F(PstnLinkTest, CancelEndsTheDownload) {
  ASSERT_TRUE(Open());
  zv::sim::AnswerFault late;
  late.delay = milliseconds(300);
  node_.heat.SetFault(1, late);
  List({2000, 2128, 2256});
  std::thread stopper([&] {
    node_.heat.WaitForRequests(2, kBound);
    PollCancel.store(true);
  });
  EXPECT_FALSE(ReadList());
  stopper.join();
  EXPECT_LE(node_.heat.request_count(), 2u);
  EXPECT_FALSE(list_[2].IsDone());
}

TEST_F(PstnLinkTest, CloseSetsTheClockAndInterceptHoursThenDisconnects) {
  struct Case {
    const char* intrc;
    Bytes hours;
  };
  const Case cases[] = {
      {"0822", {0x08, 0x00, 0x16, 0x00}},
      {"0000", {0xFF, 0x00, 0xFF, 0x00}},
      {"", {0xFF, 0x00, 0xFF, 0x00}},
      {"0800", {0xFF, 0x00, 0xFF, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.intrc);
    if (*c.intrc) cnode_.header.SetString("INTRC", c.intrc);
    const size_t clocks = node_.controller.count(LineController::kClock);
    const size_t disconnects = node_.controller.count(LineController::kDisconnect);
    MakeLink(zv::test::DistinctPauses(zv::test::GenerousTiming()));
    ASSERT_TRUE(Open());
    link_->Close();
    ASSERT_TRUE(node_.controller.WaitForFrames(LineController::kDisconnect, disconnects + 1, kBound));
    const std::vector<ClockFrame> frames = node_.controller.clock_frames();
    ASSERT_EQ(frames.size(), clocks + 1);  // answered at once
    EXPECT_EQ(frames.back(), (ClockFrame{14, 30, c.hours}));
    // Clock, then disconnect, both after the connect.
    const std::vector<std::uint8_t> commands = node_.controller.commands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(std::vector<std::uint8_t>(commands.end() - 3, commands.end()),
              (std::vector<std::uint8_t>{LineController::kConnect, LineController::kClock,
                                         LineController::kDisconnect}));
    EXPECT_FALSE(node_.controller.in_session());
    link_.reset();  // the port closes: the call ends
    ASSERT_TRUE(node_.modem.WaitForHangups(static_cast<int>(disconnects) + 1, kBound));
  }
}

TEST_F(PstnLinkTest, CloseAfterAFailedOpenStillSetsTheClockAndDisconnects) {
  MakeLink(zv::test::DistinctPauses(zv::test::QuickSilenceTiming()));
  node_.controller.SetConnectAnswers(false);
  ASSERT_FALSE(Open());
  link_->Close();
  ASSERT_TRUE(node_.controller.WaitForFrames(LineController::kDisconnect, 1, kBound));
  EXPECT_EQ(node_.controller.commands(),
            (std::vector<std::uint8_t>{1, 1, 1, 1, 1, LineController::kClock, LineController::kDisconnect}));
}

TEST(PstnLinkClosed, CloseWithoutAPortSendsNothing) {
  zv::sim::RunningClock clock(zv::sim::LocalTime(2024, 3, 12, 14, 30));
  CZVMLink link(zv::sim::TestTiming(), clock);
  link.Close();
  EXPECT_TRUE(clock.pauses().empty());
}

}  // namespace
