#include "viewer/node_properties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "data/data_header.h"
#include "platform/qt/message_box.h"
#include "platform/qt/qt_text.h"
#include "platform/str_format.h"
#include "viewer/columns_show.h"
#include "viewer/name_validator.h"
#include "viewer/view_doc.h"

namespace {

constexpr const char* kChannel1Items[] = {"X1", "X2", "X3", "X5", "X6"};
constexpr const char* kChannel2Items[] = {"0X", "1X", "2X", "3X", "41", "5X", "6X"};

// The channel 1 list shows the digits 1, 2, 3, 5, 6; a 4 shows as "X5" (the
// list's own rule), other digits as no selection.
int Channel1Index(int c1) {
  if (c1 < 1 || c1 > 6) return -1;
  return c1 - 1 - (c1 > 4 ? 1 : 0);
}
int Channel1Digit(int index) { return index + 1 + (index > 2 ? 1 : 0); }

QString SensorName(int type) {
  switch (type) {
    case 0: return "Pt100en";
    case 1: return "Pt500en";
    case 2: return "Pt100ru";
    case 3: return "Pt500ru";
    default: return {};
  }
}

// A character the name may not hold: the seven that file names cannot carry,
// and control characters (a line break would end the NAME line of the header).
bool IsForbiddenNameChar(QChar c) {
  static const QString kForbidden = QString::fromUtf8("<>:\"/\\|");
  return kForbidden.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7F;
}

QLineEdit* ReadOnlyEdit(QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setReadOnly(true);
  return e;
}

}  // namespace

CNodeProperties::CNodeProperties(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8("Настройка узла учета"));
  auto* top = new QVBoxLayout(this);

  auto* node = new QFormLayout;
  serial_ = ReadOnlyEdit(this);
  name_ = new QLineEdit(this);
  name_->setValidator(new Cp1251NameValidator(name_));
  node->addRow(QString::fromUtf8("Серийный номер:"), serial_);
  node->addRow(QString::fromUtf8("Название:"), name_);
  top->addLayout(node);

  auto* scheme = new QGroupBox(QString::fromUtf8(" Схема "), this);
  auto* scheme_layout = new QHBoxLayout(scheme);
  channel1_ = new QComboBox(scheme);
  for (const char* item : kChannel1Items) channel1_->addItem(item);
  channel2_ = new QComboBox(scheme);
  for (const char* item : kChannel2Items) channel2_->addItem(item);
  scheme_layout->addWidget(new QLabel(QString::fromUtf8("Первый канал:"), scheme));
  scheme_layout->addWidget(channel1_);
  scheme_layout->addWidget(new QLabel(QString::fromUtf8("Второй канал:"), scheme));
  scheme_layout->addWidget(channel2_);
  scheme_layout->addStretch(1);
  top->addWidget(scheme);
  connect(channel1_, &QComboBox::activated, this, [this] { OnChannelSelected(true); });
  connect(channel2_, &QComboBox::activated, this, [this] { OnChannelSelected(false); });

  power_ = new QCheckBox(QString::fromUtf8("Контроль питания расходомеров"), this);
  top->addWidget(power_);

  tabs = new QTabWidget(this);
  for (size_t i = 0; i < pages.size(); ++i) {
    pages[i] = new CColumnsShow(tabs);
    tabs->addTab(pages[i], QString::fromStdString(zv::StrFormat("Отчет %d", static_cast<int>(i) + 1)));
  }
  top->addWidget(tabs);

  auto* device = new QGroupBox(QString::fromUtf8("Уставки вычислителя"), this);
  auto* device_layout = new QFormLayout(device);
  device_scheme_ = ReadOnlyEdit(device);
  cold_water_ = ReadOnlyEdit(device);
  modem_ = ReadOnlyEdit(device);
  sensor_ = ReadOnlyEdit(device);
  device_layout->addRow(QString::fromUtf8("Схема:"), device_scheme_);
  device_layout->addRow(QString::fromUtf8("Т хол. °C:"), cold_water_);
  device_layout->addRow(QString::fromUtf8("Сотовый модем:"), modem_);
  device_layout->addRow(QString::fromUtf8("Тип термодатчиков:"), sensor_);

  auto* weights = new QGroupBox(QString::fromUtf8(" Вес импульса "), this);
  auto* weights_layout = new QGridLayout(weights);
  for (int k = 0; k < 8; ++k) {
    pulse_weights_[static_cast<size_t>(k)] = ReadOnlyEdit(weights);
    weights_layout->addWidget(new QLabel(QString("L%1:").arg(k + 1), weights), k % 4, (k / 4) * 2);
    weights_layout->addWidget(pulse_weights_[static_cast<size_t>(k)], k % 4, (k / 4) * 2 + 1);
  }
  auto* settings = new QHBoxLayout;
  settings->addWidget(device);
  settings->addWidget(weights);
  top->addLayout(settings);

  // Only OK: Escape and the close box cancel.
  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &CNodeProperties::OnOK);
  top->addWidget(buttons);
}

