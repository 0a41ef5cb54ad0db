// The menu bar of the viewer: menu 128 without a window, menu 129 from the first
// window to the last, the recent files and the window list in them; the two
// toolbars and their tips.

#include <QActionGroup>
#include <QLabel>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>

#include "tests/viewer/viewer_app_fixture.h"
#include "platform/profile.h"
#include "viewer/about_dlg.h"
#include "viewer/viewer_menus.h"
#include "widgets/alpha_toolbar.h"

namespace {

using zv::test::ViewerAppTest;
using Lines = std::vector<std::string>;

const Lines kMenu128 = {
    "&Файл: &Открыть...\tCtrl+O|-|Настройка принтера...|-|Последний файл|-|&Закрыть|В&ыход",
    "&Вид: &Панель инструментов|&Строка состояния|-|Отчетный период...",
    "&Помощь: О программе...",
};
const std::vector<UINT> kMenu128Ids = {57601, 0, 57606, 0, 57616, 0, 57602, 57665,
                                       59392, 59393, 0, 32771, 57664};

const Lines kMenu129 = {
    "&Файл: &Открыть...\tCtrl+O|&Закрыть|-|&Печать...\tCtrl+P|Просмотр печати...|Н&астройка принтера...|-|"
    "Последний файл|-|В&ыход",
    "&Вид: &Панель инструметов|&Строка состояния|-|Период просмотра...",
    "&Окно: &Новое окно|&Каскад|&Части|&Выстроить",
    "&Помощь: О программе...",
};
const std::vector<UINT> kMenu129Ids = {57601, 57602, 0,     57607, 57609, 57606, 0,     57616, 0,     57665,
                                       59392, 59393, 0,     32771, 57648, 57650, 57651, 57649, 57664};

TEST_F(ViewerAppTest, MenusSwitchAtTheFirstWindowAndBackAfterTheLast) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame().CurrentMenu(), 128);
  EXPECT_EQ(MenuBarTexts(), kMenu128);
  EXPECT_EQ(MenuBarIds(), kMenu128Ids);
  // Without a document, close, print and the window commands are greyed.
  EXPECT_FALSE(Frame().MenuAction(viewer_cmd::kFileClose)->isEnabled());
  EXPECT_TRUE(Frame().MenuAction(viewer_cmd::kFileOpen)->isEnabled());

  const std::string a = WriteNode("00012"), b = WriteNode("00013");
  ASSERT_NE(Open(a), nullptr);
  EXPECT_EQ(Frame().CurrentMenu(), 129);
  // The menu's items, then the window list: a separator and the window.
  std::vector<UINT> ids = kMenu129Ids;
  ids.insert(ids.end() - 1, {0, 0xFF00});
  EXPECT_EQ(MenuBarIds(), ids);
  Lines texts = kMenu129;
  // The recent file stands where the greyed item stood.
  const std::string file = "Последний файл";
  texts[0].replace(texts[0].find(file), file.size(), "&1 " + a);
  texts[2] += "|-|&1 00012 Узел";
  EXPECT_EQ(MenuBarTexts(), texts);
  EXPECT_TRUE(Frame().MenuAction(viewer_cmd::kFileClose)->isEnabled());
  EXPECT_TRUE(Frame().MenuAction(viewer_cmd::kFilePrint)->isEnabled());

  ASSERT_NE(Open(b), nullptr);
  ASSERT_EQ(Frame().ChildFrames().size(), 2u);
  Frame().ChildFrames()[0]->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(Frame().CurrentMenu(), 129);
  EXPECT_EQ(app->Documents().size(), 1u);
  Frame().ChildFrames()[0]->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(app->Documents().empty());
  EXPECT_EQ(Frame().CurrentMenu(), 128);
  // Menu 128 again, with both recent files.
  std::vector<UINT> ids128 = kMenu128Ids;
  ids128.insert(ids128.begin() + 5, 57617);
  EXPECT_EQ(MenuBarIds(), ids128);
  EXPECT_EQ(Frame().windowTitle().toStdString(), "ZEVView");
}

