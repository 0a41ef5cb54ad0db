// The node settings dialog through its widgets: what it shows for a header,
// what OK writes, the refusals that keep it open, and the controls per link.

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "links/node.h"
#include "modem/ip_address_ctrl.h"
#include "modem/node_properties.h"
#include "platform/cp1251.h"
#include "platform/qt/message_box.h"
#include "tests/viewer/modal_answer.h"

namespace {

using Keys = std::map<std::string, std::string>;

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class NodePropertiesTest : public testing::Test {
 protected:
  // A node whose header holds `keys`, and the dialog on it, initialised.
  void Open(const Keys& keys) {
    for (const auto& [k, v] : keys) node_.header.SetString(k, v);
    dlg_.header = &node_.header;
    dlg_.OnInitDialog();
    dlg_.show();
  }
  QLineEdit* Edit(int id) { return qobject_cast<QLineEdit*>(dlg_.Control(id)); }
  QComboBox* Link() { return qobject_cast<QComboBox*>(dlg_.Control(1054)); }
  CIPAddressCtrl* Address() { return qobject_cast<CIPAddressCtrl*>(dlg_.Control(1061)); }
  std::string Key(const char* key) { return node_.header.GetString(key); }
  // OK; true when the dialog closed with OK.
  bool Ok() {
    dlg_.OnOK();
    return dlg_.result() == QDialog::Accepted && !dlg_.isVisible();
  }
  std::vector<int> ShownIds() {
    std::vector<int> ids;
    for (int id : {1055, 1052, 1056, 1057, 1059, 1058, 1060, 1063, 1061, 1062})
      if (!dlg_.Control(id)->isHidden()) ids.push_back(id);
    return ids;
  }

  zv::ScopedMessageHook messages_;
  CNode node_;
  CNodeProperties dlg_;
};

const Keys kPstnNode = {{"NAME", zv::W1251("Котельная 3")}, {"MODEM", "1"}, {"PHONE", "8-812-555"},
                        {"INTRC", "0822"}, {"IPADDRESS", "192.168.0.1"}, {"IPPORT", "4001"}};

TEST_F(NodePropertiesTest, TextsAndIds) {
  Open(kPstnNode);
  EXPECT_EQ(dlg_.windowTitle(), U("Параметры узла"));
  ASSERT_EQ(Link()->count(), 3);
  EXPECT_EQ(Link()->itemText(0), U("Модем"));
  EXPECT_EQ(Link()->itemText(1), U("GSM модем"));
  EXPECT_EQ(Link()->itemText(2), U("IP конвертер"));
  const std::map<int, const char*> labels = {{1055, "Номер доступа:"}, {1056, "Перехват вызовов:"},
                                             {1059, "-"}, {1060, "час"}, {1063, "IP адрес:"}};
  for (const auto& [id, text] : labels)
    EXPECT_EQ(qobject_cast<QLabel*>(dlg_.Control(id))->text(), U(text)) << id;
  QStringList plain;
  for (QLabel* l : dlg_.findChildren<QLabel*>())
    if (l->objectName().isEmpty()) plain << l->text();
  EXPECT_TRUE(plain.contains(U("Название узла учета:")));
  EXPECT_TRUE(plain.contains(U("Тип связи:")));
  auto* ok = qobject_cast<QPushButton*>(dlg_.Control(1));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(dlg_.findChildren<QPushButton*>().size(), 1);  // no cancel button
}

TEST_F(NodePropertiesTest, ShowsTheHeaderAndKeepsItOnAnUnchangedOk) {
  Open(kPstnNode);
  EXPECT_EQ(Edit(1006)->text(), U("Котельная 3"));
  EXPECT_EQ(Link()->currentIndex(), 0);
  EXPECT_EQ(Edit(1052)->text(), "8-812-555");
  EXPECT_EQ(Edit(1057)->text(), "08");
  EXPECT_EQ(Edit(1058)->text(), "22");
  EXPECT_EQ(Edit(1062)->text(), "4001");
  EXPECT_EQ(Address()->GetAddress(), (std::array<uint8_t, 4>{192, 168, 0, 1}));
  ASSERT_TRUE(Ok());
  for (const auto& [k, v] : kPstnNode) EXPECT_EQ(Key(k.c_str()), v) << k;
  EXPECT_EQ(dlg_.rename_flag, 0);
  EXPECT_TRUE(messages_.requests().empty());
}

// One row per header: what the dialog shows, and what an OK with the shown
// values stores.
TEST_F(NodePropertiesTest, EdgeCasesOfTheHeader) {
  struct Case {
    const char* what;
    Keys keys;
    int link;                 // list selection shown
    QString from, to, port;   // edits shown
    Keys stored;              // after OK
  };
  const std::vector<Case> cases = {
      {"no MODEM", {}, -1, "00", "00", "23",
       {{"MODEM", "0"}, {"INTRC", "0000"}, {"IPADDRESS", "0.0.0.0"}, {"IPPORT", "23"}}},
      {"MODEM 0", {{"MODEM", "0"}}, -1, "00", "00", "23", {{"MODEM", "0"}}},
      {"MODEM 4", {{"MODEM", "4"}}, -1, "00", "00", "23", {{"MODEM", "0"}}},
      {"MODEM -2", {{"MODEM", "-2"}}, -1, "00", "00", "23", {{"MODEM", "0"}}},
      {"GSM", {{"MODEM", "2"}}, 1, "00", "00", "23", {{"MODEM", "2"}}},
      {"two address parts", {{"MODEM", "3"}, {"IPADDRESS", "10.7"}}, 2, "00", "00", "23",
       {{"IPADDRESS", "10.7.0.0"}}},
      {"five address parts", {{"MODEM", "3"}, {"IPADDRESS", "1.2.3.4.5"}}, 2, "00", "00", "23",
       {{"IPADDRESS", "1.2.3.4"}}},
      {"empty parts, a part above 255", {{"MODEM", "3"}, {"IPADDRESS", "1..300.4"}}, 2, "00", "00",
       "23", {{"IPADDRESS", "1.44.4.0"}}},
      {"port 0", {{"MODEM", "3"}, {"IPPORT", "0"}}, 2, "00", "00", "23", {{"IPPORT", "23"}}},
      {"port -5", {{"MODEM", "3"}, {"IPPORT", "-5"}}, 2, "00", "00", "-5", {{"IPPORT", "23"}}},
      {"port 65535", {{"MODEM", "3"}, {"IPPORT", "65535"}}, 2, "00", "00", "65535",
       {{"IPPORT", "65535"}}},
      {"number formats", {{"MODEM", "3"}, {"IPADDRESS", "010.001.2.3"}, {"IPPORT", "04001"}}, 2,
       "00", "00", "4001", {{"IPADDRESS", "10.1.2.3"}, {"IPPORT", "4001"}}},
      {"INTRC 2206", {{"MODEM", "1"}, {"INTRC", "2206"}}, 0, "22", "06", "23", {{"INTRC", "2206"}}},
      {"INTRC 24 hours", {{"MODEM", "1"}, {"INTRC", "0024"}}, 0, "00", "24", "23",
       {{"INTRC", "0024"}}},
      {"INTRC of three characters", {{"MODEM", "2"}, {"INTRC", "823"}}, 1, "82", "23", "23",
       {{"INTRC", "8223"}}},
      // Hours of a hidden link are not checked and stay as they were.
      {"TCP node, hours out of range", {{"MODEM", "3"}, {"INTRC", "9999"}}, 2, "99", "99", "23",
       {{"INTRC", "9999"}}},
      {"dial-up node, port out of range", {{"MODEM", "1"}, {"IPPORT", "70000"}}, 0, "00", "00",
       "70000", {{"IPPORT", "70000"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CNode node;
    for (const auto& [k, v] : c.keys) node.header.SetString(k, v);
    CNodeProperties dlg;
    dlg.header = &node.header;
    dlg.OnInitDialog();
    dlg.show();
    EXPECT_EQ(qobject_cast<QComboBox*>(dlg.Control(1054))->currentIndex(), c.link);
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg.Control(1057))->text(), c.from);
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg.Control(1058))->text(), c.to);
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg.Control(1062))->text(), c.port);
    dlg.OnOK();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(messages_.requests().empty());
    for (const auto& [k, v] : c.stored) EXPECT_EQ(node.header.GetString(k), v) << k;
    // Every key is written on every OK.
    for (const char* k : {"MODEM", "PHONE", "INTRC", "IPADDRESS", "IPPORT"})
      EXPECT_TRUE(node.header.Has(k)) << k;
  }
}

