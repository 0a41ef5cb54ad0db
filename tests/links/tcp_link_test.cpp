// CZVACLink and CTimeoutSocket: the frames, the bounded socket calls, and
// downloads over loopback TCP through the IP converter simulator to the heat
// computer.

#include "links/tcp_link.h"

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
#include "links/timeout_socket.h"
#include "tests/links/direct_setup.h"
#include "tests/links/link_fixture.h"
#include "tests/links/pstn_setup.h"
#include "tests/sim/status_recorder.h"

namespace {

using std::chrono::milliseconds;
using zv::sim::AnswerFault;
using zv::sim::Bytes;
namespace status = zv::node_status;
using zv::test::Cat;
using Steady = std::chrono::steady_clock;

constexpr milliseconds kBound{20000};

TEST(TcpFrames, NothingIsSentOrReceivedWithoutAConnection) {
  zv::sim::RunningClock clock(zv::sim::LocalTime(2024, 3, 12, 14, 30));
  CZVACLink link(zv::sim::TestTiming(), clock);
  std::uint8_t buffer[CZVACLink::kReceiveChunk] = {};
  EXPECT_EQ(link.Send(buffer, 8), 0);
  EXPECT_EQ(link.Receive(buffer, 8), 0);
  link.Close();  // nothing to close
  EXPECT_FALSE(link.IsConnected());
  EXPECT_FALSE(link.IsOpen());  // the serial port stays closed
}

// --- The socket.

class TimeoutSocketTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(node_.Start()); }
  bool Connect() { return socket_.Connect("127.0.0.1", node_.converter.port(), zv::Ms(10000)); }

  zv::test::TcpNode node_;
  CTimeoutSocket socket_;
};

TEST_F(TimeoutSocketTest, ConnectsByNumberOrName) {
  for (const char* host : {"127.0.0.1", "localhost"}) {
    SCOPED_TRACE(host);
    ASSERT_TRUE(socket_.Connect(host, node_.converter.port(), zv::Ms(10000)));
    EXPECT_TRUE(socket_.IsOpen());
    socket_.Close();
    EXPECT_FALSE(socket_.IsOpen());
  }
  EXPECT_TRUE(node_.converter.WaitForConnections(2, kBound));
}

TEST_F(TimeoutSocketTest, RefusedOrImpossibleConnectsFail) {
  const int unused = zv::sim::UnusedPort();
  ASSERT_GT(unused, 0);
  EXPECT_FALSE(socket_.Connect("127.0.0.1", unused, zv::Ms(10000)));
  EXPECT_FALSE(socket_.Connect("127.0.0.1", 0, zv::Ms(10000)));
  EXPECT_FALSE(socket_.Connect("127.0.0.1", 70000, zv::Ms(10000)));
  EXPECT_FALSE(socket_.Connect("", node_.converter.port(), zv::Ms(10000)));
  EXPECT_FALSE(socket_.IsOpen());
}

TEST_F(TimeoutSocketTest, AConnectWithoutAnswerEndsAtItsLimit) {
  zv::sim::FullListener listener;
  ASSERT_TRUE(listener.Start());
  const auto start = Steady::now();
  EXPECT_FALSE(socket_.Connect("127.0.0.1", listener.port(), zv::Ms(200)));
  EXPECT_GE(Steady::now() - start, milliseconds(200));
  EXPECT_FALSE(socket_.IsOpen());
}

TEST_F(TimeoutSocketTest, AReceiveWithoutBytesEndsAtItsLimit) {
  ASSERT_TRUE(Connect());
  std::uint8_t buffer[16];
  const auto start = Steady::now();
  EXPECT_EQ(socket_.Receive(buffer, sizeof buffer, zv::Ms(100)), -1);
  EXPECT_GE(Steady::now() - start, milliseconds(100));
  EXPECT_TRUE(socket_.IsOpen());
}

TEST_F(TimeoutSocketTest, TheStopFlagEndsAWait) {
  zv::StopFlag stop{false};
  socket_.SetStopFlag(&stop, zv::Ms(5));
  ASSERT_TRUE(Connect());
  std::future<int> got = std::async(std::launch::async, [&] {
    std::uint8_t buffer[16];
    return socket_.Receive(buffer, sizeof buffer, zv::Ms(600000));
  });
  ASSERT_TRUE(node_.converter.WaitForConnections(1, kBound));
  stop.store(true);
  ASSERT_EQ(got.wait_for(kBound), std::future_status::ready);
  EXPECT_EQ(got.get(), -1);
}

