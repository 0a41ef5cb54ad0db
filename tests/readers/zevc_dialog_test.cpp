// ZEVC's dialog on the offscreen platform, with the file list and the worker
// against the simulated collector and a stand-in converter.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

#include "platform/profile.h"
#include "platform/qt/message_box.h"
#include "tests/support/temp_dir.h"

#include "readers/collector/zevc_dlg.h"
#include "readers/common/reader_flags.h"
#include "tests/readers/zevc_rig.h"
#include "tests/support/text_room.h"

namespace zv::test {
namespace {

using namespace std::chrono_literals;
using sim::Bytes;
using Clears = std::vector<std::pair<int, int>>;

// Lets posted events run until `done` holds; false when the bound passed.
bool ProcessUntil(const std::function<bool()>& done, std::chrono::milliseconds bound = 30s) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents();
    if (done()) return true;
    std::this_thread::sleep_for(2ms);
  }
  return false;
}

class ZevcDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    g_bStop = false;
    g_bIdle = true;
    const Profile p(kProgramZEVC);
    p.WriteInt("Properties", "DataTransfer", 0);
    p.WriteInt("Properties", "ArchiveSave", 0);
    p.WriteInt("Properties", "ShowDeleted", 0);
  }
  void TearDown() override {
    dialog.reset();
    g_bStop = false;
  }
  CZEVC32Dlg& Dialog() {
    if (!dialog) {
      dialog = std::make_unique<CZEVC32Dlg>(rig.setup);
      QObject::connect(dialog.get(), &QWidget::windowTitleChanged, [this](const QString& t) { titles << t; });
      dialog->show();
    }
    return *dialog;
  }
  // Waits for the end of the job (and of a clear it starts) and the reports it posted.
  // Waits until every job the dialog started has ended, the dialog has
  // handled its end, and no clear waits to start.
  bool WaitJobEnd() {
    return ProcessUntil([&] {
      return g_bIdle.load() && !dialog->ClearPending() && dialog->JobsFinished() == dialog->JobsStarted();
    });
  }
  // A collector of `kind` with 32 KB files in `slots` (status 1, or 3 for
  // kind 3), serial 100 + slot.
  std::map<int, Bytes> StartWithFiles(int kind, int count, int start, std::vector<int> slots) {
    std::map<int, Bytes> images;
    for (int s : slots) images[s] = CollectorImage(32768, 4, 1, 100 + s, 24, 1 + s % 12, 2, 3, std::uint8_t(s));
    EXPECT_TRUE(rig.Start(kind, [&](sim::Collector& c) {
      c.SetPointers(count, start);
      for (const auto& [s, image] : images) c.PutFile(s, kind == 3 ? 3 : 1, image);
    }));
    return images;
  }
  QString Text(int row, int column) const { return dialog->list()->item(row, column)->text(); }
  bool Checked(int row) const {
    return dialog->list()->item(row, CZEVC32Dlg::kColumnCheck)->checkState() == Qt::Checked;
  }
  void Check(int row, bool on) {
    dialog->list()->item(row, CZEVC32Dlg::kColumnCheck)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  std::uint32_t Entry(int row) const {
    return dialog->list()->item(row, CZEVC32Dlg::kColumnCheck)->data(Qt::UserRole).toUInt();
  }
  std::vector<int> CopiedSlots() const {
    std::vector<int> out;
    for (int r = 0; r < dialog->list()->rowCount(); ++r) {
      if (Text(r, CZEVC32Dlg::kColumnCopied) == QStringLiteral("скопирован")) out.push_back(int(Entry(r) & 0xFFFF));
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  bool ButtonsEnabled() const {
    return dialog->copy_all_button()->isEnabled() && dialog->file_list_button()->isEnabled() &&
           dialog->copy_selected_button()->isEnabled() && dialog->clear_button()->isEnabled();
  }
  std::vector<std::string> Bins() const {
    std::vector<std::string> out;
    std::error_code e;
    for (const auto& f : std::filesystem::directory_iterator(rig.base + "/bins", e)) out.push_back(f.path().filename());
    std::sort(out.begin(), out.end());
    return out;
  }
  bool SawTitle(const QString& t) const { return titles.contains(t); }

  ZevcRig rig;
  QStringList titles;
  std::unique_ptr<CZEVC32Dlg> dialog;  // goes before the rig
};

TEST_F(ZevcDialogTest, ControlsAndTexts) {
  Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", 1);
  CZEVC32Dlg& d = Dialog();
  EXPECT_EQ(d.windowTitle(), "ZEVC");
  EXPECT_EQ(d.copy_all_button()->text(), QStringLiteral("Копировать все новые\nи очистить ZEVC"));
  EXPECT_EQ(d.cancel_button()->text(), QStringLiteral("Отменить"));
  EXPECT_EQ(d.file_list_button()->text(), QStringLiteral("Список файлов"));
  EXPECT_EQ(d.copy_selected_button()->text(), QStringLiteral("Копировать выбранные"));
  EXPECT_EQ(d.clear_button()->text(), QStringLiteral("Очистить ZEVC"));
  EXPECT_EQ(d.show_deleted_box()->text(), QStringLiteral("Показывать удаленные файлы"));
  EXPECT_EQ(d.data_transfer_box()->text(), QStringLiteral("Добавлять скопированные данные в файлы .zev"));
  EXPECT_EQ(d.archive_save_box()->text(), QStringLiteral("Сохранять копии в папке ARCHIVE-BINS"));
  EXPECT_TRUE(d.show_deleted_box()->isChecked());
  EXPECT_FALSE(d.data_transfer_box()->isChecked());
  EXPECT_EQ(d.port_edit()->text(), "4");
  QStringList labels;
  for (QLabel* l : d.findChildren<QLabel*>()) labels << l->text();
  EXPECT_TRUE(labels.contains("COM"));

  QTableWidget* list = d.list();
  ASSERT_EQ(list->columnCount(), 4);
  const char* headings[4] = {"", "Номер", "Дата", ""};
  for (int c = 0; c < 4; ++c) EXPECT_EQ(list->horizontalHeaderItem(c)->text(), QString::fromUtf8(headings[c])) << c;
  EXPECT_TRUE(list->showGrid());
  EXPECT_FALSE(list->verticalHeader()->isVisible());
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);

  // Enter starts nothing.
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&d, &key);
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.windowTitle(), "ZEVC");

  QStringList actions;
  QTimer::singleShot(0, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      for (QAction* a : menu->actions()) actions << a->text();
      menu->close();
    }
  });
  QContextMenuEvent menu_event(QContextMenuEvent::Mouse, QPoint(5, 5), d.mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(&d, &menu_event);
  EXPECT_EQ(actions, QStringList{"&About ZEVC..."});
}

