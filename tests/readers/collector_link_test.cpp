// The collector link against the simulated collector.

#include "readers/collector/collector_link.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/profile.h"
#include "readers/common/reader_flags.h"
#include "tests/readers/reader_recorder.h"
#include "tests/sim/collector_sim.h"
#include "tests/sim/heat_computer.h"
#include "tests/sim/test_clock.h"

namespace zv::test {
namespace {

using sim::Bytes;

constexpr int kCom = 4;

// A heat computer's memory image as the collector stores it: type, version,
// serial, the clock at 80.. (type 4 or version 3, 4) or 64.., and a pattern.
Bytes FileImage(size_t size, std::uint8_t type, std::uint8_t version, int serial, int year_byte, int month,
                int day, int hour, std::uint8_t seed) {
  Bytes image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 13 + seed + (i >> 9));
  image[0] = type;
  image[1] = version;
  image[2] = static_cast<std::uint8_t>(serial & 0xFF);
  image[3] = static_cast<std::uint8_t>(serial >> 8);
  const size_t at = type == 4 || version == 3 || version == 4 ? 80 : 64;
  image[at] = static_cast<std::uint8_t>(year_byte);
  image[at + 1] = static_cast<std::uint8_t>(month);
  image[at + 2] = static_cast<std::uint8_t>(day);
  image[at + 3] = static_cast<std::uint8_t>(hour);
  return image;
}

class CollectorLinkTest : public testing::Test {
 protected:
  void SetUp() override {
    g_bStop = false;
    timing = ScaledTiming(CollectorLinkTiming{}, sim::kTestTimeScale);
    timing.pause_slice = Ms(20);
    // A silent answer costs the read's total: keep it short.
    timing.port.read_total_constant = Ms(150);
  }

  // Starts a collector of `kind` on the line and connects to it as the programs do.
  bool Connect(int kind, bool read_pointers_ok = true) {
    collector = std::make_unique<sim::Collector>(kind);
    Prepare(*collector);
    if (!collector->MapToComPort(kCom)) return false;
    collector->Start();
    link = std::make_unique<CCollectorLink>(&sink, timing, clock);
    if (!link->Open("COM4") || !link->SetBaudRate(38400)) return false;
    link->SendPreamble();
    const bool ok = link->ReadPointers();
    link->SendPreamble();
    return ok == read_pointers_ok;
  }
  // After Connect, for reads the collector answers: a read ends when the
  // answer is in, so a long limit costs nothing, and on a loaded machine a late
  // block does not fail the file.
  void LongReads() {
    SerialPortTiming port = timing.port;
    port.read_total_constant = Ms(5000);
    link->SetTiming(port);
  }
  size_t Requests(std::uint8_t command) const {
    size_t n = 0;
    for (const sim::CollectorRequest& r : collector->requests()) n += r.command == command ? 1 : 0;
    return n;
  }