TEST_F(NodePropertiesTest, NameChanges) {
  const QString refusal = U("Ошибка! Недопустимые символы в названии узла (< > : \" / \\ |).");
  struct Case {
    const char* what;
    QString name;
    bool refused;
    int rename;
    std::string stored;
  };
  const std::vector<Case> cases = {
      {"letters, digits, blanks", U("Школа 12 Corp"), false, 1, zv::W1251("Школа 12 Corp")},
      {"letter case only", U("УЗЕЛ"), false, 0, zv::W1251("узел")},
      {"same name", U("узел"), false, 0, zv::W1251("узел")},
      {"mixed case", U("узЕл"), false, 0, zv::W1251("узел")},
      {"slash", U("узел/2"), true, 0, zv::W1251("узел")},
      {"less-than", U("a<b"), true, 0, zv::W1251("узел")},
      {"greater-than", U("a>b"), true, 0, zv::W1251("узел")},
      {"colon", U("a:b"), true, 0, zv::W1251("узел")},
      {"double quote", U("a\"b"), true, 0, zv::W1251("узел")},
      {"backslash", U("a\\b"), true, 0, zv::W1251("узел")},
      {"bar", U("a|b"), true, 0, zv::W1251("узел")},
      {"a character outside the code page", U("узел 中"), true, 0, zv::W1251("узел")},
      {"a tab", U("a\tb"), true, 0, zv::W1251("узел")},
      {"a C1 control", QString::fromUtf16(u"a\u0098b"), true, 0, zv::W1251("узел")},
      {"empty", QString(), false, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    zv::ScopedMessageHook hook;
    CNode node;
    node.header.SetString("NAME", zv::W1251("узел"));
    node.header.SetString("MODEM", "2");
    CNodeProperties dlg;
    dlg.header = &node.header;
    dlg.OnInitDialog();
    dlg.show();
    qobject_cast<QLineEdit*>(dlg.Control(1006))->setText(c.name);
    qobject_cast<QLineEdit*>(dlg.Control(1052))->setText("123");
    dlg.OnOK();
    EXPECT_EQ(node.header.GetString("NAME"), c.stored);
    EXPECT_EQ(dlg.rename_flag, c.rename);
    if (c.refused) {
      EXPECT_TRUE(dlg.isVisible());
      EXPECT_NE(dlg.result(), QDialog::Accepted);
      ASSERT_EQ(hook.requests().size(), 1u);
      EXPECT_EQ(hook.requests()[0].text, refusal);
      EXPECT_EQ(hook.requests()[0].icon, zv::MessageIcon::kError);
      // Nothing is written.
      EXPECT_EQ(node.header.GetString("PHONE"), "");
    } else {
      EXPECT_EQ(dlg.result(), QDialog::Accepted);
      EXPECT_TRUE(hook.requests().empty());
      EXPECT_EQ(node.header.GetString("PHONE"), "123");
    }
  }
}

TEST_F(NodePropertiesTest, NumbersOutOfRangeOrNotNumbersKeepTheDialogOpen) {
  struct Case {
    const char* what;
    const char* modem;
    int id;
    const char* text;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"hour 25", "1", 1057, "25", "Введите число от 0 до 24."},
      {"hour -1", "1", 1058, "-1", "Введите число от 0 до 24."},
      {"hour 123", "1", 1058, "123", "Введите число от 0 до 24."},
      {"hour not a number", "1", 1057, "8h", "Введите целое число."},
      {"hour empty", "1", 1058, "", "Введите целое число."},
      {"port 70000", "3", 1062, "70000", "Введите число от 0 до 65535."},
      {"port beyond int", "3", 1062, "99999999999", "Введите целое число."},
      {"port with a blank after it", "3", 1062, "23 ", "Введите целое число."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    zv::ScopedMessageHook hook;
    CNode node;
    node.header.SetString("MODEM", c.modem);
    node.header.SetString("INTRC", "0822");
    CNodeProperties dlg;
    dlg.header = &node.header;
    dlg.OnInitDialog();
    dlg.show();
    auto* edit = qobject_cast<QLineEdit*>(dlg.Control(c.id));
    edit->setText(c.text);
    dlg.OnOK();
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(hook.texts().size(), 1u);
    EXPECT_EQ(hook.texts()[0], U(c.message));
    EXPECT_EQ(dlg.focusWidget(), edit);
    EXPECT_EQ(edit->text(), c.text);
    EXPECT_EQ(node.header.GetString("INTRC"), "0822");
    EXPECT_FALSE(node.header.Has("IPPORT"));
  }
  // Blanks before a number are taken, as the C library's "%d" takes them.
  Open({{"MODEM", "3"}});
  Edit(1062)->setText("  +8080");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(Key("IPPORT"), "8080");
}

TEST_F(NodePropertiesTest, ControlsShownPerLink) {
  Open({{"MODEM", "1"}, {"PHONE", "555"}, {"INTRC", "0107"}, {"IPADDRESS", "1.2.3.4"}});
  using Ids = std::vector<int>;
  EXPECT_EQ(ShownIds(), (Ids{1055, 1052, 1056, 1057, 1059, 1058, 1060}));
  Link()->setCurrentIndex(1);
  EXPECT_EQ(ShownIds(), (Ids{1055, 1052}));
  Link()->setCurrentIndex(2);
  EXPECT_EQ(ShownIds(), (Ids{1063, 1061, 1062}));
  // Hidden controls kept their texts; back on the dial-up link they show again.
  Edit(1062)->setText("5000");
  Link()->setCurrentIndex(0);
  EXPECT_EQ(Edit(1052)->text(), "555");
  EXPECT_EQ(Edit(1057)->text(), "01");
  EXPECT_EQ(Edit(1062)->text(), "5000");
  for (int id : {1006, 1054, 1}) EXPECT_FALSE(dlg_.Control(id)->isHidden()) << id;
  ASSERT_TRUE(Ok());
  EXPECT_EQ(Key("MODEM"), "1");
  EXPECT_EQ(Key("IPPORT"), "5000");
  EXPECT_EQ(Key("IPADDRESS"), "1.2.3.4");

  CNodeProperties none;
  CNode node;
  none.header = &node.header;
  none.OnInitDialog();
  for (int id : {1055, 1052, 1056, 1057, 1059, 1058, 1060, 1063, 1061, 1062})
    EXPECT_TRUE(none.Control(id)->isHidden()) << id;
}

// Values typed in the edits of one link and then hidden by a change of link:
// a number within limits is taken, anything else leaves the stored value.
TEST_F(NodePropertiesTest, ValuesTypedBeforeALinkChange) {
  Open(kPstnNode);
  Edit(1057)->setText("7");
  Edit(1058)->setText("123");  // five digits in INTRC if taken
  Link()->setCurrentIndex(2);
  Edit(1062)->setText("70000");
  Link()->setCurrentIndex(1);
  ASSERT_TRUE(Ok());
  EXPECT_TRUE(messages_.requests().empty());
  EXPECT_EQ(Key("MODEM"), "2");
  EXPECT_EQ(Key("INTRC"), "0722");
  EXPECT_EQ(Key("IPPORT"), "4001");

  CNode node;
  node.header.SetString("MODEM", "1");
  node.header.SetString("INTRC", "0822");
  CNodeProperties dlg;
  dlg.header = &node.header;
  dlg.OnInitDialog();
  dlg.show();
  qobject_cast<QLineEdit*>(dlg.Control(1057))->setText("-1");
  qobject_cast<QLineEdit*>(dlg.Control(1058))->setText("x");
  qobject_cast<QComboBox*>(dlg.Control(1054))->setCurrentIndex(2);
  qobject_cast<QLineEdit*>(dlg.Control(1062))->setText("-5");
  dlg.OnOK();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(node.header.GetString("INTRC"), "0822");
  EXPECT_EQ(node.header.GetString("IPPORT"), "23");
}

TEST_F(NodePropertiesTest, EnterIsOkAndEscapeCancels) {
  Open(kPstnNode);
  Edit(1052)->setText("777");
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&dlg_, &escape);
  EXPECT_EQ(dlg_.result(), QDialog::Rejected);
  EXPECT_FALSE(dlg_.isVisible());
  EXPECT_EQ(Key("PHONE"), "8-812-555");

  // The close box cancels too.
  dlg_.OnInitDialog();
  dlg_.show();
  Edit(1052)->setText("777");
  EXPECT_TRUE(dlg_.close());
  EXPECT_EQ(dlg_.result(), QDialog::Rejected);
  EXPECT_EQ(Key("PHONE"), "8-812-555");

  dlg_.OnInitDialog();
  dlg_.show();
  Edit(1052)->setText("777");
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&dlg_, &enter);
  EXPECT_EQ(dlg_.result(), QDialog::Accepted);
  EXPECT_EQ(Key("PHONE"), "777");
}

