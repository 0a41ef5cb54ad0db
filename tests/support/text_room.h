#pragma once
// How much of a text a control shows, measured as Qt paints it, for the tests
// that check that a dialog's texts are shown whole in the font in use.
//   - A line edit scrolls its text when the text and the cursor are wider
//     than the contents rectangle less its text margins and the line's
//     margin of 2 pixels on each side.
//   - A table cell elides its text when it is wider than the style's text
//     rectangle of the cell (after the check box) less the focus margin.
//   - Buttons, check boxes and labels show their text whole at their size
//     hint or larger.

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QWidget>
#include <cmath>
#include <string>

namespace zv::test {

// The text's width as a line edit counts it: its natural width and the cursor.
inline int LineTextWidth(const QLineEdit& edit, const QString& text) {
  return static_cast<int>(std::lround(QFontMetricsF(edit.font()).horizontalAdvance(text))) + 1;
}

// The width the line edit's text has before it scrolls.
inline int LineTextRoom(const QLineEdit& edit) {
  QStyleOptionFrame opt;
  opt.initFrom(&edit);
  opt.rect = edit.contentsRect();
  opt.lineWidth = edit.hasFrame() ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, &edit) : 0;
  opt.midLineWidth = 0;
  opt.state |= QStyle::State_Sunken;
  if (edit.isReadOnly()) opt.state |= QStyle::State_ReadOnly;
  const QRect r =
      edit.style()->subElementRect(QStyle::SE_LineEditContents, &opt, &edit).marginsRemoved(edit.textMargins());
  return r.width() - 2 * 2;
}

// Empty when `edit` shows `text` whole, else what is missing.
inline std::string LineEditShortfall(const QLineEdit& edit, const QString& text) {
  const int need = LineTextWidth(edit, text);
  const int room = LineTextRoom(edit);
  if (need <= room) return {};
  return "\"" + text.toStdString() + "\" needs " + std::to_string(need) + " px, " + edit.objectName().toStdString() +
         " has " + std::to_string(room);
}

// The width `text` would have in the cell at `index` before it is elided.
inline int CellTextRoom(const QTableView& view, const QModelIndex& index, const QString& text) {
  QStyleOptionViewItem opt;
  opt.initFrom(&view);
  opt.widget = &view;
  opt.font = view.font();
  opt.fontMetrics = QFontMetrics(opt.font);
  opt.rect = view.visualRect(index);
  opt.features = QStyleOptionViewItem::HasDisplay;
  const QVariant check = index.data(Qt::CheckStateRole);
  if (check.isValid()) {
    opt.features |= QStyleOptionViewItem::HasCheckIndicator;
    opt.checkState = check.value<Qt::CheckState>();
  }
  opt.text = text;
  opt.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
  const QRect r = view.style()->subElementRect(QStyle::SE_ItemViewItemText, &opt, &view);
  const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
  return r.width() - 2 * margin;
}

inline int CellTextWidth(const QTableView& view, const QString& text) {
  return static_cast<int>(std::ceil(QFontMetricsF(view.font()).horizontalAdvance(text)));
}

// Empty when the widget is at least its size hint (its text whole), else why not.
inline std::string SizeShortfall(const QWidget& w) {
  const QSize hint = w.sizeHint();
  if (w.width() >= hint.width() && w.height() >= hint.height()) return {};
  QString text;
  if (const auto* b = qobject_cast<const QAbstractButton*>(&w)) text = b->text();
  if (const auto* l = qobject_cast<const QLabel*>(&w)) text = l->text();
  return "\"" + text.toStdString() + "\" needs " + std::to_string(hint.width()) + "x" +
         std::to_string(hint.height()) + ", has " + std::to_string(w.width()) + "x" + std::to_string(w.height());
}

}  // namespace zv::test
