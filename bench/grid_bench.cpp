// The grid against Qt's QTableWidget as the peer, in the same run: filling a year of
// hourly data (8,760 rows x 35 columns) with texts, painting one viewport, selecting
// every cell, paging down through the whole table. At the end the ratio of each pair is printed (peer time / grid time:
// above 1 the grid is faster).

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QTableWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "grid/grid_ctrl.h"
#include "platform/qt/qt_text.h"
#include "platform/str_format.h"

namespace {

constexpr int kYearRows = 8760;
constexpr int kColumns = 35;
constexpr int kHeaderRows = 2;
constexpr int kViewWidth = 1200;
constexpr int kViewHeight = 800;

// Texts like those of the viewer's hourly table: a date and time, then values.
struct Texts {
  std::vector<std::string> cp1251;  // row-major, rows x columns
  std::vector<QString> qt;
  explicit Texts(int rows) {
    cp1251.reserve(static_cast<size_t>(rows) * kColumns);
    for (int row = 0; row < rows; ++row) {
      cp1251.push_back(zv::StrFormat("%02d.%02d.2024 %02d:00", 1 + row / 24 % 28, 1 + row / 672, row % 24));
      for (int col = 1; col < kColumns; ++col)
        cp1251.push_back(zv::StrFormat("%.3f", (row * 37 + col * 101) % 100000 / 7.0));
    }
    qt.reserve(cp1251.size());
    for (const std::string& t : cp1251) qt.push_back(zv::QFromCp1251(t));
  }
  const std::string& At(int row, int col) const { return cp1251[static_cast<size_t>(row) * kColumns + col]; }
  const QString& QAt(int row, int col) const { return qt[static_cast<size_t>(row) * kColumns + col]; }
};

const Texts& TextsFor(int rows) {
  static std::map<int, std::unique_ptr<Texts>> cache;
  auto& texts = cache[rows];
  if (!texts) texts = std::make_unique<Texts>(rows);
  return *texts;
}

// A view holding the grid, as the viewer makes it: two heading rows, no fixed columns.
struct GridView {
  QWidget view;
  CGridCtrl* grid = new CGridCtrl;
  GridView() {
    view.resize(kViewWidth, kViewHeight);
    grid->Create(CRect(0, 0, kViewWidth, kViewHeight), &view, 100);
    grid->SetRowCount(kHeaderRows);
    grid->SetFixedRowCount(kHeaderRows);
    grid->SetColumnCount(kColumns);
    grid->SetEditable(false);
    for (int col = 0; col < kColumns; ++col) {
      grid->SetItemText(0, col, zv::StrFormat("C%d", col));
      grid->SetItemText(1, col, "unit");
    }
    view.show();
  }
  void Fill(const Texts& texts, int rows) {
    grid->SetRowCount(kHeaderRows + rows);
    for (int row = 0; row < rows; ++row)
      for (int col = 0; col < kColumns; ++col) grid->SetItemText(kHeaderRows + row, col, texts.At(row, col));
  }
  // The viewer's way: one appended row at a time, its date as the heading.
  void FillByInsertRow(const Texts& texts, int rows) {
    for (int row = 0; row < rows; ++row) {
      const int r = grid->InsertRow(texts.At(row, 0), -1);
      for (int col = 1; col < kColumns; ++col) grid->SetItemText(r, col, texts.At(row, col));
    }
  }
};

struct TableView {
  QTableWidget table;
  TableView() {
    table.resize(kViewWidth, kViewHeight);
    table.setColumnCount(kColumns);
    table.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.show();
  }
  void Fill(const Texts& texts, int rows) {
    table.setRowCount(rows);
    for (int row = 0; row < rows; ++row)
      for (int col = 0; col < kColumns; ++col) table.setItem(row, col, new QTableWidgetItem(texts.QAt(row, col)));
  }
};

template <typename View>
void FillBench(benchmark::State& state, void (View::*fill)(const Texts&, int)) {
  const Texts& texts = TextsFor(kYearRows);
  for (auto _ : state) {
    auto view = std::make_unique<View>();
    ((*view).*fill)(texts, kYearRows);
    state.PauseTiming();
    view.reset();
    state.ResumeTiming();
  }
}

// Filled views shared by the paint and select runs; released before the application.
template <typename View>
std::map<int, std::unique_ptr<View>>& FilledViews() {
  static std::map<int, std::unique_ptr<View>> views;
  return views;
}

template <typename View>
View& FilledView(int rows) {
  auto& view = FilledViews<View>()[rows];
  if (!view) {
    view = std::make_unique<View>();
    view->Fill(TextsFor(rows), rows);
  }
  return *view;
}

QWidget* Viewport(GridView& view) { return view.grid->viewport(); }
QWidget* Viewport(TableView& view) { return view.table.viewport(); }

template <typename View>
void Paint(benchmark::State& state) {
  View& view = FilledView<View>(static_cast<int>(state.range(0)));
  QWidget* viewport = Viewport(view);
  QImage image(viewport->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    viewport->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}

void SelectAllGrid(benchmark::State& state) {
  CGridCtrl& grid = *FilledView<GridView>(kYearRows).grid;
  for (auto _ : state) {
    state.PauseTiming();
    grid.ClearSelection();
    state.ResumeTiming();
    grid.SelectAllCells();
  }
  if (grid.GetSelectedCount() != kYearRows * kColumns) state.SkipWithError("not everything selected");
}

void SelectAllTable(benchmark::State& state) {
  QTableWidget& table = FilledView<TableView>(kYearRows).table;
  for (auto _ : state) {
    state.PauseTiming();
    table.clearSelection();
    state.ResumeTiming();
    table.selectAll();
  }
  if (table.selectionModel()->selectedIndexes().size() != kYearRows * kColumns)
    state.SkipWithError("not everything selected");
}

// Page Down from the first row to the last, painting the viewport after each key
// as the screen would; one iteration is the whole way down.
void PressPageDown(QWidget* target) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &release);
}

