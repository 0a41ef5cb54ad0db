// The viewing period: its start from the profile, the period dialog, the values
// it stores, the refusal of an empty period and the reload of every document.

#include <QDate>
#include <QDateEdit>
#include <QCalendarWidget>
#include <QMouseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <sys/stat.h>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "platform/profile.h"
#include "platform/str_format.h"
#include "tests/support/text_room.h"
#include "tests/viewer/viewer_app_fixture.h"
#include "viewer/ranges_dlg.h"

namespace {

using zv::test::ViewerAppTest;

// The time zone for one test; the old one comes back at the end.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    ::setenv("TZ", tz, 1);
    ::tzset();
  }
  ~ScopedTimeZone() {
    if (old_)
      ::setenv("TZ", old_->c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }

 private:
  std::optional<std::string> old_;
};

std::string DayText(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return zv::StrFormat("%02d.%02d.%d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
}

// The stored value read back as the unsigned 32-bit number it was written from.
std::int64_t Stored(const char* name) {
  return static_cast<std::uint32_t>(zv::Profile(zv::kProgramZEVView).GetInt("Poperties", name, 0));
}

class PeriodTest : public ViewerAppTest {
 protected:
  // The period command with the dialog answered by `act`; false when it never ran.
  bool RunPeriod(const std::function<void(CRanges&)>& act) {
    return zv::test::AnswerModal<CRanges>([this] { Frame().OnViewPeriod(); }, act);
  }
  static std::function<void(CRanges&)> Choose(const QDate& begin, const QDate& end) {
    return [begin, end](CRanges& d) {
      d.beginEdit()->setDate(begin);
      d.endEdit()->setDate(end);
      d.okButton()->click();
    };
  }
  bool HasPeriodValues() const {
    const zv::Profile profile(zv::kProgramZEVView);
    return profile.Has("Poperties", "DateBegin") || profile.Has("Poperties", "DateEnd");
  }
};

TEST_F(PeriodTest, FirstStartShowsTheLastThirtyDays) {
  const std::time_t now = std::time(nullptr);
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame().periodPane()->text().toStdString(),
            "ПП " + DayText(now - 30 * 24 * 3600) + " - " + DayText(now));
  EXPECT_EQ(Frame().m_begin.hour, 0);
  EXPECT_EQ(Frame().m_end.hour, 0);
  EXPECT_FALSE(HasPeriodValues());  // nothing is written before a change
}

TEST_F(PeriodTest, StoredValuesAreLocalMidnightsReadBackUnsigned) {
  // 01.03.2024 00:00 UTC is 1709251200; in UTC+9 the local midnight is nine
  // hours earlier.
  struct Case {
    const char* tz;
    std::int64_t begin;
    std::int64_t end;
  };
  for (const Case& c : {Case{"UTC0", 1709251200, 1711843200}, Case{"JST-9", 1709218800, 1711810800}}) {
    SCOPED_TRACE(c.tz);
    ScopedTimeZone tz(c.tz);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunPeriod(Choose(QDate(2024, 3, 1), QDate(2024, 3, 31))));
    EXPECT_TRUE(messages.requests().empty());
    EXPECT_EQ(Stored("DateBegin"), c.begin);
    EXPECT_EQ(Stored("DateEnd"), c.end);
    EXPECT_EQ(Frame().periodPane()->text().toStdString(), "ПП 01.03.2024 - 31.03.2024");
    // The next start begins with them.
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame().PeriodText().toStdString(), "ПП 01.03.2024 - 31.03.2024");
    EXPECT_EQ(Frame().m_end, DateStamp(2024, 3, 31, 0, 0, 0));
  }
}

TEST_F(PeriodTest, AValueAboveTheSignedRangeReadsBackAsItsUnsignedTime) {
  // 0x80000000 seconds is 19.01.2038 03:14:08 UTC: read back unsigned, not as
  // a date of 1901.
  ScopedTimeZone tz("UTC0");
  zv::Profile(zv::kProgramZEVView).WriteInt("Poperties", "DateEnd", static_cast<int>(0x80000000u));
  zv::Profile(zv::kProgramZEVView).WriteInt("Poperties", "DateBegin", 1709251200);
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame().m_end, DateStamp(2038, 1, 19, 0, 0, 0));
  EXPECT_EQ(Frame().m_begin, DateStamp(2024, 3, 1, 0, 0, 0));
}

