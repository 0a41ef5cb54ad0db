// The drawing layer: colours, fonts, lines, fills, edges, the state guard and DrawText.

#include <QFontMetrics>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include "grid/gdi_colours.h"
#include "grid/gdi_dc.h"
#include "grid/gdi_font.h"
#include "platform/cp1251.h"
#include "tests/grid/grid_test_support.h"
#include "tests/grid/recording_device.h"

namespace {

using zv::test::Canvas;

LOGFONT TestFont(int height = -13, int weight = FW_NORMAL) {
  CFont f;
  f.CreateFont(height, 0, 0, 0, weight, false, false, false, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
               CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "DejaVu Sans");
  return f.GetLogFont();
}

TEST(GdiColours, ColorRefHoldsRedInTheLowByte) {
  EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x00563412u);
  const QColor q = zv::ToQColor(RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(q, QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(zv::FromQColor(q), RGB(0x12, 0x34, 0x56));
}

TEST(GdiColours, SystemColoursFollowThePalette) {
  zv::test::DistinctPalette palette;
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(20, 40, 200));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(250, 250, 240));
  EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), RGB(30, 0, 40));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(200, 200, 190));
}

TEST(GdiFont, LogFontToQFontAndBack) {
  struct Case {
    int height, weight;
    bool italic;
    QFont::Weight qtWeight;
  };
  const Case cases[] = {{-13, FW_NORMAL, false, QFont::Normal},
                        {-20, FW_SEMIBOLD, true, QFont::DemiBold},
                        {-9, FW_BOLD, false, QFont::Bold},
                        {-11, FW_DONTCARE, false, QFont::Normal}};
  for (const Case& c : cases) {
    LOGFONT lf = TestFont(c.height, c.weight);
    lf.lfItalic = c.italic;
    const QFont q = zv::LogFontToQFont(lf);
    EXPECT_EQ(q.pixelSize(), -c.height);
    EXPECT_EQ(q.weight(), c.qtWeight);
    EXPECT_EQ(q.italic(), c.italic);
    EXPECT_EQ(q.family(), QString("DejaVu Sans"));
    const LOGFONT back = zv::QFontToLogFont(q);
    EXPECT_EQ(back.lfHeight, c.height);
    EXPECT_EQ(back.lfItalic, c.italic ? 1 : 0);
    EXPECT_EQ(back.FaceName(), "DejaVu Sans");
  }
}

TEST(GdiFont, PositiveHeightAsksForTheCellHeight) {
  for (int cell : {12, 14, 20}) {
    const QFont q = zv::LogFontToQFont(TestFont(cell));
    EXPECT_NEAR(QFontMetrics(q).height(), cell, 1) << cell;
  }
}

TEST(GdiFont, RecreatingTheSameFontKeepsItAndAnotherChangesIt) {
  CFont f;
  f.CreateFontIndirect(TestFont(-13));
  const auto serial = f.Serial();
  f.CreateFontIndirect(TestFont(-13));
  EXPECT_EQ(f.Serial(), serial);
  f.CreateFontIndirect(TestFont(-14));
  EXPECT_NE(f.Serial(), serial);
  EXPECT_EQ(f.GetQFont().pixelSize(), 14);
}

// Lines leave out their last pixel, in every direction.
TEST(GdiDc, LinesLeaveOutTheirLastPixel) {
  const COLORREF red = RGB(255, 0, 0);
  struct Case {
    CPoint from, to, last;
  };
  const Case cases[] = {{{2, 5}, {8, 5}, {7, 5}}, {{8, 5}, {2, 5}, {3, 5}},
                        {{4, 1}, {4, 9}, {4, 8}}, {{4, 9}, {4, 1}, {4, 2}},
                        {{0, 0}, {5, 5}, {4, 4}}, {{9, 0}, {3, 6}, {4, 5}}};
  for (const Case& c : cases) {
    Canvas canvas(12, 12);
    const CPen pen(PS_SOLID, 0, red);
    canvas.dc()->SelectObject(&pen);
    canvas.dc()->MoveTo(c.from);
    canvas.dc()->LineTo(c.to);
    EXPECT_EQ(canvas.dc()->GetCurrentPosition(), c.to);
    EXPECT_EQ(canvas.Pixel(c.from.x, c.from.y), red);
    EXPECT_EQ(canvas.Pixel(c.last.x, c.last.y), red);
    EXPECT_EQ(canvas.Pixel(c.to.x, c.to.y), Canvas::kMarker) << c.to.x << "," << c.to.y;
    const int length = std::max(std::abs(c.to.x - c.from.x), std::abs(c.to.y - c.from.y));
    EXPECT_EQ(canvas.Count(red, CRect(0, 0, 12, 12)), length);
  }
}

