// ZEVC's copy and clear jobs against the simulated collector, with the bins
// files and a stand-in converter.

#include <gtest/gtest.h>

#include <filesystem>

#include "links/bins_file.h"
#include "readers/collector/collector_jobs.h"
#include "readers/common/reader_flags.h"
#include "readers/common/reader_worker.h"
#include "tests/readers/zevc_rig.h"
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

using Clears = std::vector<std::pair<int, int>>;

class ZevcJobTest : public testing::Test {
 protected:
  void SetUp() override {
    g_bStop = false;
    g_bIdle = true;
    Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", 0);
  }
  void TearDown() override { g_bStop = false; }
  CopyJob Job(int kind, std::initializer_list<std::pair<int, std::uint32_t>> entries, int transfer = 0,
              int archive = 0) const {
    CopyJob job;
    job.job = kCollectorJobCopy;
    job.com = kCollectorCom;
    job.DataTransfer = transfer;
    job.ArchiveSave = archive;
    job.kind = kind;
    for (const auto& [i, entry] : entries) job.entries[static_cast<size_t>(i)] = entry;
    return job;
  }
  CopyJob ClearJob() const {
    CopyJob job;
    job.job = kCollectorJobClear;
    job.com = kCollectorCom;
    return job;
  }
  bool Outcome() const {
    const auto v = sink.Values(CollectorRecorder::kOutcome);
    EXPECT_EQ(v.size(), 1u);
    return v.size() == 1 && v[0] == 1;
  }
  std::vector<std::u16string> Texts() const { return sink.log.texts(); }
  bool HasText(const std::u16string& t) const {
    const auto texts = Texts();
    return std::find(texts.begin(), texts.end(), t) != texts.end();
  }

  ZevcRig rig;
  CollectorRecorder sink;
};

TEST_F(ZevcJobTest, CopiesTheEntriesAsBinsFilesEqualToTheSlots) {
  const Bytes a = CollectorImage(32768, 4, 1, 21, 24, 1, 2, 3, 1);
  const Bytes b = CollectorImage(65536, 4, 4, 22, 25, 4, 5, 6, 2);
  ASSERT_TRUE(rig.Start(3, [&](sim::Collector& c) {
    c.PutFile(3, 3, a);  // kind 3: status 3 is a 32 KB file
    c.PutFile(7, 4, b);  // status 4: 64 KB
  }));
  EXPECT_TRUE(CopyFilesJob(Job(3, {{1, CollectorFileEntry(3, 3)}, {4, CollectorFileEntry(7, 4)}}), sink, rig.setup));
  EXPECT_TRUE(Outcome());
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{
                         u"Копирование файла 2", u"Файл данных 2 сохранен в bins/00021_2024-01-02_03-00.bin",
                         u"Копирование файла 5", u"Файл данных 5 сохранен в bins/00022_2025-04-05_06-00.bin",
                         u"Все данные считаны"}));
  EXPECT_EQ(sink.Values(kLinkEventRange), (std::vector<std::int64_t>{128, 256}));
  EXPECT_EQ(sink.log.Count(kLinkEventStep), 128 + 256);
  EXPECT_EQ(sink.Values(kCollectorFileCopied),
            (std::vector<std::int64_t>{CollectorFileEntry(3, 3), CollectorFileEntry(7, 4)}));
  EXPECT_EQ(sink.log.Count(kCollectorJobDone), 1);
  EXPECT_EQ(TempDir::Read(rig.base + "/bins/00021_2024-01-02_03-00.bin"), CollectorBinsBytes(a));
  EXPECT_EQ(TempDir::Read(rig.base + "/bins/00022_2025-04-05_06-00.bin"), CollectorBinsBytes(b));
  EXPECT_TRUE(rig.collector->clears().empty());
}

