// The four tables of the view: daily and hourly tables with their totals and
// means, the settings-change journal and the device parameters.

#include <QString>
#include <string>
#include <vector>

#include "data/data_columns.h"
#include "data/format_helpers.h"
#include "grid/gdi_dc.h"
#include "platform/cp1251.h"
#include "platform/qt/message_box.h"
#include "viewer/table_view.h"
#include "viewer/view_doc.h"
#include "viewer/viewer_grid_ctrl.h"

namespace {

using namespace zev_column;

// What a column of the daily and hourly tables shows. The pair columns (E12,
// T12, V12, ...) are the first of their two columns minus the second, which
// stand just before them: ids id - 2 and id - 1.
enum class Kind {
  kDate,
  kCounter3,      // E1, E2: difference of the counter, 3 decimals
  kCounterPair3,  // E12
  kCounter2,      // volumes and masses, 2 decimals
  kCounterPair2,  // V12, V34, M12, M34
  kMean,          // temperatures and pressures: mean of the hours
  kMeanPair,      // T12, T34, P12, P34
  kErrorCode,
  kNormalHours,
  kNoCountHours,
  kNone,  // ids outside the column table
};

Kind KindOf(int id) {
  switch (id) {
    case kDate: return Kind::kDate;
    case kE1: case kE2: return Kind::kCounter3;
    case kE12: return Kind::kCounterPair3;
    case kT1: case kT2: case kT3: case kT4: case kP1: case kP2: case kP3: case kP4: return Kind::kMean;
    case kT12: case kT34: case kP12: case kP34: return Kind::kMeanPair;
    case kV1: case kV2: case kV3: case kV4: case kV5: case kV6: case kV7: case kV8:
    case kM1: case kM2: case kM3: case kM4: return Kind::kCounter2;
    case kV12: case kV34: case kM12: case kM34: return Kind::kCounterPair2;
    case kEC: return Kind::kErrorCode;
    case kGW: return Kind::kNormalHours;
    case kEW: return Kind::kNoCountHours;
    default: return Kind::kNone;
  }
}

// The values a daily row averages.
constexpr int kMeanIds[] = {kT1, kT2, kT3, kT4, kP1, kP2, kP3, kP4};

void SetSums(CZEVDataRec& sums, const CZEVDataRec& W) {
  for (int id : kMeanIds) sums.value[static_cast<size_t>(id)] = W.value[static_cast<size_t>(id)];
}
void AddSums(CZEVDataRec& sums, const CZEVDataRec& W) {
  for (int id : kMeanIds) sums.value[static_cast<size_t>(id)] += W.value[static_cast<size_t>(id)];
}

float Value(const CZEVDataRec& r, int id) { return r.value[static_cast<size_t>(id)]; }
// The first value of a pair minus the second.
float PairOf(const CZEVDataRec& r, int id) { return Value(r, id - 2) - Value(r, id - 1); }

// Holds the grid's drawing (and with it the scroll bars' upkeep after every
// appended row) while a table is built; the bars are set once at the end.
class DrawingHeld {
 public:
  explicit DrawingHeld(CGridCtrl* grid) : grid_(grid), allowed_(grid->GetAllowDraw()) { grid_->SetAllowDraw(false); }
  ~DrawingHeld() {
    grid_->SetAllowDraw(allowed_);
    grid_->UpdateScrollBars();
  }
  DrawingHeld(const DrawingHeld&) = delete;
  DrawingHeld& operator=(const DrawingHeld&) = delete;

 private:
  CGridCtrl* grid_;
  bool allowed_;
};

std::string T(const char* utf8) { return zv::W1251(utf8); }

}  // namespace

const std::vector<int>& CTableView::PageColumns() const { return m_pDocument->header.ColumnList(m_nPage); }

bool CTableView::SetupHeadingRows(const CFont& font, const std::vector<std::vector<std::string>>& rows,
                                  UINT format) {
  CViewerGridCtrl& grid = *m_pGrid;
  grid.SetFont(&font);
  // The table before goes whole: rows kept over would keep the heights of its
  // font, and its scroll position would open the new table part-way down (the
  // bars' upkeep is held while a table is built). The new table starts at its
  // top, its rows as high as its own font makes them.
  grid.SetRowCount(0);
  grid.SetScrollPosition(SB_VERT, 0);
  const int count = static_cast<int>(rows.size());
  const int columns = rows.empty() ? 0 : static_cast<int>(rows[0].size());
  if (!grid.SetRowCount(count) || !grid.SetFixedRowCount(count) || !grid.SetColumnCount(columns)) {
    zv::ShowMessage(QString::fromUtf8("Недостаточно памяти."), zv::MessageIcon::kError);
    return false;
  }
  grid.SetEditable(false);
  grid.SetListMode(false);
  for (int row = 0; row < count; ++row)
    for (int col = 0; col < columns; ++col) {
      GridItem item;
      item.mask = ItemText | ItemFormat;
      item.row = row;
      item.col = col;
      item.strText = rows[static_cast<size_t>(row)][static_cast<size_t>(col)];
      item.nFormat = format;
      grid.SetItem(&item);
    }
  return true;
}

