#include "modem/dialog_exchange.h"

#include <QLineEdit>
#include <limits>

#include "platform/qt/message_box.h"

namespace zv {
void RefuseEdit(QLineEdit* edit, const QString& message) {
  ShowMessage(message, MessageIcon::kWarning);
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
}

bool ParseDialogInt(const QString& text, int* value) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && text[i].isSpace()) ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i == n) return false;
  long long number = 0;
  for (; i < n; ++i) {
    const char16_t c = text[i].unicode();
    if (c < u'0' || c > u'9') return false;
    number = number * 10 + (c - u'0');
    if (number > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return false;
  }
  if (negative) number = -number;
  if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
    return false;
  *value = static_cast<int>(number);
  return true;
}

bool ReadIntEdit(QLineEdit* edit, int* value) {
  if (ParseDialogInt(edit->text(), value)) return true;
  RefuseEdit(edit, QString::fromUtf8("Введите целое число."));
  return false;
}

bool ReadIntEditInRange(QLineEdit* edit, int min, int max, int* value) {
  int number = 0;
  if (!ReadIntEdit(edit, &number)) return false;
  if (number < min || number > max) {
    RefuseEdit(edit, QString::fromUtf8("Введите число от %1 до %2.").arg(min).arg(max));
    return false;
  }
  *value = number;
  return true;
}

void SetIntEdit(QLineEdit* edit, int value) { edit->setText(QString::number(value)); }

}  // namespace zv
