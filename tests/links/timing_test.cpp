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
