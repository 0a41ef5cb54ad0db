// The poll worker end to end: a node polled over the modem, line-side
// controller and heat computer simulators, its bins file, a stand-in converter
// (a script the test writes) and the archive copy.

#include "links/poll_worker.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "links/archive_map.h"
#include "links/bins_file.h"
#include "links/link_factory.h"
#include "links/node_status.h"
#include "links/poll_flags.h"
#include "platform/com_ports.h"
#include "platform/cp1251.h"
#include "platform/ini_file.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "tests/links/poll_fixture.h"
#include "tests/support/file_size_limit.h"
#include "tests/sim/archive_layout.h"
#include "tests/sim/ip_converter.h"
#include "tests/sim/status_recorder.h"
#include "tests/support/temp_dir.h"

namespace {

using std::chrono::milliseconds;
using zv::sim::Bytes;
using zv::sim::LineController;
using namespace zv::test;
namespace status = zv::node_status;

TEST_F(PollWorkerTest, PollsTheNodeEndToEnd) {
  const zv::sim::ArchiveLayout layout = *zv::sim::ArchiveLayout::For(2, 2);
  zv::sim::WriteArchive(pstn_.heat, layout, DateStamp(2024, 3, 9, 0, 0, 0), DateStamp(2024, 3, 12, 14, 0, 0));
  Poll();

  // Statuses: the modem dialogue, the blocks with rising progress, OK from
  // the download and as the final status.
  const std::vector<zv::sim::StatusEvent> events = recorder_.events();
  const std::vector<int> statuses = Statuses();
  ASSERT_GE(events.size(), 6u);
  EXPECT_EQ(std::vector<int>(statuses.begin(), statuses.begin() + 3),
            (std::vector<int>{status::kOpeningPort, status::kInitialising, status::kDialling}));
  int last_percent = 0;
  size_t i = 3;
  for (; i < events.size() && events[i].status == status::kReading; ++i) {
    EXPECT_GT(events[i].percent, last_percent);
    last_percent = events[i].percent;
    EXPECT_EQ(events[i].node, node_.id());
  }
  EXPECT_GE(last_percent, 99);
  EXPECT_EQ(std::vector<int>(statuses.begin() + static_cast<long>(i), statuses.end()),
            (std::vector<int>{status::kOk, status::kOk}));
  EXPECT_EQ(node_.status.load(), status::kOk);

  // The dialogue and the call.
  EXPECT_EQ(pstn_.modem.commands(), (std::vector<std::string>{"ATZ", "ATH0", "ATDT5551234"}));
  const std::vector<zv::sim::LoggedRequest> requests = pstn_.heat.requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[0].device, 0);
  EXPECT_EQ(requests[0].address, 0);
  zv::BlockList expected_list;
  ASSERT_TRUE(zv::BuildBlockList(zv::kLinkPstn, 2, 2, node_.last_record, DateStamp(2024, 3, 12, 16, 30, 10),
                                 expected_list));
  ASSERT_EQ(requests.size(), static_cast<size_t>(1 + expected_list.size()));
  for (int k = 0; k < expected_list.size(); ++k) {
    const zv::sim::LoggedRequest& r = requests[static_cast<size_t>(k + 1)];
    EXPECT_EQ(r.device, 3);
    EXPECT_EQ(r.command, 0x10);
    EXPECT_EQ(r.length, 128);
    EXPECT_EQ(r.address, expected_list[k].address);
  }
  ASSERT_EQ(pstn_.controller.clock_frames().size(), 1u);
  EXPECT_EQ(pstn_.controller.clock_frames()[0], (zv::sim::ClockFrame{14, 30, {8, 0, 22, 0}}));
  const std::vector<std::uint8_t> commands = pstn_.controller.commands();
  EXPECT_EQ(commands.front(), LineController::kConnect);
  EXPECT_EQ(std::vector<std::uint8_t>(commands.end() - 2, commands.end()),
            (std::vector<std::uint8_t>{LineController::kClock, LineController::kDisconnect}));
  EXPECT_EQ(pstn_.controller.frames().back().bytes, (Bytes{0xCA, 0x03, 0x04, 0xD7, 0x15}));
  EXPECT_TRUE(pstn_.modem.WaitForHangups(1, kBound));

