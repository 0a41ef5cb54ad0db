#pragma once
// The readers' own settings in their dialogs: section "Properties" of the
// program's profile, the check boxes stored when clicked and the port field
// when it loses the focus or a command starts. A value that cannot be stored
// is reported (the settings file and the reason) and the control shows the
// stored value again, so that nobody takes an unsaved setting for a stored one.

class QCheckBox;
class QLineEdit;
class QWidget;

namespace zv {

class Profile;

inline constexpr const char* kReaderSection = "Properties";

// Stores the box's state as 1 or 0 under `name` (default 1).
void StoreReaderCheckBox(const Profile& profile, QCheckBox* box, const char* name, QWidget* parent);

// Stores the field's text as "Port" (default "1"); true when the profile holds
// it afterwards. The port the links would open anyway needs no write, so a
// profile that cannot be written still lets the device be read on it.
bool StoreReaderPort(const Profile& profile, QLineEdit* port, QWidget* parent);

// Gives the port field room for a number of three digits in its font.
void FitReaderPortField(QLineEdit* port);

}  // namespace zv
