// Faults on ZEVRS's way from the heat computer to the converter: the hourly
// job over the simulated cable, the bins file and its hand-over. Each case ends
// with nothing lost - the bins file byte for byte the device's memory where it
// is kept, or no bins file at all after a failed download, and no temporary
// file left. The stand-in converter copies the file it was given (seen.bin), so
// a case also knows that the converter saw the whole file.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "readers/common/reader_flags.h"
#include "tests/readers/zevrs_rig.h"

namespace zv::test {
namespace {

using sim::Bytes;
using namespace std::chrono_literals;

// The bins file of a type 4, version 1 device (model 1): 64 lead bytes (no
// current data in the hourly job), the parameter area, zeros up to the
// archive, the archive to 0x8000.
std::string ExpectedBins(const sim::HeatComputer& heat) {
  const Bytes memory = heat.Peek(0, 0x8000);
  std::string bytes(64, '\0');
  for (int a = 0; a < 0x8000; ++a) {
    bytes.push_back(a < 192 || a >= 256 ? static_cast<char>(memory[static_cast<size_t>(a)]) : '\0');
  }
  return bytes;
}

class ZevrsFaultTest : public testing::Test {
 protected:
  void SetUp() override {
    g_bStop = false;
    g_bIdle = true;
    FillDevice(rig.heat, 4, 1);
    ASSERT_TRUE(rig.Start());
  }
  void TearDown() override { g_bStop = false; }

  void Run(int transfer, int archive) {
    sink.Clear();
    ReadJob job;
    job.job = kJobHourly;
    job.DataTransfer = transfer;
    job.ArchiveSave = archive;
    ReadThreadProc(job, sink, rig.setup);
  }
  // Every file under the base folder, relative to it.
  std::set<std::string> Files() const {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(rig.base, ec)) {
      if (e.is_regular_file()) names.insert(std::filesystem::relative(e.path(), rig.base).string());
    }
    return names;
  }
  std::string Read(const std::string& relative) const { return TempDir::Read(rig.base + "/" + relative); }
  std::string Archived() const { return "archive-" + rig.BinsName(); }
  size_t Texts(const std::u16string& text) const {
    const auto t = sink.log.texts();
    return static_cast<size_t>(std::count(t.begin(), t.end(), text));
  }

