// The direct link against a heat computer on a simulated cable, and against
// answers fed straight to its I/O hooks.

#include "readers/rs/device_link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <memory>
#include <thread>

#include "platform/ini_file.h"
#include "platform/com_ports.h"
#include "platform/profile.h"
#include "readers/common/reader_flags.h"
#include "tests/readers/zevrs_rig.h"
#include "tests/readers/reader_recorder.h"
#include "tests/sim/direct_cable.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/test_clock.h"

namespace zv::test {
namespace {

using sim::Bytes;
using namespace std::chrono_literals;

constexpr int kCom = 3;
// The read limit where the device answers: a read ends when the answer is in,
// so a long limit costs nothing, and a loaded machine's late answer does not
// become a retry. Tests of a silent device shorten it (WriteReaderProfile()).
constexpr int kAnsweredLimit = 5000;
// For tests where one try goes unanswered on purpose and later ones must not.
constexpr int kOneUnansweredTry = 1000;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}




class DeviceLinkTest : public testing::Test {
 protected:
  void SetUp() override {
    g_bStop = false;
    WriteReaderProfile(kAnsweredLimit);
    // At 2400 the handshake's first try is answered, so no read waits out the
    // long limit; tests of the speed search set their own.
    heat.SetSpeed(2400);
    ASSERT_TRUE(cable.MapToComPort(kCom));
    cable.Start();
  }
  void TearDown() override { g_bStop = false; }

  // Made on first use, after the test wrote its profile values.
  CDeviceLink& Link() {
    if (!link) link = std::make_unique<CDeviceLink>(&sink, TestLinkTiming(), clock);
    return *link;
  }
  bool Connect() { return Link().Open("COM3") && Link().InitLink(9600); }
  std::vector<int> Bauds() const {
    std::vector<int> out;
    for (const sim::LoggedRequest& r : heat.requests()) out.push_back(r.baud);
    return out;
  }
  std::vector<sim::LoggedRequest> ArchiveRequests() const {
    std::vector<sim::LoggedRequest> out;
    for (const sim::LoggedRequest& r : heat.requests()) {
      if (r.command == 0x01 && r.address >= 0x100) out.push_back(r);
    }
    return out;
  }

