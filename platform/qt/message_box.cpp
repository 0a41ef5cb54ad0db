#include "platform/qt/message_box.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

#include "platform/qt/qt_text.h"

namespace zv {
namespace {

MessageHook& Hook() {
  static MessageHook hook;
  return hook;
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kNone: return QMessageBox::NoIcon;
    case MessageIcon::kInformation: return QMessageBox::Information;
    case MessageIcon::kWarning: return QMessageBox::Warning;
    case MessageIcon::kError: return QMessageBox::Critical;
    case MessageIcon::kQuestion: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

MessageResult FirstButton(MessageButtons buttons) {
  return buttons == MessageButtons::kOk || buttons == MessageButtons::kOkCancel
             ? MessageResult::kOk
             : MessageResult::kYes;
}

}  // namespace

QString MessageTitle() { return QCoreApplication::applicationName(); }

MessageHook SetMessageHook(MessageHook hook) {
  MessageHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

MessageResult ShowMessage(const QString& text, MessageIcon icon, MessageButtons buttons,
                          QWidget* parent) {
  MessageRequest request{text, MessageTitle(), icon, buttons};
  if (Hook()) return Hook()(request);

  QMessageBox box(ToQtIcon(icon), request.title, text, QMessageBox::NoButton, parent);
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  QPushButton* yes = nullptr;
  QPushButton* no = nullptr;
  switch (buttons) {
    case MessageButtons::kOk:
      ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
      box.setEscapeButton(ok);
      break;
    case MessageButtons::kOkCancel:
      ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
      cancel = box.addButton(QString::fromUtf8("Отмена"), QMessageBox::RejectRole);
      box.setEscapeButton(cancel);
      break;
    case MessageButtons::kYesNo:
      yes = box.addButton(QString::fromUtf8("Да"), QMessageBox::YesRole);
      no = box.addButton(QString::fromUtf8("Нет"), QMessageBox::NoRole);
      box.setEscapeButton(no);
      break;
    case MessageButtons::kYesNoCancel:
      yes = box.addButton(QString::fromUtf8("Да"), QMessageBox::YesRole);
      no = box.addButton(QString::fromUtf8("Нет"), QMessageBox::NoRole);
      cancel = box.addButton(QString::fromUtf8("Отмена"), QMessageBox::RejectRole);
      box.setEscapeButton(cancel);
      break;
  }
  box.setDefaultButton(ok ? ok : yes);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  if (clicked == ok && ok) return MessageResult::kOk;
  if (clicked == yes && yes) return MessageResult::kYes;
  if (clicked == no && no) return MessageResult::kNo;
  if (clicked == cancel && cancel) return MessageResult::kCancel;
  // Closed without a button: the escape answer.
  if (cancel) return MessageResult::kCancel;
  if (no) return MessageResult::kNo;
  return MessageResult::kOk;
}

MessageResult ShowMessage1251(std::string_view text, MessageIcon icon, MessageButtons buttons,
                              QWidget* parent) {
  return ShowMessage(QFromCp1251(text), icon, buttons, parent);
}

ScopedMessageHook::ScopedMessageHook() {
  previous_ = SetMessageHook([this](const MessageRequest& request) {
    requests_.push_back(request);
    if (answers_.empty()) return FirstButton(request.buttons);
    MessageResult answer = answers_.front();
    answers_.pop_front();
    return answer;
  });
}

ScopedMessageHook::~ScopedMessageHook() { SetMessageHook(std::move(previous_)); }

std::vector<QString> ScopedMessageHook::texts() const {
  std::vector<QString> out;
  for (const MessageRequest& r : requests_) out.push_back(r.text);
  return out;
}

}  // namespace zv
