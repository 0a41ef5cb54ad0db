#pragma once
// Fonts as the grid and its users describe them: a LOGFONT (height in pixels, negative
// for the character height and positive for the cell height; weight 400 normal, 600
// semi-bold, 700 bold; Windows-1251 face name) and CFont, the font object made from
// one. Conversion to QFont happens here and nowhere else.
//
// Not carried over to Qt: lfWidth (average character width; the system's fonts all
// leave it 0), the escapement as a rotation of the drawn text (it is kept in the
// record, and the measuring code reads it), charset, precision, quality and pitch.

#include <QFont>
#include <QFontMetrics>
#include <cstdint>
#include <optional>
#include <string>

struct LOGFONT {
  std::int32_t lfHeight = 0;
  std::int32_t lfWidth = 0;
  std::int32_t lfEscapement = 0;  // tenths of a degree
  std::int32_t lfOrientation = 0;
  std::int32_t lfWeight = 0;
  std::uint8_t lfItalic = 0;
  std::uint8_t lfUnderline = 0;
  std::uint8_t lfStrikeOut = 0;
  std::uint8_t lfCharSet = 0;
  std::uint8_t lfOutPrecision = 0;
  std::uint8_t lfClipPrecision = 0;
  std::uint8_t lfQuality = 0;
  std::uint8_t lfPitchAndFamily = 0;
  char lfFaceName[32] = {};  // Windows-1251, NUL-terminated

  bool operator==(const LOGFONT& o) const;
  void SetFaceName(const std::string& cp1251);
  std::string FaceName() const;
};
static_assert(sizeof(LOGFONT) == 60, "LOGFONT keeps the 60-byte layout of its records");

inline constexpr int FW_DONTCARE = 0;
inline constexpr int FW_NORMAL = 400;
inline constexpr int FW_SEMIBOLD = 600;
inline constexpr int FW_BOLD = 700;
inline constexpr int DEFAULT_CHARSET = 1;
inline constexpr int OUT_CHARACTER_PRECIS = 2;
inline constexpr int CLIP_CHARACTER_PRECIS = 1;
inline constexpr int DEFAULT_QUALITY = 0;
inline constexpr int DEFAULT_PITCH = 0;
inline constexpr int FF_DONTCARE = 0;

class CFont {
 public:
  CFont() = default;

  bool CreateFontIndirect(const LOGFONT& lf);
  // The fourteen values of a font request, as the views and the printing code pass them.
  bool CreateFont(int height, int width, int escapement, int orientation, int weight, bool italic,
                  bool underline, bool strikeOut, int charSet, int outPrecision, int clipPrecision,
                  int quality, int pitchAndFamily, const std::string& faceCp1251);
  void DeleteObject();
  bool IsCreated() const { return created_; }

  // Valid only for a created font (an empty record otherwise).
  const LOGFONT& GetLogFont() const { return lf_; }
  const QFont& GetQFont() const { return font_; }
  // Metrics on the screen (pixel sizes do not depend on the device), kept with the font.
  const QFontMetrics& Metrics() const;
  // Changes with every (re)creation: tells a DC whether its painter holds this font.
  std::uint64_t Serial() const { return serial_; }

 private:
  std::uint64_t serial_ = 0;
  bool created_ = false;
  LOGFONT lf_;
  QFont font_;
  mutable std::optional<QFontMetrics> metrics_;
};

namespace zv {

QFont LogFontToQFont(const LOGFONT& lf);
LOGFONT QFontToLogFont(const QFont& font);
// The message font of the platform: the application's general font.
LOGFONT MessageLogFont();

}  // namespace zv
