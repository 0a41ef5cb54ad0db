#pragma once
// The viewer's printed report: the table of a table window as a report of one
// node, drawn from the print job's ReportSource (viewer/report_source.h) and the
// window's grid. CViewerGridCtrl's print operations call into it.
//
// Every page: the header band ("ZEVView" and a rule) and the footer band ("Лист n
// из N"), the grid's heading rows at three times their screen size in 0.1 mm, and
// the body rows the page map gives it. Page 1 opens with the report head (node,
// heat computer, period or state date, and for the daily and hourly tables the
// meter readings at the end and the start of the period) and the title of the
// kind; the last page closes with the hours of normal work, the error legend and
// the error hours of each channel (daily and hourly tables whose columns count
// errors or hours), and the signature lines.
//
// OnBeginPrinting makes the fonts and lays the whole report out with the heights
// the pages are drawn with, so the page count, each page's rows and the place of
// the closing block are known before the first page (viewer/report_layout.h).
//
// Distances are in 0.1 mm below the top of the printable area (report_fonts.h).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "grid/gdi_dc.h"
#include "grid/print_driver.h"
#include "viewer/report_fonts.h"
#include "viewer/report_layout.h"
#include "viewer/report_source.h"

class CViewerGridCtrl;
class CZEVViewDoc;

namespace zv {

class ReportPrinter {
 public:
  // The grid is not owned; it outlives the printer.
  explicit ReportPrinter(const CViewerGridCtrl& grid);
  ~ReportPrinter();

  // Fonts, character sizes, page size, the page map and the page count.
  void OnBeginPrinting(CDC* pDC, PrintInfo* pInfo);
  // The page pInfo->m_nCurPage.
  void OnPrint(CDC* pDC, PrintInfo* pInfo);
  // Frees the fonts.
  void OnEndPrinting(CDC* pDC, PrintInfo* pInfo);

  // The page's bands.
  void PrintHeader(CDC* pDC, PrintInfo* pInfo);
  void PrintFooter(CDC* pDC, PrintInfo* pInfo);
  // The first page's heads, from the top of pInfo->m_rectDraw down; each answers
  // the distance where it ends.
  int PrintDataPageHeader(CDC* pDC, PrintInfo* pInfo);
  int PrintSettingsPage(CDC* pDC, PrintInfo* pInfo);
  int PrintPeriodReadings(CDC* pDC, PrintInfo* pInfo);
  // The grid's fixed rows from the top of pInfo->m_rectDraw; answers the
  // distance below which the body rows start.
  int PrintHeadingRows(CDC* pDC, PrintInfo* pInfo);
  // The hours, legend, error hours and signatures from `top`; answers the
  // distance of their bottom.
  int PrintClosingBlock(CDC* pDC, PrintInfo* pInfo, int top);
  // One body cell's text (shrunk by the grid's margin) and one heading cell's.
  void PrintCell(CDC* pDC, int nRow, int nCol, const CRect& rect);
  void PrintHeaderCell(CDC* pDC, int nRow, int nCol, const CRect& rect);
  // The frame of a printed cell; only the first row and column draw the outer
  // top and left lines, the others share their neighbours'.
  static void PrintCellFrame(CDC* pDC, bool notFirstRow, bool notFirstColumn, const CRect& rect);

  // The right edge of the widest of the report's tables (the grid's and the
  // readings table) when drawn from x = left; for the width question.
  int TablesRight(const ReportSource& source, int left);

  // The drawing area of a page of this size (0.1 mm) with the profile's side
  // margins: 4 mm below the top, down to the footer band 6 mm above the bottom.
  static CRect DrawingArea(int pageWidth, int pageHeight);

  // Set between OnBeginPrinting and OnEndPrinting.
  const ReportFonts& Fonts() const { return fonts_; }
  int PageWidth() const { return pageWidth_; }
  int PageHeight() const { return pageHeight_; }
  const std::optional<ReportPageMap>& PageMap() const { return pageMap_; }

 private:
  struct Column {
    int id;
    int width;
  };

  static const ReportSource* SourceOf(const PrintInfo* pInfo);
  // Page 1's head and title from pInfo->m_rectDraw.top; answers the distance below.
  int PrintFirstPageHead(CDC* pDC, PrintInfo* pInfo, const ReportSource& source);
  // The columns of the readings table and their widths.
  std::vector<Column> ReadingColumns(const CZEVViewDoc& doc, int page);
  // The texts of the readings table, row by row (headings, units, readings, totals).
  static std::vector<std::vector<std::string>> ReadingTexts(const CZEVViewDoc& doc, const std::vector<Column>& columns);
  // The body rows [first, end) from the distance `top`; answers where they end.
  int PrintBodyRows(CDC* pDC, int first, int end, int top, int left);

  const CViewerGridCtrl& grid_;
  ReportFonts fonts_;
  int pageWidth_ = 0;
  int pageHeight_ = 0;
  int rowHeight_ = 0;
  std::optional<ReportPageMap> pageMap_;
};

// Whether the report's tables fit across the drawing area of the printer's page
// (side margins from the profile): columns past its right edge are not printed.
bool ReportFitsWidth(const CViewerGridCtrl& grid, const ReportSource& source, const QPrinter& printer);

}  // namespace zv