TEST_F(PeriodTest, PickersTakeOnlyTheYearsTheStoredValuesHold) {
  // An earlier date would be a negative time, its low 32 bits a date of 2106
  // at the next start.
  ScopedTimeZone tz("UTC0");
  ASSERT_TRUE(Start());
  ASSERT_TRUE(RunPeriod([](CRanges& d) {
    EXPECT_EQ(d.beginEdit()->minimumDate(), QDate(2000, 1, 1));
    EXPECT_EQ(d.endEdit()->maximumDate(), QDate(2037, 12, 31));
    d.beginEdit()->setDate(QDate(1969, 12, 1));
    d.endEdit()->setDate(QDate(2040, 1, 1));
    d.okButton()->click();
  }));
  EXPECT_EQ(Stored("DateBegin"), 946684800);  // 01.01.2000
  EXPECT_EQ(Stored("DateEnd"), 2145830400);   // 31.12.2037
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame().PeriodText().toStdString(), "ПП 01.01.2000 - 31.12.2037");
}

TEST_F(PeriodTest, DialogShowsTheFramesPeriodAndItsTexts) {
  ScopedTimeZone tz("UTC0");
  zv::Profile(zv::kProgramZEVView).WriteInt("Poperties", "DateBegin", 1709251200);
  zv::Profile(zv::kProgramZEVView).WriteInt("Poperties", "DateEnd", 1711843200);
  ASSERT_TRUE(Start());
  ASSERT_TRUE(RunPeriod([](CRanges& d) {
    EXPECT_EQ(d.windowTitle().toStdString(), "Период просмотра");
    std::vector<std::string> labels;
    for (const QLabel* label : d.findChildren<QLabel*>()) labels.push_back(label->text().toStdString());
    EXPECT_EQ(labels, (std::vector<std::string>{"Начало периода:", "Конец периода:"}));
    EXPECT_EQ(d.findChildren<QPushButton*>().size(), 1);  // OK only
    EXPECT_TRUE(d.beginEdit()->calendarPopup());
    EXPECT_EQ(d.endEdit()->displayFormat(), QLocale(QLocale::Russian).dateFormat(QLocale::LongFormat));
    EXPECT_EQ(d.beginEdit()->date(), QDate(2024, 3, 1));
    EXPECT_EQ(d.endEdit()->date(), QDate(2024, 3, 31));
    d.reject();
  }));
}

// The default locale for one test; the old one comes back at the end.
class ScopedDefaultLocale {
 public:
  explicit ScopedDefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
  ~ScopedDefaultLocale() { QLocale::setDefault(old_); }

 private:
  QLocale old_;
};

TEST(PeriodDialogTest, PickersShowEveryAllowedDateInRussianAndWhole) {
  for (const QLocale& system : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedKingdom)}) {
    const ScopedDefaultLocale scoped(system);
    CRanges d;
    d.show();
    QCoreApplication::processEvents();
    for (QDateEdit* picker : {d.beginEdit(), d.endEdit()}) {
      picker->setDate(QDate(2026, 11, 11));
      EXPECT_EQ(picker->text().toStdString(), "среда, 11 ноября 2026 г.");
      const QLineEdit* line = picker->findChild<QLineEdit*>();
      ASSERT_NE(line, nullptr);
      QString widest;
      for (QDate date(2000, 1, 1); date <= QDate(2037, 12, 31); date = date.addDays(1)) {
        picker->setDate(date);
        if (zv::test::LineTextWidth(*line, picker->text()) > zv::test::LineTextWidth(*line, widest)) {
          widest = picker->text();
        }
      }
      EXPECT_EQ(zv::test::LineEditShortfall(*line, widest), "") << system.name().toStdString();
    }
    for (QWidget* w : d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (qobject_cast<QAbstractButton*>(w) != nullptr || qobject_cast<QLabel*>(w) != nullptr) {
        EXPECT_EQ(zv::test::SizeShortfall(*w), "");
      }
    }
  }
}

