#pragma once
// The device context of the drawing layer: a QPainter seen through the Windows
// model the grid's drawing code computes with.
//
// - Rectangles exclude their right and bottom edges; lines leave out their last pixel.
// - Colours are COLORREF; fonts are CFont objects selected into the DC.
// - The DC's state (font, pen, colours, background mode, pen position) is saved and
//   restored with CDCStateGuard in place of SaveDC/RestoreDC.
// - IsPrinting() is an explicit flag given by whoever makes the DC.
// - The mapping modes MM_TEXT and MM_ANISOTROPIC are the painter's window and
//   viewport: logical coordinates are what the DC's callers compute with, device
//   pixels what the painter's device holds. Fonts keep their pixel size in logical
//   units, so text scales with the mapping like everything else.
// - A DC without a painter measures text but draws nothing (the grid's window DC or
//   the screen DC, used only to measure).
//
// Once a painter is wrapped, draw through the DC; after drawing on the painter
// directly, call PainterChanged() so the DC sets its font and pen again.

#include <QPainter>
#include <cstdint>
#include <string>

#include "grid/gdi_font.h"
#include "grid/gdi_types.h"

// DrawText format flags.
inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
inline constexpr UINT DT_VCENTER = 0x0004;  // only with DT_SINGLELINE
inline constexpr UINT DT_BOTTOM = 0x0008;   // only with DT_SINGLELINE
inline constexpr UINT DT_WORDBREAK = 0x0010;
inline constexpr UINT DT_SINGLELINE = 0x0020;
inline constexpr UINT DT_EXPANDTABS = 0x0040;  // tab stops every 8 average character widths
inline constexpr UINT DT_NOCLIP = 0x0100;
inline constexpr UINT DT_CALCRECT = 0x0400;
inline constexpr UINT DT_NOPREFIX = 0x0800;
inline constexpr UINT DT_END_ELLIPSIS = 0x8000;

// Background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// DrawEdge edges and sides.
inline constexpr UINT BDR_RAISEDOUTER = 0x0001;
inline constexpr UINT BDR_SUNKENOUTER = 0x0002;
inline constexpr UINT BDR_RAISEDINNER = 0x0004;
inline constexpr UINT BDR_SUNKENINNER = 0x0008;
inline constexpr UINT BF_LEFT = 0x0001;
inline constexpr UINT BF_TOP = 0x0002;
inline constexpr UINT BF_RIGHT = 0x0004;
inline constexpr UINT BF_BOTTOM = 0x0008;
inline constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;

// Pen styles and stock pens.
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_NULL = 5;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;

// Mapping modes.
inline constexpr int MM_TEXT = 1;
inline constexpr int MM_ANISOTROPIC = 8;

// GetDeviceCaps indexes.
inline constexpr int HORZSIZE = 4;     // width of the drawing area in millimetres
inline constexpr int VERTSIZE = 6;     // height of the drawing area in millimetres
inline constexpr int HORZRES = 8;      // width of the drawing area in device pixels
inline constexpr int VERTRES = 10;     // height of the drawing area in device pixels
inline constexpr int LOGPIXELSX = 88;  // device pixels per logical inch across
inline constexpr int LOGPIXELSY = 90;  // device pixels per logical inch down

// GetClipBox results.
inline constexpr int ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;

class CPen {
 public:
  CPen() = default;
  // Width 0 or 1 is one pixel whatever the mapping.
  CPen(int style, int width, COLORREF colour) : style_(style), width_(width), colour_(colour) {}
  static const CPen* Stock(int object);  // WHITE_PEN, BLACK_PEN or NULL_PEN

  int Style() const { return style_; }
  int Width() const { return width_; }
  COLORREF Colour() const { return colour_; }

 private:
  int style_ = PS_SOLID;
  int width_ = 0;
  COLORREF colour_ = 0;
};

struct TEXTMETRIC {
  int tmHeight = 0;
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
  int tmWeight = 0;
  int tmOverhang = 0;
};

class CDC {
 public:
  // Measuring only.
  CDC() = default;
  // Drawing through a painter (not owned); printing is the caller's statement.
  explicit CDC(QPainter* painter, bool printing = false);
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  QPainter* GetPainter() const { return painter_; }
  bool IsPrinting() const { return printing_; }
  // A device of two colours (a black-and-white printer); the caller tells.
  bool IsMonochrome() const { return monochrome_; }
  void SetMonochrome(bool monochrome) { monochrome_ = monochrome; }
  // A measure of the painter's device (the indexes above); 0 without a device.
  int GetDeviceCaps(int index) const;

