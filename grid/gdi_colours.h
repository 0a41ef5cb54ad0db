#pragma once
// System colours of the Windows model, answered from the application palette, and
// the conversions between COLORREF and QColor.

#include <QColor>

#include "grid/gdi_types.h"

enum SysColorIndex : int {
  COLOR_WINDOW = 5,
  COLOR_WINDOWTEXT = 8,
  COLOR_HIGHLIGHT = 13,
  COLOR_HIGHLIGHTTEXT = 14,
  COLOR_BTNFACE = 15,
  COLOR_3DFACE = COLOR_BTNFACE,
  COLOR_BTNSHADOW = 16,
  COLOR_3DSHADOW = COLOR_BTNSHADOW,
  COLOR_GRAYTEXT = 17,
  COLOR_BTNTEXT = 18,
  COLOR_BTNHIGHLIGHT = 20,
  COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT,
  COLOR_3DDKSHADOW = 21,
  COLOR_3DLIGHT = 22,
  COLOR_INFOTEXT = 23,
  COLOR_INFOBK = 24,
};

// The colour of a system element, read from the application's palette each time
// (so a palette change is seen at once). Unknown indices give the window colour.
COLORREF GetSysColor(int index);

namespace zv {

inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

}  // namespace zv
