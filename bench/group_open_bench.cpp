// Opening a group of 1,000 node files, once with ten years of hourly lines in
// every file (87,600 lines, about 13 MB each) and once with one day (24 lines),
// in the same run. The ten-year files are hard links to one generated file
// under distinct names, so the group's files stay within the page cache; what is
// measured is what the document reads of each file. The data lines are never
// read forward (only the header and the file's end), so the ten-year group
// should cost no more than 1.5 times the one-day group; the ratio is printed
// at the end.

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/linked_group.h"
#include "modem/zev_modem_doc.h"
#include "platform/cp1251.h"
#include "platform/paths.h"
#include "platform/qt/message_box.h"
#include "platform/str_format.h"
#include "tests/sim/node_file_generator.h"

namespace {

constexpr int kNodes = 1000;
const DateStamp kLastLine(2024, 3, 15, 12, 0, 0);

std::string& Folder() {
  static std::string folder;
  return folder;
}

// The group file of kNodes node files with `hours` hours each, made once a run.
const std::string& GroupOfHours(int hours) {
  static std::map<int, std::string> groups;
  std::string& group = groups[hours];
  if (!group.empty()) return group;
  group = zv::bench::WriteLinkedGroup(Folder() + zv::StrFormat("/h%d", hours), kNodes, hours, kLastLine);
  return group;
}

void BM_OpenGroup(benchmark::State& state) {
  const int hours = static_cast<int>(state.range(0));
  const std::string& group = GroupOfHours(hours);
  zv::ScopedMessageHook no_boxes;
  CZEVModemDoc doc;
  for (auto _ : state) {
    if (!doc.Open(group) || doc.NodeCount() != kNodes) state.SkipWithError("open failed");
    if (doc.nodes().back()->last_record != kLastLine) state.SkipWithError("wrong last stamp");
  }
  state.counters["nodes"] = static_cast<double>(doc.NodeCount());
  state.counters["lines/file"] = hours;
  state.SetLabel(hours == 24 ? "one day" : "ten years");
}

BENCHMARK(BM_OpenGroup)->Arg(24)->Arg(87600)->Unit(benchmark::kMillisecond);

// Keeps the mean real time of every run, to print the ten-year to one-day ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatio() const {
    auto day = times_.find("BM_OpenGroup/24");
    auto years = times_.find("BM_OpenGroup/87600");
    if (day != times_.end() && years != times_.end() && day->second > 0)
      std::printf("BM_OpenGroup: ten years / one day = %.2f (aim: at most 1.5)\n", years->second / day->second);
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("ZEVModem");
  char pattern[] = "/tmp/group_open_bench.XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  Folder() = pattern;
  // A settings folder of its own: no autostart from the user's profile.
  ::setenv("XDG_CONFIG_HOME", pattern, 1);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio();
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove_all(Folder(), ec);
  return 0;
}