TEST(GdiDc, NullPenDrawsNothing) {
  Canvas canvas(10, 10);
  canvas.dc()->SelectStockObject(NULL_PEN);
  canvas.dc()->MoveTo(0, 0);
  canvas.dc()->LineTo(9, 0);
  EXPECT_EQ(canvas.Ink(), CRect(10, 10, -1, -1));
}

TEST(GdiDc, FillsAndFramesStopBeforeRightAndBottom) {
  const COLORREF blue = RGB(0, 0, 255);
  Canvas canvas(12, 12);
  canvas.dc()->FillSolidRect(CRect(1, 1, 6, 4), blue);
  canvas.dc()->FrameRect(CRect(2, 6, 7, 11), blue);
  canvas.dc()->FillSolidRect(CRect(8, 8, 11, 11), CLR_DEFAULT);
  EXPECT_EQ(canvas.Count(blue, CRect(1, 1, 6, 4)), 15);
  EXPECT_EQ(canvas.Pixel(6, 1), Canvas::kMarker);
  EXPECT_EQ(canvas.Pixel(1, 4), Canvas::kMarker);
  // The frame: a one-pixel ring inside the rectangle.
  EXPECT_EQ(canvas.Pixel(2, 6), blue);
  EXPECT_EQ(canvas.Pixel(6, 10), blue);
  EXPECT_EQ(canvas.Pixel(4, 8), Canvas::kMarker);
  EXPECT_EQ(canvas.Pixel(7, 11), Canvas::kMarker);
  EXPECT_EQ(canvas.Count(blue, CRect(2, 6, 7, 11)), 16);
  EXPECT_EQ(canvas.Count(Canvas::kMarker, CRect(8, 8, 11, 11)), 9);
}

TEST(GdiDc, SunkenInnerEdgeIsDarkAboveAndLightBelow) {
  zv::test::DistinctPalette palette;
  Canvas canvas(12, 12);
  canvas.dc()->DrawEdge(CRect(1, 1, 9, 9), BDR_SUNKENINNER, BF_RECT);
  const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
  const COLORREF light = GetSysColor(COLOR_3DLIGHT);
  EXPECT_EQ(canvas.Pixel(4, 1), dark);
  EXPECT_EQ(canvas.Pixel(1, 4), dark);
  EXPECT_EQ(canvas.Pixel(4, 8), light);
  EXPECT_EQ(canvas.Pixel(8, 4), light);
  EXPECT_EQ(canvas.Pixel(4, 4), Canvas::kMarker);
  EXPECT_EQ(canvas.Pixel(9, 4), Canvas::kMarker);
}

TEST(GdiDc, StateGuardRestoresWhatWasSelected) {
  Canvas canvas(4, 4);
  CDC* dc = canvas.dc();
  CFont font;
  font.CreateFontIndirect(TestFont(-20));
  const CPen pen(PS_SOLID, 0, RGB(1, 1, 1));
  dc->SetTextColor(RGB(9, 9, 9));
  dc->SetBkMode(OPAQUE);
  {
    CDCStateGuard guard(dc);
    dc->SelectObject(&font);
    dc->SelectObject(&pen);
    dc->SetTextColor(RGB(7, 7, 7));
    dc->SetBkMode(TRANSPARENT);
    dc->MoveTo(3, 3);
    EXPECT_EQ(&dc->GetCurrentFont(), &font);
  }
  EXPECT_NE(&dc->GetCurrentFont(), &font);
  EXPECT_EQ(dc->GetTextColor(), RGB(9, 9, 9));
  EXPECT_EQ(dc->GetBkMode(), OPAQUE);
  EXPECT_EQ(dc->GetCurrentPosition(), CPoint(0, 0));
}

