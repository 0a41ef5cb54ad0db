// DrawText of the drawing layer: line splitting, word wrap, end ellipsis, alignment,
// clipping and measuring, laid out here so that the painter only draws runs of text
// at computed points.

#include <QString>
#include <QStringList>
#include <QVarLengthArray>

#include "grid/gdi_colours.h"
#include "grid/gdi_dc.h"
#include "platform/qt/qt_text.h"

namespace {

// Without DT_NOPREFIX: '&' marks the next character and is not shown, "&&" shows one '&'.
QString StripPrefixes(const QString& text) {
  if (!text.contains(QLatin1Char('&'))) return text;
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&')) {
      if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
        out += QLatin1Char('&');
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  return out;
}

// Breaks one line at blanks so that each piece fits the width; a word longer than the
// width stands on a line of its own and overflows.
void WrapLine(const QString& line, int width, const QFontMetrics& fm, QStringList& out) {
  if (fm.horizontalAdvance(line) <= width) {
    out.append(line);
    return;
  }
  QString current;
  qsizetype i = 0;
  while (i < line.size()) {
    qsizetype j = i;
    while (j < line.size() && line[j] != QLatin1Char(' ')) ++j;
    while (j < line.size() && line[j] == QLatin1Char(' ')) ++j;
    const QString word = line.mid(i, j - i);
    const QString candidate = current + word;
    if (!current.isEmpty() && fm.horizontalAdvance(candidate.trimmed()) > width) {
      out.append(current.trimmed());
      current = word;
    } else {
      current = candidate;
    }
    i = j;
  }
  out.append(current.trimmed());
}

// The pieces of a line between its tabs and where each starts from the line's
// start; with tab stops of `tab` pixels (0: tabs are characters, one piece).
struct LinePieces {
  QStringList pieces;
  QVarLengthArray<int, 4> offsets;
  int width = 0;
};

LinePieces SplitAtTabs(const QString& line, int tab, const QFontMetrics& fm) {
  LinePieces out;
  if (tab <= 0 || !line.contains(QLatin1Char('\t'))) {
    out.pieces.append(line);
    out.offsets.append(0);
    out.width = fm.horizontalAdvance(line);
    return out;
  }
  int x = 0;
  const QStringList parts = line.split(QLatin1Char('\t'));
  for (qsizetype i = 0; i < parts.size(); ++i) {
    if (i > 0) x = (x / tab + 1) * tab;
    out.pieces.append(parts[i]);
    out.offsets.append(x);
    x += fm.horizontalAdvance(parts[i]);
  }
  out.width = x;
  return out;
}

}  // namespace

int CDC::DrawText(const std::string& cp1251, CRect& rect, UINT format) {
  const CFont& font = GetCurrentFont();
  const QFontMetrics& fm = font.Metrics();
  QString text = zv::QFromCp1251(cp1251);
  if (!(format & DT_NOPREFIX)) text = StripPrefixes(text);
  const bool single = (format & DT_SINGLELINE) != 0;

  QStringList lines;
  if (single) {
    lines.append(text);
  } else {
    const QStringList parts = text.split(QLatin1Char('\n'));
    for (QString part : parts) {
      if (part.endsWith(QLatin1Char('\r'))) part.chop(1);
      if (format & DT_WORDBREAK) WrapLine(part, rect.Width(), fm, lines);
      else lines.append(part);
    }
  }

  const int lineHeight = fm.height();
  const int totalHeight = lineHeight * static_cast<int>(lines.size());
  const int tab = (format & DT_EXPANDTABS) ? 8 * fm.averageCharWidth() : 0;
  QVarLengthArray<LinePieces, 8> pieces;
  QVarLengthArray<int, 8> widths;
  int maxWidth = 0;
  for (QString& line : lines) {
    LinePieces p = SplitAtTabs(line, tab, fm);
    if ((format & DT_END_ELLIPSIS) && p.width > rect.Width() && !(format & DT_CALCRECT)) {
      // An elided line loses its tab stops: its pieces run on as one text.
      line = fm.elidedText(line, Qt::ElideRight, std::max(0, rect.Width()));
      p = SplitAtTabs(line, 0, fm);
    }
    widths.append(p.width);
    maxWidth = std::max(maxWidth, p.width);
    pieces.append(std::move(p));
  }

  if (format & DT_CALCRECT) {
    rect.right = rect.left + maxWidth;
    rect.bottom = rect.top + totalHeight;
    return totalHeight;
  }
  if (painter_ == nullptr) return totalHeight;

  int y = rect.top;
  if (single && (format & DT_VCENTER)) y = (rect.top + rect.bottom - lineHeight) / 2;
  else if (single && (format & DT_BOTTOM)) y = rect.bottom - lineHeight;

  auto lineX = [&](int w) {
    if (format & DT_CENTER) return (rect.left + rect.right - w) / 2;
    if (format & DT_RIGHT) return rect.right - w;
    return rect.left;
  };

  bool clip = false;
  if (!(format & DT_NOCLIP)) {
    clip = y < rect.top || y + totalHeight > rect.bottom;
    for (int w : widths) {
      const int x = lineX(w);
      if (x < rect.left || x + w > rect.right) clip = true;
    }
  }
  if (clip) {
    if (rect.IsRectEmpty()) return totalHeight;
    painter_->save();
    painter_->setClipRect(rect.ToQRect(), Qt::IntersectClip);
  }
  ApplyFont();
  for (qsizetype i = 0; i < lines.size(); ++i, y += lineHeight) {
    const int w = widths[i];
    const int x = lineX(w);
    if (state_.bkMode == OPAQUE) FillPixels(x, y, w, lineHeight, state_.back);
    if (lines[i].isEmpty()) continue;
    ApplyPenColour(state_.text);
    const LinePieces& p = pieces[i];
    for (qsizetype k = 0; k < p.pieces.size(); ++k) {
      if (!p.pieces[k].isEmpty()) painter_->drawText(QPoint(x + p.offsets[k], y + fm.ascent()), p.pieces[k]);
    }
  }
  if (clip) {
    painter_->restore();
    PainterChanged();
  }
  return totalHeight;
}