TEST_F(ViewerAppTest, WindowMenuListsTheWindowsWithTheActiveOneChecked) {
  ASSERT_TRUE(Start());
  ASSERT_NE(Open(WriteNode("00012", 40, "А")), nullptr);
  ASSERT_NE(Open(WriteNode("00013", 40, "Б")), nullptr);
  Frame().ActivateFrame(Frame().ChildFrames()[0]);
  const Lines texts = MenuTexts("&Окно");
  EXPECT_EQ(texts, (Lines{"&Новое окно", "&Каскад", "&Части", "&Выстроить", "-", "&1 00012 А", "&2 00013 Б"}));
  QMenu* menu = Menu("&Окно");
  const QList<QAction*> items = menu->actions();
  EXPECT_TRUE(items[5]->isChecked());
  EXPECT_FALSE(items[6]->isChecked());
  EXPECT_EQ(Frame().windowTitle().toStdString(), "ZEVView - 00012 А");
  // The second entry brings its window forward.
  items[6]->trigger();
  EXPECT_EQ(Frame().ActiveChild(), Frame().ChildFrames()[1]);
  EXPECT_EQ(Frame().windowTitle().toStdString(), "ZEVView - 00013 Б");
  emit menu->aboutToShow();
  EXPECT_TRUE(menu->actions()[6]->isChecked());
  EXPECT_FALSE(menu->actions()[5]->isChecked());
}

TEST_F(ViewerAppTest, BarCommandsShowAndHideTheBars) {
  ASSERT_TRUE(Start());
  QAction* toolbar = Frame().MenuAction(viewer_cmd::kViewToolbar);
  QAction* status = Frame().MenuAction(viewer_cmd::kViewStatusBar);
  EXPECT_TRUE(toolbar->isChecked());
  EXPECT_TRUE(status->isChecked());
  toolbar->trigger();
  EXPECT_TRUE(Frame().toolBar()->isHidden());
  EXPECT_FALSE(toolbar->isChecked());
  status->trigger();
  EXPECT_TRUE(Frame().statusBar()->isHidden());
  EXPECT_FALSE(status->isChecked());
  toolbar->trigger();
  status->trigger();
  EXPECT_FALSE(Frame().toolBar()->isHidden());
  EXPECT_FALSE(Frame().statusBar()->isHidden());
  // A right click on a bar offers no menu of its own (Qt's would list the
  // toolbar without a name).
  EXPECT_EQ(Frame().createPopupMenu(), nullptr);
}

// One toolbar button: its command id (0 a separator), tooltip and status tip.
struct Button {
  int id;
  std::string tip;
  std::string prompt;
  bool operator==(const Button&) const = default;
};

std::vector<Button> Buttons(const CAlphaToolBar& bar) {
  std::vector<Button> buttons;
  for (int id : bar.commands()) {
    if (id == 0) {
      buttons.push_back({0, "", ""});
      continue;
    }
    const QAction* action = bar.CommandAction(id);
    buttons.push_back({id, action->toolTip().toStdString(), action->statusTip().toStdString()});
  }
  return buttons;
}

TEST_F(ViewerAppTest, ToolbarsCarryTheirButtonsTipsAndPrompts) {
  ASSERT_TRUE(Start());
  const CAlphaToolBar& main = *Frame().toolBar();
  EXPECT_EQ(main.button_size(), QSize(40, 39));
  EXPECT_EQ(main.allowedAreas(), Qt::AllToolBarAreas);
  EXPECT_EQ(Buttons(main), (std::vector<Button>{{57601, "Открыть...", "Открыть..."},
                                                {0, "", ""},
                                                {32771, "Период просмотра", "Период просмотра"},
                                                {0, "", ""},
                                                {57607, "Печать...", "Печать..."},
                                                {57609, "Просмотр печати...", "Просмотр печати..."}}));
  // Printing needs a window.
  EXPECT_FALSE(main.CommandAction(57607)->isEnabled());
  EXPECT_TRUE(main.CommandAction(57601)->isEnabled());

  ASSERT_NE(Open(WriteNode("00012")), nullptr);
  EXPECT_TRUE(main.CommandAction(57607)->isEnabled());
  CChildFrame& child = *Frame().ChildFrames()[0];
  const CAlphaToolBar& node = *child.toolBar();
  EXPECT_EQ(node.button_size(), QSize(32, 31));
  EXPECT_FALSE(node.isMovable());
  EXPECT_EQ(Buttons(node),
            (std::vector<Button>{{32783, "", ""},
                                 {32784, "", ""},
                                 {32785, "", ""},
                                 {32786, "", ""},
                                 {0, "", ""},
                                 {32776, "Настройка", "Настройка узла"},
                                 {0, "", ""},
                                 {32787, "Часовые", "Среднечасовые показания"},
                                 {0, "", ""},
                                 {32788, "Суточные", "Среднесуточные показания"},
                                 {0, "", ""},
                                 {32789, "Журнал", "Журнал изменения настроек"},
                                 {0, "", ""},
                                 {23790, "Настройки", "Настройки прибора"}}));
  // Pages and show types are checkable groups that let none be checked.
  for (int id : {32783, 32787}) {
    const QAction* action = node.CommandAction(id);
    ASSERT_NE(action->actionGroup(), nullptr);
    EXPECT_TRUE(action->isCheckable());
    EXPECT_EQ(action->actionGroup()->exclusionPolicy(), QActionGroup::ExclusionPolicy::ExclusiveOptional);
  }
  EXPECT_NE(node.CommandAction(32783)->actionGroup(), node.CommandAction(32787)->actionGroup());
  EXPECT_FALSE(node.CommandAction(32776)->isCheckable());
}

