// The node settings dialog: what it shows of a header, what OK stores (and what
// it leaves alone), the name check, the report pages, cancelling, and the
// command's save through the document.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <functional>

#include "data/format_helpers.h"
#include "platform/cp1251.h"
#include "platform/paths.h"
#include "platform/qt/qt_text.h"
#include "platform/text_lines.h"
#include "tests/viewer/modal_answer.h"
#include "tests/viewer/view_doc_fixture.h"
#include "viewer/columns_show.h"
#include "viewer/node_properties.h"

namespace {

namespace col = zev_column;
using zv::test::Hour;
using zv::test::TempDir;
using zv::test::ViewDocTest;

void Key(QWidget* w, int key, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &release);
}

class NodePropertiesTest : public testing::Test {
 protected:
  NodePropertiesTest() {
    QCoreApplication::setApplicationName("ZEVView");
    header.SetString("N", "00012");
    header.SetString("NAME", zv::W1251("Котельная"));
    header.SetString("SCHEMA", "2");
  }
  // The dialog on `header`, shown as DoModal shows it.
  void Show() {
    dlg.header = &header;
    dlg.OnInitDialog();
    dlg.show();
  }
  // Clicks OK; true when the dialog closed accepted.
  bool ClickOk() {
    dlg.okButton()->click();
    return !dlg.isVisible() && dlg.result() == QDialog::Accepted;
  }

  CDataHeader header{CDataHeader::kViewer};
  zv::ScopedMessageHook messages;
  CNodeProperties dlg;
};

