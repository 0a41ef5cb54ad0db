#pragma once
// A paint device for printing tests that keeps what was drawn instead of pixels:
// every run of text with its place and font, every line and every filled
// rectangle, in device pixels and by page. Its size and resolution are the
// test's: at 254 dpi one device pixel is 0.1 mm, so a report laid out in 0.1 mm
// reads back in its own units.
//
// The job runs as on a printer through zv::PrintPagesOn with NewPage() between the
// pages; a QPrinter that is never painted on gives the job its settings.

#include <QFont>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRectF>
#include <QString>
#include <memory>
#include <string>
#include <vector>

namespace zv::test {

// One run of text: where its first character's cell starts and how far it
// reaches, in device pixels. The pieces Qt draws a text in (one per script)
// are joined into one run where each goes on from the end of the one before.
struct TextRun {
  int page = 1;
  QString text;
  double left = 0;      // the pen position the run starts at
  double top = 0;       // the baseline less the font's ascent
  double baseline = 0;
  double width = 0;     // the run's advance
  double height = 0;    // the font's line height
  int pixelSize = 0;    // the font's size in logical units
  int weight = 400;     // as LOGFONT counts it
  bool clipped = false; // drawn with clipping on (a text cut to its rectangle)
  std::string Utf8() const { return text.toStdString(); }
};

// A straight line from (x1, y1) to (x2, y2) in device pixels, the ends ordered
// (x1 <= x2, y1 <= y2).
struct LineSegment {
  int page = 1;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool Horizontal() const { return y1 == y2; }
  bool Vertical() const { return x1 == x2; }
};

class RecordingDevice : public QPaintDevice {
 public:
  // A page of the size in millimetres at the resolution; A4 portrait by default.
  explicit RecordingDevice(int dpi = 254, double widthMm = 210, double heightMm = 297);
  ~RecordingDevice() override;

  QPaintEngine* paintEngine() const override;

  // The next page; what is drawn then belongs to it.
  bool NewPage();
  int Pages() const { return page_; }
  int dpi() const { return dpi_; }
  // Device pixels from 0.1 mm, and back.
  double FromTenths(double tenths) const { return tenths * dpi_ / 254.0; }
  double ToTenths(double pixels) const { return pixels * 254.0 / dpi_; }

  const std::vector<TextRun>& Texts() const { return texts_; }
  // Drawn lines, and filled rectangles one pixel thin taken as the lines they draw.
  std::vector<LineSegment> Lines() const;
  const std::vector<QRectF>& Fills() const { return fills_; }

  // The runs of a page, in the order drawn.
  std::vector<TextRun> TextsOn(int page) const;
  // The first run on the page whose text is `utf8`; null when none.
  const TextRun* Find(const std::string& utf8, int page = 0) const;
  // The first run on the page whose text starts with `utf8`; null when none.
  const TextRun* FindStarting(const std::string& utf8, int page = 0) const;
  // The text of every run on the page, joined by blanks.
  std::string PageText(int page) const;

 protected:
  int metric(PaintDeviceMetric metric) const override;

 private:
  class Engine;
  friend class Engine;

  int dpi_;
  double widthMm_;
  double heightMm_;
  int page_ = 1;
  std::unique_ptr<Engine> engine_;
  std::vector<TextRun> texts_;
  std::vector<LineSegment> lines_;
  std::vector<QRectF> fills_;
  std::vector<int> fillPages_;
};

}  // namespace zv::test
