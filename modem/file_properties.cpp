#include "modem/file_properties.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <string>

#include "modem/dialog_exchange.h"
#include "platform/ini_file.h"
#include "platform/profile.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/settings_message.h"

namespace {

constexpr const char* kSection = "Settings";

template <class W>
W* Named(W* widget, int id) {
  widget->setObjectName(QString::number(id));
  return widget;
}

QLabel* Label(const char* utf8, QWidget* parent) { return new QLabel(QString::fromUtf8(utf8), parent); }

}  // namespace

CFileProperties::CFileProperties() : QDialog(nullptr) {
  setWindowTitle(QString::fromUtf8("Настройка"));

  port_modem_ = Named(new QLineEdit(this), 1000);
  port_gsm_ = Named(new QLineEdit(this), 1001);
  max_tries_ = Named(new QLineEdit(this), 1002);
  auto_start_ =
      Named(new QCheckBox(QString::fromUtf8("Автозапуск считывания при открытии файлов"), this), 1003);
  data_transfer_ = Named(
      new QCheckBox(QString::fromUtf8("Добавлять скопированные данные в фалы .zev"), this), 1009);
  archive_save_ =
      Named(new QCheckBox(QString::fromUtf8("Сохранять копии в папке ARCHIVE-BINS"), this), 1008);
  modem_init_ = Named(new QLineEdit(this), 1004);
  gsm_init_ = Named(new QLineEdit(this), 1005);
  auto* pulse = Named(new QRadioButton(QString::fromUtf8("Импульсный"), this), 1050);
  auto* tone = Named(new QRadioButton(QString::fromUtf8("Тоновый"), this), 1051);
  dial_ = new QButtonGroup(this);
  dial_->addButton(pulse, 0);
  dial_->addButton(tone, 1);
  ok_ = Named(new QPushButton(QStringLiteral("OK"), this), 1);
  ok_->setDefault(true);
  ok_->setAutoDefault(true);

  const int number_width = port_modem_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 10;
  for (QLineEdit* e : {port_modem_, port_gsm_, max_tries_}) e->setFixedWidth(number_width);

  auto* modem_box = new QGroupBox(QString::fromUtf8("  Модем  "), this);
  auto* modem = new QGridLayout(modem_box);
  modem->addWidget(Label("Номер порта: COM", modem_box), 0, 0);
  modem->addWidget(port_modem_, 0, 1, Qt::AlignLeft);
  modem->addWidget(Label("Строка инициализации:", modem_box), 1, 0);
  modem->addWidget(modem_init_, 1, 1);
  modem->addWidget(Label("Тип набора:", modem_box), 2, 0);
  auto* dial_row = new QHBoxLayout;
  dial_row->addWidget(pulse);
  dial_row->addWidget(tone);
  dial_row->addStretch();
  modem->addLayout(dial_row, 2, 1);

  auto* gsm_box = new QGroupBox(QString::fromUtf8("  GSM Модем"), this);
  auto* gsm = new QGridLayout(gsm_box);
  gsm->addWidget(Label("Номер порта: COM", gsm_box), 0, 0);
  gsm->addWidget(port_gsm_, 0, 1, Qt::AlignLeft);
  gsm->addWidget(Label("Строка инициализации:", gsm_box), 1, 0);
  gsm->addWidget(gsm_init_, 1, 1);

  auto* tries = new QHBoxLayout;
  tries->addWidget(Label("Максимальное количество попыток считать данные:", this));
  tries->addWidget(max_tries_);
  tries->addStretch();

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);

  auto* column = new QVBoxLayout(this);
  column->setSizeConstraint(QLayout::SetFixedSize);
  column->addWidget(modem_box);
  column->addWidget(gsm_box);
  column->addLayout(tries);
  column->addWidget(auto_start_);
  column->addWidget(data_transfer_);
  column->addWidget(archive_save_);
  column->addLayout(buttons);
  modem_init_->setMinimumWidth(200);

  connect(ok_, &QPushButton::clicked, this, &CFileProperties::OnOK);
}

int CFileProperties::DoModal() {
  OnInitDialog();
  return exec();
}

QWidget* CFileProperties::Control(int id) const { return findChild<QWidget*>(QString::number(id)); }

void CFileProperties::OnInitDialog() {
  const zv::Profile profile(zv::kProgramZEVModem);
  zv::SetIntEdit(port_gsm_, profile.GetInt(kSection, "PortGsmodem", 1));
  zv::SetIntEdit(port_modem_, profile.GetInt(kSection, "PortModem", 2));
  zv::SetIntEdit(max_tries_, profile.GetInt(kSection, "MaxTrys", 3));
  auto_start_->setChecked(profile.GetInt(kSection, "AutoStart", 0) != 0);
  data_transfer_->setChecked(profile.GetInt(kSection, "DataTransfer", 1) != 0);
  archive_save_->setChecked(profile.GetInt(kSection, "ArchiveSave", 1) != 0);
  modem_init_->setText(zv::QFromCp1251(profile.GetString(kSection, "ModemInit", "")));
  gsm_init_->setText(zv::QFromCp1251(profile.GetString(kSection, "GsmodemInit", "")));
  // Tone is what the modem dialogue assumes when nothing is stored. A value
  // that is neither 0 nor 1 checks neither button.
  const int tone = profile.GetInt(kSection, "ModemDialByTone", 1);
  dial_->setExclusive(false);
  for (QAbstractButton* b : dial_->buttons()) b->setChecked(dial_->id(b) == tone);
  dial_->setExclusive(true);
}

void CFileProperties::OnOK() {
  int port_modem = 0, port_gsm = 0, max_tries = 0;
  if (!zv::ReadIntEdit(port_modem_, &port_modem) || !zv::ReadIntEdit(port_gsm_, &port_gsm) ||
      !zv::ReadIntEdit(max_tries_, &max_tries))
    return;
  // The nine values in this order, in one write: either all are stored or,
  // with the message, none, and the dialog stays open.
  const zv::Profile profile(zv::kProgramZEVModem);
  auto number = [](int v) { return std::to_string(v); };
  std::string error;
  const bool stored = profile.Update(
      [&](zv::IniFile& ini) {
        ini.Set(kSection, "PortGsmodem", number(port_gsm));
        ini.Set(kSection, "PortModem", number(port_modem));
        ini.Set(kSection, "MaxTrys", number(max_tries));
        ini.Set(kSection, "AutoStart", number(auto_start_->isChecked() ? 1 : 0));
        ini.Set(kSection, "DataTransfer", number(data_transfer_->isChecked() ? 1 : 0));
        ini.Set(kSection, "ArchiveSave", number(archive_save_->isChecked() ? 1 : 0));
        ini.Set(kSection, "ModemInit", zv::QToCp1251(modem_init_->text()));
        ini.Set(kSection, "GsmodemInit", zv::QToCp1251(gsm_init_->text()));
        ini.Set(kSection, "ModemDialByTone", number(dial_->checkedId()));
      },
      &error);
  if (!stored) {
    zv::ReportSettingsNotSaved(profile, error, this);
    return;
  }
  accept();
}