// The drop-down calendar opens under its picker, aligned to the right edge.
TEST(PeriodDialogTest, CalendarDropsDownAlignedToThePickersRightEdge) {
  CRanges d;
  d.move(300, 200);
  d.show();
  QCoreApplication::processEvents();
  for (QDateEdit* picker : {d.beginEdit(), d.endEdit()}) {
    const QPoint arrow(picker->width() - 4, picker->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(arrow), QPointF(picker->mapToGlobal(arrow)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(picker, &press);
    QCoreApplication::processEvents();
    QWidget* popup = picker->calendarWidget()->window();
    ASSERT_TRUE(popup->isVisible());
    const QRect at = popup->frameGeometry();
    EXPECT_EQ(at.right(), picker->mapToGlobal(QPoint(picker->width() - 1, 0)).x());
    EXPECT_GE(at.top(), picker->mapToGlobal(QPoint(0, picker->height() - 1)).y());
    popup->hide();
  }
}

TEST_F(PeriodTest, EscapeAndTheCloseBoxChangeNothing) {
  ASSERT_TRUE(Start());
  const std::string path = WriteNode("00012");
  CZEVViewDoc* doc = Open(path);
  ASSERT_NE(doc, nullptr);
  const size_t records = doc->records.size();
  ASSERT_GT(records, 24u);
  // The file loses its data: only a reload would show it.
  zv::sim::NodeFilePlan empty;
  empty.data = zv::sim::HourlySeries::From(DateStamp(2024, 3, 1, 0, 0, 0), 0);
  ASSERT_TRUE(zv::sim::WriteNodeFileAs(path, empty));
  const QString pane = Frame().periodPane()->text();

  ASSERT_TRUE(RunPeriod([](CRanges& d) {
    d.beginEdit()->setDate(QDate(2024, 3, 1));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&d, &escape);
  }));
  ASSERT_TRUE(RunPeriod([](CRanges& d) {
    d.beginEdit()->setDate(QDate(2024, 3, 1));
    d.close();
  }));
  EXPECT_FALSE(HasPeriodValues());
  EXPECT_EQ(Frame().periodPane()->text(), pane);
  EXPECT_EQ(doc->records.size(), records);
  EXPECT_TRUE(messages.requests().empty());
}

TEST_F(PeriodTest, BeginAndEndOnOneDayAreRefused) {
  ASSERT_TRUE(Start());
  CZEVViewDoc* doc = Open(WriteNode("00012"));
  ASSERT_NE(doc, nullptr);
  const size_t records = doc->records.size();
  const DateStamp begin = Frame().m_begin, end = Frame().m_end;
  for (const QDate& last : {QDate(2024, 3, 5), QDate(2024, 3, 4)}) {
    messages.Clear();
    ASSERT_TRUE(RunPeriod(Choose(QDate(2024, 3, 5), last)));
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.requests()[0].text.toStdString(),
              "Период просмотра не изменен!\nДата начала периода больше даты окончания.");
    EXPECT_EQ(messages.requests()[0].icon, zv::MessageIcon::kError);
  }
  EXPECT_FALSE(HasPeriodValues());
  EXPECT_EQ(Frame().m_begin, begin);
  EXPECT_EQ(Frame().m_end, end);
  EXPECT_EQ(doc->records.size(), records);
}

// A period that cannot be stored (a read-only profile) is reported with the
// settings file and not taken: frame, documents and profile stay as they were.
TEST_F(PeriodTest, APeriodThatCannotBeStoredIsNotTaken) {
  ASSERT_TRUE(Start());
  CZEVViewDoc* doc = Open(WriteNode("00012"));
  ASSERT_NE(doc, nullptr);
  const size_t records = doc->records.size();
  const DateStamp begin = Frame().m_begin, end = Frame().m_end;
  const zv::Profile profile(zv::kProgramZEVView);
  ASSERT_TRUE(profile.WriteInt("Settings", "ShowType", CTableView::kDaily));
  const std::string before = zv::test::TempDir::Read(profile.Path());
  ASSERT_EQ(::chmod(profile.Path().c_str(), 0444), 0);
  messages.Clear();
  ASSERT_TRUE(RunPeriod(Choose(QDate(2024, 3, 1), QDate(2024, 3, 5))));
  ASSERT_EQ(messages.requests().size(), 1u);
  EXPECT_TRUE(messages.requests()[0].text.startsWith(QString::fromUtf8("Не удается сохранить настройки в файле ") +
                                                     QString::fromStdString(profile.Path()) + ".\n"))
      << messages.requests()[0].text.toStdString();
  EXPECT_EQ(messages.requests()[0].icon, zv::MessageIcon::kWarning);
  EXPECT_EQ(Frame().m_begin, begin);
  EXPECT_EQ(Frame().m_end, end);
  EXPECT_EQ(doc->records.size(), records);
  EXPECT_EQ(zv::test::TempDir::Read(profile.Path()), before);
  ::chmod(profile.Path().c_str(), 0644);
}

