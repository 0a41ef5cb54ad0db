#pragma once
// The viewer program's tests: the application object started on the test's own
// QApplication, generated node files in a folder of their own, the message
// hook, and readers for the menu bar, the windows and their tables.

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "platform/cp1251.h"
#include "platform/qt/message_box.h"
#include "tests/sim/node_file_generator.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/modal_answer.h"
#include "viewer/child_frame.h"
#include "viewer/main_frame.h"
#include "viewer/table_view.h"
#include "viewer/view_app.h"
#include "viewer/view_doc.h"
#include "viewer/viewer_commands.h"
#include "viewer/viewer_grid_ctrl.h"

namespace zv::test {

// The days before a day (DateStamp steps by level).
inline DateStamp DaysBefore(DateStamp t, int days) {
  for (int i = 0; i < days; ++i) t.Decrement(DateStamp::kDay);
  return t;
}

inline DateStamp Today() {
  DateStamp t = sim::CurrentHour();
  t.hour = 0;
  return t;
}

class ViewerAppTest : public testing::Test {
 protected:
  ViewerAppTest() { QCoreApplication::setApplicationName("ZEVView"); }
  ~ViewerAppTest() override {
    app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Starts the program with the arguments; the result of InitInstance.
  bool Start(const QStringList& arguments = {}) {
    app = std::make_unique<CZEVViewApp>();
    return app->InitInstance(arguments);
  }
  CMainFrame& Frame() const { return *app->MainFrame(); }

  // A node file numbered `number` with the hours of the last `days` days up to
  // the current hour (the default period's data).
  std::string WriteNode(const std::string& number, int days = 40, const std::string& name = "Узел") {
    sim::NodeFilePlan plan;
    plan.header = sim::NodeHeaderKeys::Converted(4, number, W1251(name), 1);
    plan.data = sim::HourlySeries::Ending(sim::CurrentHour(), 24 * days);
    const std::string path = sim::WriteNodeFile(dir.path(), plan);
    EXPECT_FALSE(path.empty());
    return path;
  }
  CZEVViewDoc* Open(const std::string& path) { return app->OpenDocumentFile(QString::fromStdString(path)); }

  // The menu bar as "title: item|item|-|item" lines ("-" a separator).
  std::vector<std::string> MenuBarTexts() const {
    std::vector<std::string> lines;
    for (QAction* top : Frame().menuBar()->actions()) {
      if (top->menu() == nullptr) continue;
      std::string line = top->text().toStdString() + ":";
      bool first = true;
      for (QAction* item : top->menu()->actions()) {
        line += (first ? " " : "|") + (item->isSeparator() ? std::string("-") : item->text().toStdString());
        first = false;
      }
      lines.push_back(line);
    }
    return lines;
  }
  // The command ids of the menu bar's items in order, 0 for separators.
  std::vector<UINT> MenuBarIds() const {
    std::vector<UINT> ids;
    for (QAction* top : Frame().menuBar()->actions())
      if (top->menu() != nullptr)
        for (QAction* item : top->menu()->actions()) ids.push_back(item->isSeparator() ? 0 : item->data().toUInt());
    return ids;
  }
  // The drop-down menu of the bar whose title is `title`; null when none.
  QMenu* Menu(const std::string& title) const {
    for (QAction* top : Frame().menuBar()->actions())
      if (top->menu() != nullptr && top->text().toStdString() == title) return top->menu();
    return nullptr;
  }
  // The texts of a drop-down menu's items, after it was about to show.
  std::vector<std::string> MenuTexts(const std::string& title) const {
    std::vector<std::string> texts;
    QMenu* menu = Menu(title);
    if (menu == nullptr) return texts;
    emit menu->aboutToShow();
    for (QAction* item : menu->actions())
      texts.push_back(item->isSeparator() ? "-" : item->text().toStdString());
    return texts;
  }

  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (CChildFrame* frame : Frame().ChildFrames()) titles.push_back(frame->windowTitle().toStdString());
    return titles;
  }
  // The first column of a view's data rows (past the heading rows).
  static std::vector<std::string> FirstColumn(const CTableView& view) {
    std::vector<std::string> texts;
    const CViewerGridCtrl* grid = view.GetGrid();
    for (int row = grid->GetFixedRowCount(); row < grid->GetRowCount(); ++row)
      texts.push_back(Cp1251ToUtf8(grid->GetItemText(row, 0)));
    return texts;
  }

  TempDir dir;
  ScopedMessageHook messages;
  std::unique_ptr<CZEVViewApp> app;
};

}  // namespace zv::test