TEST_F(ZevcJobTest, ConverterAndArchiveStepFollowEachFile) {
  rig.SilentReads();  // kind 1
  rig.WriteConverter("exit 0");
  ASSERT_TRUE(rig.Start(1, [](sim::Collector& c) { c.PutFile(0, 1, CollectorImage(32768, 2, 1, 5, 24, 1, 2, 3, 1)); }));
  EXPECT_TRUE(CopyFilesJob(Job(1, {{0, CollectorFileEntry(0, 1)}}, 1, 1), sink, rig.setup));
  EXPECT_TRUE(HasText(u"Полученный файл успешно обработан"));
  EXPECT_TRUE(HasText(u"Полученный файл сохранен в папке archive-bins"));
  EXPECT_EQ(rig.ConverterLog(), rig.base + "|1|bins/00005_2024-01-02_03-00.bin\n");
  EXPECT_EQ(FilesIn(rig.base + "/archive-bins"), std::vector<std::string>{"00005_2024-01-02_03-00.bin"});
  EXPECT_TRUE(FilesIn(rig.base + "/bins").empty());
}

TEST_F(ZevcJobTest, ReadFailureKeepsTheEarlierFiles) {
  rig.SilentReads();  // kind 1
  ASSERT_TRUE(rig.Start(1, [](sim::Collector& c) {
    c.PutFile(0, 1, CollectorImage(32768, 4, 1, 1, 24, 1, 2, 3, 1));
    c.PutFile(1, 1, CollectorImage(32768, 4, 1, 2, 24, 1, 2, 3, 2));
    c.PutFile(2, 1, CollectorImage(32768, 4, 1, 3, 24, 1, 2, 3, 3));
  }));
  // The pointers, three status tries, 128 blocks of the first file, then the 20th of the second.
  rig.collector->SetFault(4 + 128 + 19, {.bad_crc2 = true});
  EXPECT_FALSE(CopyFilesJob(
      Job(1, {{0, CollectorFileEntry(0, 1)}, {1, CollectorFileEntry(1, 1)}, {2, CollectorFileEntry(2, 1)}}), sink,
      rig.setup));
  EXPECT_FALSE(Outcome());
  EXPECT_EQ(Texts().back(), u"Ошибка чтения данных");
  EXPECT_EQ(sink.Values(kCollectorFileCopied), std::vector<std::int64_t>{CollectorFileEntry(0, 1)});
  EXPECT_EQ(sink.log.Count(kCollectorJobDone), 0);
  EXPECT_EQ(FilesIn(rig.base + "/bins"), std::vector<std::string>{"00001_2024-01-02_03-00.bin"});
  EXPECT_EQ(rig.BlockSlots(), (std::vector<int>{0, 1}));
}

TEST_F(ZevcJobTest, FileNotSavedIsLeftUnmarkedAndTheOthersGoOn) {
  ASSERT_TRUE(rig.Start(2, [](sim::Collector& c) {
    c.PutFile(0, 1, CollectorImage(32768, 4, 1, 1, 24, 1, 2, 3, 1));
    c.PutFile(1, 1, CollectorImage(32768, 4, 1, 2, 99, 1, 2, 3, 2));  // 2099: listed, but no bins file
    c.PutFile(2, 1, CollectorImage(32768, 4, 1, 3, 24, 1, 2, 3, 3));
  }));
  const CopyJob job =
      Job(2, {{0, CollectorFileEntry(0, 1)}, {1, CollectorFileEntry(1, 1)}, {2, CollectorFileEntry(2, 1)}});
  EXPECT_FALSE(CopyFilesJob(job, sink, rig.setup));
  EXPECT_FALSE(Outcome());
  EXPECT_TRUE(HasText(u"Файл данных 2 не сохранен"));
  EXPECT_EQ(Texts().back(), u"Все данные считаны");
  EXPECT_EQ(sink.Values(kCollectorFileCopied),
            (std::vector<std::int64_t>{CollectorFileEntry(0, 1), CollectorFileEntry(2, 1)}));
  EXPECT_EQ(FilesIn(rig.base + "/bins").size(), 2u);

  // A full disk: nothing is written whole, nothing is marked.
  sink.log.Clear();
  RemoveTree(rig.base + "/bins");
  {
    FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.ok());
    EXPECT_FALSE(CopyFilesJob(job, sink, rig.setup));
  }
  EXPECT_FALSE(Outcome());
  EXPECT_TRUE(sink.Values(kCollectorFileCopied).empty());
  EXPECT_TRUE(HasText(u"Файл данных 1 не сохранен"));
  EXPECT_TRUE(HasText(u"Файл данных 3 не сохранен"));
  EXPECT_TRUE(FilesIn(rig.base + "/bins").empty());
}