  std::function<void(sim::Collector&)> Prepare = [](sim::Collector&) {};
  CollectorLinkTiming timing;
  ReaderRecorder sink;
  sim::RunningClock clock{sim::LocalTime(2024, 5, 6, 7, 8, 9)};
  std::unique_ptr<sim::Collector> collector;
  std::unique_ptr<CCollectorLink> link;  // closed before the collector goes
  void TearDown() override {
    link.reset();
    g_bStop = false;
  }
};

TEST_F(CollectorLinkTest, RequestsReachTheCollectorByteForByte) {
  Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", 0);
  Prepare = [](sim::Collector& c) { c.PutFile(0, 1, FileImage(32768, 4, 1, 7, 24, 1, 2, 3, 1)); };
  ASSERT_TRUE(Connect(1));
  LongReads();
  EXPECT_TRUE(link->ReadBlock(0, 0));
  EXPECT_TRUE(link->SendClear(0, 0));
  const Bytes expected = {
      // preamble, pointers, three tries of the status, preamble
      0xA5, 0x02, 0x00, 0x00, 0xD4, 0x18, 0xA5, 0x04, 0x00, 0x00, 0x74, 0xAA, 0xA5, 0x04, 0x00, 0x00, 0x74,
      0xAA, 0xA5, 0x04, 0x00, 0x00, 0x74, 0xAA};
  Bytes wire = collector->received();
  ASSERT_GE(wire.size(), 32 + expected.size() + 32 + 8 + 6);
  EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 32), Bytes(32, 0));
  wire.erase(wire.begin(), wire.begin() + 32);
  EXPECT_EQ(Bytes(wire.begin(), wire.begin() + static_cast<long>(expected.size())), expected);
  wire.erase(wire.begin(), wire.begin() + static_cast<long>(expected.size()) + 32);
  EXPECT_EQ(wire, (Bytes{0x00, 0x00, 0xA5, 0x01, 0x00, 0x00, 0x84, 0x41, 0xA5, 0x03, 0x00, 0x00, 0xE4, 0x2F}));

  // A kind-2 collector: slot 5 begins at block 320.
  link.reset();
  collector.reset();
  Prepare = [](sim::Collector& c) { c.PutFile(5, 1, FileImage(32768, 2, 1, 9, 24, 1, 2, 3, 2)); };
  ASSERT_TRUE(Connect(2));
  LongReads();
  EXPECT_EQ(link->ReadFileHeader(5).serial, 9);
  const Bytes header_wire = collector->received();  // ends with the request just answered
  ASSERT_GE(header_wire.size(), 6u);
  EXPECT_EQ(Bytes(header_wire.end() - 6, header_wire.end()), (Bytes{0xA5, 0x05, 0x40, 0x01, 0xA9, 0x80}));
}

TEST_F(CollectorLinkTest, KindFollowsTheStatusAnswer) {
  Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", 0);
  struct Case {
    int sim_kind;
    int unanswered;  // status requests left unanswered first
    int kind;
  };
  const Case cases[] = {{1, 0, 1}, {2, 0, 2}, {3, 0, 3}, {2, 1, 2}, {2, 2, 2}, {2, 3, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sim_kind << " unanswered " << c.unanswered);
    link.reset();
    collector.reset();
    Prepare = [&](sim::Collector& col) {
      col.SetPointers(3, 7);
      col.SetStatus(0, 2);
      col.SetStatusUnansweredFor(c.unanswered);
    };
    ASSERT_TRUE(Connect(c.sim_kind));
    EXPECT_EQ(link->kind(), c.kind);
    EXPECT_EQ(link->file_count(), 3);
    EXPECT_EQ(link->start_slot(), 7);
    if (c.kind == 1) {
      EXPECT_EQ(link->kind_info().slots, 32);
      EXPECT_TRUE(std::all_of(link->status_block(), link->status_block() + 64, [](std::uint8_t b) { return b == 1; }));
      EXPECT_EQ(link->kind_info().block_command, 0x01);
      EXPECT_EQ(link->kind_info().block_length, 256);
    } else {
      EXPECT_EQ(link->status_block()[0], 2);
      EXPECT_EQ(link->status_block()[32], c.kind == 3 ? 0xFA : 0xFF);
    }
    // Up to three tries of the status command.
    EXPECT_EQ(Requests(0x04), c.kind == 1 ? 3u : static_cast<size_t>(c.unanswered + 1));
  }
}

TEST_F(CollectorLinkTest, ShowDeletedListsEverySlot) {
  struct Case {
    int kind;
    int show_deleted;
    int count, start;
  };
  for (const Case& c : {Case{2, 1, 63, 0}, Case{3, 1, 31, 0}, Case{1, 1, 31, 0}, Case{2, 0, 5, 9}}) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " ShowDeleted " << c.show_deleted);
    Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", c.show_deleted);
    link.reset();
    collector.reset();
    Prepare = [](sim::Collector& col) { col.SetPointers(5, 9); };
    ASSERT_TRUE(Connect(c.kind));
    EXPECT_EQ(link->file_count(), c.count);
    EXPECT_EQ(link->start_slot(), c.start);
  }
}

