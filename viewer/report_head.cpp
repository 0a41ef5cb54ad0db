// The first page's head of the report: the node, its heat computer and the period
// (or the state date), and the table of the meter readings at the end and the
// start of the period.

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

namespace col = zev_column;

constexpr int kLabelWidth = 400;   // the labels end 40 mm right of the left edge
constexpr int kValueIndent = 450;  // the values start 5 mm right of them
constexpr int kLineGap = 5;
constexpr int kReadingsTitleGap = 10;
constexpr UINT kLine = DT_SINGLELINE | DT_NOPREFIX;

// The ids a readings table shows: the date, the energies, volumes and masses.
bool IsReadingColumn(int id) { return (id >= col::kDate && id <= col::kE12) || (id >= col::kV1 && id <= col::kM34); }

float Value(const CZEVDataRec& r, int id) { return r.value[static_cast<size_t>(id)]; }

// One reading (or the period's totals) in a column of the readings table.
std::string ReadingText(const CZEVDataRec& r, int id, bool totals) {
  auto difference = [&r](int a, int b) { return Value(r, a) - Value(r, b); };
  switch (id) {
    case col::kDate: return totals ? W1251(report_text::kTotals) : r.time.Format(true);
    case col::kE1:
    case col::kE2: return FormatFloatDigits(Value(r, id), 3);
    case col::kE12: return FormatFloatDigits(difference(col::kE1, col::kE2), totals ? 2 : 3);
    case col::kV12: return FormatFloatDigits(difference(col::kV1, col::kV2), 2);
    case col::kV34: return FormatFloatDigits(difference(col::kV3, col::kV4), 2);
    case col::kM12: return FormatFloatDigits(difference(col::kM1, col::kM2), 2);
    case col::kM34: return FormatFloatDigits(difference(col::kM3, col::kM4), 2);
    default: return FormatFloatDigits(Value(r, id), 2);
  }
}

// The period line of the data head, the date line of the settings head.
std::string PeriodText(const CZEVViewDoc& doc, bool settings) {
  const std::vector<CZEVDataRec>& readings = doc.startEnd;
  if (readings.empty()) return W1251(report_text::kNoData);
  if (settings) return readings.front().time.Format(false);
  const std::string end = readings.front().time.Format(true);
  if (readings.size() == 1) return W1251(report_text::kTo) + end;
  return W1251(report_text::kFrom) + readings[1].time.Format(true) + W1251(report_text::kTo) + end;
}

// Both heads: a centred bold title, three labels right-aligned in a column of
// their own and the three values beside them.
int PrintHead(CDC* pDC, PrintInfo* pInfo, CFont& headingFont, const CZEVViewDoc& doc, bool settings) {
  const CRect area = pInfo->m_rectDraw;
  CFont bold;
  ReportFonts::MakeBold(headingFont, bold);
  CFont* oldFont = pDC->SelectObject(&bold);
  int top = area.top;
  CRect title(area.left, top, area.right, area.bottom);
  top += pDC->DrawText(W1251(settings ? report_text::kSettingsHead : report_text::kDataHead), title,
                       DT_CENTER | kLine);

  const char* labels[] = {report_text::kSubscriberLabel, report_text::kComputerLabel,
                          settings ? report_text::kStateLabel : report_text::kPeriodLabel};
  for (int i = 0; i < 3; ++i) {
    CRect rect(area.left, top, area.left + kLabelWidth, area.bottom);
    const int height = pDC->DrawText(W1251(labels[i]), rect, DT_RIGHT | kLine);
    // After the last label, back up to the line of the first.
    top += i < 2 ? height + kLineGap : -(2 * height + 10);
  }

  pDC->SelectObject(&headingFont);
  bold.DeleteObject();
  const CDataHeader& header = doc.header;
  std::string name = header.GetString("NAME");
  if (name.empty()) name = W1251(report_text::kNoName);
  const std::string values[] = {
      name,
      StrFormat(W1251(report_text::kComputerLine).c_str(), header.GetInt("N"), header.GetInt("WTIME"),
                header.GetFloat("TCW")),
      PeriodText(doc, settings),
  };
  for (const std::string& value : values) {
    CRect rect(area.left + kValueIndent, top, area.right, area.bottom);
    top += pDC->DrawText(value, rect, DT_LEFT | kLine) + kLineGap;
  }
  pDC->SelectObject(oldFont);
  return top;
}

}  // namespace