TEST_F(TimeoutSocketTest, SendingToAPeerThatHasGoneFailsWithoutASignal) {
  node_.converter.SetCloseAfter(1);
  ASSERT_TRUE(Connect());
  const Bytes request = zv::sim::RequestBytes(0, 0x10, 0, 16);
  ASSERT_EQ(socket_.Send(request.data(), static_cast<int>(request.size()), zv::Ms(10000)), 8);
  std::uint8_t buffer[64];
  int got = 0;
  while (got < 20) {  // the answer (16 + 4 bytes), then the converter hangs up
    const int k = socket_.Receive(buffer, sizeof buffer, zv::Ms(10000));
    ASSERT_GT(k, 0);
    got += k;
  }
  EXPECT_EQ(socket_.Receive(buffer, sizeof buffer, zv::Ms(10000)), 0);  // the end of the stream
  // The first send after the end still goes out; the peer's reset then makes
  // the next ones fail, which with SIGPIPE would have ended this program.
  int result = 0;
  const auto end = Steady::now() + kBound;
  while (result >= 0 && Steady::now() < end) {
    result = socket_.Send(request.data(), static_cast<int>(request.size()), zv::Ms(10000));
    std::this_thread::sleep_for(milliseconds(2));
  }
  EXPECT_EQ(result, -1);
}

// --- The link over the converter.

constexpr std::uint16_t kA0 = 0x8000;
constexpr std::uint16_t kA1 = 0x80FF;
constexpr std::uint16_t kA2 = 0x81FE;

// Bounds that only a missing answer reaches.
zv::PollTiming TcpTiming() {
  zv::PollTiming t = zv::test::DistinctDirectPauses(zv::test::GenerousTiming());
  t.tcp.io_timeout = zv::Ms(10000);
  return t;
}

class TcpLinkTest : public zv::test::LinkTest<CZVACLink, zv::test::TcpNode> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(node_.Start());
    MakeLink(TcpTiming());
  }
  bool Open() { return link_->Open(node_.converter.port(), zv::kLinkTcp, "", "127.0.0.1"); }
  const zv::TcpLinkTiming& timing() const { return link_->poll_timing().tcp; }
  bool ReadList(std::initializer_list<int> addresses) {
    List(addresses);
    return LinkTest::ReadList();
  }
  void ExpectAllRead() const { LinkTest::ExpectAllRead(255); }
};

// A receive fills at most the bytes it was asked for (and never more than 255
// at once), whatever has come: each buffer here is exactly that large, so a
// byte written past it is caught (under ASan at once).
TEST_F(TcpLinkTest, AReceiveFillsNoMoreThanItWasAskedFor) {
  const Bytes answer = Cat({Bytes{0x00, 0x80}, node_.heat.Peek(kA0, 255)});
  const Bytes request = zv::sim::RequestBytes(0, 0x10, kA0, 255);
  size_t requests = 0;
  for (int n : {1, 4, 100, 254, 255, 259}) {
    SCOPED_TRACE(n);
    MakeLink(TcpTiming());
    ASSERT_TRUE(Open());
    ASSERT_EQ(link_->Send(request.data(), static_cast<int>(request.size())), 8);
    ASSERT_TRUE(node_.heat.WaitForRequests(++requests, kBound));
    std::vector<std::uint8_t> buffer(static_cast<size_t>(n));
    const int got = link_->Receive(buffer.data(), n);
    ASSERT_GT(got, 0);
    EXPECT_LE(got, std::min(n, CZVACLink::kReceiveChunk));
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + std::min(got, n)),
              Bytes(answer.begin(), answer.begin() + std::min(got, n)));
    link_->Close();
  }
}

TEST_F(TcpLinkTest, OpenConnectsWithoutAModemOrStatuses) {
  ASSERT_TRUE(Open());
  EXPECT_TRUE(link_->IsConnected());
  EXPECT_TRUE(node_.converter.WaitForConnections(1, kBound));
  EXPECT_TRUE(recorder_.events().empty());
  EXPECT_TRUE(clock_.pauses().empty());
}

