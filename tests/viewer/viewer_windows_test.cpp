// Node windows: several windows on one document, the window commands, the
// accelerators (save, copy and the keys that do nothing), printing, the print
// preview and the page set-up on the program's one printer.

#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <filesystem>
#include <sys/stat.h>

#include "tests/grid/print_test_support.h"
#include "tests/viewer/viewer_app_fixture.h"
#include "viewer/node_properties.h"
#include "widgets/alpha_toolbar.h"

// Qt's own way of offering a key to the shortcuts first (what its test library
// does for a key click).
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text, bool autorep, ushort count);

namespace {

using zv::test::ViewerAppTest;

class WindowsTest : public ViewerAppTest {
 protected:
  // Starts the program with one document open, its window active.
  CZEVViewDoc* StartWithNode(const std::string& number = "00012") {
    if (!Start()) return nullptr;
    path = WriteNode(number);
    CZEVViewDoc* doc = Open(path);
    Frame().activateWindow();
    QApplication::setActiveWindow(&Frame());
    return doc;
  }
  // A key pressed and released on the widget as the keyboard delivers it: the
  // shortcuts first, then the widget. True when a shortcut took it.
  // The window is made active first, as a modal dialog that just closed may
  // have left none.
  static bool Key(QWidget* widget, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QApplication::setActiveWindow(widget->window());
    if (qt_sendShortcutOverrideEvent(widget, 0, key, mods, QString(), false, 1)) return true;
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(widget, &release);
    return false;
  }
  CViewerGridCtrl* ActiveGrid() const { return Frame().ActiveView()->GetGrid(); }

  std::string path;
};

TEST_F(WindowsTest, NewWindowShowsTheDocumentTwiceWithPagesOfTheirOwn) {
  CZEVViewDoc* doc = StartWithNode();
  ASSERT_NE(doc, nullptr);
  Frame().MenuAction(viewer_cmd::kWindowNew)->trigger();
  EXPECT_EQ(Titles(), (std::vector<std::string>{"00012 Узел:1", "00012 Узел:2"}));
  EXPECT_EQ(Frame().windowTitle().toStdString(), "ZEVView - 00012 Узел:2");
  EXPECT_EQ(app->Documents().size(), 1u);
  const std::vector<CChildFrame*> frames = Frame().ChildFrames();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[1]->GetDocument(), doc);
  EXPECT_TRUE(frames[1]->isMaximized());

  frames[1]->toolBar()->CommandAction(viewer_cmd::kReportPage3)->trigger();
  frames[1]->toolBar()->CommandAction(viewer_cmd::kShowHourly)->trigger();
  EXPECT_EQ(frames[1]->GetActiveView()->GetPage(), 2);
  EXPECT_EQ(frames[0]->GetActiveView()->GetPage(), 0);
  EXPECT_EQ(frames[0]->GetActiveView()->GetShowType(), CTableView::kDaily);
  EXPECT_TRUE(frames[0]->toolBar()->CommandAction(viewer_cmd::kReportPage1)->isChecked());
  EXPECT_TRUE(frames[1]->toolBar()->CommandAction(viewer_cmd::kReportPage3)->isChecked());
  // A row per hour in one window, per day in the other.
  EXPECT_GT(FirstColumn(*frames[1]->GetActiveView()).size(), 24 * 30u);
  EXPECT_LT(FirstColumn(*frames[0]->GetActiveView()).size(), 40u);

  // With one window left the number goes.
  frames[0]->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"00012 Узел"}));
  EXPECT_EQ(Frame().windowTitle().toStdString(), "ZEVView - 00012 Узел");
  EXPECT_EQ(app->Documents().size(), 1u);
}

