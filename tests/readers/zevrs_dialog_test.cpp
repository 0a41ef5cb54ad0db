// ZEVRS's dialog on the offscreen platform, with the worker against the
// simulated cable and a stand-in converter.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QKeyEvent>
#include <QTimer>
#include <array>
#include <chrono>
#include <limits>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

#include "platform/profile.h"
#include "platform/qt/message_box.h"
#include "tests/support/temp_dir.h"

#include "readers/common/reader_flags.h"
#include "readers/rs/zevrs_dlg.h"
#include "tests/readers/zevrs_rig.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/text_room.h"

namespace zv::test {
namespace {

using namespace std::chrono_literals;

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

class ZevrsDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    g_bStop = false;
    g_bIdle = true;
    ASSERT_TRUE(rig.Start());
    Profile(kProgramZEVRS).WriteInt("Properties", "DataTransfer", 0);
    Profile(kProgramZEVRS).WriteInt("Properties", "ArchiveSave", 0);
  }
  CZEVRSDlg& Dialog() {
    if (!dialog) {
      dialog = std::make_unique<CZEVRSDlg>(rig.setup);
      dialog->show();
    }
    return *dialog;
  }
  // Waits for the worker's end and the reports it posted.
  bool WaitJobEnd() {
    return ProcessUntil([&] { return g_bIdle.load(); }) && ProcessUntil([] { return true; }, 50ms) == true;
  }
  size_t SpeedRequests() const {
    size_t n = 0;
    for (const sim::LoggedRequest& r : rig.heat.requests()) n += r.command == 0x06 ? 1 : 0;
    return n;
  }
  std::vector<std::string> BinsFiles() const {
    std::vector<std::string> out;
    std::error_code e;
    for (const auto& f : std::filesystem::directory_iterator(rig.base + "/bins", e)) out.push_back(f.path().string());
    return out;
  }

  ZevrsRig rig;
  std::unique_ptr<CZEVRSDlg> dialog;  // goes before the rig
};

TEST_F(ZevrsDialogTest, ControlsAndTexts) {
  CZEVRSDlg& d = Dialog();
  EXPECT_EQ(d.windowTitle(), "ZEVRS");
  for (int i = 0; i < kValueFieldCount; ++i) {
    ASSERT_NE(d.findChild<QLineEdit*>(QString::fromLatin1(kValueFieldNames[static_cast<size_t>(i)])), nullptr) << i;
    EXPECT_TRUE(d.field(i)->isReadOnly());
  }
  QStringList labels;
  for (QLabel* l : d.findChildren<QLabel*>()) labels << l->text();
  for (const char* text : {"T - °C", "U - м3", "u - м3/час", "F - ГКал/час", "G - тонн", "P - атм", "Наработка, час",
                           "Дата / время", "Серийный номер", "Версия", "Сетевой адрес", "Номер схемы",
                           "Темп.хол воды", "COM"}) {
    EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
  }
  // The energy legend starts with a Cyrillic Е.
  const QString energy = QString(QChar(0x0415)) + QStringLiteral(" - ГКал");
  EXPECT_TRUE(labels.contains(energy));
  EXPECT_EQ(d.current_button()->text(), QStringLiteral("Текущие показания"));
  EXPECT_EQ(d.hourly_button()->text(), QStringLiteral("Почасовые данные"));
  EXPECT_EQ(d.data_transfer_box()->text(), QStringLiteral("Добавлять скопированные данные в фалы .zev"));
  EXPECT_EQ(d.archive_save_box()->text(), QStringLiteral("Сохранять копии в папке ARCHIVE-BINS"));
  EXPECT_FALSE(d.data_transfer_box()->isChecked());
  EXPECT_EQ(d.port_edit()->text(), "3");

  // Enter starts nothing.
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&d, &key);
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(g_bIdle.load());
  EXPECT_EQ(rig.heat.request_count(), 0u);

  // The context menu offers the about box.
  QStringList actions;
  QTimer::singleShot(0, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      for (QAction* a : menu->actions()) actions << a->text();
      menu->close();
    }
  });
  QContextMenuEvent menu_event(QContextMenuEvent::Mouse, QPoint(5, 5), d.mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(&d, &menu_event);
  EXPECT_EQ(actions, QStringList{"&About ZEVRS..."});
}

