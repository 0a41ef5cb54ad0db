// The print loop: begin, the pages with a new page between them, end, on a PDF
// printer and in the print preview dialog.

#include "grid/print_driver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTimer>
#include <string>
#include <vector>

#include "platform/str_format.h"
#include "tests/grid/print_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

// A view's print operations that write down what the loop gives them and print the
// page number large on every page.
class RecordingClient : public zv::PrintClient {
 public:
  explicit RecordingClient(UINT pages) : pages_(pages) {}

  void OnBeginPrinting(CDC* pDC, PrintInfo* pInfo) override {
    events.push_back("begin");
    userData = pInfo->m_lpUserData;
    printer = pInfo->m_pPrinter;
    font_.CreateFont(-pDC->GetDeviceCaps(LOGPIXELSY) / 4, 0, 0, 0, FW_NORMAL, false, false, false, DEFAULT_CHARSET,
                     OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     "Arial");
    pInfo->SetMaxPage(pages_);
  }
  void OnPrint(CDC* pDC, PrintInfo* pInfo) override {
    events.push_back(zv::StrFormat("page %u", pInfo->m_nCurPage));
    // Every page starts unmapped over the whole drawing area.
    const CRect device(0, 0, pDC->GetDeviceCaps(HORZRES), pDC->GetDeviceCaps(VERTRES));
    if (pDC->GetMapMode() != MM_TEXT || pDC->GetWindowOrg() != CPoint() || pInfo->m_rectDraw != device ||
        device.IsRectEmpty())
      events.push_back("not reset");
    pDC->SelectObject(&font_);
    CRect r = pInfo->m_rectDraw;
    pDC->DrawText(zv::StrFormat("PAGE%u", pInfo->m_nCurPage), r, DT_LEFT | DT_TOP | DT_SINGLELINE);
    // What one page leaves behind must not reach the next.
    pDC->SetMapMode(MM_ANISOTROPIC);
    pDC->SetWindowExt(10, 10);
    pDC->SetWindowOrg(100, 100);
    pInfo->m_rectDraw = CRect(1, 2, 3, 4);
  }
  void OnEndPrinting(CDC*, PrintInfo*) override { events.push_back("end"); }

  std::vector<std::string> events;
  void* userData = nullptr;
  QPrinter* printer = nullptr;

 private:
  UINT pages_;
  CFont font_;
};

// The words of each page.
std::vector<std::vector<std::string>> PageWords(const std::string& pdf) {
  std::vector<std::vector<std::string>> out;
  for (const std::string& page : zv::test::PdfPages(pdf)) out.push_back(zv::test::Words(page));
  return out;
}

using Words = std::vector<std::string>;

TEST(PrintDriver, BeginThePagesAndEnd) {
  zv::test::TempDir dir;
  QPrinter printer(QPrinter::HighResolution);
  zv::test::SetUpPdfPrinter(printer, dir.File("job.pdf"), 300);
  RecordingClient client(3);
  int document = 0;
  ASSERT_TRUE(zv::PrintPages(printer, client, &document));
  EXPECT_EQ(client.events, (std::vector<std::string>{"begin", "page 1", "page 2", "page 3", "end"}));
  EXPECT_EQ(client.userData, &document);
  EXPECT_EQ(client.printer, &printer);
  EXPECT_EQ(PageWords(dir.File("job.pdf")), (std::vector<Words>{Words{"PAGE1"}, Words{"PAGE2"}, Words{"PAGE3"}}));
}

TEST(PrintDriver, ThePrintersPageRangeWithinTheJobsPages) {
  zv::test::TempDir dir;
  QPrinter printer(QPrinter::HighResolution);
  zv::test::SetUpPdfPrinter(printer, dir.File("range.pdf"), 300);
  printer.setPrintRange(QPrinter::PageRange);
  printer.setFromTo(2, 9);
  RecordingClient client(3);
  ASSERT_TRUE(zv::PrintPages(printer, client));
  EXPECT_EQ(client.events, (std::vector<std::string>{"begin", "page 2", "page 3", "end"}));
  EXPECT_EQ(PageWords(dir.File("range.pdf")), (std::vector<Words>{Words{"PAGE2"}, Words{"PAGE3"}}));
}

TEST(PrintDriver, NothingIsCalledWhenThePrinterCannotBePaintedOn) {
  zv::test::TempDir dir;
  QPrinter printer(QPrinter::HighResolution);
  zv::test::SetUpPdfPrinter(printer, dir.File("missing/folder/job.pdf"), 300);
  RecordingClient client(2);
  EXPECT_FALSE(zv::PrintPages(printer, client));
  EXPECT_TRUE(client.events.empty());
}

TEST(PrintDriver, PreviewDrawsThePagesThroughTheSameLoop) {
  QPrinter printer(QPrinter::HighResolution);
  RecordingClient client(3);
  int shownPages = -1;
  // Once the dialog shows its pages, count them and close it.
  QElapsedTimer waited;
  waited.start();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
    QPrintPreviewWidget* preview = dialog != nullptr ? dialog->findChild<QPrintPreviewWidget*>() : nullptr;
    if (preview != nullptr && preview->pageCount() > 0) {
      shownPages = preview->pageCount();
      dialog->reject();
    } else if (waited.elapsed() > 30000 && dialog != nullptr) {
      dialog->reject();
    }
  });
  poll.start(10);
  int document = 0;
  EXPECT_EQ(zv::ShowPrintPreview(printer, client, &document), static_cast<int>(QDialog::Rejected));
  EXPECT_EQ(shownPages, 3);
  ASSERT_GE(client.events.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(client.events.begin(), client.events.begin() + 5),
            (std::vector<std::string>{"begin", "page 1", "page 2", "page 3", "end"}));
  EXPECT_EQ(client.userData, &document);
}

}  // namespace