TEST_F(ViewerAppTest, NodeToolbarFollowsItsOwnView) {
  ASSERT_TRUE(Start());
  ASSERT_NE(Open(WriteNode("00012")), nullptr);
  CChildFrame& child = *Frame().ChildFrames()[0];
  const CAlphaToolBar& node = *child.toolBar();
  EXPECT_TRUE(node.CommandAction(32783)->isChecked());  // page 1
  EXPECT_TRUE(node.CommandAction(32788)->isChecked());  // daily, the first start's show type
  node.CommandAction(32787)->trigger();
  EXPECT_EQ(child.GetActiveView()->GetShowType(), CTableView::kHourly);
  EXPECT_TRUE(node.CommandAction(32787)->isChecked());
  EXPECT_FALSE(node.CommandAction(32788)->isChecked());
  node.CommandAction(32785)->trigger();
  EXPECT_EQ(child.GetActiveView()->GetPage(), 2);
  EXPECT_TRUE(node.CommandAction(32785)->isChecked());
  EXPECT_FALSE(node.CommandAction(32783)->isChecked());
  // A click on the checked button leaves it checked: the view still shows it.
  node.CommandAction(32785)->trigger();
  EXPECT_TRUE(node.CommandAction(32785)->isChecked());
  // A show type no button stands for (a profile from elsewhere) checks none.
  zv::Profile(zv::kProgramZEVView).WriteInt("Settings", "ShowType", 5);
  ASSERT_NE(Open(WriteNode("00013")), nullptr);
  const CAlphaToolBar& other = *Frame().ChildFrames()[1]->toolBar();
  for (int id : {32787, 32788, 32789, 23790}) EXPECT_FALSE(other.CommandAction(id)->isChecked()) << id;
}

TEST_F(ViewerAppTest, StatusBarShowsTheIdlePromptAndThePeriodPane) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame().promptPane()->text().toStdString(), "Готов");
  EXPECT_FALSE(Frame().promptPane()->isHidden());
  // A button's prompt under the mouse, in a node window too, stands in the
  // main status bar; then "Готов" again.
  ASSERT_NE(Open(WriteNode("00012")), nullptr);
  CAlphaToolBar& node = *Frame().ChildFrames()[0]->toolBar();
  node.CommandAction(viewer_cmd::kShowJournal)->showStatusText(&node);
  EXPECT_EQ(Frame().statusBar()->currentMessage().toStdString(), "Журнал изменения настроек");
  EXPECT_TRUE(Frame().promptPane()->isHidden());
  Frame().toolBar()->CommandAction(viewer_cmd::kViewPeriod)->showStatusText(Frame().toolBar());
  EXPECT_EQ(Frame().statusBar()->currentMessage().toStdString(), "Период просмотра");
  QStatusTipEvent none{QString()};
  QApplication::sendEvent(Frame().toolBar(), &none);
  EXPECT_TRUE(Frame().statusBar()->currentMessage().isEmpty());
  EXPECT_FALSE(Frame().promptPane()->isHidden());
  const QLabel& pane = *Frame().periodPane();
  EXPECT_GE(pane.minimumWidth(), pane.fontMetrics().horizontalAdvance(QString::fromUtf8("ПП 01.01.2007 - 01.02.2007")));
  EXPECT_EQ(pane.text(), Frame().PeriodText());
}

TEST_F(ViewerAppTest, AboutCommandShowsTheAboutBox) {
  ASSERT_TRUE(Start());
  std::string version;
  ASSERT_TRUE(zv::test::AnswerModal<CAboutDlg>([this] { Frame().MenuAction(viewer_cmd::kAppAbout)->trigger(); },
                                               [&](CAboutDlg& d) {
                                                 version = d.versionLabel()->text().toStdString();
                                                 d.accept();
                                               }));
  EXPECT_EQ(version, "ZEVView 2.744");
}

}  // namespace
