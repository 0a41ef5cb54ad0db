#include "readers/collector/zevc_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "platform/qt/message_box.h"
#include "platform/qt/text_fit.h"
#include "readers/collector/collector_link.h"
#include "readers/collector/file_list.h"
#include "readers/common/reader_flags.h"
#include "readers/common/reader_settings.h"

namespace {

constexpr const char* kSection = "Properties";
constexpr const char* kDateFormat = "dd.MM.yyyy hh:00";

zv::Profile Settings() { return zv::Profile(zv::kProgramZEVC); }

// Our own icon: a dial with the letter C.
QIcon ProgramIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(0, 128, 96));
  p.setPen(Qt::NoPen);
  p.drawEllipse(1, 1, 30, 30);
  p.setPen(Qt::white);
  QFont font = p.font();
  font.setBold(true);
  font.setPixelSize(16);
  p.setFont(font);
  p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("C"));
  return QIcon(pixmap);
}

// The list's design widths in pixels.
constexpr int kColumnWidths[4] = {45, 55, 110, 100};

// The widest text a list column shows: the row number " %d" of up to 64 rows,
// the serial "%05d" (1..0xFFFE), the header's date "%02d.%02d.%d %02d:00" of
// the years 2000..2099, "скопирован".
QString WidestCellText(const QTableWidget& list, int column) {
  const QFontMetricsF fm(list.font());
  const QStringList digits = zv::DigitTexts();
  switch (column) {
    case CZEVC32Dlg::kColumnCheck:
      return QStringLiteral(" ") + zv::WidestText(fm, zv::NumberTexts(1, zv::kCollectorJobEntries));
    case CZEVC32Dlg::kColumnSerial:
      return zv::WidestJoined(fm, {zv::NumberTexts(0, 6), digits, digits, digits, digits});
    case CZEVC32Dlg::kColumnDate:
      return zv::WidestJoined(fm, {zv::NumberTexts(1, 31, 2), {QStringLiteral(".")}, zv::NumberTexts(1, 12, 2),
                                   {QStringLiteral(".")}, zv::NumberTexts(2000, 2099),
                                   {QStringLiteral(" ")}, zv::NumberTexts(0, 23, 2), {QStringLiteral(":00")}});
    default:
      return QStringLiteral("скопирован");
  }
}

// The integer a text starts with, as atoi reads it (0 when none).
int LeadingInt(const QString& text) {
  const QString t = text.trimmed();
  int i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) negative = t[i++] == u'-';
  long long value = 0;
  for (; i < t.size() && t[i] >= u'0' && t[i] <= u'9' && value < 0x7FFFFFFF; ++i) {
    value = value * 10 + (t[i].unicode() - u'0');
  }
  value = std::min<long long>(value, 0x7FFFFFFF);
  return static_cast<int>(negative ? -value : value);
}

// A row as the sort moves it: its texts, its check and its entry.
struct ListRow {
  std::array<QString, 4> texts;
  Qt::CheckState check = Qt::Unchecked;
  QVariant entry;
};