class DrawTextTest : public testing::Test {
 protected:
  void SetUp() override {
    font_.CreateFontIndirect(TestFont(-13));
    fm_.emplace(font_.GetQFont());
  }
  // The ink of the text drawn into the rectangle on a fresh canvas.
  CRect InkOf(const std::string& text, CRect rect, UINT format) {
    Canvas canvas(200, 80);
    canvas.dc()->SelectObject(&font_);
    canvas.dc()->SetBkMode(TRANSPARENT);
    canvas.dc()->DrawText(text, rect, format);
    return canvas.Ink();
  }
  int Width(const QString& s) const { return fm_->horizontalAdvance(s); }
  CFont font_;
  std::optional<QFontMetrics> fm_;
};

// Alignment moves the same ink by the offsets the Windows formulas give.
TEST_F(DrawTextTest, AlignmentOffsets) {
  const CRect rect(10, 10, 150, 60);
  const int w = Width("Xg");
  const int h = fm_->height();
  const CRect base = InkOf("Xg", rect, DT_SINGLELINE);
  struct Case {
    UINT format;
    int dx, dy;
  };
  const Case cases[] = {
      {DT_SINGLELINE | DT_CENTER, (rect.left + rect.right - w) / 2 - rect.left, 0},
      {DT_SINGLELINE | DT_RIGHT, rect.Width() - w, 0},
      {DT_SINGLELINE | DT_VCENTER, 0, (rect.top + rect.bottom - h) / 2 - rect.top},
      {DT_SINGLELINE | DT_BOTTOM, 0, rect.Height() - h},
      // Vertical placement only applies to single lines.
      {DT_VCENTER, 0, 0},
      {DT_BOTTOM | DT_RIGHT, rect.Width() - w, 0},
  };
  for (const Case& c : cases) {
    const CRect ink = InkOf("Xg", rect, c.format);
    EXPECT_EQ(ink.left - base.left, c.dx) << c.format;
    EXPECT_EQ(ink.top - base.top, c.dy) << c.format;
  }
}

TEST_F(DrawTextTest, CalcRectMeasures) {
  const int h = fm_->height();
  struct Case {
    std::string text;
    UINT format;
    int width, lines;
  };
  const Case cases[] = {
      {"abc", DT_SINGLELINE, Width("abc"), 1},
      {"ab\ncdef", DT_LEFT, std::max(Width("ab"), Width("cdef")), 2},
      {"ab\r\ncd", DT_LEFT, std::max(Width("ab"), Width("cd")), 2},
      {"aaa bbb", DT_WORDBREAK, std::max(Width("aaa"), Width("bbb")), 2},
      {"&&A", DT_SINGLELINE, Width("&A"), 1},
      {"&A", DT_SINGLELINE, Width("A"), 1},
      {"&A", DT_SINGLELINE | DT_NOPREFIX, Width("&A"), 1},
  };
  for (const Case& c : cases) {
    CDC dc;
    dc.SelectObject(&font_);
    CRect rect(5, 7, 5 + Width("aaa b") - 1, 7);
    if (!(c.format & DT_WORDBREAK)) rect.right = 500;
    const int height = dc.DrawText(c.text, rect, c.format | DT_CALCRECT);
    EXPECT_EQ(height, c.lines * h) << c.text;
    EXPECT_EQ(rect.bottom, 7 + c.lines * h) << c.text;
    EXPECT_EQ(rect.Width(), c.width) << c.text;
  }
}

TEST_F(DrawTextTest, TextIsClippedOrElidedUnlessNoClip) {
  const std::string text = "WWWWWWWWWWWWWWWW";
  const CRect rect(10, 10, 60, 40);
  EXPECT_LE(InkOf(text, rect, DT_SINGLELINE).right, rect.right);
  EXPECT_GT(InkOf(text, rect, DT_SINGLELINE | DT_NOCLIP).right, rect.right);
  const CRect elided = InkOf(text, rect, DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS);
  EXPECT_LE(elided.right, rect.right);
  EXPECT_GT(elided.right, rect.left + rect.Width() / 2);
}

