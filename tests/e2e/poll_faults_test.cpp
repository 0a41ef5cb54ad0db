// Faults on the way from the device to the node file, through the poll worker
// over the simulated node (dial-up, GSM, TCP): each case ends with nothing lost - the node
// file byte for byte as before (or as it should be), a bins file that holds
// exactly the device's memory at every block asked for, or the failure
// reported with no bins or temporary file left.

#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "links/archive_map.h"
#include "tests/links/direct_setup.h"
#include "tests/links/poll_direct_fixture.h"
#include "tests/sim/archive_layout.h"
#include "tests/support/file_size_limit.h"

namespace {

using zv::sim::Bytes;
using namespace zv::test;
namespace status = zv::node_status;

class PollFaultTest : public PollDirectTest {
 protected:
  void SetUp() override {
    PollDirectTest::SetUp();
    node_file_ = Read("00042_School.zev");
  }

  // Every name in the program folder and in its bins folders.
  std::set<std::string> Files() const {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder_.path(), ec)) {
      if (e.is_regular_file()) names.insert(std::filesystem::relative(e.path(), folder_.path()).string());
    }
    return names;
  }

  // The archived bins file holds the device's memory at block 0 and at every
  // block of the node's list for the link.
  void ExpectDownloadInBins(int link_type = zv::kLinkPstn) {
    ASSERT_TRUE(Exists(kArchivedName));
    const std::string bins = Read(kArchivedName);
    ASSERT_EQ(bins.size(), kFamily2BinsSize);
    constexpr int kImage = 58868;
    auto image = [&bins](int address, int n) {
      return Bytes(bins.begin() + 90 + address, bins.begin() + 90 + address + n);
    };
    const int step = zv::BlockStep(link_type);
    EXPECT_EQ(image(0, step), pstn_.heat.Peek(0, static_cast<size_t>(step)));
    zv::BlockList list;
    ASSERT_TRUE(zv::BuildBlockList(link_type, 2, 2, node_.last_record, DateStamp(2024, 3, 12, 16, 30, 10), list));
    for (int k = 0; k < list.size(); ++k) {
      const int a = list[k].address;
      const int n = std::min(step, kImage - a);
      EXPECT_EQ(image(a, n), pstn_.heat.Peek(static_cast<size_t>(a), static_cast<size_t>(n))) << a;
    }
  }

  std::string node_file_;
};

struct LineDrop {
  const char* name;
  int modem;
  size_t silent_from;  // the device's last answer is to the request before
};

class PollLineDropTest : public PollFaultTest, public ::testing::WithParamInterface<LineDrop> {};

TEST_P(PollLineDropTest, LosesNothingAndTheRetryGetsItAll) {
  const LineDrop& c = GetParam();
  zv::sim::WriteArchive(pstn_.heat, *zv::sim::ArchiveLayout::For(2, 2), DateStamp(2024, 3, 9, 0, 0, 0),
                        DateStamp(2024, 3, 12, 14, 0, 0));
  const zv::PollTiming generous = block_.setup.timing;
  QuickSilence();  // the silent reads end soon
  Reach(c.modem);
  const std::set<std::string> before = Files();
  pstn_.heat.SetSilentFrom(c.silent_from);
  Poll();
  EXPECT_EQ(Final(), status::kFailure);
  EXPECT_EQ(Read("00042_School.zev"), node_file_);
  EXPECT_TRUE(NoBinsFiles());
  EXPECT_EQ(Files(), before);  // nothing half-written left
  EXPECT_FALSE(Exists("converter.log"));

  pstn_.heat.ClearFaults();
  SetTiming(generous);  // a slow answer on a loaded machine is not a dead line
  Poll();
  EXPECT_EQ(Final(), status::kOk);
  EXPECT_EQ(Read("00042_School.zev"), node_file_);  // the converter stand-in does not append
  ExpectDownloadInBins(c.modem);
  std::set<std::string> after = before;
  after.insert({"converter.log", kArchivedName});
  EXPECT_EQ(Files(), after);  // exactly one bins file
}

INSTANTIATE_TEST_SUITE_P(Links, PollLineDropTest,
                         ::testing::Values(LineDrop{"Pstn", zv::kLinkPstn, 6}, LineDrop{"Gsm", zv::kLinkGsm, 3},
                                           LineDrop{"Tcp", zv::kLinkTcp, 3}),
                         [](const ::testing::TestParamInfo<LineDrop>& info) { return std::string(info.param.name); });

TEST_F(PollFaultTest, NoiseBadChecksWrongBlocksAndTrailingBytesStillGiveTheMemory) {
  zv::sim::WriteArchive(pstn_.heat, *zv::sim::ArchiveLayout::For(2, 2), DateStamp(2024, 3, 9, 0, 0, 0),
                        DateStamp(2024, 3, 12, 14, 0, 0));
  zv::sim::AnswerFault noise;
  noise.noise = {0xCA, 0x55, 0x00, 0xCA, 0x13, 0xA5};
  zv::sim::AnswerFault trailing;
  trailing.trailing = {0xCA, 0x89, 0x02};
  zv::sim::AnswerFault split;
  split.chunk = 7;
  pstn_.heat.SetFault(2, noise);
  pstn_.heat.SetFault(3, BadCrcFault());
  pstn_.heat.SetFault(5, OtherBlockFault(0x0100));
  pstn_.heat.SetFault(7, trailing);
  pstn_.heat.SetFault(8, split);
  zv::sim::RelayFault bad_outer;
  bad_outer.bad_outer_crc = true;
  pstn_.controller.SetRelayFault(10, bad_outer);
  Poll();
  EXPECT_EQ(Final(), status::kOk);
  ExpectDownloadInBins();
  EXPECT_EQ(Read("00042_School.zev"), node_file_);
}

TEST_F(PollFaultTest, AHeaderRewriteOnAFullDiskKeepsTheOldNodeFile) {
  // A new node whose file is larger than the disk lets a file grow: the
  // rename (a header rewrite) fails, the smaller bins file can still be written.
  node_.header.SetString("N", "0");
  std::string data;
  while (data.size() < 120000) data += "09.03.2024 10:00\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\r\n";
  node_.path = folder_.Write("00000_School.zev", node_.header.Serialize() + data);
  const std::string old_file = Read("00000_School.zev");
  const std::set<std::string> before = Files();

  {
    const FileSizeLimit full_disk(80000);
    ASSERT_TRUE(full_disk.ok());
    Poll();
  }

  EXPECT_EQ(Final(), status::kOk);
  EXPECT_EQ(Read("00000_School.zev"), old_file);
  EXPECT_EQ(node_.path, File("00000_School.zev"));
  EXPECT_EQ(node_.header.GetInt("N"), 0);  // numbered at its next poll
  EXPECT_EQ(Read("00042_School.zev"), node_file_);  // the fixture's other node file, untouched
  ASSERT_EQ(recorder_.messages().size(), 1u);  // the user is told
  EXPECT_EQ(recorder_.messages()[0].first, node_.id());
  std::set<std::string> after = before;
  after.insert({"converter.log", kArchivedName});
  EXPECT_EQ(Files(), after);  // no temporary file left
}

}  // namespace
