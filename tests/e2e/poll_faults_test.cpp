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
#include <thread>

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
    ExpectDownload(Read(kArchivedName), link_type);
  }
  void ExpectDownload(const std::string& bins, int link_type = zv::kLinkPstn) {
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

// The same over GSM (faults by block: its requests are streamed) and TCP
// (faults by request, as on the dial-up line).
TEST_F(PollFaultTest, NoiseAndBadAnswersOverGsmAndTcpStillGiveTheMemory) {
  for (const int modem : {zv::kLinkGsm, zv::kLinkTcp}) {
    SCOPED_TRACE(modem);
    pstn_.heat.ClearFaults();
    std::filesystem::remove_all(File(zv::kArchiveBinsFolder));
    zv::sim::WriteArchive(pstn_.heat, *zv::sim::ArchiveLayout::For(2, 2), DateStamp(2024, 3, 9, 0, 0, 0),
                          DateStamp(2024, 3, 12, 14, 0, 0));
    Reach(modem);
    zv::sim::AnswerFault trailing;
    trailing.trailing = {0xCA, 0x89, 0x02};
    zv::sim::AnswerFault split;
    split.chunk = 7;
    const zv::sim::AnswerFault faults[] = {NoiseFault(6), BadCrcFault(), OtherBlockFault(0x0100), trailing, split};
    zv::BlockList list;
    ASSERT_TRUE(zv::BuildBlockList(modem, 2, 2, node_.last_record, DateStamp(2024, 3, 12, 16, 30, 10), list));
    const size_t before = pstn_.heat.request_count();
    if (modem == zv::kLinkGsm) {
      ASSERT_GT(list.size(), static_cast<int>(std::size(faults)));
      for (size_t k = 0; k < std::size(faults); ++k) {
        pstn_.heat.SetBlockFault(static_cast<std::uint16_t>(list[static_cast<int>(k) + 1].address), 0, faults[k]);
      }
    } else {
      size_t request = pstn_.heat.request_count() + 2;
      for (const zv::sim::AnswerFault& f : faults) pstn_.heat.SetFault(request++, f);
    }
    Poll();
    EXPECT_EQ(Final(), status::kOk);
    ExpectDownloadInBins(modem);
    EXPECT_EQ(Read("00042_School.zev"), node_file_);
    // The bad answers were asked again: more requests than the first block and the list.
    EXPECT_GT(pstn_.heat.request_count() - before, static_cast<size_t>(list.size()) + 1);
  }
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

// The converter fails in each of its ways. The workstation's rule: the poll
// fails only when the converter cannot be started; the bins file is deleted
// after a converter that ended by itself (whatever its code, also after a stop
// that waited for it), kept after one ended by a signal (with a message) or
// never started; with archiving on it always goes to "archive-bins". The stand-in
// converter copies the file it was given: it saw the whole download.
TEST_F(PollFaultTest, AFailedConverterLosesNoDownload) {
  enum Kept { kDeleted, kInBins, kArchived };
  struct Case {
    const char* what;
    const char* converter;  // null: none in the program folder
    int archive;
    bool stop;  // PollCancel while the converter runs
    int status;
    Kept kept;
    size_t messages;
  };
  const Case cases[] = {
      {"missing", nullptr, 0, false, status::kFailure, kInBins, 0},
      {"missing, archived", nullptr, 1, false, status::kFailure, kArchived, 0},
      {"exit 1", "exit 1\n", 0, false, status::kOk, kDeleted, 0},
      {"killed", "kill -KILL $$\n", 0, false, status::kOk, kInBins, 1},
      {"killed, archived", "kill -KILL $$\n", 1, false, status::kOk, kArchived, 1},
      {"hanging, then stopped", "while [ ! -f go ]; do sleep 0.01; done\n", 0, true, status::kCancelled, kDeleted, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(File(zv::kBinsFolder));
    std::filesystem::remove_all(File(zv::kArchiveBinsFolder));
    for (const char* f : {"converter.log", "seen.bin", "go", zv::kConverterName}) std::filesystem::remove(File(f));
    if (c.converter != nullptr) WriteConverter(ConverterScript(0, std::string("cp \"$1\" seen.bin\n") + c.converter));
    Settings(1, c.archive);
    zv::sim::StatusRecorder recorder;
    block_.setup.sink = &recorder;
    std::thread stopper;
    if (c.stop) {
      stopper = std::thread([&] {
        zv::sim::WaitUntil([&] { return Exists("seen.bin"); }, kBound);
        PollCancel.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the converter goes on
        folder_.Write("go", "");
      });
    }
    Poll();
    if (stopper.joinable()) stopper.join();
    ASSERT_FALSE(recorder.statuses().empty());
    EXPECT_EQ(recorder.statuses().back(), c.status);
    EXPECT_EQ(Read("00042_School.zev"), node_file_);
    EXPECT_EQ(recorder.messages().size(), c.messages);
    EXPECT_EQ(Exists(kBinsName), c.kept == kInBins);
    EXPECT_EQ(Exists(kArchivedName), c.kept == kArchived);
    if (c.kept != kDeleted) ExpectDownload(Read(c.kept == kInBins ? kBinsName : kArchivedName));
    if (c.converter != nullptr) {
      ExpectDownload(Read("seen.bin"));
    }
    EXPECT_EQ(Exists("converter.log"), c.converter != nullptr);
  }
}

}  // namespace
