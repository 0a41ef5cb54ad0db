// The programs' message box: the hook that tests use, and the real box's buttons,
// title and answers when a button is clicked or the box is closed.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/qt/message_box.h"

namespace {

using zv::MessageButtons;
using zv::MessageIcon;
using zv::MessageResult;

TEST(MessageBox, HookRecordsRequestsAndGivesQueuedAnswers) {
  QCoreApplication::setApplicationName("ZEVView");
  zv::ScopedMessageHook hook;
  hook.QueueAnswer(MessageResult::kNo);
  EXPECT_EQ(zv::ShowMessage(QString::fromUtf8("Открыть?"), MessageIcon::kQuestion,
                            MessageButtons::kYesNo),
            MessageResult::kNo);
  // Nothing queued: the box's first button.
  EXPECT_EQ(zv::ShowMessage1251("\xCE\xF8\xE8\xE1\xEA\xE0", MessageIcon::kError), MessageResult::kOk);
  EXPECT_EQ(zv::ShowMessage("?", MessageIcon::kQuestion, MessageButtons::kYesNoCancel),
            MessageResult::kYes);
  ASSERT_EQ(hook.requests().size(), 3u);
  EXPECT_EQ(hook.requests()[0].title, "ZEVView");
  EXPECT_EQ(hook.requests()[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(hook.requests()[1].text, QString::fromUtf8("Ошибка"));
  EXPECT_EQ(hook.requests()[1].icon, MessageIcon::kError);
}

TEST(MessageBox, HooksNestAndRestore) {
  zv::ScopedMessageHook outer;
  {
    zv::ScopedMessageHook inner;
    zv::ShowMessage("inner");
    EXPECT_EQ(inner.requests().size(), 1u);
  }
  zv::ShowMessage("outer");
  ASSERT_EQ(outer.requests().size(), 1u);
  EXPECT_EQ(outer.texts()[0], "outer");
}

// Clicks the button with `label` on the box that opens next, or closes the box
// through Escape when `label` is empty.
void AnswerNextBox(const QString& label, QString* title, QStringList* buttons) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    *title = box->windowTitle();
    for (QAbstractButton* b : box->buttons()) buttons->append(b->text());
    if (label.isEmpty()) {
      box->reject();
      return;
    }
    for (QAbstractButton* b : box->buttons())
      if (b->text() == label) b->click();
  });
}

TEST(MessageBox, RealBoxHasRussianButtonsAndAnswers) {
  QCoreApplication::setApplicationName("ZEVModem");
  struct Case {
    MessageButtons buttons;
    const char* click;  // empty: Escape
    QStringList expected_buttons;
    MessageResult expected;
  };
  const QString yes = QString::fromUtf8("Да"), no = QString::fromUtf8("Нет"),
                cancel = QString::fromUtf8("Отмена");
  const std::vector<Case> cases = {
      {MessageButtons::kOk, "OK", {"OK"}, MessageResult::kOk},
      {MessageButtons::kOk, "", {"OK"}, MessageResult::kOk},
      {MessageButtons::kYesNo, "Да", {yes, no}, MessageResult::kYes},
      {MessageButtons::kYesNo, "Нет", {yes, no}, MessageResult::kNo},
      {MessageButtons::kYesNo, "", {yes, no}, MessageResult::kNo},
      {MessageButtons::kOkCancel, "", {"OK", cancel}, MessageResult::kCancel},
      {MessageButtons::kYesNoCancel, "Отмена", {yes, no, cancel}, MessageResult::kCancel},
  };
  for (const Case& c : cases) {
    QString title;
    QStringList shown;
    AnswerNextBox(QString::fromUtf8(c.click), &title, &shown);
    EXPECT_EQ(zv::ShowMessage("text", MessageIcon::kWarning, c.buttons), c.expected) << c.click;
    EXPECT_EQ(title, "ZEVModem");
    shown.sort();
    QStringList expected = c.expected_buttons;
    expected.sort();
    EXPECT_EQ(shown, expected);
  }
}

}  // namespace
