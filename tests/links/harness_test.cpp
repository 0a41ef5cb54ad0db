#include "tests/sim/pty_line.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "links/serial_port.h"
#include "tests/sim/status_recorder.h"
#include "tests/sim/test_clock.h"

namespace {

using std::chrono::milliseconds;
using zv::sim::Bytes;
using zv::sim::PtyLine;
using Steady = std::chrono::steady_clock;

TEST(PtyLine, ReadWaitsThroughAClosedPortUntilItOpensAndSends) {
  PtyLine line;
  ASSERT_TRUE(line.ok());
  ASSERT_TRUE(line.MapToComPort(2));
  EXPECT_FALSE(line.PeerOpen());
  Bytes got;
  std::thread device([&] { got = line.ReadExactly(4, milliseconds(20000)); });
  std::this_thread::sleep_for(milliseconds(100));  // the device reads while no port is open (EIO)
  CSerialPort port;
  ASSERT_TRUE(port.Open("COM2"));
  const std::uint8_t frame[] = {0xA5, 0x00, 0x02, 0x00};
  EXPECT_EQ(port.Write(frame, 4), 4);
  device.join();
  EXPECT_EQ(got, (Bytes{0xA5, 0x00, 0x02, 0x00}));
}

TEST(PtyLine, ReadOnAClosedPortEndsAtItsBound) {
  PtyLine line;
  ASSERT_TRUE(line.ok());
  const auto start = Steady::now();
  EXPECT_TRUE(line.ReadSome(16, milliseconds(80)).empty());
  EXPECT_GE(Steady::now() - start, milliseconds(80));
  EXPECT_TRUE(line.ReadUntil('\r', milliseconds(20)).empty());
}

TEST(PtyLine, ReadUntilLeavesWhatFollowsInTheLine) {
  PtyLine line;
  ASSERT_TRUE(line.ok());
  ASSERT_TRUE(line.MapToComPort(3));
  CSerialPort port;
  ASSERT_TRUE(port.Open("COM3"));
  const char text[] = "ATH0\rATD123\r";
  ASSERT_EQ(port.Write(text, 12), 12);
  EXPECT_EQ(zv::sim::ToText(line.ReadUntil('\r', milliseconds(10000))), "ATH0\r");
  EXPECT_EQ(zv::sim::ToText(line.ReadUntil('\r', milliseconds(10000))), "ATD123\r");
}

TEST(PtyLine, StoppingASimulatorInterruptsItsRead) {
  PtyLine line;
  ASSERT_TRUE(line.ok());
  zv::sim::SimulatorThread sim;
  std::atomic<int> rounds{0};
  sim.Start(
      [&](const std::atomic<bool>& stop) {
        while (!stop.load()) {
          line.ReadExactly(100, milliseconds(60000));
          ++rounds;
        }
      },
      &line);
  std::this_thread::sleep_for(milliseconds(50));
  const auto start = Steady::now();
  sim.Stop();
  EXPECT_FALSE(sim.running());
  EXPECT_LT(Steady::now() - start, milliseconds(20000));
  EXPECT_EQ(rounds.load(), 1);
}

}  // namespace

namespace {

TEST(StatusRecorder, CollectsReportsOfSeveralThreadsAndWaitsForThem) {
  zv::sim::StatusRecorder recorder;
  std::thread worker([&] {
    for (int p = 5; p <= 100; p += 5) recorder.OnNodeStatus(7, 130, p);
    recorder.OnNodeStatus(7, 134, 0);
  });
  std::thread sender([&] { recorder.OnNodeStatus(7, 142, 0); });
  EXPECT_TRUE(recorder.WaitForStatus(134));
  EXPECT_TRUE(recorder.WaitUntil([](const auto& events) { return events.size() == 22; }));
  worker.join();
  sender.join();
  // One thread's reports keep their order.
  std::vector<int> percents;
  for (const zv::sim::StatusEvent& e : recorder.events()) {
    if (e.status == 130) percents.push_back(e.percent);
  }
  ASSERT_EQ(percents.size(), 20u);
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_FALSE(recorder.WaitForStatus(137, milliseconds(10)));
}

TEST(RunningClock, StartsAtTheChosenDateAndRunsOn) {
  const zv::sim::RunningClock clock(zv::sim::LocalTime(2024, 3, 12, 14, 30));
  const DateStamp now = clock.NowStamp();
  EXPECT_EQ(now.Compare(DateStamp(2024, 3, 12, 14, 30, 0), DateStamp::kMinute), 0);
  const auto t0 = clock.Now();
  clock.Sleep(zv::Ms(20));
  EXPECT_GE(clock.Now() - t0, milliseconds(20));
  EXPECT_EQ(clock.pauses(), std::vector<zv::Duration>{zv::Ms(20)});
}

}  // namespace
