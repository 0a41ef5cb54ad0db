#include "links/serial_port.h"

#include <atomic>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <numeric>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/sim/pty_line.h"
#include "tests/sim/test_clock.h"

namespace {

using std::chrono::milliseconds;
using zv::Ms;
using zv::sim::Bytes;
using zv::sim::PtyLine;
using Steady = std::chrono::steady_clock;

constexpr int kCom = 5;
constexpr milliseconds kBound{10000};  // generous upper bound of any wait here

Bytes AllByteValues() {
  Bytes all(256);
  std::iota(all.begin(), all.end(), 0);
  return all;
}

// What a cooked line would eat or change in either direction.
const Bytes kLineControlBytes = {0x03, 0x0A, 0x0D, 0x11, 0x13};

milliseconds Since(Steady::time_point start) {
  return std::chrono::duration_cast<milliseconds>(Steady::now() - start);
}

std::chrono::microseconds ThreadCpuTime() {
  timespec ts{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return std::chrono::seconds(ts.tv_sec) + std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::nanoseconds(ts.tv_nsec));
}

int OpenDescriptors() {
  int n = 0;
  if (DIR* d = ::opendir("/proc/self/fd")) {
    while (::readdir(d)) ++n;
    ::closedir(d);
  }
  return n;
}

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line_.ok());
    ASSERT_TRUE(line_.MapToComPort(kCom));
    // Long totals unless a test wants a silent read to end: the bytes end the reads.
    timing_.read_interval = Ms(200);
    timing_.read_total_per_byte = Ms(1);
    timing_.read_total_constant = Ms(5000);
    timing_.read_slice = Ms(10);
    timing_.baud_change_pause = Ms(2);
    timing_.failure_message_pause = Ms(3);
    port_.SetTiming(timing_);
  }

  void OpenPort() { ASSERT_TRUE(port_.Open("COM" + std::to_string(kCom))) << port_.last_failure(); }

  Bytes PortRead(int n) {
    Bytes buf(static_cast<size_t>(n) + 16, 0xEE);
    const int got = port_.Read(buf.data(), n);
    buf.resize(static_cast<size_t>(std::max(got, 0)));
    return buf;
  }

  PtyLine line_;
  zv::SerialPortTiming timing_;
  CSerialPort port_;
};

TEST_F(SerialPortTest, OpensTheComNumberThroughThePortMap) {
  EXPECT_FALSE(line_.PeerOpen());
  OpenPort();
  EXPECT_TRUE(port_.IsOpen());
  EXPECT_EQ(port_.device(), line_.slave_path());
  EXPECT_TRUE(line_.PeerOpen());
  port_.Close();
  EXPECT_FALSE(port_.IsOpen());
  EXPECT_TRUE(line_.WaitPeerClosed(kBound));
}