TEST_F(CollectorLinkTest, PointersNotReadInFiveAttempts) {
  Prepare = [](sim::Collector& col) { col.SetSilentFrom(0); };
  ASSERT_TRUE(Connect(2, false));
  EXPECT_EQ(Requests(0x02), 5u);
  EXPECT_EQ(link->kind(), 1);
}

TEST_F(CollectorLinkTest, HeaderIsDecodedOrRefused) {
  Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", 0);
  Prepare = [](sim::Collector& col) {
    col.PutFile(0, 1, FileImage(256, 4, 1, 0x1234, 24, 12, 31, 23, 1));  // clock at 80
    col.PutFile(1, 1, FileImage(256, 2, 3, 77, 5, 6, 7, 8, 2));          // version 3: at 80
    col.PutFile(2, 1, FileImage(256, 2, 1, 78, 99, 1, 1, 0, 3));         // at 64, year 2099
    col.PutFile(3, 1, FileImage(256, 4, 1, 0, 24, 1, 1, 0, 4));          // serial 0
    col.PutFile(4, 1, FileImage(256, 4, 1, 5, 100, 1, 1, 0, 5));         // year 2100
    col.PutFile(5, 1, FileImage(256, 4, 1, 5, 24, 13, 1, 0, 6));         // month 13
    col.PutFile(6, 1, FileImage(256, 4, 1, 5, 24, 1, 32, 0, 7));         // day 32
    col.PutFile(7, 1, FileImage(256, 4, 1, 5, 24, 1, 1, 24, 8));         // hour 24
  };
  ASSERT_TRUE(Connect(3));
  LongReads();
  EXPECT_EQ(link->ReadFileHeader(0), (CollectorFileHeader{0, 1, 1, 0x1234, 2024, 12, 31, 23}));
  EXPECT_EQ(link->ReadFileHeader(1), (CollectorFileHeader{1, 2, 3, 77, 2005, 6, 7, 8}));
  EXPECT_EQ(link->ReadFileHeader(2), (CollectorFileHeader{2, 2, 1, 78, 2099, 1, 1, 0}));
  for (int slot = 3; slot <= 7; ++slot) EXPECT_EQ(link->ReadFileHeader(slot), CollectorFileHeader{}) << slot;
}

TEST_F(CollectorLinkTest, DamagedHeaderAnswersAreRefused) {
  Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", 0);
  // A header whose CRC2 high byte is 0: one byte short, the zeroed buffer
  // would still pass both CRCs.
  Bytes image = FileImage(256, 4, 1, 99, 24, 1, 2, 3, 1);
  for (int v = 0; v < 65536; ++v) {
    image[200] = static_cast<std::uint8_t>(v & 0xFF);
    image[201] = static_cast<std::uint8_t>(v >> 8);
    Bytes block = image;
    const std::uint16_t crc1 = sim::DeviceCrc(block.data(), 256);
    block.push_back(static_cast<std::uint8_t>(crc1 & 0xFF));
    block.push_back(static_cast<std::uint8_t>(crc1 >> 8));
    if ((sim::DeviceCrc(block.data(), 258) >> 8) == 0) break;
  }
  Prepare = [&](sim::Collector& col) { col.PutFile(0, 1, image); };
  ASSERT_TRUE(Connect(1));
  const CollectorFileHeader good{0, 1, 1, 99, 2024, 1, 2, 3};
  struct Case {
    const char* name;
    sim::CollectorFault fault;
  };
  const Case cases[] = {{"one byte short", {.short_by = 1}},
                        {"bad CRC1", {.bad_crc1 = true}},
                        {"bad CRC2", {.bad_crc2 = true}},
                        {"no answer", {.drop = true}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    collector->SetFault(collector->requests().size(), c.fault);
    EXPECT_EQ(link->ReadFileHeader(0), CollectorFileHeader{});
    EXPECT_EQ(link->ReadFileHeader(0), good);
  }
}

TEST_F(CollectorLinkTest, FileEqualsTheSlot) {
  Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", 0);
  struct Case {
    int kind;
    int slot;
    int status;
    size_t size;
    size_t blocks;
  };
  const Case cases[] = {
      {1, 3, 1, 32768, 128}, {1, 3, 4, 32768, 128},                          // kind 1: always 32 KB
      {2, 5, 1, 32768, 64},  {2, 5, 2, 65536, 128},  {2, 63, 0, 65536, 128},  // 64 KB runs into the next slot
      {3, 4, 3, 32768, 128}, {3, 4, 4, 65536, 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " slot " << c.slot << " status " << c.status);
    link.reset();
    collector.reset();
    const Bytes image = FileImage(c.size, 4, 1, 11, 24, 1, 2, 3, static_cast<std::uint8_t>(c.slot));
    Prepare = [&](sim::Collector& col) {
      col.PutFile((c.slot + 1) % col.slots(), 1, Bytes(32768, 0xEE));  // the next slot's own file
      col.PutFile(c.slot, static_cast<std::uint8_t>(c.status), image);
    };
    ASSERT_TRUE(Connect(c.kind));
    LongReads();
    const size_t before = collector->requests().size();
    const int steps = sink.Count(kLinkEventStep);
    ASSERT_TRUE(link->ReadFile(CollectorFileEntry(c.slot, c.status)));
    EXPECT_EQ(collector->requests().size() - before, c.blocks);
    EXPECT_EQ(static_cast<size_t>(sink.Count(kLinkEventStep) - steps), c.blocks);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), link->image()));
    for (size_t i = c.size; i < static_cast<size_t>(CCollectorLink::kImageSize); ++i) {
      ASSERT_EQ(link->image()[i], 0) << i;
    }
  }
}