TEST_F(ZevcDialogTest, ListRowsHoldEveryTextOfTheirColumnsOnOneLine) {
  StartWithFiles(2, 3, 0, {0, 1, 2});
  CZEVC32Dlg& d = Dialog();
  d.file_list_button()->click();
  QTableWidget* list = d.list();
  ASSERT_EQ(list->rowCount(), 3);
  // Every text each column's format gives: the row numbers, every serial, every
  // day, month and hour (and every year) of the header's date, "скопирован".
  std::array<QStringList, 4> texts;
  for (int n = 1; n <= kCollectorJobEntries; ++n) texts[0] << QStringLiteral(" %1").arg(n);
  for (int n = 1; n <= 0xFFFE; ++n) texts[1] << QStringLiteral("%1").arg(n, 5, 10, QLatin1Char('0'));
  for (int day = 1; day <= 31; ++day) {
    for (int month = 1; month <= 12; ++month) {
      for (int hour = 0; hour <= 23; ++hour) {
        texts[2] << QString::asprintf("%02d.%02d.2088 %02d:00", day, month, hour);
      }
    }
  }
  for (int year = 2000; year <= 2099; ++year) texts[2] << QString::asprintf("28.08.%d 20:00", year);
  texts[3] << QStringLiteral("скопирован");
  const int design[4] = {45, 55, 110, 100};
  for (int c = 0; c < 4; ++c) {
    QString widest_text;
    int widest = 0;
    for (const QString& t : texts[static_cast<size_t>(c)]) {
      const int width = CellTextWidth(*list, t);
      if (width > widest) std::tie(widest, widest_text) = std::pair(width, t);
    }
    const int room = CellTextRoom(*list, list->model()->index(0, c), widest_text);
    EXPECT_LE(widest, room) << "column " << c;
    EXPECT_LE(list->horizontalHeader()->sectionSizeHint(c), list->columnWidth(c)) << "heading " << c;
    // A design width that holds the column's texts stays as it is.
    EXPECT_GE(list->columnWidth(c), design[c]) << c;
    const int needed = widest + list->columnWidth(c) - room;
    if (needed <= design[c] && list->horizontalHeader()->sectionSizeHint(c) <= design[c]) {
      EXPECT_EQ(list->columnWidth(c), design[c]) << c;
    }
  }
  // The listed texts are among them, and one line of text fills a row.
  EXPECT_EQ(Text(0, CZEVC32Dlg::kColumnDate), "02.01.2024 03:00");
  EXPECT_FALSE(list->wordWrap());

  // At the smallest window the list still shows every column beside its
  // scroll bar, and every control its text.
  d.resize(1, 1);
  QCoreApplication::processEvents();
  int columns = 0;
  for (int c = 0; c < 4; ++c) columns += list->columnWidth(c);
  EXPECT_LE(columns, list->viewport()->width());
  for (QWidget* w : d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (qobject_cast<QAbstractButton*>(w) != nullptr || qobject_cast<QLabel*>(w) != nullptr) {
      EXPECT_EQ(SizeShortfall(*w), "");
    }
  }
  EXPECT_EQ(LineEditShortfall(*d.port_edit(), QStringLiteral("256")), "");
}

