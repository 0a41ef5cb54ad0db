// The status view's table: the row of every status, the header and stored
// column widths, the context menu with its removal and refusals, the frame's
// menus and toolbar, and the poll's report queue.

#include <QAction>
#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "grid/gdi_font.h"
#include "links/poll_flags.h"
#include "platform/qt/qt_text.h"
#include "platform/paths.h"
#include "modem/qt_status_sink.h"
#include "platform/profile.h"
#include "modem/node_properties.h"
#include "tests/grid/grid_test_support.h"
#include "tests/viewer/modal_answer.h"
#include "tests/modem/frame_fixture.h"
#include "widgets/alpha_toolbar.h"

namespace {

namespace status = zv::node_status;
using zv::test::FrameTest;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kMarker = RGB(1, 2, 3);
constexpr const char* kBefore = "before";

// What a row shows after UpdateNodeRow(40, node, id) for a node with one try
// (MaxTrys 3), whose column 5 held "before" and column 4 the marker colour.
struct RowCase {
  int id;
  const char* text;    // column 4
  COLORREF back;       // column 4's colour
  const char* read;    // column 5: "before" (unchanged), "" (emptied), "40%", or "time"
  const char* tries;   // column 3
  int after;           // the node's status afterwards
};

const RowCase kRowCases[] = {
    {129, "В очереди", kWhite, kBefore, "1", 129},
    {130, "Считывание...", kWhite, "40%", "1", 130},
    {131, "Открытие порта...", kWhite, kBefore, "1", 131},
    {132, "Набор номера...", kWhite, kBefore, "1", 132},
    {133, "Ожидание соединения...", kWhite, kBefore, "1", 133},
    {134, "OK", kGreen, "time", "1", 135},
    {135, "Считано", kGreen, "time", "1", 135},
    {136, "Занято", kRed, kBefore, "1", 136},
    {137, "Сбой", kYellow, kBefore, "1", 139},
    {138, "Нет ответа", kRed, kBefore, "1", 138},
    {139, "Повтор", kWhite, kBefore, "1", 139},
    {140, "_Состояние_", kWhite, kBefore, "1", 140},  // the pane's text, not a node status
    {141, "Инициализация...", kWhite, kBefore, "1", 141},
    {142, "Отменено...", kYellow, "", "0", 139},
    {143, "Файл не найден", kRed, kBefore, "1", 143},
    {144, "№ не совпадает", kYellow, kBefore, "1", 135},
    {145, "Название изменено", kMarker, kBefore, "1", 145},
    {150, "", kWhite, kBefore, "1", 150},
};

TEST_F(FrameTest, EveryStatusGivesItsRow) {
  MakeFrame();
  const std::shared_ptr<CNode> node = AddNode("00042", "School");
  const int row = RowOf(*node);
  ASSERT_EQ(row, 1);
  for (const RowCase& c : kRowCases) {
    SCOPED_TRACE(c.id);
    node->tries = 1;
    node->status.store(c.id);
    grid()->SetItemText(row, 5, kBefore);
    grid()->SetItemBackColour(row, 4, kMarker);
    view()->UpdateNodeRow(40, *node, c.id);
    EXPECT_EQ(Utf8(row, 4), c.text);
    EXPECT_EQ(Back(row, 4), c.back);
    EXPECT_EQ(Text(row, 3), c.tries);
    if (std::string(c.read) == "time") {
      // The setup's clock: 12 March, 14:30:10 and running.
      EXPECT_EQ(Text(row, 5).substr(0, 12), "12.03 14:30:") << Text(row, 5);
    } else {
      EXPECT_EQ(Text(row, 5), c.read);
    }
    EXPECT_EQ(node->status.load(), c.after);
  }
}

TEST_F(FrameTest, AFailureIsYellowWhileTriesAreLeftThenRed) {
  MakeFrame();
  const std::shared_ptr<CNode> node = AddNode("00042", "School");
  ASSERT_EQ(view()->max_trys(), 3);
  for (const auto& [tries, back] : {std::pair{2, kYellow}, std::pair{3, kRed}}) {
    node->tries = tries;
    node->status.store(status::kFailure);
    view()->UpdateNodeRow(0, *node, status::kFailure);
    EXPECT_EQ(Utf8(1, 4), "Сбой");
    EXPECT_EQ(Back(1, 4), back) << tries;
    EXPECT_EQ(Text(1, 3), std::to_string(tries));
    EXPECT_EQ(node->status.load(), status::kRetry);
  }
}

TEST_F(FrameTest, ACancelledPollClearsTheTriesAndTheReadColumn) {
  MakeFrame();
  const std::shared_ptr<CNode> node = AddNode("00042", "School");
  node->tries = 2;
  node->status.store(status::kReading);
  view()->UpdateNodeRow(55, *node, status::kReading);
  EXPECT_EQ(Text(1, 5), "55%");
  node->status.store(status::kCancelled);
  view()->UpdateNodeRow(0, *node, status::kCancelled);
  EXPECT_EQ(Text(1, 3), "0");
  EXPECT_EQ(Text(1, 5), "");
  EXPECT_EQ(node->tries, 0);
  EXPECT_EQ(node->status.load(), status::kRetry);
}

TEST_F(FrameTest, ProgressZeroLeavesTheReadColumn) {
  MakeFrame();
  const std::shared_ptr<CNode> node = AddNode("00042", "School");
  view()->UpdateNodeRow(30, *node, status::kReading);
  view()->UpdateNodeRow(0, *node, status::kReading);
  EXPECT_EQ(Text(1, 5), "30%");
}

// The worker renamed the file before it reported 145: the row and the
// document's path copy follow.
TEST_F(FrameTest, ANameChangeShowsTheNewNumberAndTakesTheNewPath) {
  MakeFrame();
  const std::shared_ptr<CNode> node = AddNode("00000", "New");
  EXPECT_EQ(Text(1, 1), "00000 New");
  node->header.SetString("N", "00042");
  node->path = folder_.File("00042_New.zev");
  node->status.store(status::kRenamed);
  view()->UpdateNodeRow(0, *node, status::kRenamed);
  EXPECT_EQ(Text(1, 1), "00042 New");
  EXPECT_EQ(Utf8(1, 4), "Название изменено");
  EXPECT_EQ(document_.NodePath(node->id()), folder_.File("00042_New.zev"));
}

// A status the worker wrote after the one reported stays: the row shows the
// report, the node keeps the newer status.
TEST_F(FrameTest, ANewerWorkerStatusIsNeverOverwritten) {
  MakeFrame();
  const std::shared_ptr<CNode> node = AddNode("00042", "School");
  for (int reported : {status::kOk, status::kFailure, status::kCancelled, status::kNumberMismatch}) {
    node->status.store(status::kOpeningPort);
    view()->UpdateNodeRow(0, *node, reported);
    EXPECT_EQ(Text(1, 4), status::Text(reported));
    EXPECT_EQ(node->status.load(), status::kOpeningPort) << reported;
  }
}

TEST_F(FrameTest, RowsShowNodeAddressAndQueuedState) {
  MakeFrame();
  const auto pstn = AddNode("00001", "A", "MODEM\t1\r\nPHONE\t5551234\r\nIPADDRESS\t10.0.0.1\r\n");
  const auto gsm = AddNode("00002", "B", "MODEM\t2\r\nPHONE\t+7900\r\n");
  const auto tcp = AddNode("00003", "C", "MODEM\t3\r\nPHONE\t5551234\r\nIPADDRESS\t10.0.0.3\r\n");
  const auto none = AddNode("00004", "D", "PHONE\t5551234\r\n");
  document_.AddNodeFile(folder_.File("missing.zev"));
  document_.UpdateAllViews();
  ASSERT_EQ(grid()->GetRowCount(), 6);
  const std::vector<std::vector<std::string>> rows = {
      {"1", "00001 A", "5551234", "0", "В очереди"}, {"2", "00002 B", "+7900", "0", "В очереди"},
      {"3", "00003 C", "10.0.0.3", "0", "В очереди"}, {"4", "00004 D", "", "0", "В очереди"},
      {"5", zv::Cp1251ToUtf8(zv::LocalPathToCp1251(folder_.File("missing.zev"))) + " ", "", "0",
       "Файл не найден"}};
  for (int r = 1; r <= 5; ++r) {
    for (int c = 0; c < 5; ++c) EXPECT_EQ(Utf8(r, c), rows[r - 1][c]) << r << "," << c;
  }
  EXPECT_EQ(Back(5, 4), kRed);
  // The header row.
  const std::vector<std::string> heads = {" № ", "Узел учета", "Номер телефона", "Попытка", "Состояние",
                                          "Считано    "};
  for (int c = 0; c < 6; ++c) EXPECT_EQ(Utf8(0, c), heads[c]);
  EXPECT_EQ(grid()->GetFixedRowCount(), 1);
  EXPECT_EQ(grid()->GetFixedColumnCount(), 1);
  EXPECT_FALSE(grid()->IsEditable());
  EXPECT_FALSE(grid()->GetListMode());
  EXPECT_EQ(grid()->GetDlgCtrlID(), 100u);
  // Another update adds nothing twice.
  document_.UpdateAllViews();
  EXPECT_EQ(grid()->GetRowCount(), 6);
}

TEST_F(FrameTest, WithoutStoredWidthsColumnOneTakesTheRest) {
  MakeFrame();
  EXPECT_EQ(grid()->GetColumnWidth(1), grid()->GetClientRect().Width() - 390);
  EXPECT_EQ(Pane(), "Ожидание");
}

// A window narrower than the other columns: the grid refuses the negative
// width and column 1 keeps its automatic size.
TEST_F(FrameTest, ANarrowWindowKeepsTheAutomaticWidth) {
  frame_ = std::make_unique<CMainFrame>(&document_, setup_);
  ASSERT_TRUE(frame_->Create());
  frame_->resize(300, 200);
  frame_->show();
  view()->OnInitialUpdate();
  EXPECT_LT(grid()->GetClientRect().Width(), 390);
  const int automatic = grid()->GetColumnWidth(1);
  EXPECT_GT(automatic, 0);
  grid()->AutoSizeColumn(1);
  EXPECT_EQ(grid()->GetColumnWidth(1), automatic);
}

// A frame made afresh in a small and a large font, the application's font
// restored afterwards.
class FontFrameTest : public FrameTest {
 protected:
  template <typename Check>
  void InTwoFontSizes(Check check) {
    const QFont before = QApplication::font();
    for (int pixels : {12, 15}) {
      SCOPED_TRACE(pixels);
      QFont font(QStringLiteral("DejaVu Sans"));
      font.setPixelSize(pixels);
      QApplication::setFont(font);
      frame_.reset();
      MakeFrame();
      check();
    }
    frame_.reset();
    QApplication::setFont(before);
  }
};

// The heading row holds its texts in the grid's font with the margin above
// and below them, in a small and a large font; it is no higher than that needs
// unless the default row height is.
TEST_F(FontFrameTest, TheHeadingRowHoldsItsTextsWithTheirMargins) {
  InTwoFontSizes([&] {
    const int margin = static_cast<int>(grid()->GetCell(0, 1)->GetMargin());
    int needed = 0;
    for (int col = 0; col < grid()->GetColumnCount(); ++col) {
      const QFontMetrics metrics(zv::LogFontToQFont(*grid()->GetCell(0, col)->GetFont()));
      needed = std::max(needed, metrics.boundingRect(zv::QFromCp1251(Text(0, col))).height());
      needed = std::max(needed, metrics.height());
    }
    needed += 2 * margin;
    EXPECT_GE(grid()->GetRowHeight(0), needed);
    EXPECT_EQ(grid()->GetRowHeight(0), std::max(needed, grid()->GetDefaultCell(false, false)->GetHeight()));
  });
}

// Automatic widths measure the headings; the read time shown for good in
// column 5 must fit its column whatever digits it holds.
TEST_F(FontFrameTest, AutomaticWidthsHoldTheReadTime) {
  InTwoFontSizes([&] {
    const std::shared_ptr<CNode> node = AddNode("00042", "School");
    const int row = RowOf(*node);
    view()->UpdateNodeRow(0, *node, status::kOk);
    const int width = grid()->GetColumnWidth(5);
    EXPECT_LE(grid()->GetTextExtent(row, 5, Text(row, 5)).cx, width) << Text(row, 5);
    for (char digit = '0'; digit <= '9'; ++digit) {
      const std::string time = std::string(2, digit) + "." + std::string(2, digit) + " " + std::string(2, digit) +
                               ":" + std::string(2, digit) + ":" + std::string(2, digit);
      EXPECT_LE(grid()->GetTextExtent(row, 5, time).cx, width) << time;
    }
  });
}

TEST_F(FrameTest, StoredWidthsSetOnlyTheirColumns) {
  ASSERT_TRUE(zv::Profile(zv::kProgramZEVModem).WriteString("Settings", "GridColumns", "41;;202;"));
  MakeFrame();
  EXPECT_EQ(grid()->GetColumnWidth(0), 41);
  EXPECT_EQ(grid()->GetColumnWidth(1), 202);
  // The others keep the width a new grid gives its columns.
  const int fresh = CGridCtrl().GetDefaultCell(false, false)->GetWidth();
  for (int c = 2; c < 6; ++c) EXPECT_EQ(grid()->GetColumnWidth(c), fresh) << c;
  view()->SaveGridColumns();
  EXPECT_EQ(zv::Profile(zv::kProgramZEVModem).GetString("Settings", "GridColumns", ""),
            "41;202;" + std::to_string(fresh) + ";" + std::to_string(fresh) + ";" + std::to_string(fresh) + ";" +
                std::to_string(fresh) + ";");
}

// ---- context menu, removal and refusals ------------------------------------

class ContextMenuTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    MakeFrame();
    for (const char* name : {"A", "B", "C", "D"}) nodes_.push_back(AddNode("0000" + std::string(1, name[0] - 'A' + '1'), name));
    view()->SetPopupHook([this](QMenu& menu, const QPoint&) -> QAction* {
      menu_.clear();
      QAction* chosen = nullptr;
      for (QAction* action : menu.actions()) {
        menu_.push_back(action->text().toStdString());
        if (action->text().toStdString() == choose_) chosen = action;
      }
      selected_at_menu_ = grid()->GetSelectedCount();
      return chosen;
    });
  }
  void RightClick(int row, int col) {
    const QPoint at = zv::test::CellCentre(*grid(), row, col);
    zv::test::Press(*grid(), at, Qt::NoModifier, Qt::RightButton);
    zv::test::Release(*grid(), at, Qt::NoModifier, Qt::RightButton);
  }

  std::vector<std::shared_ptr<CNode>> nodes_;
  std::vector<std::string> menu_;
  std::string choose_;
  int selected_at_menu_ = -1;
};