// Shows the walk's progress and lets the title and the bar repaint; input
// waits.
class ListProgress : public zv::CollectorListProgress {
 public:
  ListProgress(QDialog& dialog, QProgressBar& bar) : dialog_(dialog), bar_(bar) {}
  void OnRange(int count) override {
    bar_.setRange(0, count);
    bar_.setValue(0);
  }
  void OnHeader(int number, int count) override {
    dialog_.setWindowTitle(QStringLiteral("ZEVC - Чтение заголовка файла %1 из %2").arg(number).arg(count));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  void OnStep() override {
    bar_.setValue(std::min(bar_.value() + 1, bar_.maximum()));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }

 private:
  QDialog& dialog_;
  QProgressBar& bar_;
};

class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

CZEVC32Dlg::CZEVC32Dlg(zv::CollectorJobSetup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)), sink_(this) {
  setWindowIcon(ProgramIcon());

  copy_all_ = new QPushButton(QStringLiteral("Копировать все новые\nи очистить ZEVC"), this);
  cancel_ = new QPushButton(QStringLiteral("Отменить"), this);
  file_list_ = new QPushButton(QStringLiteral("Список файлов"), this);
  copy_selected_ = new QPushButton(QStringLiteral("Копировать выбранные"), this);
  clear_ = new QPushButton(QStringLiteral("Очистить ZEVC"), this);
  for (QPushButton* b : {copy_all_, cancel_, file_list_, copy_selected_, clear_}) {
    b->setAutoDefault(false);  // Enter starts nothing
    b->setDefault(false);
  }
  copy_all_->setMinimumHeight(copy_all_->fontMetrics().height() * 3);

  list_ = new QTableWidget(0, 4, this);
  list_->setHorizontalHeaderLabels({QString(), QStringLiteral("Номер"), QStringLiteral("Дата"), QString()});
  list_->setShowGrid(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSortingEnabled(false);  // the header clicks sort by their own rules
  list_->verticalHeader()->setVisible(false);
  list_->horizontalHeader()->setSectionsClickable(true);
  list_->horizontalHeader()->setHighlightSections(false);
  // A row stays one line: each column is at least its design width and as
  // wide as its heading and the widest text of its format in this font.
  list_->setWordWrap(false);
  int columns_width = 0;
  for (int c = 0; c < 4; ++c) {
    const int width = std::max({kColumnWidths[c], list_->horizontalHeader()->sectionSizeHint(c),
                                zv::CellWidthFor(*list_, WidestCellText(*list_, c), c == kColumnCheck)});
    list_->setColumnWidth(c, width);
    columns_width += width;
  }
  list_->setMinimumWidth(columns_width + 2 * list_->frameWidth() +
                         list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_));

  show_deleted_ = new QCheckBox(QStringLiteral("Показывать удаленные файлы"), this);
  data_transfer_ = new QCheckBox(QStringLiteral("Добавлять скопированные данные в файлы .zev"), this);
  archive_save_ = new QCheckBox(QStringLiteral("Сохранять копии в папке ARCHIVE-BINS"), this);
  port_ = new QLineEdit(this);
  port_->setObjectName(QStringLiteral("Port"));
  port_->installEventFilter(this);
  zv::FitReaderPortField(port_);
  progress_ = new QProgressBar(this);
  progress_->setTextVisible(false);

  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {copy_all_, cancel_, file_list_, copy_selected_, clear_}) buttons->addWidget(b);
  auto* port_row = new QHBoxLayout;
  port_row->addWidget(new QLabel(QStringLiteral("COM"), this));
  port_row->addWidget(port_);
  buttons->addLayout(port_row);
  buttons->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addWidget(list_, 1);
  top->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(show_deleted_);
  layout->addWidget(data_transfer_);
  layout->addWidget(archive_save_);
  layout->addWidget(progress_);

  const zv::Profile profile = Settings();
  port_->setText(QString::fromStdString(profile.GetString(kSection, "Port", "1")));
  data_transfer_->setChecked(profile.GetInt(kSection, "DataTransfer", 1) != 0);
  archive_save_->setChecked(profile.GetInt(kSection, "ArchiveSave", 1) != 0);
  show_deleted_->setChecked(profile.GetInt(kSection, "ShowDeleted", 1) != 0);
  ZeroJobTable();
  setWindowTitle(QStringLiteral("ZEVC"));

  clear_timer_.setSingleShot(true);
  connect(&clear_timer_, &QTimer::timeout, this, &CZEVC32Dlg::StartClearJob);
  connect(copy_all_, &QPushButton::clicked, this, &CZEVC32Dlg::OnCopyAllNew);
  connect(cancel_, &QPushButton::clicked, this, &CZEVC32Dlg::OnCancelJob);
  connect(file_list_, &QPushButton::clicked, this, &CZEVC32Dlg::OnFileList);
  connect(copy_selected_, &QPushButton::clicked, this, &CZEVC32Dlg::OnCopySelected);
  connect(clear_, &QPushButton::clicked, this, &CZEVC32Dlg::OnClearCollector);
  connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this, &CZEVC32Dlg::OnHeaderClick);
  connect(data_transfer_, &QCheckBox::clicked, this,
          [this] { zv::StoreReaderCheckBox(Settings(), data_transfer_, "DataTransfer", this); });
  connect(archive_save_, &QCheckBox::clicked, this,
          [this] { zv::StoreReaderCheckBox(Settings(), archive_save_, "ArchiveSave", this); });
  connect(show_deleted_, &QCheckBox::clicked, this,
          [this] { zv::StoreReaderCheckBox(Settings(), show_deleted_, "ShowDeleted", this); });
}