  sim::HeatComputer heat;
  sim::DirectCable cable{heat};
  ReaderRecorder sink;
  sim::RunningClock clock{sim::LocalTime(2024, 5, 6, 7, 8, 9)};
  std::unique_ptr<CDeviceLink> link;  // closed before the cable goes
};

TEST_F(DeviceLinkTest, RequestsReachTheDeviceByteForByte) {
  FillDevice(heat, 4, 1);
  heat.SetSpeed(9600);         // the first try at 2400 goes unanswered
  WriteReaderProfile(kOneUnansweredTry);
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(Link().ReadParameters());
  ASSERT_TRUE(Link().ReadCurrentData());
  ASSERT_TRUE(Link().ReadArchive());
  const Bytes speed = {0xA5, 0x00, 0x06, 0x06, 0x06, 0x00, 0x3F, 0x7A};
  const Bytes expected = Concat({Bytes(32, 0), speed, speed, speed,
                                 {0xA5, 0x00, 0x01, 0x00, 0x00, 0xC0, 0x58, 0xEA},
                                 Bytes(10, 0),
                                 {0xA5, 0x00, 0x02, 0x00, 0x00, 0x00, 0xC8, 0xA8},
                                 {0xA5, 0x00, 0x01, 0x00, 0x01, 0x00, 0x25, 0x00}});
  const Bytes wire = cable.received();
  ASSERT_GE(wire.size(), expected.size());
  EXPECT_EQ(Bytes(wire.begin(), wire.begin() + static_cast<long>(expected.size())), expected);
}

TEST_F(DeviceLinkTest, HandshakeFindsTheDeviceAtEitherSpeed) {
  struct Case {
    int device_baud;
    std::vector<int> line_bauds;
  };
  // At 2400 the device is reached without a try at 9600 first; at 9600 on the
  // second try of the same attempt.
  WriteReaderProfile(kOneUnansweredTry);  // the try at 2400 of a 9600 device
  for (const Case& c : {Case{2400, {2400, 9600}}, Case{9600, {2400, 9600, 9600}}}) {
    SCOPED_TRACE(c.device_baud);
    link.reset();
    heat.ClearFaults();
    heat.SetSpeed(c.device_baud);
    const size_t before = heat.request_count();
    ASSERT_TRUE(Connect());
    std::vector<int> bauds = Bauds();
    bauds.erase(bauds.begin(), bauds.begin() + static_cast<long>(before));
    EXPECT_EQ(bauds, c.line_bauds);
    EXPECT_EQ(heat.speed(), 9600);
    EXPECT_EQ(sink.texts().back(), u"Иницализация связи.");
  }
}

TEST_F(DeviceLinkTest, SilentDeviceUsesEveryAttemptThenReportsTheFailure) {
  WriteReaderProfile();
  heat.SetSilentFrom(0);
  EXPECT_FALSE(Connect());
  // Three attempts of two tries each, each followed by the interval.
  EXPECT_EQ(heat.request_count(), 6u);
  int intervals = 0;
  for (Duration d : clock.pauses()) intervals += d == Ms(7) ? 1 : 0;
  EXPECT_EQ(intervals, 3);
  EXPECT_EQ(sink.texts(), (std::vector<std::u16string>{u"Иницализация связи.", u"Ошибка иницализация связи."}));
  ASSERT_FALSE(sink.reports().empty());
  EXPECT_EQ(sink.reports().front(), (ReaderReport{kLinkEventRange, 1, {}}));
}

TEST_F(DeviceLinkTest, DeviceThatNeverSwitchesIsNotReached) {
  WriteReaderProfile();  // every attempt waits for an answer at 9600
  heat.SetSpeed(2400);
  heat.SetSwitchesSpeed(false);
  EXPECT_FALSE(Connect());
  EXPECT_EQ(sink.texts().back(), u"Ошибка иницализация связи.");
}

TEST_F(DeviceLinkTest, AttemptCountBelowOneCountsAsOne) {
  WriteReaderProfile();
  Profile(kProgramZEVRS).WriteInt("Properties", "InitMaxAttempts", -5);
  heat.SetSilentFrom(0);
  EXPECT_FALSE(Connect());
  EXPECT_EQ(heat.request_count(), 2u);
}

TEST_F(DeviceLinkTest, EveryByteValueOfTheImageArrivesWhole) {
  FillDevice(heat, 2, 1);
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(Link().ReadParameters());
  ASSERT_TRUE(Link().ReadArchive());
  const Bytes memory = heat.Peek(0, 0xE5F4);
  EXPECT_TRUE(std::equal(memory.begin(), memory.begin() + 192, Link().image()));
  for (int a = 192; a < 256; ++a) ASSERT_EQ(Link().image()[a], 0) << a;
  EXPECT_TRUE(std::equal(memory.begin() + 0x100, memory.end(), Link().image() + 0x100));
  for (int a = 0xE5F4; a < CDeviceLink::kImageSize; ++a) ASSERT_EQ(Link().image()[a], 0) << a;
  // Every byte value is in what came (the pattern covers them all).
  std::vector<bool> seen(256);
  for (size_t a = 0x100; a < memory.size(); ++a) seen[memory[a]] = true;
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 256);
}

TEST_F(DeviceLinkTest, ModelDecidesCurrentDataLengthAndArchiveEnd) {
  struct Case {
    std::uint8_t type, version;
    int model, current_length, end;
    size_t requests;
    int last_length;
  };
  const Case cases[] = {
      {4, 3, 1, 66, 0xE2CC, 226, 204},
      {4, 4, 1, 66, 0xE510, 229, 16},
      {4, 1, 1, 66, 0x8000, 127, 256},
      {2, 1, 2, 92, 0xE5F4, 229, 244},
      {2, 3, 1, 66, 0xE2CC, 226, 204},  // a model-2 type byte with version 3
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.type) << "/" << int(c.version));
    link.reset();
    FillDevice(heat, c.type, c.version);
    heat.SetSpeed(2400);  // the last case's handshake left it at 9600
    const size_t before = heat.request_count();
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(Link().ReadParameters());
    EXPECT_EQ(Link().model(), c.model);
    EXPECT_EQ(Link().version(), c.version);
    EXPECT_EQ(DirectArchiveEnd(Link().model(), Link().version()), c.end);
    ASSERT_TRUE(Link().ReadCurrentData());
    const Bytes identity = heat.IdentityData();
    ASSERT_EQ(identity.size(), static_cast<size_t>(c.current_length - 2));
    EXPECT_TRUE(std::equal(identity.begin(), identity.end(), Link().current_data()));
    ASSERT_TRUE(Link().ReadArchive());
    std::vector<sim::LoggedRequest> archive;
    const auto all = heat.requests();
    for (size_t i = before; i < all.size(); ++i) {
      if (all[i].command == 0x01 && all[i].address >= 0x100) archive.push_back(all[i]);
    }
    ASSERT_EQ(archive.size(), c.requests);
    EXPECT_EQ(archive.front().address, 0x100);
    EXPECT_EQ(archive.back().length, c.last_length & 0xFF);
    EXPECT_EQ(archive.back().address + c.last_length, c.end);
    const Bytes memory = heat.Peek(0x100, static_cast<size_t>(c.end - 0x100));
    EXPECT_TRUE(std::equal(memory.begin(), memory.end(), Link().image() + 0x100));
    EXPECT_EQ(Link().image()[c.end], 0);
  }
}