TEST_F(ContextMenuTest, ARightClickSelectsTheCellAndRemovalRenumbers) {
  grid()->SelectRange(1, 1, 2, 5);
  RightClick(3, 2);
  EXPECT_EQ(menu_, (std::vector<std::string>{"Удалить из списка", "Параметры...", "", "Открыть в ZEVView",
                                             "Открыть папку с файлом"}));
  EXPECT_EQ(selected_at_menu_, 1);
  EXPECT_TRUE(grid()->IsCellSelected(3, 2));
  EXPECT_EQ(grid()->GetFocusCell(), CCellID(3, 2));

  choose_ = "Удалить из списка";
  RightClick(3, 2);
  EXPECT_EQ(document_.NodeCount(), 3u);
  EXPECT_EQ(document_.FindNode(nodes_[2]->id()), nullptr);
  EXPECT_TRUE(document_.IsModified());
  ASSERT_EQ(grid()->GetRowCount(), 4);
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(Text(r, 0), std::to_string(r));
  EXPECT_EQ(Text(3, 1), "00004 D");

  // The last row: nothing to renumber.
  RightClick(3, 1);
  EXPECT_EQ(grid()->GetRowCount(), 3);
  EXPECT_EQ(Text(1, 1), "00001 A");
  EXPECT_EQ(Text(2, 1), "00002 B");
  EXPECT_TRUE(messages_.requests().empty());
}

