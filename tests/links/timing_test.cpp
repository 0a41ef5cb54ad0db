#include "links/poll_timing.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using zv::Duration;
using zv::Ms;

std::vector<Duration> Durations(zv::PollTiming t) {
  std::vector<Duration> out;
  t.ForEachDuration([&out](Duration& d) { out.push_back(d); });
  return out;
}

TEST(PollTiming, DefaultsAreTheRealValues) {
  const zv::SerialPortTiming t;
  EXPECT_EQ(t.read_interval, Ms(500));
  EXPECT_EQ(t.read_total_per_byte, Ms(5));
  EXPECT_EQ(t.read_total_constant, Ms(1000));
  EXPECT_EQ(t.write_total_per_byte, Ms(100));
  EXPECT_EQ(t.write_total_constant, Ms(1000));
  EXPECT_EQ(t.read_slice, Ms(50));
  EXPECT_EQ(t.write_slice, Ms(10));
  EXPECT_EQ(t.baud_change_pause, Ms(100));
  EXPECT_EQ(t.failure_message_pause, Ms(1000));
  const zv::ComLinkTiming l;
  EXPECT_EQ(l.init_pause, Ms(200));
  EXPECT_EQ(l.reply_pause, Ms(1000));
  EXPECT_EQ(l.init_tries, 3);
  EXPECT_EQ(l.hangup_tries, 3);
  EXPECT_EQ(l.connect_tries, 15);
  EXPECT_EQ(l.identity_answer_pause, Ms(10));
  EXPECT_EQ(l.identity_retry_pause, Ms(50));
  EXPECT_EQ(l.identity_tries, 15);
  const zv::PstnLinkTiming p;
  EXPECT_EQ(p.connect_tries, 5);
  EXPECT_EQ(p.connect_answer_pause, Ms(100));
  EXPECT_EQ(p.wake_up_pause, Ms(500));
  EXPECT_EQ(p.first_answer_pause, Ms(100));
  EXPECT_EQ(p.empty_read_pause, Ms(100));
  EXPECT_EQ(p.empty_read_limit, 5);
  EXPECT_EQ(p.wrap_pause, Ms(1000));
  EXPECT_EQ(p.drain_pause, Ms(500));
  EXPECT_EQ(p.bad_answer_limit, 10);
  EXPECT_EQ(p.clock_tries, 5);
  EXPECT_EQ(p.clock_answer_pause, Ms(100));
  EXPECT_EQ(p.disconnect_pause, Ms(100));
  const zv::GsmLinkTiming g;
  EXPECT_EQ(g.first.wake_up_pause, Ms(500));
  EXPECT_EQ(g.first.answer_pause, Ms(300));
  EXPECT_EQ(g.first.empty_read_pause, Ms(100));
  EXPECT_EQ(g.first.empty_read_limit, 5);
  EXPECT_EQ(g.first.drain_pause, Ms(500));
  EXPECT_EQ(g.first.bad_answer_limit, 10);
  EXPECT_EQ(g.request_pause, Ms(400));
  EXPECT_EQ(g.pass_pause, Ms(1000));
  EXPECT_EQ(g.timeout_minute, Ms(60000));
  EXPECT_EQ(g.empty_read_pause, Ms(100));
  EXPECT_EQ(g.empty_read_limit, 5);
  EXPECT_EQ(g.resync_attempts, 20);
  const zv::TcpLinkTiming c;
  EXPECT_EQ(c.first.wake_up_pause, Ms(500));
  EXPECT_EQ(c.first.answer_pause, Ms(100));
  EXPECT_EQ(c.first.empty_read_pause, Ms(100));
  EXPECT_EQ(c.connect_timeout, Ms(3000));
  EXPECT_EQ(c.io_timeout, Ms(1000));
  EXPECT_EQ(c.wait_slice, Ms(50));
  EXPECT_EQ(c.answer_pause, Ms(50));
  EXPECT_EQ(c.empty_read_pause, Ms(10));
  EXPECT_EQ(c.empty_read_limit, 5);
  EXPECT_EQ(c.wrap_pause, Ms(1000));
  EXPECT_EQ(c.drain_pause, Ms(500));
  EXPECT_EQ(c.bad_answer_limit, 10);
  EXPECT_EQ(c.identity_answer_pause, Ms(500));
  EXPECT_EQ(c.identity_empty_read_pause, Ms(100));
  EXPECT_EQ(c.identity_tries, 10);
  const zv::PollWorkerTiming w;
  EXPECT_EQ(w.renamed_pause, Ms(300));
  EXPECT_EQ(w.end_pause, Ms(300));
  EXPECT_EQ(w.final_status_pause, Ms(500));
  EXPECT_EQ(w.idle_pause, Ms(3000));
  EXPECT_EQ(w.converter_poll, Ms(50));
  EXPECT_EQ(w.owner_check, Ms(50));
}

TEST(PollTiming, ScalingReachesEveryDurationAndKeepsProportions) {
  zv::PollTiming t;
  t.port.read_slice = Duration(0);  // zero stays zero
  const std::vector<Duration> before = Durations(t);
  const std::vector<Duration> after = Durations(zv::ScaledTiming(t, 20));
  ASSERT_EQ(before.size(), after.size());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(after[i], Duration(before[i].count() / 20)) << "field " << i;
  }
  // Every listed field really is a field: scaling changed the record itself.
  const zv::PollTiming s = zv::ScaledTiming(zv::PollTiming{}, 20);
  EXPECT_EQ(s.port.read_interval, Ms(25));
  EXPECT_EQ(s.port.read_total_per_byte, Duration(250));
  EXPECT_EQ(s.port.failure_message_pause, Ms(50));
  EXPECT_EQ(s.link.reply_pause, Ms(50));
  EXPECT_EQ(s.link.identity_answer_pause, Duration(500));
  EXPECT_EQ(s.link.connect_tries, 15);  // counts are not scaled
  EXPECT_EQ(s.pstn.wake_up_pause, Ms(25));
  EXPECT_EQ(s.pstn.disconnect_pause, Ms(5));
  EXPECT_EQ(s.pstn.empty_read_limit, 5);
  EXPECT_EQ(s.gsm.first.answer_pause, Ms(15));
  EXPECT_EQ(s.gsm.timeout_minute, Ms(3000));
  EXPECT_EQ(s.gsm.resync_attempts, 20);
  EXPECT_EQ(s.tcp.connect_timeout, Ms(150));
  EXPECT_EQ(s.tcp.identity_empty_read_pause, Ms(5));
  EXPECT_EQ(s.worker.idle_pause, Ms(150));
  EXPECT_EQ(s.worker.converter_poll, Duration(2500));
  EXPECT_EQ(s.worker.owner_check, Duration(2500));
}

TEST(PollTiming, ScalingNeverTurnsAWaitIntoZero) {
  zv::SerialPortTiming t;
  t.read_total_per_byte = Duration(3);
  const zv::SerialPortTiming s = zv::ScaledTiming(t, 1000);
  EXPECT_EQ(s.read_total_per_byte, Duration(1));
  EXPECT_EQ(zv::ScaledTiming(t, 1).read_interval, Ms(500));
  EXPECT_EQ(zv::ScaledTiming(t, 0).read_interval, Ms(500));
}

}  // namespace