  // The converter got the bins path as its only argument, in the program folder,
  // with the file in place; then the file went to archive-bins.
  EXPECT_EQ(Read("converter.log"), "1\n" + std::string(kBinsName) + "\n" + RealPath(folder_.path()) + "\n" +
                                       std::to_string(kFamily2BinsSize) + "\n");
  EXPECT_FALSE(Exists(kBinsName));
  ASSERT_TRUE(Exists(kArchivedName));
  const std::string bins = Read(kArchivedName);
  ASSERT_EQ(bins.size(), kFamily2BinsSize);
  EXPECT_EQ(bins.substr(0, 90), std::string(90, '\0'));  // the identity block is never read
  auto image = [&bins](int address, int n) {
    return Bytes(bins.begin() + 90 + address, bins.begin() + 90 + address + n);
  };
  EXPECT_EQ(image(0, 128), pstn_.heat.Peek(0, 128));
  for (int k = 0; k < expected_list.size(); ++k) {
    const int a = expected_list[k].address;
    const int n = std::min(128, 58868 - a);
    EXPECT_EQ(image(a, n), pstn_.heat.Peek(static_cast<size_t>(a), static_cast<size_t>(n))) << a;
  }
  // Every record since the day of the last one is in the file.
  for (const DateStamp& h : zv::sim::HoursBetween(DateStamp(2024, 3, 9, 0, 0, 0), DateStamp(2024, 3, 12, 14, 0, 0))) {
    const zv::sim::RecordPlace hourly = layout.Hourly(h);
    EXPECT_EQ(image(hourly.address, hourly.size), zv::sim::RecordBytes(false, h, hourly.size)) << h.Format(true);
    // The daily record names its day (its hour is the last one written).
    const zv::sim::RecordPlace daily = layout.Daily(h);
    const Bytes day = zv::sim::RecordBytes(true, h, daily.size);
    EXPECT_EQ(image(daily.address, 4), Bytes(day.begin(), day.begin() + 4)) << h.Format(true);
  }
  // The header learned the device version, in memory; the file is untouched.
  EXPECT_EQ(node_.header.GetInt("V"), 8);
  EXPECT_EQ(node_.path, File("00042_School.zev"));
}

struct HandOverCase {
  int transfer;
  int archive;
  bool converted;
  bool in_bins;
  bool in_archive;
};

class PollHandOverTest : public PollWorkerTest, public ::testing::WithParamInterface<HandOverCase> {};

TEST_P(PollHandOverTest, ConvertsThenArchivesOrDeletesBySettings) {
  const HandOverCase& c = GetParam();
  Settings(c.transfer, c.archive);
  Poll();
  EXPECT_EQ(Final(), status::kOk);
  EXPECT_EQ(Exists("converter.log"), c.converted);
  EXPECT_EQ(Exists(kBinsName), c.in_bins);
  EXPECT_EQ(Exists(kArchivedName), c.in_archive);
  const std::string kept = c.in_bins ? kBinsName : kArchivedName;
  if (c.in_bins || c.in_archive) {
    EXPECT_EQ(Read(kept).size(), kFamily2BinsSize);
  }
}

INSTANTIATE_TEST_SUITE_P(Settings, PollHandOverTest,
                         ::testing::Values(HandOverCase{1, 1, true, false, true},
                                           HandOverCase{1, 0, true, false, false},
                                           HandOverCase{0, 1, false, false, true},
                                           HandOverCase{0, 0, false, true, false}));

TEST_F(PollWorkerTest, TheConverterExitCodeDoesNotChangeTheOutcome) {
  WriteConverter(ConverterScript(3));
  Settings(1, 0);
  Poll();
  EXPECT_EQ(Final(), status::kOk);
  EXPECT_TRUE(Exists("converter.log"));
  EXPECT_TRUE(NoBinsFiles());  // deleted after the run as after any other
}

// Where a bins file that is kept ends up, by ArchiveSave.
struct KeptBinsFile {
  int archive;
  const char* kept;
};
constexpr KeptBinsFile kKeptBinsFiles[] = {{0, kBinsName}, {1, kArchivedName}};

