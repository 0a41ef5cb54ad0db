// ZEVC's file list against the simulated collector, and its bins file.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

#include "links/bins_file.h"
#include "readers/collector/file_list.h"
#include "readers/common/reader_flags.h"
#include "tests/readers/zevc_rig.h"
#include "tests/sim/heat_computer.h"
#include "tests/support/file_size_limit.h"

namespace zv::test {
namespace {

using sim::Bytes;

// What the walk reported, as one string per report.
class ListLog : public CollectorListProgress {
 public:
  void OnRange(int count) override { log.push_back("range " + std::to_string(count)); }
  void OnHeader(int number, int count) override {
    log.push_back(std::to_string(number) + "/" + std::to_string(count));
  }
  void OnStep() override { log.push_back("step"); }
  int Steps() const { return static_cast<int>(std::count(log.begin(), log.end(), "step")); }
  std::vector<std::string> log;
};

class ZevcListTest : public testing::Test {
 protected:
  void SetUp() override {
    g_bStop = false;
    ShowDeleted(0);
  }
  static void ShowDeleted(int on) { Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", on); }
  CollectorFileList List(int kind, const std::function<void(sim::Collector&)>& prepare) {
    EXPECT_TRUE(rig.Start(kind, prepare));
    auto link = rig.OpenLink();
    EXPECT_NE(link, nullptr);
    if (!link) return {};
    return ListCollectorFiles(*link, &progress);
  }
  static std::vector<int> Slots(const CollectorFileList& list) {
    std::vector<int> out;
    for (const CollectorFileRow& r : list.rows) out.push_back(static_cast<int>(r.entry & 0xFFFF));
    return out;
  }
  static std::vector<int> Range(int from, int to) {
    std::vector<int> out;
    for (int i = from; i < to; ++i) out.push_back(i);
    return out;
  }

  ZevcRig rig;
  ListLog progress;
};

TEST_F(ZevcListTest, ShowDeletedListsEverySlotButTheLastFromSlotZero) {
  ShowDeleted(1);
  for (int kind : {1, 2}) {
    SCOPED_TRACE(kind);
    progress.log.clear();
    rig.SilentReads(kind == 1);
    const CollectorFileList list = List(kind, [](sim::Collector& c) {
      c.SetPointers(2, 17);
      for (int s = 0; s < c.slots(); ++s) c.PutFile(s, 1, CollectorImage(512, 4, 1, 100 + s, 24, 1, 2, 3, 0));
    });
    const int listed = kind == 2 ? 63 : 31;
    ASSERT_EQ(list.result, CollectorListResult::kListed);
    EXPECT_EQ(list.kind, kind);
    EXPECT_EQ(rig.BlockSlots(), Range(0, listed));  // slot 31 or 63 never asked
    EXPECT_EQ(Slots(list), Range(0, listed));
    EXPECT_EQ(progress.log.front(), "range " + std::to_string(listed));
    EXPECT_EQ(progress.Steps(), listed);
  }
}

TEST_F(ZevcListTest, WalkGoesRoundTheRingFromTheStartSlot) {
  rig.SilentReads();  // kind 1
  const CollectorFileList list = List(1, [](sim::Collector& c) {
    c.SetPointers(4, 30);
    for (int s : {0, 1, 2, 29, 30, 31}) c.PutFile(s, 1, CollectorImage(256, 4, 1, s + 1, 24, 1, 2, 3, 0));
  });
  EXPECT_EQ(rig.BlockSlots(), (std::vector<int>{30, 31, 0, 1}));
  EXPECT_EQ(Slots(list), (std::vector<int>{30, 31, 0, 1}));
  EXPECT_EQ(progress.log, (std::vector<std::string>{"range 4", "1/4", "step", "2/4", "step", "3/4", "step", "4/4",
                                                    "step"}));
}

TEST_F(ZevcListTest, RowsAreNumberedWithoutGapsAndFormatted) {
  const CollectorFileList list = List(2, [](sim::Collector& c) {
    c.SetPointers(6, 10);
    c.PutFile(10, 2, CollectorImage(512, 4, 1, 7, 24, 1, 2, 3, 0));        // size code 2
    c.SetStatus(11, 5);                                                     // no file: no header request
    c.PutFile(12, 0, CollectorImage(512, 4, 1, 0, 24, 1, 2, 3, 0));        // serial 0: not valid
    c.PutFile(13, 1, CollectorImage(512, 4, 1, 0xFFFF, 24, 1, 2, 3, 0));   // valid, but not listed
    c.PutFile(14, 4, CollectorImage(512, 2, 1, 65534, 99, 12, 31, 23, 0));  // clock at 64, year 2099
    c.PutFile(15, 3, CollectorImage(512, 2, 4, 1234, 5, 6, 7, 8, 0));      // version 4: clock at 80
  });
  EXPECT_EQ(rig.BlockSlots(), (std::vector<int>{10, 12, 13, 14, 15}));
  EXPECT_EQ(progress.Steps(), 6);
  ASSERT_EQ(list.rows.size(), 3u);
  EXPECT_EQ(list.rows[0], (CollectorFileRow{" 1", "00007", "02.01.2024 03:00", CollectorFileEntry(10, 2)}));
  EXPECT_EQ(list.rows[1], (CollectorFileRow{" 2", "65534", "31.12.2099 23:00", CollectorFileEntry(14, 4)}));
  EXPECT_EQ(list.rows[2], (CollectorFileRow{" 3", "01234", "07.06.2005 08:00", CollectorFileEntry(15, 3)}));
}

TEST_F(ZevcListTest, PointerFailuresAndNoFiles) {
  rig.SilentReads();  // a silent line, then kind 1
  EXPECT_EQ(List(2, [](sim::Collector& c) { c.SetSilentFrom(0); }).result, CollectorListResult::kPointersNotRead);
  EXPECT_TRUE(progress.log.empty());
  EXPECT_EQ(rig.Requests(0x02), 5u);

  const CollectorFileList empty = List(1, [](sim::Collector& c) { c.SetPointers(0, 12); });
  EXPECT_EQ(empty.result, CollectorListResult::kNoFiles);
  EXPECT_TRUE(empty.rows.empty());
  EXPECT_TRUE(rig.BlockSlots().empty());
  EXPECT_TRUE(progress.log.empty());
}

TEST_F(ZevcListTest, PointersBeyondTheRingListEachSlotOnce) {
  const CollectorFileList list = List(2, [](sim::Collector& c) {
    c.SetPointers(90, 200);
    for (int s = 0; s < 64; ++s) c.PutFile(s, 1, CollectorImage(512, 4, 1, s + 1, 24, 1, 2, 3, 0));
  });
  EXPECT_EQ(rig.BlockSlots(), Range(0, 64));
  EXPECT_EQ(list.rows.size(), 64u);
  EXPECT_EQ(list.rows.back().number, " 64");
  EXPECT_EQ(progress.log.front(), "range 64");

  struct Case {
    int start, count, slots;
    std::vector<int> walk;
  };
  const Case cases[] = {{31, 3, 32, {31, 0, 1}}, {32, 2, 32, {0, 1}}, {-1, 1, 32, {0}},
                        {5, 40, 32, Range(5, 32)}, {0, 0, 64, {}}};
  for (const Case& c : cases) {
    auto expected = c.walk;
    if (c.count > c.slots) {
      for (int s = 0; s < 5; ++s) expected.push_back(s);
    }
    EXPECT_EQ(CollectorListSlots(c.start, c.count, c.slots), expected) << c.start << " " << c.count;
  }
}

// A link whose answers come from a function of the request instead of a
// line: pointers, status and headers, garbled as the test likes.
class FedCollectorLink : public CCollectorLink {
 public:
  using Answer = std::function<Bytes(std::uint8_t command)>;
  FedCollectorLink(const Clock& clock, Answer answer)
      : CCollectorLink(nullptr, ZeroTiming(), clock), answer_(std::move(answer)) {}

