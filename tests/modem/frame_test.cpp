// The main frame: its menus, accelerators, toolbar and status pane, the
// commands they reach, and the exit on a signal.

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "modem/exit_signals.h"
#include "platform/profile.h"
#include "tests/modem/frame_fixture.h"
#include "widgets/alpha_toolbar.h"

// The workstation's resources gone, as a program built without them.
static void DropModemResources() { Q_CLEANUP_RESOURCE(modem); }

namespace {

using zv::test::FrameTest;
using zv::test::PumpUntil;

// "text|shortcut|enabled" of every entry of a menu, separators as "-".
std::vector<std::string> Entries(QMenu* menu) {
  std::vector<std::string> out;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator()) {
      out.push_back("-");
      continue;
    }
    out.push_back(a->text().toStdString() + "|" + a->shortcut().toString().toStdString() + "|" +
                  (a->isEnabled() ? "on" : "off"));
  }
  return out;
}

TEST_F(FrameTest, MenusCarryTheirTextsShortcutsAndStates) {
  MakeFrame();
  std::vector<std::string> bar;
  QMenu* menus[4] = {};
  int m = 0;
  for (QAction* a : frame_->menuBar()->actions()) {
    bar.push_back(a->text().toStdString());
    if (a->menu() != nullptr && m < 4) menus[m++] = a->menu();
  }
  EXPECT_EQ(bar, (std::vector<std::string>{"&Файл", "Считывание данных", "Узел", "Па&раметры...", "&Помощь"}));
  EXPECT_EQ(Entries(menus[0]), (std::vector<std::string>{"&Новая группа|Ctrl+N|on", "&Открыть...|Ctrl+O|off",
                                                          "&Сохранить группу...||on",
                                                          "Сохранить группу к&ак...|Ctrl+S|on", "-", "-",
                                                          "В&ыход||on"}));
  EXPECT_EQ(Entries(menus[1]), (std::vector<std::string>{"Пуск||on", "Стоп||on", "Рестарт||on"}));
  EXPECT_EQ(Entries(menus[2]),
            (std::vector<std::string>{"Добавить новый||on", "Настройка...||on", "Удалить из списка||off"}));
  EXPECT_EQ(Entries(menus[3]), (std::vector<std::string>{"О программе...||on"}));
  EXPECT_EQ(frame_->MenuAction(CZEVModemView::kIdCurrentFolder)->shortcut().toString(), "Ctrl+F1");
  // No print commands anywhere.
  for (QAction* a : frame_->findChildren<QAction*>()) {
    EXPECT_EQ(a->text().indexOf(QString::fromUtf8("Печать")), -1);
    EXPECT_NE(a->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
  }
  // The recent files go between the two separators before "Выход".
  EXPECT_EQ(menus[0]->actions().indexOf(frame_->RecentFilesAnchor()), 5);
}

// Without its toolbar the frame cannot be made: the start fails.
TEST_F(FrameTest, AMissingToolbarFailsTheStart) {
  DropModemResources();
  CMainFrame frame(&document_, setup_);
  EXPECT_FALSE(frame.Create());
  zv::test::InitModemResources();
  CMainFrame again(&document_, setup_);
  EXPECT_TRUE(again.Create());
}

TEST_F(FrameTest, TheToolbarAndTheStatusPane) {
  MakeFrame();
  CAlphaToolBar* bar = frame_->toolbar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->commands(), (QVector<int>{57601, 0, 32774, 32773, 32788}));
  const std::vector<std::pair<int, const char*>> tips = {
      {57601, "Открыть"}, {32774, "Пуск"}, {32773, "Стоп"}, {32788, "Рестарт"}};
  for (const auto& [id, tip] : tips) EXPECT_EQ(bar->CommandAction(id)->toolTip(), QString::fromUtf8(tip));
  EXPECT_FALSE(bar->CommandAction(57601)->isEnabled());
  EXPECT_TRUE(bar->isMovable());
  EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
  EXPECT_EQ(frame_->toolBarArea(bar), Qt::TopToolBarArea);

  auto* pane = frame_->statusBar()->findChild<QLabel*>("140");
  ASSERT_NE(pane, nullptr);
  EXPECT_GE(pane->minimumWidth(), pane->fontMetrics().horizontalAdvance(QString::fromUtf8("_Состояние_")));
  EXPECT_EQ(pane->text(), QString::fromUtf8("Ожидание"));
  EXPECT_EQ(frame_->SetPaneText(140, QString::fromUtf8("Считывание")), 1);
  EXPECT_EQ(frame_->SetPaneText(141, "x"), -1);
  EXPECT_EQ(pane->text(), QString::fromUtf8("Считывание"));

  // The toolbar's start button reaches the view.
  bar->CommandAction(32774)->trigger();
  EXPECT_TRUE(timer_->IsActive());
  bar->CommandAction(32773)->trigger();
  EXPECT_FALSE(timer_->IsActive());
}

TEST_F(FrameTest, AnOpenHandlerEnablesTheOpenCommand) {
  MakeFrame();
  int opened = 0;
  frame_->SetOpenHandler([&] { ++opened; });
  EXPECT_TRUE(frame_->MenuAction(57601)->isEnabled());
  EXPECT_TRUE(frame_->toolbar()->CommandAction(57601)->isEnabled());
  frame_->MenuAction(57601)->trigger();
  frame_->toolbar()->CommandAction(57601)->trigger();
  EXPECT_EQ(opened, 2);
}

TEST_F(FrameTest, CommandsReachTheDocumentAndTheView) {
  MakeFrame();
  frame_->MenuAction(CZEVModemDoc::kIdNodeAdd)->trigger();
  ASSERT_EQ(document_.NodeCount(), 1u);
  EXPECT_EQ(Utf8(1, 1), "00000 Новый узел");
  frame_->MenuAction(CZEVModemDoc::kIdFileNew)->trigger();
  EXPECT_EQ(document_.NodeCount(), 0u);
  EXPECT_EQ(grid()->GetRowCount(), 1);
  EXPECT_EQ(frame_->windowTitle(), "Untitled Group - ZEVModem");

  frame_->MenuAction(CZEVModemView::kIdCurrentFolder)->trigger();
  ASSERT_EQ(messages_.requests().size(), 1u);
  EXPECT_EQ(messages_.texts()[0], QDir::currentPath());
}

// SIGTERM, SIGINT and SIGHUP reach the user-interface thread; the exit closes
// the frame. Afterwards the signals have their default handling again.
TEST_F(FrameTest, ExitSignalsCloseTheFrame) {
  MakeFrame();
  std::vector<int> got;
  {
    zv::ExitSignals signals_in([&](int signal) {
      got.push_back(signal);
      if (signal == SIGTERM) frame_->OnAppExit();
    });
    ASSERT_TRUE(signals_in.ok());
    for (int signal : {SIGHUP, SIGINT, SIGTERM}) {
      ::raise(signal);
      ASSERT_TRUE(PumpUntil([&] { return !got.empty() && got.back() == signal; }));
    }
    EXPECT_TRUE(PumpUntil([&] { return !frame_->isVisible(); }));
  }
  EXPECT_EQ(got, (std::vector<int>{SIGHUP, SIGINT, SIGTERM}));
  EXPECT_TRUE(frame_->exiting());
  EXPECT_TRUE(hard_exits_.empty());
  const std::string widths = zv::Profile(zv::kProgramZEVModem).GetString("Settings", "GridColumns", "");
  EXPECT_EQ(std::count(widths.begin(), widths.end(), ';'), 6) << widths;
  struct sigaction now {};
  ::sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

}  // namespace