TEST_F(WindowsTest, NodeSettingsMaximiseTheWindowAgain) {
  ASSERT_NE(StartWithNode(), nullptr);
  CChildFrame& frame = *Frame().ChildFrames()[0];
  frame.showNormal();
  ASSERT_FALSE(frame.isMaximized());
  ASSERT_TRUE(zv::test::AnswerModal<CNodeProperties>(
      [&frame] { frame.toolBar()->CommandAction(viewer_cmd::kNodeSettings)->trigger(); },
      [](CNodeProperties& d) { d.okButton()->click(); }));
  EXPECT_TRUE(frame.isMaximized());
  EXPECT_TRUE(messages.requests().empty());
}

TEST_F(WindowsTest, CascadeTileAndArrangeActOnTheWindows) {
  ASSERT_NE(StartWithNode(), nullptr);
  ASSERT_NE(Open(WriteNode("00013")), nullptr);
  Frame().resize(1000, 700);
  const std::vector<CChildFrame*> frames = Frame().ChildFrames();
  Frame().MenuAction(viewer_cmd::kWindowTile)->trigger();
  EXPECT_FALSE(frames[0]->isMaximized());
  EXPECT_FALSE(frames[0]->geometry().intersects(frames[1]->geometry()));
  Frame().MenuAction(viewer_cmd::kWindowCascade)->trigger();
  EXPECT_NE(frames[0]->pos(), frames[1]->pos());
  EXPECT_TRUE(frames[0]->geometry().intersects(frames[1]->geometry()));
  // Arrange lines the minimised windows up along the bottom.
  frames[0]->showMinimized();
  frames[1]->showMinimized();
  Frame().MenuAction(viewer_cmd::kWindowArrange)->trigger();
  const int bottom = Frame().mdiArea()->viewport()->height();
  EXPECT_EQ(frames[0]->geometry().bottom() + 1, bottom);
  EXPECT_EQ(frames[1]->geometry().bottom() + 1, bottom);
  EXPECT_EQ(frames[0]->x(), 0);
  EXPECT_EQ(frames[1]->x(), frames[0]->width());
}

TEST_F(WindowsTest, CtrlSSavesThroughTheDocument) {
  CZEVViewDoc* doc = StartWithNode();
  ASSERT_NE(doc, nullptr);
  doc->header.SetString("NAME", zv::W1251("Новое"));
  Key(ActiveGrid(), Qt::Key_S, Qt::ControlModifier);
  // The document saved under the new name, the windows and recent files follow.
  const std::string renamed = dir.File("00012_Новое.zev");
  EXPECT_TRUE(std::filesystem::exists(renamed));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_NE(zv::test::TempDir::Read(renamed).find("NAME\t" + zv::W1251("Новое")), std::string::npos);
  EXPECT_EQ(doc->GetPathName(), renamed);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"00012 Новое"}));
  EXPECT_EQ(Frame().windowTitle().toStdString(), "ZEVView - 00012 Новое");
  EXPECT_EQ(app->RecentFiles().paths().front().toStdString(), renamed);
  EXPECT_TRUE(messages.requests().empty());
}

TEST_F(WindowsTest, CtrlSOnAReadOnlyFileAsksForANameFirst) {
  CZEVViewDoc* doc = StartWithNode();
  ASSERT_NE(doc, nullptr);
  const std::string before = zv::test::TempDir::Read(path);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  doc->header.SetString("TCW", "7");
  std::filesystem::create_directory(dir.File("copy"));
  const std::string target = dir.File("copy/00012_Узел.zev");
  QString filter;
  ASSERT_TRUE(zv::test::AnswerModal<QFileDialog>([this] { Key(ActiveGrid(), Qt::Key_S, Qt::ControlModifier); },
                                                 [&](QFileDialog& d) {
                                                   filter = d.nameFilters().join(";");
                                                   d.selectFile(QString::fromStdString(target));
                                                   static_cast<QDialog&>(d).accept();
                                                 }));
  EXPECT_EQ(filter.toStdString(), "ZEVView Files (*.zev)");
  EXPECT_EQ(zv::test::TempDir::Read(path), before);
  const std::string saved = zv::test::TempDir::Read(target);
  EXPECT_NE(saved.find("TCW\t7\r\n"), std::string::npos);
  // The data lines came along as they were.
  const auto data = [](const std::string& text) { return text.substr(text.find("\r\n$\r\n")); };
  EXPECT_EQ(data(saved), data(before));
  EXPECT_EQ(doc->GetPathName(), target);
  EXPECT_TRUE(messages.requests().empty());

  // Cancelled, nothing is written.
  ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
  doc->header.SetString("TCW", "8");
  ASSERT_TRUE(zv::test::AnswerModal<QFileDialog>([this] { Key(ActiveGrid(), Qt::Key_S, Qt::ControlModifier); },
                                                 [](QFileDialog& d) { d.reject(); }));
  EXPECT_EQ(zv::test::TempDir::Read(target), saved);
}

