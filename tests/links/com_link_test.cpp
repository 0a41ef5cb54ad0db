#include "links/com_link.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "links/node_status.h"
#include "links/poll_flags.h"
#include "links/request_frame.h"
#include "tests/sim/data_peer.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/status_recorder.h"
#include "tests/sim/test_clock.h"

namespace {

using std::chrono::milliseconds;
using zv::sim::Bytes;
using zv::sim::StatusEvent;
namespace status = zv::node_status;

// --- Values of the image.

TEST(ComLinkImage, FamilyModelAndDeviceNumber) {
  struct Case {
    std::uint8_t type, version, serial_low, serial_high;
    int family, model, number;
  };
  const Case cases[] = {
      {4, 1, 42, 0, 1, 1, 42},       // type 4: family 1
      {0, 3, 0x39, 0x30, 1, 3, 12345},  // version 3: family 1
      {7, 4, 0xFF, 0xFF, 1, 4, 65535},  // version 4: family 1, unsigned number
      {0, 2, 1, 1, 2, 2, 257},
      {3, 1, 0, 0, 2, 1, 0},         // type 3 with version 1: family 2
      {4, 7, 0, 0, 1, 7, 0},         // family 1 of a model without a map
  };
  for (const Case& c : cases) {
    auto link = std::make_unique<CComLink>();
    link->image[0] = c.type;
    link->image[1] = c.version;
    link->image[2] = c.serial_low;
    link->image[3] = c.serial_high;
    EXPECT_EQ(link->ImageFamily(), c.family) << int(c.type) << "/" << int(c.version);
    EXPECT_EQ(link->ImageModel(), c.model);
    EXPECT_EQ(link->DeviceNumber(), c.number);
  }
}

TEST(ComLinkImage, FieldsStartAsTheWorkerExpects) {
  auto link = std::make_unique<CComLink>();
  EXPECT_EQ(link->device_address, 0);
  EXPECT_EQ(link->family, 1);
  EXPECT_EQ(link->model, 1);
  EXPECT_EQ(link->node, nullptr);
  EXPECT_EQ(link->image.size(), 65535u);
  EXPECT_EQ(link->identity.size(), 255u);
  // The base has none of the link-specific operations.
  EXPECT_FALSE(link->ReadFirstBlock());
  zv::BlockItem item(0);
  EXPECT_FALSE(link->ReadBlocks(&item, 1));
  EXPECT_FALSE(link->RequestTemplate(zv::kRequestIdentity).has_value());
  EXPECT_EQ(link->AnswerLength(zv::kRequestMemoryBlock), 0);
  std::uint8_t buffer[8] = {};
  EXPECT_EQ(link->CheckAnswer(buffer, 6), nullptr);
}

TEST(ArchiveAddress, TheLinkUsesItsStoredFamilyAndModel) {
  auto link = std::make_unique<CComLink>();
  EXPECT_EQ(link->ArchiveAddress(DateStamp(2024, 2, 20, 5, 0, 0), zv::kArchiveHourly), 4818);  // 1 / 1 until stored
  link->family = 2;
  link->model = 9;
  EXPECT_EQ(link->ArchiveAddress(DateStamp(2024, 3, 12, 14, 0, 0), zv::kArchiveHourly), 15308);
}

// --- The walk over the block list.

std::vector<zv::BlockItem> Items(std::initializer_list<int> done_flags) {
  std::vector<zv::BlockItem> items;
  int address = 900;
  for (int done : done_flags) {
    items.emplace_back(static_cast<std::uint16_t>(address));
    if (done) items.back().SetDone();
    address += 255;
  }
  return items;
}

TEST(ComLinkBlocks, NextPendingBlock) {
  struct Case {
    std::initializer_list<int> done;
    int index;
    int next;
  };
  const Case cases[] = {
      {{0, 0, 0, 0}, -1, 0},   // -1 starts at item 0
      {{0, 0, 0, 0}, 0, 1},    // the search starts after the index
      {{1, 1, 0, 0}, 3, 2},    // wraps from the last item to the first
      {{0, 1, 1, 1}, 2, 0},
      {{1, 1, 1, 0}, 3, 3},    // the index itself is looked at last
      {{1, 0, 1, 1}, 1, 1},
      {{1, 1, 1, 1}, 1, -1},   // all done
      {{1, 1, 1, 1}, -1, -1},
      {{0}, 0, 0},
      {{}, -1, -1},            // no items
  };
  for (const Case& c : cases) {
    const std::vector<zv::BlockItem> items = Items(c.done);
    EXPECT_EQ(CComLink::NextPendingBlock(items.data(), static_cast<int>(items.size()), c.index), c.next)
        << "index " << c.index << " of " << items.size();
  }
}

TEST(ComLinkBlocks, MarkBlockDone) {
  std::vector<zv::BlockItem> items = Items({0, 0, 0});
  const int count = static_cast<int>(items.size());
  EXPECT_EQ(CComLink::MarkBlockDone(items.data(), count, 900 + 255), 1);
  EXPECT_TRUE(items[1].IsDone());
  EXPECT_FALSE(items[0].IsDone());
  // Marking again finds the same item.
  EXPECT_EQ(CComLink::MarkBlockDone(items.data(), count, 900 + 255), 1);
  // An address in no item changes nothing; the next search then starts at item 0.
  const int missing = CComLink::MarkBlockDone(items.data(), count, 901);
  EXPECT_EQ(missing, -1);
  EXPECT_FALSE(items[0].IsDone());
  EXPECT_FALSE(items[2].IsDone());
  EXPECT_EQ(CComLink::NextPendingBlock(items.data(), count, missing), 0);
  // Marking every block ends the walk.
  CComLink::MarkBlockDone(items.data(), count, 900);
  const int last = CComLink::MarkBlockDone(items.data(), count, 900 + 510);
  EXPECT_EQ(last, 2);
  EXPECT_EQ(CComLink::NextPendingBlock(items.data(), count, last), -1);
}

// --- Progress, status and the image.

// Opens the base's protected helpers to the tests.
class OpenLink : public CComLink {
 public:
  using CComLink::BeginBlockProgress;
  using CComLink::CComLink;
  using CComLink::PostBlockProgress;
  using CComLink::PostStatus;
  using CComLink::StoreBlock;
  using CComLink::StoreStatus;
};

TEST(ComLinkProgress, TruncatedSingleprecisionSum) {
  struct Case {
    int count;
    std::vector<int> percents;
  };
  const Case cases[] = {
      {1, {100}},
      {2, {52, 100}},
      {3, {36, 68, 99}},
      {7, {18, 32, 45, 59, 72, 86, 99}},
  };
  for (const Case& c : cases) {
    zv::sim::StatusRecorder recorder;
    CNode node;
    auto link = std::make_unique<OpenLink>(zv::PollTiming{}, zv::SystemClock(), &recorder);
    link->node = &node;
    link->BeginBlockProgress(c.count);
    EXPECT_EQ(node.status.load(), status::kReading);  // stored, not reported
    EXPECT_TRUE(recorder.events().empty());
    std::vector<StatusEvent> expected;
    for (int p : c.percents) {
      link->PostBlockProgress();
      expected.push_back({node.id(), status::kReading, p});
    }
    EXPECT_EQ(recorder.events(), expected) << "count " << c.count;
  }
  // A whole family 2 area over GSM ends at 99.
  zv::sim::StatusRecorder recorder;
  CNode node;
  auto link = std::make_unique<OpenLink>(zv::PollTiming{}, zv::SystemClock(), &recorder);
  link->node = &node;
  link->BeginBlockProgress(228);
  for (int k = 0; k < 228; ++k) link->PostBlockProgress();
  EXPECT_EQ(recorder.events().back().percent, 99);
}

TEST(ComLinkProgress, StatusGoesIntoTheNodeBeforeTheReport) {
  zv::sim::StatusRecorder recorder;
  CNode node;
  auto link = std::make_unique<OpenLink>(zv::PollTiming{}, zv::SystemClock(), &recorder);
  link->PostStatus(status::kDialling);  // no node: nothing happens
  EXPECT_TRUE(recorder.events().empty());
  link->node = &node;
  link->PostStatus(status::kDialling);
  EXPECT_EQ(node.status.load(), status::kDialling);
  link->StoreStatus(status::kReading);
  EXPECT_EQ(node.status.load(), status::kReading);
  EXPECT_EQ(recorder.events(), (std::vector<StatusEvent>{{node.id(), status::kDialling, 0}}));
}

TEST(ComLinkImage, StoreBlockKeepsInsideTheImage) {
  auto link = std::make_unique<OpenLink>();
  std::vector<std::uint8_t> block(255, 0xAB);
  link->StoreBlock(900, block.data(), 255);
  EXPECT_EQ(link->image[899], 0);
  EXPECT_EQ(link->image[900], 0xAB);
  EXPECT_EQ(link->image[1154], 0xAB);
  EXPECT_EQ(link->image[1155], 0);
  // A block an answer names near the top of the memory: the part beyond is dropped.
  link->StoreBlock(0xFFF0, block.data(), 255);
  EXPECT_EQ(link->image[0xFFF0], 0xAB);
  EXPECT_EQ(link->image[zv::kImageSize - 1], 0xAB);
  EXPECT_EQ(link->image[0], 0);
  link->StoreBlock(0xFFFF, block.data(), 255);
  link->StoreBlock(-1, block.data(), 255);
  EXPECT_EQ(link->image[0], 0);
}

// --- The identity request, through a link with the bare inner frame behind
// seven zero bytes (the form of the direct links).

class DirectLink : public CComLink {
 public:
  using CComLink::CComLink;
  int AnswerLength(int type) const override {
    return type == zv::kRequestIdentity ? zv::IdentityDataLength(ImageFamily()) : 0;
  }
  std::optional<zv::LinkFrame> RequestTemplate(int type) const override {
    if (type != zv::kRequestIdentity) return std::nullopt;
    return zv::LinkFrame{0, 0, 0, 0, 0, 0, 0, 0xA5, 0, 0x02, 0, 0, 0, 0, 0, 0, 0};
  }
  void SealRequest(zv::LinkFrame& frame) override { zv::SealRequestFrame(frame.data() + 7); }
  std::uint8_t* CheckAnswer(std::uint8_t* buffer, int length) override {
    return zv::CheckAnswerFrame(buffer, length) ? buffer : nullptr;
  }
};

constexpr int kCom = 6;

class IdentityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device_.MapToComPort(kCom));
    heat_.SetType(0);
    heat_.SetVersion(2);  // family 2: 90 bytes
    heat_.SetSerial(4242);
    heat_.SetClock(2024, 3, 12, 14, 35, 7);
    device_.Start();
    // Reads wait long for an answer that is on its way (a loaded machine), so
    // only a missing answer costs a try.
    zv::PollTiming timing = zv::sim::TestTiming();
    timing.port.read_total_constant = zv::Ms(1000);
    link_ = std::make_unique<DirectLink>(timing, clock_, &recorder_);
    link_->node = &node_;
    link_->family = 2;
    ASSERT_TRUE(link_->CSerialPort::Open("COM" + std::to_string(kCom)));
  }
  void TearDown() override { PollCancel.store(false); }

  zv::sim::HeatComputer heat_;
  zv::sim::PeerOnLine device_{heat_};
  zv::sim::RunningClock clock_{zv::sim::LocalTime(2024, 3, 12, 14, 30)};
  zv::sim::StatusRecorder recorder_;
  CNode node_;
  std::unique_ptr<DirectLink> link_;
};

