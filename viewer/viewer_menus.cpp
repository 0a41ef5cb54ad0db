#include "viewer/viewer_menus.h"

#include <array>
#include <utility>

#include "viewer/command_ui.h"
#include "viewer/viewer_commands.h"

namespace viewer_menu {

namespace {

using namespace viewer_cmd;

constexpr Item kSeparator{nullptr, 0};

const std::vector<Popup> kMenu128 = {
    {"&Файл",
     {{"&Открыть...\tCtrl+O", kFileOpen},
      kSeparator,
      {"Настройка принтера...", kFilePrintSetup},
      kSeparator,
      {"Последний файл", kFileMru1},
      kSeparator,
      {"&Закрыть", kFileClose},
      {"В&ыход", kAppExit}}},
    {"&Вид",
     {{"&Панель инструментов", kViewToolbar},
      {"&Строка состояния", kViewStatusBar},
      kSeparator,
      {"Отчетный период...", kViewPeriod}}},
    {"&Помощь", {{"О программе...", kAppAbout}}},
};

const std::vector<Popup> kMenu129 = {
    {"&Файл",
     {{"&Открыть...\tCtrl+O", kFileOpen},
      {"&Закрыть", kFileClose},
      kSeparator,
      {"&Печать...\tCtrl+P", kFilePrint},
      {"Просмотр печати...", kFilePrintPreview},
      {"Н&астройка принтера...", kFilePrintSetup},
      kSeparator,
      {"Последний файл", kFileMru1},
      kSeparator,
      {"В&ыход", kAppExit}}},
    {"&Вид",
     {{"&Панель инструметов", kViewToolbar},
      {"&Строка состояния", kViewStatusBar},
      kSeparator,
      {"Период просмотра...", kViewPeriod}}},
    {"&Окно",
     {{"&Новое окно", kWindowNew},
      {"&Каскад", kWindowCascade},
      {"&Части", kWindowTile},
      {"&Выстроить", kWindowArrange}}},
    {"&Помощь", {{"О программе...", kAppAbout}}},
};

// The string table entries of the program's commands: prompt, "\n", tooltip.
constexpr std::array<std::pair<UINT, const char*>, 6> kCommandStrings = {{
    {kViewPeriod, "Период просмотра\nПериод просмотра"},
    {kNodeSettings, "Настройка узла\nНастройка"},
    {kShowHourly, "Среднечасовые показания\nЧасовые"},
    {kShowDaily, "Среднесуточные показания\nСуточные"},
    {kShowJournal, "Журнал изменения настроек\nЖурнал"},
    {kShowParameters, "Настройки прибора\nНастройки"},
}};

QString CommandStringPart(UINT id, int part) {
  for (const auto& [command, text] : kCommandStrings)
    if (command == id) return QString::fromUtf8(text).section(QLatin1Char('\n'), part, part);
  return QString();
}

}  // namespace

const std::vector<Popup>& MenuResource(int id) {
  static const std::vector<Popup> kNone;
  if (id == kMenuEmpty) return kMenu128;
  if (id == kMenuDocument) return kMenu129;
  return kNone;
}

QString CommandPrompt(UINT id) { return CommandStringPart(id, 0); }
QString CommandTip(UINT id) { return CommandStringPart(id, 1); }

QString PlainMenuText(const char* text) {
  QString plain = QString::fromUtf8(text).section(QLatin1Char('\t'), 0, 0);
  plain.remove(QLatin1Char('&'));
  return plain;
}

}  // namespace viewer_menu
