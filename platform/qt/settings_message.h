#pragma once
// The message of a settings write that failed: the box names the settings file
// and the reason, so that nobody takes an unsaved setting for a stored one.
//
//   std::string error;
//   if (!profile.WriteInt("Settings", "MaxTrys", n, &error))
//     zv::ReportSettingsNotSaved(profile, error, this);

#include <string>

class QWidget;

namespace zv {

class Profile;

// "Не удается сохранить настройки в файле <path>." and the reason on a line of
// its own, with the warning icon.
void ReportSettingsNotSaved(const Profile& profile, const std::string& reason, QWidget* parent = nullptr);

}  // namespace zv
