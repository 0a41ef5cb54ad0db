// Scroll bars and scrolling. The grid keeps the Windows model of a bar: an inclusive
// maximum (the non-fixed extent - 1) and a page (the non-fixed part of the client
// area), so the furthest position is maximum - page + 1. Qt's bar is given that as
// its range, so both clamp alike. Every scroll step goes through the scroll
// handler (OnVScroll, OnHScroll): the bars' actions, the keys, the wheel and
// EnsureVisible. Nothing is moved on screen: the scrolled band is repainted.

#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleHints>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

#include "grid/grid_ctrl.h"

int CGridCtrl::GetWheelScrollLines() { return QGuiApplication::styleHints()->wheelScrollLines(); }

void CGridCtrl::InitScrollingAndInput() {
  // The grid shows and hides its bars itself.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int action) { OnScrollAction(SB_HORZ, action); });
  connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int action) { OnScrollAction(SB_VERT, action); });
  connect(horizontalScrollBar(), &QAbstractSlider::valueChanged, this, [this] { OnScrollValueChanged(); });
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, this, [this] { OnScrollValueChanged(); });
  // Moves without a button pressed: divider hot zones, cursors, title tips.
  viewport()->setMouseTracking(true);
}

QScrollBar* CGridCtrl::ScrollBarOf(int nBar) const {
  if (nBar == SB_HORZ) return horizontalScrollBar();
  if (nBar == SB_VERT) return verticalScrollBar();
  return nullptr;
}

QSize CGridCtrl::BarExtents() const {
  QSize extents(verticalScrollBar()->sizeHint().width(), horizontalScrollBar()->sizeHint().height());
  // Styles that frame the contents alone put a gap between frame and bar.
  if (frameStyle() != QFrame::NoFrame && style()->styleHint(QStyle::SH_ScrollView_FrameOnlyAroundContents, nullptr, this)) {
    const int gap = style()->pixelMetric(QStyle::PM_ScrollView_ScrollBarSpacing, nullptr, this);
    extents += QSize(gap, gap);
  }
  return extents;
}

QSize CGridCtrl::ClientSizeFor(bool bHorzBar, bool bVertBar, QSize barExtents) const {
  const int frame = 2 * frameWidth();
  const int width = this->width() - frame - (bVertBar ? barExtents.width() : 0);
  const int height = this->height() - frame - (bHorzBar ? barExtents.height() : 0);
  return QSize(std::max(0, width), std::max(0, height));
}

void CGridCtrl::UpdateScrollBars() {
  ForgetTopLeftCell();
  if (!m_bAllowDraw || !m_bCreated) return;
  if (GetClientRect().IsRectEmpty()) return;

  const int fixedWidth = GetFixedColumnWidth();
  const int fixedHeight = GetFixedRowHeight();
  const QSize extents = BarExtents();
  const QSize whole = ClientSizeFor(false, false, extents);
  if (fixedWidth >= whole.width() || fixedHeight >= whole.height()) {
    // Nothing but fixed cells fits: no bars, and the shown-bar bits say so.
    ShowScrollBars(SB_BOTH, false);
    return;
  }

  // Each bar that appears takes room from the other direction, which may then need
  // its bar too: the fit tests run until they agree with the bars they assume.
  const int virtualWidth = GetTotalWidth() - fixedWidth;
  const int virtualHeight = GetTotalHeight() - fixedHeight;
  bool horz = false, vert = false;
  QSize visible;
  for (;;) {
    visible = ClientSizeFor(horz, vert, extents) - QSize(fixedWidth, fixedHeight);
    const bool needHorz = visible.width() < virtualWidth;
    const bool needVert = visible.height() < virtualHeight;
    if (needHorz == horz && needVert == vert) break;
    horz = needHorz;
    vert = needVert;
  }
  ShowScrollBars(SB_VERT, vert);
  m_nVScrollMax = vert ? virtualHeight - 1 : 0;
  ShowScrollBars(SB_HORZ, horz);
  m_nHScrollMax = horz ? virtualWidth - 1 : 0;

  // Qt's bar runs to the furthest position of the Windows model. Its signals are held
  // back: the scroll area would only queue a layout for bars the grid shows itself
  // (once for every row appended), and a position the new range moves is seen here.
  bool moved = false;
  auto setRange = [&moved](QScrollBar* bar, int maximum, int page) {
    page = maximum > 0 ? std::max(0, page) : 0;
    const int before = bar->value();
    const QSignalBlocker blocker(bar);
    bar->setPageStep(page);
    bar->setRange(0, std::max(0, maximum - std::max(page - 1, 0)));
    moved = moved || bar->value() != before;
  };
  setRange(horizontalScrollBar(), m_nHScrollMax, visible.width());
  setRange(verticalScrollBar(), m_nVScrollMax, visible.height());
  if (moved) viewport()->update();
}

