#include "grid/gdi_colours.h"

#include <QGuiApplication>
#include <QPalette>

COLORREF GetSysColor(int index) {
  const QPalette palette = QGuiApplication::palette();
  QPalette::ColorGroup group = QPalette::Active;
  QPalette::ColorRole role = QPalette::Window;
  switch (index) {
    case COLOR_WINDOW: role = QPalette::Base; break;
    case COLOR_WINDOWTEXT: role = QPalette::Text; break;
    case COLOR_HIGHLIGHT: role = QPalette::Highlight; break;
    case COLOR_HIGHLIGHTTEXT: role = QPalette::HighlightedText; break;
    case COLOR_BTNFACE: role = QPalette::Button; break;
    case COLOR_BTNSHADOW: role = QPalette::Dark; break;
    case COLOR_GRAYTEXT:
      group = QPalette::Disabled;
      role = QPalette::Text;
      break;
    case COLOR_BTNTEXT: role = QPalette::ButtonText; break;
    case COLOR_BTNHIGHLIGHT: role = QPalette::Light; break;
    case COLOR_3DDKSHADOW: role = QPalette::Shadow; break;
    case COLOR_3DLIGHT: role = QPalette::Midlight; break;
    case COLOR_INFOTEXT: role = QPalette::ToolTipText; break;
    case COLOR_INFOBK: role = QPalette::ToolTipBase; break;
    default: break;
  }
  return zv::FromQColor(palette.color(group, role));
}