// "Параметры..." on an idle node: the dialog's new name renames the file, and
// the row and the document's path copy follow.
TEST_F(ContextMenuTest, NodeSettingsRenameTheFileAndTheRow) {
  choose_ = "Параметры...";
  const bool acted = zv::test::AnswerModal<CNodeProperties>(
      [&] { RightClick(2, 1); },
      [](CNodeProperties& dialog) {
        qobject_cast<QLineEdit*>(dialog.Control(1006))->setText(QString::fromUtf8("Школа"));
        dialog.OnOK();
      });
  ASSERT_TRUE(acted);
  const std::string renamed = folder_.File("00002_Школа.zev");
  EXPECT_TRUE(zv::FileExists(renamed));
  EXPECT_FALSE(zv::FileExists(folder_.File("00002_B.zev")));
  EXPECT_EQ(document_.NodePath(nodes_[1]->id()), renamed);
  EXPECT_EQ(Utf8(2, 1), "00002 Школа");
  EXPECT_TRUE(document_.IsModified());
}

// A node of no known link shows no address in its new row; after its settings
// the row shows the address from the header, as the settings have always done.
TEST_F(ContextMenuTest, NodeSettingsShowTheAddressOfAnUnknownLink) {
  const auto node = AddNode("00005", "E", "IPADDRESS\t10.0.0.9\r\nPHONE\t5551234\r\n");
  const int row = RowOf(*node);
  ASSERT_EQ(row, 5);
  EXPECT_EQ(Text(row, 2), "");
  choose_ = "Параметры...";
  ASSERT_TRUE(zv::test::AnswerModal<CNodeProperties>([&] { RightClick(row, 1); },
                                                     [](CNodeProperties& dialog) { dialog.OnOK(); }));
  EXPECT_EQ(Text(row, 2), "10.0.0.9");
  EXPECT_EQ(Text(row, 1), "00005 E");
}

TEST_F(ContextMenuTest, NothingHappensWithoutACell) {
  choose_ = "Удалить из списка";
  const QPoint below(10, grid()->GetClientRect().Height() - 2);
  zv::test::Release(*grid(), below, Qt::NoModifier, Qt::RightButton);
  EXPECT_TRUE(menu_.empty());
  EXPECT_EQ(document_.NodeCount(), 4u);
}

}  // namespace