TEST_F(WindowsTest, KeysWithoutAHandlerDoNothing) {
  ASSERT_NE(StartWithNode(), nullptr);
  QGuiApplication::clipboard()->setText(QStringLiteral("01.01.2024\t1"));
  CViewerGridCtrl* grid = ActiveGrid();
  grid->SetFocusCell(grid->GetFixedRowCount(), 0);
  const std::string cell = grid->GetItemText(grid->GetFixedRowCount(), 0);
  const int rows = grid->GetRowCount();
  for (const auto& [key, mods] : std::vector<std::pair<int, Qt::KeyboardModifiers>>{
           {Qt::Key_N, Qt::ControlModifier},
           {Qt::Key_Z, Qt::ControlModifier},
           {Qt::Key_X, Qt::ControlModifier},
           {Qt::Key_V, Qt::ControlModifier},
           {Qt::Key_Insert, Qt::ShiftModifier},
           {Qt::Key_F6, Qt::NoModifier},
           {Qt::Key_F6, Qt::ShiftModifier}}) {
    // Taken by the accelerators: the grid never sees them.
    EXPECT_TRUE(Key(grid, key, mods)) << key;
  }
  EXPECT_EQ(app->Documents().size(), 1u);  // Ctrl+N made no document
  EXPECT_EQ(Frame().ChildFrames().size(), 1u);
  EXPECT_EQ(grid->GetItemText(grid->GetFixedRowCount(), 0), cell);
  EXPECT_EQ(grid->GetRowCount(), rows);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "01.01.2024\t1");
  EXPECT_TRUE(messages.requests().empty());
}

