#include "platform/qt/qt_text.h"

#include "platform/cp1251.h"

namespace zv {

QString QFromCp1251(std::string_view cp1251) {
  std::u16string u = Cp1251ToUtf16(cp1251);
  return QString(reinterpret_cast<const QChar*>(u.data()), static_cast<qsizetype>(u.size()));
}

std::string QToCp1251(const QString& text) {
  return Utf16ToCp1251(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                           static_cast<size_t>(text.size())));
}

}  // namespace zv
