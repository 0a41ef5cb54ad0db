// The program settings dialog: the defaults shown without a profile, the nine
// values written in order and read back, refusals and unusual stored values.

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "modem/file_properties.h"
#include "platform/cp1251.h"
#include "platform/profile.h"
#include "platform/qt/message_box.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/modal_answer.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class FilePropertiesTest : public testing::Test {
 protected:
  void Open() {
    dlg_.OnInitDialog();
    dlg_.show();
  }
  QLineEdit* Edit(int id) { return qobject_cast<QLineEdit*>(dlg_.Control(id)); }
  QAbstractButton* Button(int id) { return qobject_cast<QAbstractButton*>(dlg_.Control(id)); }

  zv::Profile profile_{zv::kProgramZEVModem};
  zv::ScopedMessageHook messages_;
  CFileProperties dlg_;
};

TEST_F(FilePropertiesTest, TextsAndDefaultsWithoutAProfile) {
  Open();
  EXPECT_EQ(dlg_.windowTitle(), U("Настройка"));
  QStringList boxes;
  for (QGroupBox* b : dlg_.findChildren<QGroupBox*>()) boxes << b->title();
  EXPECT_EQ(boxes, QStringList({U("  Модем  "), U("  GSM Модем")}));
  QStringList labels;
  for (QLabel* l : dlg_.findChildren<QLabel*>()) labels << l->text();
  EXPECT_EQ(labels.count(U("Номер порта: COM")), 2);
  EXPECT_EQ(labels.count(U("Строка инициализации:")), 2);
  EXPECT_TRUE(labels.contains(U("Тип набора:")));
  EXPECT_TRUE(labels.contains(U("Максимальное количество попыток считать данные:")));
  EXPECT_EQ(Button(1003)->text(), U("Автозапуск считывания при открытии файлов"));
  EXPECT_EQ(Button(1009)->text(), U("Добавлять скопированные данные в фалы .zev"));
  EXPECT_EQ(Button(1008)->text(), U("Сохранять копии в папке ARCHIVE-BINS"));
  EXPECT_EQ(Button(1050)->text(), U("Импульсный"));
  EXPECT_EQ(Button(1051)->text(), U("Тоновый"));
  EXPECT_EQ(dlg_.findChildren<QPushButton*>().size(), 1);
  EXPECT_TRUE(qobject_cast<QPushButton*>(dlg_.Control(1))->isDefault());

  EXPECT_EQ(Edit(1000)->text(), "2");
  EXPECT_EQ(Edit(1001)->text(), "1");
  EXPECT_EQ(Edit(1002)->text(), "3");
  EXPECT_FALSE(Button(1003)->isChecked());
  EXPECT_TRUE(Button(1009)->isChecked());
  EXPECT_TRUE(Button(1008)->isChecked());
  EXPECT_EQ(Edit(1004)->text(), "");
  EXPECT_EQ(Edit(1005)->text(), "");
  // Tone, as the modem dials when nothing is stored.
  EXPECT_TRUE(Button(1051)->isChecked());
  EXPECT_FALSE(Button(1050)->isChecked());
}

TEST_F(FilePropertiesTest, NineValuesWrittenInOrderAndReadBack) {
  Open();
  Edit(1000)->setText("7");
  Edit(1001)->setText("-3");
  Edit(1002)->setText("10");
  Button(1003)->setChecked(true);
  Button(1009)->setChecked(false);
  Button(1008)->setChecked(false);
  Edit(1004)->setText(U("AT&F,E0 Ж"));
  Edit(1005)->setText("AT+CBST=7,0,1");
  Button(1050)->click();
  dlg_.OnOK();
  EXPECT_EQ(dlg_.result(), QDialog::Accepted);
  EXPECT_TRUE(messages_.requests().empty());

  EXPECT_EQ(profile_.GetInt("Settings", "PortModem", 0), 7);
  EXPECT_EQ(profile_.GetInt("Settings", "PortGsmodem", 0), -3);
  EXPECT_EQ(profile_.GetInt("Settings", "MaxTrys", 0), 10);
  EXPECT_EQ(profile_.GetInt("Settings", "Autostart", 0), 1);
  EXPECT_EQ(profile_.GetInt("Settings", "DataTransfer", 1), 0);
  EXPECT_EQ(profile_.GetInt("Settings", "ArchiveSave", 1), 0);
  EXPECT_EQ(profile_.GetString("Settings", "ModemInit", ""), zv::W1251("AT&F,E0 Ж"));
  EXPECT_EQ(profile_.GetString("Settings", "GsmodemInit", ""), "AT+CBST=7,0,1");
  EXPECT_EQ(profile_.GetInt("Settings", "ModemDialByTone", 1), 0);

  // The order of the file is the order of the writes.
  QFile file(QString::fromStdString(profile_.Path()));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  qsizetype at = 0;
  for (const char* name : {"PortGsmodem", "PortModem", "MaxTrys", "AutoStart", "DataTransfer",
                           "ArchiveSave", "ModemInit", "GsmodemInit", "ModemDialByTone"}) {
    const qsizetype next = text.indexOf(name, at);
    ASSERT_GE(next, at) << name;
    at = next;
  }

  // A second dialog shows all nine as stored.
  CFileProperties again;
  again.OnInitDialog();
  auto edit = [&](int id) { return qobject_cast<QLineEdit*>(again.Control(id))->text(); };
  auto checked = [&](int id) { return qobject_cast<QAbstractButton*>(again.Control(id))->isChecked(); };
  EXPECT_EQ(edit(1000), "7");
  EXPECT_EQ(edit(1001), "-3");
  EXPECT_EQ(edit(1002), "10");
  EXPECT_EQ(edit(1004), U("AT&F,E0 Ж"));
  EXPECT_EQ(edit(1005), "AT+CBST=7,0,1");
  EXPECT_TRUE(checked(1003));
  EXPECT_FALSE(checked(1009));
  EXPECT_FALSE(checked(1008));
  EXPECT_TRUE(checked(1050));
  EXPECT_FALSE(checked(1051));
}

