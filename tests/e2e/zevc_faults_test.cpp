// Faults after ZEVC has read a file: the copy job over the simulated collector,
// the bins file and its hand-over. Each case ends with nothing lost - the bins
// file byte for byte the collector's slot where it is kept, or taken by a
// converter that ended with 0 - and the job's outcome, which alone allows the
// collector to be cleared, true only when the file was saved whole and no stop
// came. The stand-in converter copies the file it was given (seen.bin).

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "readers/common/reader_flags.h"
#include "tests/readers/zevc_rig.h"

namespace zv::test {
namespace {

using sim::Bytes;
using namespace std::chrono_literals;

constexpr const char* kBins = "bins/00005_2024-01-02_03-00.bin";
constexpr const char* kArchived = "archive-bins/00005_2024-01-02_03-00.bin";
constexpr const char* kCopy = "cp \"$1\" seen.bin\n";

class ZevcFaultTest : public testing::Test {
 protected:
  void SetUp() override {
    g_bStop = false;
    g_bIdle = true;
    Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", 0);
    rig.SilentReads();  // kind 1
    ASSERT_TRUE(rig.Start(1, [this](sim::Collector& c) { c.PutFile(0, 1, image); }));
  }
  void TearDown() override { g_bStop = false; }

  // Copies slot 0; the job's outcome.
  bool Copy(int archive) {
    sink.log.Clear();
    CopyJob job;
    job.job = kCollectorJobCopy;
    job.com = kCollectorCom;
    job.DataTransfer = 1;
    job.ArchiveSave = archive;
    job.kind = 1;
    job.entries[0] = CollectorFileEntry(0, 1);
    CopyFilesJob(job, sink, rig.setup);
    const auto outcome = sink.Values(CollectorRecorder::kOutcome);
    EXPECT_EQ(outcome.size(), 1u);
    return !outcome.empty() && outcome.back() == 1;
  }
  std::set<std::string> Files() const {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(rig.base, ec)) {
      if (e.is_regular_file()) names.insert(std::filesystem::relative(e.path(), rig.base).string());
    }
    return names;
  }
  std::string Read(const std::string& relative) const { return TempDir::Read(rig.base + "/" + relative); }
  bool HasText(const std::u16string& t) const {
    const auto texts = sink.log.texts();
    return std::find(texts.begin(), texts.end(), t) != texts.end();
  }

  const Bytes image = CollectorImage(32768, 2, 1, 5, 24, 1, 2, 3, 1);
  ZevcRig rig;
  CollectorRecorder sink;
};

// The converter fails: the file stays in "bins" (or goes to "archive-bins"),
// whole; the copy itself is done, so the outcome stays true. A text tells
// what happened to the converter.
TEST_F(ZevcFaultTest, AFailedConverterKeepsTheBinsFileWhole) {
  const std::u16string missing = u"Конвертер binZEV2 не найден, файл данных сохранен";
  const std::u16string exit1 = u"Конвертер binZEV2 завершился с кодом 1, файл данных сохранен";
  const std::u16string killed = u"Конвертер binZEV2 прерван сигналом 9, файл данных сохранен";
  struct Case {
    const char* what;
    const char* converter;  // null: none in the program folder
    int archive;
    const char* kept;
    const std::u16string& text;
  };
  const Case cases[] = {
      {"missing", nullptr, 0, kBins, missing},        {"missing, archived", nullptr, 1, kArchived, missing},
      {"exit 1", "exit 1", 0, kBins, exit1},          {"exit 1, archived", "exit 1", 1, kArchived, exit1},
      {"killed", "kill -KILL $$", 0, kBins, killed},  {"killed, archived", "kill -KILL $$", 1, kArchived, killed},
  };
  const std::string expected = CollectorBinsBytes(image);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(rig.base);
    std::filesystem::remove(rig.program_dir + "/binZEV2");
    if (c.converter != nullptr) rig.WriteConverter(kCopy + std::string(c.converter));
    EXPECT_TRUE(Copy(c.archive));
    std::set<std::string> files{c.kept};
    if (c.converter != nullptr) files.insert({"converter.log", "seen.bin"});
    EXPECT_EQ(Files(), files);
    EXPECT_EQ(Read(c.kept), expected);
    if (c.converter != nullptr) {
      EXPECT_EQ(Read("seen.bin"), expected);
    }
    EXPECT_FALSE(HasText(u"Полученный файл успешно обработан"));
    EXPECT_TRUE(HasText(c.text));
    // The end of the copy does not hide it: it is the last text.
    ASSERT_FALSE(sink.log.texts().empty());
    EXPECT_EQ(sink.log.texts().back(), c.text);
  }
}

// A hanging converter and a stop: the converter is left to finish, the file
// stays whole in "bins", and the outcome is false: no clear may follow.
TEST_F(ZevcFaultTest, AHangingConverterLeftRunningOnStopForbidsTheClear) {
  rig.WriteConverter(std::string("while [ ! -f go ]; do sleep 0.01; done\n") + kCopy + "echo done > converter.done");
  std::thread stopper([&] {
    sim::WaitUntil([&] { return !rig.ConverterLog().empty(); }, 20s);
    g_bStop = true;
  });
  EXPECT_FALSE(Copy(1));
  stopper.join();
  const std::string expected = CollectorBinsBytes(image);
  EXPECT_EQ(Files(), (std::set<std::string>{kBins, "converter.log"}));
  EXPECT_EQ(Read(kBins), expected);

  rig.dir.Write("work/go", "");
  EXPECT_TRUE(sim::WaitUntil([&] { return FileExists(rig.base + "/converter.done"); }, 20s));
  EXPECT_EQ(Read("seen.bin"), expected);
  EXPECT_EQ(Read(kBins), expected);
  EXPECT_TRUE(rig.collector->clears().empty());
}

}  // namespace
}  // namespace zv::test
