// ZEVRS's worker jobs end to end against the simulated cable, the bins file,
// and the converter and archive step.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "links/bins_file.h"
#include "platform/ini_file.h"
#include "platform/com_ports.h"
#include "readers/common/bins_handover.h"
#include "readers/common/reader_flags.h"
#include "readers/common/reader_worker.h"
#include "tests/readers/zevrs_rig.h"
#include "tests/support/file_size_limit.h"

namespace zv::test {
namespace {

using sim::Bytes;
using namespace std::chrono_literals;

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> out;
  std::error_code e;
  for (const auto& f : std::filesystem::directory_iterator(dir, e)) out.push_back(f.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

class ZevrsJobTest : public testing::Test {
 protected:
  void SetUp() override {
    g_bStop = false;
    g_bIdle = true;
    ASSERT_TRUE(rig.Start());
  }
  void TearDown() override { g_bStop = false; }
  void Run(int kind, int transfer = 0, int archive = 0) {
    ReadJob job;
    job.job = kind;
    job.DataTransfer = transfer;
    job.ArchiveSave = archive;
    ReadThreadProc(job, sink, rig.setup);
  }
  std::vector<std::int64_t> Ranges() const {
    std::vector<std::int64_t> out;
    for (const ReaderReport& r : sink.log.reports()) {
      if (r.code == kLinkEventRange) out.push_back(r.value);
    }
    return out;
  }
  size_t Commands(std::uint8_t command) const {
    size_t n = 0;
    for (const sim::LoggedRequest& r : rig.heat.requests()) n += r.command == command && r.answered ? 1 : 0;
    return n;
  }

  ZevrsRig rig;
  DirectRecorder sink;
};

TEST_F(ZevrsJobTest, HourlyJobWritesTheBinsFile) {
  struct Case {
    std::uint8_t type, version;
    int range, requests, lead, image, read_end;
  };
  const Case cases[] = {
      {4, 1, 128, 127, 64, 0x8000, 0x8000},
      {4, 3, 228, 226, 64, 0xE2CC, 0xE2CC},
      {4, 4, 228, 229, 64, 0xF078, 0xE510},
      {2, 1, 230, 229, 90, 0xE5F4, 0xE5F4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.type) << "/" << int(c.version));
    sink.Clear();
    FillDevice(rig.heat, c.type, c.version);
    Run(kJobHourly);
    EXPECT_EQ(Ranges(), (std::vector<std::int64_t>{1, 2, c.range}));
    EXPECT_EQ(sink.log.Count(kLinkEventStep), 1 + c.requests);
    const std::string name = rig.BinsName();
    const std::u16string saved = u"Файл данных сохранен в " + std::u16string(name.begin(), name.end());
    EXPECT_EQ(sink.log.texts(),
              (std::vector<std::u16string>{u"Иницализация связи.", u"Считывание параметров.",
                                           u"Считывание накопленных данных.", saved}));
    // The values come after the parameters, before the archive.
    const auto reports = sink.log.reports();
    const auto values = std::find_if(reports.begin(), reports.end(), [](const ReaderReport& r) { return r.code == -2; });
    const auto archive = std::find_if(reports.begin(), reports.end(), [](const ReaderReport& r) {
      return r.text == u"Считывание накопленных данных.";
    });
    EXPECT_LT(values, archive);
    ASSERT_EQ(sink.values().size(), 1u);
    EXPECT_EQ(sink.values()[0].serial, 1234);
    EXPECT_EQ(sink.log.Count(-3), 0);

    const std::string bytes = TempDir::Read(rig.base + "/" + rig.BinsName());
    ASSERT_EQ(bytes.size(), static_cast<size_t>(c.lead + c.image));
    const Bytes memory = rig.heat.Peek(0, 0x10000);
    for (int i = 0; i < c.lead; ++i) ASSERT_EQ(bytes[static_cast<size_t>(i)], 0) << i;
    for (int a = 0; a < c.image; ++a) {
      const std::uint8_t expected = a < 192 || (a >= 256 && a < c.read_end) ? memory[static_cast<size_t>(a)] : 0;
      ASSERT_EQ(static_cast<std::uint8_t>(bytes[static_cast<size_t>(c.lead + a)]), expected) << a;
    }
    EXPECT_EQ(FilesIn(rig.base + "/bins").size(), 1u);
    std::filesystem::remove(rig.base + "/" + rig.BinsName());
  }
}

TEST_F(ZevrsJobTest, SecondDownloadOfTheMinuteReplacesTheFirst) {
  FillDevice(rig.heat, 4, 1, 1);
  Run(kJobHourly);
  FillDevice(rig.heat, 4, 1, 2);
  Run(kJobHourly);
  EXPECT_EQ(FilesIn(rig.base + "/bins"), std::vector<std::string>{rig.BinsName().substr(5)});
  const std::string bytes = TempDir::Read(rig.base + "/" + rig.BinsName());
  const Bytes memory = rig.heat.Peek(0x100, 0x100);
  ASSERT_GE(bytes.size(), 64u + 0x200);
  EXPECT_EQ(Bytes(bytes.begin() + 64 + 0x100, bytes.begin() + 64 + 0x200), memory);
}

TEST_F(ZevrsJobTest, ConverterRunsInTheBaseWithTheRelativeName) {
  rig.WriteConverter("exit 0");
  FillDevice(rig.heat, 4, 1);
  Run(kJobHourly, 1, 1);
  EXPECT_EQ(rig.ConverterLog(), rig.base + "|1|" + rig.BinsName() + "\n");
  EXPECT_EQ(sink.log.texts().back(), u"Полученный файл сохранен в папке archive-bins");
  EXPECT_TRUE(FileExists(rig.base + "/archive-" + rig.BinsName()));
  EXPECT_TRUE(FilesIn(rig.base + "/bins").empty());
}

TEST_F(ZevrsJobTest, CurrentValuesJob) {
  FillDevice(rig.heat, 2, 1);
  rig.heat.SetClock(2024, 2, 3, 4, 5, 6);
  Run(kJobCurrent);
  EXPECT_EQ(Commands(0x02), 1u);
  EXPECT_EQ(Ranges(), (std::vector<std::int64_t>{1, 2}));
  EXPECT_EQ(sink.log.Count(kLinkEventStep), 2);
  EXPECT_EQ(sink.log.texts().back(), u"Считывание текущих данных.");
  ASSERT_EQ(sink.values().size(), 1u);
  EXPECT_EQ(sink.values()[0].device_time, sim::LocalTime(2024, 2, 3, 4, 5, 6));
  EXPECT_EQ(sink.log.reports().back().code, -3);
  EXPECT_FALSE(std::filesystem::exists(rig.base + "/bins"));
}

TEST_F(ZevrsJobTest, VersionFourReadsNoCurrentDataAndStillEnds) {
  FillDevice(rig.heat, 4, 4);
  Run(kJobCurrent);
  EXPECT_EQ(Commands(0x02), 0u);
  EXPECT_EQ(sink.values().size(), 1u);
  EXPECT_EQ(sink.log.reports().back().code, -3);
}

TEST_F(ZevrsJobTest, FailedCurrentDataShowsValuesButNoSuccess) {
  FillDevice(rig.heat, 2, 1);
  // The handshake (2400 unheard, 9600, 9600) and the parameters are answered.
  rig.heat.SetSilentFrom(4);
  Run(kJobCurrent);
  ASSERT_EQ(sink.values().size(), 1u);
  EXPECT_EQ(sink.values()[0].T[0], 0.0f);
  EXPECT_EQ(sink.log.Count(-3), 0);
  EXPECT_EQ(sink.log.texts().back(), u"Считывание текущих данных.");
}

TEST_F(ZevrsJobTest, FailuresEndTheJobWithTheirText) {
  // No device behind the port.
  Profile(kProgramZEVRS).WriteString("Properties", "Port", "8");
  IniFile ini;
  ini.Load(PortsFilePath());
  ini.Set("Ports", "COM8", "/nonexistent/tty");
  ASSERT_TRUE(ini.Save(PortsFilePath()));
  Run(kJobHourly);
  EXPECT_EQ(sink.log.texts(), std::vector<std::u16string>{u"Cannot open port"});

  // No handshake.
  Profile(kProgramZEVRS).WriteString("Properties", "Port", "3");
  sink.Clear();
  rig.heat.SetSilentFrom(0);
  Run(kJobHourly);
  EXPECT_EQ(sink.log.texts().back(), u"Ошибка иницализация связи.");
  EXPECT_TRUE(sink.values().empty());
  EXPECT_FALSE(std::filesystem::exists(rig.base + "/bins"));
}

TEST_F(ZevrsJobTest, PulledCableLeavesNoBinsFile) {
  FillDevice(rig.heat, 4, 1);
  std::thread puller([&] {
    if (rig.heat.WaitForRequests(20, 20s)) rig.cable.Pull();
  });
  Run(kJobHourly, 1, 1);
  puller.join();
  EXPECT_EQ(sink.log.texts().back(), u"Считывание накопленных данных.");
  EXPECT_TRUE(FilesIn(rig.base + "/bins").empty());
}

// A full disk: no bins file, no converter, and the title says so.
TEST_F(ZevrsJobTest, FileTooBigForTheLimitIsNotHandedOver) {
  rig.WriteConverter("exit 0");
  FillDevice(rig.heat, 4, 1);
  {
    FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.ok());
    Run(kJobHourly, 1, 1);
  }
  EXPECT_TRUE(FilesIn(rig.base + "/bins").empty());
  EXPECT_EQ(rig.ConverterLog(), "");
  const auto texts = sink.log.texts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[texts.size() - 2], u"Считывание накопленных данных.");
  EXPECT_EQ(texts.back(), u"Файл данных не сохранен");
}

