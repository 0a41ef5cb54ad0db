#include "viewer/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "viewer/program_icon.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8("О программе"));
  auto* top = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  icon_ = new QLabel(this);
  icon_->setPixmap(ProgramIconPixmap(32));
  version_ = new QLabel("ZEVView 2.744", this);
  row->addWidget(icon_);
  row->addWidget(version_, 1);
  top->addLayout(row);
  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  top->addWidget(buttons);
}
