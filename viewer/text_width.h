#pragma once
// The advance width of texts in one font, exactly as CDC::GetTextExtent gives it,
// fast enough to size the columns of years of hourly rows.
//
// Shaping a text costs a microsecond or two; the tables hold millions of numbers
// and dates. Texts made only of digits, ".", "-", ":" and blanks are measured from
// a table: each character's advance and each pair's kerning, in the font engine's
// 1/64 pixel units, summed and rounded as the engine rounds its own total. The
// table is checked against real shaping when it is built; a font for which it does
// not agree (ligatures, contextual kerning) is always shaped. Other texts are
// shaped once and remembered.

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "grid/gdi_font.h"

namespace zv {

class TextWidthMeter {
 public:
  explicit TextWidthMeter(const LOGFONT& lf);
  TextWidthMeter(const TextWidthMeter&) = delete;
  TextWidthMeter& operator=(const TextWidthMeter&) = delete;

  const LOGFONT& logFont() const { return font_.GetLogFont(); }
  // Pixels; 0 for an empty text.
  int Width(const std::string& cp1251);
  // Whether numbers and dates go through the table (false: every text is shaped).
  bool UsesTable() const { return table_; }

 private:
  static constexpr int kTableChars = 14;  // "0123456789.-: "
  static constexpr std::uint8_t kNotInTable = 0xFF;

  int Shaped(const std::string& cp1251) const;
  // The table's width; -1 when a character is not in the table.
  int FromTable(const std::string& cp1251) const;

  CFont font_;
  bool table_ = false;
  std::array<std::uint8_t, 256> index_{};  // character -> table position
  std::array<int, kTableChars> advance_{};
  std::array<std::array<int, kTableChars>, kTableChars> kerning_{};
  std::unordered_map<std::string, int> shaped_;
};

}  // namespace zv
