#include "ddvcl/TDDScrollBar.h"

#include <QCursor>
#include <algorithm>
#include <cmath>

namespace vireo {

namespace {

// Nearest integer, ties to even, as the bar has always rounded.
int RoundEven(double v) {
  return int(std::nearbyint(v));
}

constexpr int kPressedOpacity = 190;

}  // namespace

TDDScrollBar::TDDScrollBar(QWidget* parent) : TDDGraphicControl(parent) {
  setMouseTracking(true);
}

void TDDScrollBar::SetTrackPiece(const TSpriteRect& piece) {
  m_track = piece;
  Paint();
}

int TDDScrollBar::ValueFromPixel(int pixel) const {
  const int l = Travel();
  if (m_max == 0 || l == 0) return 0;
  return RoundEven(double(pixel) / l * m_max);
}

int TDDScrollBar::PixelFromValue(int value) const {
  if (m_max == 0) return 0;
  return RoundEven(double(Travel()) / m_max * value);
}

int TDDScrollBar::SnapPixel(int pixel) const {
  const int p = std::clamp(pixel, 0, std::max(Travel(), 0));
  return PixelFromValue(ValueFromPixel(p));
}

void TDDScrollBar::SetMax(int value) {
  m_max = std::max(value, 0);
  m_position = std::clamp(ValueFromPixel(m_thumbPos), 0, m_max);
  // The thumb goes to the pixel of that value: otherwise a bar that lost its range would show
  // its thumb halfway down while it stands for 0.
  m_thumbPos = PixelFromValue(m_position);
  Paint();
}

void TDDScrollBar::SetPosition(int value) {
  const int v = std::clamp(value, 0, m_max);
  if (v == m_position) return;
  m_position = v;
  m_thumbPos = PixelFromValue(v);
  DoChange();
  Paint();
}

void TDDScrollBar::DoChange() {
  if (OnChange) OnChange(this);
}

bool TDDScrollBar::OnThumb(int x, int y) const {
  return x >= 0 && x < SliderW && y >= m_thumbPos && y < m_thumbPos + SliderH;
}

void TDDScrollBar::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  MouseEnter();
}

void TDDScrollBar::leaveEvent(QEvent* event) {
  MouseLeave();
  QWidget::leaveEvent(event);
}

void TDDScrollBar::MouseEnter() {
  if (isEnabled()) TDDGraphicControl::MouseEnter();
}

void TDDScrollBar::MouseLeave() {
  if (!isEnabled()) return;
  if (!m_dragging) {
    m_thumbState = tsNormal;
    Paint();
  }
  TDDGraphicControl::MouseLeave();
}

void TDDScrollBar::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  if (button == Qt::LeftButton) {
    m_dragging = true;
    if (OnThumb(x, y)) {
      m_dragAnchor = y - m_thumbPos;
      m_thumbState = tsPressedOnThumb;
    } else {
      m_thumbPos = SnapPixel(y - SliderH / 2);
      m_thumbState = tsPressedOnTrack;
    }
    m_position = ValueFromPixel(m_thumbPos);
    DoChange();
    Paint();
  }
  TDDGraphicControl::MouseDown(button, shift, x, y);
}

void TDDScrollBar::MouseMove(Qt::KeyboardModifiers shift, int x, int y) {
  if (m_dragging) {
    m_thumbPos = SnapPixel(m_thumbState == tsPressedOnThumb ? y - m_dragAnchor : y - SliderH / 2);
    m_position = ValueFromPixel(m_thumbPos);
    DoChange();
  } else {
    m_thumbState = OnThumb(x, y) ? tsHighlighted : tsNormal;
  }
  Paint();
  TDDGraphicControl::MouseMove(shift, x, y);
}

void TDDScrollBar::MouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  if (m_dragging && button == Qt::LeftButton) {
    if (!rect().contains(x, y)) m_thumbState = tsNormal;
    m_position = ValueFromPixel(m_thumbPos);
    m_dragging = false;
    Paint();
    TDDGraphicControl::MouseRelease(button, shift, x, y);
  } else if (button == Qt::RightButton && PopupMenu() && !IsAutoPopup(PopupMenu())) {
    m_thumbState = tsNormal;
    Paint();
    PopupMenuAt(PopupMenu(), QCursor::pos());
  }
}

void TDDScrollBar::Compose(TDDBitmap32& buffer) {
  const TDDBitmap32& img = Image();
  if (m_track.H > 0) {
    for (int y = 0; y < height(); y += m_track.H) img.BlendTo(buffer, 0, y, m_track.ToRect());
  }
  std::int16_t sx = NormalX, sy = NormalY;
  int alpha = -1;
  if (isEnabled()) {
    if (m_thumbState == tsPressedOnThumb || m_thumbState == tsPressedOnTrack) {
      sx = PressedX;
      sy = PressedY;
      alpha = kPressedOpacity;
    } else if (m_thumbState == tsHighlighted) {
      sx = HighlightedX;
      sy = HighlightedY;
    }
  }
  const TRect src = TRect::FromSize(sx, sy, SliderW, SliderH);
  if (alpha < 0)
    img.BlendTo(buffer, 0, m_thumbPos, src);
  else
    img.BlendTo(buffer, 0, m_thumbPos, src, alpha);
}

}  // namespace vireo
