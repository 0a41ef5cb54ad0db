#include "fuzz/link_harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <thread>

#include "links/archive_map.h"
#include "links/block_list.h"
#include "links/node.h"

namespace zv::fuzz {

namespace {

// 15 March 2026, 10:00 local time.
std::time_t StartTime() {
  std::tm tm{};
  tm.tm_year = 2026 - 1900;
  tm.tm_mon = 2;
  tm.tm_mday = 15;
  tm.tm_hour = 10;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

// The links read settings (the GSM time limit) from the profile: the fuzz runs
// read none of the user's.
const bool g_no_profile = [] {
  ::setenv("XDG_CONFIG_HOME", "/nonexistent/zv-fuzz-config", 1);
  return true;
}();

}  // namespace

int ChunkedStream::Read(std::uint8_t* buffer, int n) {
  if (n <= 0 || input_.empty()) return 0;
  const size_t c = input_.Byte();
  const std::span<const std::uint8_t> piece = input_.Take(std::min(c, static_cast<size_t>(n)));
  std::memcpy(buffer, piece.data(), piece.size());
  return static_cast<int>(piece.size());
}

NoSleepClock::NoSleepClock() : start_(std::chrono::system_clock::from_time_t(StartTime())) {}

Clock::TimePoint NoSleepClock::Now() const {
  return start_ + std::chrono::microseconds(slept_us_.load());
}

void NoSleepClock::Sleep(std::chrono::microseconds pause) const {
  slept_us_ += pause.count();
  std::this_thread::yield();
}

PollTiming ZeroTiming() {
  PollTiming t;
  const Duration minute = t.gsm.timeout_minute;
  t.ForEachDuration([](Duration& d) { d = Duration(0); });
  t.gsm.timeout_minute = minute;
  return t;
}

DateStamp DownloadTarget() {
  DateStamp target;
  target.FromTime(StartTime() + 2 * 3600);
  return target;
}

DownloadResult RunDownload(CComLink& link, int link_type, int days_back) {
  (void)g_no_profile;
  DownloadResult result;
  CNode node;
  link.node = &node;
  const DateStamp target = DownloadTarget();
  result.first_block = link.ReadFirstBlock();
  if (result.first_block) {
    link.family = link.ImageFamily();
    link.model = link.ImageModel();
    DateStamp last = target;
    last.hour = 0;
    for (int d = 0; d < days_back; ++d) last.Decrement(DateStamp::kDay);
    auto list = std::make_unique<BlockList>();
    if (BuildBlockList(link_type, link.family, link.model, last, target, *list)) {
      result.blocks = list->size();
      result.whole = link.ReadBlocks(list->data(), list->size());
    }
    for (int i = 0; result.whole && i < list->size(); ++i) {
      if (!(*list)[i].IsDone()) {
        std::fprintf(stderr, "download reported whole with block %d (address %d) unread\n", i,
                     (*list)[i].address);
        std::abort();
      }
    }
  }
  result.identity = link.ReadIdentity();
  link.node = nullptr;
  return result;
}

}  // namespace zv::fuzz
