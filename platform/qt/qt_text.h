#pragma once
// Windows-1251 texts at the Qt edge (painter, editors, clipboard, file dialogs).

#include <QString>
#include <string>
#include <string_view>

namespace zv {

QString QFromCp1251(std::string_view cp1251);
std::string QToCp1251(const QString& text);

}  // namespace zv
