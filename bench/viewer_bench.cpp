// The viewer document over generated node files of one and ten years of hourly
// data (8,760 and 87,600 lines, ending 15.03.2024 12:00): the load of the last
// month (lines outside the period are only dated), of the first month (the load
// stops after the period) and of the whole span. Each
// benchmark reports the records loaded and the heap the document holds per
// record; at the end the ratio of ten years to one year of each load is printed,
// and the first month's load against the whole load of ten years (aim: under 5 %).

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/qt/message_box.h"
#include "platform/str_format.h"
#include "tests/sim/node_file_generator.h"
#include "viewer/period_source.h"
#include "viewer/view_doc.h"

namespace {

const DateStamp kLastLine(2024, 3, 15, 12, 0, 0);

std::string& Folder() {
  static std::string folder;
  return folder;
}

// The file of `years` years of hours up to kLastLine, written once per run.
const std::string& FileOfYears(int years) {
  static std::map<int, std::string> files;
  std::string& path = files[years];
  if (path.empty()) {
    zv::sim::NodeFilePlan plan;
    plan.header.Set("N", zv::StrFormat("%05d", years));
    plan.data = zv::sim::HourlySeries::Ending(kLastLine, 8760 * years);
    plan.data.error_code = zv::sim::ErrorEvery(97, 0x0004);
    path = zv::sim::WriteNodeFile(Folder(), plan);
    if (path.empty()) std::abort();
  }
  return path;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

void RunLoad(benchmark::State& state, const DateStamp& begin, const DateStamp& end) {
  const int years = static_cast<int>(state.range(0));
  const std::string& path = FileOfYears(years);
  FixedPeriod period(begin, end);
  zv::ScopedMessageHook no_boxes;
  size_t records = 0;
  double bytes_per_record = 0;
  for (auto _ : state) {
    const size_t heap = HeapInUse();
    auto doc = std::make_unique<CZEVViewDoc>(&period);
    if (!doc->OnOpenDocument(path)) state.SkipWithError("load failed");
    records = doc->records.size();
    state.PauseTiming();
    bytes_per_record = records ? static_cast<double>(HeapInUse() - heap) / static_cast<double>(records) : 0;
    doc.reset();
    state.ResumeTiming();
  }
  state.counters["records"] = static_cast<double>(records);
  state.counters["bytes/record"] = bytes_per_record;
  state.SetLabel(zv::StrFormat("%d year(s)", years));
}

void BM_LoadLastMonth(benchmark::State& state) {
  DateStamp end = kLastLine;
  end.hour = 0;
  DateStamp begin = end;
  begin.Decrement(DateStamp::kMonth);
  RunLoad(state, begin, end);
}

void BM_LoadWholeSpan(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0));
  RunLoad(state, zv::sim::HourlySeries::Ending(kLastLine, 8760 * years).first,
          DateStamp(2024, 3, 16, 0, 0, 0));
}

// The first month of the file: the load stops after the period.
void BM_LoadFirstMonth(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0));
  DateStamp begin = zv::sim::HourlySeries::Ending(kLastLine, 8760 * years).first;
  begin.hour = 0;
  DateStamp end = begin;
  end.Increment(DateStamp::kMonth);
  RunLoad(state, begin, end);
}

BENCHMARK(BM_LoadLastMonth)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFirstMonth)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadWholeSpan)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// Keeps the mean real time of every run, to print the ten-to-one-year ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Iteration && !r.error_occurred) {
        times_[r.benchmark_name()] = r.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    for (const char* name : {"BM_LoadLastMonth", "BM_LoadWholeSpan"}) {
      auto one = times_.find(std::string(name) + "/1");
      auto ten = times_.find(std::string(name) + "/10");
      if (one != times_.end() && ten != times_.end() && one->second > 0) {
        std::printf("%s: ten years / one year = %.2f\n", name, ten->second / one->second);
      }
    }
    auto first = times_.find("BM_LoadFirstMonth/10");
    auto whole = times_.find("BM_LoadWholeSpan/10");
    if (first != times_.end() && whole != times_.end() && whole->second > 0) {
      const double ratio = first->second / whole->second;
      std::printf("figure: viewer first month / whole load of ten years|%.2f %%|< 5 %%|%s\n", 100 * ratio,
                  ratio < 0.05 ? "met" : "missed");
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("ZEVView");
  char pattern[] = "/tmp/viewer_bench.XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  Folder() = pattern;
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove_all(Folder(), ec);
  return 0;
}