TEST_F(DeviceLinkTest, ArchiveRetriesBadAnswersAndGivesUpWithoutCopying) {
  FillDevice(heat, 4, 1);
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(Link().ReadParameters());
  const size_t first_archive = heat.request_count();
  sim::AnswerFault bad;
  bad.bad_crc = true;
  heat.SetFault(first_archive + 1, bad);  // the second block, once
  ASSERT_TRUE(Link().ReadArchive());
  const Bytes memory = heat.Peek(0x100, 0x8000 - 0x100);
  EXPECT_TRUE(std::equal(memory.begin(), memory.end(), Link().image() + 0x100));
  EXPECT_EQ(sink.Count(kLinkEventStep), 1 + 127);  // parameters and every block once

  // RomMaxAttempts (3) bad answers to one block: false, the block not copied.
  link.reset();
  heat.SetSpeed(2400);
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(Link().ReadParameters());
  const size_t next = heat.request_count();
  for (size_t i = 0; i < 3; ++i) heat.SetFault(next + 2 + i, bad);  // the third block
  EXPECT_FALSE(Link().ReadArchive());
  EXPECT_EQ(heat.request_count(), next + 5);
  EXPECT_TRUE(std::equal(memory.begin(), memory.begin() + 0x200, Link().image() + 0x100));
  for (int a = 0x300; a < 0x400; ++a) ASSERT_EQ(Link().image()[a], 0) << a;
}

TEST_F(DeviceLinkTest, StopEndsArchiveReadWithinOneWait) {
  link.reset();
  WriteReaderProfile(60000);  // a silent read would wait a minute
  FillDevice(heat, 4, 1);
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(Link().ReadParameters());
  const size_t silent = heat.request_count() + 5;
  heat.SetSilentFrom(silent);
  std::atomic<int> result{-1};
  std::thread worker([&] { result = Link().ReadArchive() ? 1 : 0; });
  ASSERT_TRUE(heat.WaitForRequests(silent + 1, 20s));
  g_bStop = true;
  const bool ended = sim::WaitUntil([&] { return result.load() >= 0; }, 20s);
  if (!ended) cable.Pull();  // lets the worker go so the test can end
  worker.join();
  EXPECT_TRUE(ended);
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(heat.request_count(), silent + 1);
}

TEST_F(DeviceLinkTest, StopEndsAHandshakePause) {
  WriteReaderProfile();
  Profile(kProgramZEVRS).WriteInt("Properties", "InitAttemptsInterval", 600000);
  heat.SetSilentFrom(0);
  std::atomic<int> result{-1};
  std::thread worker([&] { result = Connect() ? 1 : 0; });
  ASSERT_TRUE(heat.WaitForRequests(2, 20s));
  g_bStop = true;
  EXPECT_TRUE(sim::WaitUntil([&] { return result.load() >= 0; }, 20s));
  worker.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(heat.request_count(), 2u);
}

TEST_F(DeviceLinkTest, PulledCableFailsTheArchive) {
  WriteReaderProfile();  // each try on the pulled line waits the limit out
  FillDevice(heat, 4, 1);
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(Link().ReadParameters());
  const size_t at = heat.request_count() + 10;
  std::atomic<int> result{-1};
  std::thread worker([&] { result = Link().ReadArchive() ? 1 : 0; });
  ASSERT_TRUE(heat.WaitForRequests(at, 20s));
  cable.Pull();
  worker.join();
  EXPECT_EQ(result.load(), 0);
}

TEST_F(DeviceLinkTest, CurrentDataRetriesAndKeepsTheBlockOnFailure) {
  FillDevice(heat, 2, 1);
  heat.SetClock(2024, 3, 4, 5, 6, 7);
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(Link().ReadParameters());
  sim::AnswerFault bad;
  bad.bad_crc = true;
  size_t next = heat.request_count();
  heat.SetFault(next, bad);
  ASSERT_TRUE(Link().ReadCurrentData());
  EXPECT_EQ(heat.request_count(), next + 2);
  const Bytes identity = heat.IdentityData();
  EXPECT_TRUE(std::equal(identity.begin(), identity.end(), Link().current_data()));
  EXPECT_EQ(Link().GetDeviceTime(), sim::LocalTime(2024, 3, 4, 5, 6, 7));

  // RamMaxAttempts (3) failures: false, the block as it was.
  heat.SetClock(2025, 1, 1, 1, 1, 1);
  next = heat.request_count();
  for (size_t i = 0; i < 3; ++i) heat.SetFault(next + i, bad);
  const Bytes before(Link().current_data(), Link().current_data() + CDeviceLink::kCurrentDataSize);
  EXPECT_FALSE(Link().ReadCurrentData());
  EXPECT_EQ(Bytes(Link().current_data(), Link().current_data() + CDeviceLink::kCurrentDataSize), before);
}

