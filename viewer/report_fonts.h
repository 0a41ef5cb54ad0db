#pragma once
// The report's mapping and fonts.
//
// The report draws in tenths of a millimetre: MM_ANISOTROPIC with a window extent
// of 254 by 254 and a viewport extent of the device's pixels per inch, y growing
// downward from the top-left corner of the printable area. A distance d below the
// top is y = d.
//
// Its fonts are Arial of fixed heights in those units, the same on every printer:
// body text 2.1 mm, headings 2.4 mm (character heights), the bands of the page
// header and footer bold 4 mm cells. Character sizes come from the extent of the
// same 52 letters the grid measures.

#include "grid/gdi_dc.h"
#include "grid/gdi_font.h"

class PrintInfo;

namespace zv {

void SetReportMapping(CDC* pDC);

// True unless the job's printer is set to landscape.
bool IsPortraitJob(const PrintInfo* pInfo);

// The height of one body row of the printed table from the body font's character
// height: one and a half of it in portrait, 0.6 mm more than it in landscape.
int ReportRowHeight(int bodyCharHeight, bool portrait);

class ReportFonts {
 public:
  static constexpr int kBodyHeight = -21;
  static constexpr int kHeadingHeight = -24;
  static constexpr int kBandHeight = 40;  // a cell height: positive

  // Makes both fonts and measures them (on a DC of its own: sizes do not depend on
  // the device).
  void Create();
  void Delete();
  bool IsCreated() const { return body_.IsCreated(); }

  CFont& Body() { return body_; }
  CFont& Heading() { return heading_; }
  // Average character width and height: (cx1, cy1) of the body font, (cx2, cy2)
  // of the heading font.
  CSize BodyChar() const { return bodyChar_; }
  CSize HeadingChar() const { return headingChar_; }

  // The bold (weight 700) form of a font, at another height when one is given.
  static void MakeBold(const CFont& base, CFont& bold, int height = 0);
  // The character size of the font from the 52-letter sample.
  static CSize CharSize(CDC* pDC, CFont& font);

 private:
  CFont body_;
  CFont heading_;
  CSize bodyChar_;
  CSize headingChar_;
};

}  // namespace zv
