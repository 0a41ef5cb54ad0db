#include "viewer/ranges_dlg.h"

#include <QDate>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QEvent>
#include <QScreen>
#include <QFontMetricsF>
#include <QHash>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/text_fit.h"

namespace {

// The dialog is Russian whatever the system's locale: the pickers show the
// Russian long date ("среда, 11 ноября 2026 г.") and a Russian calendar.
QLocale PickerLocale() { return QLocale(QLocale::Russian, QLocale::Russia); }

// A picker as wide as the widest date it can show: weekday and month names
// differ in width, so every date of the allowed years is measured.
class PeriodDateEdit : public QDateEdit {
 public:
  explicit PeriodDateEdit(QWidget* parent) : QDateEdit(parent) {
    const QLocale locale = PickerLocale();
    setLocale(locale);
    setDisplayFormat(locale.dateFormat(QLocale::LongFormat));
    setCalendarPopup(true);
    setDateRange(CRanges::FirstDate(), CRanges::LastDate());
    width_ = zv::DateEditWidthFor(*this, WidestDate());
    calendarWidget()->window()->installEventFilter(this);
  }
  QSize sizeHint() const override { return QDateEdit::sizeHint().expandedTo(QSize(width_, 0)); }
  QSize minimumSizeHint() const override { return QDateEdit::minimumSizeHint().expandedTo(QSize(width_, 0)); }

 protected:
  // The drop-down calendar opens under the picker aligned to its right edge
  // (the framework puts it at the left edge, so it is moved as it shows).
  bool eventFilter(QObject* watched, QEvent* e) override {
    QWidget* popup = calendarWidget()->window();
    if (watched == popup && e->type() == QEvent::Show) {
      // The framework's height (below the picker, or above it without room)
      // stays; only the left edge moves, never off the screen.
      int left = mapToGlobal(QPoint(width(), 0)).x() - popup->frameGeometry().width();
      if (const QScreen* screen = popup->screen()) left = std::max(left, screen->availableGeometry().left());
      popup->move(left, popup->y());
    }
    return QDateEdit::eventFilter(watched, e);
  }

 private:
  // The widest text of every date, once for a font (both pickers share it).
  QString WidestDate() const {
    static QHash<QString, QString> by_font;
    const QString key = font().key();
    auto it = by_font.constFind(key);
    if (it != by_font.constEnd()) return it.value();
    QStringList texts;
    for (QDate d = CRanges::FirstDate(); d <= CRanges::LastDate(); d = d.addDays(1)) {
      texts << textFromDateTime(d.startOfDay());
    }
    return by_font.insert(key, zv::WidestText(QFontMetricsF(font()), texts)).value();
  }

  int width_ = 0;
};

}  // namespace

CRanges::CRanges(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8("Период просмотра"));
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  begin_ = new PeriodDateEdit(this);
  begin_->setObjectName(QStringLiteral("1000"));
  end_ = new PeriodDateEdit(this);
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
