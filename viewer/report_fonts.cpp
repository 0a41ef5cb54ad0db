#include "viewer/report_fonts.h"

#include <QPageLayout>
#include <QPrinter>
#include <string>

#include "grid/print_driver.h"

namespace zv {

namespace {

// The 52 letters whose extent gives the average character width (the sample's
// 53rd letter is not measured).
constexpr char kCharSizeSample[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ";
constexpr int kCharSizeLetters = 52;

void CreateArial(CFont& font, int height) {
  font.CreateFont(height, 0, 0, 0, FW_NORMAL, false, false, false, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                  CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
}

}  // namespace

void SetReportMapping(CDC* pDC) {
  pDC->SetMapMode(MM_ANISOTROPIC);
  pDC->SetWindowExt(254, 254);
  pDC->SetViewportExt(pDC->GetDeviceCaps(LOGPIXELSX), pDC->GetDeviceCaps(LOGPIXELSY));
  pDC->SetWindowOrg(0, 0);
}

bool IsPortraitJob(const PrintInfo* pInfo) {
  if (pInfo == nullptr || pInfo->m_pPrinter == nullptr) return true;
  return pInfo->m_pPrinter->pageLayout().orientation() == QPageLayout::Portrait;
}

int ReportRowHeight(int bodyCharHeight, bool portrait) {
  return portrait ? bodyCharHeight + bodyCharHeight / 2 : bodyCharHeight + 6;
}

void ReportFonts::Create() {
  CreateArial(body_, kBodyHeight);
  CreateArial(heading_, kHeadingHeight);
  CDC dc;  // measures only
  bodyChar_ = CharSize(&dc, body_);
  headingChar_ = CharSize(&dc, heading_);
}

void ReportFonts::Delete() {
  body_.DeleteObject();
  heading_.DeleteObject();
}

void ReportFonts::MakeBold(const CFont& base, CFont& bold, int height) {
  LOGFONT lf = base.GetLogFont();
  lf.lfWeight = FW_BOLD;
  if (height != 0) lf.lfHeight = height;
  bold.CreateFontIndirect(lf);
}

CSize ReportFonts::CharSize(CDC* pDC, CFont& font) {
  CFont* old = pDC->SelectObject(&font);
  const CSize extent = pDC->GetTextExtent(std::string(kCharSizeSample, kCharSizeLetters));
  pDC->SelectObject(old);
  return CSize(extent.cx / kCharSizeLetters, extent.cy);
}

}  // namespace zv