TEST_F(ZevrsDialogTest, EveryControlHoldsItsTextsAtTheSmallestWindow) {
  CZEVRSDlg& d = Dialog();
  d.resize(1, 1);
  QCoreApplication::processEvents();
  ASSERT_LT(d.width(), d.sizeHint().width());
  for (QWidget* w : d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (qobject_cast<QAbstractButton*>(w) != nullptr || qobject_cast<QLabel*>(w) != nullptr) {
      EXPECT_EQ(SizeShortfall(*w), "");
    }
  }
  EXPECT_EQ(LineEditShortfall(*d.port_edit(), QStringLiteral("256")), "");

  // The widest texts of each field: values below 10^9, every digit in every
  // place, and the texts of a record at the ends of what the fields hold.
  std::array<QStringList, kValueFieldCount> texts;
  for (char c = '0'; c <= '9'; ++c) {
    const QChar digit = QLatin1Char(c);
    for (int i = 0; i < kReadJobFloats; ++i) texts[i] << QString(9, digit) + "." + QString(2, digit);
    texts[32] << "-" + QString(10, digit);
    texts[39] << "-" + QString(9, digit) + "." + digit;
  }
  for (int day = 1; day <= 31; ++day) {
    for (int month = 1; month <= 12; ++month) texts[33] << QString::asprintf("%02d.%02d.2088", day, month);
  }
  for (int year = 1970; year <= 3000; ++year) texts[33] << QString::asprintf("28.08.%d", year);
  for (int hour = 0; hour <= 23; ++hour) {
    for (int minute = 0; minute <= 59; ++minute) texts[34] << QString::asprintf("%02d:%02d:%02d", hour, minute, minute);
  }
  for (int n = 0; n <= 0xFFFF; ++n) texts[35] << QString::asprintf("%06d", n);
  texts[36] << "W4 V3" << "W4 V4";
  for (int n = 0; n <= 255; ++n) {
    texts[36] << QString::asprintf("W%d", n);
    texts[37] << QString::asprintf("%03d", n);
    texts[38] << QString::asprintf("%02d", n);
  }
  ReadJob job;
  for (int i = 0; i < kReadJobFloats; ++i) ReadJobFloat(job, i) = 999999936.0f;
  job.serial = 0xFFFF;
  job.type = 255;
  job.hours = std::numeric_limits<int>::min();
  job.device_time = 2145916799;  // 31.12.2037 23:59:59 UTC
  job.network_address = 255;
  job.scheme = 255;
  job.cold_water = -999999936.0f;
  const auto record = ReadJobTexts(job);
  for (int i = 0; i < kValueFieldCount; ++i) texts[i] << QString::fromStdString(record[static_cast<size_t>(i)]);

  for (int i = 0; i < kValueFieldCount; ++i) {
    QString widest;
    for (const QString& t : texts[i]) {
      if (LineTextWidth(*d.field(i), t) > LineTextWidth(*d.field(i), widest)) widest = t;
    }
    EXPECT_EQ(LineEditShortfall(*d.field(i), widest), "") << i;
  }
}

TEST_F(ZevrsDialogTest, LinkEventsChangeProgressAndTitle) {
  CZEVRSDlg& d = Dialog();
  auto post = [&](ReaderEvent* e) {
    QCoreApplication::postEvent(&d, e);
    QCoreApplication::processEvents();
  };
  post(new ReaderEvent(kLinkEventText, 0, QStringLiteral("abc")));
  EXPECT_EQ(d.windowTitle(), "ZEVRS - abc");
  post(new ReaderEvent(kLinkEventRange, 2));
  EXPECT_EQ(d.windowTitle(), "ZEVRS");
  EXPECT_EQ(d.progress()->maximum(), 2);
  for (int i = 0; i < 3; ++i) post(new ReaderEvent(kLinkEventStep, 0));
  EXPECT_EQ(d.progress()->value(), 2);  // held at the maximum
  post(new ReaderEvent(99, 5));
  EXPECT_EQ(d.progress()->value(), 2);
  post(new ReaderEvent(kLinkEventReset, 0));
  EXPECT_EQ(d.progress()->value(), 0);
}