TEST_F(ZevrsJobTest, WorkerStartsOnlyWhileIdle) {
  FillDevice(rig.heat, 4, 1);
  ReaderWorker worker;
  ReadJob job;
  job.job = kJobCurrent;
  ASSERT_TRUE(worker.Start([&] { ReadThreadProc(job, sink, rig.setup); }, &sink));
  EXPECT_FALSE(g_bIdle.load());
  EXPECT_FALSE(worker.Start([] {}, nullptr));
  ASSERT_TRUE(sink.log.WaitUntil([](const auto& r) { return !r.empty() && r.back().code == -1; }));
  EXPECT_TRUE(g_bIdle.load());
  EXPECT_FALSE(g_bStop.load());
  // The port was closed before the end was reported.
  EXPECT_TRUE(rig.cable.line().WaitPeerClosed(5s));
  EXPECT_EQ(sink.log.Count(-3), 1);
  g_bStop = true;  // a pending stop keeps the next job from starting
  EXPECT_FALSE(worker.Start([] {}, nullptr));
  g_bStop = false;
}

// The converter and archive step on a bins file of its own.
class HandOverTest : public testing::Test {
 protected:
  void SetUp() override {
    EnsureDirectories(rig.base + "/bins");
    dir_name = "bins/00001_2024-01-01_00-00.bin";
    std::FILE* f = std::fopen((rig.base + "/" + dir_name).c_str(), "wb");
    std::fputs("bins", f);
    std::fclose(f);
  }
  ZevrsRig rig;
  ReaderRecorder sink;
  std::string dir_name;
};

