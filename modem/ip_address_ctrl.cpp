#include "modem/ip_address_ctrl.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

CIPAddressCtrl::CIPAddressCtrl(QWidget* parent) : QWidget(parent) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(1);
  for (int i = 0; i < 4; ++i) {
    if (i > 0) row->addWidget(new QLabel(QStringLiteral("."), this));
    auto* field = new QLineEdit(this);
    field->setObjectName(QStringLiteral("field%1").arg(i));
    field->setMaxLength(3);
    field->setValidator(new QIntValidator(0, 255, field));
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 8);
    row->addWidget(field);
    fields_[i] = field;
  }
  setFocusProxy(fields_[0]);
}

void CIPAddressCtrl::SetAddress(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
  const uint8_t bytes[4] = {b0, b1, b2, b3};
  for (int i = 0; i < 4; ++i) fields_[i]->setText(QString::number(bytes[i]));
}

std::array<uint8_t, 4> CIPAddressCtrl::GetAddress() const {
  std::array<uint8_t, 4> out{};
  for (int i = 0; i < 4; ++i) {
    // The validator lets three digits through; a number above 255 counts as
    // 255, an empty field as 0.
    bool ok = false;
    const int v = fields_[i]->text().toInt(&ok);
    out[i] = !ok || v < 0 ? 0 : static_cast<uint8_t>(std::min(v, 255));
  }
  return out;
}