// Back at the top with the focus on the first row; the focus row; the last row.
void ToTop(GridView& view) {
  view.grid->SetScrollPosition(SB_VERT, 0);
  view.grid->SetFocusCell(kHeaderRows, 0);
}
void ToTop(TableView& view) {
  view.table.scrollToTop();
  view.table.setCurrentCell(0, 0);
}
int CurrentRow(GridView& view) { return view.grid->GetFocusCell().row; }
int CurrentRow(TableView& view) { return view.table.currentRow(); }
int LastRow(GridView& view) { return view.grid->GetRowCount() - 1; }
int LastRow(TableView& view) { return view.table.rowCount() - 1; }
QWidget* KeyTarget(GridView& view) { return view.grid; }
QWidget* KeyTarget(TableView& view) { return &view.table; }

template <typename View>
void PageDown(benchmark::State& state) {
  View& view = FilledView<View>(kYearRows);
  QWidget* viewport = Viewport(view);
  QImage image(viewport->size(), QImage::Format_RGB32);
  long pages = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ToTop(view);
    state.ResumeTiming();
    while (CurrentRow(view) < LastRow(view)) {
      PressPageDown(KeyTarget(view));
      viewport->render(&image);
      ++pages;
    }
  }
  state.counters["pages"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kAvgIterations);
  QCoreApplication::processEvents();
}

// Keeps each result's time so that the pairs can be compared after the run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    struct Pair {
      const char* what;
      const char* grid;
      const char* peer;
    };
    const Pair pairs[] = {
        {"fill 8760 x 35", "fill/CGridCtrl", "fill/QTableWidget"},
        {"fill 8760 x 35, row by row", "fill_by_insert_row/CGridCtrl", "fill/QTableWidget"},
        {"paint one viewport, 876 rows", "paint/CGridCtrl/876", "paint/QTableWidget/876"},
        {"paint one viewport, 8760 rows", "paint/CGridCtrl/8760", "paint/QTableWidget/8760"},
        {"select all 8760 x 35", "select_all/CGridCtrl", "select_all/QTableWidget"},
        {"page down through 8760 rows", "page_down/CGridCtrl", "page_down/QTableWidget"},
    };
    std::printf("\n%-32s %14s %16s %10s\n", "CGridCtrl vs QTableWidget", "CGridCtrl ms", "QTableWidget ms",
                "ratio");
    for (const Pair& p : pairs) {
      const auto g = times_.find(p.grid);
      const auto q = times_.find(p.peer);
      if (g == times_.end() || q == times_.end()) continue;
      std::printf("%-32s %14.3f %16.3f %10.4g\n", p.what, g->second, q->second, q->second / g->second);
    }
    std::printf("(ratio = QTableWidget time / CGridCtrl time: above 1 the grid is faster)\n");
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  using benchmark::kMillisecond;
  benchmark::RegisterBenchmark("fill/CGridCtrl", FillBench<GridView>, &GridView::Fill)->Unit(kMillisecond);
  benchmark::RegisterBenchmark("fill_by_insert_row/CGridCtrl", FillBench<GridView>, &GridView::FillByInsertRow)
      ->Unit(kMillisecond);
  benchmark::RegisterBenchmark("fill/QTableWidget", FillBench<TableView>, &TableView::Fill)->Unit(kMillisecond);
  for (int rows : {876, kYearRows}) {
    benchmark::RegisterBenchmark("paint/CGridCtrl", Paint<GridView>)->Arg(rows)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("paint/QTableWidget", Paint<TableView>)->Arg(rows)->Unit(kMillisecond);
  }
  benchmark::RegisterBenchmark("select_all/CGridCtrl", SelectAllGrid)->Unit(kMillisecond);
  benchmark::RegisterBenchmark("select_all/QTableWidget", SelectAllTable)->Unit(kMillisecond);
  benchmark::RegisterBenchmark("page_down/CGridCtrl", PageDown<GridView>)->Unit(kMillisecond);
  benchmark::RegisterBenchmark("page_down/QTableWidget", PageDown<TableView>)->Unit(kMillisecond);

  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  FilledViews<GridView>().clear();
  FilledViews<TableView>().clear();
  benchmark::Shutdown();
  return 0;
}
