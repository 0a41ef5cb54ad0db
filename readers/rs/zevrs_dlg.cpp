#include "readers/rs/zevrs_dlg.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "platform/profile.h"
#include "platform/qt/message_box.h"
#include "platform/qt/text_fit.h"
#include "readers/common/reader_flags.h"
#include "readers/common/reader_settings.h"

namespace {

constexpr const char* kSection = "Properties";

zv::Profile Settings() { return zv::Profile(zv::kProgramZEVRS); }

// The labels of the fields after the 32 values.
const char* const kOtherLabels[8] = {"Наработка, час", "Дата / время", nullptr, "Серийный номер",
                                     "Версия",         "Сетевой адрес", "Номер схемы", "Темп.хол воды"};

// The width of a value field that holds the widest text of any field: a value
// below 10^9 with two decimals, the hours as any "%d" of 32 bits, the
// cold-water temperature "%.01f" with its sign, the date of any four-digit
// year, the versions; the time, serial, address and scheme texts are narrower.
int FieldWidth(const QLineEdit& edit) {
  const QFontMetricsF fm(edit.font());
  const QStringList d = zv::DigitTexts();
  const QStringList point{QStringLiteral(".")};
  const QStringList minus{QStringLiteral("-")};
  const QString texts[] = {
      zv::WidestJoined(fm, {d, d, d, d, d, d, d, d, d, point, d, d}),
      zv::WidestJoined(fm, {minus, d, d, d, d, d, d, d, d, d, d}),
      zv::WidestJoined(fm, {minus, d, d, d, d, d, d, d, d, d, point, d}),
      zv::WidestJoined(fm, {zv::NumberTexts(1, 31, 2), point, zv::NumberTexts(1, 12, 2), point, d, d, d, d}),
      QStringLiteral("W4 V3"),
      QStringLiteral("W4 V4"),
      QStringLiteral("W") + zv::WidestText(fm, zv::NumberTexts(0, 255)),
  };
  int width = 0;
  for (const QString& t : texts) width = std::max(width, zv::LineEditWidthFor(edit, t));
  return width;
}

// Our own icon: a dial with the letters RS.
QIcon ProgramIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(0, 96, 160));
  p.setPen(Qt::NoPen);
  p.drawEllipse(1, 1, 30, 30);
  p.setPen(Qt::white);
  QFont font = p.font();
  font.setBold(true);
  font.setPixelSize(13);
  p.setFont(font);
  p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("RS"));
  return QIcon(pixmap);
}

}  // namespace

