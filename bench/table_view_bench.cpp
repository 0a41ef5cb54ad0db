// The table view over generated node files of one and ten years of hourly data
// (8,760 and 87,600 lines): the whole span loaded and shown as the hourly table,
// with a typical page of 14 columns and with all 35.
//
//   BM_OpenAndShow     load + table (with the column sizing) + first paint of a
//                      1200 x 800 viewport: what the user waits for
//   BM_Table           the table alone over a loaded document (OnUpdate)
//   BM_Formatting      only the cell texts of the table, no grid
//   BM_Measuring       only the column sizing over the built table
//   BM_FirstPaint      one paint of the viewport over the built table
//   BM_PageCommand     the rebuild after a page command
//
// Counters: rows, cells, heap bytes per line of the document and per cell of the
// grid. At the end the ten-to-one-year ratios are printed.

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "data/data_columns.h"
#include "data/format_helpers.h"
#include "platform/profile.h"
#include "platform/qt/message_box.h"
#include "platform/str_format.h"
#include "tests/sim/node_file_generator.h"
#include "viewer/period_source.h"
#include "viewer/table_view.h"
#include "viewer/view_doc.h"
#include "viewer/viewer_grid_ctrl.h"

namespace {

const DateStamp kLastLine(2024, 3, 15, 12, 0, 0);
constexpr int kViewWidth = 1200;
constexpr int kViewHeight = 800;
// A typical report page, and every column.
constexpr const char* kTypicalPage = "DATE\tE1\tE2\tT1\tT2\tT12\tV1\tV2\tM1\tM2\tP1\tEC\tGW\tEW";

std::string& Folder() {
  static std::string folder;
  return folder;
}

std::string AllColumns() {
  std::string list;
  for (const CDataColumn& c : zv::ViewerColumnTable()) list += (list.empty() ? "" : "\t") + c.key;
  return list;
}

// The file of `years` years up to kLastLine, its page 1 of `columns` columns.
const std::string& FileOf(int years, int columns) {
  static std::map<std::pair<int, int>, std::string> files;
  std::string& path = files[{years, columns}];
  if (path.empty()) {
    zv::sim::NodeFilePlan plan;
    plan.header.Set("N", zv::StrFormat("%02d%03d", years, columns));
    plan.header.Set("DATAPRINT1", columns == 35 ? AllColumns() : kTypicalPage);
    plan.data = zv::sim::HourlySeries::Ending(kLastLine, 8760 * years);
    plan.data.error_code = zv::sim::ErrorEvery(97, 0x0004);
    path = zv::sim::WriteNodeFile(Folder(), plan);
    if (path.empty()) std::abort();
  }
  return path;
}

// The heap in use, large blocks the allocator maps on their own included.
size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

FixedPeriod WholeSpan(int years) {
  return FixedPeriod(zv::sim::HourlySeries::Ending(kLastLine, 8760 * years).first, DateStamp(2024, 3, 16, 0, 0, 0));
}

// A document loaded for the whole span with its hourly view built and shown.
struct Shown {
  FixedPeriod period;
  CZEVViewDoc doc;
  std::unique_ptr<CTableView> view;
  size_t docBytes = 0, gridBytes = 0;

  Shown(int years, int columns) : period(WholeSpan(years)), doc(&period) {
    zv::Profile(zv::kProgramZEVView).WriteInt("Settings", "ShowType", CTableView::kHourly);
    const size_t start = HeapInUse();
    if (!doc.OnOpenDocument(FileOf(years, columns))) std::abort();
    const size_t loaded = HeapInUse();
    view = std::make_unique<CTableView>(&doc);
    view->resize(kViewWidth, kViewHeight);
    view->show();
    view->OnInitialUpdate();
    docBytes = loaded - start;
    gridBytes = HeapInUse() - loaded;
  }
  CViewerGridCtrl& grid() const { return *view->GetGrid(); }
  double Cells() const { return static_cast<double>(grid().GetRowCount()) * grid().GetColumnCount(); }
};

void Paint(const CTableView& view, QImage& image) { view.GetGrid()->viewport()->render(&image); }

void Label(benchmark::State& state) {
  state.SetLabel(zv::StrFormat("%d year(s), %d columns", static_cast<int>(state.range(0)),
                               static_cast<int>(state.range(1))));
}

void Counters(benchmark::State& state, const Shown& shown) {
  state.counters["rows"] = shown.grid().GetRowCount();
  state.counters["cells"] = shown.Cells();
  state.counters["doc bytes/line"] = static_cast<double>(shown.docBytes) / static_cast<double>(shown.doc.records.size());
  state.counters["grid bytes/cell"] = static_cast<double>(shown.gridBytes) / shown.Cells();
}

void BM_OpenAndShow(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0)), columns = static_cast<int>(state.range(1));
  FileOf(years, columns);
  QImage image(kViewWidth, kViewHeight, QImage::Format_RGB32);
  std::unique_ptr<Shown> last;
  for (auto _ : state) {
    auto shown = std::make_unique<Shown>(years, columns);
    Paint(*shown->view, image);
    state.PauseTiming();
    last = std::move(shown);
    state.ResumeTiming();
  }
  Counters(state, *last);
  Label(state);
}

