// CComLink::Open against the modem simulator, and the simulator's data mode.

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "links/com_link.h"
#include "links/node_status.h"
#include "links/poll_flags.h"
#include "platform/profile.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/modem_sim.h"
#include "tests/sim/status_recorder.h"
#include "tests/sim/test_clock.h"

namespace {

using std::chrono::milliseconds;
using Modem = zv::sim::ModemSimulator;
using zv::sim::Bytes;
namespace status = zv::node_status;

constexpr int kCom = 2;

// The scaled timing with reads that wait long for the bytes they ask for (the
// modem and the device may be slow on a loaded machine).
zv::PollTiming GenerousReadTiming() {
  zv::PollTiming t = zv::sim::TestTiming();
  t.port.read_total_constant = zv::Ms(10000);
  return t;
}

// The scaled timing, with silent reads that end after the constant alone, for
// the cases that wait through every try.
zv::PollTiming QuickSilenceTiming() {
  zv::PollTiming t = zv::sim::TestTiming();
  t.port.read_total_per_byte = zv::Duration(0);
  return t;
}

class ModemDialogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(modem_.MapToComPort(kCom));
    modem_.Start();
    MakeLink(zv::sim::TestTiming());
  }
  void TearDown() override { PollCancel.store(false); }

  void MakeLink(const zv::PollTiming& timing) {
    link_ = std::make_unique<CComLink>(timing, clock_, &recorder_);
    link_->node = &node_;
  }
  bool Open(const std::string& init, int link_type = zv::kLinkPstn, const std::string& phone = "5551234") {
    return link_->Open(kCom, link_type, init, phone);
  }
  int Pauses(zv::Duration pause) const {
    const auto all = clock_.pauses();
    return static_cast<int>(std::count(all.begin(), all.end(), pause));
  }

  zv::sim::HeatComputer heat_;  // behind the modem; outlives it
  Modem modem_;
  zv::sim::RunningClock clock_{zv::sim::LocalTime(2024, 3, 12, 14, 30)};
  zv::sim::StatusRecorder recorder_;
  CNode node_;
  std::unique_ptr<CComLink> link_;
};

TEST_F(ModemDialogueTest, EmptyInitStringSkipsTheInitialisation) {
  ASSERT_TRUE(Open(""));
  EXPECT_EQ(recorder_.statuses(), (std::vector<int>{status::kOpeningPort, status::kDialling}));
  EXPECT_EQ(modem_.commands(), (std::vector<std::string>{"ATH0", "ATDT5551234"}));
  EXPECT_EQ(Pauses(link_->poll_timing().link.init_pause), 0);
  EXPECT_EQ(node_.status.load(), status::kDialling);
  EXPECT_TRUE(modem_.in_call());
}

TEST_F(ModemDialogueTest, InitStringFirstWithItsStatus) {
  ASSERT_TRUE(Open("AT&F E0 V1"));
  EXPECT_EQ(recorder_.statuses(),
            (std::vector<int>{status::kOpeningPort, status::kInitialising, status::kDialling}));
  EXPECT_EQ(modem_.commands(), (std::vector<std::string>{"AT&F E0 V1", "ATH0", "ATDT5551234"}));
  ASSERT_FALSE(clock_.pauses().empty());
  EXPECT_EQ(clock_.pauses().front(), link_->poll_timing().link.init_pause);
}

