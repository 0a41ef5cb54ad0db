#include "platform/qt/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zv {

bool InstallQtTranslation() {
  static QTranslator* installed = nullptr;
  if (installed != nullptr) return true;
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return false;
  auto* translator = new QTranslator(app);
  if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                        QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  installed = translator;
  // Gone with the application object: a later one loads it again.
  QObject::connect(translator, &QObject::destroyed, [] { installed = nullptr; });
  return true;
}

}  // namespace zv
