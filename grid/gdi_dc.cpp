#include "grid/gdi_dc.h"

#include <QPaintDevice>
#include <QPen>
#include <QVarLengthArray>
#include <algorithm>
#include <cstdlib>

#include "grid/gdi_colours.h"
#include "platform/qt/qt_text.h"

namespace {

// The font of a DC that has none selected: the message font, made once and kept
// for the program's life (not destroyed after the application object).
CFont& DefaultFont() {
  static CFont* font = [] {
    auto* f = new CFont;
    f->CreateFontIndirect(zv::MessageLogFont());
    return f;
  }();
  return *font;
}

}  // namespace

const CPen* CPen::Stock(int object) {
  static const CPen white(PS_SOLID, 0, RGB(255, 255, 255));
  static const CPen black(PS_SOLID, 0, RGB(0, 0, 0));
  static const CPen none(PS_NULL, 0, 0);
  switch (object) {
    case WHITE_PEN: return &white;
    case NULL_PEN: return &none;
    default: return &black;
  }
}

CDC::CDC(QPainter* painter, bool printing) : painter_(painter), printing_(printing) {}

void CDC::PainterChanged() {
  appliedFont_ = 0;
  penApplied_ = false;
}

int CDC::GetClipBox(CRect* rect) const {
  if (painter_ == nullptr || painter_->device() == nullptr) return ERROR;
  CRect box = hasClipBox_ ? clipBox_
                          : CRect(0, 0, painter_->device()->width(), painter_->device()->height());
  if (rect != nullptr) *rect = box;
  return box.IsRectEmpty() ? NULLREGION : SIMPLEREGION;
}

void CDC::SetClipBox(const CRect& rect) {
  clipBox_ = rect;
  hasClipBox_ = true;
}

int CDC::GetDeviceCaps(int index) const {
  const QPaintDevice* device = painter_ != nullptr ? painter_->device() : nullptr;
  if (device == nullptr) return 0;
  switch (index) {
    case HORZSIZE: return device->widthMM();
    case VERTSIZE: return device->heightMM();
    case HORZRES: return device->width();
    case VERTRES: return device->height();
    case LOGPIXELSX: return device->logicalDpiX();
    case LOGPIXELSY: return device->logicalDpiY();
    default: return 0;
  }
}

int CDC::SetMapMode(int mode) {
  const int previous = mapping_.mode;
  if (mode != MM_TEXT && mode != MM_ANISOTROPIC) return 0;
  mapping_.mode = mode;
  ApplyMapping();
  return previous;
}

CSize CDC::SetWindowExt(int cx, int cy) { return SetExtent(mapping_.windowExt, cx, cy); }

CSize CDC::SetViewportExt(int cx, int cy) { return SetExtent(mapping_.viewportExt, cx, cy); }

CSize CDC::SetExtent(CSize& extent, int cx, int cy) {
  // A zero extent maps nothing anywhere: refused, the mapping stays as it is.
  if (cx == 0 || cy == 0) return CSize();
  const CSize previous = extent;
  extent = CSize(cx, cy);
  ApplyMapping();
  return previous;
}

CPoint CDC::SetWindowOrg(int x, int y) {
  const CPoint previous = mapping_.windowOrg;
  mapping_.windowOrg = CPoint(x, y);
  ApplyMapping();
  return previous;
}

CPoint CDC::OffsetWindowOrg(int dx, int dy) {
  const CPoint previous = mapping_.windowOrg;
  return SetWindowOrg(previous.x + dx, previous.y + dy);
}

void CDC::ApplyMapping() {
  if (painter_ == nullptr || painter_->device() == nullptr) return;
  const CPoint org = mapping_.windowOrg;
  if (mapping_.mode == MM_ANISOTROPIC) {
    painter_->setWindow(org.x, org.y, mapping_.windowExt.cx, mapping_.windowExt.cy);
    painter_->setViewport(0, 0, mapping_.viewportExt.cx, mapping_.viewportExt.cy);
  } else {
    const int w = painter_->device()->width();
    const int h = painter_->device()->height();
    painter_->setWindow(org.x, org.y, w, h);
    painter_->setViewport(0, 0, w, h);
  }
}

