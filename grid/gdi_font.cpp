#include "grid/gdi_font.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/qt/qt_text.h"

bool LOGFONT::operator==(const LOGFONT& o) const { return std::memcmp(this, &o, sizeof(LOGFONT)) == 0; }

void LOGFONT::SetFaceName(const std::string& cp1251) {
  std::memset(lfFaceName, 0, sizeof(lfFaceName));
  std::memcpy(lfFaceName, cp1251.data(), std::min(cp1251.size(), sizeof(lfFaceName) - 1));
}

std::string LOGFONT::FaceName() const { return std::string(lfFaceName, ::strnlen(lfFaceName, sizeof(lfFaceName))); }

bool CFont::CreateFontIndirect(const LOGFONT& lf) {
  // Re-creating a font from the same record gives the same font: keep what is built.
  if (created_ && lf == lf_) return true;
  lf_ = lf;
  font_ = zv::LogFontToQFont(lf);
  metrics_.reset();
  created_ = true;
  static std::atomic<std::uint64_t> serials{0};
  serial_ = ++serials;
  return true;
}

bool CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, bool italic,
                       bool underline, bool strikeOut, int charSet, int outPrecision, int clipPrecision,
                       int quality, int pitchAndFamily, const std::string& faceCp1251) {
  LOGFONT lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = italic ? 1 : 0;
  lf.lfUnderline = underline ? 1 : 0;
  lf.lfStrikeOut = strikeOut ? 1 : 0;
  lf.lfCharSet = static_cast<std::uint8_t>(charSet);
  lf.lfOutPrecision = static_cast<std::uint8_t>(outPrecision);
  lf.lfClipPrecision = static_cast<std::uint8_t>(clipPrecision);
  lf.lfQuality = static_cast<std::uint8_t>(quality);
  lf.lfPitchAndFamily = static_cast<std::uint8_t>(pitchAndFamily);
  lf.SetFaceName(faceCp1251);
  return CreateFontIndirect(lf);
}

void CFont::DeleteObject() {
  created_ = false;
  serial_ = 0;
  lf_ = LOGFONT();
  font_ = QFont();
  metrics_.reset();
}

const QFontMetrics& CFont::Metrics() const {
  if (!metrics_) metrics_.emplace(font_);
  return *metrics_;
}

namespace zv {

QFont LogFontToQFont(const LOGFONT& lf) {
  QFont font = QGuiApplication::font();
  const std::string face = lf.FaceName();
  if (!face.empty()) font.setFamilies({QFromCp1251(face)});
  if (lf.lfHeight < 0) {
    font.setPixelSize(-lf.lfHeight);
  } else if (lf.lfHeight > 0) {
    // A positive height asks for the cell height (ascent + descent): scale the
    // character height until the cell height comes out as asked.
    const int wanted = lf.lfHeight;
    font.setPixelSize(wanted);
    const int cell = QFontMetrics(font).height();
    if (cell > 0 && cell != wanted) font.setPixelSize(std::max(1, (wanted * wanted + cell / 2) / cell));
  } else {
    font.setPixelSize(std::max(1, QFontInfo(font).pixelSize()));
  }
  if (lf.lfWeight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp<int>(lf.lfWeight, 1, 1000)));
  else font.setWeight(QFont::Normal);
  font.setItalic(lf.lfItalic != 0);
  font.setUnderline(lf.lfUnderline != 0);
  font.setStrikeOut(lf.lfStrikeOut != 0);
  return font;
}

LOGFONT QFontToLogFont(const QFont& font) {
  LOGFONT lf;
  lf.lfHeight = -std::max(1, QFontInfo(font).pixelSize());
  lf.lfWeight = static_cast<std::int32_t>(font.weight());
  lf.lfItalic = font.italic() ? 1 : 0;
  lf.lfUnderline = font.underline() ? 1 : 0;
  lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.SetFaceName(QToCp1251(font.family()));
  return lf;
}

LOGFONT MessageLogFont() { return QFontToLogFont(QGuiApplication::font()); }

}  // namespace zv