int ReportPrinter::PrintDataPageHeader(CDC* pDC, PrintInfo* pInfo) {
  const ReportSource* source = pDC != nullptr && pInfo != nullptr ? SourceOf(pInfo) : nullptr;
  if (source == nullptr) return pInfo != nullptr ? pInfo->m_rectDraw.top : 0;
  return PrintHead(pDC, pInfo, fonts_.Heading(), *source->document, false);
}

int ReportPrinter::PrintSettingsPage(CDC* pDC, PrintInfo* pInfo) {
  const ReportSource* source = pDC != nullptr && pInfo != nullptr ? SourceOf(pInfo) : nullptr;
  if (source == nullptr) return pInfo != nullptr ? pInfo->m_rectDraw.top : 0;
  return PrintHead(pDC, pInfo, fonts_.Heading(), *source->document, true);
}

std::vector<std::vector<std::string>> ReportPrinter::ReadingTexts(const CZEVViewDoc& doc,
                                                                  const std::vector<Column>& columns) {
  const auto& table = ViewerColumnTable();
  std::vector<std::vector<std::string>> rows(2);
  for (const Column& c : columns) {
    const CDataColumn& column = table[static_cast<size_t>(c.id)];
    rows[0].push_back(c.id == col::kDate ? std::string() : column.title);
    rows[1].push_back(column.unit);
  }
  auto addRow = [&](const CZEVDataRec& record, bool totals) {
    std::vector<std::string>& row = rows.emplace_back();
    for (const Column& c : columns) row.push_back(ReadingText(record, c.id, totals));
  };
  for (const CZEVDataRec& reading : doc.startEnd) addRow(reading, false);
  if (!doc.summary.empty()) addRow(doc.summary.front(), true);
  return rows;
}

std::vector<ReportPrinter::Column> ReportPrinter::ReadingColumns(const CZEVViewDoc& doc, int page) {
  std::vector<Column> columns;
  for (int id : doc.header.ColumnList(page))
    if (IsReadingColumn(id)) columns.push_back(Column{id, (doc.width[static_cast<size_t>(id)] + 4) * fonts_.HeadingChar().cx});
  // A column is at least as wide as its widest text with a character's room on
  // each side: the widths above count the characters of the totals, while the
  // readings are the counters themselves, many digits longer.
  CDC measure;
  measure.SelectObject(&fonts_.Body());
  const int room = 2 * fonts_.BodyChar().cx;
  for (const std::vector<std::string>& row : ReadingTexts(doc, columns))
    for (size_t i = 0; i < row.size(); ++i)
      columns[i].width = std::max(columns[i].width, measure.GetTextExtent(row[i]).cx + room);
  return columns;
}

int ReportPrinter::PrintPeriodReadings(CDC* pDC, PrintInfo* pInfo) {
  const ReportSource* source = pDC != nullptr && pInfo != nullptr ? SourceOf(pInfo) : nullptr;
  if (source == nullptr) return pInfo != nullptr ? pInfo->m_rectDraw.top : 0;
  const CZEVViewDoc& doc = *source->document;
  const CRect area = pInfo->m_rectDraw;

  CFont* oldFont;
  int top = area.top + kReadingsTitleGap;
  {
    CFont bold;
    ReportFonts::MakeBold(fonts_.Heading(), bold);
    oldFont = pDC->SelectObject(&bold);
    CRect rect(area.left, top, area.right, area.bottom);
    top += pDC->DrawText(W1251(report_text::kReadingsTitle), rect, DT_LEFT | kLine);
    pDC->SelectObject(&fonts_.Body());
  }

  const std::vector<Column> columns = ReadingColumns(doc, source->page);
  const std::vector<std::vector<std::string>> rows = ReadingTexts(doc, columns);
  const int rowHeight = fonts_.HeadingChar().cy + fonts_.HeadingChar().cy / 3 - 1;
  for (size_t r = 0; r < rows.size(); ++r) {
    // The heading rows are numbered 0 and 1, the reading rows from 0 again: the
    // first of each draws its top line.
    const bool notFirstRow = r < 2 ? r > 0 : r > 2;
    int x = area.left;
    for (size_t c = 0; c < columns.size(); ++c) {
      CRect cell(x, top, x + columns[c].width - 1, top + rowHeight);
      CRect text = cell;
      pDC->DrawText(rows[r][c], text, DT_CENTER | DT_VCENTER | kLine);
      PrintCellFrame(pDC, notFirstRow, c > 0, cell);
      x = cell.right + 1;
    }
    top += rowHeight;
  }
  pDC->SelectObject(oldFont);
  return top;
}

}  // namespace zv