CFont* CDC::SelectObject(CFont* font) {
  CFont* previous = state_.font;
  state_.font = font;
  return previous;
}

const CPen* CDC::SelectObject(const CPen* pen) {
  const CPen* previous = state_.pen != nullptr ? state_.pen : CPen::Stock(BLACK_PEN);
  state_.pen = pen;
  return previous;
}

const CPen* CDC::SelectStockObject(int object) { return SelectObject(CPen::Stock(object)); }

const CFont& CDC::GetCurrentFont() const {
  if (state_.font != nullptr && state_.font->IsCreated()) return *state_.font;
  return DefaultFont();
}

COLORREF CDC::SetTextColor(COLORREF colour) {
  COLORREF previous = state_.text;
  state_.text = colour;
  return previous;
}

COLORREF CDC::SetBkColor(COLORREF colour) {
  COLORREF previous = state_.back;
  state_.back = colour;
  return previous;
}

int CDC::SetBkMode(int mode) {
  int previous = state_.bkMode;
  state_.bkMode = mode;
  return previous;
}

bool CDC::PixelExact() const {
  // The window and viewport scale as much as the painter's own transform does.
  return painter_->combinedTransform().type() <= QTransform::TxTranslate;
}

void CDC::ApplyFont() {
  const CFont& font = GetCurrentFont();
  if (appliedFont_ != font.Serial()) {
    painter_->setFont(font.GetQFont());
    appliedFont_ = font.Serial();
  }
}

void CDC::ApplyPenColour(COLORREF colour) {
  if (!penApplied_ || appliedPen_ != colour) {
    painter_->setPen(QPen(zv::ToQColor(colour), 0));
    penApplied_ = true;
    appliedPen_ = colour;
  }
}

void CDC::FillPixels(int x, int y, int cx, int cy, COLORREF colour) {
  if (cx > 0 && cy > 0) painter_->fillRect(QRect(x, y, cx, cy), zv::ToQColor(colour));
}

void CDC::FillSolidRect(const CRect& rect, COLORREF colour) {
  if (painter_ == nullptr || colour == CLR_DEFAULT || rect.IsRectEmpty()) return;
  painter_->fillRect(rect.ToQRect(), zv::ToQColor(colour));
}

void CDC::FrameRect(const CRect& rect, COLORREF colour) {
  if (painter_ == nullptr || colour == CLR_DEFAULT || rect.IsRectEmpty()) return;
  const int w = rect.Width();
  const int h = rect.Height();
  FillPixels(rect.left, rect.top, w, 1, colour);
  FillPixels(rect.left, rect.bottom - 1, w, 1, colour);
  FillPixels(rect.left, rect.top, 1, h, colour);
  FillPixels(rect.right - 1, rect.top, 1, h, colour);
}

bool CDC::DrawEdge(const CRect& rect, UINT edge, UINT flags) {
  if (painter_ == nullptr || rect.IsRectEmpty()) return false;
  // One ring per edge kind: the outer one on the rectangle, the inner one inside it.
  struct Ring {
    UINT raised, sunken;
  };
  const Ring rings[2] = {{BDR_RAISEDOUTER, BDR_SUNKENOUTER}, {BDR_RAISEDINNER, BDR_SUNKENINNER}};
  CRect r = rect;
  for (int i = 0; i < 2; ++i) {
    const bool raised = (edge & rings[i].raised) != 0;
    const bool sunken = (edge & rings[i].sunken) != 0;
    if (!raised && !sunken) continue;
    COLORREF topLeft, bottomRight;
    if (i == 0) {
      topLeft = GetSysColor(raised ? COLOR_3DLIGHT : COLOR_3DSHADOW);
      bottomRight = GetSysColor(raised ? COLOR_3DDKSHADOW : COLOR_3DHILIGHT);
    } else {
      topLeft = GetSysColor(raised ? COLOR_3DHILIGHT : COLOR_3DDKSHADOW);
      bottomRight = GetSysColor(raised ? COLOR_3DSHADOW : COLOR_3DLIGHT);
    }
    if (flags & BF_LEFT) FillPixels(r.left, r.top, 1, r.Height(), topLeft);
    if (flags & BF_TOP) FillPixels(r.left, r.top, r.Width(), 1, topLeft);
    if (flags & BF_RIGHT) FillPixels(r.right - 1, r.top, 1, r.Height(), bottomRight);
    if (flags & BF_BOTTOM) FillPixels(r.left, r.bottom - 1, r.Width(), 1, bottomRight);
    r.DeflateRect(1, 1);
    if (r.IsRectEmpty()) break;
  }
  return true;
}

