#pragma once
// The fixture of the link tests: a link of class Link to a simulated node of
// class Node (PstnNode, GsmNode or TcpNode, each with its `heat` computer), a
// running clock that remembers every pause, a status recorder, the node being
// polled and a block list. The derived fixture starts the node and makes the
// link (MakeLink) in its SetUp.

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <vector>

#include "links/block_list.h"
#include "links/com_link.h"
#include "links/node.h"
#include "links/poll_flags.h"
#include "links/poll_timing.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/status_recorder.h"
#include "tests/sim/test_clock.h"

namespace zv::test {

inline sim::Bytes FrameBytes(const LinkFrame& frame) { return sim::Bytes(frame.begin(), frame.end()); }

inline sim::Bytes Cat(std::initializer_list<sim::Bytes> parts) {
  sim::Bytes out;
  for (const sim::Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// The link's stored templates are `expected`, by request type, and it has no
// others.
inline void ExpectTemplates(const CComLink& link, const std::vector<sim::Bytes>& expected) {
  const int types = static_cast<int>(expected.size());
  for (int type = 0; type < types; ++type) {
    ASSERT_TRUE(link.RequestTemplate(type).has_value()) << type;
    EXPECT_EQ(FrameBytes(*link.RequestTemplate(type)), expected[static_cast<size_t>(type)]) << type;
  }
  EXPECT_FALSE(link.RequestTemplate(types).has_value());
  EXPECT_FALSE(link.RequestTemplate(-1).has_value());
}

template <class Link, class Node>
class LinkTest : public ::testing::Test {
 protected:
  void TearDown() override { PollCancel.store(false); }

  // A new link with `timing`, on the fixture's clock unless another is given.
  void MakeLink(const PollTiming& timing, const Clock* clock = nullptr) {
    link_ = std::make_unique<Link>(timing, clock != nullptr ? *clock : clock_, &recorder_);
    link_->node = &cnode_;
  }
  // How often the link paused for exactly `pause`.
  int Pauses(Duration pause) const {
    const std::vector<Duration> all = clock_.pauses();
    return static_cast<int>(std::count(all.begin(), all.end(), pause));
  }
  // The addresses of the requests the heat computer got, in order.
  std::vector<std::uint16_t> Asked() const {
    std::vector<std::uint16_t> out;
    for (const sim::LoggedRequest& r : node_.heat.requests()) out.push_back(r.address);
    return out;
  }
  int TimesAsked(std::uint16_t address) const {
    const std::vector<std::uint16_t> all = Asked();
    return static_cast<int>(std::count(all.begin(), all.end(), address));
  }
  sim::Bytes Image(int address, int n) const {
    return sim::Bytes(link_->image.begin() + address, link_->image.begin() + address + n);
  }
  void List(std::initializer_list<int> addresses) {
    list_.Clear();
    for (int a : addresses) list_.Add(a);
  }
  bool ReadList() { return link_->ReadBlocks(list_.data(), list_.size()); }
  // Every listed block is marked and in the image as the device holds it.
  void ExpectAllRead(int block_length) const {
    for (int i = 0; i < list_.size(); ++i) {
      const int a = list_[i].address;
      EXPECT_TRUE(list_[i].IsDone()) << a;
      EXPECT_EQ(Image(a, block_length),
                node_.heat.Peek(static_cast<size_t>(a), static_cast<size_t>(block_length)))
          << a;
    }
  }

  Node node_;
  sim::RunningClock clock_{sim::LocalTime(2024, 3, 12, 14, 30, 5)};
  sim::StatusRecorder recorder_;
  CNode cnode_;
  std::unique_ptr<Link> link_;
  BlockList list_;
};

}  // namespace zv::test
