#include "viewer/columns_show.h"

#include <QCheckBox>
#include <algorithm>
#include <QGridLayout>

#include "data/data_columns.h"

namespace {

namespace col = zev_column;

struct ColumnBox {
  int id;
  const char* label;  // UTF-8
};

// The boxes in the columns of the page: energies, temperatures, volumes, further
// volumes, masses, pressures; the error code and the hours below them.
const std::vector<std::vector<ColumnBox>>& Groups() {
  static const std::vector<std::vector<ColumnBox>> groups = {
      {{col::kE1, "E1"}, {col::kE2, "E2"}, {col::kE12, "E12"}},
      {{col::kT1, "T1"}, {col::kT2, "T2"}, {col::kT12, "T1-T2"}, {col::kT3, "T3"}, {col::kT4, "T4"},
       {col::kT34, "T3-T4"}},
      {{col::kV1, "V1"}, {col::kV2, "V2"}, {col::kV12, "V1-V2"}, {col::kV3, "V3"}, {col::kV4, "V4"},
       {col::kV34, "V3-V4"}},
      {{col::kV5, "V5"}, {col::kV6, "V6"}, {col::kV7, "V7"}, {col::kV8, "V8"}},
      {{col::kM1, "M1"}, {col::kM2, "M2"}, {col::kM12, "M1-M2"}, {col::kM3, "M3"}, {col::kM4, "M4"},
       {col::kM34, "M3-M4"}},
      {{col::kP1, "P1"}, {col::kP2, "P2"}, {col::kP12, "P1-P2"}, {col::kP3, "P3"}, {col::kP4, "P4"},
       {col::kP34, "P3-P4"}},
  };
  return groups;
}

constexpr ColumnBox kCounters[] = {{col::kEC, "Код ошибки"},
                                   {col::kGW, "Время нормальной работы"},
                                   {col::kEW, "Время отсутствия счета"}};

}  // namespace

CColumnsShow::CColumnsShow(QWidget* parent) : QWidget(parent) {
  auto* layout = new QGridLayout(this);
  int column = 0;
  int rows = 0;
  for (const std::vector<ColumnBox>& group : Groups()) {
    int row = 0;
    for (const ColumnBox& b : group) {
      auto* box = new QCheckBox(QString::fromUtf8(b.label), this);
      boxes_[static_cast<size_t>(b.id)] = box;
      layout->addWidget(box, row++, column);
    }
    rows = std::max(rows, row);
    ++column;
  }
  int at = 0;
  for (const ColumnBox& b : kCounters) {
    auto* box = new QCheckBox(QString::fromUtf8(b.label), this);
    boxes_[static_cast<size_t>(b.id)] = box;
    layout->addWidget(box, rows, at, 1, 2);
    at += 2;
  }
  layout->setRowStretch(rows + 1, 1);
}

QCheckBox* CColumnsShow::Box(int id) const {
  return id >= 0 && id < static_cast<int>(boxes_.size()) ? boxes_[static_cast<size_t>(id)] : nullptr;
}

void CColumnsShow::SetColumns(const std::vector<int>& list) {
  for (int id : list) {
    if (id >= 0 && id < static_cast<int>(check.size())) check[static_cast<size_t>(id)] = 1;
  }
  UpdateData(false);
}

void CColumnsShow::UpdateData(bool save) {
  for (size_t id = 0; id < boxes_.size(); ++id) {
    if (boxes_[id] == nullptr) continue;
    if (save) {
      check[id] = boxes_[id]->isChecked() ? 1 : 0;
    } else {
      boxes_[id]->setChecked(check[id] != 0);
    }
  }
}

std::vector<int> CColumnsShow::CheckedColumns() {
  check[col::kDate] = 1;
  std::vector<int> list;
  for (size_t id = 0; id < check.size(); ++id) {
    if (check[id] == 1) list.push_back(static_cast<int>(id));
  }
  return list;
}
