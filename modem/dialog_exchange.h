#pragma once
// Moving numbers between the workstation's dialog edits and their fields.
//
// An integer edit takes what the C library's "%d" would read: blanks before an
// optional sign and the digits, nothing after them, within the int range.
// Anything else is refused with "Введите целое число.", the focus goes back to
// the edit, and the dialog stays open.

#include <QString>

class QLineEdit;

namespace zv {

// The number in `text`, or false.
bool ParseDialogInt(const QString& text, int* value);

// The edit's number. When it is not one: the message, focus and selection on the
// edit, false.
bool ReadIntEdit(QLineEdit* edit, int* value);

// As ReadIntEdit, and the number must lie within min..max; outside it the
// message "Введите число от <min> до <max>." (the edit keeps its text).
bool ReadIntEditInRange(QLineEdit* edit, int min, int max, int* value);

// The refusal of an edit's value: the message (warning icon), then focus and
// selection on the edit.
void RefuseEdit(QLineEdit* edit, const QString& message);

// Shows the number as "%d".
void SetIntEdit(QLineEdit* edit, int value);

}  // namespace zv
