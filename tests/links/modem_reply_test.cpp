// CComLink::WaitModemReply against a line the test writes itself.

#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "links/com_link.h"
#include "links/poll_flags.h"
#include "tests/sim/pty_line.h"
#include "tests/sim/test_clock.h"

namespace {

using std::chrono::milliseconds;
using zv::Duration;

// A clock whose pauses the test can act in: `hook` runs at the start of every
// pause with its number (0, 1, ...) and the pause follows.
class HookClock final : public zv::Clock {
 public:
  std::function<void(int)> hook;

  TimePoint Now() const override { return std::chrono::system_clock::now(); }
  void Sleep(Duration pause) const override {
    int n;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      n = static_cast<int>(pauses_.size());
      pauses_.push_back(pause);
    }
    if (hook) hook(n);
    std::this_thread::sleep_for(pause);
  }
  int count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(pauses_.size());
  }

 private:
  mutable std::mutex mutex_;
  mutable std::vector<Duration> pauses_;
};

constexpr int kCom = 4;

class ModemReplyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line_.ok());
    ASSERT_TRUE(line_.MapToComPort(kCom));
    link_ = std::make_unique<CComLink>(zv::sim::TestTiming(), clock_);
    ASSERT_TRUE(link_->CSerialPort::Open("COM" + std::to_string(kCom)));
  }
  void TearDown() override { PollCancel.store(false); }

  zv::sim::PtyLine line_;
  HookClock clock_;
  std::unique_ptr<CComLink> link_;
};

TEST_F(ModemReplyTest, ReplyTable) {
  struct Case {
    const char* line;  // what the modem has sent when the wait starts
    int wanted;
    int tries;
    bool cancel;
    int result;
    int pauses;  // reply pauses taken
  };
  const Case cases[] = {
      {"\r\nOK\r\n", zv::kReplyOk, 3, false, 0, 0},
      {"\r\nCONNECT 9600\r\n", zv::kReplyConnect, 15, false, 0, 0},
      {"ATH0\r\r\nOK\r\n", zv::kReplyOk, 3, false, 0, 0},  // echo before the reply
      // Any other reply of the table fails at once, on the first read.
      {"\r\nBUSY\r\n", zv::kReplyConnect, 15, false, -1, 0},
      {"\r\nOK\r\n", zv::kReplyConnect, 15, false, -1, 0},
      {"\r\nNO CARRIER\r\n", zv::kReplyConnect, 15, false, -1, 0},
      {"\r\nNO DIALTONE\r\n", zv::kReplyConnect, 15, false, -1, 0},
      {"\r\nNO ANSWER\r\n", zv::kReplyConnect, 15, false, -1, 0},
      {"\r\nERROR\r\n", zv::kReplyOk, 3, false, -1, 0},
      {"\r\nCONNECT 9600\r\n", zv::kReplyOk, 3, false, -1, 0},
      // Text the table does not know, or silence, uses up the tries.
      {"\r\nRING\r\n", zv::kReplyOk, 2, false, -1, 2},
      {"", zv::kReplyOk, 2, false, -1, 2},
      // A cancel ends the wait after the read, before any pause; the wanted
      // reply read in that same read still counts.
      {"", zv::kReplyConnect, 15, true, -1, 0},
      {"\r\nRING\r\n", zv::kReplyConnect, 15, true, -1, 0},
      {"\r\nOK\r\n", zv::kReplyOk, 3, true, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("reply ") + c.line + " wanted " + zv::ModemReplyText(c.wanted));
    line_.Drain(milliseconds(5));
    if (*c.line) {
      ASSERT_TRUE(line_.Write(c.line));
    }
    PollCancel.store(c.cancel);
    const int before = clock_.count();
    EXPECT_EQ(link_->WaitModemReply(c.wanted, c.tries), c.result);
    EXPECT_EQ(clock_.count() - before, c.pauses);
    PollCancel.store(false);
  }
}

TEST_F(ModemReplyTest, ReplyAfterAPauseIsReadByTheNextTry) {
  clock_.hook = [&](int n) {
    if (n == 1) line_.Write("\r\nCONNECT 9600\r\n");
  };
  EXPECT_EQ(link_->WaitModemReply(zv::kReplyConnect, 15), 0);
  EXPECT_EQ(clock_.count(), 2);
}

TEST_F(ModemReplyTest, TheLastTryPurgesTheLine) {
  // A reply that arrives during the last pause is thrown away with the purge.
  clock_.hook = [&](int n) {
    if (n == 1) {
      line_.Write("\r\nOK\r\n");
      std::this_thread::sleep_for(milliseconds(300));  // into the port's input queue
    }
  };
  EXPECT_EQ(link_->WaitModemReply(zv::kReplyOk, 2), -1);
  clock_.hook = nullptr;
  EXPECT_EQ(link_->WaitModemReply(zv::kReplyOk, 1), -1);
}

TEST_F(ModemReplyTest, CancelDuringTheReadEndsTheWait) {
  std::thread stopper([] {
    std::this_thread::sleep_for(milliseconds(50));
    PollCancel.store(true);
  });
  EXPECT_EQ(link_->WaitModemReply(zv::kReplyConnect, 15), -1);
  stopper.join();
  // The read under way ends the wait (a slow stopper may have let one more pass).
  EXPECT_LE(clock_.count(), 2);
}

TEST_F(ModemReplyTest, LongReplyStaysTerminatedAndNothingIsLost) {
  // More text than one read takes: the first read fills all but the last byte
  // of the buffer, the rest (with the reply) comes with the next try.
  std::string text(1500, 'x');
  text += "\r\nOK\r\n";
  ASSERT_TRUE(line_.Write(text));
  EXPECT_EQ(link_->WaitModemReply(zv::kReplyOk, 2), 0);
  EXPECT_EQ(clock_.count(), 1);
  // A line full of text without any reply: every read is a full buffer.
  ASSERT_TRUE(line_.Write(std::string(4000, 'y')));
  EXPECT_EQ(link_->WaitModemReply(zv::kReplyOk, 3), -1);
}

}  // namespace
