#include "modem/open_dialog.h"

#include <QFile>
#include <QFileDialog>
#include <memory>

namespace zv {

QFileDialog* MakeOpenDialog(QWidget* parent) {
  auto* dialog = new QFileDialog(parent, QString::fromUtf8(kOpenDialogTitle));
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::ExistingFiles);
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  dialog->setNameFilters({QString::fromUtf8("ZEVModem файлы (*.gr *.zev)"),
                          QString::fromUtf8("Все файлы (*)")});
  return dialog;
}

std::vector<std::string> ChooseFilesToOpen(QWidget* parent) {
  std::unique_ptr<QFileDialog> dialog(MakeOpenDialog(parent));
  std::vector<std::string> paths;
  if (dialog->exec() != QDialog::Accepted) return paths;
  for (const QString& f : dialog->selectedFiles()) paths.push_back(QFile::encodeName(f).toStdString());
  return paths;
}

}  // namespace zv