CZEVC32Dlg::~CZEVC32Dlg() {
  clear_timer_.stop();
  worker_.Stop();
  sink_.Detach();
}

void CZEVC32Dlg::reject() {
  // A close during the walk waits for its end.
  if (listing_) {
    close_pending_ = true;
    return;
  }
  // No clear follows a close. Every wait of the link ends on g_bStop; a
  // running converter is left to finish by itself.
  closing_ = true;
  clear_timer_.stop();
  clear_after_copy_ = false;
  worker_.Stop();
  QDialog::reject();
}

bool CZEVC32Dlg::eventFilter(QObject* watched, QEvent* e) {
  if (watched == port_ && e->type() == QEvent::FocusOut) StorePort();
  return QDialog::eventFilter(watched, e);
}

void CZEVC32Dlg::contextMenuEvent(QContextMenuEvent* e) {
  QMenu menu(this);
  menu.addAction(QStringLiteral("&About ZEVC..."), this, [this] {
    zv::ShowMessage(QStringLiteral("ZEVC\nКопирование файлов считывателя ZEVC"), zv::MessageIcon::kInformation,
                    zv::MessageButtons::kOk, this);
  });
  menu.exec(e->globalPos());
}

bool CZEVC32Dlg::StorePort() { return zv::StoreReaderPort(Settings(), port_, this); }

void CZEVC32Dlg::ZeroJobTable() { job_.entries.fill(0); }

void CZEVC32Dlg::EnableButtons(bool on) {
  for (QPushButton* b : {copy_all_, clear_, file_list_, copy_selected_}) b->setEnabled(on);
}

void CZEVC32Dlg::OnFileList() {
  if (!g_bIdle.load() || g_bStop.load() || listing_) return;
  if (!StorePort()) return;
  list_->setRowCount(0);
  const WaitCursor wait_cursor;
  listing_ = true;
  {
    CCollectorLink link(nullptr, setup_.timing, *setup_.clock);
    const std::string port = Settings().GetString(kSection, "Port", "1");
    if (!link.Open("COM" + port)) {
      // The letters СОМ are Cyrillic here.
      setWindowTitle(QStringLiteral("Ошибка открытия СОМ-порта"));
    } else if (!link.SetBaudRate(38400)) {
      setWindowTitle(QStringLiteral("Ошибка установки скорости"));
    } else {
      ListProgress progress(*this, *progress_);
      const zv::CollectorFileList files = zv::ListCollectorFiles(link, &progress);
      list_kind_ = files.kind;
      if (files.result == zv::CollectorListResult::kPointersNotRead) {
        // The e after т is a Latin letter here.
        setWindowTitle(QStringLiteral("Ошибка чтения указатeлей"));
      } else if (files.result == zv::CollectorListResult::kNoFiles) {
        setWindowTitle(QStringLiteral("В считывателе нет файлов"));
      } else {
        list_->setRowCount(static_cast<int>(files.rows.size()));
        for (int r = 0; r < list_->rowCount(); ++r) {
          const zv::CollectorFileRow& row = files.rows[static_cast<size_t>(r)];
          auto* check = new QTableWidgetItem(QString::fromStdString(row.number));
          check->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
          check->setCheckState(Qt::Unchecked);
          check->setData(Qt::UserRole, QVariant::fromValue<quint32>(row.entry));
          list_->setItem(r, kColumnCheck, check);
          const QString texts[3] = {QString::fromStdString(row.serial), QString::fromStdString(row.date), QString()};
          for (int c = 1; c < 4; ++c) {
            auto* item = new QTableWidgetItem(texts[c - 1]);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            list_->setItem(r, c, item);
          }
        }
        setWindowTitle(QStringLiteral("ZEVC"));
      }
    }
  }  // the port closes here
  listing_ = false;
  if (close_pending_) {
    // Pending until the close runs, so that the copy-all that listed starts
    // nothing.
    QTimer::singleShot(0, this, [this] {
      close_pending_ = false;
      close();
    });
  } else if (clear_deferred_) {
    clear_deferred_ = false;
    StartClearJob();
  }
}