TEST_F(ZevrsDialogTest, HourlyJobShowsValuesAndTheSavedFile) {
  FillDevice(rig.heat, 4, 1);
  CZEVRSDlg& d = Dialog();
  d.hourly_button()->click();
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(d.windowTitle(), QString::fromStdString("ZEVRS - Файл данных сохранен в " + rig.BinsName()));
  EXPECT_EQ(d.progress()->maximum(), 128);
  EXPECT_EQ(d.progress()->value(), 127);
  EXPECT_EQ(d.findChild<QLineEdit*>("Serial")->text(), "001234");
  EXPECT_EQ(d.findChild<QLineEdit*>("U5")->text(), "---");
  EXPECT_TRUE(FileExists(rig.base + "/" + rig.BinsName()));
}

// The texts of a failed hand-over reach the title: a converter that ends with
// 1 and a bins file that cannot be written (a full disk).
TEST_F(ZevrsDialogTest, HourlyJobFailuresShowInTheTitle) {
  rig.WriteConverter("exit 1");
  Profile(kProgramZEVRS).WriteInt("Properties", "DataTransfer", 1);
  FillDevice(rig.heat, 4, 1);
  CZEVRSDlg& d = Dialog();
  d.hourly_button()->click();
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(d.windowTitle(), "ZEVRS - Конвертер binZEV2 завершился с кодом 1, файл данных сохранен");
  EXPECT_TRUE(FileExists(rig.base + "/" + rig.BinsName()));
  // An archived file does not hide the converter's failure.
  d.archive_save_box()->click();
  ASSERT_TRUE(d.archive_save_box()->isChecked());
  d.hourly_button()->click();
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(d.windowTitle(), "ZEVRS - Конвертер binZEV2 завершился с кодом 1, файл данных сохранен");
  d.archive_save_box()->click();

  std::filesystem::remove_all(rig.base + "/bins");
  {
    FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.ok());
    d.hourly_button()->click();
    ASSERT_TRUE(WaitJobEnd());
  }
  EXPECT_EQ(d.windowTitle(), "ZEVRS - Файл данных не сохранен");
  EXPECT_TRUE(BinsFiles().empty());
}

TEST_F(ZevrsDialogTest, CurrentValuesEndReadOrNot) {
  FillDevice(rig.heat, 2, 1);
  CZEVRSDlg& d = Dialog();
  d.current_button()->click();
  ASSERT_TRUE(WaitJobEnd());
  // "ZEVRS ОК - Считано" with a Cyrillic О and К.
  const QString ok = QStringLiteral("ZEVRS ") + QChar(0x041E) + QChar(0x041A) + QStringLiteral(" - Считано");
  EXPECT_EQ(d.windowTitle(), ok);
  EXPECT_EQ(d.progress()->value(), 0);
  EXPECT_EQ(d.findChild<QLineEdit*>("Version")->text(), "W2");

  // A current-data read that fails shows its values but no success.
  rig.heat.SetSilentFrom(rig.heat.request_count() + 4);
  d.current_button()->click();
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ZEVRS - Считывание текущих данных."));
  EXPECT_EQ(d.findChild<QLineEdit*>("T1")->text(), "0.00");
}

TEST_F(ZevrsDialogTest, PressDuringAJobStartsNothing) {
  FillDevice(rig.heat, 4, 1);
  CZEVRSDlg& d = Dialog();
  d.current_button()->click();
  d.hourly_button()->click();
  d.current_button()->click();
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(SpeedRequests(), 3u);  // one handshake: 2400 unheard, 9600, 9600
  EXPECT_TRUE(BinsFiles().empty());
}

TEST_F(ZevrsDialogTest, PortIsStoredOnFocusLossAndAtThePress) {
  FillDevice(rig.heat, 4, 4);
  Profile(kProgramZEVRS).WriteString("Properties", "Port", "5");
  CZEVRSDlg& d = Dialog();
  EXPECT_EQ(d.port_edit()->text(), "5");
  d.port_edit()->setText("7");
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(d.port_edit(), &out);
  EXPECT_EQ(Profile(kProgramZEVRS).GetString("Properties", "Port", ""), "7");
  // Typed but never left: the press stores it, and the worker opens COM3.
  d.port_edit()->setText("3");
  d.current_button()->click();
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(Profile(kProgramZEVRS).GetString("Properties", "Port", ""), "3");
  EXPECT_TRUE(d.windowTitle().startsWith(QStringLiteral("ZEVRS ") + QChar(0x041E)));
}