TEST_F(PeriodTest, UnchangedPeriodRewritesBothValuesAndReloadsEveryDocument) {
  ASSERT_TRUE(Start());
  const std::string a = WriteNode("00012"), b = WriteNode("00013"), c = WriteNode("00014");
  // A daily window, a journal window and a parameter window.
  zv::Profile(zv::kProgramZEVView).WriteInt("Settings", "ShowType", CTableView::kDaily);
  ASSERT_NE(Open(a), nullptr);
  zv::Profile(zv::kProgramZEVView).WriteInt("Settings", "ShowType", CTableView::kJournal);
  ASSERT_NE(Open(b), nullptr);
  zv::Profile(zv::kProgramZEVView).WriteInt("Settings", "ShowType", CTableView::kParameters);
  ASSERT_NE(Open(c), nullptr);
  const std::vector<CChildFrame*> frames = Frame().ChildFrames();
  ASSERT_EQ(frames.size(), 3u);
  CTableView& daily = *frames[0]->GetActiveView();
  CTableView& journal = *frames[1]->GetActiveView();
  CTableView& parameters = *frames[2]->GetActiveView();
  ASSERT_GT(FirstColumn(daily).size(), 30u);
  const size_t journalRows = FirstColumn(journal).size();

  // Every file changes on disk: no data in the period, a journal file for b, a
  // new working time for c.
  for (const std::string& path : {a, b, c}) {
    zv::sim::NodeFilePlan plan;
    plan.header = zv::sim::NodeHeaderKeys::Converted(4, path == a ? "00012" : path == b ? "00013" : "00014",
                                                     zv::W1251("Узел"), 1);
    plan.header.Set("WTIME", "98765");
    plan.data = zv::sim::HourlySeries::From(DateStamp(2024, 3, 1, 0, 0, 0), 48);
    ASSERT_TRUE(zv::sim::WriteNodeFileAs(path, plan));
  }
  ASSERT_FALSE(zv::sim::WriteJournalFile(dir.path(), "00013",
                                         zv::sim::JournalFileBytes(zv::sim::SampleJournal(
                                             DateStamp(2024, 3, 1, 10, 0, 0), journalRows + 4)))
                   .empty());

  // The period as it stands, confirmed; each document asks its question, in
  // the order they were opened.
  messages.QueueAnswer(zv::MessageResult::kNo);
  messages.QueueAnswer(zv::MessageResult::kNo);
  messages.QueueAnswer(zv::MessageResult::kNo);
  const DateStamp begin = Frame().m_begin, end = Frame().m_end;
  ASSERT_TRUE(RunPeriod([](CRanges& d) { d.okButton()->click(); }));
  EXPECT_TRUE(HasPeriodValues());
  const std::time_t now = std::time(nullptr);
  EXPECT_EQ(DayText(static_cast<std::time_t>(Stored("DateEnd"))), DayText(now));
  EXPECT_EQ(DayText(static_cast<std::time_t>(Stored("DateBegin"))), DayText(now - 30 * 24 * 3600));
  EXPECT_EQ(Frame().m_begin, begin);
  EXPECT_EQ(Frame().m_end, end);

  const std::vector<QString> texts = messages.texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_TRUE(texts[0].contains(QString::fromUtf8("00012_Узел.zev"))) << texts[0].toStdString();
  EXPECT_TRUE(texts[1].contains(QString::fromUtf8("00013_Узел.zev"))) << texts[1].toStdString();
  EXPECT_TRUE(texts[2].contains(QString::fromUtf8("00014_Узел.zev"))) << texts[2].toStdString();
  // The windows were built anew from the reloaded documents.
  EXPECT_LT(FirstColumn(daily).size(), 3u);
  EXPECT_EQ(FirstColumn(journal).size(), journalRows + 4);
  bool found = false;
  for (int row = 0; row < parameters.GetGrid()->GetRowCount(); ++row)
    found = found || parameters.GetGrid()->GetItemText(row, 1) == "98765";
  EXPECT_TRUE(found);
}

}  // namespace