// What the recording device tells of a cut text: the run was drawn clipped.
TEST_F(DrawTextTest, ClippedTextIsRecordedAsClipped) {
  zv::test::RecordingDevice device(96, 100, 50);
  {
    QPainter painter(&device);
    CDC dc(&painter);
    dc.SelectObject(&font_);
    CRect narrow(10, 10, 20, 40);
    dc.DrawText("WWWWWW", narrow, DT_SINGLELINE | DT_CENTER);
    CRect wide(10, 10, 300, 40);
    dc.DrawText("VVV", wide, DT_SINGLELINE | DT_CENTER);
    dc.DrawText("XXXXXX", narrow, DT_SINGLELINE | DT_NOCLIP);
  }
  ASSERT_EQ(device.Texts().size(), 3u);
  EXPECT_TRUE(device.Find("WWWWWW")->clipped);
  EXPECT_FALSE(device.Find("VVV")->clipped);
  EXPECT_FALSE(device.Find("XXXXXX")->clipped);
}

TEST_F(DrawTextTest, OpaqueModeFillsTheTextBox) {
  Canvas canvas(100, 40);
  canvas.dc()->SelectObject(&font_);
  canvas.dc()->SetBkMode(OPAQUE);
  canvas.dc()->SetBkColor(RGB(0, 200, 0));
  CRect rect(5, 5, 95, 35);
  canvas.dc()->DrawText("ab", rect, DT_SINGLELINE);
  EXPECT_EQ(canvas.Pixel(5, 5), RGB(0, 200, 0));
  EXPECT_EQ(canvas.Pixel(5 + Width("ab"), 5), Canvas::kMarker);
}

TEST_F(DrawTextTest, WindowsTextIsShownAsItsCharacters) {
  CDC dc;
  dc.SelectObject(&font_);
  const std::string text = zv::W1251("Узел №5");
  EXPECT_EQ(dc.GetTextExtent(text).cx, Width(QString::fromUtf8("Узел №5")));
}

// Tabs stop every eight average character widths from the line's start, on every
// line, in the measure too; without the flag a tab is just a character of the text.
TEST_F(DrawTextTest, ExpandTabsStopsEveryEightAverageWidths) {
  const int tab = 8 * fm_->averageCharWidth();
  // A piece that reaches past the first tab stop.
  QString longPiece;
  while (Width(longPiece) <= tab) longPiece += QLatin1Char('a');
  ASSERT_LT(Width(longPiece), 2 * tab);
  const std::string text = "ab\tc\n\tdef\n" + longPiece.toStdString() + "\tg";

  zv::test::RecordingDevice device(96, 100, 50);
  {
    QPainter painter(&device);
    CDC dc(&painter);
    dc.SelectObject(&font_);
    CRect rect(7, 3, 300, 150);
    dc.DrawText(text, rect, DT_EXPANDTABS);
  }
  struct Expected {
    std::string text;
    int left, line;
  };
  const Expected expected[] = {{"ab", 7, 0},   {"c", 7 + tab, 0},  {"def", 7 + tab, 1},
                               {longPiece.toStdString(), 7, 2}, {"g", 7 + 2 * tab, 2}};
  for (const Expected& e : expected) {
    const zv::test::TextRun* run = device.Find(e.text);
    ASSERT_NE(run, nullptr) << e.text;
    EXPECT_EQ(run->left, e.left) << e.text;
    EXPECT_EQ(run->top, 3 + e.line * fm_->height()) << e.text;
  }

  CDC dc;
  dc.SelectObject(&font_);
  CRect measured(0, 0, 300, 0);
  EXPECT_EQ(dc.DrawText(text, measured, DT_EXPANDTABS | DT_CALCRECT), 3 * fm_->height());
  EXPECT_EQ(measured.Width(), 2 * tab + Width("g"));
  CRect right(0, 0, 300, 0);
  dc.DrawText("\tdef", right, DT_EXPANDTABS | DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(right.Width(), tab + Width("def"));
  CRect plain(0, 0, 300, 0);
  dc.DrawText("ab\tc", plain, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(plain.Width(), Width(QString::fromLatin1("ab\tc")));
}

}  // namespace
