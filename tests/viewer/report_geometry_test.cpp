// Where the report draws: recorded on a paint device of A4 size at 254 dpi, where
// one device pixel is 0.1 mm, the report's own unit.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "tests/viewer/report_fixture.h"
#include "viewer/report_printer.h"

namespace {

using zv::test::ArialHeight;
using zv::test::At;
using zv::test::LineSegment;
using zv::test::RecordingDevice;
using zv::test::ReportTest;
using zv::test::TextRun;

double Right(const TextRun& run) { return run.left + run.width; }
double Bottom(const TextRun& run) { return run.top + run.height; }

// The y of every horizontal line on the page that starts at x and lies at or
// below `from`.
std::vector<double> RowLines(const RecordingDevice& device, int page, double x, double from, double to = 1e9) {
  std::vector<double> ys;
  for (const LineSegment& l : device.Lines())
    if (l.page == page && l.Horizontal() && l.x1 == x && l.y1 >= from && l.y1 <= to) ys.push_back(l.y1);
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  return ys;
}

// The x of every vertical line on the page that starts at or below `from`.
std::vector<double> ColumnLines(const RecordingDevice& device, int page, double from) {
  std::vector<double> xs;
  for (const LineSegment& l : device.Lines())
    if (l.page == page && l.Vertical() && l.y1 >= from) xs.push_back(l.x1);
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  return xs;
}

bool HasLine(const RecordingDevice& device, int page, double x1, double y1, double x2, double y2) {
  for (const LineSegment& l : device.Lines())
    if (l.page == page && l.x1 == x1 && l.y1 == y1 && l.x2 == x2 && l.y2 == y2) return true;
  return false;
}

// Page 1 of a daily report on A4 portrait: the bands, the drawing area with the
// default 10 mm margins, the head's columns, the readings table's rows, and the
// grid's cells three times their screen size with rows moving h - 2.
TEST_F(ReportTest, PortraitPageInTenthsOfAMillimetre) {
  ASSERT_TRUE(Open(TwoDays(), At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& view = NewView(CTableView::kDaily);
  const CViewerGridCtrl& grid = *view.GetGrid();
  RecordingDevice device;
  ASSERT_TRUE(Record(view, device));
  ASSERT_EQ(device.Pages(), 1);

  const int bold24 = ArialHeight(24, 700);
  const int cy1 = ArialHeight(21);
  const int cy2 = ArialHeight(24);
  // The bands: rules at 3 mm below the top and 6 mm above the bottom, the whole
  // printable width; the program's name at the right, the page number at the left.
  EXPECT_TRUE(HasLine(device, 1, 0, 30, 2100, 30));
  EXPECT_TRUE(HasLine(device, 1, 0, 2910, 2100, 2910));
  const TextRun* app = device.Find("ZEVView");
  ASSERT_NE(app, nullptr);
  EXPECT_NEAR(Right(*app), 2100, 1);
  EXPECT_EQ(app->weight, 700);
  const TextRun* sheet = device.Find("Лист 1 из 1");
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->left, 0);
  // Centred in the footer band moved up by half a body character.
  const int bandTop = 2910 - cy1 / 2;
  EXPECT_EQ(sheet->top, (2 * bandTop + 60 - static_cast<int>(sheet->height)) / 2);

  // The head: its title centred over 100..2000 from the area's top, the labels
  // ending at 500, the values from 550, lines 0.5 mm apart.
  const TextRun* head = device.Find("ДАННЫЕ ТЕПЛОСЧЕТЧИКА");
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->top, 40);
  EXPECT_NEAR(head->left + head->width / 2, 1050, 1);
  const char* labels[] = {"Абонент:", "Тепловычислитель:", "Период:"};
  const char* values[] = {"Котельная №1", "ZEV №00012; Наработка прибора: 43210 час.; Тхв: 5.0 °С",
                          "с 01.03.2024 00:00 по 03.03.2024 00:00"};
  for (int i = 0; i < 3; ++i) {
    const TextRun* label = device.Find(labels[i]);
    const TextRun* value = device.Find(values[i]);
    ASSERT_NE(label, nullptr) << labels[i];
    ASSERT_NE(value, nullptr) << values[i];
    EXPECT_NEAR(Right(*label), 500, 1) << labels[i];
    EXPECT_EQ(label->top, 40 + bold24 + i * (bold24 + 5)) << labels[i];
    EXPECT_EQ(value->left, 550) << values[i];
    EXPECT_EQ(value->top, 40 + bold24 + i * (cy2 + 5)) << values[i];
    EXPECT_EQ(value->pixelSize, 24);
  }

  // The readings table: its title 1 mm below the head, then five rows (headings,
  // units, two readings, totals) of cy2 + cy2 / 3 - 1 with shared lines.
  const TextRun* readings = device.Find("Показания вычислителя на конец и начало периода");
  ASSERT_NE(readings, nullptr);
  EXPECT_EQ(readings->top, 40 + bold24 + 3 * (cy2 + 5) + 10);
  const TextRun* title = device.Find("Среднесуточные показания");
  ASSERT_NE(title, nullptr);
  const double tableTop = Bottom(*readings);
  const int readingRow = cy2 + cy2 / 3 - 1;
  std::vector<double> expected;
  for (int k = 0; k <= 5; ++k) expected.push_back(tableTop + k * readingRow);
  EXPECT_EQ(RowLines(device, 1, 100, tableTop, title->top), expected);
  EXPECT_EQ(title->top, tableTop + 5 * readingRow + 30);

  // The grid: heading rows three times their screen height, the top of each one
  // unit above the bottom of the one before; body rows moving h - 2 down.
  const int h = cy1 + cy1 / 2;
  const double t = Bottom(*title);
  const int r0 = 3 * grid.GetRowHeight(0);
  const int r1 = 3 * grid.GetRowHeight(1);
  const double bodyTop = t + r0 + r1 - 4;
  expected = {t - 1, t + r0 - 2};
  for (int k = 0; k <= 4; ++k) expected.push_back(bodyTop + k * (h - 2));
  EXPECT_EQ(RowLines(device, 1, 100, t - 1), expected);
  // Columns three times their screen width, each one unit right of the one before.
  std::vector<double> columns = {100};
  int x = 99;
  for (int col = 0; col < grid.GetColumnCount(); ++col) columns.push_back(x += 3 * grid.GetColumnWidth(col));
  EXPECT_EQ(ColumnLines(device, 1, t - 1), columns);
  // Body texts in the body font, vertically centred in their rows.
  const TextRun* day = device.Find("01.03.2024");
  ASSERT_NE(day, nullptr);
  EXPECT_EQ(day->pixelSize, 21);
  EXPECT_NEAR(day->top, bodyTop - 1 + ((h - 1) - cy1) / 2, 1);
}

// Neighbouring cells share their lines: a cell's side lines start on the line
// of the row above (the grid's rows overlap it by a unit) or just below it (the
// readings table's rows meet), so no stretch of a line is drawn twice.
TEST_F(ReportTest, CellLinesStartOnTheRowAbove) {
  ASSERT_TRUE(Open(TwoDays(), At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& view = NewView(CTableView::kDaily);
  RecordingDevice device;
  ASSERT_TRUE(Record(view, device));
  const TextRun* readings = device.Find("Показания вычислителя на конец и начало периода");
  const TextRun* title = device.Find("Среднесуточные показания");
  ASSERT_NE(readings, nullptr);
  ASSERT_NE(title, nullptr);
  struct Table {
    const char* what;
    double from, to;
    int gap;  // from the end of one side line to the start of the next one down
    // Where a new part of the table starts at its own top: the readings below
    // the two heading rows (drawing their top line), the body rows below the
    // heading rows (one unit above their bottom line).
    double partTop;
    int partGap;
  };
  const CViewerGridCtrl& grid = *view.GetGrid();
  const double headingsBottom = Bottom(*title) + 3 * grid.GetRowHeight(0) + 3 * grid.GetRowHeight(1) - 4;
  const int cy2 = ArialHeight(24);
  const Table tables[] = {
      {"readings", Bottom(*readings), title->top, 1, Bottom(*readings) + 2 * (cy2 + cy2 / 3 - 1), 0},
      {"grid", Bottom(*title) - 1, 2910, 0, headingsBottom, -1},
  };
  for (const Table& table : tables) {
    std::vector<LineSegment> sides;
    for (const LineSegment& l : device.Lines())
      if (l.page == 1 && l.Vertical() && !l.Horizontal() && l.y1 >= table.from && l.y2 <= table.to) sides.push_back(l);
    ASSERT_GT(sides.size(), 10u) << table.what;
    std::sort(sides.begin(), sides.end(),
              [](const LineSegment& a, const LineSegment& b) { return a.x1 != b.x1 ? a.x1 < b.x1 : a.y1 < b.y1; });
    const std::vector<double> rows = RowLines(device, 1, 100, table.from, table.to);
    for (size_t i = 0; i < sides.size(); ++i) {
      // Every side line ends on a row's bottom line.
      EXPECT_TRUE(std::find(rows.begin(), rows.end(), sides[i].y2) != rows.end()) << table.what << " " << i;
      if (i > 0 && sides[i].x1 == sides[i - 1].x1) {
        const int gap = sides[i - 1].y2 == table.partTop ? table.partGap : table.gap;
        EXPECT_EQ(sides[i].y1 - sides[i - 1].y2, gap)
            << table.what << " at x " << sides[i].x1 << ", y " << sides[i].y1;
      }
    }
  }
}

// A page without any reading column keeps the readings table's title and the
// height of its five rows, with nothing drawn in them.
TEST_F(ReportTest, ReadingsTableWithoutReadingColumns) {
  zv::sim::NodeFilePlan plan = TwoDays();
  plan.header.Set("DATAPRINT1", "T1\tT2\tP1\tEC");
  ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& view = NewView(CTableView::kDaily);
  RecordingDevice device;
  ASSERT_TRUE(Record(view, device));
  const TextRun* readings = device.Find("Показания вычислителя на конец и начало периода");
  const TextRun* title = device.Find("Среднесуточные показания");
  ASSERT_NE(readings, nullptr);
  ASSERT_NE(title, nullptr);
  const int cy2 = ArialHeight(24);
  EXPECT_EQ(title->top, Bottom(*readings) + 5 * (cy2 + cy2 / 3 - 1) + 30);
  for (const LineSegment& l : device.Lines())
    if (l.page == 1) {
      EXPECT_FALSE(l.y1 > Bottom(*readings) - 1 && l.y2 < title->top) << l.x1 << " " << l.y1;
    }
  for (const TextRun& run : device.Texts())
    if (run.page == 1) {
      EXPECT_FALSE(run.top >= Bottom(*readings) && Bottom(run) <= title->top) << run.Utf8();
    }
}

// Landscape rows are cy1 + 6 high; the page's own sizes give area and bands.
TEST_F(ReportTest, LandscapeRowsAndBands) {
  ASSERT_TRUE(Open(TwoDays(), At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& view = NewView(CTableView::kHourly);
  RecordingDevice device(254, 297, 210);
  Landscape();
  ASSERT_TRUE(Record(view, device));
  EXPECT_TRUE(HasLine(device, 1, 0, 30, 2970, 30));
  EXPECT_TRUE(HasLine(device, 1, 0, 2040, 2970, 2040));
  const TextRun* head = device.Find("ДАННЫЕ ТЕПЛОСЧЕТЧИКА");
  ASSERT_NE(head, nullptr);
  EXPECT_NEAR(head->left + head->width / 2, (100 + 2870) / 2.0, 1);
  const TextRun* title = device.Find("Среднечасовые показания");
  ASSERT_NE(title, nullptr);
  // The heading rows' top and bottom lines, then the body rows'.
  const std::vector<double> rows = RowLines(device, 1, 100, Bottom(*title) - 1);
  ASSERT_GE(rows.size(), 20u);
  const int cy1 = ArialHeight(21);
  for (size_t i = 4; i < rows.size(); ++i) EXPECT_EQ(rows[i] - rows[i - 1], cy1 + 6 - 2) << i;
}

// The side margins come from the profile, in hundredths of a millimetre.
TEST_F(ReportTest, MarginsFromTheProfile) {
  EXPECT_EQ(zv::ReportPrinter::DrawingArea(2100, 2970), CRect(100, 40, 2000, 2910));
  zv::Profile profile(zv::kProgramZEVView);
  profile.WriteInt("Poperties", "leftMargin", 2500);
  profile.WriteInt("Poperties", "rightMargin", 509);
  EXPECT_EQ(zv::ReportPrinter::DrawingArea(2100, 2970), CRect(250, 40, 2050, 2910));
  ASSERT_TRUE(Open(TwoDays(), At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& view = NewView(CTableView::kParameters);
  RecordingDevice device;
  ASSERT_TRUE(Record(view, device));
  const TextRun* head = device.Find("НАСТРОЕЧНЫЕ ПАРАМЕТРЫ");
  ASSERT_NE(head, nullptr);
  EXPECT_NEAR(head->left + head->width / 2, 1150, 1);
  EXPECT_TRUE(RowLines(device, 1, 250, 40).size() > 2);
}

// The report's sizes are tenths of a millimetre on any printer: the same texts
// and lines at 300, 600 and 1200 dpi as at 254, in the same fonts.
TEST_F(ReportTest, SameLayoutAtEveryResolution) {
  ASSERT_TRUE(Open(TwoDays(), At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& view = NewView(CTableView::kHourly);
  RecordingDevice reference;
  ASSERT_TRUE(Record(view, reference));
  ASSERT_GT(reference.Texts().size(), 100u);
  for (int dpi : {300, 600, 1200}) {
    RecordingDevice device(dpi);
    ASSERT_TRUE(Record(view, device));
    ASSERT_EQ(device.Pages(), reference.Pages()) << dpi;
    ASSERT_EQ(device.Texts().size(), reference.Texts().size()) << dpi;
    for (size_t i = 0; i < device.Texts().size(); ++i) {
      const TextRun& a = reference.Texts()[i];
      const TextRun& b = device.Texts()[i];
      ASSERT_EQ(b.text, a.text) << dpi;
      EXPECT_EQ(b.pixelSize, a.pixelSize) << dpi << " " << a.Utf8();
      EXPECT_NEAR(device.ToTenths(b.left), a.left, 1) << dpi << " " << a.Utf8();
      EXPECT_NEAR(device.ToTenths(b.top), a.top, 1) << dpi << " " << a.Utf8();
    }
    const std::vector<LineSegment> lines = device.Lines();
    const std::vector<LineSegment> expected = reference.Lines();
    ASSERT_EQ(lines.size(), expected.size()) << dpi;
    for (size_t i = 0; i < lines.size(); ++i) {
      EXPECT_NEAR(device.ToTenths(lines[i].x1), expected[i].x1, 1) << dpi << " line " << i;
      EXPECT_NEAR(device.ToTenths(lines[i].y1), expected[i].y1, 1) << dpi << " line " << i;
      EXPECT_NEAR(device.ToTenths(lines[i].x2), expected[i].x2, 1) << dpi << " line " << i;
      EXPECT_NEAR(device.ToTenths(lines[i].y2), expected[i].y2, 1) << dpi << " line " << i;
    }
  }
  // Body text 2.1 mm, headings 2.4 mm: never a size that depends on the printer.
  EXPECT_EQ(reference.Find("01.03.2024 00:00")->pixelSize, 21);
  EXPECT_EQ(reference.Find("Абонент:")->pixelSize, 24);
}

}  // namespace
