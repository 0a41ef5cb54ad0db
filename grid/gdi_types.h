#pragma once
// The geometry and colour values of the drawing layer. The grid computes in the
// Windows model: rectangles whose right and bottom edges lie just outside them,
// colours as 0x00BBGGRR integers, CLR_DEFAULT for "no colour of its own". Values
// are converted to Qt only where a QPainter is called (see gdi_dc.h).

#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>

using COLORREF = std::uint32_t;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using LPARAM = std::intptr_t;
using WPARAM = std::uintptr_t;
using LRESULT = std::intptr_t;

// A cell, grid or tip colour that is not set takes its default from elsewhere.
inline constexpr COLORREF CLR_DEFAULT = 0xFF000000u;

constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }

// Window styles the views pass when they create a grid.
inline constexpr DWORD WS_CHILD = 0x40000000u;
inline constexpr DWORD WS_VISIBLE = 0x10000000u;
inline constexpr DWORD WS_TABSTOP = 0x00010000u;

struct CPoint {
  int x = 0;
  int y = 0;
  constexpr CPoint() = default;
  constexpr CPoint(int px, int py) : x(px), y(py) {}
  constexpr bool operator==(const CPoint&) const = default;
  QPoint ToQPoint() const { return QPoint(x, y); }
};

struct CSize {
  int cx = 0;
  int cy = 0;
  constexpr CSize() = default;
  constexpr CSize(int w, int h) : cx(w), cy(h) {}
  constexpr bool operator==(const CSize&) const = default;
  constexpr CSize& operator+=(const CSize& o) {
    cx += o.cx;
    cy += o.cy;
    return *this;
  }
};

// left/top inside, right/bottom just outside: Width() = right - left. Never use
// QRect::right() on the converted value (it is inclusive); convert with ToQRect().
struct CRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  constexpr CRect() = default;
  constexpr CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
  constexpr bool operator==(const CRect&) const = default;

  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  constexpr CSize Size() const { return CSize(Width(), Height()); }
  constexpr CPoint TopLeft() const { return CPoint(left, top); }
  constexpr CPoint BottomRight() const { return CPoint(right, bottom); }
  // Empty when it holds no pixel.
  constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }
  constexpr bool PtInRect(CPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

  constexpr void SetRect(int l, int t, int r, int b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
  }
  constexpr void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  constexpr void InflateRect(int dx, int dy) {
    left -= dx;
    top -= dy;
    right += dx;
    bottom += dy;
  }
  constexpr void OffsetRect(int dx, int dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
  }
  // The overlap of two rectangles; empty (all 0) when they do not meet.
  constexpr bool IntersectRect(const CRect& a, const CRect& b) {
    CRect r(a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
            a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom);
    if (r.IsRectEmpty()) r = CRect();
    *this = r;
    return !IsRectEmpty();
  }

  QRect ToQRect() const { return QRect(left, top, Width(), Height()); }
  static CRect FromQRect(const QRect& r) { return CRect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height()); }
};