void CGridCtrl::ShowScrollBars(int nBar, bool bShow) {
  if ((nBar == SB_HORZ || nBar == SB_BOTH) && HasHorzScrollBar() != bShow) {
    m_nBarState ^= kHorzBarBit;
    setHorizontalScrollBarPolicy(bShow ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  }
  if ((nBar == SB_VERT || nBar == SB_BOTH) && HasVertScrollBar() != bShow) {
    m_nBarState ^= kVertBarBit;
    setVerticalScrollBarPolicy(bShow ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  }
}

void CGridCtrl::SetScrollPosition(int nBar, int nPos, bool /*bRedraw: Qt repaints its bar itself*/) {
  ForgetTopLeftCell();
  QScrollBar* bar = ScrollBarOf(nBar);
  if (bar == nullptr) return;
  m_bSettingScroll = true;
  bar->setValue(nPos);
  m_bSettingScroll = false;
}

int CGridCtrl::GetScrollPosition(int nBar, bool bThumb) const {
  const QScrollBar* bar = ScrollBarOf(nBar);
  if (bar == nullptr) return 0;
  return bThumb ? bar->sliderPosition() : bar->value();
}

bool CGridCtrl::GetScrollInfo(int nBar, SCROLLINFO* pInfo) const {
  const QScrollBar* bar = ScrollBarOf(nBar);
  if (bar == nullptr || pInfo == nullptr) return false;
  pInfo->nMin = 0;
  pInfo->nMax = nBar == SB_VERT ? m_nVScrollMax : m_nHScrollMax;
  pInfo->nPage = static_cast<UINT>(bar->pageStep());
  pInfo->nPos = bar->value();
  pInfo->nTrackPos = bar->sliderPosition();
  return true;
}

void CGridCtrl::OnScrollAction(int nBar, int action) {
  UINT code;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
    case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
    case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
    case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
    case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
    case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
    case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
    default: return;
  }
  // The bar has made its own step already; the handler decides the step instead
  // (a line is a row or column). A thumb drag keeps its place: that is the track
  // position the handler reads.
  QScrollBar* bar = ScrollBarOf(nBar);
  if (code != SB_THUMBTRACK) bar->setSliderPosition(bar->value());
  if (nBar == SB_VERT) OnVScroll(code);
  else OnHScroll(code);
}

void CGridCtrl::OnScrollValueChanged() {
  // A bar moved by anything but the grid (its range shrinking, its own menu): the
  // display follows.
  if (m_bSettingScroll) return;
  ForgetTopLeftCell();
  if (m_bCreated && m_bAllowDraw) viewport()->update();
}

void CGridCtrl::scrollContentsBy(int /*dx*/, int /*dy*/) {}

void CGridCtrl::RepaintScrolledBand(int nBar) {
  if (!m_bCreated || !m_bAllowDraw) return;
  CRect band = GetClientRect();
  if (nBar == SB_VERT) band.top = GetFixedRowHeight();
  else band.left = GetFixedColumnWidth();
  viewport()->update(band.ToQRect());
}

void CGridCtrl::OnVScroll(UINT nSBCode) { OnScroll(SB_VERT, nSBCode); }
void CGridCtrl::OnHScroll(UINT nSBCode) { OnScroll(SB_HORZ, nSBCode); }

void CGridCtrl::OnScroll(int nBar, UINT nSBCode) {
  StopCellEdit();
  HideTitleTip();
  // Rows and heights for the vertical bar, columns and widths for the horizontal one.
  const bool vert = nBar == SB_VERT;
  const std::vector<int>& sizes = vert ? m_arRowHeights : m_arColWidths;
  const int fixedCount = vert ? m_nFixedRows : m_nFixedCols;
  const int count = vert ? m_nRows : m_nCols;
  const int maximum = vert ? m_nVScrollMax : m_nHScrollMax;
  const CRect client = GetClientRect();
  const int page = vert ? client.Height() - GetFixedRowHeight() : client.Width() - GetFixedColumnWidth();
  const int pos = GetScrollPosition(nBar);
  const CCellID topLeftCell = GetFirstVisibleDataCell();
  const int topLeft = vert ? topLeftCell.row : topLeftCell.col;
  auto size = [&sizes](int index) { return sizes[static_cast<size_t>(index)]; };

  switch (nSBCode) {
    case SB_LINEUP:
      if (pos > 0 && topLeft > fixedCount && topLeft < count) {
        // One line up: the nearest row above that is not hidden.
        int index = topLeft - 1;
        while (index > fixedCount && size(index) < 1) --index;
        SetScrollPosition(nBar, std::max(0, pos - size(index)));
        RepaintScrolledBand(nBar);
      }
      break;
    case SB_LINEDOWN:
      if (pos < maximum && topLeft < count) {
        // The top row goes out, hidden rows with it in the same step.
        int index = topLeft;
        while (index < count - 1 && size(index) < 1) ++index;
        SetScrollPosition(nBar, pos + size(index));
        if (GetScrollPosition(nBar) != pos) RepaintScrolledBand(nBar);
      }
      break;
    case SB_PAGEUP:
      if (pos > 0) {
        SetScrollPosition(nBar, std::max(0, pos - page));
        RepaintScrolledBand(nBar);
      }
      break;
    case SB_PAGEDOWN:
      if (pos < maximum) {
        SetScrollPosition(nBar, std::min(maximum, pos + page));
        RepaintScrolledBand(nBar);
      }
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      SetScrollPosition(nBar, GetScrollPosition(nBar, true));
      if (GetFirstVisibleDataCell() != topLeftCell) RepaintScrolledBand(nBar);
      break;
    case SB_TOP:
      if (pos > 0) {
        SetScrollPosition(nBar, 0);
        Refresh();
      }
      break;
    case SB_BOTTOM:
      if (pos < maximum) {
        SetScrollPosition(nBar, maximum);
        Refresh();
      }
      break;
    default: break;
  }
}

void CGridCtrl::EnsureVisible(int nRow, int nCol) {
  if (!m_bAllowDraw || !IsValid(nRow, nCol)) return;
  QPointer<QWidget> focus = QApplication::focusWidget();

  // One line at a time; a step that does not move the view ends the scrolling (the
  // view is as far as it goes), so this always comes to an end.
  auto step = [this](int nBar, UINT code) {
    const int before = GetScrollPosition(nBar);
    OnScroll(nBar, code);
    return GetScrollPosition(nBar) != before;
  };
  const CCellRange visible = GetVisibleDataRange();
  auto width = [this](int col) { return m_arColWidths[static_cast<size_t>(col)]; };
  auto height = [this](int row) { return m_arRowHeights[static_cast<size_t>(row)]; };
  for (int col = visible.GetMaxCol() + 1; col <= nCol; ++col)
    if (width(col) > 0 && !step(SB_HORZ, SB_LINERIGHT)) break;
  for (int col = visible.GetMinCol() - 1; col >= nCol; --col)
    if (width(col) > 0 && !step(SB_HORZ, SB_LINELEFT)) break;
  for (int row = visible.GetMaxRow() + 1; row <= nRow; ++row)
    if (height(row) > 0 && !step(SB_VERT, SB_LINEDOWN)) break;
  for (int row = visible.GetMinRow() - 1; row >= nRow; --row)
    if (height(row) > 0 && !step(SB_VERT, SB_LINEUP)) break;

  // A cell shown only in part comes in further, as far as the view goes.
  [&] {
    const CRect client = GetClientRect();
    CRect rect;
    if (!GetCellRect(nRow, nCol, &rect)) return;
    while (rect.right > client.right && rect.left > GetFixedColumnWidth() && HasHorzScrollBar())
      if (!step(SB_HORZ, SB_LINERIGHT) || !GetCellRect(nRow, nCol, &rect)) return;
    while (rect.bottom > client.bottom && rect.top > GetFixedRowHeight() && HasVertScrollBar())
      if (!step(SB_VERT, SB_LINEDOWN) || !GetCellRect(nRow, nCol, &rect)) return;
  }();

  if (focus != nullptr && focus != QApplication::focusWidget()) focus->setFocus();
}

void CGridCtrl::wheelEvent(QWheelEvent* event) {
  OnMouseWheel(event->angleDelta().y());
  event->accept();
}

void CGridCtrl::OnMouseWheel(int zDelta) {
  // Posted, not run at once: the steps follow the event, as the platform's scroll
  // messages would.
  int steps;
  UINT code;
  if (m_nRowsPerWheelNotch == -1) {
    steps = zDelta / 120;
    code = steps > 0 ? SB_PAGEUP : SB_PAGEDOWN;
  } else {
    steps = zDelta * m_nRowsPerWheelNotch / 120;
    code = steps > 0 ? SB_LINEUP : SB_LINEDOWN;
  }
  for (int i = 0; i < std::abs(steps); ++i)
    QMetaObject::invokeMethod(this, [this, code] { OnVScroll(code); }, Qt::QueuedConnection);
}

void CGridCtrl::OnSize() {
  // A resize of this grid while it handles its resize (what it calls may lay out
  // its parent) is skipped; other grids resize on their own.
  if (m_bInSize || !m_bCreated) return;
  m_bInSize = true;
  RegisterDropTarget();
  StopCellEdit();
  UpdateScrollBars();
  m_bInSize = false;
}
