#pragma once
// Widths that hold a text whole in the font and style in use: the fixed-text
// controls of the programs' dialogs are sized from the widest text they can
// show, not from pixel sizes that held it in another system's font.
//
// A number's digits need not be equally wide in every font: `WidestJoined`
// takes the widest candidate of each part of a format ("%02d" day, ".", ...)
// and joins them, a text at least as wide as every text of the format.

#include <QString>
#include <QStringList>
#include <vector>

class QDateTimeEdit;
class QFontMetricsF;
class QLineEdit;
class QTableView;

namespace zv {

// The widest of `texts` (the first of equal ones); empty for none. Fast for
// long lists whose texts share words (every date of some years).
QString WidestText(const QFontMetricsF& fm, const QStringList& texts);
// The widest candidate of every part, joined in order.
QString WidestJoined(const QFontMetricsF& fm, const std::vector<QStringList>& parts);
// "%0*d" of every number of lo..hi (digits 0: no leading zeros).
QStringList NumberTexts(int lo, int hi, int digits = 0);
// The ten digits, for one place of a number.
QStringList DigitTexts();

// The width at which `edit` shows `text` whole, without scrolling: frame and
// text margins, the line's own margins and the cursor.
int LineEditWidthFor(const QLineEdit& edit, const QString& text);
// The column width at which a cell of `view` shows `text` on one line without
// eliding (with a check box in front when `check`), its grid line included.
int CellWidthFor(const QTableView& view, const QString& text, bool check);
// The width at which a date picker shows `text` whole beside its drop-down
// button (or its spin buttons).
int DateEditWidthFor(const QDateTimeEdit& edit, const QString& text);

}  // namespace zv