 protected:
  int LinkRead(std::uint8_t* buffer, int n) override {
    const Bytes a = answer_(command_);
    const int k = std::min(n, static_cast<int>(a.size()));
    std::copy(a.begin(), a.begin() + k, buffer);
    return k;
  }
  int LinkWrite(const std::uint8_t* buffer, int n) override {
    for (int i = 0; i + 1 < n; ++i) {
      if (buffer[i] == 0xA5) command_ = buffer[i + 1];
    }
    return n;
  }

 private:
  static CollectorLinkTiming ZeroTiming() {
    CollectorLinkTiming t;
    t.answer_pause = Duration::zero();
    return t;
  }
  Answer answer_;
  std::uint8_t command_ = 0;
};

Bytes Sealed(Bytes data) {
  const std::uint16_t crc = sim::DeviceCrc(data.data(), data.size());
  data.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  data.push_back(static_cast<std::uint8_t>(crc >> 8));
  return data;
}

TEST_F(ZevcListTest, GarbledAnswersNeverBreakTheWalk) {
  std::mt19937 random(12345);
  size_t rows = 0;
  const auto byte = [&] { return static_cast<std::uint8_t>(random() & 0xFF); };
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    const bool kind2 = round % 2 == 0;
    const FedCollectorLink::Answer answer = [&](std::uint8_t command) {
      Bytes a;
      const int length = command == 0x02 ? 2 : command == 0x04 ? 64 : kind2 ? 512 : 256;
      for (int i = 0; i < length; ++i) a.push_back(byte());
      if (command == 0x04) a[32] = kind2 ? 0 : 0xFA;
      if (length >= 256 && random() % 2 == 0) {  // a header whose clock reads
        a[0] = 4;
        a[80] = static_cast<std::uint8_t>(random() % 100);
        a[81] = static_cast<std::uint8_t>(1 + random() % 12);
        a[82] = static_cast<std::uint8_t>(1 + random() % 31);
        a[83] = static_cast<std::uint8_t>(random() % 24);
      }
      // Most answers are sealed well enough to be taken; some are cut short.
      if (random() % 8 != 0) a = Sealed(a);
      if (command != 0x02 && command != 0x04 && random() % 8 != 0) a = Sealed(a);
      if (random() % 16 == 0) a.resize(random() % (a.size() + 1));
      return a;
    };
    FedCollectorLink link(rig.clock, answer);
    const CollectorFileList list = ListCollectorFiles(link, nullptr);
    const int slots = kind2 ? 64 : 32;
    EXPECT_LE(list.count, slots);
    EXPECT_LE(list.rows.size(), static_cast<size_t>(list.count));
    std::set<int> seen;
    for (size_t i = 0; i < list.rows.size(); ++i) {
      const CollectorFileRow& row = list.rows[i];
      EXPECT_EQ(row.number, " " + std::to_string(i + 1));
      const int slot = static_cast<int>(row.entry & 0xFFFF);
      EXPECT_LT(slot, slots);
      EXPECT_LE(row.entry >> 16, 4u);
      EXPECT_TRUE(seen.insert(slot).second) << "slot " << slot << " twice";
      EXPECT_EQ(row.serial.size(), 5u);
    }
    rows += list.rows.size();
  }
  EXPECT_GT(rows, 100u);  // the walks did list files
}

// The bins file, from an image put straight into a link.
class ZevcBinsTest : public testing::Test {
 protected:
  std::string Save(const Bytes& image) {
    std::fill(link.image(), link.image() + CCollectorLink::kImageSize, 0);
    std::copy(image.begin(), image.end(), link.image());
    return link.SaveBinFile(base);
  }
  std::vector<std::string> Bins() const {
    std::vector<std::string> out;
    std::error_code e;
    for (const auto& f : std::filesystem::directory_iterator(base + "/bins", e)) out.push_back(f.path().filename());
    return out;
  }

