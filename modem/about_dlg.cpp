#include "modem/about_dlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

CAboutDlg::CAboutDlg() : QDialog(nullptr) {
  setWindowTitle(QString::fromUtf8("О программе"));
  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("icon"));
  icon->setPixmap(QPixmap(QString::fromLatin1(kIconResource)));
  auto* version = new QLabel(QStringLiteral("ZEVModem v 2.763"), this);
  version->setObjectName(QStringLiteral("version"));
  // A second line under the version, left empty.
  auto* second = new QLabel(this);
  second->setObjectName(QStringLiteral("second"));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(version, 0, 1);
  grid->addWidget(second, 1, 1);
  grid->addWidget(ok, 0, 2, Qt::AlignTop);
  grid->setColumnMinimumWidth(1, 180);
}