TEST_F(PollWorkerTest, AConverterThatCannotStartIsAFailureAndTheFileIsKept) {
  for (const KeptBinsFile& c : kKeptBinsFiles) {
    SCOPED_TRACE(c.archive);
    WriteConverter("#!/nonexistent/interpreter\n");
    Settings(1, c.archive);
    Poll();
    EXPECT_EQ(Final(), status::kFailure);
    EXPECT_EQ(node_.status.load(), status::kFailure);
    EXPECT_EQ(Read(c.kept).size(), kFamily2BinsSize);
    std::filesystem::remove(File(c.kept));
  }
}

TEST_F(PollWorkerTest, NothingNewEndsWithOkWithoutOpeningThePort) {
  struct Case {
    DateStamp last_record;
    bool polled;
  };
  // The target is 16:30 today: a record of 16:00 or later leaves nothing to read.
  const Case cases[] = {
      {DateStamp(2024, 3, 12, 16, 0, 0), false},
      {DateStamp(2024, 3, 13, 1, 0, 0), false},
      {DateStamp(2024, 3, 12, 15, 0, 0), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.last_record.Format(true));
    const size_t before = pstn_.modem.commands().size();
    node_.last_record = c.last_record;
    Poll();
    EXPECT_EQ(Final(), status::kOk);
    EXPECT_EQ(pstn_.modem.commands().size() > before, c.polled);
  }
  EXPECT_TRUE(Exists(kArchivedName));  // from the one that was polled
}

