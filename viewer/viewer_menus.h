#pragma once
// The viewer's menus and command strings as data: menu 128 (no document open)
// and menu 129 (a document is open), each a row of drop-down menus whose items
// are a text and a command id, 0 for a separator. The two menus differ in more
// than their items: the toolbar item of 129 is spelled "&Панель инструметов",
// and the period and printer set-up items carry other texts.
//
// The recent-files item (kFileMru1) stands for the list of recent files; the
// frame puts the entries there. The window list follows the items of "&Окно".

#include <QString>
#include <vector>

#include "grid/gdi_types.h"

namespace viewer_menu {

struct Item {
  const char* text;  // UTF-8; null for a separator
  UINT id;           // 0 for a separator
};

struct Popup {
  const char* title;  // UTF-8, with its mnemonic
  std::vector<Item> items;
};

// Menu 128 or 129; empty for any other id.
const std::vector<Popup>& MenuResource(int id);

// The status-bar prompt and the tooltip of a command (the two halves of its
// string); empty when the command has none.
QString CommandPrompt(UINT id);
QString CommandTip(UINT id);

// A menu text as a button's tip: without the mnemonic's "&" and the accelerator
// after the TAB ("&Открыть...\tCtrl+O" gives "Открыть...").
QString PlainMenuText(const char* text);

// The idle prompt of the status bar and the period pane's sizing text.
inline constexpr const char* kIdlePrompt = "Готов";
inline constexpr const char* kPeriodPaneSample = "ПП 01.01.2007 - 01.02.2007";

}  // namespace viewer_menu
