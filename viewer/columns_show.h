#pragma once
// CColumnsShow: one report page of the node settings dialog, a check box per
// column that the page can print. DATE has no box: it always leads a list.
//
// `check` holds the state by column id (1 checked); UpdateData moves it between
// the fields and the boxes as the dialog's data exchange does.

#include <QWidget>
#include <array>
#include <vector>

class QCheckBox;

class CColumnsShow : public QWidget {
  Q_OBJECT

 public:
  explicit CColumnsShow(QWidget* parent = nullptr);

  // Checks the columns of `list` (ids), then shows the fields.
  void SetColumns(const std::vector<int>& list);
  // true: boxes -> check; false: check -> boxes.
  void UpdateData(bool save);
  // The page as a column list: DATE first, then every checked id in ascending
  // order (after UpdateData(true)).
  std::vector<int> CheckedColumns();

  // The box of column `id` (nullptr for DATE and ids without a box).
  QCheckBox* Box(int id) const;

  std::array<int, 35> check{};

 private:
  std::array<QCheckBox*, 35> boxes_{};
};
