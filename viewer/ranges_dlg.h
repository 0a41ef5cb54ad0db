#pragma once
// CRanges: the viewing period dialog "Период просмотра": the dates of
// "Начало периода:" and "Конец периода:" in two date pickers (the Russian long
// date format whatever the system's locale, a drop-down calendar, wide enough
// for every date they take) and an OK button. There is no Cancel button:
// Escape and the close box cancel.
//
// begin and end are time values (seconds since 1970 UTC), 0 after
// construction. DoModal shows their local dates and, after OK, sets each to the
// local midnight of the date chosen. The pickers take only the years 2000 to
// 2037, the years the period's dates and the stored 32-bit time values hold.

#include <QDate>
#include <QDialog>
#include <ctime>

class QDateEdit;
class QPushButton;

class CRanges : public QDialog {
  Q_OBJECT

 public:
  explicit CRanges(QWidget* parent = nullptr);

  // The dates the pickers take.
  static QDate FirstDate() { return QDate(2000, 1, 1); }
  static QDate LastDate() { return QDate(2037, 12, 31); }

  // QDialog::Accepted after OK, else QDialog::Rejected.
  int DoModal();

  std::time_t m_begin = 0;
  std::time_t m_end = 0;

  // The local midnight of a date, daylight saving decided by the system.
  static std::time_t LocalMidnight(const QDate& date);
  static QDate LocalDate(std::time_t t);

  QDateEdit* beginEdit() const { return begin_; }
  QDateEdit* endEdit() const { return end_; }
  QPushButton* okButton() const { return ok_; }

 private:
  QDateEdit* begin_;
  QDateEdit* end_;
  QPushButton* ok_;
};
