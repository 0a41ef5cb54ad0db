#pragma once
// Message boxes of the programs: a modal QMessageBox titled with the program's
// name (the application name: "ZEVModem", "ZEVView", ...), with the buttons
// labelled in Russian whether or not Qt's own translation is loaded.
//
// Tests replace the box by a hook (`ScopedMessageHook`): it sees every request
// (text, title, icon, buttons) and gives the answer, so no box ever waits for a
// click in a test run.

#include <QString>
#include <deque>
#include <functional>
#include <string_view>
#include <vector>

class QWidget;

namespace zv {

enum class MessageIcon { kNone, kInformation, kWarning, kError, kQuestion };
enum class MessageButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class MessageResult { kOk, kCancel, kYes, kNo };

struct MessageRequest {
  QString text;
  QString title;
  MessageIcon icon = MessageIcon::kInformation;
  MessageButtons buttons = MessageButtons::kOk;
};

// Shows the box and waits for the answer. Escape and the close box give Cancel
// or No where the box has them, else OK.
MessageResult ShowMessage(const QString& text, MessageIcon icon = MessageIcon::kInformation,
                          MessageButtons buttons = MessageButtons::kOk, QWidget* parent = nullptr);
// The same for a Windows-1251 text (node and journal texts).
MessageResult ShowMessage1251(std::string_view text, MessageIcon icon = MessageIcon::kInformation,
                              MessageButtons buttons = MessageButtons::kOk,
                              QWidget* parent = nullptr);

// The title the boxes carry: the application name.
QString MessageTitle();

using MessageHook = std::function<MessageResult(const MessageRequest&)>;
// Replaces the box by `hook` (an empty hook brings the box back). Returns the
// hook that was set before.
MessageHook SetMessageHook(MessageHook hook);

// For tests: records every request while it lives and answers each with the
// next queued answer, or with the first button of the box when none is queued
// (OK, or Yes).
class ScopedMessageHook {
 public:
  ScopedMessageHook();
  ~ScopedMessageHook();
  ScopedMessageHook(const ScopedMessageHook&) = delete;
  ScopedMessageHook& operator=(const ScopedMessageHook&) = delete;

  void QueueAnswer(MessageResult answer) { answers_.push_back(answer); }
  const std::vector<MessageRequest>& requests() const { return requests_; }
  // The texts shown so far, in order.
  std::vector<QString> texts() const;
  void Clear() { requests_.clear(); }

 private:
  MessageHook previous_;
  std::deque<MessageResult> answers_;
  std::vector<MessageRequest> requests_;
};

}  // namespace zv