TEST_F(ZevcDialogTest, FileListFillsTheRows) {
  rig.SilentReads();  // kind 1
  rig.Start(1, [](sim::Collector& c) {
    c.SetPointers(4, 30);
    c.PutFile(30, 1, CollectorImage(32768, 4, 1, 7, 24, 11, 12, 13, 1));
    c.PutFile(31, 1, CollectorImage(32768, 4, 1, 0, 24, 11, 12, 13, 1));  // no valid header
    c.PutFile(0, 1, CollectorImage(32768, 2, 1, 65000, 9, 1, 2, 3, 2));
    c.PutFile(1, 1, CollectorImage(32768, 4, 4, 12, 24, 5, 6, 0, 3));
  });
  CZEVC32Dlg& d = Dialog();
  d.file_list_button()->click();
  EXPECT_EQ(d.windowTitle(), "ZEVC");
  for (int i = 1; i <= 4; ++i) EXPECT_TRUE(SawTitle(QStringLiteral("ZEVC - Чтение заголовка файла %1 из 4").arg(i)));
  EXPECT_EQ(d.progress()->maximum(), 4);
  EXPECT_EQ(d.progress()->value(), 4);
  ASSERT_EQ(d.list()->rowCount(), 3);
  const char* rows[3][3] = {{" 1", "00007", "12.11.2024 13:00"}, {" 2", "65000", "02.01.2009 03:00"},
                            {" 3", "00012", "06.05.2024 00:00"}};
  const std::uint32_t entries[3] = {CollectorFileEntry(30, 1), CollectorFileEntry(0, 1), CollectorFileEntry(1, 1)};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(Text(r, c), rows[r][c]) << r << " " << c;
    EXPECT_EQ(Text(r, 3), "");
    EXPECT_EQ(Entry(r), entries[r]);
    EXPECT_FALSE(Checked(r));
    EXPECT_TRUE(d.list()->item(r, 0)->flags() & Qt::ItemIsUserCheckable);
  }
  EXPECT_TRUE(ButtonsEnabled());
  EXPECT_FALSE(d.WorkerRunning());
}

TEST_F(ZevcDialogTest, FileListFailureTitles) {
  // "Ошибка открытия СОМ-порта" with a Cyrillic С, О, М; "указатeлей" with a Latin e.
  const QString open_failed = QStringLiteral("Ошибка открытия ") + QChar(0x0421) + QChar(0x041E) + QChar(0x041C) +
                              QStringLiteral("-порта");
  const QString pointers = QStringLiteral("Ошибка чтения указат") + QChar('e') + QStringLiteral("лей");
  struct Case {
    const char* name;
    std::function<void(sim::Collector&)> prepare;
    std::string port;
    QString title;
  };
  const Case cases[] = {
      {"no port", {}, "9", open_failed},
      {"no pointers", [](sim::Collector& c) { c.SetSilentFrom(0); }, "4", pointers},
      {"count 0", [](sim::Collector& c) { c.SetPointers(0, 5); }, "4", QStringLiteral("В считывателе нет файлов")},
  };
  rig.SilentReads();  // "no pointers"
  CZEVC32Dlg& d = Dialog();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(rig.Start(3, c.prepare));
    d.port_edit()->setText(QString::fromStdString(c.port));
    d.file_list_button()->click();
    EXPECT_EQ(d.windowTitle(), c.title);
    EXPECT_EQ(d.list()->rowCount(), 0);
  }
  // The copy-all finds no rows then.
  d.copy_all_button()->click();
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - Считыватель пуст"));
  EXPECT_FALSE(d.WorkerRunning());
  EXPECT_EQ(rig.Requests(0x03), 0u);
}

