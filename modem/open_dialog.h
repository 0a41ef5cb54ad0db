#pragma once
// The workstation's open command ("&Открыть...", Ctrl+O, toolbar 57601): a
// file dialog titled "Открыть" for existing files, several at once, with the
// filters "ZEVModem файлы (*.gr *.zev)" and "Все файлы (*)". Qt's own dialog
// (not the desktop's), so that it speaks Russian like the rest of the program.

#include <QStringList>
#include <string>
#include <vector>

class QFileDialog;
class QWidget;

namespace zv {

inline constexpr const char* kOpenDialogTitle = "Открыть";

// The dialog, set up but not shown; tests find it as the active modal widget.
QFileDialog* MakeOpenDialog(QWidget* parent);

// Runs the dialog: the chosen files in the dialog's order, as file names on
// disk; nothing when it is cancelled.
std::vector<std::string> ChooseFilesToOpen(QWidget* parent);

}  // namespace zv