TEST_F(ModemDialogueTest, DialStringByLinkTypeAndProfile) {
  struct Case {
    int link_type;
    const char* by_tone;  // Settings/ModemDialByTone, nullptr: not set
    const char* phone;
    Modem::Dial dial;
  };
  const Case cases[] = {
      {zv::kLinkPstn, nullptr, "5551234", {'T', "5551234"}},
      {zv::kLinkPstn, "1", "5551234", {'T', "5551234"}},
      {zv::kLinkPstn, "0", "8,5551234", {'P', "8,5551234"}},
      {zv::kLinkPstn, "2", "77", {'P', "77"}},
      {zv::kLinkGsm, "0", "+79001234567", {0, "+79001234567"}},
      {zv::kLinkGsm, "1", "89001234567", {0, "89001234567"}},
  };
  const zv::Profile profile(zv::kProgramZEVModem);
  int calls = 0;
  for (const Case& c : cases) {
    if (c.by_tone) {
      ASSERT_TRUE(profile.WriteString("Settings", "ModemDialByTone", c.by_tone));
    }
    MakeLink(zv::sim::TestTiming());
    ASSERT_TRUE(Open("", c.link_type, c.phone)) << c.phone;
    ASSERT_FALSE(modem_.dials().empty());
    EXPECT_EQ(modem_.dials().back(), c.dial) << c.phone;
    link_.reset();  // closing the port ends the call
    ASSERT_TRUE(modem_.WaitForHangups(++calls, milliseconds(20000)));
  }
}

TEST_F(ModemDialogueTest, EveryOtherReplyToTheDialFailsAtOnce) {
  const Modem::DialAnswer answers[] = {Modem::DialAnswer::kBusy, Modem::DialAnswer::kNoDialtone,
                                       Modem::DialAnswer::kNoAnswer, Modem::DialAnswer::kNoCarrier,
                                       Modem::DialAnswer::kOk};
  for (Modem::DialAnswer answer : answers) {
    modem_.SetDialAnswer(answer);
    MakeLink(zv::sim::TestTiming());
    const int before = Pauses(zv::sim::TestTiming().link.reply_pause);
    EXPECT_FALSE(Open(""));
    // The reply ended the wait on the read that got it, not after 15 tries (a
    // slow modem may cost the ATH0 and the dial wait a pause each).
    EXPECT_LE(Pauses(zv::sim::TestTiming().link.reply_pause) - before, 2);
    EXPECT_EQ(recorder_.statuses().back(), status::kDialling);
    EXPECT_FALSE(modem_.in_call());
    link_.reset();
  }
  EXPECT_EQ(modem_.dials().size(), 5u);
}

TEST_F(ModemDialogueTest, SilenceToTheDialUsesEveryTry) {
  modem_.SetDialAnswer(Modem::DialAnswer::kSilence);
  MakeLink(QuickSilenceTiming());
  EXPECT_FALSE(Open(""));
  ASSERT_EQ(modem_.dials().size(), 1u);
  EXPECT_GE(Pauses(QuickSilenceTiming().link.reply_pause), 15);
}

TEST_F(ModemDialogueTest, InitStringRefused) {
  struct Case {
    Modem::CommandAnswer answer;
    int min_pauses;
  };
  for (const Case c : {Case{Modem::CommandAnswer::kError, 0}, Case{Modem::CommandAnswer::kSilence, 3}}) {
    modem_.SetCommandAnswer("ATZ", c.answer);
    MakeLink(QuickSilenceTiming());
    const size_t before = modem_.commands().size();
    EXPECT_FALSE(Open("ATZ"));
    // Nothing after the init string: no ATH0, no dial.
    ASSERT_TRUE(modem_.WaitForCommands(before + 1, milliseconds(20000)));
    EXPECT_EQ(modem_.commands().size(), before + 1);
    EXPECT_EQ(recorder_.statuses().back(), status::kInitialising);
    EXPECT_GE(Pauses(QuickSilenceTiming().link.reply_pause), c.min_pauses);
    link_.reset();
  }
  EXPECT_TRUE(modem_.dials().empty());
}

TEST_F(ModemDialogueTest, HangUpCommandRefused) {
  modem_.SetCommandAnswer("ATH0", Modem::CommandAnswer::kError);
  EXPECT_FALSE(Open("ATZ"));
  EXPECT_TRUE(modem_.dials().empty());
  EXPECT_EQ(recorder_.statuses().back(), status::kInitialising);
}

TEST_F(ModemDialogueTest, PortThatDoesNotOpen) {
  EXPECT_FALSE(link_->Open(0, zv::kLinkPstn, "ATZ", "1"));
  EXPECT_EQ(recorder_.statuses(), std::vector<int>{status::kOpeningPort});
  EXPECT_TRUE(modem_.commands().empty());
}