  TempDir dir;
  std::string base = dir.path();
  sim::RunningClock clock{sim::LocalTime(2030, 9, 9, 9, 9, 9)};
  CCollectorLink link{nullptr, {}, clock};
};

TEST_F(ZevcBinsTest, LeadAndImageByModelAndVersion) {
  struct Case {
    std::uint8_t type, version;
    size_t lead, image;
  };
  const Case cases[] = {
      {4, 1, 64, 0x8000}, {4, 3, 64, 0xE2CC}, {4, 4, 64, 0xF078},
      {4, 2, 64, 0x8000},  // another version of a model-1 device: as ZEVRS writes it
      {2, 3, 64, 0xE2CC}, {2, 4, 64, 0xF078}, {2, 1, 90, 0xE5F4}, {2, 2, 90, 0xE5F4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " version " << int(c.version));
    const Bytes image = CollectorImage(65536, c.type, c.version, 1234, 24, 5, 6, 7, c.version);
    const std::string name = Save(image);
    // The device's clock names the file, not the computer's.
    EXPECT_EQ(name, "bins/01234_2024-05-06_07-00.bin");
    const std::string bytes = TempDir::Read(base + "/" + name);
    ASSERT_EQ(bytes.size(), c.lead + c.image);
    EXPECT_EQ(bytes, std::string(c.lead, '\0') + std::string(image.begin(), image.begin() + long(c.image)));
    EXPECT_EQ(bytes, CollectorBinsBytes(image));
  }
}

TEST_F(ZevcBinsTest, OnlyAValidImageIsSaved) {
  struct Case {
    int serial, year_byte, month, day, hour;
    bool saved;
  };
  const Case cases[] = {
      {1, 1, 1, 1, 0, true},       {0xFFFE, 98, 12, 31, 23, true}, {0, 24, 1, 1, 0, false},
      {0xFFFF, 24, 1, 1, 0, false}, {5, 0, 1, 1, 0, false},         {5, 99, 1, 1, 0, false},
      {5, 24, 0, 1, 0, false},      {5, 24, 13, 1, 0, false},       {5, 24, 1, 0, 0, false},
      {5, 24, 1, 32, 0, false},     {5, 24, 1, 1, 24, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.serial << " " << c.year_byte << "-" << c.month << "-" << c.day << " "
                                    << c.hour);
    RemoveTree(base + "/bins");
    const std::string name = Save(CollectorImage(256, 2, 1, c.serial, c.year_byte, c.month, c.day, c.hour, 3));
    EXPECT_EQ(!name.empty(), c.saved);
    EXPECT_EQ(Bins().size(), c.saved ? 1u : 0u);
  }
  EXPECT_EQ(Save(CollectorImage(256, 2, 1, 0xFFFE, 98, 12, 31, 23, 3)), "bins/65534_2098-12-31_23-00.bin");
}

TEST_F(ZevcBinsTest, FileThatCannotBeWrittenWholeIsNotThere) {
  const Bytes first = CollectorImage(65536, 4, 1, 77, 24, 1, 2, 3, 1);
  const std::string name = Save(first);
  ASSERT_FALSE(name.empty());
  {
    FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.ok());
    EXPECT_EQ(Save(CollectorImage(65536, 4, 1, 77, 24, 1, 2, 3, 2)), "");
  }
  // The older file of the name stays as it was, and no part file is left.
  EXPECT_EQ(TempDir::Read(base + "/" + name), CollectorBinsBytes(first));
  EXPECT_EQ(Bins(), std::vector<std::string>{"00077_2024-01-02_03-00.bin"});

  // No bins folder can be made.
  dir.Write("plain", "x");
  EXPECT_EQ(link.SaveBinFile(dir.File("plain")), "");
}

}  // namespace
}  // namespace zv::test
