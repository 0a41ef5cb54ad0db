#include "viewer/ranges_dlg.h"

#include <QDate>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QDateEdit* NewDateEdit(QWidget* parent) {
  auto* edit = new QDateEdit(parent);
  edit->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
  edit->setCalendarPopup(true);
  edit->setDateRange(QDate(2000, 1, 1), QDate(2037, 12, 31));
  return edit;
}

}  // namespace

CRanges::CRanges(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8("Период просмотра"));
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  begin_ = NewDateEdit(this);
  begin_->setObjectName(QStringLiteral("1000"));
  end_ = NewDateEdit(this);
  end_->setObjectName(QStringLiteral("1002"));
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QStringLiteral("1"));
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QString::fromUtf8("Начало периода:"), this), 0, 0);
  grid->addWidget(begin_, 0, 1);
  grid->addWidget(new QLabel(QString::fromUtf8("Конец периода:"), this), 1, 0);
  grid->addWidget(end_, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  setFixedSize(sizeHint());
}

std::time_t CRanges::LocalMidnight(const QDate& date) {
  std::tm tm{};
  tm.tm_year = date.year() - 1900;
  tm.tm_mon = date.month() - 1;
  tm.tm_mday = date.day();
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

QDate CRanges::LocalDate(std::time_t t) {
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) return QDate();
  return QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

int CRanges::DoModal() {
  begin_->setDate(LocalDate(m_begin));
  end_->setDate(LocalDate(m_end));
  begin_->setFocus();
  if (exec() != QDialog::Accepted) return QDialog::Rejected;
  m_begin = LocalMidnight(begin_->date());
  m_end = LocalMidnight(end_->date());
  return QDialog::Accepted;
}