TEST_F(ModemDialogueTest, OnlyTheModemLinksDial) {
  EXPECT_FALSE(Open("", zv::kLinkTcp));
  EXPECT_TRUE(modem_.dials().empty());
}

TEST_F(ModemDialogueTest, EchoingModem) {
  modem_.SetEcho(true);
  modem_.SetConnectDelay(milliseconds(120));  // CONNECT comes a few tries after the echo
  ASSERT_TRUE(Open("ATE1"));
  EXPECT_EQ(modem_.commands(), (std::vector<std::string>{"ATE1", "ATH0", "ATDT5551234"}));
}

TEST_F(ModemDialogueTest, CancelWhileWaitingForTheConnection) {
  modem_.SetDialAnswer(Modem::DialAnswer::kSilence);
  std::thread stopper([this] {
    while (modem_.dials().empty()) std::this_thread::sleep_for(milliseconds(2));
    PollCancel.store(true);
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Open(""));
  stopper.join();
  // Far fewer than the 15 tries of about 356 ms each.
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(15 * 356));
  EXPECT_LE(Pauses(zv::sim::TestTiming().link.reply_pause), 3);
}

// After CONNECT the bytes pass to the heat computer behind the modem and back.
TEST_F(ModemDialogueTest, DataModeReachesTheDeviceBehindTheModem) {
  heat_.SetType(0);
  heat_.SetVersion(2);
  heat_.Poke(900, Bytes(255, 0x77));
  modem_.SetPeer(&heat_);
  MakeLink(GenerousReadTiming());
  ASSERT_TRUE(Open("", zv::kLinkGsm, "+79001234567"));
  const Bytes request = zv::sim::RequestBytes(0, 0x10, 900, 255);
  ASSERT_EQ(link_->Write(request.data(), 8), 8);
  std::vector<std::uint8_t> answer(259, 0);
  ASSERT_EQ(link_->Read(answer.data(), 259), 259);
  EXPECT_EQ(answer[0], 0x84);
  EXPECT_EQ(answer[1], 0x03);
  EXPECT_EQ(answer[2], 0x77);
  EXPECT_EQ(answer[256], 0x77);
}

TEST_F(ModemDialogueTest, CarrierLossAfterTheNthRequest) {
  modem_.SetPeer(&heat_);
  modem_.SetCarrierLossAfter(2);
  MakeLink(GenerousReadTiming());
  ASSERT_TRUE(Open("", zv::kLinkGsm, "1"));
  const Bytes request = zv::sim::RequestBytes(0, 0x10, 0, 16);
  std::vector<std::uint8_t> answer(64, 0);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(link_->Write(request.data(), 8), 8);
    ASSERT_EQ(link_->Read(answer.data(), 20), 20) << "request " << i;
  }
  // The carrier drops behind the second answer; the modem says so and takes the
  // next request for a (meaningless) command line.
  std::vector<char> text(64, 0);
  const int got = link_->Read(text.data(), 14);
  EXPECT_EQ(std::string(text.data(), static_cast<size_t>(got)), "\r\nNO CARRIER\r\n");
  ASSERT_TRUE(modem_.WaitForHangups(1, milliseconds(20000)));
  EXPECT_FALSE(modem_.in_call());
  ASSERT_EQ(link_->Write(request.data(), 8), 8);
  link_->SetTiming(zv::sim::TestTiming().port);
  EXPECT_EQ(link_->Read(answer.data(), 20), 0);
  EXPECT_EQ(heat_.request_count(), 2u);
  EXPECT_EQ(modem_.hangups(), 1);
}

TEST_F(ModemDialogueTest, ClosingThePortEndsTheCall) {
  ASSERT_TRUE(Open(""));
  EXPECT_TRUE(modem_.in_call());
  link_.reset();
  ASSERT_TRUE(modem_.WaitForHangups(1, milliseconds(20000)));
  EXPECT_FALSE(modem_.in_call());
}

}  // namespace