TEST_F(ZevcJobTest, AnotherKindThanTheListsIsRefused) {
  // A kind-2 list; now every status answer is lost and the collector looks like kind 1.
  rig.SilentReads();
  ASSERT_TRUE(rig.Start(2, [](sim::Collector& c) {
    c.PutFile(4, 1, CollectorImage(32768, 4, 1, 1, 24, 1, 2, 3, 1));
    c.SetStatusUnansweredFor(1000);
  }));
  EXPECT_FALSE(CopyFilesJob(Job(2, {{0, CollectorFileEntry(4, 1)}}), sink, rig.setup));
  EXPECT_FALSE(Outcome());
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"Ошибка чтения указателя"});
  EXPECT_TRUE(rig.BlockSlots(false).empty());
  EXPECT_TRUE(FilesIn(rig.base + "/bins").empty());
}

TEST_F(ZevcJobTest, ConnectionFailures) {
  // No collector on the port.
  CopyJob job = Job(1, {{0, CollectorFileEntry(0, 1)}});
  job.com = 9;
  EXPECT_FALSE(CopyFilesJob(job, sink, rig.setup));
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"Ошибка открытия порта связи"});
  EXPECT_FALSE(Outcome());

  // A collector that never answers.
  sink.log.Clear();
  rig.SilentReads();
  ASSERT_TRUE(rig.Start(1, [](sim::Collector& c) { c.SetSilentFrom(0); }));
  EXPECT_FALSE(ClearCollectorJob(ClearJob(), sink, rig.setup));
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"Открытие порта связи COM4", u"Ошибка чтения указателя"}));
  EXPECT_EQ(sink.Values(kLinkEventRange), std::vector<std::int64_t>{128});
  EXPECT_EQ(sink.log.Count(kCollectorJobDone), 0);
  EXPECT_TRUE(rig.collector->clears().empty());
}