bool CTableView::SetupDataColumns() {
  std::vector<std::vector<std::string>> rows(2);
  const auto& table = zv::ViewerColumnTable();
  for (int id : PageColumns()) {
    const bool known = id >= 0 && id < static_cast<int>(table.size());
    rows[0].push_back(known ? table[static_cast<size_t>(id)].title : std::string());
    rows[1].push_back(known ? table[static_cast<size_t>(id)].unit : std::string());
  }
  return SetupHeadingRows(m_DataFont, rows, DT_CENTER | DT_VCENTER);
}

bool CTableView::SetupJournalColumns() {
  return SetupHeadingRows(m_TextFont, {{T("Дата"), T("Изменения")}}, DT_VCENTER);
}

bool CTableView::SetupParameterColumns() {
  return SetupHeadingRows(m_TextFont, {{T("Параметр"), T("Значение"), T("Ед.измерения")}}, DT_VCENTER);
}

void CTableView::OnUpdate() {
  if (m_pGrid == nullptr || m_pDocument == nullptr) return;
  {
    DrawingHeld held(m_pGrid);
    switch (m_nShowType) {
      case kJournal: BuildJournal(); break;
      case kParameters: BuildParameters(); break;
      default: BuildDataTable(); break;
    }
    m_pGrid->AutoSizeColumns();
  }
  m_pGrid->Refresh();
}

void CTableView::BuildDataTable() {
  if (!SetupDataColumns()) return;
  if (m_pGrid->GetRowCount() > 2) m_pGrid->DeleteDataRows();
  m_nNormalHours = m_nNoCountHours = m_nErrorBits = 0;

  const CZEVViewDoc& doc = *m_pDocument;
  const int mask = doc.header.GetInt("UCONTROL") != 0 ? 0xFFFF : 0x7FFF;
  auto normal = [mask](const CZEVDataRec& r) { return (r.error & mask) == 0 ? 1 : 0; };
  const std::vector<CZEVDataRec>& records = doc.records;
  if (records.empty()) return;

  int B = 0, P = 0, Q = 0, R = 0, S = 0;
  CZEVDataRec sums;
  bool first = true;
  // The base record: the last line before the period, or the period's first one.
  const CZEVDataRec* V = &records.front();
  const bool daily = m_nShowType == kDaily;
  for (size_t i = 1; i < records.size(); ++i) {
    const CZEVDataRec& W = records[i];
    if (!daily) {
      // Every record counts one hour; a row only for the hour right after V.
      B = W.error & mask;
      P = normal(W);
      Q = 1;
      DateStamp next = V->time;
      if (next.Increment(DateStamp::kHour).Compare(W.time, DateStamp::kHour) == 0) {
        SetSums(sums, W);
        AddDataRow(W, *V, sums, B, P, 1);
      }
      R += P;
      S += Q - P;
      B = P = Q = 0;
      V = &W;
      continue;
    }
    if (first && W.time.hour == 0) {
      first = false;
      SetSums(sums, W);
      B |= W.error & mask;
      P += normal(W);
      Q += 1;
      V = &W;
      continue;
    }
    if (W.time.hour > 0 && W.time.Compare(V->time, DateStamp::kDay) == 0) {
      first = false;
      B |= W.error & mask;
      P += normal(W);
      AddSums(sums, W);
      Q += 1;
      continue;
    }
    DateStamp next = V->time;
    if (next.Increment(DateStamp::kDay).Compare(W.time, DateStamp::kDay) != 0) {
      // A gap: the hours so far count, W itself counts nowhere.
      R += P;
      S += Q - P;
      B = P = Q = 0;
      V = &W;
      sums = CZEVDataRec();
      continue;
    }
    // W lies on the day after V's: V's day ends at W. A day that gathered no
    // hour (V the base record, W not at 00:00) has nothing to average: no row.
    if (Q > 0) AddDataRow(W, *V, sums, B, P, Q);
    SetSums(sums, W);
    R += P;
    S += Q - P;
    B = W.error & mask;
    P = normal(W);
    Q = 1;
    V = &W;
  }
  if (daily && Q > 1) {
    AddDataRow(records.back(), *V, sums, B, P, Q);
    R += P;
    S += Q - P;
  }
  if (doc.summary.size() == 2) AddFooterRows(R, S);
  // The totals stand whatever the page's columns: the report prints them.
  m_nNormalHours = R;
  m_nNoCountHours = S;
}