TEST_F(PollWorkerTest, NodesWithoutAWayToReachThemFail) {
  struct Case {
    const char* what;
    const char* modem;
    const char* phone;
    std::vector<int> statuses;
  };
  const int unused = zv::sim::UnusedPort();
  ASSERT_GT(unused, 0);
  node_.header.SetInt("IPPORT", unused);
  node_.header.SetString("IPADDRESS", "127.0.0.1");
  // The GSM modem's port is a device that does not exist.
  const zv::Profile profile(zv::kProgramZEVModem);
  ASSERT_TRUE(profile.WriteInt("Settings", "PortGsmodem", kCom + 1));
  zv::IniFile ports;
  ports.Load(zv::PortsFilePath());
  ports.Set("Ports", "COM" + std::to_string(kCom + 1), File("no-such-port"));
  ASSERT_TRUE(ports.Save(zv::PortsFilePath()));
  const Case cases[] = {
      {"no phone", "1", "", {status::kFailure}},
      {"GSM modem port that does not open", "2", "5551234", {status::kOpeningPort, status::kFailure}},
      {"TCP connection refused", "3", "5551234", {status::kFailure}},
      {"no MODEM", "0", "5551234", {status::kFailure}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t before = recorder_.statuses().size();
    node_.header.SetString("MODEM", c.modem);
    node_.header.SetString("PHONE", c.phone);
    Poll();
    EXPECT_EQ(node_.status.load(), status::kFailure);
    const std::vector<int> all = recorder_.statuses();
    EXPECT_EQ(std::vector<int>(all.begin() + static_cast<long>(before), all.end()), c.statuses);
  }
  EXPECT_TRUE(pstn_.modem.commands().empty());
  EXPECT_TRUE(NoBinsFiles());
}

// Faults of the call: the poll ends with the failure status and leaves no bins
// file, or recovers.
struct CallFault {
  const char* name;
  std::function<void(zv::test::PstnNode&)> fault;
  int final_status;
  bool silent;  // the poll waits through silent reads
};

class PollCallFaultTest : public PollWorkerTest, public ::testing::WithParamInterface<CallFault> {};

TEST_P(PollCallFaultTest, EndsWithTheStatusOfTheFault) {
  const CallFault& c = GetParam();
  if (c.silent) {
    zv::PollTiming timing = zv::test::QuickSilenceTiming();
    timing.pstn.disconnect_pause = zv::Ms(300);
    SetTiming(timing);
  }
  Settings(1, 0);
  c.fault(pstn_);
  Poll();
  EXPECT_EQ(Final(), c.final_status);
  EXPECT_EQ(node_.status.load(), c.final_status);
  EXPECT_EQ(Exists("converter.log"), c.final_status == status::kOk);
  EXPECT_TRUE(NoBinsFiles());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PollCallFaultTest,
    ::testing::Values(
        CallFault{"NoConnectAnswer", [](zv::test::PstnNode& n) { n.controller.SetConnectAnswers(false); },
                  status::kFailure, true},
        CallFault{"DroppedAnswers", [](zv::test::PstnNode& n) { n.heat.SetSilentFrom(3); }, status::kFailure,
                  true},
        CallFault{"NoCarrierInDataMode", [](zv::test::PstnNode& n) { n.modem.SetCarrierLossAfter(4); },
                  status::kFailure, true},
        CallFault{"Busy", [](zv::test::PstnNode& n) { n.modem.SetDialAnswer(zv::sim::ModemSimulator::DialAnswer::kBusy); },
                  status::kFailure, true},
        CallFault{"OneBadCheckAskedAgain",
                  [](zv::test::PstnNode& n) {
                    zv::sim::AnswerFault bad;
                    bad.bad_crc = true;
                    n.heat.SetFault(2, bad);
                  },
                  status::kOk, false}),
    [](const ::testing::TestParamInfo<CallFault>& info) { return std::string(info.param.name); });

TEST_F(PollWorkerTest, CancelDuringTheDownloadEndsWithCancelled) {
  // From the fifth request on every answer comes late, so the stop always
  // arrives while the download still has many blocks to go, however loaded the
  // machine (the link sees it after the answer it is waiting for).
  zv::sim::AnswerFault late;
  late.delay = milliseconds(200);
  for (size_t n = 4; n < 200; ++n) pstn_.heat.SetFault(n, late);
  std::thread stopper([&] {
    pstn_.heat.WaitForRequests(5, kBound);
    PollCancel.store(true);
  });
  Poll();
  stopper.join();
  EXPECT_EQ(Final(), status::kCancelled);
  EXPECT_EQ(node_.status.load(), status::kCancelled);
  EXPECT_FALSE(Exists("converter.log"));
  EXPECT_TRUE(NoBinsFiles());
  // The call was still ended properly.
  EXPECT_EQ(pstn_.controller.commands().back(), LineController::kDisconnect);
}

// The converter appends lines to the node file: a stop while it runs lets it
// finish (its heartbeat goes on long after the stop), and the poll then ends
// with 142, the bins file handled as after any other run.
TEST_F(PollWorkerTest, AStopWhileTheConverterRunsWaitsForItsEnd) {
  WriteConverter(ConverterScript(0,
                                 "i=0\n"
                                 "while [ ! -f go ]; do i=$((i+1)); echo $i > beat.tmp; mv beat.tmp beat; sleep 0.01; done\n"
                                 "printf '12.03.2024 14:00\\t5\\t6\\r\\n' >> 00042_School.zev\n"));
  Settings(1, 0);
  auto beat = [&] { return zv::AtoI(Read("beat")); };
  bool beat_on = false;
  std::thread stopper([&] {
    zv::sim::WaitUntil([&] { return beat() > 0; }, kBound);
    PollCancel.store(true);
    // Many converter_poll periods pass while the converter goes on.
    const int at_stop = beat();
    beat_on = zv::sim::WaitUntil([&] { return beat() >= at_stop + 20; }, kBound);
    folder_.Write("go", "");
  });
  Poll();
  stopper.join();
  EXPECT_TRUE(beat_on);
  EXPECT_EQ(Final(), status::kCancelled);
  const std::string node_file = Read("00042_School.zev");
  const std::string line = "12.03.2024 14:00\t5\t6\r\n";
  ASSERT_GT(node_file.size(), line.size());
  EXPECT_EQ(node_file.substr(node_file.size() - line.size()), line);
  EXPECT_TRUE(NoBinsFiles());  // the converter ended by itself: deleted as after any run
}

// The one message to the window: it names the file and tells why (every
// piece of `reason` is in it).
void ExpectMessage(const std::vector<std::pair<zv::NodeId, std::string>>& messages, zv::NodeId node,
                   const std::string& file, const std::vector<std::string>& reason) {
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].first, node);
  EXPECT_NE(messages[0].second.find(file), std::string::npos) << messages[0].second;
  for (const std::string& piece : reason) {
    EXPECT_NE(messages[0].second.find(piece), std::string::npos) << messages[0].second;
  }
}