CNodeProperties::~CNodeProperties() = default;

int CNodeProperties::DoModal() {
  OnInitDialog();
  return exec();
}

void CNodeProperties::OnInitDialog() {
  if (header == nullptr) return;
  nameText = zv::QFromCp1251(header->GetString("NAME"));
  serialText = zv::QFromCp1251(header->GetString("N"));
  const int scheme = header->GetInt("SCHEMA");
  stored_c2_ = scheme / 10;
  stored_c1_ = scheme % 10;
  channel1Index = Channel1Index(stored_c1_);
  channel2Index = stored_c2_ >= 0 && stored_c2_ <= 6 ? stored_c2_ : -1;
  channel1_chosen_ = channel2_chosen_ = false;
  powerControl = header->GetInt("UCONTROL");
  deviceSchemeText = QString::fromStdString(zv::StrFormat("%d", header->GetInt("CN_NF")));
  coldWaterText = zv::QFromCp1251(header->GetString("TCW"));
  for (int k = 0; k < 8; ++k) {
    pulseWeightText[static_cast<size_t>(k)] = zv::QFromCp1251(header->GetString(zv::StrFormat("CN_L%d", k + 1)));
  }
  modemText = QString::fromUtf8(header->GetInt("CN_RS9600") == 0 ? "Нет" : "Да");
  sensorText = SensorName(header->GetInt("CN_PT"));
  for (size_t i = 0; i < pages.size(); ++i) {
    pages[i]->check.fill(0);
    pages[i]->SetColumns(header->ColumnList(static_cast<int>(i)));
  }
  tabs->setCurrentIndex(0);
  UpdateData(false);
}

void CNodeProperties::UpdateData(bool save) {
  if (save) {
    nameText = name_->text();
    channel1Index = channel1_->currentIndex();
    channel2Index = channel2_->currentIndex();
    powerControl = power_->isChecked() ? 1 : 0;
    return;
  }
  serial_->setText(serialText);
  name_->setText(nameText);
  channel1_->setCurrentIndex(channel1Index);
  channel2_->setCurrentIndex(channel2Index);
  power_->setChecked(powerControl != 0);
  device_scheme_->setText(deviceSchemeText);
  cold_water_->setText(coldWaterText);
  modem_->setText(modemText);
  sensor_->setText(sensorText);
  for (size_t k = 0; k < pulse_weights_.size(); ++k) pulse_weights_[k]->setText(pulseWeightText[k]);
}

void CNodeProperties::OnChannelSelected(bool first) {
  (first ? channel1_chosen_ : channel2_chosen_) = true;
  UpdateData(true);
  UpdateData(false);
}

void CNodeProperties::OnOK() {
  if (header == nullptr) return;
  UpdateData(true);
  // A change of letter case alone is not stored; a stored name is accepted as
  // it is while it is not edited.
  if (nameText.compare(zv::QFromCp1251(header->GetString("NAME")), Qt::CaseInsensitive) != 0) {
    for (QChar c : nameText) {
      if (IsForbiddenNameChar(c)) {
        zv::ShowMessage(QString::fromUtf8("Ошибка! Недопустимые символы в названии узла (< > : \" / \\ |)."),
                        zv::MessageIcon::kError, zv::MessageButtons::kOk, this);
        return;
      }
    }
    header->SetString("NAME", zv::QToCp1251(nameText));
    nameChanged = 1;
  }
  // A list the user did not choose from keeps its stored digit.
  const int c1 = channel1_chosen_ ? Channel1Digit(channel1Index) : stored_c1_;
  const int c2 = channel2_chosen_ ? channel2Index : stored_c2_;
  const int scheme = c2 * 10 + c1;
  header->SetInt("UCONTROL", powerControl);
  if (header->GetInt("SCHEMA") != scheme) {
    header->SetInt("SCHEMA", scheme);
    schemeChanged = 1;
  }
  for (size_t i = 0; i < pages.size(); ++i) {
    pages[i]->UpdateData(true);
    header->SetColumnIds(static_cast<int>(i), pages[i]->CheckedColumns());
  }
  QDialog::accept();
}

bool EditNodeSettings(CZEVViewDoc& doc, QWidget* parent) {
  CNodeProperties dlg(parent);
  dlg.header = &doc.header;
  if (dlg.DoModal() != QDialog::Accepted) return false;
  // ORed in: a scheme change whose save failed is still to be evaluated.
  doc.recompute |= dlg.schemeChanged;
  if (doc.OnSaveDocument(doc.GetPathName())) doc.ReloadLastPeriod();
  return true;
}