// The whole command as the status view runs it: DoModal fills the controls
// from the header, Enter in the modal loop stores them.
TEST_F(NodePropertiesTest, DoModalShowsTheHeaderAndOkStoresIt) {
  node_.header.SetString("NAME", zv::W1251("Котельная 3"));
  node_.header.SetString("MODEM", "3");
  node_.header.SetString("IPADDRESS", "10.0.0.9");
  dlg_.header = &node_.header;
  QString shown;
  int link = -2;
  const bool answered = zv::test::AnswerModal<CNodeProperties>(
      [&] { EXPECT_EQ(dlg_.DoModal(), QDialog::Accepted); },
      [&](CNodeProperties& d) {
        shown = qobject_cast<QLineEdit*>(d.Control(1006))->text();
        link = qobject_cast<QComboBox*>(d.Control(1054))->currentIndex();
        qobject_cast<QLineEdit*>(d.Control(1006))->setText(U("Котельная 4"));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(d.Control(1006), &enter);
      });
  ASSERT_TRUE(answered);
  EXPECT_EQ(shown, U("Котельная 3"));
  EXPECT_EQ(link, 2);
  EXPECT_EQ(Key("NAME"), zv::W1251("Котельная 4"));
  EXPECT_EQ(Key("IPADDRESS"), "10.0.0.9");
  EXPECT_EQ(Key("IPPORT"), "23");
  EXPECT_EQ(dlg_.rename_flag, 1);
}

// The address control: four bytes in, four bytes out, empty fields 0.
TEST(IPAddressCtrl, FourFields) {
  CIPAddressCtrl ctrl;
  ctrl.SetAddress(10, 0, 255, 7);
  EXPECT_EQ(ctrl.Field(2)->text(), "255");
  EXPECT_EQ(ctrl.GetAddress(), (std::array<uint8_t, 4>{10, 0, 255, 7}));
  ctrl.Field(1)->clear();
  ctrl.Field(3)->setText("999");  // what the validator still lets through while typing
  EXPECT_EQ(ctrl.GetAddress(), (std::array<uint8_t, 4>{10, 0, 255, 255}));
}

}  // namespace
