// The block that closes the report's last page: the hours of normal work and
// without counting, the error legend and the error hours of each channel, and
// the signature lines.

#include <algorithm>
#include <string>
#include <vector>

#include "data/data_columns.h"
#include "data/format_helpers.h"
#include "platform/cp1251.h"
#include "platform/str_format.h"
#include "viewer/report_printer.h"
#include "viewer/report_texts.h"
#include "viewer/view_doc.h"

namespace zv {

namespace {

constexpr int kBlockGap = 60;
constexpr int kLineGap = 15;
constexpr int kSignatureGap = 30;
constexpr int kSecondChannel = 500;  // the second channel's lines stand 5 cm right of the first's
constexpr UINT kLine = DT_LEFT | DT_SINGLELINE | DT_NOPREFIX;

// Whether the page's columns count errors or hours (EC, GW or EW).
bool CountsErrorsOrHours(const std::vector<int>& ids) {
  return std::any_of(ids.begin(), ids.end(), [](int id) {
    return id == zev_column::kEC || id == zev_column::kGW || id == zev_column::kEW;
  });
}

}  // namespace

int ReportPrinter::PrintClosingBlock(CDC* pDC, PrintInfo* pInfo, int top) {
  const ReportSource* source = pDC != nullptr && pInfo != nullptr ? SourceOf(pInfo) : nullptr;
  if (source == nullptr) return top;
  const CZEVViewDoc& doc = *source->document;
  const CRect area = pInfo->m_rectDraw;
  CFont* oldFont = pDC->SelectObject(&fonts_.Heading());
  auto line = [&](const std::string& text, int x) {
    CRect rect(x, top, area.right, area.bottom);
    return pDC->DrawText(text, rect, kLine);
  };
  top += kBlockGap;

  const int kind = source->showType;
  if ((kind == 0 || kind == 1) && CountsErrorsOrHours(doc.header.ColumnList(source->page))) {
    top += line(StrFormat(W1251(report_text::kHoursLine).c_str(), source->normalHours, source->noCountHours),
                area.left) + kLineGap;
    const int legend = line(W1251(report_text::kErrorLegend), area.left);
    top += legend + kLineGap;
    if (!doc.summary.empty()) {
      const CZEVDataRec& counters = doc.summary.back();
      // Each channel's lines: its label, then one tab-indented line per error.
      constexpr UINT kLines = DT_LEFT | DT_EXPANDTABS | DT_NOPREFIX;
      std::string first = ErrorHoursText(counters.value, 1);
      if (first.empty()) first = W1251(report_text::kNoErrors);
      CRect rect(area.left, top, area.right, area.bottom);
      int height = pDC->DrawText(W1251(report_text::kChannel1) + first, rect, kLines);
      if (doc.header.GetInt("SCHEMA") > 10) {
        CRect second(area.left + kSecondChannel, top, area.right, area.bottom);
        height = std::max(height, pDC->DrawText(W1251(report_text::kChannel2) + ErrorHoursText(counters.value, 2),
                                                second, kLines));
      }
      top += height + kLineGap;
    } else {
      top += legend + kLineGap;
    }
  }

  top += line(W1251(report_text::kSignatures1), area.left) + kSignatureGap;
  top += line(W1251(report_text::kSignatures2), area.left);
  pDC->SelectObject(oldFont);
  return top;
}

}  // namespace zv