void CTableView::AddDataRow(const CZEVDataRec& W, const CZEVDataRec& V, const CZEVDataRec& sums, int B, int P,
                            int Q) {
  const bool daily = m_nShowType == kDaily;
  const std::string date = daily ? V.time.Format(false) : W.time.Format(true);
  const int row = m_pGrid->InsertRow(date, -1);
  if (row < 0) return;
  m_nErrorBits |= B;
  const float q = static_cast<float>(Q);
  int col = 0;
  for (int id : PageColumns()) {
    std::string text;
    switch (KindOf(id)) {
      case Kind::kDate: text = date; break;
      case Kind::kCounter3: text = FormatFloatDigits(Value(W, id) - Value(V, id), 3); break;
      case Kind::kCounterPair3: text = FormatFloatDigits(PairOf(W, id) - PairOf(V, id), 3); break;
      case Kind::kCounter2: text = FormatFloatDigits(Value(W, id) - Value(V, id), 2); break;
      case Kind::kCounterPair2: text = FormatFloatDigits(PairOf(W, id) - PairOf(V, id), 2); break;
      case Kind::kMean: text = FormatFloatDigits(Value(sums, id) / q, 2); break;
      case Kind::kMeanPair: text = FormatFloatDigits(Value(sums, id - 2) / q - Value(sums, id - 1) / q, 2); break;
      case Kind::kErrorCode: text = ErrorCodeText(B); break;
      case Kind::kNormalHours: text = FormatIntDigits(P, -1); break;
      case Kind::kNoCountHours: text = FormatIntDigits(Q - P, -1); break;
      case Kind::kNone: break;
    }
    m_pGrid->SetItemText(row, col++, text);
  }
}

void CTableView::AddFooterRows(int R, int S) {
  const CZEVDataRec& s = m_pDocument->summary.front();
  const std::vector<int>& ids = PageColumns();
  // One footer row: the text of each kind of column (DATE's cell is left alone).
  auto addRow = [&](const char* heading, auto textOf) {
    const int row = m_pGrid->InsertRow(T(heading), -1);
    if (row < 0) return;
    for (size_t col = 0; col < ids.size(); ++col)
      if (KindOf(ids[col]) != Kind::kDate) m_pGrid->SetItemText(row, static_cast<int>(col), textOf(ids[col]));
  };
  addRow("ИТОГО:", [&](int id) {
    switch (KindOf(id)) {
      case Kind::kCounter3: return FormatFloatDigits(Value(s, id), 3);
      case Kind::kCounterPair3: return FormatFloatDigits(PairOf(s, id), 3);
      case Kind::kCounter2: return FormatFloatDigits(Value(s, id), 2);
      case Kind::kCounterPair2: return FormatFloatDigits(PairOf(s, id), 2);
      case Kind::kNormalHours: return FormatIntDigits(R, -1);
      case Kind::kNoCountHours: return FormatIntDigits(S, -1);
      default: return std::string();
    }
  });
  addRow("СРЕДНИЕ:", [&](int id) {
    switch (KindOf(id)) {
      case Kind::kMean: return FormatFloatDigits(Value(s, id), 2);
      case Kind::kMeanPair: return FormatFloatDigits(PairOf(s, id), 2);
      default: return std::string();
    }
  });
}

void CTableView::BuildJournal() {
  if (!SetupJournalColumns()) return;
  if (m_pGrid->GetRowCount() > 1) m_pGrid->DeleteDataRows();
  for (const CLastChangesRec& entry : m_pDocument->journal) {
    const int row = m_pGrid->InsertRow(entry.time.Format(true), -1);
    if (row >= 0) m_pGrid->SetItemText(row, 1, entry.text);
  }
}

void CTableView::BuildParameters() {
  if (!SetupParameterColumns()) return;
  if (m_pGrid->GetRowCount() > 1) m_pGrid->DeleteDataRows();
  const CDataHeader& header = m_pDocument->header;
  auto add = [this](const std::string& label, const std::string& value, const std::string& unit) {
    const int row = m_pGrid->InsertRow(label, -1);
    if (row < 0) return;
    m_pGrid->SetItemText(row, 1, value);
    if (!unit.empty()) m_pGrid->SetItemText(row, 2, unit);
  };
  static const char* const kSensorTypes[] = {"Pt100en", "Pt500en", "Pt100ru", "Pt500ru"};
  const int sensors = header.GetInt("CN_PT");
  add(T("Серийный номер прибора"), header.GetString("N"), {});
  add(T("Версия прибора"), header.GetString("V"), {});
  add(T("Схема"), header.GetString("SCHEMA"), {});
  add(T("Время наработки"), header.GetString("WTIME"), T("часов"));
  add(T("Температура холодной воды"), header.GetString("TCW"), T("°С"));
  add(T("Тип термодатчиков"), sensors >= 0 && sensors < 4 ? kSensorTypes[sensors] : "", {});
  const int meters = header.GetInt("V") == 8 ? 8 : 4;
  for (int n = 1; n <= meters; ++n)
    add(T("Вес импульса расходомера ") + std::to_string(n), header.GetString("CN_L" + std::to_string(n)),
        T("л/имп"));
}
