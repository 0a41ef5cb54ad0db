#pragma once
// The table view tests' fixture: generated node files in a folder of their own,
// a fixed viewing period, the message hook, one document and its views, and the
// tables read back as texts.

#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "data/data_columns.h"
#include "platform/cp1251.h"
#include "platform/profile.h"
#include "platform/qt/message_box.h"
#include "tests/sim/node_file_generator.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/modal_answer.h"
#include "viewer/node_properties.h"
#include "viewer/period_source.h"
#include "viewer/table_view.h"
#include "viewer/view_doc.h"
#include "viewer/viewer_grid_ctrl.h"

namespace zv::test {

inline DateStamp At(int y, int mo, int d, int h = 0) { return DateStamp(y, mo, d, h, 0, 0); }

class TableViewTest : public testing::Test {
 protected:
  TableViewTest() { QCoreApplication::setApplicationName("ZEVView"); }

  // The view's node settings command, the dialog answered by `act` once it runs
  // modally; false when it never ran.
  static bool RunNodeSettings(CTableView& view, const std::function<void(CNodeProperties&)>& act) {
    return AnswerModal<CNodeProperties>([&view] { view.OnNodeSettings(); }, act);
  }
  // The dialog's answer that changes the scheme of channel 1 to 2 ("X2").
  static void ChooseScheme2(CNodeProperties& d) {
    d.channel1List()->setCurrentIndex(1);
    emit d.channel1List()->activated(1);
    d.okButton()->click();
  }

  // Every hour from `first` to `last`, both included (V 4, N 00012).
  static sim::NodeFilePlan Hours(const DateStamp& first, const DateStamp& last) {
    sim::NodeFilePlan plan;
    plan.data = sim::HourlySeries::Between(first, last);
    return plan;
  }
  // The two days 01.03.2024 and 02.03.2024 with the base record before them and
  // the first record after them.
  static sim::NodeFilePlan TwoDays() { return Hours(At(2024, 2, 29, 23), At(2024, 3, 3, 0)); }

  // Writes the file and opens the document for the period.
  bool Open(const sim::NodeFilePlan& plan, const DateStamp& begin, const DateStamp& end) {
    path = sim::WriteNodeFile(dir.path(), plan);
    EXPECT_FALSE(path.empty());
    period.begin = begin;
    period.end = end;
    return doc.OnOpenDocument(path);
  }
  // A view of the document made with the profile's show type, shown and updated.
  CTableView& NewView(int showType) {
    Profile(kProgramZEVView).WriteInt("Settings", "ShowType", showType);
    auto view = std::make_unique<CTableView>(&doc);
    view->resize(1000, 600);
    view->show();
    QObject::connect(view.get(), &CTableView::FrameMaximizeRequested, [this] { ++maximized; });
    view->OnInitialUpdate();
    views.push_back(std::move(view));
    return *views.back();
  }

  // The table's rows as texts, cells joined by "|" (Windows-1251 turned UTF-8).
  static std::vector<std::string> Rows(const CTableView& view, int firstRow = 0) {
    std::vector<std::string> rows;
    const CViewerGridCtrl* grid = view.GetGrid();
    for (int row = firstRow; row < grid->GetRowCount(); ++row) {
      std::string line;
      for (int col = 0; col < grid->GetColumnCount(); ++col)
        line += (col > 0 ? "|" : "") + Cp1251ToUtf8(grid->GetItemText(row, col));
      rows.push_back(line);
    }
    return rows;
  }
  // The row whose column 0 reads `heading` (UTF-8); -1 when none does.
  static int RowOf(const CTableView& view, const std::string& heading) {
    const CViewerGridCtrl* grid = view.GetGrid();
    for (int row = 0; row < grid->GetRowCount(); ++row)
      if (grid->GetItemText(row, 0) == W1251(heading)) return row;
    return -1;
  }
  // The text of a row (by its heading) in the column of an id of the page.
  static std::string Cell(const CTableView& view, const std::string& heading, int id) {
    const int row = RowOf(view, heading);
    const std::vector<int>& ids = view.GetDocument()->header.ColumnList(view.GetPage());
    for (size_t col = 0; col < ids.size(); ++col)
      if (ids[col] == id && row >= 0) return Cp1251ToUtf8(view.GetGrid()->GetItemText(row, static_cast<int>(col)));
    return "(missing)";
  }
  // The document's record at a time (the test's own lookup); null when none.
  const CZEVDataRec* Record(const DateStamp& time) const {
    for (const CZEVDataRec& r : doc.records)
      if (r.time == time) return &r;
    return nullptr;
  }

  TempDir dir;
  std::string path;
  FixedPeriod period;
  ScopedMessageHook messages;
  CZEVViewDoc doc{&period};
  std::vector<std::unique_ptr<CTableView>> views;
  int maximized = 0;
};

}  // namespace zv::test
