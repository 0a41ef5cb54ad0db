#include "readers/common/reader_settings.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QLineEdit>
#include <string>

#include "platform/profile.h"
#include "platform/qt/settings_message.h"
#include "platform/qt/text_fit.h"

namespace zv {

void StoreReaderCheckBox(const Profile& profile, QCheckBox* box, const char* name, QWidget* parent) {
  std::string error;
  if (profile.WriteInt(kReaderSection, name, box->isChecked() ? 1 : 0, &error)) return;
  box->setChecked(profile.GetInt(kReaderSection, name, 1) != 0);
  ReportSettingsNotSaved(profile, error, parent);
}

bool StoreReaderPort(const Profile& profile, QLineEdit* port, QWidget* parent) {
  const std::string text = port->text().toStdString();
  if (profile.GetString(kReaderSection, "Port", "1") == text) return true;
  std::string error;
  if (profile.WriteString(kReaderSection, "Port", text, &error)) return true;
  // The field shows the stored port again before the box takes the focus
  // (whose focus change comes back here with nothing left to store).
  port->setText(QString::fromStdString(profile.GetString(kReaderSection, "Port", "1")));
  ReportSettingsNotSaved(profile, error, parent);
  return false;
}

void FitReaderPortField(QLineEdit* port) {
  const QStringList digits = DigitTexts();
  port->setMinimumWidth(LineEditWidthFor(*port, WidestJoined(QFontMetricsF(port->font()), {digits, digits, digits})));
}

}  // namespace zv