void CZEVC32Dlg::OnCopyAllNew() {
  if (!StorePort()) return;
  ZeroJobTable();
  OnFileList();
  if (close_pending_) return;  // closed during the walk
  for (int r = 0; r < list_->rowCount(); ++r) {
    list_->item(r, kColumnCheck)->setCheckState(Qt::Checked);
    if (r < zv::kCollectorJobEntries) {
      job_.entries[static_cast<size_t>(r)] = list_->item(r, kColumnCheck)->data(Qt::UserRole).toUInt();
    }
  }
  if (list_->rowCount() == 0) {
    setWindowTitle(QStringLiteral("ZEVC - Считыватель пуст"));
    return;
  }
  if (!g_bIdle.load() || g_bStop.load()) return;
  if (StartJob(zv::kCollectorJobCopy)) clear_after_copy_ = true;
}

void CZEVC32Dlg::OnCopySelected() {
  if (!StorePort()) return;
  ZeroJobTable();
  if (!g_bIdle.load() || g_bStop.load() || listing_) return;
  bool any = false;
  for (int r = 0; r < list_->rowCount() && r < zv::kCollectorJobEntries; ++r) {
    QTableWidgetItem* item = list_->item(r, kColumnCheck);
    if (item->checkState() != Qt::Checked) continue;
    job_.entries[static_cast<size_t>(r)] = item->data(Qt::UserRole).toUInt();
    any = true;
  }
  if (!any) {
    setWindowTitle(QStringLiteral("ZEVC - Нет выбранных файлов"));
    return;
  }
  StartJob(zv::kCollectorJobCopy);
}

void CZEVC32Dlg::OnClearCollector() {
  if (!StorePort()) return;
  setWindowTitle(QStringLiteral("ZEVC - Очистка считывателя"));
  clear_timer_.start(std::chrono::duration_cast<std::chrono::milliseconds>(setup_.clear_wait));
}

void CZEVC32Dlg::StartClearJob() {
  // The walk holds the port: the clear comes after it.
  if (listing_) {
    clear_deferred_ = true;
    return;
  }
  if (!g_bIdle.load() || g_bStop.load() || closing_) return;
  StartJob(zv::kCollectorJobClear);
}

bool CZEVC32Dlg::StartJob(int kind) {
  if (!g_bIdle.load() || g_bStop.load()) return false;
  job_.job = kind;
  job_.com = LeadingInt(port_->text());
  job_.DataTransfer = data_transfer_->isChecked() ? 1 : 0;
  job_.ArchiveSave = archive_save_->isChecked() ? 1 : 0;
  job_.kind = list_kind_;
  const zv::CopyJob job = job_;
  zv::ZevcSink* sink = &sink_;
  const zv::CollectorJobSetup setup = setup_;
  if (!worker_.Start([job, sink, setup] { zv::CollectorThreadProc(job, *sink, setup); }, sink)) return false;
  running_job_ = kind;
  cancelled_ = false;
  ++jobs_started_;
  return true;
}

void CZEVC32Dlg::OnCancelJob() {
  // A clear still in its wait is dropped: it would have started before this
  // click was seen, and the click would have stopped it.
  const bool clear_waiting = clear_timer_.isActive();
  clear_timer_.stop();
  if (clear_waiting && g_bIdle.load()) {
    setWindowTitle(QStringLiteral("ZEVC - Задание отменено"));
    EnableButtons(true);
    return;
  }
  if (g_bStop.load() || g_bIdle.load()) return;
  g_bStop.store(true);
  // The clear that would follow a copy-all is dropped with it.
  clear_after_copy_ = false;
  setWindowTitle(QStringLiteral("ZEVC - Задание отменено"));
  progress_->reset();
  EnableButtons(true);
  cancelled_ = true;
}