TEST_F(CollectorLinkTest, BadBlockFailsTheFile) {
  Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", 0);
  Prepare = [](sim::Collector& col) { col.PutFile(2, 1, FileImage(32768, 4, 1, 1, 24, 1, 1, 1, 9)); };
  ASSERT_TRUE(Connect(1));
  for (const sim::CollectorFault& f : {sim::CollectorFault{.bad_crc1 = true}, sim::CollectorFault{.bad_crc2 = true},
                                       sim::CollectorFault{.short_by = 3}}) {
    const size_t before = collector->requests().size();
    collector->SetFault(before + 10, f);
    EXPECT_FALSE(link->ReadFile(CollectorFileEntry(2, 1)));
    EXPECT_EQ(collector->requests().size() - before, 11u);  // no retry, nothing after it
  }
}

TEST_F(CollectorLinkTest, ClearIsTrueOnlyWhenAcknowledged) {
  Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", 0);
  ASSERT_TRUE(Connect(2));
  EXPECT_TRUE(link->SendClear(0, 12));
  EXPECT_EQ(collector->clears(), (std::vector<std::pair<int, int>>{{0, 12}}));
  EXPECT_EQ(collector->pointers(), (std::pair<int, int>{0, 12}));
  collector->SetFault(collector->requests().size(), {.ack = 0x15});
  EXPECT_FALSE(link->SendClear(0, 13));
  collector->SetFault(collector->requests().size(), {.ack = 0});
  EXPECT_FALSE(link->SendClear(0, 14));
  collector->SetFault(collector->requests().size(), {.drop = true});
  EXPECT_FALSE(link->SendClear(0, 15));
}

TEST_F(CollectorLinkTest, CollectorAnswersOnlyAtItsSpeed) {
  collector = std::make_unique<sim::Collector>(2);
  ASSERT_TRUE(collector->MapToComPort(kCom));
  collector->Start();
  link = std::make_unique<CCollectorLink>(&sink, timing, clock);
  ASSERT_TRUE(link->Open("COM4"));  // stays at 9600
  EXPECT_FALSE(link->ReadPointers());
  const auto requests = collector->requests();
  ASSERT_FALSE(requests.empty());
  for (const sim::CollectorRequest& r : requests) {
    EXPECT_EQ(r.baud, 9600);
    EXPECT_FALSE(r.answered);
  }
}

}  // namespace
}  // namespace zv::test