CZEVRSDlg::CZEVRSDlg(zv::DirectJobSetup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)), sink_(this) {
  setWindowTitle(QStringLiteral("ZEVRS"));
  setWindowIcon(ProgramIcon());

  auto* values = new QGridLayout;
  // The 32 values in four columns of eight, each with its name as label.
  for (int i = 0; i < zv::kValueFieldCount; ++i) {
    auto* edit = new QLineEdit(this);
    edit->setReadOnly(true);
    edit->setObjectName(QString::fromLatin1(zv::kValueFieldNames[static_cast<size_t>(i)]));
    fields_[static_cast<size_t>(i)] = edit;
  }
  // However small the window, every field holds its widest text.
  const int field_width = FieldWidth(*fields_[0]);
  for (QLineEdit* edit : fields_) edit->setMinimumWidth(field_width);
  for (int i = 0; i < zv::kReadJobFloats; ++i) {
    const int column = (i / 8) * 2;
    const int row = i % 8;
    values->addWidget(new QLabel(QString::fromLatin1(zv::kValueFieldNames[static_cast<size_t>(i)]), this), row,
                      column);
    values->addWidget(fields_[static_cast<size_t>(i)], row, column + 1);
  }
  for (int i = 0; i < 8; ++i) {
    if (kOtherLabels[i] != nullptr) values->addWidget(new QLabel(QString::fromUtf8(kOtherLabels[i]), this), 8 + i, 0);
    values->addWidget(fields_[static_cast<size_t>(zv::kReadJobFloats + i)], 8 + i, 1);
  }
  auto* legend = new QVBoxLayout;
  for (const char* text : {"Е - ГКал", "T - °C", "U - м3", "u - м3/час", "F - ГКал/час", "G - тонн", "P - атм"}) {
    legend->addWidget(new QLabel(QString::fromUtf8(text), this));
  }
  values->addLayout(legend, 8, 2, 8, 2);

  current_button_ = new QPushButton(QStringLiteral("Текущие показания"), this);
  hourly_button_ = new QPushButton(QStringLiteral("Почасовые данные"), this);
  for (QPushButton* b : {current_button_, hourly_button_}) {
    b->setAutoDefault(false);  // Enter starts nothing
    b->setDefault(false);
  }
  data_transfer_ = new QCheckBox(QStringLiteral("Добавлять скопированные данные в фалы .zev"), this);
  archive_save_ = new QCheckBox(QStringLiteral("Сохранять копии в папке ARCHIVE-BINS"), this);
  port_ = new QLineEdit(this);
  port_->setObjectName(QStringLiteral("Port"));
  port_->installEventFilter(this);
  zv::FitReaderPortField(port_);
  progress_ = new QProgressBar(this);
  progress_->setTextVisible(false);

  auto* controls = new QHBoxLayout;
  controls->addWidget(current_button_);
  controls->addWidget(hourly_button_);
  controls->addWidget(new QLabel(QStringLiteral("COM"), this));
  controls->addWidget(port_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(values);
  layout->addLayout(controls);
  layout->addWidget(data_transfer_);
  layout->addWidget(archive_save_);
  layout->addWidget(progress_);

  const zv::Profile profile = Settings();
  port_->setText(QString::fromStdString(profile.GetString(kSection, "Port", "1")));
  data_transfer_->setChecked(profile.GetInt(kSection, "DataTransfer", 1) != 0);
  archive_save_->setChecked(profile.GetInt(kSection, "ArchiveSave", 1) != 0);

  connect(current_button_, &QPushButton::clicked, this, &CZEVRSDlg::OnReadCurrent);
  connect(hourly_button_, &QPushButton::clicked, this, &CZEVRSDlg::OnReadHourly);
  connect(data_transfer_, &QCheckBox::clicked, this,
          [this] { zv::StoreReaderCheckBox(Settings(), data_transfer_, "DataTransfer", this); });
  connect(archive_save_, &QCheckBox::clicked, this,
          [this] { zv::StoreReaderCheckBox(Settings(), archive_save_, "ArchiveSave", this); });
}

CZEVRSDlg::~CZEVRSDlg() {
  worker_.Stop();
  sink_.Detach();
}

void CZEVRSDlg::reject() {
  // Every wait of the link ends on g_bStop; a running converter is left to
  // finish by itself.
  worker_.Stop();
  QDialog::reject();
}

bool CZEVRSDlg::eventFilter(QObject* watched, QEvent* e) {
  if (watched == port_ && e->type() == QEvent::FocusOut) StorePort();
  return QDialog::eventFilter(watched, e);
}

void CZEVRSDlg::contextMenuEvent(QContextMenuEvent* e) {
  QMenu menu(this);
  menu.addAction(QStringLiteral("&About ZEVRS..."), this, [this] {
    zv::ShowMessage(QStringLiteral("ZEVRS\nЧтение вычислителя через COM-порт"), zv::MessageIcon::kInformation,
                    zv::MessageButtons::kOk, this);
  });
  menu.exec(e->globalPos());
}

bool CZEVRSDlg::StorePort() {
  return zv::StoreReaderPort(Settings(), port_, this);
}

void CZEVRSDlg::OnReadCurrent() { StartJob(zv::kJobCurrent); }
void CZEVRSDlg::OnReadHourly() { StartJob(zv::kJobHourly); }

void CZEVRSDlg::StartJob(int kind) {
  if (!StorePort()) return;
  if (!g_bIdle.load() || g_bStop.load()) return;
  zv::ReadJob job = job_;
  job.job = kind;
  job.DataTransfer = data_transfer_->isChecked() ? 1 : 0;
  job.ArchiveSave = archive_save_->isChecked() ? 1 : 0;
  if (kind == zv::kJobCurrent) zv::ZeroReadJobFloats(job);
  job_ = job;
  ClearValues();
  zv::ZevrsSink* sink = &sink_;
  const zv::DirectJobSetup setup = setup_;
  worker_.Start([job, sink, setup] { zv::ReadThreadProc(job, *sink, setup); }, sink);
}

void CZEVRSDlg::ClearValues() {
  for (QLineEdit* f : fields_) f->clear();
}

void CZEVRSDlg::ShowValues(const zv::ReadJob& job) {
  job_ = job;
  const auto texts = zv::ReadJobTexts(job);
  for (size_t i = 0; i < texts.size(); ++i) fields_[i]->setText(QString::fromStdString(texts[i]));
}

bool CZEVRSDlg::event(QEvent* e) {
  if (e->type() == zv::ReaderEvent::EventType()) {
    OnReaderEvent(static_cast<const zv::ReaderEvent&>(*e));
    return true;
  }
  return QDialog::event(e);
}

void CZEVRSDlg::OnReaderEvent(const zv::ReaderEvent& e) {
  switch (e.code) {
    case zv::kLinkEventStep:
      progress_->setValue(std::min(progress_->value() + 1, progress_->maximum()));
      break;
    case zv::kLinkEventText:
      setWindowTitle(QStringLiteral("ZEVRS - ") + e.text);
      break;
    case zv::kLinkEventRange:
      progress_->setRange(0, static_cast<int>(e.value));
      progress_->setValue(0);
      setWindowTitle(QStringLiteral("ZEVRS"));
      break;
    case zv::kLinkEventReset:
      progress_->setValue(0);
      break;
    case zv::kReaderValuesReady:
      ShowValues(static_cast<const zv::ValuesEvent&>(e).job);
      break;
    case zv::kReaderCurrentDataRead:
      ShowValues(job_);
      progress_->setValue(0);
      setWindowTitle(QStringLiteral("ZEVRS ОК - Считано"));
      break;
    default:
      break;  // other codes (and the job's end) change nothing here
  }
}