TEST_F(IdentityTest, CopiesTheBlockAndReportsFivePercent) {
  ASSERT_TRUE(link_->ReadIdentity());
  const Bytes expected = heat_.IdentityData();
  ASSERT_EQ(expected.size(), 90u);
  EXPECT_EQ(Bytes(link_->identity.begin(), link_->identity.begin() + 90), expected);
  EXPECT_EQ(expected[88], 35);  // minute and second of the clock at the end
  EXPECT_EQ(link_->identity[90], 0);
  EXPECT_EQ(recorder_.events(), (std::vector<StatusEvent>{{node_.id(), status::kReading, 0},
                                                          {node_.id(), status::kReading, 5}}));
  ASSERT_EQ(heat_.request_count(), 1u);
  EXPECT_EQ(heat_.requests()[0].command, 0x02);
  EXPECT_EQ(heat_.requests()[0].device, 0);
}

TEST_F(IdentityTest, FamilyOneCopies64BytesAndTheDeviceAddressIsSent) {
  heat_.SetType(4);
  heat_.SetVersion(1);
  heat_.SetNetworkAddress(3);
  link_->image[0] = 4;  // the answer length follows the image
  link_->family = 1;
  link_->device_address = 3;
  ASSERT_TRUE(link_->ReadIdentity());
  const Bytes expected = heat_.IdentityData();
  ASSERT_EQ(expected.size(), 64u);
  EXPECT_EQ(Bytes(link_->identity.begin(), link_->identity.begin() + 64), expected);
  EXPECT_EQ(heat_.requests().at(0).device, 3);
}