// Settings that cannot be stored (a read-only profile) are reported with the
// settings file; the dialog stays open and the profile as it was.
TEST_F(FilePropertiesTest, AFailedWriteIsReportedAndKeepsTheDialogOpen) {
  ASSERT_TRUE(profile_.WriteInt("Settings", "MaxTrys", 5));
  const std::string before = zv::test::TempDir::Read(profile_.Path());
  ASSERT_EQ(::chmod(profile_.Path().c_str(), 0444), 0);
  Open();
  Edit(1000)->setText("7");
  dlg_.OnOK();
  EXPECT_TRUE(dlg_.isVisible());
  EXPECT_NE(dlg_.result(), QDialog::Accepted);
  ASSERT_EQ(messages_.requests().size(), 1u);
  EXPECT_TRUE(messages_.requests()[0].text.startsWith(U("Не удается сохранить настройки в файле ") +
                                                      QString::fromStdString(profile_.Path()) + ".\n"))
      << messages_.requests()[0].text.toStdString();
  EXPECT_EQ(messages_.requests()[0].icon, zv::MessageIcon::kWarning);
  EXPECT_EQ(zv::test::TempDir::Read(profile_.Path()), before);

  // Stored once the file may be written again.
  ASSERT_EQ(::chmod(profile_.Path().c_str(), 0644), 0);
  messages_.Clear();
  dlg_.OnOK();
  EXPECT_EQ(dlg_.result(), QDialog::Accepted);
  EXPECT_TRUE(messages_.requests().empty());
  EXPECT_EQ(profile_.GetInt("Settings", "PortModem", 0), 7);
}

// Esc and the close box cancel: nothing is written.
TEST_F(FilePropertiesTest, EscapeAndTheCloseBoxWriteNothing) {
  for (bool escape : {true, false}) {
    SCOPED_TRACE(escape);
    CFileProperties dlg;
    dlg.OnInitDialog();
    dlg.show();
    qobject_cast<QLineEdit*>(dlg.Control(1000))->setText("9");
    if (escape) {
      QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(&dlg, &key);
    } else {
      EXPECT_TRUE(dlg.close());
    }
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(profile_.Has("Settings", "PortModem"));
  }
}

// DoModal fills the controls from the profile; Enter writes them.
TEST_F(FilePropertiesTest, DoModalShowsTheProfileAndEnterWritesIt) {
  profile_.WriteInt("Settings", "MaxTrys", 6);
  QString shown;
  const bool answered = zv::test::AnswerModal<CFileProperties>(
      [&] { EXPECT_EQ(dlg_.DoModal(), QDialog::Accepted); },
      [&](CFileProperties& d) {
        shown = qobject_cast<QLineEdit*>(d.Control(1002))->text();
        qobject_cast<QLineEdit*>(d.Control(1000))->setText("4");
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(d.Control(1000), &enter);
      });
  ASSERT_TRUE(answered);
  EXPECT_EQ(shown, "6");
  EXPECT_EQ(profile_.GetInt("Settings", "PortModem", 0), 4);
  EXPECT_EQ(profile_.GetInt("Settings", "MaxTrys", 0), 6);
  EXPECT_EQ(profile_.GetInt("Settings", "ModemDialByTone", 0), 1);
}

TEST_F(FilePropertiesTest, ANumberEditWithoutANumberKeepsTheDialogOpen) {
  for (int id : {1000, 1001, 1002}) {
    SCOPED_TRACE(id);
    zv::ScopedMessageHook hook;
    CFileProperties dlg;
    dlg.OnInitDialog();
    dlg.show();
    auto* edit = qobject_cast<QLineEdit*>(dlg.Control(id));
    edit->setText("COM3");
    dlg.OnOK();
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(hook.texts().size(), 1u);
    EXPECT_EQ(hook.texts()[0], U("Введите целое число."));
    EXPECT_EQ(dlg.focusWidget(), edit);
    EXPECT_FALSE(profile_.Has("Settings", "PortGsmodem"));
  }
}

TEST_F(FilePropertiesTest, UnusualStoredValues) {
  profile_.WriteInt("Settings", "ModemDialByTone", 7);
  profile_.WriteInt("Settings", "DataTransfer", 5);
  profile_.WriteInt("Settings", "autostart", 1);  // names match without regard to case
  Open();
  // Neither button for a value that is neither pulse nor tone; OK stores none (-1).
  EXPECT_FALSE(Button(1050)->isChecked());
  EXPECT_FALSE(Button(1051)->isChecked());
  EXPECT_TRUE(Button(1009)->isChecked());
  EXPECT_TRUE(Button(1003)->isChecked());
  dlg_.OnOK();
  EXPECT_EQ(profile_.GetInt("Settings", "ModemDialByTone", 0), -1);
  EXPECT_EQ(profile_.GetInt("Settings", "DataTransfer", 0), 1);
  // Once a button is chosen the two are exclusive again.
  CFileProperties again;
  again.OnInitDialog();
  qobject_cast<QAbstractButton*>(again.Control(1051))->click();
  qobject_cast<QAbstractButton*>(again.Control(1050))->click();
  EXPECT_FALSE(qobject_cast<QAbstractButton*>(again.Control(1051))->isChecked());
}

}  // namespace