TEST_F(ZevcJobTest, ClearMovesTheStartPastTheFiles) {
  struct Case {
    const char* name;
    int kind;
    int show_deleted;
    int count, start;
    std::optional<std::uint8_t> ack;  // the set-pointers answer
    Clears clears;                    // set-pointers commands sent
    bool cleared;                     // code 9
    std::u16string text;              // the last text
  };
  const Case cases[] = {
      {"start 30, count 3", 1, 0, 3, 30, {}, {{0, 2}}, true, u"Открытие порта связи COM4"},
      {"start 31, count 32", 1, 0, 32, 31, {}, {{0, 0}}, true, u"Открытие порта связи COM4"},
      {"kind 2 start 60, count 10", 2, 0, 10, 60, {}, {{0, 7}}, true, u"Открытие порта связи COM4"},
      {"ShowDeleted", 3, 1, 3, 30, {}, {{0, 0}}, true, u"Открытие порта связи COM4"},
      {"ShowDeleted kind 2", 2, 1, 3, 30, {}, {{0, 0}}, true, u"Открытие порта связи COM4"},
      {"count 0", 3, 0, 0, 12, {}, {}, false, u"В считывателе нет новых файлов"},
      {"refused", 3, 0, 3, 4, 0x15, {{0, 8}}, false, u"Считыватель не очищен"},
      {"count 40", 1, 0, 40, 2, {}, {{0, 0}}, false, u"Считыватель очищен"},
      {"kind 2 count 64", 2, 0, 64, 0, {}, {{0, 0}}, false, u"Считыватель очищен"},
      {"kind 3 start 32", 3, 0, 1, 32, {}, {{0, 0}}, false, u"Считыватель очищен"},
      {"out of range refused", 3, 0, 40, 2, 0x15, {{0, 0}}, false, u"Считыватель не очищен"},
      {"out of range unanswered", 2, 0, 1, 63, 0, {{0, 0}}, false, u"Считыватель не очищен"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sink.log.Clear();
    Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", c.show_deleted);
    rig.SilentReads(c.kind == 1 || c.ack == 0);  // no status, or no set-pointers answer
    ASSERT_TRUE(rig.Start(c.kind, [&](sim::Collector& col) {
      col.SetPointers(c.count, c.start);
      // The pointers, up to three status tries, the set-pointers command.
      if (c.ack) col.SetFault(c.kind == 1 ? 4 : 2, {.ack = c.ack});
    }));
    EXPECT_EQ(ClearCollectorJob(ClearJob(), sink, rig.setup), !c.ack.has_value());
    EXPECT_EQ(rig.collector->clears(), c.clears);
    EXPECT_EQ(sink.log.Count(kCollectorCleared), c.cleared ? 1 : 0);
    EXPECT_EQ(Texts().back(), c.text);
    EXPECT_EQ(rig.Requests(0x03), c.count == 0 ? 0u : 1u);
  }
}

TEST_F(ZevcJobTest, ThreadProcEndsWithTheEmptyBarAfterTheOutcome) {
  rig.SilentReads();  // kind 1
  ASSERT_TRUE(rig.Start(1, [](sim::Collector& c) { c.SetPointers(2, 5); }));
  ReaderWorker worker;
  const CopyJob job = ClearJob();
  const CollectorJobSetup setup = rig.setup;
  ASSERT_TRUE(worker.Start([&, job, setup] { CollectorThreadProc(job, sink, setup); }, &sink));
  ASSERT_TRUE(sink.log.WaitUntil([](const auto& r) { return !r.empty() && r.back().code == -1; }));
  worker.Stop();
  const auto reports = sink.log.reports();
  ASSERT_GE(reports.size(), 4u);
  EXPECT_EQ(reports[reports.size() - 4].code, kCollectorJobDone);
  EXPECT_EQ(reports[reports.size() - 3], (ReaderReport{CollectorRecorder::kOutcome, 1, {}}));
  EXPECT_EQ(reports[reports.size() - 2], (ReaderReport{kLinkEventReset, 0, {}}));
  EXPECT_EQ(rig.collector->clears(), (Clears{{0, 8}}));
  EXPECT_TRUE(g_bIdle.load());
}

TEST_F(ZevcJobTest, StopEndsACopyWithoutAText) {
  ASSERT_TRUE(rig.Start(2, [](sim::Collector& c) {
    c.PutFile(0, 1, CollectorImage(32768, 4, 1, 1, 24, 1, 2, 3, 1));
    c.PutFile(1, 1, CollectorImage(32768, 4, 1, 2, 24, 1, 2, 3, 2));
  }));
  // The pointers, the status, 40 blocks.
  rig.collector->SetSilentFrom(2 + 40);
  // A long wait for every answer that never comes: only the stop ends it.
  rig.setup.timing.port.read_total_constant = Ms(60000);
  ReaderWorker worker;
  const CopyJob job = Job(2, {{0, CollectorFileEntry(0, 1)}, {1, CollectorFileEntry(1, 1)}});
  const CollectorJobSetup setup = rig.setup;
  ASSERT_TRUE(worker.Start([&, job, setup] { CollectorThreadProc(job, sink, setup); }, &sink));
  ASSERT_TRUE(rig.collector->WaitForRequests(2 + 41, 20s));
  const auto start = std::chrono::steady_clock::now();
  worker.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"Копирование файла 1"});
  EXPECT_FALSE(Outcome());
  EXPECT_TRUE(FilesIn(rig.base + "/bins").empty());
  EXPECT_FALSE(g_bStop.load());
}

}  // namespace
}  // namespace zv::test