TEST_F(ZevrsDialogTest, CheckBoxesAreStoredOnClick) {
  CZEVRSDlg& d = Dialog();
  d.data_transfer_box()->click();
  EXPECT_EQ(Profile(kProgramZEVRS).GetInt("Properties", "DataTransfer", -1), 1);
  d.archive_save_box()->click();
  d.archive_save_box()->click();
  EXPECT_EQ(Profile(kProgramZEVRS).GetInt("Properties", "ArchiveSave", -1), 0);
}

// Settings that cannot be stored (a read-only profile): each failed write is
// reported with the settings file, a check box goes back to its stored state,
// the port field to the stored port, and a press with a new port reads nothing.
// The stored port still reads.
TEST_F(ZevrsDialogTest, SettingsThatCannotBeStoredAreReportedAndNotShownAsStored) {
  FillDevice(rig.heat, 4, 4);
  const Profile p(kProgramZEVRS);
  const std::string before = TempDir::Read(p.Path());
  ASSERT_EQ(::chmod(p.Path().c_str(), 0444), 0);
  ScopedMessageHook messages;
  CZEVRSDlg& d = Dialog();
  d.data_transfer_box()->click();
  EXPECT_FALSE(d.data_transfer_box()->isChecked());
  d.port_edit()->setText("7");
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(d.port_edit(), &out);
  EXPECT_EQ(d.port_edit()->text(), "3");
  d.port_edit()->setText("7");
  d.current_button()->click();
  EXPECT_TRUE(g_bIdle.load());
  EXPECT_EQ(d.port_edit()->text(), "3");
  ASSERT_EQ(messages.texts().size(), 3u);
  for (const QString& text : messages.texts())
    EXPECT_TRUE(text.startsWith(QStringLiteral("Не удается сохранить настройки в файле ") +
                                QString::fromStdString(p.Path()) + ".\n"))
        << text.toStdString();
  EXPECT_EQ(TempDir::Read(p.Path()), before);

  d.current_button()->click();
  ASSERT_TRUE(WaitJobEnd());
  EXPECT_EQ(messages.texts().size(), 3u);
  EXPECT_GT(SpeedRequests(), 0u);
  ::chmod(p.Path().c_str(), 0644);
}

TEST_F(ZevrsDialogTest, CloseDuringTheArchiveEndsTheJob) {
  WriteReaderProfile(60000);  // a silent read would wait a minute
  rig.heat.SetSpeed(2400);    // the handshake never waits for an answer
  FillDevice(rig.heat, 4, 1);
  rig.heat.SetSilentFrom(30);
  CZEVRSDlg& d = Dialog();
  d.hourly_button()->click();
  ASSERT_TRUE(ProcessUntil([&] { return rig.heat.request_count() >= 31; }));
  const auto start = std::chrono::steady_clock::now();
  d.close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
  EXPECT_FALSE(d.WorkerRunning());
  EXPECT_TRUE(g_bIdle.load());
  EXPECT_FALSE(g_bStop.load());
  EXPECT_TRUE(BinsFiles().empty());
  EXPECT_TRUE(rig.cable.line().WaitPeerClosed(5s));
}

TEST_F(ZevrsDialogTest, CloseDuringTheConverterLeavesItRunning) {
  rig.WriteConverter("sleep 1; echo done > converter.done");
  Profile(kProgramZEVRS).WriteInt("Properties", "DataTransfer", 1);
  Profile(kProgramZEVRS).WriteInt("Properties", "ArchiveSave", 1);
  FillDevice(rig.heat, 4, 1);
  CZEVRSDlg& d = Dialog();
  d.hourly_button()->click();
  ASSERT_TRUE(ProcessUntil([&] { return !rig.ConverterLog().empty(); }));
  d.close();
  dialog.reset();
  EXPECT_FALSE(FileExists(rig.base + "/converter.done"));
  EXPECT_TRUE(sim::WaitUntil([&] { return FileExists(rig.base + "/converter.done"); }, 20s));
  EXPECT_TRUE(FileExists(rig.base + "/" + rig.BinsName()));
  EXPECT_FALSE(FileExists(rig.base + "/archive-" + rig.BinsName()));
}

}  // namespace
}  // namespace zv::test
