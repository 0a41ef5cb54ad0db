#include "platform/qt/settings_message.h"

#include <QString>

#include "platform/profile.h"
#include "platform/qt/message_box.h"

namespace zv {

void ReportSettingsNotSaved(const Profile& profile, const std::string& reason, QWidget* parent) {
  ShowMessage(QString::fromUtf8("Не удается сохранить настройки в файле %1.\n%2")
                  .arg(QString::fromStdString(profile.Path()), QString::fromLocal8Bit(reason.c_str())),
              MessageIcon::kWarning, MessageButtons::kOk, parent);
}

}  // namespace zv