// A converter ended by a signal (a crash) may not have taken the data in: the
// bins file is kept, archived when that is the setting, and the user is told.
TEST_F(PollWorkerTest, AConverterEndedByASignalKeepsTheBinsFile) {
  for (const KeptBinsFile& c : kKeptBinsFiles) {
    SCOPED_TRACE(c.archive);
    WriteConverter(ConverterScript(0, "kill -KILL $$\n"));
    Settings(1, c.archive);
    zv::sim::StatusRecorder recorder;
    block_.setup.sink = &recorder;
    Poll();
    EXPECT_EQ(node_.status.load(), status::kOk);
    EXPECT_EQ(Read(c.kept).size(), kFamily2BinsSize);
    ExpectMessage(recorder.messages(), node_.id(), kBinsName, {zv::W1251("прерван сигналом 9")});
    std::filesystem::remove(File(c.kept));
  }
}

// An archive step that fails leaves the file where it is and the outcome as it
// was, and tells the user which file and why.
TEST_F(PollWorkerTest, AFailedArchiveStepKeepsTheFileAndIsReported) {
  struct Case {
    const char* what;
    int archive;
    std::function<void()> block;
    std::vector<std::string> reason;
  };
  const Case cases[] = {
      {"no archive folder", 1, [this] { folder_.Write(zv::kArchiveBinsFolder, "a file in the way"); },
       {zv::W1251("Не создана папка \"archive-bins\""), std::strerror(EEXIST)}},
      {"a folder of that name in the archive", 1,
       [this] { ASSERT_TRUE(zv::EnsureDirectories(File(kArchivedName) + "/x")); },
       {zv::W1251("Файл данных не перемещён в \"archive-bins\""), std::strerror(EISDIR)}},
      {"not deleted", 0,
       [this] { WriteConverter(ConverterScript(0, "rm \"$1\"; mkdir -p \"$1/x\"\n")); },
       {zv::W1251("Файл данных не удалён"), std::strerror(ENOTEMPTY)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteConverter(ConverterScript(0));
    Settings(1, c.archive);
    c.block();
    zv::sim::StatusRecorder recorder;
    block_.setup.sink = &recorder;
    Poll();
    EXPECT_EQ(node_.status.load(), status::kOk);
    EXPECT_TRUE(std::filesystem::exists(File(kBinsName)));  // where it was (the converter's folder, too)
    ExpectMessage(recorder.messages(), node_.id(), kBinsName, c.reason);
    std::filesystem::remove_all(File(zv::kBinsFolder));
    std::filesystem::remove_all(File(zv::kArchiveBinsFolder));
  }
}

TEST_F(PollWorkerTest, ABinsFileThatCannotBeWrittenWholeIsAFailure) {
  {
    // The file may grow to less than the bins file needs.
    const FileSizeLimit full_disk(20000);
    ASSERT_TRUE(full_disk.ok());
    Poll();
  }
  EXPECT_EQ(Final(), status::kFailure);
  EXPECT_FALSE(Exists("converter.log"));
  EXPECT_TRUE(NoBinsFiles());
}

TEST_F(PollWorkerTest, ABinsFolderThatCannotBeMadeIsAFailure) {
  folder_.Write(zv::kBinsFolder, "a file in the way");
  Poll();
  EXPECT_EQ(Final(), status::kFailure);
  EXPECT_FALSE(Exists("converter.log"));
}

TEST_F(PollWorkerTest, ANewNodeGetsItsNumberAndName) {
  node_.header.SetString("N", "00000");
  node_.header.SetString("NAME", "New");
  node_.header.SetString("V", "4");
  WriteNodeFile("00000_New.zev");
  Poll();
  EXPECT_EQ(Final(), status::kOk);
  const std::vector<int> s = Statuses();
  EXPECT_EQ(std::count(s.begin(), s.end(), status::kRenamed), 2);
  // Once when the file was renamed (before the download), once before the end.
  const auto first = std::find(s.begin(), s.end(), status::kRenamed);
  EXPECT_NE(std::find(first, s.end(), status::kReading), s.end());
  EXPECT_EQ(*(s.end() - 2), status::kRenamed);
  EXPECT_EQ(node_.header.GetString("N"), "00042");
  EXPECT_EQ(node_.path, File("00042_New.zev"));
  EXPECT_FALSE(Exists("00000_New.zev"));
  const std::string text = Read("00042_New.zev");
  EXPECT_NE(text.find("N\t00042\r\n"), std::string::npos);
  EXPECT_NE(text.find("V\t8\r\n"), std::string::npos);
  EXPECT_NE(text.find("$\r\n09.03.2024 10:00\t1\t2\r\n"), std::string::npos);
  EXPECT_TRUE(Exists(kArchivedName));
}

TEST_F(PollWorkerTest, ANewNodeWhoseNameIsTakenStaysAsItWas) {
  node_.header.SetString("N", "0");
  WriteNodeFile("00000_School.zev");
  folder_.Write("00042_School.zev", "another node\r\n$\r\n");
  Poll();
  EXPECT_EQ(Final(), status::kOk);
  const std::vector<int> s = Statuses();
  EXPECT_EQ(std::count(s.begin(), s.end(), status::kRenamed), 0);
  EXPECT_EQ(node_.header.GetInt("N"), 0);  // numbered at its next poll
  EXPECT_EQ(node_.path, File("00000_School.zev"));
  EXPECT_EQ(Read("00042_School.zev"), "another node\r\n$\r\n");
  // The user is told why the node kept its old name.
  ExpectMessage(recorder_.messages(), node_.id(), File("00042_School.zev"), {zv::W1251("Файл узла уже существует")});
}

TEST_F(PollWorkerTest, ADeviceWithoutAnArchiveMapFails) {
  pstn_.heat.SetType(4);
  pstn_.heat.SetVersion(7);  // family 1, no map
  Poll();
  EXPECT_EQ(Final(), status::kFailure);
  EXPECT_EQ(pstn_.heat.request_count(), 1u);  // the first block only
  EXPECT_EQ(pstn_.controller.commands().back(), LineController::kDisconnect);
  EXPECT_TRUE(NoBinsFiles());
}

TEST_F(PollWorkerTest, TheWorkerStopsARunningPollWhenItGoes) {
  {
    zv::PollWorker worker;
    ASSERT_TRUE(worker.Start(block_));
    EXPECT_TRUE(worker.Running());
    EXPECT_FALSE(worker.Start(block_));  // one at a time
    ASSERT_TRUE(pstn_.heat.WaitForRequests(3, kBound));
  }
  EXPECT_EQ(node_.status.load(), status::kCancelled);
  EXPECT_TRUE(PollIdle.load());
  EXPECT_FALSE(PollCancel.load());
}

// The scheduler starts the next poll as soon as PollIdle is back; the worker
// must not refuse it because the old thread has not quite returned yet.
TEST(PollWorkerEnd, StartsAgainAsSoonAsPollIdleIsBack) {
  zv::sim::RunningClock clock(zv::sim::LocalTime(2024, 3, 12, 14, 30));
  zv::PollWorkerBlock block;  // no node: the poll ends at once with 137
  block.setup.timing = zv::sim::TestTiming();
  block.setup.clock = &clock;
  zv::PollWorker worker;
  for (int round = 0; round < 20; ++round) {
    ASSERT_TRUE(worker.Start(block)) << round;
    const auto end = std::chrono::steady_clock::now() + kBound;
    while (!PollIdle.load() && std::chrono::steady_clock::now() < end) std::this_thread::yield();
    ASSERT_TRUE(PollIdle.load());
  }
  worker.Join();
  EXPECT_FALSE(worker.Running());
}

// A worker destroyed while its thread is between FinishNodePoll and its
// return must not leave its stop behind: the next poll would end at once.
TEST(PollWorkerEnd, DestroyingAWorkerNeverLeavesPollCancelSet) {
  zv::sim::RunningClock clock(zv::sim::LocalTime(2024, 3, 12, 14, 30));
  zv::PollWorkerBlock block;  // no node: the poll ends at once with 137
  block.setup.timing = zv::sim::TestTiming();
  block.setup.timing.worker.final_status_pause = zv::Duration(0);
  block.setup.timing.worker.idle_pause = zv::Duration(0);
  block.setup.clock = &clock;
  int left_set = 0;
  for (int round = 0; round < 2000; ++round) {
    {
      zv::PollWorker worker;
      ASSERT_TRUE(worker.Start(block)) << round;
      // Destroyed the moment PollIdle is back: the thread has not yet returned.
      const auto end = std::chrono::steady_clock::now() + kBound;
      while (!PollIdle.load() && std::chrono::steady_clock::now() < end) {
      }
      ASSERT_TRUE(PollIdle.load()) << round;
    }
    if (PollCancel.load()) {
      ++left_set;
      PollCancel.store(false);
    }
  }
  EXPECT_EQ(left_set, 0);
}

// After a stop, the owner's destruction cuts the pauses of the end short
// (here a pause far longer than the bound), and the scheduler is still freed.
TEST(PollWorkerEnd, DestructionAfterAStopCutsThePausesOfTheEndShort) {
  zv::sim::RunningClock clock(zv::sim::LocalTime(2024, 3, 12, 14, 30));
  zv::sim::StatusRecorder recorder;
  CNode node;  // nothing to reach it by: the poll ends at once
  zv::PollWorkerBlock block;
  block.node = &node;
  block.setup.timing = zv::sim::TestTiming();
  block.setup.timing.worker.idle_pause = zv::Ms(120000);
  block.setup.clock = &clock;
  block.setup.sink = &recorder;
  auto worker = std::make_unique<zv::PollWorker>();
  PollCancel.store(true);  // the user's stop
  ASSERT_TRUE(worker->Start(block));
  ASSERT_TRUE(recorder.WaitForStatus(status::kCancelled, kBound));
  const auto start = std::chrono::steady_clock::now();
  worker.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, kBound);
  EXPECT_TRUE(PollIdle.load());
  EXPECT_FALSE(PollCancel.load());
}

TEST(PollWorkerEnd, FinishNodePollAlwaysFreesTheScheduler) {
  zv::sim::RunningClock clock(zv::sim::LocalTime(2024, 3, 12, 14, 30));
  zv::sim::StatusRecorder recorder;
  CNode node;
  zv::PollWorkerBlock block;
  block.setup.timing = zv::sim::TestTiming();
  block.setup.clock = &clock;
  block.setup.sink = &recorder;
  FinishNodePoll(nullptr, status::kOk);  // nothing to finish

  PollIdle.store(false);
  FinishNodePoll(&block, status::kOk);  // no node
  EXPECT_TRUE(PollIdle.load());

  block.node = &node;
  PollIdle.store(false);
  FinishNodePoll(&block, 0);  // no status to show
  EXPECT_TRUE(recorder.events().empty());
  EXPECT_TRUE(PollIdle.load());

  PollIdle.store(false);
  PollCancel.store(true);
  FinishNodePoll(&block, status::kFailure);
  EXPECT_EQ(recorder.events(), (std::vector<zv::sim::StatusEvent>{{node.id(), status::kCancelled, 0}}));
  EXPECT_TRUE(PollIdle.load());
  EXPECT_FALSE(PollCancel.load());
  const zv::PollWorkerTiming& t = block.setup.timing.worker;
  EXPECT_EQ(clock.pauses().back(), t.idle_pause);
}

// --- How a node is reached.

TEST(LinkEndpoint, DeviceAddressAfterTheStar) {
  struct Case {
    const char* text;
    const char* address;
    int device;
  };
  const Case cases[] = {
      {"555*3", "555", 3},   {"*7", "", 7},         {"123*0", "123", 0}, {"123*300", "123", 0},
      {"123", "123", 0},     {"1*2*3", "1", 2},     {"9*255", "9", 255}, {"9*x", "9", 0},
      {"10.0.0.5*4", "10.0.0.5", 4},
  };
  for (const Case& c : cases) {
    std::string address;
    int device = -1;
    zv::SplitDeviceAddress(c.text, address, device);
    EXPECT_EQ(address, c.address) << c.text;
    EXPECT_EQ(device, c.device) << c.text;
  }
}

TEST(LinkEndpoint, AddressPortAndInitByModem) {
  CDataHeader h(CDataHeader::kWorkstation);
  EXPECT_FALSE(zv::ReadLinkEndpoint(h).has_value());  // no PHONE
  h.SetString("PHONE", "*7");                         // not empty: an empty number with device 7
  std::optional<zv::LinkEndpoint> e = zv::ReadLinkEndpoint(h);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->address, "");
  EXPECT_EQ(e->device_address, 7);
  EXPECT_EQ(e->port, 2);  // the defaults
  EXPECT_EQ(e->init, "");

  const zv::Profile profile(zv::kProgramZEVModem);
  profile.WriteInt("Settings", "PortModem", 5);
  profile.WriteString("Settings", "ModemInit", "AT&F");
  profile.WriteString("Settings", "GsmodemInit", "AT+CBST=7");
  h.SetString("MODEM", "1");
  e = zv::ReadLinkEndpoint(h);
  EXPECT_EQ(e->port, 5);
  EXPECT_EQ(e->init, "AT&F");
  h.SetString("MODEM", "2");
  e = zv::ReadLinkEndpoint(h);
  EXPECT_EQ(e->modem, 2);
  EXPECT_EQ(e->port, 1);
  EXPECT_EQ(e->init, "AT+CBST=7");

  h.SetString("MODEM", "3");  // TCP: the IP address and port of the header
  EXPECT_FALSE(zv::ReadLinkEndpoint(h).has_value());
  h.SetString("IPADDRESS", "10.1.2.3*9");
  e = zv::ReadLinkEndpoint(h);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->address, "10.1.2.3");
  EXPECT_EQ(e->device_address, 9);
  EXPECT_EQ(e->port, 0);  // no IPPORT
  EXPECT_EQ(e->init, "");
  h.SetString("IPPORT", "4001");
  EXPECT_EQ(zv::ReadLinkEndpoint(h)->port, 4001);
}