CPoint CDC::MoveTo(int x, int y) {
  CPoint previous = state_.pos;
  state_.pos = CPoint(x, y);
  return previous;
}

bool CDC::LineTo(int x, int y) {
  const CPoint from = state_.pos;
  state_.pos = CPoint(x, y);
  if (painter_ == nullptr) return false;
  const CPen* pen = state_.pen != nullptr ? state_.pen : CPen::Stock(BLACK_PEN);
  if (pen->Style() == PS_NULL || from == CPoint(x, y)) return true;
  const COLORREF colour = pen->Colour();
  if (!PixelExact() || pen->Width() > 1) {
    // Under a scaling mapping (printing) the line is a cosmetic or wide pen stroke.
    painter_->setPen(QPen(zv::ToQColor(colour), pen->Width() > 1 ? pen->Width() : 0));
    penApplied_ = false;
    painter_->drawLine(from.ToQPoint(), QPoint(x, y));
    return true;
  }
  if (from.y == y) {
    if (x > from.x) FillPixels(from.x, y, x - from.x, 1, colour);
    else FillPixels(x + 1, y, from.x - x, 1, colour);
    return true;
  }
  if (from.x == x) {
    if (y > from.y) FillPixels(x, from.y, 1, y - from.y, colour);
    else FillPixels(x, y + 1, 1, from.y - y, colour);
    return true;
  }
  // Bresenham from the start point up to, not including, the end point.
  QVarLengthArray<QPoint, 64> points;
  int px = from.x, py = from.y;
  const int dx = std::abs(x - px), sx = px < x ? 1 : -1;
  const int dy = -std::abs(y - py), sy = py < y ? 1 : -1;
  int err = dx + dy;
  while (px != x || py != y) {
    points.append(QPoint(px, py));
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      px += sx;
    }
    if (e2 <= dx) {
      err += dx;
      py += sy;
    }
  }
  ApplyPenColour(colour);
  painter_->drawPoints(points.constData(), static_cast<int>(points.size()));
  return true;
}

CSize CDC::GetTextExtent(const std::string& cp1251) const {
  const QFontMetrics& fm = GetCurrentFont().Metrics();
  return CSize(fm.horizontalAdvance(zv::QFromCp1251(cp1251)), fm.height());
}

bool CDC::GetTextMetrics(TEXTMETRIC* tm) const {
  if (tm == nullptr) return false;
  const CFont& font = GetCurrentFont();
  const QFontMetrics& fm = font.Metrics();
  tm->tmHeight = fm.height();
  tm->tmAscent = fm.ascent();
  tm->tmDescent = fm.descent();
  tm->tmInternalLeading = std::max(0, fm.height() - font.GetQFont().pixelSize());
  tm->tmExternalLeading = std::max(0, fm.leading());
  tm->tmAveCharWidth = fm.averageCharWidth();
  tm->tmMaxCharWidth = fm.maxWidth();
  tm->tmWeight = font.GetLogFont().lfWeight != 0 ? font.GetLogFont().lfWeight : FW_NORMAL;
  tm->tmOverhang = 0;
  return true;
}
