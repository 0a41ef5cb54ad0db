#include "modem/node_properties.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdint>
#include <limits>

#include "data/data_header.h"
#include "modem/dialog_exchange.h"
#include "modem/ip_address_ctrl.h"
#include "platform/cp1251.h"
#include "platform/numbers.h"
#include "platform/qt/message_box.h"
#include "platform/qt/qt_text.h"
#include "platform/str_format.h"

namespace {

// Characters a node file name cannot hold (the name is part of it).
constexpr char32_t kForbidden[] = U"<>:\"/\\|";

QLabel* Label(const char* utf8, QWidget* parent, int id = 0) {
  auto* label = new QLabel(QString::fromUtf8(utf8), parent);
  if (id != 0) label->setObjectName(QString::number(id));
  return label;
}

template <class W>
W* Named(W* widget, int id) {
  widget->setObjectName(QString::number(id));
  return widget;
}

// Hours as two digits, the way INTRC holds them.
void SetHourEdit(QLineEdit* edit, int hour) {
  edit->setText(QStringLiteral("%1").arg(hour, 2, 10, QLatin1Char('0')));
}

}  // namespace

CNodeProperties::CNodeProperties() : QDialog(nullptr) {
  setWindowTitle(QString::fromUtf8("Параметры узла"));

  name_ = Named(new QLineEdit(this), 1006);
  link_ = Named(new QComboBox(this), 1054);
  link_->addItems({QString::fromUtf8("Модем"), QString::fromUtf8("GSM модем"),
                   QString::fromUtf8("IP конвертер")});
  link_->setCurrentIndex(-1);
  QLabel* phone_label = Label("Номер доступа:", this, 1055);
  phone_ = Named(new QLineEdit(this), 1052);
  QLabel* intercept_label = Label("Перехват вызовов:", this, 1056);
  from_ = Named(new QLineEdit(this), 1057);
  QLabel* dash = Label("-", this, 1059);
  to_ = Named(new QLineEdit(this), 1058);
  QLabel* hour = Label("час", this, 1060);
  QLabel* address_label = Label("IP адрес:", this, 1063);
  address_ = Named(new CIPAddressCtrl(this), 1061);
  port_edit_ = Named(new QLineEdit(this), 1062);
  ok_ = Named(new QPushButton(QStringLiteral("OK"), this), 1);
  ok_->setDefault(true);
  ok_->setAutoDefault(true);

  const int hour_width = from_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 10;
  from_->setFixedWidth(hour_width);
  to_->setFixedWidth(hour_width);
  port_edit_->setFixedWidth(hour_width * 3 / 2);

  auto* grid = new QGridLayout(this);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  grid->addWidget(Label("Название узла учета:", this), 0, 0);
  grid->addWidget(name_, 0, 1);
  grid->addWidget(Label("Тип связи:", this), 1, 0);
  grid->addWidget(link_, 1, 1);
  grid->addWidget(phone_label, 2, 0);
  grid->addWidget(phone_, 2, 1);
  auto* hours = new QHBoxLayout;
  hours->addWidget(from_);
  hours->addWidget(dash);
  hours->addWidget(to_);
  hours->addWidget(hour);
  hours->addStretch();
  grid->addWidget(intercept_label, 3, 0);
  grid->addLayout(hours, 3, 1);
  auto* ip = new QHBoxLayout;
  ip->addWidget(address_);
  ip->addWidget(port_edit_);
  ip->addStretch();
  grid->addWidget(address_label, 4, 0);
  grid->addLayout(ip, 4, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  grid->addLayout(buttons, 5, 0, 1, 2);
  name_->setMinimumWidth(220);

  link_controls_ = {phone_label, phone_, intercept_label, from_, dash, to_, hour,
                    address_label, address_, port_edit_};
  for (QWidget* w : link_controls_) w->hide();

  connect(ok_, &QPushButton::clicked, this, &CNodeProperties::OnOK);
  connect(link_, &QComboBox::currentIndexChanged, this, &CNodeProperties::OnSelChangeLink);
}

int CNodeProperties::DoModal() {
  OnInitDialog();
  return exec();
}

QWidget* CNodeProperties::Control(int id) const {
  return findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

bool CNodeProperties::ShownForLink(int id, int link) {
  switch (id) {
    case 1055:
    case 1052:
      return link == kPstnModem || link == kGsmModem;
    case 1056:
    case 1057:
    case 1059:
    case 1058:
    case 1060:
      return link == kPstnModem;
    case 1063:
    case 1061:
    case 1062:
      return link == kIpConverter;
    default:
      return true;
  }
}

void CNodeProperties::ShowLinkControls(int link) {
  for (QWidget* w : link_controls_) w->setVisible(ShownForLink(w->objectName().toInt(), link));
}

void CNodeProperties::OnSelChangeLink() { ShowLinkControls(link_->currentIndex()); }

void CNodeProperties::OnInitDialog() {
  rename_flag = 0;
  if (!header) return;
  name_->setText(zv::QFromCp1251(header->GetString("NAME")));
  phone_->setText(zv::QFromCp1251(header->GetString("PHONE")));

  // At most four pieces between the dots, each taken as one byte; the rest 0.
  uint8_t bytes[4] = {0, 0, 0, 0};
  const std::string address = header->GetString("IPADDRESS");
  int n = 0;
  for (size_t start = 0; start <= address.size() && n < 4;) {
    size_t dot = address.find('.', start);
    if (dot == std::string::npos) dot = address.size();
    if (dot > start)
      bytes[n++] = static_cast<uint8_t>(zv::AtoI(std::string_view(address).substr(start, dot - start)));
    start = dot + 1;
  }
  address_->SetAddress(bytes[0], bytes[1], bytes[2], bytes[3]);

  port_ = header->GetInt("IPPORT");
  if (port_ == 0) port_ = 23;

  // The first two characters are the first hour, the last two the last hour
  // (as the dial-up link reads them).
  const std::string intercept = header->GetString("INTRC");
  const std::string_view hours(intercept);
  intercept_from_ = zv::AtoI(hours.substr(0, 2));
  intercept_to_ = zv::AtoI(hours.substr(hours.size() - std::min<size_t>(2, hours.size())));

  const int link = header->GetInt("MODEM") - 1;
  link_->setCurrentIndex(link >= 0 && link < link_->count() ? link : -1);
  ShowLinkControls(link_->currentIndex());

  SetHourEdit(from_, intercept_from_);
  SetHourEdit(to_, intercept_to_);
  zv::SetIntEdit(port_edit_, port_);
}

bool CNodeProperties::CheckName(const QString& name) const {
  for (char32_t c : name.toUcs4()) {
    if (std::find(std::begin(kForbidden), std::end(kForbidden) - 1, c) != std::end(kForbidden) - 1)
      return false;
    // Control characters, and characters the node file's code page lacks
    // (they would be stored as "?").
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || zv::UnicodeToCp1251(c) < 0) return false;
  }
  return true;
}

void CNodeProperties::OnOK() {
  if (!header) return;
  const int link = link_->currentIndex();

  // The numbers of the shown link must be valid. Those of a hidden link cannot
  // be refused (their edits cannot take the focus): they are taken when they are
  // numbers within the same limits and otherwise stay as they were, so a value
  // typed before the link was changed never reaches the header out of range.
  auto take_hidden = [](QLineEdit* edit, int min, int max, int* value) {
    int number = 0;
    if (zv::ParseDialogInt(edit->text(), &number) && number >= min && number <= max) *value = number;
  };
  int from = intercept_from_, to = intercept_to_, port = port_;
  if (ShownForLink(1057, link)) {
    if (!zv::ReadIntEditInRange(from_, 0, 24, &from) || !zv::ReadIntEditInRange(to_, 0, 24, &to)) return;
  } else {
    take_hidden(from_, 0, 24, &from);
    take_hidden(to_, 0, 24, &to);
  }
  // 0 and below store the default port.
  if (ShownForLink(1062, link)) {
    if (!zv::ReadIntEdit(port_edit_, &port)) return;
    if (port > 65535) {
      zv::RefuseEdit(port_edit_, QString::fromUtf8("Введите число от 0 до 65535."));
      return;
    }
  } else {
    take_hidden(port_edit_, std::numeric_limits<int>::min(), 65535, &port);
  }
  intercept_from_ = from;
  intercept_to_ = to;
  port_ = port;

  const QString name = name_->text();
  if (name.compare(zv::QFromCp1251(header->GetString("NAME")), Qt::CaseInsensitive) != 0) {
    if (!CheckName(name)) {
      zv::ShowMessage(
          QString::fromUtf8("Ошибка! Недопустимые символы в названии узла (< > : \" / \\ |)."),
          zv::MessageIcon::kError);
      return;
    }
    header->SetString("NAME", zv::QToCp1251(name));
    rename_flag = 1;
  }
  header->SetInt("MODEM", link + 1);
  header->SetString("PHONE", zv::QToCp1251(phone_->text()));
  header->SetString("INTRC", zv::StrFormat("%02d%02d", from, to));
  const auto a = address_->GetAddress();
  header->SetString("IPADDRESS", zv::StrFormat("%d.%d.%d.%d", a[0], a[1], a[2], a[3]));
  header->SetInt("IPPORT", port > 0 ? port : 23);
  accept();
}