TEST_F(ZevcDialogTest, HeaderClicksToggleChecksAndSortWholeRows) {
  // Serials 105, 103, 105, 101 in listing order; months 6, 4, 6, 2.
  rig.SilentReads();  // kind 1
  StartWithFiles(1, 4, 5, {5, 6, 7, 8});
  rig.collector->PutFile(6, 1, CollectorImage(32768, 4, 1, 103, 24, 4, 2, 3, 6));
  rig.collector->PutFile(7, 1, CollectorImage(32768, 4, 1, 105, 24, 6, 2, 3, 7));
  rig.collector->PutFile(8, 1, CollectorImage(32768, 4, 1, 101, 24, 2, 2, 3, 8));
  CZEVC32Dlg& d = Dialog();
  d.file_list_button()->click();
  ASSERT_EQ(d.list()->rowCount(), 4);
  Check(1, true);
  Check(2, true);

  const auto header = [&](int column) { d.list()->horizontalHeader()->sectionClicked(column); };
  header(0);
  EXPECT_EQ((std::vector<bool>{Checked(0), Checked(1), Checked(2), Checked(3)}),
            (std::vector<bool>{true, false, false, true}));
  header(0);
  EXPECT_EQ((std::vector<bool>{Checked(0), Checked(1), Checked(2), Checked(3)}),
            (std::vector<bool>{false, true, true, false}));

  // A row: number, serial, date, check and entry together.
  struct Row {
    QString number, serial;
    bool checked;
    int slot;
    bool operator==(const Row&) const = default;
  };
  const auto rows = [&] {
    std::vector<Row> out;
    for (int r = 0; r < d.list()->rowCount(); ++r) out.push_back({Text(r, 0), Text(r, 1), Checked(r), int(Entry(r) & 0xFFFF)});
    return out;
  };
  const Row r1{" 1", "00105", false, 5}, r2{" 2", "00103", true, 6}, r3{" 3", "00105", true, 7},
      r4{" 4", "00101", false, 8};
  header(1);
  EXPECT_EQ(rows(), (std::vector<Row>{r4, r2, r1, r3}));  // equal serials keep their order
  header(1);
  EXPECT_EQ(rows(), (std::vector<Row>{r4, r2, r1, r3}));  // always ascending
  header(2);
  EXPECT_EQ(rows(), (std::vector<Row>{r4, r2, r1, r3}));
  // A date that does not read goes last; the hour counts.
  d.list()->item(0, 2)->setText("garbage");
  d.list()->item(2, 2)->setText("02.04.2024 02:00");
  header(2);
  EXPECT_EQ(rows(), (std::vector<Row>{r1, r2, r3, r4}));
  EXPECT_EQ(Text(0, 2), "02.04.2024 02:00");
  EXPECT_EQ(Text(1, 2), "02.04.2024 03:00");
  EXPECT_EQ(Text(3, 2), "garbage");
  header(3);
  EXPECT_EQ(rows(), (std::vector<Row>{r1, r2, r3, r4}));
}