// The harness leaves the line as a fresh pseudo-terminal is: cooked. Without the
// port's own set-up a carriage return arrives as a line feed and nothing is
// delivered before the end of the line.
TEST_F(SerialPortTest, HarnessLineIsCookedWithoutThePort) {
  const int fd = ::open(line_.slave_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  termios tio{};
  ASSERT_EQ(::tcgetattr(fd, &tio), 0);
  EXPECT_TRUE(tio.c_lflag & ICANON);
  EXPECT_TRUE(tio.c_lflag & ECHO);
  EXPECT_TRUE(tio.c_iflag & ICRNL);
  EXPECT_TRUE(tio.c_iflag & IXON);
  ASSERT_TRUE(line_.Write("ab\r"));
  EXPECT_EQ(zv::sim::ToText(line_.ReadExactly(4, milliseconds(2000))), "ab\r\n");  // echoed, CR shown as CR LF
  char buf[16] = {};
  ssize_t k = -1;
  for (int i = 0; i < 200 && k < 0; ++i) {
    k = ::read(fd, buf, sizeof buf);
    if (k < 0) std::this_thread::sleep_for(milliseconds(10));
  }
  EXPECT_EQ(std::string(buf, static_cast<size_t>(std::max<ssize_t>(k, 0))), "ab\n");
  ::close(fd);
}

TEST_F(SerialPortTest, LineControlBytesPassUnchangedBothWays) {
  OpenPort();
  ASSERT_TRUE(line_.Write(kLineControlBytes));
  EXPECT_EQ(PortRead(static_cast<int>(kLineControlBytes.size())), kLineControlBytes);
  ASSERT_EQ(port_.Write(kLineControlBytes.data(), static_cast<int>(kLineControlBytes.size())),
            static_cast<int>(kLineControlBytes.size()));
  // Exactly these bytes come out: no echo of the input before them, no CR added.
  EXPECT_EQ(line_.ReadExactly(kLineControlBytes.size(), kBound), kLineControlBytes);
  EXPECT_TRUE(line_.ReadSome(1, milliseconds(50)).empty());
}

TEST_F(SerialPortTest, AllByteValuesPassUnchangedBothWays) {
  OpenPort();
  const Bytes all = AllByteValues();
  ASSERT_TRUE(line_.Write(all));
  EXPECT_EQ(PortRead(256), all);
  ASSERT_EQ(port_.Write(all.data(), 256), 256);
  EXPECT_EQ(line_.ReadExactly(256, kBound), all);
  EXPECT_TRUE(line_.ReadSome(1, milliseconds(50)).empty());
  // And again after a speed change, which must keep the raw set-up.
  ASSERT_TRUE(port_.SetBaudRate(38400));
  ASSERT_TRUE(line_.Write(all));
  EXPECT_EQ(PortRead(256), all);
  ASSERT_EQ(port_.Write(all.data(), 256), 256);
  EXPECT_EQ(line_.ReadExactly(256, kBound), all);
}

TEST_F(SerialPortTest, SilentReadReturnsZeroAtTheTotalLimit) {
  timing_.read_total_constant = Ms(100);
  timing_.read_total_per_byte = Ms(2);
  port_.SetTiming(timing_);
  OpenPort();
  const auto start = Steady::now();
  EXPECT_TRUE(PortRead(50).empty());
  const milliseconds took = Since(start);
  EXPECT_GE(took, milliseconds(200));  // 2 ms * 50 + 100 ms
  EXPECT_LT(took, kBound);
}

TEST_F(SerialPortTest, PartialAnswerFollowedByAGapReturnsThePart) {
  timing_.read_interval = Ms(60);
  timing_.read_total_constant = Ms(30000);
  port_.SetTiming(timing_);
  OpenPort();
  ASSERT_TRUE(line_.Write(Bytes{1, 2, 3, 4, 5}));
  const auto start = Steady::now();
  EXPECT_EQ(PortRead(20), (Bytes{1, 2, 3, 4, 5}));
  EXPECT_LT(Since(start), milliseconds(15000));  // ended by the gap, not the total
}

TEST_F(SerialPortTest, GapTimerStartsWithTheFirstByte) {
  // The answer starts later than the gap limit: still read, since the gap is
  // only counted between bytes.
  timing_.read_interval = Ms(20);
  timing_.read_total_constant = Ms(5000);
  port_.SetTiming(timing_);
  OpenPort();
  std::thread late([this] {
    std::this_thread::sleep_for(milliseconds(150));
    line_.Write(Bytes{7, 8, 9});
  });
  EXPECT_EQ(PortRead(3), (Bytes{7, 8, 9}));
  late.join();
}

TEST_F(SerialPortTest, FullAnswerEndsTheReadAtOnce) {
  timing_.read_interval = Ms(30000);
  timing_.read_total_constant = Ms(30000);
  port_.SetTiming(timing_);
  OpenPort();
  ASSERT_TRUE(line_.Write(Bytes{9, 8, 7, 6}));
  const auto start = Steady::now();
  EXPECT_EQ(PortRead(4), (Bytes{9, 8, 7, 6}));
  EXPECT_LT(Since(start), milliseconds(15000));
}

TEST_F(SerialPortTest, StopFlagEndsAWaitingReadPromptlyWithZero) {
  timing_.read_total_constant = Ms(60000);
  timing_.read_interval = Ms(60000);
  port_.SetTiming(timing_);
  zv::StopFlag stop{false};
  port_.SetStopFlag(&stop);
  OpenPort();
  ASSERT_TRUE(line_.Write(Bytes{1, 2}));  // some bytes came, the rest never does
  std::thread stopper([&stop] {
    std::this_thread::sleep_for(milliseconds(100));
    stop.store(true);
  });
  const auto start = Steady::now();
  EXPECT_TRUE(PortRead(10).empty());
  EXPECT_LT(Since(start), milliseconds(20000));
  stopper.join();
  // With the flag set, writes give up as well.
  const std::uint8_t b = 0x55;
  EXPECT_EQ(port_.Write(&b, 1), 0);
  stop.store(false);
  EXPECT_EQ(port_.Write(&b, 1), 1);
}

TEST_F(SerialPortTest, HungUpLineIsWaitedOutWithoutSpinning) {
  timing_.read_total_constant = Ms(300);
  timing_.read_total_per_byte = Ms(0);
  port_.SetTiming(timing_);
  OpenPort();
  line_.CloseMaster();
  const auto cpu_start = ThreadCpuTime();
  const auto start = Steady::now();
  EXPECT_TRUE(PortRead(64).empty());
  const milliseconds took = Since(start);
  const auto cpu = ThreadCpuTime() - cpu_start;
  EXPECT_GE(took, milliseconds(300));
  EXPECT_LT(cpu, std::chrono::duration_cast<std::chrono::microseconds>(took) / 2)
      << "the read spun on the hung-up line";
  // A write to the dead line gives up at once instead of waiting its total.
  const Bytes frame(17, 0);
  const auto wstart = Steady::now();
  EXPECT_EQ(port_.Write(frame.data(), 17), 0);
  EXPECT_LT(Since(wstart), milliseconds(1000));
  port_.Close();
}

TEST_F(SerialPortTest, ClosedPortMovesNothing) {
  std::uint8_t buf[8] = {};
  EXPECT_EQ(port_.Read(buf, 8), 0);
  EXPECT_EQ(port_.Write(buf, 8), 0);
  port_.Purge();
  port_.Close();
  OpenPort();
  port_.Close();
  port_.Close();  // the second Close does nothing
  EXPECT_FALSE(port_.IsOpen());
  ASSERT_TRUE(line_.Write(Bytes{1, 2, 3}));
  EXPECT_EQ(port_.Read(buf, 3), 0);
  EXPECT_EQ(port_.Write(buf, 3), 0);
}

TEST_F(SerialPortTest, PurgeDropsWhatWaitsInTheInput) {
  timing_.read_total_constant = Ms(100);
  port_.SetTiming(timing_);
  OpenPort();
  ASSERT_TRUE(line_.Write(Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  // Reading the first byte proves the rest has arrived (one write, one chunk).
  timing_.read_total_constant = Ms(5000);
  port_.SetTiming(timing_);
  EXPECT_EQ(PortRead(1), Bytes{1});
  port_.Purge();
  timing_.read_total_constant = Ms(100);
  port_.SetTiming(timing_);
  EXPECT_TRUE(PortRead(7).empty());
}

TEST_F(SerialPortTest, PurgeInputKeepsRequestsTheOtherEndHasNotTaken) {
  OpenPort();
  ASSERT_TRUE(line_.Write(Bytes{9, 9, 9}));
  EXPECT_EQ(PortRead(1), Bytes{9});  // the rest waits in the input
  // Each request is purged after at once, before the other end can have read
  // it: a purge of both directions loses most of them on a pseudo-terminal.
  const Bytes request = {0xA5, 1, 2, 3, 4, 5};
  constexpr int kRequests = 500;
  for (int i = 0; i < kRequests; ++i) {
    ASSERT_EQ(port_.Write(request.data(), static_cast<int>(request.size())), 6);
    port_.PurgeInput();
  }
  Bytes got;
  const auto start = Steady::now();
  while (got.size() < request.size() * kRequests && Since(start) < kBound) {
    const Bytes part = line_.ReadSome(4096, milliseconds(50));
    got.insert(got.end(), part.begin(), part.end());
  }
  ASSERT_EQ(got.size(), request.size() * kRequests);
  for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], request[i % request.size()]) << i;
  timing_.read_total_constant = Ms(100);
  port_.SetTiming(timing_);
  EXPECT_TRUE(PortRead(2).empty());
}

TEST_F(SerialPortTest, OpenIsExclusive) {
  OpenPort();
  CSerialPort second;
  EXPECT_FALSE(second.Open("COM" + std::to_string(kCom)));
  EXPECT_EQ(second.last_failure(), "Cannot open port");
  EXPECT_TRUE(port_.IsOpen());
  port_.Close();
  EXPECT_TRUE(second.Open("COM" + std::to_string(kCom))) << second.last_failure();
}

struct OpenFailure {
  const char* name;
  const char* text;
};

TEST_F(SerialPortTest, FailedOpenIsClosedAndReportedWhenAsked) {
  const OpenFailure cases[] = {
      {"COM0", "Cannot open port"},
      {"LPT1", "Cannot open port"},
      {"/nonexistent/ttyX", "Cannot open port"},
      {"/dev/null", "Cannot get com state"},  // opens, but is no serial line
  };
  for (const OpenFailure& c : cases) {
    zv::sim::RunningClock clock(std::time(nullptr));
    std::vector<std::string> reports;
    CSerialPort port;
    port.SetTiming(timing_);
    port.SetClock(clock);
    port.SetFailureReporter([&reports](const std::string& text) { reports.push_back(text); });
    const int fds = OpenDescriptors();
    EXPECT_FALSE(port.Open(c.name)) << c.name;
    EXPECT_FALSE(port.IsOpen()) << c.name;
    EXPECT_EQ(OpenDescriptors(), fds) << c.name << ": descriptor left open";
    EXPECT_EQ(port.last_failure(), c.text) << c.name;
    EXPECT_EQ(reports, std::vector<std::string>{c.text}) << c.name;
    EXPECT_EQ(clock.pauses(), std::vector<zv::Duration>{timing_.failure_message_pause}) << c.name;
  }
  // Without a reporter a failure is silent and does not pause.
  zv::sim::RunningClock clock(std::time(nullptr));
  CSerialPort quiet;
  quiet.SetClock(clock);
  EXPECT_FALSE(quiet.Open("/dev/null"));
  EXPECT_TRUE(clock.pauses().empty());
  // The line itself still opens after all that.
  OpenPort();
}

TEST_F(SerialPortTest, SetBaudRatePausesAroundTheChangeAndFailsClosed) {
  zv::sim::RunningClock clock(std::time(nullptr));
  port_.SetClock(clock);
  EXPECT_FALSE(port_.SetBaudRate(38400));  // not open
  EXPECT_EQ(port_.last_failure(), "Cannot get com state SS");
  OpenPort();
  const size_t before = clock.pauses().size();
  EXPECT_TRUE(port_.SetBaudRate(38400));
  EXPECT_TRUE(port_.SetBaudRate(2400));
  const std::vector<zv::Duration> pauses = clock.pauses();
  EXPECT_EQ(pauses.size() - before, 4u);
  EXPECT_EQ(pauses.back(), timing_.baud_change_pause);
  EXPECT_FALSE(port_.SetBaudRate(12345));  // no such line speed
  EXPECT_EQ(port_.last_failure(), "Cannot set com state SS");
  EXPECT_FALSE(port_.IsOpen());
  OpenPort();  // and it can be opened again
}

// The GSM download reads on the worker thread while its sender writes on the
// same port; run that shape against a device that echoes every byte.
TEST_F(SerialPortTest, OneReadAndOneWriteAtTheSameTime) {
  OpenPort();
  zv::sim::SimulatorThread echo;
  echo.Start(
      [this](const std::atomic<bool>& stop) {
        while (!stop.load()) {
          Bytes got = line_.ReadSome(4096, milliseconds(20));
          if (!got.empty()) line_.Write(got);
        }
      },
      &line_);
  constexpr int kFrames = 40;
  constexpr int kFrameSize = 17;
  Bytes sent;
  for (int i = 0; i < kFrames * kFrameSize; ++i) sent.push_back(static_cast<std::uint8_t>(i * 13));
  std::thread sender([&] {
    for (int i = 0; i < kFrames; ++i) {
      EXPECT_EQ(port_.Write(sent.data() + i * kFrameSize, kFrameSize), kFrameSize);
      std::this_thread::sleep_for(milliseconds(1));
    }
  });
  Bytes received;
  const auto start = Steady::now();
  while (received.size() < sent.size() && Since(start) < kBound) {
    Bytes part(sent.size());
    const int got = port_.Read(part.data(), static_cast<int>(sent.size() - received.size()));
    received.insert(received.end(), part.begin(), part.begin() + got);
  }
  sender.join();
  echo.Stop();
  EXPECT_EQ(received, sent);
}

}  // namespace
