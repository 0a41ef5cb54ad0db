#pragma once
// Shared pieces of the printing tests: the grid's print operations as a print job,
// a PDF printer, and the text of a PDF file as pdftotext reads it back.

#include <QPrinter>
#include <string>
#include <vector>

#include "grid/grid_ctrl.h"
#include "grid/print_driver.h"

namespace zv::test {

// What a view does for printing: it hands the job's operations to its grid.
class GridPrintJob : public zv::PrintClient {
 public:
  explicit GridPrintJob(CGridCtrl* grid) : grid_(grid) {}
  void OnBeginPrinting(CDC* pDC, PrintInfo* pInfo) override { grid_->OnBeginPrinting(pDC, pInfo); }
  void OnPrint(CDC* pDC, PrintInfo* pInfo) override { grid_->OnPrint(pDC, pInfo); }
  void OnEndPrinting(CDC* pDC, PrintInfo* pInfo) override { grid_->OnEndPrinting(pDC, pInfo); }

 private:
  CGridCtrl* grid_;
};

// A PDF printer writing to the path: A4 portrait, 10 mm margins, at the resolution.
void SetUpPdfPrinter(QPrinter& printer, const std::string& path, int dpi = 1200);

// The pages of a PDF file as UTF-8 text (pdftotext); empty when it cannot be read.
std::vector<std::string> PdfPages(const std::string& path);

// One word of a PDF page with its box in points from the page's top-left corner.
struct PdfWord {
  std::string text;  // UTF-8
  double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

// The words of one page (from 1) with their boxes (pdftotext -bbox).
std::vector<PdfWord> PdfWords(const std::string& path, int page);

// The words of a text (split at white space).
std::vector<std::string> Words(const std::string& text);

// How often the word stands in the words.
int CountWord(const std::vector<std::string>& words, const std::string& word);

}  // namespace zv::test