// The built table kept between the benchmarks of one size (one at a time: ten
// years of cells are large); released before the application ends.
struct BuiltTable {
  std::pair<int, int> key{-1, -1};
  std::unique_ptr<Shown> shown;
};
BuiltTable& Cache() {
  static BuiltTable cache;
  return cache;
}
Shown& Built(int years, int columns) {
  BuiltTable& cache = Cache();
  if (!cache.shown || cache.key != std::make_pair(years, columns)) {
    cache.shown.reset();
    cache.shown = std::make_unique<Shown>(years, columns);
    cache.key = {years, columns};
  }
  return *cache.shown;
}

void BM_Table(benchmark::State& state) {
  Shown& shown = Built(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) shown.view->OnUpdate();
  Counters(state, shown);
  Label(state);
}

void BM_Formatting(benchmark::State& state) {
  Shown& shown = Built(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const std::vector<int>& ids = shown.doc.header.ColumnList(0);
  size_t bytes = 0;
  for (auto _ : state) {
    const std::vector<CZEVDataRec>& r = shown.doc.records;
    for (size_t i = 1; i < r.size(); ++i)
      for (int id : ids) {
        const std::string text = id == 0 ? r[i].time.Format(true) : FormatFloatDigits(r[i].value[id] - r[i - 1].value[id], 2);
        bytes += text.size();
      }
  }
  benchmark::DoNotOptimize(bytes);
  Label(state);
}

void BM_Measuring(benchmark::State& state) {
  Shown& shown = Built(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) shown.grid().AutoSizeColumns();
  Label(state);
}

void BM_FirstPaint(benchmark::State& state) {
  Shown& shown = Built(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  QImage image(kViewWidth, kViewHeight, QImage::Format_RGB32);
  for (auto _ : state) Paint(*shown.view, image);
  Label(state);
}

void BM_PageCommand(benchmark::State& state) {
  Shown& shown = Built(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  UINT page = viewer_cmd::kReportPage1;
  for (auto _ : state) {
    page = page == viewer_cmd::kReportPage1 ? viewer_cmd::kReportPage2 : viewer_cmd::kReportPage1;
    shown.view->OnReportPage(page);
  }
  Label(state);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int columns : {14, 35})
    for (int years : {1, 10}) b->Args({years, columns});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_OpenAndShow)->Apply(Sizes)->Iterations(3);
BENCHMARK(BM_Table)->Apply(Sizes)->Iterations(3);
BENCHMARK(BM_Formatting)->Apply(Sizes)->Iterations(3);
BENCHMARK(BM_Measuring)->Apply(Sizes)->Iterations(3);
BENCHMARK(BM_FirstPaint)->Apply(Sizes);
BENCHMARK(BM_PageCommand)->Apply(Sizes)->Iterations(3);

// Keeps the mean real time of every run, to print the ten-to-one-year ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    for (const auto& [name, time] : times_) {
      const auto slash = name.find("/1/");
      if (slash == std::string::npos) continue;
      std::string ten = name;
      ten.replace(slash, 3, "/10/");
      const auto it = times_.find(ten);
      if (it != times_.end() && time > 0) std::printf("%s: ten years / one year = %.2f\n", ten.c_str(), it->second / time);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  char pattern[] = "/tmp/table_view_bench.XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  Folder() = pattern;
  // The view's show type goes to a profile of the run's own.
  ::setenv("XDG_CONFIG_HOME", pattern, 1);
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName("ZEVView");
  zv::ScopedMessageHook no_boxes;
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  Cache().shown.reset();
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove_all(Folder(), ec);
  return 0;
}