void CZEVC32Dlg::OnHeaderClick(int column) {
  if (column == kColumnCheck) {
    for (int r = 0; r < list_->rowCount(); ++r) {
      QTableWidgetItem* item = list_->item(r, kColumnCheck);
      item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
  } else if (column == kColumnSerial || column == kColumnDate) {
    SortRows(column);
  }
}

void CZEVC32Dlg::SortRows(int column) {
  std::vector<ListRow> rows(static_cast<size_t>(list_->rowCount()));
  for (int r = 0; r < list_->rowCount(); ++r) {
    ListRow& row = rows[static_cast<size_t>(r)];
    for (int c = 0; c < 4; ++c) row.texts[static_cast<size_t>(c)] = list_->item(r, c)->text();
    row.check = list_->item(r, kColumnCheck)->checkState();
    row.entry = list_->item(r, kColumnCheck)->data(Qt::UserRole);
  }
  // Always ascending; rows of equal keys keep their order.
  if (column == kColumnSerial) {
    std::stable_sort(rows.begin(), rows.end(), [](const ListRow& a, const ListRow& b) {
      return LeadingInt(a.texts[kColumnSerial]) < LeadingInt(b.texts[kColumnSerial]);
    });
  } else {
    // Read in the list's own format; a text that does not read goes last.
    // The device's clock has no summer time, so the text is not read as the
    // computer's local time (whose skipped spring hour would not read).
    const auto key = [](const ListRow& row) {
      const QString& text = row.texts[kColumnDate];
      const QDate date = QDate::fromString(text.left(10), QString::fromLatin1(kDateFormat).left(10));
      const QTime time = QTime::fromString(text.mid(10), QString::fromLatin1(kDateFormat).mid(10));
      return date.isValid() && time.isValid() ? QDateTime(date, time, Qt::UTC) : QDateTime();
    };
    std::stable_sort(rows.begin(), rows.end(), [&key](const ListRow& a, const ListRow& b) {
      const QDateTime ka = key(a);
      const QDateTime kb = key(b);
      if (!ka.isValid() || !kb.isValid()) return ka.isValid() && !kb.isValid();
      return ka < kb;
    });
  }
  for (int r = 0; r < list_->rowCount(); ++r) {
    const ListRow& row = rows[static_cast<size_t>(r)];
    for (int c = 0; c < 4; ++c) list_->item(r, c)->setText(row.texts[static_cast<size_t>(c)]);
    list_->item(r, kColumnCheck)->setCheckState(row.check);
    list_->item(r, kColumnCheck)->setData(Qt::UserRole, row.entry);
  }
}

void CZEVC32Dlg::StepProgress() { progress_->setValue(std::min(progress_->value() + 1, progress_->maximum())); }

void CZEVC32Dlg::MarkCopied(std::uint32_t entry) {
  // The row that holds the entry now: the list may have been sorted since the
  // job started.
  for (int r = 0; r < list_->rowCount(); ++r) {
    QTableWidgetItem* item = list_->item(r, kColumnCheck);
    if (item->data(Qt::UserRole).toUInt() != entry) continue;
    item->setCheckState(Qt::Unchecked);
    list_->item(r, kColumnCopied)->setText(QStringLiteral("скопирован"));
    return;
  }
}

bool CZEVC32Dlg::event(QEvent* e) {
  if (e->type() == zv::ReaderEvent::EventType()) {
    OnReaderEvent(static_cast<const zv::ReaderEvent&>(*e));
    return true;
  }
  return QDialog::event(e);
}

void CZEVC32Dlg::OnReaderEvent(const zv::ReaderEvent& e) {
  switch (e.code) {
    case zv::kLinkEventStep:
      if (!cancelled_) StepProgress();
      break;
    case zv::kLinkEventText:
      if (!cancelled_) setWindowTitle(QStringLiteral("ZEVC - ") + e.text);
      break;
    case zv::kLinkEventRange:
      if (cancelled_) break;
      EnableButtons(false);
      progress_->setRange(0, static_cast<int>(e.value));
      progress_->setValue(0);
      setWindowTitle(QStringLiteral("ZEVC"));
      break;
    case zv::kLinkEventReset:
      if (!cancelled_) progress_->reset();
      break;
    case zv::kCollectorFileCopied:
      // A file saved before the cancel is copied all the same.
      MarkCopied(static_cast<std::uint32_t>(e.value));
      break;
    case zv::kCollectorCleared:
      setWindowTitle(QStringLiteral("ZEVC - Считыватель очищен"));
      list_->setRowCount(0);
      break;
    case zv::kCollectorJobDone:
      if (!cancelled_) EnableButtons(true);
      break;
    case zv::kReaderJobFinished: {
      ++jobs_finished_;
      EnableButtons(true);
      cancelled_ = false;
      // Only a copy-all that saved every file clears the collector; at any
      // other end the flag is dropped.
      const bool clear = clear_after_copy_ && running_job_ == zv::kCollectorJobCopy && e.value == 1 && !closing_;
      clear_after_copy_ = false;
      if (clear) OnClearCollector();
      break;
    }
    default:
      break;
  }
}
