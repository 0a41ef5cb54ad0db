#include "data/data_columns.h"

#include "platform/ascii.h"
#include "platform/cp1251.h"

namespace zv {
namespace {

struct Row {
  const char* key;
  const char* title;  // UTF-8 here, Windows-1251 in the table
  const char* unit;
};

// "°C": the C is the Latin letter.
constexpr Row kViewerRows[] = {
    {"DATE", "", "Дата"},       {"E1", "E1", "Гкал"},        {"E2", "E2", "Гкал"},
    {"E12", "E1-E2", "Гкал"},   {"T1", "T1", "°C"},          {"T2", "T2", "°C"},
    {"T12", "T1-T2", "°C"},     {"T3", "T3", "°C"},          {"T4", "T4", "°C"},
    {"T34", "T3-T4", "°C"},     {"V1", "V1", "м3"},          {"V2", "V2", "м3"},
    {"V12", "V1-V2", "м3"},     {"V3", "V3", "м3"},          {"V4", "V4", "м3"},
    {"V34", "V3-V4", "м3"},     {"V5", "V5", "м3"},          {"V6", "V6", "м3"},
    {"V7", "V7", "м3"},         {"V8", "V8", "м3"},          {"M1", "M1", "т"},
    {"M2", "M2", "т"},          {"M12", "M1-M2", "т"},       {"M3", "M3", "т"},
    {"M4", "M4", "т"},          {"M34", "M3-M4", "т"},       {"P1", "P1", "кгс/см2"},
    {"P2", "P2", "кгс/см2"},    {"P12", "P1-P2", "кгс/см2"}, {"P3", "P3", "кгс/см2"},
    {"P4", "P4", "кгс/см2"},    {"P34", "P3-P4", "кгс/см2"}, {"EC", "ОШ", "код"},
    {"GW", "ВНР", "час"},       {"EW", "ВОС", "час"},
};

constexpr Row kWorkstationRows[] = {
    {"DATE", "", "Дата"},     {"E1", "E1", "Гкал"},     {"E2", "E2", "Гкал"},     {"T1", "T1", "°C"},
    {"T2", "T2", "°C"},       {"T3", "T3", "°C"},       {"T4", "T4", "°C"},       {"V1", "V1", "м3"},
    {"V2", "V2", "м3"},       {"V3", "V3", "м3"},       {"V4", "V4", "м3"},       {"V5", "V5", "м3"},
    {"V6", "V6", "м3"},       {"V7", "V7", "м3"},       {"V8", "V8", "м3"},       {"M1", "M1", "т"},
    {"M2", "M2", "т"},        {"M3", "M3", "т"},        {"M4", "M4", "т"},        {"P1", "P1", "атм"},
    {"P2", "P2", "атм"},      {"P3", "P3", "атм"},      {"P4", "P4", "атм"},      {"E12", "E1-E2", "Гкал"},
    {"T12", "T1-T2", "°C"},   {"T34", "T3-T4", "°C"},   {"V12", "V1-V2", "м3"},   {"V34", "V3-V4", "м3"},
    {"M12", "M1-M2", "т"},    {"M34", "M3-M4", "т"},    {"P12", "P1-P2", "атм"},  {"EC", "ОШ", "код"},
    {"GW", "ВНР", "час"},     {"EW", "ВОС", "час"},
};

template <size_t N>
std::vector<CDataColumn> MakeTable(const Row (&rows)[N]) {
  std::vector<CDataColumn> table;
  table.reserve(N);
  for (size_t i = 0; i < N; ++i) {
    table.push_back({static_cast<int>(i), rows[i].key, W1251(rows[i].title), W1251(rows[i].unit)});
  }
  return table;
}

}  // namespace

const std::vector<CDataColumn>& ViewerColumnTable() {
  static const std::vector<CDataColumn> table = MakeTable(kViewerRows);
  return table;
}

const std::vector<CDataColumn>& WorkstationColumnTable() {
  static const std::vector<CDataColumn> table = MakeTable(kWorkstationRows);
  return table;
}

int FindColumnByKey(const std::vector<CDataColumn>& table, std::string_view key) {
  for (const CDataColumn& c : table) {
    if (EqualsNoCase(c.key, key)) return c.id;
  }
  return -1;
}

}  // namespace zv
