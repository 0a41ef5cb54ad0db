// The grid printed through the print loop: PDF files read back as text, and pages
// drawn on images with cells that write down where they were printed.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "grid/gdi_colours.h"
#include "grid/grid_cell.h"
#include "grid/grid_ctrl.h"
#include "platform/cp1251.h"
#include "platform/str_format.h"
#include "tests/grid/grid_test_support.h"
#include "tests/grid/print_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using zv::test::CountWord;
using zv::test::Words;

const char kTitle[] = "Котельная Северная";
const char kAppName[] = "ZEVView";

std::string Label(int row) { return zv::StrFormat("R%02d", row); }
std::string Value(int row) { return zv::W1251("Знач") + zv::StrFormat("%02d", row); }
std::string ValueUtf8(int row) { return "Знач" + zv::StrFormat("%02d", row); }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A grid in a titled window, as a view holds it: heading row 0 ("№", "Дата",
// "Тепло"), fixed column 0 with the row labels, three columns of 100 pixels and rows
// of 20. The application is called ZEVView for the test's duration.
class GridPrintPdf : public testing::Test {
 protected:
  GridPrintPdf() : made_(0, 3, 0, 0) {
    savedName_ = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(kAppName);
    made_.parent.setWindowTitle(QString::fromUtf8(kTitle));
  }
  ~GridPrintPdf() override { QGuiApplication::setApplicationDisplayName(savedName_); }

  CGridCtrl& grid() { return *made_.grid; }

  void Fill(int bodyRows, int fixedRows = 1) {
    grid().SetRowCount(fixedRows + bodyRows);
    grid().SetFixedRowCount(fixedRows);
    grid().SetFixedColumnCount(1);
    for (int col = 0; col < grid().GetColumnCount(); ++col) grid().SetColumnWidth(col, 100);
    for (int row = 0; row < grid().GetRowCount(); ++row) grid().SetRowHeight(row, 20);
    grid().SetItemText(0, 0, zv::W1251("№"));
    grid().SetItemText(0, 1, zv::W1251("Дата"));
    grid().SetItemText(0, 2, zv::W1251("Тепло"));
    for (int row = 1; row < grid().GetRowCount(); ++row) {
      grid().SetItemText(row, 0, Label(row));
      grid().SetItemText(row, 1, Value(row));
      grid().SetItemText(row, 2, zv::StrFormat("%d.5", row));
    }
    grid().SetModified(false);
  }

  // Prints the grid into a PDF file and answers its pages' text.
  std::vector<std::string> Print(const std::string& name, int dpi = 1200) {
    QPrinter printer(QPrinter::HighResolution);
    zv::test::SetUpPdfPrinter(printer, dir_.File(name), dpi);
    zv::test::GridPrintJob job(&grid());
    if (!zv::PrintPages(printer, job)) ADD_FAILURE() << "the printer did not start";
    return zv::test::PdfPages(dir_.File(name));
  }

  zv::test::TempDir dir_;
  zv::test::CreatedGrid made_;
  QString savedName_;
};

TEST_F(GridPrintPdf, ThreePagesWithHeadingsFixedColumnsAndEveryRowOnce) {
  Fill(50);
  const std::vector<std::string> pages = Print("three.pdf");
  ASSERT_EQ(pages.size(), 3u);

  std::map<int, int> pageOfRow;
  for (size_t page = 0; page < pages.size(); ++page) {
    const std::string& text = pages[page];
    const std::vector<std::string> words = Words(text);
    SCOPED_TRACE(text);
    // Header band, heading row and footer band on every page.
    EXPECT_EQ(CountWord(words, "Котельная"), 1);
    EXPECT_EQ(CountWord(words, "Северная"), 1);
    EXPECT_EQ(CountWord(words, kAppName), 1);
    EXPECT_EQ(CountWord(words, "№"), 1);
    EXPECT_EQ(CountWord(words, "Дата"), 1);
    EXPECT_EQ(CountWord(words, "Тепло"), 1);
    EXPECT_TRUE(Contains(text, zv::StrFormat("Page %zu of 3", page + 1)));
    // Each body row's value stands beside its label in the fixed column.
    int rowsHere = 0;
    for (int row = 1; row <= 50; ++row) {
      const int values = CountWord(words, ValueUtf8(row));
      EXPECT_EQ(CountWord(words, Label(row)), values) << row;
      if (values == 0) continue;
      EXPECT_EQ(values, 1) << row;
      EXPECT_EQ(pageOfRow.count(row), 0u) << "row " << row << " printed twice";
      pageOfRow[row] = static_cast<int>(page);
      ++rowsHere;
    }
    EXPECT_GT(rowsHere, 0) << "page " << page + 1 << " has no rows";
  }
  // Every row once, the pages in row order.
  ASSERT_EQ(pageOfRow.size(), 50u);
  for (int row = 2; row <= 50; ++row) EXPECT_LE(pageOfRow[row - 1], pageOfRow[row]);
  // Printing leaves the grid as it was.
  EXPECT_FALSE(grid().GetModified());
  EXPECT_EQ(grid().GetRowHeight(7), 20);
  EXPECT_EQ(grid().GetItemText(7, 1), Value(7));
}

TEST_F(GridPrintPdf, FixedRowsOnlyPrintOnePageWithoutFooter) {
  Fill(0, 3);
  grid().SetItemText(1, 1, zv::W1251("Энергия"));
  grid().SetItemText(2, 1, zv::W1251("ГДж"));
  const std::vector<std::string> pages = Print("headings.pdf");
  ASSERT_EQ(pages.size(), 1u);
  const std::vector<std::string> words = Words(pages[0]);
  EXPECT_EQ(CountWord(words, "Котельная"), 1);
  EXPECT_EQ(CountWord(words, kAppName), 1);
  EXPECT_EQ(CountWord(words, "Дата"), 1);
  EXPECT_EQ(CountWord(words, "Энергия"), 1);
  EXPECT_EQ(CountWord(words, "ГДж"), 1);
  EXPECT_FALSE(Contains(pages[0], "Page")) << pages[0];
}

TEST_F(GridPrintPdf, WysiwygSplitsAWideTableAcrossPagesAtAnyResolution) {
  // Columns 1-2 and 3-4 make two slices; rows of 100 pixels, six to a page.
  Fill(10);
  grid().SetColumnCount(5);
  grid().SetColumnWidth(0, 60);
  for (int col = 1; col < 5; ++col) {
    grid().SetColumnWidth(col, 150);
    grid().SetItemText(0, col, zv::StrFormat("H%d", col));
    for (int row = 1; row <= 10; ++row) grid().SetItemText(row, col, zv::StrFormat("C%d_%02d", col, row));
  }
  for (int row = 1; row <= 10; ++row) grid().SetRowHeight(row, 100);
  grid().SetWysiwygPrinting(true);

  struct Expected {
    int firstRow, lastRow, firstCol;
  };
  const Expected expected[] = {{1, 6, 1}, {1, 6, 3}, {7, 10, 1}, {7, 10, 3}};
  for (int dpi : {300, 1200}) {
    SCOPED_TRACE(dpi);
    const std::vector<std::string> pages = Print(zv::StrFormat("wide%d.pdf", dpi), dpi);
    ASSERT_EQ(pages.size(), 4u);
    for (int page = 0; page < 4; ++page) {
      const Expected& e = expected[page];
      const std::vector<std::string> words = Words(pages[static_cast<size_t>(page)]);
      SCOPED_TRACE(pages[static_cast<size_t>(page)]);
      EXPECT_TRUE(Contains(pages[static_cast<size_t>(page)], zv::StrFormat("Page %d of 4", page + 1)));
      // The corner heading on every slice, the slice's own headings only.
      EXPECT_EQ(CountWord(words, "№"), 1);
      for (int col = 1; col < 5; ++col) {
        const bool inSlice = col == e.firstCol || col == e.firstCol + 1;
        EXPECT_EQ(CountWord(words, zv::StrFormat("H%d", col)), inSlice ? 1 : 0) << col;
        for (int row = 1; row <= 10; ++row) {
          const bool here = inSlice && row >= e.firstRow && row <= e.lastRow;
          EXPECT_EQ(CountWord(words, zv::StrFormat("C%d_%02d", col, row)), here ? 1 : 0) << col << " " << row;
        }
      }
      // The fixed column repeats on both slices of a band.
      for (int row = 1; row <= 10; ++row)
        EXPECT_EQ(CountWord(words, Label(row)), row >= e.firstRow && row <= e.lastRow ? 1 : 0) << row;
    }
  }
}

// Words with their boxes in points, as pdftotext -bbox gives them.
struct WordBox {
  double top = 0, bottom = 0;
};

std::map<std::string, WordBox> PageBoxes(const std::string& pdf, int page) {
  std::map<std::string, WordBox> boxes;
  for (const zv::test::PdfWord& w : zv::test::PdfWords(pdf, page)) boxes[w.text] = WordBox{w.yMin, w.yMax};
  return boxes;
}

TEST_F(GridPrintPdf, TextScalesOnceWithTheTable) {
  Fill(50);
  Print("low.pdf", 300);
  Print("high.pdf", 1200);
  // On screen a row of 20 pixels holds text of the cell font's height.
  const double screen = grid().GetDefaultCell(false, false)->GetFontObject()->Metrics().height() / 20.0;
  std::vector<double> printed;
  for (const char* name : {"low.pdf", "high.pdf"}) {
    const std::map<std::string, WordBox> boxes = PageBoxes(dir_.File(name), 1);
    ASSERT_TRUE(boxes.count(ValueUtf8(1)) && boxes.count(ValueUtf8(2))) << name;
    const double pitch = boxes.at(ValueUtf8(2)).top - boxes.at(ValueUtf8(1)).top;
    ASSERT_GT(pitch, 0) << name;
    printed.push_back((boxes.at(ValueUtf8(1)).bottom - boxes.at(ValueUtf8(1)).top) / pitch);
  }
  EXPECT_NEAR(printed[0], printed[1], 0.02);
  EXPECT_NEAR(printed[1], screen, 0.15 * screen);
}

// ---------------------------------------------------------------------------------
// Pages drawn on images; the cells write down the page they were printed on.

struct PrintedCell {
  int page, row, col;
  bool operator<(const PrintedCell& o) const { return std::tie(page, row, col) < std::tie(o.page, o.row, o.col); }
};

std::vector<PrintedCell> g_printed;
int g_page = 0;

class RecordingCell : public CGridCell {
 public:
  bool PrintCell(CDC* pDC, int nRow, int nCol, CRect rect) override {
    g_printed.push_back(PrintedCell{g_page, nRow, nCol});
    return CGridCell::PrintCell(pDC, nRow, nCol, rect);
  }
};

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A grid of RecordingCells: heading row, fixed column, two columns, rows of 20.
class GridPrintPages : public testing::Test {
 protected:
  GridPrintPages() : made_(0, 3, 0, 0) {
    g_printed.clear();
    grid().SetCellType<RecordingCell>();
  }
  CGridCtrl& grid() { return *made_.grid; }

  void Rows(const std::vector<int>& bodyHeights) {
    grid().SetRowCount(1 + static_cast<int>(bodyHeights.size()));
    grid().SetFixedRowCount(1);
    grid().SetFixedColumnCount(1);
    for (int col = 0; col < 3; ++col) grid().SetColumnWidth(col, 100);
    grid().SetRowHeight(0, 20);
    for (size_t i = 0; i < bodyHeights.size(); ++i) grid().SetRowHeight(static_cast<int>(i) + 1, bodyHeights[i]);
  }

  // Prints every page on an image of 700 x 1000 pixels at 150 dpi; answers the pages.
  std::vector<QImage> PrintOnImages() {
    std::vector<QImage> pages;
    QImage image = NewPage();
    PrintInfo info;
    {
      QPainter painter(&image);
      CDC dc(&painter, true);
      grid().OnBeginPrinting(&dc, &info);
    }
    for (UINT page = 1; page <= info.GetMaxPage(); ++page) {
      QImage sheet = NewPage();
      QPainter painter(&sheet);
      CDC dc(&painter, true);
      g_page = static_cast<int>(page);
      info.m_nCurPage = page;
      grid().OnPrint(&dc, &info);
      painter.end();
      pages.push_back(sheet);
    }
    grid().OnEndPrinting(nullptr, &info);
    return pages;
  }
  UINT PageCount() {
    QImage image = NewPage();
    QPainter painter(&image);
    CDC dc(&painter, true);
    PrintInfo info;
    grid().OnBeginPrinting(&dc, &info);
    grid().OnEndPrinting(&dc, &info);
    return info.GetMaxPage();
  }
  static QImage NewPage() {
    QImage image(700, 1000, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(5906);
    image.setDotsPerMeterY(5906);
    return image;
  }
  // The pages each body row's cells were printed on, one entry per printed cell.
  std::map<int, std::multiset<int>> PagesOfRows() const {
    std::map<int, std::multiset<int>> pages;
    for (const PrintedCell& c : g_printed)
      if (c.row > 0) pages[c.row].insert(c.page);
    return pages;
  }

  zv::test::CreatedGrid made_;
};

TEST_F(GridPrintPages, ARowThatFillsThePageExactlyStaysAndOneUnitMoreMovesItWhole) {
  // Five rows of 20 and a sixth whose height is sought: the largest that still fits
  // on page 1 fills the page exactly.
  Rows({20, 20, 20, 20, 20, 1});
  int low = 1, high = 5000;
  while (low < high) {
    const int mid = (low + high + 1) / 2;
    grid().SetRowHeight(6, mid);
    if (PageCount() == 1)
      low = mid;
    else
      high = mid - 1;
  }
  const int fills = low;
  ASSERT_GT(fills, 20);
  ASSERT_LT(fills, 5000);

  struct Case {
    int height;
    int pageOfRow6;
  };
  for (const Case& c : {Case{fills, 1}, Case{fills + 1, 2}}) {
    SCOPED_TRACE(c.height);
    Rows({20, 20, 20, 20, 20, c.height, 20});
    g_printed.clear();
    ASSERT_EQ(PrintOnImages().size(), 2u);
    const std::map<int, std::multiset<int>> pages = PagesOfRows();
    // Three cells a row (the fixed column and two values), each printed once.
    for (int row = 1; row <= 7; ++row) {
      const int expected = row < 6 ? 1 : row == 6 ? c.pageOfRow6 : 2;
      EXPECT_EQ(pages.at(row), (std::multiset<int>{expected, expected, expected})) << "row " << row;
    }
  }
}

TEST_F(GridPrintPages, ATallRowPrintsClippedOnAPageOfItsOwn) {
  Rows({20, 20, 20, 3000, 20, 20});
  for (int col = 0; col < 3; ++col) grid().SetItemBackColour(4, col, kRed);
  const std::vector<QImage> pages = PrintOnImages();
  ASSERT_EQ(pages.size(), 3u);
  const std::map<int, std::multiset<int>> printed = PagesOfRows();
  for (int row = 1; row <= 6; ++row) {
    const int expected = row < 4 ? 1 : row == 4 ? 2 : 3;
    EXPECT_EQ(printed.at(row), (std::multiset<int>{expected, expected, expected})) << "row " << row;
  }

  // The tall row fills page 2 down to the end of the body's room, above the footer.
  auto rowCount = [](const QImage& image, int y, COLORREF colour) {
    int n = 0;
    for (int x = 0; x < image.width(); ++x) n += zv::FromQColor(image.pixelColor(x, y)) == colour ? 1 : 0;
    return n;
  };
  const QImage& page2 = pages[1];
  int redTop = -1, redBottom = -1, rule = -1;
  for (int y = 0; y < page2.height(); ++y) {
    if (rowCount(page2, y, kRed) > 0) {
      if (redTop < 0) redTop = y;
      redBottom = y;
    }
    // The footer's rule: a black line across most of the table's width.
    if (rowCount(page2, y, RGB(0, 0, 0)) > page2.width() / 2) rule = y;
  }
  ASSERT_GE(redTop, 0);
  ASSERT_GT(rule, redBottom) << "the tall row runs into the footer";
  EXPECT_GT(redBottom - redTop, page2.height() / 2);
  // Between the row's end and the footer's rule lies the gap, white.
  EXPECT_EQ(rowCount(page2, (redBottom + rule) / 2 + 1, kWhite), page2.width());
  for (int page : {0, 2}) EXPECT_EQ(rowCount(pages[static_cast<size_t>(page)], 500, kRed), 0) << page;
}

TEST_F(GridPrintPages, MarginsChangeTheRoomAndNegativeValuesKeepThem) {
  Rows(std::vector<int>(50, 20));
  const UINT normal = PageCount();
  // A header band of 12 lines leaves less room for rows.
  grid().SetPrintMargins(12, -1, -1, -1, -1, -1, -1);
  const UINT tallHeader = PageCount();
  EXPECT_GT(tallHeader, normal);
  grid().SetPrintMargins(-1, -1, -1, -1, -1, -1, -1);
  EXPECT_EQ(PageCount(), tallHeader);
  // Wide side margins make the paper, and so the page, larger in table pixels.
  grid().SetPrintMargins(2, 2, 60, 60, 1, 1, 1);
  EXPECT_LT(PageCount(), normal);
  grid().SetPrintMargins(2, 2, 4, 4, 1, 1, 1);
  EXPECT_EQ(PageCount(), normal);
}

TEST_F(GridPrintPages, NothingWithoutADcOrPrintInfo) {
  Rows({20, 20});
  PrintInfo info;
  info.SetMaxPage(7);
  grid().OnBeginPrinting(nullptr, &info);
  EXPECT_EQ(info.GetMaxPage(), 7u);
  QImage image = NewPage();
  QPainter painter(&image);
  CDC dc(&painter, true);
  grid().OnBeginPrinting(&dc, nullptr);
  grid().OnPrint(&dc, nullptr);
  grid().OnPrint(nullptr, &info);
  painter.end();
  EXPECT_TRUE(g_printed.empty());
  EXPECT_EQ(image.pixelColor(350, 500), QColor(Qt::white));
}

}  // namespace