TEST_F(DeviceLinkTest, ShortAnswerIsNotCompletedByAnEarlierOne) {
  // The first answer is damaged in its first byte, the second brings only that
  // first byte: together they would pass the CRC.
  WriteReaderProfile();  // the short answer waits the limit out
  Profile(kProgramZEVRS).WriteInt("Properties", "RamMaxAttempts", 2);
  FillDevice(heat, 2, 1);
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(Link().ReadParameters());
  const size_t next = heat.request_count();
  sim::AnswerFault damaged;
  damaged.flip_byte = 0;
  sim::AnswerFault short_answer;
  short_answer.short_by = 92 - 1;
  heat.SetFault(next, damaged);
  heat.SetFault(next + 1, short_answer);
  EXPECT_FALSE(Link().ReadCurrentData());
  for (int i = 0; i < CDeviceLink::kCurrentDataSize; ++i) ASSERT_EQ(Link().current_data()[i], 0) << i;
}

TEST_F(DeviceLinkTest, NoDeviceBehindTheComNumber) {
  IniFile ini;
  ini.Load(PortsFilePath());
  ini.Set("Ports", "COM7", "/nonexistent/tty");
  ASSERT_TRUE(ini.Save(PortsFilePath()));
  EXPECT_FALSE(Link().Open("COM7"));
  EXPECT_EQ(sink.texts(), std::vector<std::u16string>{u"Cannot open port"});
}

TEST(DeviceClockTest, InvalidClockBytesGiveZero) {
  struct Case {
    int type;
    int year_byte, month, day, hour, minute, second;
    bool valid;
  };
  const Case cases[] = {
      {4, 24, 2, 29, 23, 59, 59, true},  {4, 50, 12, 31, 0, 0, 0, true},   {2, 24, 7, 15, 12, 30, 0, true},
      {4, 51, 1, 1, 0, 0, 0, false},     {4, 24, 0, 1, 0, 0, 0, false},    {4, 24, 1, 0, 0, 0, 0, false},
      {4, 24, 1, 1, 24, 0, 0, false},    {4, 24, 1, 1, 0, 60, 0, false},   {4, 24, 1, 1, 0, 0, 60, false},
      {4, 24, 2, 31, 0, 0, 0, false},    {4, 23, 2, 29, 0, 0, 0, false},   {2, 24, 4, 31, 0, 0, 0, false},
      {4, 24, 13, 1, 0, 0, 0, false},
  };
  WriteReaderProfile();
  sim::RunningClock clock(sim::LocalTime(2024, 1, 1, 0, 0));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.year_byte << "." << c.month << "." << c.day << " " << c.hour << ":"
                                    << c.minute << ":" << c.second);
    FedLink link(clock);
    Bytes params(192);
    params[0] = static_cast<std::uint8_t>(c.type);
    params[1] = 1;
    const int at = c.type == 4 ? 80 : 64;
    params[at] = static_cast<std::uint8_t>(c.year_byte);
    params[at + 1] = static_cast<std::uint8_t>(c.month);
    params[at + 2] = static_cast<std::uint8_t>(c.day);
    params[at + 3] = static_cast<std::uint8_t>(c.hour);
    const int n = c.type == 4 ? 64 : 90;
    Bytes current(static_cast<size_t>(n));
    current[n - 2] = static_cast<std::uint8_t>(c.minute);
    current[n - 1] = static_cast<std::uint8_t>(c.second);
    link.answers = {WithCrc(params), WithCrc(current)};
    ASSERT_TRUE(link.ReadParameters());
    ASSERT_TRUE(link.ReadCurrentData());
    const std::time_t expected =
        c.valid ? sim::LocalTime(2000 + c.year_byte, c.month, c.day, c.hour, c.minute, c.second) : 0;
    EXPECT_EQ(link.GetDeviceTime(), expected);
  }
}

TEST(DeviceClockTest, CheckReplyLeavesTheBufferAlone) {
  sim::RunningClock clock(sim::LocalTime(2024, 1, 1, 0, 0));
  FedLink link(clock);
  Bytes good = WithCrc({1, 2, 3});
  EXPECT_EQ(link.CheckReply(good.data(), 3), good.data());
  Bytes bad = good;
  bad[4] ^= 1;
  const Bytes kept = bad;
  EXPECT_EQ(link.CheckReply(bad.data(), 3), nullptr);
  EXPECT_EQ(bad, kept);
}

}  // namespace
}  // namespace zv::test