  ZevrsRig rig;
  DirectRecorder sink;
};

constexpr const char* kCopy = "cp \"$1\" seen.bin\n";
const std::u16string kConverted = u"Полученный файл успешно обработан";
const std::u16string kArchivedText = u"Полученный файл сохранен в папке archive-bins";

TEST_F(ZevrsFaultTest, ALineDropLeavesNoBinsFileAndTheRetryGetsTheWholeMemory) {
  rig.WriteConverter(std::string(kCopy) + "exit 0");
  rig.heat.SetSilentFrom(40);  // well inside the archive's 127 requests
  Run(1, 1);
  EXPECT_EQ(sink.log.texts().back(), u"Считывание накопленных данных.");
  EXPECT_EQ(Files(), std::set<std::string>{});  // no bins file, no temporary, no converter run
  EXPECT_EQ(rig.ConverterLog(), "");

  rig.heat.ClearFaults();
  Run(1, 1);
  const std::string expected = ExpectedBins(rig.heat);
  EXPECT_EQ(Files(), (std::set<std::string>{Archived(), "converter.log", "seen.bin"}));
  EXPECT_EQ(Read(Archived()), expected);
  EXPECT_EQ(Read("seen.bin"), expected);
  EXPECT_EQ(Texts(kConverted), 1u);
  EXPECT_EQ(Texts(kArchivedText), 1u);
}

TEST_F(ZevrsFaultTest, NoiseBadChecksShortAndSplitAnswersStillGiveTheMemory) {
  // One fault on each of a few archive answers; every block gets three tries.
  sim::AnswerFault noise;
  noise.noise = {0xA5, 0x00, 0x13, 0xCA};
  sim::AnswerFault bad;
  bad.bad_crc = true;
  sim::AnswerFault flipped;
  flipped.flip_byte = 17;
  sim::AnswerFault cut;
  cut.short_by = 5;
  sim::AnswerFault trailing;
  trailing.trailing = {0x01, 0x02, 0x03};
  sim::AnswerFault split;
  split.chunk = 9;
  sim::AnswerFault dropped;
  dropped.drop = true;
  const sim::AnswerFault faults[] = {noise, bad, flipped, cut, trailing, split, dropped};
  size_t request = 12;
  for (const sim::AnswerFault& f : faults) {
    rig.heat.SetFault(request, f);
    request += 9;
  }
  Run(0, 0);
  EXPECT_EQ(Files(), std::set<std::string>{rig.BinsName()});
  EXPECT_EQ(Read(rig.BinsName()), ExpectedBins(rig.heat));
}

// What happens to the bins file when the converter fails: ZEVRS deletes it only
// after the converter ended with 0; otherwise it stays in "bins", or goes to
// "archive-bins" when that is the setting. The success text only after 0;
// otherwise a text that tells what happened to the converter.
TEST_F(ZevrsFaultTest, AFailedConverterKeepsTheBinsFileWhole) {
  const std::u16string missing = u"Конвертер binZEV2 не найден, файл данных сохранен";
  const std::u16string exit1 = u"Конвертер binZEV2 завершился с кодом 1, файл данных сохранен";
  const std::u16string killed = u"Конвертер binZEV2 прерван сигналом 9, файл данных сохранен";
  struct Case {
    const char* what;
    const char* converter;  // null: none in the program folder
    int archive;
    bool kept_in_bins;
    bool seen;
    const std::u16string& text;
  };
  const Case cases[] = {
      {"missing", nullptr, 0, true, false, missing},
      {"missing, archived", nullptr, 1, false, false, missing},
      {"exit 1", "exit 1", 0, true, true, exit1},
      {"exit 1, archived", "exit 1", 1, false, true, exit1},
      {"killed", "kill -KILL $$", 0, true, true, killed},
      {"killed, archived", "kill -KILL $$", 1, false, true, killed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(rig.base);
    std::filesystem::remove(rig.program_dir + "/binZEV2");
    if (c.converter != nullptr) rig.WriteConverter(kCopy + std::string(c.converter));
    Run(1, c.archive);
    const std::string expected = ExpectedBins(rig.heat);
    const std::string kept = c.kept_in_bins ? rig.BinsName() : Archived();
    std::set<std::string> files{kept};
    if (c.converter != nullptr) files.insert({"converter.log", "seen.bin"});
    EXPECT_EQ(Files(), files);
    EXPECT_EQ(Read(kept), expected);
    if (c.seen) {
      EXPECT_EQ(Read("seen.bin"), expected);
    }
    EXPECT_EQ(Texts(kConverted), 0u);
    EXPECT_EQ(Texts(c.text), 1u);
    EXPECT_EQ(Texts(kArchivedText), c.kept_in_bins ? 0u : 1u);
  }
}

// A converter that hangs, and the user stops the job: the converter is left to
// run (it is never ended half-way), the job ends at once, and the bins file
// stays whole in "bins" - also with archiving on.
TEST_F(ZevrsFaultTest, AHangingConverterLeftRunningOnStopKeepsTheBinsFile) {
  rig.WriteConverter(std::string("while [ ! -f go ]; do sleep 0.01; done\n") + kCopy + "echo done > converter.done");
  std::thread stopper([&] {
    sim::WaitUntil([&] { return !rig.ConverterLog().empty(); }, 20s);
    g_bStop = true;
  });
  Run(1, 1);
  stopper.join();
  const std::string expected = ExpectedBins(rig.heat);
  EXPECT_EQ(Files(), (std::set<std::string>{rig.BinsName(), "converter.log"}));
  EXPECT_EQ(Read(rig.BinsName()), expected);
  EXPECT_EQ(Texts(kConverted), 0u);

  // The converter goes on to its end and sees the whole file.
  rig.dir.Write("work/go", "");
  EXPECT_TRUE(sim::WaitUntil([&] { return FileExists(rig.base + "/converter.done"); }, 20s));
  EXPECT_EQ(Read("seen.bin"), expected);
  EXPECT_EQ(Read(rig.BinsName()), expected);
}

}  // namespace
}  // namespace zv::test