  // Mapping from logical to device coordinates: device = (logical - window origin)
  // x viewport extent / window extent, the viewport origin being the device's top-left
  // corner. MM_TEXT keeps one logical unit per device pixel and ignores the extents.
  int SetMapMode(int mode);
  int GetMapMode() const { return mapping_.mode; }
  CSize SetWindowExt(int cx, int cy);
  CSize SetViewportExt(int cx, int cy);
  CPoint SetWindowOrg(int x, int y);
  CPoint OffsetWindowOrg(int dx, int dy);
  CPoint GetWindowOrg() const { return mapping_.windowOrg; }
  // Forget what the DC last set on the painter.
  void PainterChanged();

  // The area that needs drawing, in the painter's coordinates: the rectangle given
  // with SetClipBox, else the painter's device. ERROR for a DC that cannot draw.
  int GetClipBox(CRect* rect) const;
  void SetClipBox(const CRect& rect);

  // Selection answers the previously selected object. A null font selects the DC's
  // default font (the message font); a null pen selects the stock black pen.
  CFont* SelectObject(CFont* font);
  const CPen* SelectObject(const CPen* pen);
  const CPen* SelectStockObject(int object);
  // The selected font, never null.
  const CFont& GetCurrentFont() const;

  COLORREF SetTextColor(COLORREF colour);
  COLORREF GetTextColor() const { return state_.text; }
  COLORREF SetBkColor(COLORREF colour);
  COLORREF GetBkColor() const { return state_.back; }
  int SetBkMode(int mode);
  int GetBkMode() const { return state_.bkMode; }

  // Fills and frames; CLR_DEFAULT draws nothing.
  void FillSolidRect(const CRect& rect, COLORREF colour);
  void FrameRect(const CRect& rect, COLORREF colour);
  // The edges of a rectangle in the 3-D system colours; the rectangle is not changed.
  bool DrawEdge(const CRect& rect, UINT edge, UINT flags);

  // Lines in the selected pen from the current position, without their last pixel.
  CPoint MoveTo(int x, int y);
  CPoint MoveTo(CPoint p) { return MoveTo(p.x, p.y); }
  bool LineTo(int x, int y);
  bool LineTo(CPoint p) { return LineTo(p.x, p.y); }
  CPoint GetCurrentPosition() const { return state_.pos; }

  // Text in the selected font. GetTextExtent: advance width and cell height.
  CSize GetTextExtent(const std::string& cp1251) const;
  bool GetTextMetrics(TEXTMETRIC* tm) const;
  // DrawText of the Windows model for the flags above; answers the text height.
  // DT_CALCRECT measures only and sets the rectangle's right and bottom. With
  // DT_EXPANDTABS a tab moves on to the next multiple of eight average character
  // widths from the line's start (without it a tab is a character). Without
  // DT_NOPREFIX an '&' marks the next character and "&&" stands for '&' (the marked
  // character is not underlined).
  int DrawText(const std::string& cp1251, CRect& rect, UINT format);

 private:
  friend class CDCStateGuard;
  struct State {
    CFont* font = nullptr;
    const CPen* pen = nullptr;
    COLORREF text = 0;
    COLORREF back = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    CPoint pos;
  };

  struct Mapping {
    int mode = MM_TEXT;
    CPoint windowOrg;
    CSize windowExt{1, 1};
    CSize viewportExt{1, 1};
  };

  bool PixelExact() const;
  CSize SetExtent(CSize& extent, int cx, int cy);
  void ApplyMapping();
  void ApplyFont();
  void ApplyPenColour(COLORREF colour);
  void FillPixels(int x, int y, int cx, int cy, COLORREF colour);

  QPainter* painter_ = nullptr;
  bool printing_ = false;
  bool monochrome_ = false;
  bool hasClipBox_ = false;
  CRect clipBox_;
  Mapping mapping_;
  State state_;
  // What was last set on the painter.
  std::uint64_t appliedFont_ = 0;
  bool penApplied_ = false;
  COLORREF appliedPen_ = 0;
};

// SaveDC/RestoreDC for the lifetime of the guard.
class CDCStateGuard {
 public:
  explicit CDCStateGuard(CDC* dc) : dc_(dc), saved_(dc->state_) {}
  ~CDCStateGuard() { dc_->state_ = saved_; }
  CDCStateGuard(const CDCStateGuard&) = delete;
  CDCStateGuard& operator=(const CDCStateGuard&) = delete;

 private:
  CDC* dc_;
  CDC::State saved_;
};