TEST_F(IdentityTest, RetriesAfterAMissingOrDamagedAnswer) {
  zv::sim::AnswerFault drop;
  drop.drop = true;
  zv::sim::AnswerFault bad;
  bad.bad_crc = true;
  heat_.SetFault(0, drop);
  heat_.SetFault(1, bad);
  ASSERT_TRUE(link_->ReadIdentity());
  EXPECT_GE(heat_.request_count(), 3u);
  EXPECT_EQ(Bytes(link_->identity.begin(), link_->identity.begin() + 90), heat_.IdentityData());
  // The short answer (none) was followed by the retry pause.
  const auto pauses = clock_.pauses();
  EXPECT_GE(std::count(pauses.begin(), pauses.end(), zv::sim::TestTiming().link.identity_retry_pause), 1);
}

TEST_F(IdentityTest, SilentDeviceFailsAfterEveryTry) {
  heat_.SetSilentFrom(0);
  link_->SetTiming(zv::sim::TestTiming().port);
  EXPECT_FALSE(link_->ReadIdentity());
  heat_.WaitForRequests(15, milliseconds(20000));  // the last one may still be on its way
  EXPECT_EQ(heat_.request_count(), 15u);
  EXPECT_EQ(recorder_.statuses(), (std::vector<int>{status::kReading, status::kFailure}));
  EXPECT_EQ(node_.status.load(), status::kFailure);
}

TEST_F(IdentityTest, CancelStopsTheTries) {
  heat_.SetSilentFrom(0);
  PollCancel.store(true);
  EXPECT_FALSE(link_->ReadIdentity());
  EXPECT_EQ(heat_.request_count(), 0u);
  EXPECT_EQ(recorder_.statuses().back(), status::kFailure);
}

TEST(ComLinkIdentity, BaseWithoutATemplateFails) {
  zv::sim::StatusRecorder recorder;
  CNode node;
  auto link = std::make_unique<CComLink>(zv::sim::TestTiming(), zv::SystemClock(), &recorder);
  link->node = &node;
  EXPECT_FALSE(link->ReadIdentity());
  EXPECT_EQ(recorder.statuses(), std::vector<int>{status::kFailure});
}

}  // namespace
