#pragma once
// Qt's own texts in Russian (the file dialog's buttons and labels, the
// standard context menus, ...): Qt's "qtbase_ru" translation from its
// translations folder (Debian's qt6-translations-l10n), installed into the
// running application. The programs' own texts are Russian in the source.

namespace zv {

// Loads and installs the translation once per process; true when it is
// installed (also on a later call). Needs the application object. Without the
// translation files Qt's texts stay English and the program runs on.
bool InstallQtTranslation();

}  // namespace zv