// Where the file goes, and the texts: the success texts, or why the converter
// or the archive step failed (the file is kept then).
TEST_F(HandOverTest, FileGoesWhereTheChoicesAndTheExitCodeSay) {
  enum Where { kBins, kArchive, kGone };
  enum Block { kNoBlock, kArchiveFolderIsAFile, kArchivedNameIsAFolder };
  const std::u16string converted = u"Полученный файл успешно обработан";
  const std::u16string archived = u"Полученный файл сохранен в папке archive-bins";
  const std::u16string not_moved = u"Файл данных не перемещен в папку archive-bins, он остался в папке bins";
  const std::u16string missing = u"Конвертер binZEV2 не найден, файл данных сохранен";
  const std::u16string exit1 = u"Конвертер binZEV2 завершился с кодом 1, файл данных сохранен";
  const std::u16string killed = u"Конвертер binZEV2 прерван сигналом 9, файл данных сохранен";
  const std::u16string not_started = u"Конвертер binZEV2 не запущен, файл данных сохранен";
  // A converter whose start fails: its interpreter is not there.
  constexpr const char* kUnstartable = "#!/nonexistent/sh\n";
  struct Case {
    bool transfer, archive;
    const char* converter;  // null: none
    Where where;
    std::vector<std::u16string> texts;
    Block block = kNoBlock;
  };
  const Case cases[] = {
      {false, false, "exit 0", kBins, {}},
      {false, true, "exit 0", kArchive, {archived}},
      {true, false, "exit 0", kGone, {converted}},
      {true, false, "exit 1", kBins, {exit1}},
      {true, false, "kill -KILL $$", kBins, {killed}},
      {true, false, kUnstartable, kBins, {not_started}},
      {true, false, nullptr, kBins, {missing}},
      {true, true, "exit 0", kArchive, {converted, archived}},
      {true, true, "exit 1", kArchive, {archived, exit1}},
      {true, true, "kill -KILL $$", kArchive, {archived, killed}},
      {true, true, nullptr, kArchive, {archived, missing}},
      {true, true, "exit 0", kBins, {converted, not_moved}, kArchiveFolderIsAFile},
      {true, true, "exit 0", kBins, {converted, not_moved}, kArchivedNameIsAFolder},
      {false, true, nullptr, kBins, {not_moved}, kArchiveFolderIsAFile},
      {true, true, "exit 1", kBins, {not_moved, exit1}, kArchivedNameIsAFolder},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.transfer << c.archive << (c.converter ? c.converter : "none") << c.block);
    SetUp();
    std::filesystem::remove_all(rig.base + "/archive-bins");
    std::filesystem::remove(rig.program_dir + "/binZEV2");
    std::filesystem::remove(rig.base + "/converter.log");
    if (c.converter == kUnstartable) {
      rig.dir.Write("prog/binZEV2", kUnstartable);
      ::chmod((rig.program_dir + "/binZEV2").c_str(), 0755);
    } else if (c.converter) {
      rig.WriteConverter(c.converter);
    }
    if (c.block == kArchiveFolderIsAFile) rig.dir.Write("work/archive-bins", "");
    if (c.block == kArchivedNameIsAFolder) EnsureDirectories(rig.base + "/archive-" + dir_name + "/x");
    ReaderRecorder texts;
    ProgramWait wait;
    const BinsHandOver result = HandOverReaderBins(rig.base, dir_name, c.transfer, c.archive, rig.program_dir, wait, &texts);
    EXPECT_EQ(FileExists(rig.base + "/" + dir_name), c.where == kBins);
    EXPECT_EQ(FileExists(rig.base + "/archive-" + dir_name), c.where == kArchive);
    EXPECT_EQ(texts.texts(), c.texts);
    const bool ran = c.transfer && c.converter != nullptr && c.converter != kUnstartable;
    EXPECT_EQ(result.converter_started, ran);
    EXPECT_EQ(rig.ConverterLog().empty(), !ran);
  }
}

TEST_F(HandOverTest, StopLeavesARunningConverterToFinish) {
  rig.WriteConverter("sleep 1; echo done > converter.done");
  std::atomic<bool> stop{false};
  ProgramWait wait;
  wait.stop = &stop;
  wait.poll = Ms(5);
  std::thread stopper([&] {
    sim::WaitUntil([&] { return !rig.ConverterLog().empty(); }, 20s);
    stop = true;
  });
  const BinsHandOver result = HandOverReaderBins(rig.base, dir_name, true, true, rig.program_dir, wait, &sink);
  stopper.join();
  EXPECT_TRUE(result.stopped);
  EXPECT_FALSE(FileExists(rig.base + "/converter.done"));
  EXPECT_TRUE(sim::WaitUntil([&] { return FileExists(rig.base + "/converter.done"); }, 20s));
  EXPECT_TRUE(FileExists(rig.base + "/" + dir_name));  // not archived
  EXPECT_TRUE(sink.texts().empty());
}

}  // namespace
}  // namespace zv::test
