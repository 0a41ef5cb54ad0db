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
  QVarLengthArray<int, 8> widths;
  int maxWidth = 0;
  for (QString& line : lines) {
    int w = fm.horizontalAdvance(line);
    if ((format & DT_END_ELLIPSIS) && w > rect.Width() && !(format & DT_CALCRECT)) {
      line = fm.elidedText(line, Qt::ElideRight, std::max(0, rect.Width()));
      w = fm.horizontalAdvance(line);
    }
    widths.append(w);
    maxWidth = std::max(maxWidth, w);
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
    painter_->drawText(QPoint(x, y + fm.ascent()), lines[i]);
  }
  if (clip) {
    painter_->restore();
    PainterChanged();
  }
  return totalHeight;
}