TEST(BinsFile, NamesAndSizes) {
  EXPECT_EQ(zv::BinsFileName(42, DateStamp(2024, 3, 5, 7, 59, 0)), "bins/00042_2024-03-05_07-00.bin");
  EXPECT_EQ(zv::BinsFileName(65535, DateStamp(2031, 12, 31, 23, 0, 0)), "bins/65535_2031-12-31_23-00.bin");
  EXPECT_EQ(zv::ArchiveBinsFileName("bins/00042_2024-03-05_07-00.bin"), "archive-bins/00042_2024-03-05_07-00.bin");
  EXPECT_EQ(zv::BinsImageSize(1, 1), 32768);
  EXPECT_EQ(zv::BinsImageSize(1, 3), 58060);
  EXPECT_EQ(zv::BinsImageSize(1, 4), 61560);
  EXPECT_EQ(zv::BinsImageSize(2, 9), 58868);
  EXPECT_EQ(zv::BinsImageSize(1, 2), 0);
}

TEST(BinsFile, FamilyOneLeadsWith64Bytes) {
  zv::test::TempDir dir;
  zv::sim::RunningClock clock(zv::sim::LocalTime(2024, 3, 12, 9, 5));
  CComLink link(zv::sim::TestTiming(), clock);
  link.image[0] = 4;
  link.image[2] = 7;
  link.image[32767] = 0xEE;
  link.image[32768] = 0xFF;  // beyond the model 1 image
  link.family = 1;
  link.model = 1;
  EXPECT_EQ(link.WriteBinsFile(dir.path()), "bins/00007_2024-03-12_09-00.bin");
  const std::string bytes = zv::test::TempDir::Read(dir.File("bins/00007_2024-03-12_09-00.bin"));
  ASSERT_EQ(bytes.size(), 64u + 32768u);
  EXPECT_EQ(bytes[64], 4);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes.back()), 0xEE);
  link.model = 2;  // no image size: nothing written
  EXPECT_EQ(link.WriteBinsFile(dir.path()), "");
}

}  // namespace