TEST_F(WindowsTest, CtrlCCopiesOnceAndOnlyWhenTheViewAllowsIt) {
  ASSERT_NE(StartWithNode(), nullptr);
  CViewerGridCtrl* grid = ActiveGrid();
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(QStringLiteral("before"));
  int changes = 0;
  QObject::connect(clipboard, &QClipboard::dataChanged, [&changes] { ++changes; });
  // Nothing selected: the key is taken and nothing is copied.
  grid->ClearSelection();
  ASSERT_FALSE(Frame().QueryCommand(viewer_cmd::kEditCopy).m_bEnabled);
  EXPECT_TRUE(Key(grid, Qt::Key_C, Qt::ControlModifier));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(clipboard->text().toStdString(), "before");

  const int row = grid->GetFixedRowCount();
  grid->SelectRange(row, 0, row, 0);
  ASSERT_TRUE(Frame().QueryCommand(viewer_cmd::kEditCopy).m_bEnabled);
  EXPECT_TRUE(Key(grid, Qt::Key_C, Qt::ControlModifier));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(clipboard->text().toStdString().substr(0, 10), zv::Cp1251ToUtf8(grid->GetItemText(row, 0)));
  Key(grid, Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(changes, 2);
}

TEST_F(WindowsTest, PrintReachesThePrinterThroughThePrintDialog) {
  ASSERT_NE(StartWithNode(), nullptr);
  const std::string pdf = dir.File("report.pdf");
  zv::test::SetUpPdfPrinter(app->Printer(), pdf, 300);
  bool shown = false;
  ASSERT_TRUE(zv::test::AnswerModal<QPrintDialog>([this] { Key(ActiveGrid(), Qt::Key_P, Qt::ControlModifier); },
                                                  [&](QPrintDialog& d) {
                                                    shown = d.printer() == &app->Printer();
                                                    d.accept();
                                                  }));
  EXPECT_TRUE(shown);
  const std::vector<std::string> pages = zv::test::PdfPages(pdf);
  ASSERT_FALSE(pages.empty());
  EXPECT_NE(pages[0].find("00012"), std::string::npos);

  // A cancelled dialog prints nothing.
  std::filesystem::remove(pdf);
  ASSERT_TRUE(zv::test::AnswerModal<QPrintDialog>([this] { Frame().OnCommand(viewer_cmd::kFilePrint); },
                                                  [](QPrintDialog& d) { d.reject(); }));
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(WindowsTest, PageSetupReachesPrintAndPreview) {
  ASSERT_NE(StartWithNode(), nullptr);
  zv::test::SetUpPdfPrinter(app->Printer(), dir.File("report.pdf"), 300);
  ASSERT_TRUE(zv::test::AnswerModal<QPageSetupDialog>(
      [this] { Frame().MenuAction(viewer_cmd::kFilePrintSetup)->trigger(); }, [](QPageSetupDialog& d) {
        auto* landscape = d.findChild<QRadioButton*>(QStringLiteral("landscape"));
        ASSERT_NE(landscape, nullptr);
        landscape->click();
        d.accept();
      }));
  EXPECT_EQ(app->Printer().pageLayout().orientation(), QPageLayout::Landscape);

  int pages = 0;
  QPageLayout::Orientation orientation = QPageLayout::Portrait;
  ASSERT_TRUE(zv::test::AnswerModal<QPrintPreviewDialog>(
      [this] { Frame().toolBar()->CommandAction(viewer_cmd::kFilePrintPreview)->trigger(); },
      [&](QPrintPreviewDialog& d) {
        QPrintPreviewWidget* preview = d.findChild<QPrintPreviewWidget*>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        pages = preview->pageCount();
        orientation = preview->orientation();
        d.reject();
      }));
  EXPECT_GT(pages, 0);
  EXPECT_EQ(orientation, QPageLayout::Landscape);
}

TEST_F(WindowsTest, PrintCommandPrintsTheReportOfEveryKind) {
  ASSERT_NE(StartWithNode(), nullptr);
  const std::string pdf = dir.File("kind.pdf");
  zv::test::SetUpPdfPrinter(app->Printer(), pdf, 300);
  struct Kind {
    UINT command;
    const char* title;
  };
  for (const Kind& kind : {Kind{viewer_cmd::kShowDaily, "Среднесуточные показания"},
                           Kind{viewer_cmd::kShowHourly, "Среднечасовые показания"},
                           Kind{viewer_cmd::kShowJournal, "Журнал изменения настроек"},
                           Kind{viewer_cmd::kShowParameters, "Параметры прибора"}}) {
    SCOPED_TRACE(kind.title);
    Frame().ActiveChild()->toolBar()->CommandAction(static_cast<int>(kind.command))->trigger();
    std::filesystem::remove(pdf);
    messages.Clear();
    for (int i = 0; i < 4; ++i) messages.QueueAnswer(zv::MessageResult::kYes);
    ASSERT_TRUE(zv::test::AnswerModal<QPrintDialog>(
        [this] { Frame().MenuAction(viewer_cmd::kFilePrint)->trigger(); }, [](QPrintDialog& d) { d.accept(); }));
    const std::vector<std::string> pages = zv::test::PdfPages(pdf);
    ASSERT_FALSE(pages.empty());
    EXPECT_NE(pages[0].find(kind.title), std::string::npos) << pages[0];
  }
}

}  // namespace