TEST_F(NodePropertiesTest, ControlsCarryTheirTexts) {
  Show();
  EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Настройка узла учета"));
  ASSERT_EQ(dlg.tabs->count(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(dlg.tabs->tabText(i), QString::fromUtf8("Отчет %1").arg(i + 1));
  QStringList c1, c2;
  for (int i = 0; i < dlg.channel1List()->count(); ++i) c1 << dlg.channel1List()->itemText(i);
  for (int i = 0; i < dlg.channel2List()->count(); ++i) c2 << dlg.channel2List()->itemText(i);
  EXPECT_EQ(c1, (QStringList{"X1", "X2", "X3", "X5", "X6"}));
  EXPECT_EQ(c2, (QStringList{"0X", "1X", "2X", "3X", "41", "5X", "6X"}));
  EXPECT_EQ(dlg.powerCheck()->text(), QString::fromUtf8("Контроль питания расходомеров"));
  EXPECT_EQ(dlg.okButton()->text(), "OK");
  // Every label of the template is there.
  QStringList labels;
  for (const QLabel* l : dlg.findChildren<QLabel*>()) labels << l->text();
  for (const char* text : {"Серийный номер:", "Название:", "Первый канал:", "Второй канал:", "Схема:",
                           "Т хол. °C:", "Сотовый модем:", "Тип термодатчиков:", "L1:", "L8:"}) {
    EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
  }
  QStringList groups;
  for (const QGroupBox* g : dlg.findChildren<QGroupBox*>()) groups << g->title();
  EXPECT_EQ(groups, (QStringList{QString::fromUtf8(" Схема "), QString::fromUtf8("Уставки вычислителя"),
                                 QString::fromUtf8(" Вес импульса ")}));
  // One page's boxes: 34 columns, none for DATE.
  CColumnsShow* page = dlg.pages[0];
  EXPECT_EQ(page->findChildren<QCheckBox*>().size(), 34);
  EXPECT_EQ(page->Box(col::kDate), nullptr);
  EXPECT_EQ(page->Box(col::kE12)->text(), "E12");
  EXPECT_EQ(page->Box(col::kP34)->text(), "P3-P4");
  EXPECT_EQ(page->Box(col::kEC)->text(), QString::fromUtf8("Код ошибки"));
  EXPECT_EQ(page->Box(col::kGW)->text(), QString::fromUtf8("Время нормальной работы"));
  EXPECT_EQ(page->Box(col::kEW)->text(), QString::fromUtf8("Время отсутствия счета"));
}

TEST_F(NodePropertiesTest, UntouchedSchemeListsKeepTheStoredScheme) {
  struct Case {
    const char* schema;
    int channel1, channel2;
  } cases[] = {{"", -1, 0}, {"0", -1, 0}, {"1", 0, 0},  {"2", 1, 0},   {"3", 2, 0},   {"4", 3, 0},
               {"5", 3, 0}, {"6", 4, 0},  {"12", 1, 1}, {"41", 0, 4}, {"75", 3, -1}, {"123", 2, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.schema);
    header.SetString("SCHEMA", c.schema);
    CNodeProperties d;
    d.header = &header;
    d.OnInitDialog();
    d.show();
    EXPECT_EQ(d.channel1List()->currentIndex(), c.channel1);
    EXPECT_EQ(d.channel2List()->currentIndex(), c.channel2);
    d.okButton()->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(header.GetString("SCHEMA"), c.schema);
    EXPECT_EQ(d.schemeChanged, 0);
  }
}

TEST_F(NodePropertiesTest, ChosenChannelsMakeTheNewScheme) {
  Show();  // SCHEMA 2: "X2" and "0X"
  Key(dlg.channel2List(), Qt::Key_Down);
  EXPECT_EQ(dlg.channel2List()->currentText(), "1X");
  ASSERT_TRUE(ClickOk());
  EXPECT_EQ(header.GetString("SCHEMA"), "12");
  EXPECT_EQ(dlg.schemeChanged, 1);

  // A unit digit no item shows (4 shows as "X5") is replaced only when the user
  // chooses an item, even the one shown; channel 2 stays "1X".
  header.SetString("SCHEMA", "14");
  CNodeProperties d;
  d.header = &header;
  d.OnInitDialog();
  d.show();
  EXPECT_EQ(d.channel1List()->currentText(), "X5");
  emit d.channel1List()->activated(3);
  d.okButton()->click();
  EXPECT_EQ(header.GetString("SCHEMA"), "15");
  EXPECT_EQ(d.schemeChanged, 1);
}

TEST_F(NodePropertiesTest, ForbiddenCharactersInAChangedNameAreRefused) {
  const std::string before = header.Serialize();
  const QString message = QString::fromUtf8("Ошибка! Недопустимые символы в названии узла (< > : \" / \\ |).");
  Show();
  for (const char* bad : {"<", ">", ":", "\"", "/", "\\", "|", "\t", "\r", "\n", "\x01", "\x7F"}) {
    SCOPED_TRACE(testing::PrintToString(bad));
    messages.Clear();
    dlg.nameEdit()->setText(QString::fromUtf8("Котельная ") + QString::fromLatin1(bad) + "2");
    dlg.channel2List()->setCurrentIndex(1);  // nothing else is stored either
    dlg.okButton()->click();
    ASSERT_EQ(messages.texts(), std::vector<QString>{message});
    EXPECT_EQ(messages.requests()[0].icon, zv::MessageIcon::kError);
    EXPECT_EQ(messages.requests()[0].title, "ZEVView");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(header.Serialize(), before);
    EXPECT_EQ(dlg.nameChanged, 0);
  }
}

TEST_F(NodePropertiesTest, NameChangesOfCaseAndStoredNamesAsTheyAre) {
  Show();
  dlg.nameEdit()->setText(QString::fromUtf8("КОТЕЛЬНАЯ"));
  ASSERT_TRUE(ClickOk());
  EXPECT_EQ(header.GetString("NAME"), zv::W1251("Котельная"));
  EXPECT_EQ(dlg.nameChanged, 0);

  header.SetString("NAME", "A|B");  // forbidden characters from the file itself
  CNodeProperties d;
  d.header = &header;
  d.OnInitDialog();
  d.show();
  d.okButton()->click();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(header.GetString("NAME"), "A|B");

  CNodeProperties e;
  e.header = &header;
  e.OnInitDialog();
  e.show();
  e.nameEdit()->setText(QString::fromUtf8("ЦТП №2"));
  e.okButton()->click();
  EXPECT_EQ(header.GetString("NAME"), zv::W1251("ЦТП №2"));
  EXPECT_EQ(e.nameChanged, 1);
  EXPECT_TRUE(messages.texts().empty());
}

TEST_F(NodePropertiesTest, NameFieldTakesOnlyWindows1251Characters) {
  Show();
  QLineEdit* name = dlg.nameEdit();
  name->setFocus();
  name->setText("");
  Key(name, Qt::Key_unknown, QString::fromUtf8("Ж"));
  Key(name, Qt::Key_unknown, QString::fromUtf8("中"));
  Key(name, Qt::Key_unknown, QString::fromUtf8("ä"));
  Key(name, Qt::Key_unknown, QString::fromUtf8("€"));
  Key(name, Qt::Key_unknown, QString::fromUtf8("😀"));
  EXPECT_EQ(name->text(), QString::fromUtf8("Ж€"));
}

TEST_F(NodePropertiesTest, ReportPagesComeBackInAscendingOrderAfterDate) {
  header.SetColumnList(0, "E1\tT1");
  header.SetColumnList(1, "V1\tE1\tDATE");
  header.SetColumnList(2, "DATE\tE1\tEC\tGW");
  header.SetColumnList(3, "T2");
  Show();
  EXPECT_TRUE(dlg.pages[0]->Box(col::kE1)->isChecked());
  EXPECT_TRUE(dlg.pages[0]->Box(col::kT1)->isChecked());
  EXPECT_FALSE(dlg.pages[0]->Box(col::kE2)->isChecked());
  for (int id = 1; id < 35; ++id) dlg.pages[2]->Box(id)->setChecked(false);
  dlg.pages[3]->Box(col::kEW)->setChecked(true);
  dlg.pages[3]->Box(col::kV12)->setChecked(true);
  ASSERT_TRUE(ClickOk());
  EXPECT_EQ(header.ColumnList(0), (std::vector<int>{0, col::kE1, col::kT1}));
  EXPECT_EQ(header.ColumnList(1), (std::vector<int>{0, col::kE1, col::kV1}));
  EXPECT_EQ(header.ColumnList(2), (std::vector<int>{0}));
  EXPECT_EQ(header.ColumnList(3), (std::vector<int>{0, col::kT2, col::kV12, col::kEW}));
}

TEST_F(NodePropertiesTest, ReadOnlyFieldsShowTheDevicesSettings) {
  struct Case {
    const char* key;
    const char* value;  // nullptr: absent
    std::function<QLineEdit*(CNodeProperties&)> edit;
    const char* shown;
  } cases[] = {
      {"N", "00345", [](CNodeProperties& d) { return d.serialEdit(); }, "00345"},
      {"CN_NF", "07", [](CNodeProperties& d) { return d.deviceSchemeEdit(); }, "7"},
      {"CN_NF", nullptr, [](CNodeProperties& d) { return d.deviceSchemeEdit(); }, "0"},
      {"TCW", "5.50", [](CNodeProperties& d) { return d.coldWaterEdit(); }, "5.50"},
      {"CN_RS9600", nullptr, [](CNodeProperties& d) { return d.modemEdit(); }, "Нет"},
      {"CN_RS9600", "0", [](CNodeProperties& d) { return d.modemEdit(); }, "Нет"},
      {"CN_RS9600", "2", [](CNodeProperties& d) { return d.modemEdit(); }, "Да"},
      {"CN_PT", nullptr, [](CNodeProperties& d) { return d.sensorEdit(); }, "Pt100en"},
      {"CN_PT", "1", [](CNodeProperties& d) { return d.sensorEdit(); }, "Pt500en"},
      {"CN_PT", "2", [](CNodeProperties& d) { return d.sensorEdit(); }, "Pt100ru"},
      {"CN_PT", "3", [](CNodeProperties& d) { return d.sensorEdit(); }, "Pt500ru"},
      {"CN_PT", "4", [](CNodeProperties& d) { return d.sensorEdit(); }, ""},
      {"CN_L1", "10.000", [](CNodeProperties& d) { return d.pulseWeightEdit(0); }, "10.000"},
      {"CN_L8", " 2,5", [](CNodeProperties& d) { return d.pulseWeightEdit(7); }, " 2,5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + (c.value ? c.value : "absent"));
    CDataHeader h(CDataHeader::kViewer);
    if (c.value) h.SetString(c.key, c.value);
    CNodeProperties d;
    d.header = &h;
    d.OnInitDialog();
    QLineEdit* edit = c.edit(d);
    EXPECT_EQ(edit->text(), QString::fromUtf8(c.shown));
    EXPECT_TRUE(edit->isReadOnly());
  }
}

TEST_F(NodePropertiesTest, PowerControlRoundTrip) {
  for (const auto& [stored, checked, after] : {std::tuple{"1", true, "0"}, std::tuple{"0", false, "1"},
                                               std::tuple{"", false, "1"}}) {
    header.SetString("UCONTROL", stored);
    CNodeProperties d;
    d.header = &header;
    d.OnInitDialog();
    d.show();
    EXPECT_EQ(d.powerCheck()->isChecked(), checked) << stored;
    d.powerCheck()->click();
    d.okButton()->click();
    EXPECT_EQ(header.GetString("UCONTROL"), after);
  }
  Show();
  EXPECT_TRUE(dlg.powerCheck()->isChecked());
  ASSERT_TRUE(ClickOk());
  EXPECT_EQ(header.GetString("UCONTROL"), "1");
}

TEST_F(NodePropertiesTest, EscapeAndTheCloseBoxChangeNothing) {
  const std::string before = header.Serialize();
  for (bool escape : {true, false}) {
    CNodeProperties d;
    d.header = &header;
    d.OnInitDialog();
    d.show();
    d.nameEdit()->setText("B");
    d.channel2List()->setCurrentIndex(3);
    d.powerCheck()->setChecked(true);
    d.pages[0]->Box(col::kE1)->setChecked(true);
    if (escape) {
      Key(&d, Qt::Key_Escape);
    } else {
      d.close();
    }
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(header.Serialize(), before);
  }
}

// The command on a document, the dialog answered by `act` once it runs modally.
class NodeSettingsCommandTest : public ViewDocTest {
 protected:
  bool Run(std::function<void(CNodeProperties&)> act) {
    bool ok = false;
    EXPECT_TRUE(zv::test::AnswerModal<CNodeProperties>([&] { ok = EditNodeSettings(doc, nullptr); }, act));
    return ok;
  }
  std::string OpenNode() {
    zv::sim::NodeFilePlan plan;
    plan.header.Set("NAME", "A");
    plan.data = zv::sim::HourlySeries::Between(Hour(2024, 2, 29, 20), Hour(2024, 3, 3, 4));
    const std::string path = Write(plan);
    original = TempDir::Read(path);
    EXPECT_TRUE(Open(path, Hour(2024, 3, 1), Hour(2024, 3, 2)));
    return path;
  }
  int OrOfCodes() const {
    int bits = 0;
    for (const CZEVDataRec& r : doc.records) bits |= r.error;
    return bits;
  }
  std::string original;
};

TEST_F(NodeSettingsCommandTest, RenameGivesTheNewFileAndTitle) {
  const std::string path = OpenNode();
  ASSERT_TRUE(Run([](CNodeProperties& d) {
    d.nameEdit()->setText("B");
    d.okButton()->click();
  }));
  EXPECT_EQ(doc.GetPathName(), dir.File("00012_B.zev"));
  EXPECT_EQ(doc.TitleText(), "00012 B");
  EXPECT_FALSE(zv::FileExists(path));
  EXPECT_EQ(doc.records.size(), 50u);
  EXPECT_EQ(doc.recompute, 0);
  EXPECT_EQ(OrOfCodes(), 0);
}

TEST_F(NodeSettingsCommandTest, SchemeChangeShowsTheNewErrorLetters) {
  const std::string path = OpenNode();
  EXPECT_EQ(ErrorCodeText(OrOfCodes()), "");
  // Channel 2 "41": T2 below T3 is a functional fault of channel 1.
  ASSERT_TRUE(Run([](CNodeProperties& d) {
    Key(d.channel2List(), Qt::Key_End);
    Key(d.channel2List(), Qt::Key_Up);
    Key(d.channel2List(), Qt::Key_Up);
    d.okButton()->click();
  }));
  EXPECT_EQ(doc.header.GetString("SCHEMA"), "41");
  EXPECT_EQ(doc.recompute, 0);
  EXPECT_EQ(ErrorCodeText(OrOfCodes()), "E");
  EXPECT_NE(TempDir::Read(path), original);
  CDataHeader stored(CDataHeader::kViewer);
  zv::TextLineReader in(path);
  stored.Read(in);
  EXPECT_EQ(stored.GetInt("SCHEMA"), 41);
}

TEST_F(NodeSettingsCommandTest, CancelLeavesFileAndDocumentAlone) {
  const std::string path = OpenNode();
  const std::string title = doc.GetTitle();
  EXPECT_FALSE(Run([](CNodeProperties& d) {
    d.nameEdit()->setText("B");
    Key(&d, Qt::Key_Escape);
  }));
  EXPECT_EQ(TempDir::Read(path), original);
  EXPECT_EQ(doc.GetPathName(), path);
  EXPECT_EQ(doc.GetTitle(), title);
  EXPECT_EQ(doc.header.GetString("NAME"), "A");
}

TEST_F(NodeSettingsCommandTest, PagesGoToTheirPrintListsOnSave) {
  const std::string path = OpenNode();
  ASSERT_TRUE(Run([](CNodeProperties& d) {
    for (int i = 0; i < 4; ++i) {
      for (int id = 1; id < 35; ++id) d.pages[static_cast<size_t>(i)]->Box(id)->setChecked(false);
      d.pages[static_cast<size_t>(i)]->Box(col::kE1 + i)->setChecked(true);
    }
    d.okButton()->click();
  }));
  const std::string text = TempDir::Read(path);
  for (const char* line : {"DATAPRINT1\tDATE\tE1\r\n", "DATAPRINT2\tDATE\tE2\r\n", "DATAPRINT3\tDATE\tE12\r\n",
                           "DATAPRINT4\tDATE\tT1\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
}

}  // namespace