TEST_F(ZevcDialogTest, DateSortReadsEveryDeviceHourWhateverTheComputersZone) {
  // The device's clock knows no summer time: the hour the computer's zone
  // skips in spring is a date like any other.
  const char* old_tz = std::getenv("TZ");
  const std::string saved = old_tz ? old_tz : "";
  ::setenv("TZ", "Europe/Berlin", 1);
  ::tzset();
  rig.SilentReads();  // kind 1
  StartWithFiles(1, 3, 0, {0, 1, 2});
  CZEVC32Dlg& d = Dialog();
  d.file_list_button()->click();
  ASSERT_EQ(d.list()->rowCount(), 3);
  d.list()->item(0, 2)->setText("29.03.2026 03:00");
  d.list()->item(1, 2)->setText("29.03.2026 02:00");
  d.list()->item(2, 2)->setText("29.03.2026 01:00");
  d.list()->horizontalHeader()->sectionClicked(2);
  const QStringList dates{Text(0, 2), Text(1, 2), Text(2, 2)};
  if (old_tz) {
    ::setenv("TZ", saved.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
  EXPECT_EQ(dates, (QStringList{"29.03.2026 01:00", "29.03.2026 02:00", "29.03.2026 03:00"}));
  EXPECT_EQ(Entry(1) & 0xFFFF, 1u);  // the row moved whole
}

TEST_F(ZevcDialogTest, CopySelectedMarksExactlyTheCopiedRowsEvenAfterASort) {
  StartWithFiles(2, 6, 10, {10, 11, 12, 13, 14, 15});
  // Serials in falling order, so that a sort turns the rows round.
  for (int s = 10; s <= 15; ++s) rig.collector->PutFile(s, 1, CollectorImage(32768, 4, 1, 200 - s, 24, 1, 2, 3, 1));
  CZEVC32Dlg& d = Dialog();
  d.file_list_button()->click();
  ASSERT_EQ(d.list()->rowCount(), 6);
  Check(1, true);  // rows 2 and 5
  Check(4, true);
  d.copy_selected_button()->click();
  // Sorted before any report of the job is shown.
  d.list()->horizontalHeader()->sectionClicked(1);
  EXPECT_EQ(Entry(0) & 0xFFFF, 15u);
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_TRUE(SawTitle(QStringLiteral("ZEVC - Копирование файла 2")));
  EXPECT_TRUE(SawTitle(QStringLiteral("ZEVC - Копирование файла 5")));
  EXPECT_EQ(titles.filter("Копирование").size(), 2);
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - Все данные считаны"));
  EXPECT_EQ(CopiedSlots(), (std::vector<int>{11, 14}));
  for (int r = 0; r < 6; ++r) {
    const bool copied = Text(r, 3) == QStringLiteral("скопирован");
    EXPECT_FALSE(Checked(r)) << r;  // the copied ones unchecked, the others never checked
    EXPECT_EQ(copied, (Entry(r) & 0xFFFF) == 11 || (Entry(r) & 0xFFFF) == 14) << r;
  }
  EXPECT_EQ(Bins(), (std::vector<std::string>{"00186_2024-01-02_03-00.bin", "00189_2024-01-02_03-00.bin"}));
  for (int s : {11, 14}) {
    const Bytes image = CollectorImage(32768, 4, 1, 200 - s, 24, 1, 2, 3, 1);
    EXPECT_EQ(TempDir::Read(rig.base + "/bins/00" + std::to_string(200 - s) + "_2024-01-02_03-00.bin"),
              CollectorBinsBytes(image));
  }
  EXPECT_TRUE(rig.collector->clears().empty());
  EXPECT_TRUE(ButtonsEnabled());
  EXPECT_EQ(d.progress()->value(), d.progress()->minimum() - 1);  // the empty bar

  // None checked.
  d.copy_selected_button()->click();
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - Нет выбранных файлов"));
  EXPECT_FALSE(d.WorkerRunning());
}

TEST_F(ZevcDialogTest, CopyAllCopiesThenClears) {
  struct Case {
    int show_deleted;
    Clears clears;
    size_t files;  // with ShowDeleted the last slot is not listed
  };
  for (const Case& c : {Case{0, {{0, 2}}, 3}, Case{1, {{0, 0}}, 2}}) {
    SCOPED_TRACE(c.show_deleted);
    Profile(kProgramZEVC).WriteInt("Properties", "ShowDeleted", c.show_deleted);
    RemoveTree(rig.base + "/bins");
    StartWithFiles(3, 3, 30, {30, 31, 0});
    dialog.reset();
    titles.clear();
    CZEVC32Dlg& d = Dialog();
    d.copy_all_button()->click();
    EXPECT_TRUE(d.WorkerRunning());
    EXPECT_TRUE(d.ClearAfterCopy());
    ASSERT_TRUE(WaitJobEnd());
    EXPECT_EQ(rig.collector->clears(), c.clears);
    EXPECT_EQ(Bins().size(), c.files);
    // The clear starts after the copy's end, with its own title and wait.
    const int copied = static_cast<int>(titles.indexOf(QStringLiteral("ZEVC - Все данные считаны")));
    const int clearing = static_cast<int>(titles.lastIndexOf(QStringLiteral("ZEVC - Очистка считывателя")));
    EXPECT_GE(copied, 0);
    EXPECT_GT(clearing, copied);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - Считыватель очищен"));
    EXPECT_EQ(d.list()->rowCount(), 0);
    EXPECT_FALSE(d.ClearAfterCopy());
    EXPECT_TRUE(ButtonsEnabled());
  }
}

TEST_F(ZevcDialogTest, CancelledCopyAllNeverClears) {
  StartWithFiles(2, 3, 0, {0, 1, 2});
  rig.setup.timing.port.read_total_constant = Ms(60000);  // only the stop ends a silent read
  CZEVC32Dlg& d = Dialog();
  d.file_list_button()->click();
  ASSERT_EQ(d.list()->rowCount(), 3);
  // The command lists again (as many requests as this list), then the copy's
  // pointers and status and 30 blocks of the first file.
  const size_t silent = 2 * rig.collector->requests().size() + 2 + 30;
  rig.collector->SetSilentFrom(silent);
  d.copy_all_button()->click();
  ASSERT_TRUE(ProcessUntil([&] { return rig.collector->requests().size() > silent; }));
  ASSERT_TRUE(ProcessUntil([&] { return !ButtonsEnabled(); }));
  d.cancel_button()->click();
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - Задание отменено"));
  EXPECT_TRUE(ButtonsEnabled());
  EXPECT_EQ(d.progress()->value(), d.progress()->minimum() - 1);
  EXPECT_FALSE(d.ClearAfterCopy());
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - Задание отменено"));
  EXPECT_TRUE(ButtonsEnabled());
  EXPECT_TRUE(Bins().empty());
  EXPECT_EQ(CopiedSlots(), std::vector<int>{});

  // A later copy of the checked rows is not followed by a clear either.
  rig.collector->SetSilentFrom(1000000);
  dialog->list()->item(1, 0)->setCheckState(Qt::Unchecked);
  dialog->list()->item(2, 0)->setCheckState(Qt::Unchecked);
  d.copy_selected_button()->click();
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - Все данные считаны"));
  EXPECT_EQ(CopiedSlots(), std::vector<int>{0});
  EXPECT_FALSE(ProcessUntil([&] { return rig.Requests(0x03) > 0; }, 200ms));
  EXPECT_TRUE(rig.collector->clears().empty());
}

TEST_F(ZevcDialogTest, CancelDuringTheConverterLeavesItRunning) {
  rig.WriteConverter("sleep 1; echo done > converter.done");
  Profile(kProgramZEVC).WriteInt("Properties", "DataTransfer", 1);
  Profile(kProgramZEVC).WriteInt("Properties", "ArchiveSave", 1);
  StartWithFiles(2, 2, 0, {0, 1});
  CZEVC32Dlg& d = Dialog();
  d.copy_all_button()->click();
  ASSERT_TRUE(ProcessUntil([&] { return !rig.ConverterLog().empty(); }));
  d.cancel_button()->click();
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - Задание отменено"));
  EXPECT_TRUE(ButtonsEnabled());
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - Задание отменено"));
  EXPECT_FALSE(FileExists(rig.base + "/converter.done"));
  EXPECT_TRUE(sim::WaitUntil([&] { return FileExists(rig.base + "/converter.done"); }, 20s));
  // The file the converter had stays whole in bins; the next one was never read.
  EXPECT_EQ(Bins(), std::vector<std::string>{"00100_2024-01-02_03-00.bin"});
  EXPECT_EQ(rig.BlockSlots(), (std::vector<int>{0, 1, 0}));  // two headers, the first file
  EXPECT_TRUE(rig.collector->clears().empty());
  EXPECT_FALSE(ProcessUntil([&] { return d.ClearPending() || rig.Requests(0x03) > 0; }, 200ms));
}

TEST_F(ZevcDialogTest, CopyAllThatDidNotSaveEveryFileDoesNotClear) {
  struct Case {
    const char* name;
    // Given the number of requests before the copy's.
    std::function<void(sim::Collector&, size_t)> fault;
    std::vector<int> copied;
    QString title;
  };
  const Case cases[] = {
      {"read failure", [](sim::Collector& c, size_t n) { c.SetFault(n + 2 + 128 + 5, {.bad_crc1 = true}); }, {0},
       QStringLiteral("ZEVC - Ошибка чтения данных")},
      {"year 2099", [](sim::Collector& c, size_t) { c.PutFile(1, 3, CollectorImage(32768, 4, 1, 9, 99, 1, 2, 3, 0)); },
       {0, 2}, QStringLiteral("ZEVC - Все данные считаны")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveTree(rig.base + "/bins");
    StartWithFiles(3, 3, 0, {0, 1, 2});
    dialog.reset();
    titles.clear();
    CZEVC32Dlg& d = Dialog();
    // The command lists again (as many requests as this list) before it copies.
    d.file_list_button()->click();
    c.fault(*rig.collector, rig.collector->requests().size() * 2);
    d.copy_all_button()->click();
    ASSERT_TRUE(WaitJobEnd());
    EXPECT_EQ(d.windowTitle(), c.title);
    EXPECT_EQ(CopiedSlots(), c.copied);
    EXPECT_EQ(Bins().size(), c.copied.size());
    EXPECT_FALSE(SawTitle(QStringLiteral("ZEVC - Очистка считывателя")));
    EXPECT_TRUE(rig.collector->clears().empty());
    EXPECT_FALSE(d.ClearAfterCopy());
    EXPECT_TRUE(ButtonsEnabled());
  }
  EXPECT_TRUE(SawTitle(QStringLiteral("ZEVC - Файл данных 2 не сохранен")));
}

TEST_F(ZevcDialogTest, CopyRefusedWhenTheCollectorSeemsAnotherKind) {
  rig.SilentReads();  // the status answers of the copy are lost
  StartWithFiles(2, 2, 0, {0, 1});
  CZEVC32Dlg& d = Dialog();
  d.file_list_button()->click();
  ASSERT_EQ(d.list()->rowCount(), 2);
  rig.collector->SetStatusUnansweredFor(1000);
  const size_t blocks = rig.BlockSlots(false).size();
  Check(0, true);
  d.copy_selected_button()->click();
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - Ошибка чтения указателя"));
  EXPECT_EQ(rig.BlockSlots(false).size(), blocks);
  EXPECT_TRUE(Bins().empty());
  EXPECT_TRUE(ButtonsEnabled());
}

TEST_F(ZevcDialogTest, ClearCommandWaitsThenRunsTheJob) {
  rig.setup.clear_wait = Ms(300);
  rig.Start(3, [](sim::Collector& c) { c.SetPointers(0, 9); });
  CZEVC32Dlg& d = Dialog();
  d.clear_button()->click();
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - Очистка считывателя"));
  EXPECT_TRUE(d.ClearPending());
  EXPECT_FALSE(d.WorkerRunning());
  EXPECT_TRUE(rig.collector->requests().empty());
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - В считывателе нет новых файлов"));
  EXPECT_TRUE(SawTitle(QStringLiteral("ZEVC - Открытие порта связи COM4")));
  EXPECT_EQ(rig.Requests(0x03), 0u);

  // A cancel during the wait drops the clear.
  const size_t requests = rig.collector->requests().size();
  d.clear_button()->click();
  ASSERT_TRUE(d.ClearPending());
  d.cancel_button()->click();
  EXPECT_FALSE(d.ClearPending());
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - Задание отменено"));
  EXPECT_FALSE(ProcessUntil([&] { return d.WorkerRunning() || rig.collector->requests().size() > requests; }, 500ms));
  EXPECT_EQ(d.JobsStarted(), 1);
  EXPECT_TRUE(ButtonsEnabled());

  // A clear whose wait ends while a job runs starts nothing.
  rig.setup.clear_wait = Ms(1);
  StartWithFiles(3, 1, 0, {0});
  dialog.reset();
  CZEVC32Dlg& e = Dialog();
  e.file_list_button()->click();
  Check(0, true);
  e.clear_button()->click();
  e.copy_selected_button()->click();
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(rig.Requests(0x03), 0u);
  EXPECT_EQ(Bins().size(), 1u);
}

TEST_F(ZevcDialogTest, CloseDuringACopyIsPromptAndNeverClears) {
  StartWithFiles(2, 2, 0, {0, 1});
  rig.setup.timing.port.read_total_constant = Ms(60000);
  CZEVC32Dlg& d = Dialog();
  d.file_list_button()->click();
  const size_t silent = 2 * rig.collector->requests().size() + 2 + 10;
  rig.collector->SetSilentFrom(silent);
  d.copy_all_button()->click();
  ASSERT_TRUE(ProcessUntil([&] { return rig.collector->requests().size() > silent; }));
  const auto start = std::chrono::steady_clock::now();
  d.close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_FALSE(d.isVisible());
  EXPECT_FALSE(d.WorkerRunning());
  EXPECT_TRUE(g_bIdle.load());
  EXPECT_FALSE(g_bStop.load());
  EXPECT_FALSE(ProcessUntil([&] { return d.ClearPending() || rig.Requests(0x03) > 0; }, 300ms));
  EXPECT_TRUE(Bins().empty());
}

TEST_F(ZevcDialogTest, CloseDuringTheListWaitsForItsEnd) {
  rig.SilentReads();  // kind 1
  StartWithFiles(1, 6, 0, {0, 1, 2, 3, 4, 5});
  CZEVC32Dlg& d = Dialog();
  QTimer::singleShot(0, &d, [&] { d.close(); });
  d.file_list_button()->click();
  EXPECT_EQ(rig.BlockSlots(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(d.list()->rowCount(), 6);
  ASSERT_TRUE(ProcessUntil([&] { return !d.isVisible(); }, 5s));

  // A close during the walk of a copy-all: the copy does not start.
  dialog.reset();
  CZEVC32Dlg& e = Dialog();
  QTimer::singleShot(0, &e, [&] { e.close(); });
  e.copy_all_button()->click();
  EXPECT_EQ(e.JobsStarted(), 0);
  EXPECT_FALSE(e.WorkerRunning());
  EXPECT_FALSE(e.ClearAfterCopy());
  ASSERT_TRUE(ProcessUntil([&] { return !e.isVisible(); }, 5s));
  EXPECT_TRUE(Bins().empty());
  EXPECT_EQ(rig.Requests(0x03), 0u);
}

TEST_F(ZevcDialogTest, SettingsAreStored) {
  CZEVC32Dlg& d = Dialog();
  const Profile p(kProgramZEVC);
  d.port_edit()->setText("7");
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(d.port_edit(), &out);
  EXPECT_EQ(p.GetString("Properties", "Port", ""), "7");
  // Typed but never left: the command stores it.
  d.port_edit()->setText("8");
  d.clear_button()->click();
  EXPECT_EQ(p.GetString("Properties", "Port", ""), "8");
  d.data_transfer_box()->click();
  EXPECT_EQ(p.GetInt("Properties", "DataTransfer", -1), 1);
  d.archive_save_box()->click();
  EXPECT_EQ(p.GetInt("Properties", "ArchiveSave", -1), 1);
  d.show_deleted_box()->click();
  EXPECT_EQ(p.GetInt("Properties", "ShowDeleted", -1), 1);
  d.show_deleted_box()->click();
  EXPECT_EQ(p.GetInt("Properties", "ShowDeleted", -1), 0);
  // The job gets the port's number and the boxes.
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(d.job().com, 8);
  EXPECT_EQ(d.job().job, kCollectorJobClear);
  EXPECT_EQ(d.job().DataTransfer, 1);
  EXPECT_EQ(d.job().ArchiveSave, 1);
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVC - Ошибка открытия порта связи"));
}

// Settings that cannot be stored (a read-only profile): each failed write is
// reported with the settings file, the boxes go back to their stored states,
// the port field to the stored port, and a command with a new port runs
// nothing.
TEST_F(ZevcDialogTest, SettingsThatCannotBeStoredAreReportedAndNotShownAsStored) {
  const Profile p(kProgramZEVC);
  p.WriteString("Properties", "Port", "5");
  const std::string before = TempDir::Read(p.Path());
  ASSERT_EQ(::chmod(p.Path().c_str(), 0444), 0);
  ScopedMessageHook messages;
  CZEVC32Dlg& d = Dialog();
  for (QCheckBox* box : {d.data_transfer_box(), d.archive_save_box(), d.show_deleted_box()}) {
    box->click();
    EXPECT_FALSE(box->isChecked()) << box->text().toStdString();
  }
  d.port_edit()->setText("7");
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(d.port_edit(), &out);
  EXPECT_EQ(d.port_edit()->text(), "5");
  for (QPushButton* command : {d.file_list_button(), d.copy_all_button(), d.copy_selected_button(), d.clear_button()}) {
    d.port_edit()->setText("7");
    command->click();
    EXPECT_EQ(d.port_edit()->text(), "5");
  }
  EXPECT_FALSE(d.ClearPending());
  EXPECT_EQ(d.JobsStarted(), 0);
  ASSERT_EQ(messages.texts().size(), 8u);
  for (const QString& text : messages.texts())
    EXPECT_TRUE(text.startsWith(QStringLiteral("Не удается сохранить настройки в файле ") +
                                QString::fromStdString(p.Path()) + ".\n"))
        << text.toStdString();
  EXPECT_EQ(TempDir::Read(p.Path()), before);
  ::chmod(p.Path().c_str(), 0644);
}

TEST_F(ZevcDialogTest, LinkEventsChangeProgressTitleAndButtons) {
  CZEVC32Dlg& d = Dialog();
  auto post = [&](ReaderEvent* e) {
    QCoreApplication::postEvent(&d, e);
    QCoreApplication::processEvents();
  };
  post(new ReaderEvent(kLinkEventText, 0, QStringLiteral("abc")));
  EXPECT_EQ(d.windowTitle(), "ZEVC - abc");
  post(new ReaderEvent(kLinkEventRange, 2));
  EXPECT_EQ(d.windowTitle(), "ZEVC");
  EXPECT_EQ(d.progress()->maximum(), 2);
  EXPECT_FALSE(ButtonsEnabled());
  EXPECT_TRUE(d.cancel_button()->isEnabled());
  for (int i = 0; i < 3; ++i) post(new ReaderEvent(kLinkEventStep, 0));
  EXPECT_EQ(d.progress()->value(), 2);
  post(new ReaderEvent(kCollectorJobDone, 0));
  EXPECT_TRUE(ButtonsEnabled());
  post(new ReaderEvent(kLinkEventReset, 0));
  EXPECT_EQ(d.progress()->value(), d.progress()->minimum() - 1);
  post(new ReaderEvent(kLinkEventRange, 5));
  post(new ReaderEvent(kReaderJobFinished, 0));
  EXPECT_TRUE(ButtonsEnabled());
  EXPECT_FALSE(d.ClearPending());
}

}  // namespace
}  // namespace zv::test
