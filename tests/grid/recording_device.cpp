#include "tests/grid/recording_device.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QLineF>
#include <QPaintEngineState>
#include <QTextItem>
#include <QTransform>
#include <algorithm>
#include <climits>
#include <cmath>

namespace zv::test {

// Takes every primitive untransformed (all features) and maps it itself, so the
// painter never turns text or lines into paths first.
class RecordingDevice::Engine : public QPaintEngine {
 public:
  explicit Engine(RecordingDevice* device) : QPaintEngine(QPaintEngine::AllFeatures), device_(device) {}

  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  Type type() const override { return QPaintEngine::User; }

  void updateState(const QPaintEngineState& state) override {
    const QPaintEngine::DirtyFlags flags = state.state();
    if (flags & QPaintEngine::DirtyTransform) transform_ = state.transform();
    if (flags & (QPaintEngine::DirtyClipEnabled | QPaintEngine::DirtyClipRegion | QPaintEngine::DirtyClipPath))
      clipped_ = state.isClipEnabled() && state.clipOperation() != Qt::NoClip;
  }

  void drawTextItem(const QPointF& p, const QTextItem& item) override {
    const QFont font = item.font();
    const QFontMetrics fm(font);
    const double scaleX = transform_.m11();
    const double scaleY = transform_.m22();
    const QPointF origin = transform_.map(p);
    TextRun run;
    run.page = device_->page_;
    run.text = item.text();
    run.left = origin.x();
    run.baseline = origin.y();
    run.top = origin.y() - fm.ascent() * scaleY;
    run.width = QFontMetricsF(font).horizontalAdvance(run.text) * scaleX;
    run.height = fm.height() * scaleY;
    run.pixelSize = font.pixelSize();
    run.weight = font.weight();
    run.clipped = clipped_;
    // Qt draws a text in one item per script (Latin, Cyrillic, ...): an item that
    // goes on where the last one ended on its line belongs to the same run.
    if (!device_->texts_.empty()) {
      TextRun& last = device_->texts_.back();
      if (last.page == run.page && last.baseline == run.baseline && last.pixelSize == run.pixelSize &&
          last.weight == run.weight && last.clipped == run.clipped &&
          std::abs(last.left + last.width - run.left) <= 2 * scaleX) {
        last.text += run.text;
        last.width = run.left + run.width - last.left;
        return;
      }
    }
    device_->texts_.push_back(run);
  }

  void drawLines(const QLineF* lines, int count) override {
    for (int i = 0; i < count; ++i) {
      const QLineF l = transform_.map(lines[i]);
      LineSegment s;
      s.page = device_->page_;
      s.x1 = std::min(l.x1(), l.x2());
      s.x2 = std::max(l.x1(), l.x2());
      s.y1 = std::min(l.y1(), l.y2());
      s.y2 = std::max(l.y1(), l.y2());
      device_->lines_.push_back(s);
    }
  }
  void drawLines(const QLine* lines, int count) override {
    for (int i = 0; i < count; ++i) {
      const QLineF l(lines[i]);
      drawLines(&l, 1);
    }
  }

  void drawRects(const QRectF* rects, int count) override {
    for (int i = 0; i < count; ++i) {
      device_->fills_.push_back(transform_.mapRect(rects[i]));
      device_->fillPages_.push_back(device_->page_);
    }
  }
  void drawRects(const QRect* rects, int count) override {
    for (int i = 0; i < count; ++i) {
      const QRectF r(rects[i]);
      drawRects(&r, 1);
    }
  }

  void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
  void drawPath(const QPainterPath&) override {}
  void drawPoints(const QPointF*, int) override {}
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

 private:
  RecordingDevice* device_;
  QTransform transform_;
  bool clipped_ = false;
};

RecordingDevice::RecordingDevice(int dpi, double widthMm, double heightMm)
    : dpi_(dpi), widthMm_(widthMm), heightMm_(heightMm), engine_(std::make_unique<Engine>(this)) {}

RecordingDevice::~RecordingDevice() = default;

QPaintEngine* RecordingDevice::paintEngine() const { return engine_.get(); }

bool RecordingDevice::NewPage() {
  ++page_;
  return true;
}

int RecordingDevice::metric(PaintDeviceMetric metric) const {
  switch (metric) {
    case PdmWidth: return static_cast<int>(std::lround(widthMm_ * dpi_ / 25.4));
    case PdmHeight: return static_cast<int>(std::lround(heightMm_ * dpi_ / 25.4));
    case PdmWidthMM: return static_cast<int>(std::lround(widthMm_));
    case PdmHeightMM: return static_cast<int>(std::lround(heightMm_));
    case PdmNumColors: return INT_MAX;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return dpi_;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
  }
  return 0;
}

std::vector<LineSegment> RecordingDevice::Lines() const {
  std::vector<LineSegment> lines = lines_;
  // A line of one pixel drawn without scaling is a fill one pixel thin.
  for (size_t i = 0; i < fills_.size(); ++i) {
    const QRectF& r = fills_[i];
    LineSegment s;
    s.page = fillPages_[i];
    if (r.height() == 1) {
      s.x1 = r.left();
      s.x2 = r.right();
      s.y1 = s.y2 = r.top();
    } else if (r.width() == 1) {
      s.y1 = r.top();
      s.y2 = r.bottom();
      s.x1 = s.x2 = r.left();
    } else {
      continue;
    }
    lines.push_back(s);
  }
  return lines;
}

std::vector<TextRun> RecordingDevice::TextsOn(int page) const {
  std::vector<TextRun> runs;
  for (const TextRun& run : texts_)
    if (run.page == page) runs.push_back(run);
  return runs;
}

const TextRun* RecordingDevice::Find(const std::string& utf8, int page) const {
  const QString text = QString::fromStdString(utf8);
  for (const TextRun& run : texts_)
    if ((page == 0 || run.page == page) && run.text == text) return &run;
  return nullptr;
}

const TextRun* RecordingDevice::FindStarting(const std::string& utf8, int page) const {
  const QString text = QString::fromStdString(utf8);
  for (const TextRun& run : texts_)
    if ((page == 0 || run.page == page) && run.text.startsWith(text)) return &run;
  return nullptr;
}

std::string RecordingDevice::PageText(int page) const {
  std::string text;
  for (const TextRun& run : texts_) {
    if (run.page != page) continue;
    if (!text.empty()) text += ' ';
    text += run.Utf8();
  }
  return text;
}

}  // namespace zv::test
