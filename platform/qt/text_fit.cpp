#include "platform/qt/text_fit.h"

#include <QDateTimeEdit>
#include <QFontMetricsF>
#include <QHash>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QStyleOptionSpinBox>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <algorithm>
#include <cmath>
#include <vector>

namespace zv {
namespace {

// QLineEdit keeps this margin left and right of its text inside the contents
// rectangle, and one pixel for the cursor after it.
constexpr int kLineMargin = 2;
constexpr int kCursorWidth = 1;
// Wide enough for any control: the style's frames and buttons are what is
// left of it.
constexpr int kProbeWidth = 1000;

int Advance(const QFontMetricsF& fm, const QString& text) {
  return static_cast<int>(std::ceil(fm.horizontalAdvance(text)));
}

}  // namespace

QString WidestText(const QFontMetricsF& fm, const QStringList& texts) {
  // Shaping a text costs far more than adding numbers, and long lists (every
  // date of some years) repeat a few words: each word is measured once and a
  // text's width estimated from its words and spaces; only the texts whose
  // estimate comes near the widest are measured whole. Kerning and shaping
  // across a space change a width by less than the slack.
  constexpr qreal kSlack = 2.0;
  const qreal space = fm.horizontalAdvance(QLatin1Char(' '));
  QHash<QString, qreal> words;
  std::vector<qreal> estimates;
  estimates.reserve(static_cast<size_t>(texts.size()));
  qreal top = -1;
  for (const QString& t : texts) {
    qreal w = 0;
    const QStringList parts = t.split(QLatin1Char(' '));
    for (const QString& part : parts) {
      auto it = words.constFind(part);
      if (it == words.constEnd()) it = words.insert(part, fm.horizontalAdvance(part));
      w += it.value();
    }
    w += space * static_cast<qreal>(parts.size() - 1);
    estimates.push_back(w);
    top = std::max(top, w);
  }
  QString widest;
  qreal width = -1;
  for (qsizetype i = 0; i < texts.size(); ++i) {
    if (estimates[static_cast<size_t>(i)] < top - kSlack) continue;
    const qreal w = fm.horizontalAdvance(texts[i]);
    if (w > width) {
      width = w;
      widest = texts[i];
    }
  }
  return widest;
}

QString WidestJoined(const QFontMetricsF& fm, const std::vector<QStringList>& parts) {
  QString out;
  for (const QStringList& part : parts) out += WidestText(fm, part);
  return out;
}

QStringList NumberTexts(int lo, int hi, int digits) {
  QStringList out;
  for (int n = lo; n <= hi; ++n) out << QStringLiteral("%1").arg(n, digits, 10, QLatin1Char('0'));
  return out;
}

QStringList DigitTexts() { return NumberTexts(0, 9); }

int LineEditWidthFor(const QLineEdit& edit, const QString& text) {
  // The contents rectangle the style leaves inside a wide line edit of the
  // same kind, as QLineEdit paints it.
  QStyleOptionFrame opt;
  opt.initFrom(&edit);
  opt.rect = QRect(0, 0, kProbeWidth, edit.sizeHint().height());
  opt.lineWidth = edit.hasFrame() ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, &edit) : 0;
  opt.midLineWidth = 0;
  opt.state |= QStyle::State_Sunken;
  if (edit.isReadOnly()) opt.state |= QStyle::State_ReadOnly;
  const QRect contents = edit.style()->subElementRect(QStyle::SE_LineEditContents, &opt, &edit);
  const QMargins text_margins = edit.textMargins();
  const QMargins widget_margins = edit.contentsMargins();
  const int around = kProbeWidth - contents.width() + text_margins.left() + text_margins.right() +
                     widget_margins.left() + widget_margins.right();
  return Advance(QFontMetricsF(edit.font()), text) + kCursorWidth + 2 * kLineMargin + around;
}

int CellWidthFor(const QTableView& view, const QString& text, bool check) {
  QStyleOptionViewItem opt;
  opt.initFrom(&view);
  opt.widget = &view;
  opt.font = view.font();
  opt.fontMetrics = QFontMetrics(opt.font);
  opt.features = QStyleOptionViewItem::HasDisplay;
  if (check) {
    opt.features |= QStyleOptionViewItem::HasCheckIndicator;
    opt.checkState = Qt::Checked;
  }
  opt.text = text;
  opt.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
  opt.textElideMode = view.textElideMode();
  const QSize size = view.style()->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), &view);
  return size.width() + (view.showGrid() ? 1 : 0);
}

int DateEditWidthFor(const QDateTimeEdit& edit, const QString& text) {
  const QLineEdit* line = edit.findChild<QLineEdit*>();
  const int inner = line != nullptr ? LineEditWidthFor(*line, text)
                                    : Advance(QFontMetricsF(edit.font()), text) + kCursorWidth + 2 * kLineMargin;
  const QRect probe(0, 0, kProbeWidth, edit.sizeHint().height());
  QRect field;
  if (edit.calendarPopup()) {
    // The picker lays its line out in a combo box's edit field.
    QStyleOptionComboBox opt;
    opt.initFrom(&edit);
    opt.rect = probe;
    opt.editable = true;
    opt.frame = edit.hasFrame();
    opt.subControls = QStyle::SC_ComboBoxEditField;
    field = edit.style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, &edit);
  } else {
    QStyleOptionSpinBox opt;
    opt.initFrom(&edit);
    opt.rect = probe;
    opt.frame = edit.hasFrame();
    opt.buttonSymbols = edit.buttonSymbols();
    opt.subControls = QStyle::SC_SpinBoxEditField;
    field = edit.style()->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxEditField, &edit);
  }
  return inner + kProbeWidth - field.width();
}

}  // namespace zv