TEST_F(TcpLinkTest, WakeUpFirstBlockWithTheLeadingZerosThenBareFrames) {
  node_.heat.SetNetworkAddress(3);
  link_->device_address = 3;  // for the list, not for the first block
  ASSERT_TRUE(Open());
  ASSERT_TRUE(link_->ReadFirstBlock());
  EXPECT_EQ(Image(0, 255), node_.heat.Peek(0, 255));
  EXPECT_EQ(link_->DeviceNumber(), 42);
  EXPECT_EQ(cnode_.status.load(), status::kReading);  // stored, not reported
  EXPECT_TRUE(recorder_.events().empty());
  ASSERT_TRUE(ReadList({kA0, kA1, kA2}));
  ExpectAllRead();
  EXPECT_EQ(node_.wire.received(),
            Cat({Bytes(3 * 64 + 7, 0), zv::sim::RequestBytes(0, 0x10, 0, 255), zv::sim::RequestBytes(3, 0x10, kA0, 255),
                 zv::sim::RequestBytes(3, 0x10, kA1, 255), zv::sim::RequestBytes(3, 0x10, kA2, 255)}));
  EXPECT_EQ(Pauses(timing().first.wake_up_pause), 2);
  EXPECT_EQ(Pauses(timing().first.answer_pause), 1);
  EXPECT_EQ(Pauses(timing().answer_pause), 3);
  const std::vector<zv::sim::StatusEvent> events = recorder_.events();
  ASSERT_EQ(events.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(events[static_cast<size_t>(i)].status, status::kReading);
  EXPECT_GE(events[2].percent, 99);
  EXPECT_EQ(events[3], (zv::sim::StatusEvent{cnode_.id(), status::kOk, 0}));
}

TEST_F(TcpLinkTest, AnAnswerNamingAnotherBlockFillsThatOneAndTheWalkGoesOnFromIt) {
  ASSERT_TRUE(Open());
  node_.heat.SetFault(0, zv::test::OtherBlockFault(kA1));
  ASSERT_TRUE(ReadList({kA0, kA1, kA2}));
  ExpectAllRead();
  EXPECT_EQ(Asked(), (std::vector<std::uint16_t>{kA0, kA2, kA0}));
  EXPECT_EQ(Pauses(timing().wrap_pause), 1);
}

TEST_F(TcpLinkTest, IdentityBlockByFamily) {
  struct Case {
    std::uint8_t type;
    size_t data;
  };
  ASSERT_TRUE(Open());
  link_->device_address = 3;
  node_.heat.SetNetworkAddress(3);
  for (const Case& c : {Case{0, 90}, Case{4, 64}}) {
    SCOPED_TRACE(c.data);
    node_.heat.SetType(c.type);
    link_->image[0] = c.type;
    link_->family = link_->ImageFamily();
    link_->identity.fill(0xEE);
    ASSERT_TRUE(link_->ReadIdentity());
    const Bytes data = node_.heat.IdentityData();
    ASSERT_EQ(data.size(), c.data);
    EXPECT_EQ(Bytes(link_->identity.begin(), link_->identity.begin() + static_cast<long>(c.data)), data);
    EXPECT_EQ(link_->identity[c.data], 0xEE);
    const zv::sim::LoggedRequest r = node_.heat.requests().back();
    EXPECT_EQ(r.command, 0x02);
    EXPECT_EQ(r.device, 3);
    EXPECT_EQ(recorder_.events().back(), (zv::sim::StatusEvent{cnode_.id(), status::kReading, 5}));
  }
  const Bytes identity_request = Cat({Bytes(7, 0), zv::sim::RequestBytes(3, 0x02, 0, 0)});
  EXPECT_EQ(node_.wire.received(), Cat({identity_request, identity_request}));
  EXPECT_EQ(Pauses(timing().identity_answer_pause), 2);
}

TEST_F(TcpLinkTest, AnIdentityThatNeverComesFails) {
  zv::PollTiming t = TcpTiming();
  t.tcp.io_timeout = zv::Ms(20);
  MakeLink(t);
  node_.heat.SetSilentFrom(0);
  ASSERT_TRUE(Open());
  EXPECT_FALSE(link_->ReadIdentity());
  EXPECT_EQ(node_.heat.request_count(), static_cast<size_t>(timing().identity_tries));
  EXPECT_EQ(recorder_.statuses().back(), status::kFailure);
}

// How each answer of the list arrives, and what the link makes of it.
struct Arrival {
  const char* name;
  AnswerFault fault;
  bool every_answer;                  // the fault spoils every answer, else only A1's first
  std::vector<std::uint16_t> asked;   // the requests of the list, in order
};

void PrintTo(const Arrival& a, std::ostream* os) { *os << a.name; }

AnswerFault Pieces(size_t n) {
  AnswerFault f;
  f.chunk = n;
  f.chunk_pause = milliseconds(1);
  return f;
}

AnswerFault Trailing(size_t n) {
  AnswerFault f;
  f.trailing = Bytes(n, 0x33);
  return f;
}

class TcpArrivalTest : public TcpLinkTest, public ::testing::WithParamInterface<Arrival> {};

TEST_P(TcpArrivalTest, TheListIsReadWhole) {
  const Arrival& c = GetParam();
  ASSERT_TRUE(Open());
  if (c.every_answer) {
    for (std::uint16_t a : {kA0, kA1, kA2}) node_.heat.SetBlockFault(a, 0, c.fault, true);
  } else {
    node_.heat.SetBlockFault(kA1, 0, c.fault);
  }
  ASSERT_TRUE(ReadList({kA0, kA1, kA2}));
  ExpectAllRead();
  EXPECT_EQ(Asked(), c.asked);
  EXPECT_EQ(Image(0xFFC0, 63), Bytes(63, 0));
  EXPECT_EQ(Pauses(timing().drain_pause), c.every_answer ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, TcpArrivalTest,
    ::testing::Values(Arrival{"OneByteSegments", Pieces(1), true, {kA0, kA1, kA2}},
                      Arrival{"TrailingBytes", Trailing(40), true, {kA0, kA1, kA2}},
                      Arrival{"BadCrc", zv::test::BadCrcFault(), false, {kA0, kA1, kA1, kA2}},
                      Arrival{"LeadingNoise", zv::test::NoiseFault(5), false, {kA0, kA1, kA1, kA2}},
                      Arrival{"BlockPastTheImageEnd", zv::test::OtherBlockFault(0xFFC0), false, {kA0, kA1, kA1, kA2}}),
    [](const ::testing::TestParamInfo<Arrival>& info) { return std::string(info.param.name); });

TEST_F(TcpLinkTest, BadAnswersInARowEndTheCallAtTheLimit) {
  ASSERT_TRUE(Open());
  node_.heat.SetBlockFault(kA1, 0, zv::test::BadCrcFault(), true);
  EXPECT_FALSE(ReadList({kA0, kA1, kA2}));
  const std::vector<std::uint16_t> asked = Asked();
  EXPECT_EQ(std::count(asked.begin(), asked.end(), kA1), timing().bad_answer_limit);
  EXPECT_FALSE(list_[1].IsDone());
}

TEST_F(TcpLinkTest, AConverterThatHangsUpEndsTheCallAfterFiveEmptyReceives) {
  node_.converter.SetCloseAfter(2);  // the first block and one of the list
  ASSERT_TRUE(Open());
  ASSERT_TRUE(link_->ReadFirstBlock());
  EXPECT_FALSE(ReadList({kA0, kA1, kA2}));
  EXPECT_TRUE(list_[0].IsDone());
  EXPECT_FALSE(list_[1].IsDone());
  EXPECT_EQ(Asked(), (std::vector<std::uint16_t>{0, kA0}));  // A1's request found the line gone
  EXPECT_EQ(Pauses(timing().empty_read_pause), 4);
}

TEST_F(TcpLinkTest, ACancelEndsTheDownload) {
  ASSERT_TRUE(Open());
  node_.heat.SetSilentFrom(1);
  std::thread stopper([&] {
    node_.heat.WaitForRequests(2, kBound);
    PollCancel.store(true);
  });
  EXPECT_FALSE(ReadList({kA0, kA1, kA2}));
  stopper.join();
  EXPECT_FALSE(list_[1].IsDone());
}

TEST_F(TcpLinkTest, CloseShutsTheConnectionDown) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(node_.converter.WaitForConnections(1, kBound));
  link_->Close();
  EXPECT_FALSE(link_->IsConnected());
  EXPECT_TRUE(node_.converter.WaitForClosedByWorkstation(1, kBound));
  link_->Close();  // once is enough
}

TEST_F(TcpLinkTest, ARefusedOrUnansweredConnectFailsOpen) {
  zv::PollTiming t = TcpTiming();
  t.tcp.connect_timeout = zv::Ms(150);
  MakeLink(t);
  EXPECT_FALSE(link_->Open(zv::sim::UnusedPort(), zv::kLinkTcp, "", "127.0.0.1"));
  zv::sim::FullListener listener;
  ASSERT_TRUE(listener.Start());
  const auto start = Steady::now();
  EXPECT_FALSE(link_->Open(listener.port(), zv::kLinkTcp, "", "127.0.0.1"));
  EXPECT_GE(Steady::now() - start, milliseconds(150));
  EXPECT_FALSE(link_->IsConnected());
  EXPECT_TRUE(recorder_.events().empty());
}

}  // namespace
