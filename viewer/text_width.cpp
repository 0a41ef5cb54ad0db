#include "viewer/text_width.h"

#include <QFontMetricsF>
#include <QString>
#include <cmath>

#include "platform/qt/qt_text.h"

namespace zv {
namespace {

constexpr char kTableText[] = "0123456789.-: ";
// Remembered shaped texts at most; then the memory starts afresh.
constexpr size_t kShapedLimit = 1 << 16;

// A width in the engine's 1/64 pixel units.
int Units(qreal width) { return static_cast<int>(std::lround(width * 64)); }

}  // namespace

TextWidthMeter::TextWidthMeter(const LOGFONT& lf) {
  font_.CreateFontIndirect(lf);
  index_.fill(kNotInTable);
  const QFontMetricsF metrics(font_.GetQFont());
  for (int i = 0; i < kTableChars; ++i) {
    index_[static_cast<unsigned char>(kTableText[i])] = static_cast<std::uint8_t>(i);
    advance_[static_cast<size_t>(i)] = Units(metrics.horizontalAdvance(QChar(kTableText[i])));
  }
  for (int a = 0; a < kTableChars; ++a)
    for (int b = 0; b < kTableChars; ++b) {
      const QString pair = QString(QChar(kTableText[a])) + QChar(kTableText[b]);
      kerning_[static_cast<size_t>(a)][static_cast<size_t>(b)] =
          Units(metrics.horizontalAdvance(pair)) - advance_[static_cast<size_t>(a)] - advance_[static_cast<size_t>(b)];
    }
  // The table holds only if shaping longer texts is pairwise too.
  table_ = true;
  for (const char* sample : {"0123456789", "-9876543210.", "01.03.2024 00:00", "11", "-1.11", "1111.111",
                             "29.02.2024 23:00", "-0.07", "77: 44-", "10 10 10"}) {
    if (FromTable(sample) != Shaped(sample)) {
      table_ = false;
      break;
    }
  }
}

int TextWidthMeter::Shaped(const std::string& cp1251) const {
  return font_.Metrics().horizontalAdvance(QFromCp1251(cp1251));
}

int TextWidthMeter::FromTable(const std::string& cp1251) const {
  int units = 0;
  size_t previous = 0;
  for (size_t k = 0; k < cp1251.size(); ++k) {
    const std::uint8_t i = index_[static_cast<unsigned char>(cp1251[k])];
    if (i == kNotInTable) return -1;
    units += advance_[i];
    if (k > 0) units += kerning_[previous][i];
    previous = i;
  }
  // The engine rounds its total to the nearest pixel, halves up (advances are
  // never negative in sum).
  return units > 0 ? (units + 32) / 64 : 0;
}

int TextWidthMeter::Width(const std::string& cp1251) {
  if (cp1251.empty()) return 0;
  if (table_) {
    const int width = FromTable(cp1251);
    if (width >= 0) return width;
  }
  if (const auto it = shaped_.find(cp1251); it != shaped_.end()) return it->second;
  if (shaped_.size() >= kShapedLimit) shaped_.clear();
  const int width = Shaped(cp1251);
  shaped_.emplace(cp1251, width);
  return width;
}

}  // namespace zv
