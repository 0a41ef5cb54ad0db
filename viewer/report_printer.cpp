// The report's job: set-up with the layout pass, the pages, the end; and the
// width question's measure.

#include "viewer/report_printer.h"

#include <QPrinter>
#include <algorithm>

#include "platform/cp1251.h"
#include "platform/profile.h"
#include "viewer/report_texts.h"
#include "viewer/view_doc.h"
#include "viewer/viewer_grid_ctrl.h"

namespace zv {

namespace {

constexpr const char* kProperties = "Poperties";
constexpr int kDefaultMargin = 1000;  // hundredths of a millimetre
constexpr int kAreaTop = 40;
constexpr int kAreaBottomGap = 60;
constexpr int kTitleGap = 30;

}  // namespace

ReportPrinter::ReportPrinter(const CViewerGridCtrl& grid) : grid_(grid) {}

ReportPrinter::~ReportPrinter() = default;

const ReportSource* ReportPrinter::SourceOf(const PrintInfo* pInfo) {
  const auto* source = static_cast<const ReportSource*>(pInfo->m_lpUserData);
  return source != nullptr && source->document != nullptr ? source : nullptr;
}

CRect ReportPrinter::DrawingArea(int pageWidth, int pageHeight) {
  const Profile profile(kProgramZEVView);
  const int left = profile.GetInt(kProperties, "leftMargin", kDefaultMargin) / 10;
  const int right = profile.GetInt(kProperties, "rightMargin", kDefaultMargin) / 10;
  return CRect(left, kAreaTop, pageWidth - right, pageHeight - kAreaBottomGap);
}

void ReportPrinter::OnBeginPrinting(CDC* pDC, PrintInfo* pInfo) {
  if (pDC == nullptr || pInfo == nullptr) return;
  fonts_.Create();
  pageMap_.reset();
  pageWidth_ = 10 * pDC->GetDeviceCaps(HORZSIZE);
  pageHeight_ = 10 * pDC->GetDeviceCaps(VERTSIZE);
  rowHeight_ = ReportRowHeight(fonts_.BodyChar().cy, IsPortraitJob(pInfo));

  UINT pages = 1;
  if (const ReportSource* source = SourceOf(pInfo)) {
    // The layout pass: page 1's head and every page's heading rows and the closing
    // block measured by the code that draws them, on a DC that only measures.
    CDC measure;
    CFont* oldFont = measure.SelectObject(&fonts_.Body());
    PrintInfo info = *pInfo;
    info.m_nCurPage = 1;
    const CRect area = DrawingArea(pageWidth_, pageHeight_);
    ReportSpace space;
    info.m_rectDraw = area;
    info.m_rectDraw.top = PrintFirstPageHead(&measure, &info, *source);
    space.firstRowsTop = PrintHeadingRows(&measure, &info);
    info.m_rectDraw = area;
    space.rowsTop = PrintHeadingRows(&measure, &info);
    space.rowHeight = rowHeight_;
    space.limit = area.bottom;
    space.closingTop = area.top;
    space.closingHeight = PrintClosingBlock(&measure, &info, 0);
    measure.SelectObject(oldFont);
    pageMap_.emplace(grid_.GetFixedRowCount(), grid_.GetRowCount(), space);
    pages = static_cast<UINT>(pageMap_->PageCount());
  }
  pInfo->SetMaxPage(pages);
  pInfo->m_nCurPage = 1;
}

void ReportPrinter::OnPrint(CDC* pDC, PrintInfo* pInfo) {
  if (pDC == nullptr || pInfo == nullptr) return;
  const ReportSource* source = SourceOf(pInfo);
  if (source == nullptr || !fonts_.IsCreated() || !pageMap_) return;
  const int page = static_cast<int>(pInfo->m_nCurPage);

  CFont* oldFont = pDC->SelectObject(&fonts_.Body());
  // Black, not the desktop's window-text colour, which may be light.
  const COLORREF oldColour = pDC->SetTextColor(RGB(0, 0, 0));
  const CPen* oldPen = pDC->SelectStockObject(BLACK_PEN);
  // Texts never paint a box of their own over the lines around them.
  const int oldMode = pDC->SetBkMode(TRANSPARENT);
  SetReportMapping(pDC);
  pageWidth_ = 10 * pDC->GetDeviceCaps(HORZSIZE);
  pageHeight_ = 10 * pDC->GetDeviceCaps(VERTSIZE);
  const CRect area = DrawingArea(pageWidth_, pageHeight_);
  pInfo->m_rectDraw = area;

  PrintHeader(pDC, pInfo);
  PrintFooter(pDC, pInfo);

  int top = area.top;
  const bool closingOnly = pageMap_->IsClosingOnly(page);
  if (page == 1) top = PrintFirstPageHead(pDC, pInfo, *source);
  if (!closingOnly) {
    pInfo->m_rectDraw = area;
    pInfo->m_rectDraw.top = top;
    top = PrintHeadingRows(pDC, pInfo);
    const PrintRange rows = pageMap_->Rows(page);
    top = PrintBodyRows(pDC, rows.first, rows.end, top, area.left);
  }
  pInfo->m_rectDraw = area;
  if (page == pageMap_->PageCount()) PrintClosingBlock(pDC, pInfo, top);

  pDC->SetWindowOrg(0, 0);
  pDC->SelectObject(oldPen);
  pDC->SetBkMode(oldMode);
  pDC->SetTextColor(oldColour);
  pDC->SelectObject(oldFont);
}

void ReportPrinter::OnEndPrinting(CDC* /*pDC*/, PrintInfo* /*pInfo*/) {
  fonts_.Delete();
  pageMap_.reset();
}

int ReportPrinter::PrintFirstPageHead(CDC* pDC, PrintInfo* pInfo, const ReportSource& source) {
  const CRect area = pInfo->m_rectDraw;
  const int kind = source.showType;
  int top = kind == 3 ? PrintSettingsPage(pDC, pInfo) : PrintDataPageHeader(pDC, pInfo);
  if (kind != 2 && kind != 3) {
    pInfo->m_rectDraw.top = top;
    top = PrintPeriodReadings(pDC, pInfo);
  }
  pInfo->m_rectDraw = area;
  top += kTitleGap;

  const char* title = nullptr;
  switch (kind) {
    case 0: title = report_text::kTitleDaily; break;
    case 1: title = report_text::kTitleHourly; break;
    case 2: title = report_text::kTitleJournal; break;
    case 3: title = report_text::kTitleParameters; break;
    default: break;
  }
  if (title != nullptr) {
    CFont bold;
    ReportFonts::MakeBold(fonts_.Heading(), bold);
    CFont* oldFont = pDC->SelectObject(&bold);
    CRect rect(area.left, top, area.right, area.bottom);
    top += pDC->DrawText(W1251(title), rect, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    pDC->SelectObject(oldFont);
  }
  return top;
}

int ReportPrinter::TablesRight(const ReportSource& source, int left) {
  const bool made = !fonts_.IsCreated();
  if (made) fonts_.Create();
  int right = left - 1;
  for (int col = 0; col < grid_.GetColumnCount(); ++col) right += 3 * std::max(0, grid_.GetColumnWidth(col));
  if (source.document != nullptr && source.showType != 2 && source.showType != 3) {
    int readingsRight = left - 1;
    for (const Column& c : ReadingColumns(*source.document, source.page)) readingsRight += c.width;
    right = std::max(right, readingsRight);
  }
  if (made) fonts_.Delete();
  return right;
}

bool ReportFitsWidth(const CViewerGridCtrl& grid, const ReportSource& source, const QPrinter& printer) {
  ReportPrinter report(grid);
  const int pageWidth = 10 * printer.widthMM();
  const int pageHeight = 10 * printer.heightMM();
  const CRect area = ReportPrinter::DrawingArea(pageWidth, pageHeight);
  return report.TablesRight(source, area.left) <= area.right;
}

}  // namespace zv
