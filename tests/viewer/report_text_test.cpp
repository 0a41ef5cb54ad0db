// What the report says, read back from PDF files: the head and title of each
// kind, the readings, the closing block by the page's columns and the scheme,
// an empty document, the header's numbers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/format_helpers.h"
#include "platform/cp1251.h"
#include "platform/str_format.h"
#include "tests/viewer/report_fixture.h"

namespace {

using zv::test::At;
using zv::test::CountWord;
using zv::test::RecordingDevice;
using zv::test::ReportTest;
using zv::test::Words;

// The text with every run of white space made one blank.
std::string Flat(const std::string& text) {
  std::string out;
  for (const std::string& word : Words(text)) out += (out.empty() ? "" : " ") + word;
  return out;
}

std::string AllPages(const std::vector<std::string>& pages) {
  std::string text;
  for (const std::string& page : pages) text += page + "\n";
  return Flat(text);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The signature lines as pdftotext reads them: the wide gap in the first line
// parts it in two.
const char kSignatures[] = "Представитель абонента:___________________________";
const char kSignaturesSupplier[] = "Представитель теплоснабжающей организации:___________________________";
const char kSignatures2[] = "Представитель обслуживающей организации:_________________________________________________";

TEST_F(ReportTest, HeadAndTitleOfEachKind) {
  ASSERT_TRUE(Open(TwoDays(), At(2024, 3, 1), At(2024, 3, 2)));
  struct Case {
    int kind;
    const char* head;
    const char* when;  // the label and value of the head's third line
    const char* title;
    bool readings;
  };
  const Case cases[] = {
      {0, "ДАННЫЕ ТЕПЛОСЧЕТЧИКА", "Период: с 01.03.2024 00:00 по 03.03.2024 00:00", "Среднесуточные показания", true},
      {1, "ДАННЫЕ ТЕПЛОСЧЕТЧИКА", "Период: с 01.03.2024 00:00 по 03.03.2024 00:00", "Среднечасовые показания", true},
      {2, "ДАННЫЕ ТЕПЛОСЧЕТЧИКА", "Период: с 01.03.2024 00:00 по 03.03.2024 00:00", "Журнал изменения настроек", false},
      {3, "НАСТРОЕЧНЫЕ ПАРАМЕТРЫ", "Состояние на: 03.03.2024", "Параметры прибора", false},
  };
  for (const Case& c : cases) {
    CTableView& view = NewView(c.kind);
    const std::vector<std::string> pages = PrintPdf(view, "kind" + std::to_string(c.kind) + ".pdf");
    ASSERT_FALSE(pages.empty()) << c.kind;
    const std::string first = Flat(pages.front());
    EXPECT_TRUE(Has(first, c.head)) << c.kind << ": " << first;
    // pdftotext reads the label column, then the value column.
    const std::string label = std::string(c.when).substr(0, std::string(c.when).find(':') + 1);
    EXPECT_TRUE(Has(first, label)) << c.kind;
    EXPECT_TRUE(Has(first, std::string(c.when).substr(label.size() + 1))) << c.kind << ": " << first;
    EXPECT_TRUE(Has(first, "Котельная №1")) << c.kind;
    EXPECT_TRUE(Has(first, c.title)) << c.kind;
    EXPECT_EQ(Has(first, "Показания вычислителя на конец и начало периода"), c.readings) << c.kind;
    EXPECT_TRUE(Has(first, "ZEVView")) << c.kind;
    const std::string all = AllPages(pages);
    EXPECT_TRUE(Has(all, kSignatures)) << c.kind;
    EXPECT_TRUE(Has(all, kSignaturesSupplier)) << c.kind;
    EXPECT_TRUE(Has(all, kSignatures2)) << c.kind;
    for (const Case& other : cases)
      if (other.kind != c.kind) {
        EXPECT_FALSE(Has(all, other.title)) << c.kind;
      }
  }
}

// Counters of seven digits with totals of a fraction: the readings columns hold
// the readings whole, the totals beside them.
TEST_F(ReportTest, LargeReadingsWithSmallTotalsPrintWhole) {
  zv::sim::NodeFilePlan plan;
  plan.data.hours = 0;
  for (int i = 0; i < 6; ++i) {
    zv::sim::HourValues v;
    v.time = i == 0 ? At(2024, 2, 29, 23) : At(2024, 3, 1, i - 1);
    v.value[zev_column::kV1] = 1234567.0f + 0.125f * static_cast<float>(i - 1);
    v.value[zev_column::kM1] = 7654321.0f + 0.25f * static_cast<float>(i - 1);
    plan.trailing_lines.push_back(zv::sim::FormatDataLine(v, 4));
  }
  ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
  ASSERT_EQ(doc.startEnd.size(), 2u);
  CTableView& view = NewView(CTableView::kHourly);

  const std::vector<std::string> words = Words(PrintPdf(view, "large.pdf").at(0));
  for (const char* text : {"1234567.50", "1234567.00", "7654322.00", "7654321.00"}) {
    EXPECT_EQ(CountWord(words, text), 1) << text;
  }
  // The totals beside them.
  for (const char* text : {"0.50", "1.00"}) EXPECT_GE(CountWord(words, text), 1) << text;

  // Not one text of the readings table is cut to its cell.
  RecordingDevice device;
  ASSERT_TRUE(Record(view, device));
  for (const char* text : {"1234567.50", "1234567.00", "7654322.00", "7654321.00", "01.03.2024 04:00"}) {
    const zv::test::TextRun* run = device.Find(text);
    ASSERT_NE(run, nullptr) << text;
    EXPECT_FALSE(run->clipped) << text;
  }
  // Nor any other text below the header band.
  for (const zv::test::TextRun& run : device.Texts())
    if (run.top >= 30) {
      EXPECT_FALSE(run.clipped) << run.Utf8();
    }
}

// The hours and the error legend only for daily and hourly tables whose columns
// count errors or hours; the signatures always.
TEST_F(ReportTest, ClosingBlockByThePagesColumns) {
  struct Case {
    const char* columns;
    int kind;
    bool statistics;
  };
  const Case cases[] = {
      {"DATE\tE1\tE2\tT1\tT2\tV1\tV2\tM1\tM2\tEC\tGW\tEW", CTableView::kDaily, true},
      {"DATE\tE1\tGW", CTableView::kDaily, true},
      {"DATE\tEW", CTableView::kHourly, true},
      {"DATE\tE1\tV1\tT1", CTableView::kDaily, false},
      {"DATE\tE1\tEC", CTableView::kJournal, false},
      {"DATE\tE1\tEC", CTableView::kParameters, false},
  };
  int n = 0;
  for (const Case& c : cases) {
    zv::sim::NodeFilePlan plan = TwoDays();
    plan.header.Set("DATAPRINT1", c.columns);
    ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
    CTableView& view = NewView(c.kind);
    const std::string text = AllPages(PrintPdf(view, "closing" + std::to_string(n++) + ".pdf"));
    // Each line whole, its spaces counted, as drawn.
    RecordingDevice device;
    ASSERT_TRUE(Record(view, device));
    const std::string hours = zv::StrFormat(
        "Время нормальной работы: %d часов          Время отсутствия счета: %d час.", view.GetNormalHours(),
        view.GetNoCountHours());
    EXPECT_EQ(device.Find(hours) != nullptr, c.statistics) << c.columns << " " << c.kind;
    EXPECT_NE(device.Find("Представитель абонента:___________________________            Представитель "
                          "теплоснабжающей организации:___________________________"),
              nullptr);
    EXPECT_NE(device.Find(kSignatures2), nullptr);
    EXPECT_EQ(Has(text, zv::StrFormat("Время нормальной работы: %d часов", view.GetNormalHours())), c.statistics);
    EXPECT_EQ(Has(text, "Коды ошибок - U питание, T датчики температуры, V датчики расхода, E функциональные"),
              c.statistics)
        << c.columns;
    EXPECT_EQ(Has(text, "Первый канал:"), c.statistics) << c.columns;
    EXPECT_TRUE(Has(text, kSignatures)) << c.columns;
    EXPECT_TRUE(Has(text, kSignaturesSupplier)) << c.columns;
    EXPECT_TRUE(Has(text, kSignatures2)) << c.columns;
  }
}

// SCHEMA 10 prints the first channel, 11 both; "Ошибок нет" stands only for an
// error-free first channel; each error counted in hours on a line of its own.
TEST_F(ReportTest, ErrorHoursOfEachChannel) {
  struct Case {
    const char* scheme;
    int error;  // on every sixth hour
    std::vector<std::string> present;
    std::vector<std::string> absent;
  };
  const Case cases[] = {
      {"10", 0, {"Первый канал:Ошибок нет"}, {"Второй канал"}},
      {"11", 0, {"Первый канал:Ошибок нет", "Второй канал:"}, {"Второй канал:Ошибок нет", "ошибка"}},
      {"11", 0x0002, {"Первый канал:", "ошибка датчика Т2 - 8 час.", "Второй канал:"}, {"Ошибок нет"}},
      {"22", 0x0400, {"Первый канал:Ошибок нет", "Второй канал:", "ошибка датчика V3 - 8 час."}, {"Т2"}},
      {"1", 0x0400, {"Первый канал:Ошибок нет"}, {"Второй канал", "V3"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    zv::sim::NodeFilePlan plan = TwoDays();
    plan.header.Set("SCHEMA", c.scheme);
    const int error = c.error;
    // Hours 5, 11, 17 and 23 of both days: eight hours.
    plan.data.error_code = [error](const DateStamp& t, int) { return t.hour % 6 == 5 ? error : 0; };
    ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
    CTableView& view = NewView(CTableView::kDaily);
    const std::string text = AllPages(PrintPdf(view, "channels" + std::to_string(n++) + ".pdf"));
    for (const std::string& p : c.present) EXPECT_TRUE(Has(text, p)) << c.scheme << " " << p << ": " << text;
    for (const std::string& a : c.absent) EXPECT_FALSE(Has(text, a)) << c.scheme << " " << a;
  }
}

// A period without data (the last month refused): no period, a readings table of
// its two heading rows, no totals and no channel lines; the statistics stay.
TEST_F(ReportTest, EmptyDocumentPrintsNoData) {
  messages.QueueAnswer(zv::MessageResult::kNo);
  ASSERT_TRUE(Open(TwoDays(), At(2024, 5, 1), At(2024, 5, 2)));
  ASSERT_TRUE(doc.records.empty());
  for (int kind : {CTableView::kDaily, CTableView::kParameters}) {
    CTableView& view = NewView(kind);
    const std::vector<std::string> pages = PrintPdf(view, "empty" + std::to_string(kind) + ".pdf");
    ASSERT_EQ(pages.size(), 1u);
    const std::string text = Flat(pages[0]);
    EXPECT_TRUE(Has(text, "нет данных")) << text;
    EXPECT_FALSE(Has(text, "ИТОГО:")) << text;
    EXPECT_FALSE(Has(text, "Первый канал")) << text;
    EXPECT_EQ(Has(text, "Время нормальной работы: 0 часов"), kind == CTableView::kDaily) << text;
    EXPECT_EQ(Has(text, "Показания вычислителя на конец и начало периода"), kind == CTableView::kDaily);
    // The units row of the readings table and of the daily table.
    EXPECT_EQ(CountWord(Words(pages[0]), "Дата"), kind == CTableView::kDaily ? 2 : 0);
    EXPECT_TRUE(Has(text, kSignatures2));
  }
}

// The header's numbers as the heat-computer line prints them; a missing name.
TEST_F(ReportTest, HeaderNumbersAndMissingName) {
  struct Case {
    const char* n;
    const char* wtime;
    const char* tcw;
    const char* name;
    const char* line;
    const char* subscriber;
  };
  const Case cases[] = {
      {"12", "43210", "5", "Котельная", "ZEV №00012; Наработка прибора: 43210 час.; Тхв: 5.0 °С", "Котельная"},
      {"987", "0", "12.26", "ЦТП&2", "ZEV №00987; Наработка прибора: 0 час.; Тхв: 12.3 °С", "ЦТП&2"},
      {"5", "7", "", "", "ZEV №00005; Наработка прибора: 7 час.; Тхв: 0.0 °С", "БЕЗ НАЗВАНИЯ"},
  };
  int n = 0;
  for (const Case& c : cases) {
    zv::sim::NodeFilePlan plan = TwoDays();
    plan.header.Set("N", c.n).Set("WTIME", c.wtime).Set("TCW", c.tcw).Set("NAME", zv::W1251(c.name));
    ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
    CTableView& view = NewView(CTableView::kJournal);
    const std::string text = Flat(PrintPdf(view, "numbers" + std::to_string(n++) + ".pdf").at(0));
    EXPECT_TRUE(Has(text, c.line)) << text;
    EXPECT_TRUE(Has(text, c.subscriber)) << text;
  }
}

// "ИТОГО:" opens the readings' totals row only where the page shows DATE (the
// table's own totals row has its heading where its own column shows it).
TEST_F(ReportTest, TotalsHeadingOnlyWithTheDateColumn) {
  int n = 0;
  for (const char* columns : {"DATE\tE1\tV1", "E1\tV1\tDATE", "E1\tV1"}) {
    zv::sim::NodeFilePlan plan = TwoDays();
    plan.header.Set("DATAPRINT1", columns);
    ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
    CTableView& view = NewView(CTableView::kDaily);
    const std::vector<std::string> words = Words(PrintPdf(view, "totals" + std::to_string(n++) + ".pdf").at(0));
    const bool date = std::string(columns).find("DATE") != std::string::npos;
    int inTable = 0;
    const CViewerGridCtrl& grid = *view.GetGrid();
    for (int row = grid.GetFixedRowCount(); row < grid.GetRowCount(); ++row)
      for (int col = 0; col < grid.GetColumnCount(); ++col) inTable += grid.GetItemText(row, col) == zv::W1251("ИТОГО:");
    EXPECT_EQ(CountWord(words, "ИТОГО:"), (date ? 1 : 0) + inTable) << columns;
    // The readings' totals row is there either way: the period's E1 in it.
    EXPECT_GE(CountWord(words, FormatFloatDigits(doc.summary.front().value[zev_column::kE1], 3)), 1) << columns;
  }
}

}  // namespace
