#include "ddvcl/TDDSlider.h"

#include <QCursor>
#include <QEvent>
#include <cmath>
#include <cstdlib>

namespace vireo {

namespace {

// Nearest integer, ties to even, as the value mappings have always rounded.
int RoundEven(double v) {
  return int(std::nearbyint(v));
}

constexpr int kKnobFrames = 23;

}  // namespace

TDDSlider::TDDSlider(QWidget* parent) : TDDGraphicControlEx(parent) {
  setMouseTracking(true);
}

void TDDSlider::SetMin(int value) {
  m_min = std::int16_t(value);
  Paint();
}

void TDDSlider::SetMax(int value) {
  m_max = std::int16_t(value);
  Paint();
}

void TDDSlider::SetStyle(TDDSliderStyle style) {
  m_style = style;
  Paint();
}

void TDDSlider::SetKind(TDDSliderKind kind) {
  m_kind = kind;
  Paint();
}

int TDDSlider::TrackLength() const {
  if (m_style == TDDSliderStyle::ssSimple) return Horizontal() ? width() : height();
  return Horizontal() ? width() - SliderW : height() - SliderH;
}

int TDDSlider::OffsetFromPixel(int pixel) const {
  const int l = TrackLength();
  if (l <= 0) return 0;
  return RoundEven(double(m_max - m_min) * pixel / l);
}

int TDDSlider::PixelFromOffset(int offset) const {
  if (m_style == TDDSliderStyle::ssRotator)
    return int(std::trunc(offset / 100.0 * (kKnobFrames - 1))) * height();
  const int range = m_max - m_min;
  if (range == 0) return 0;
  const int l = Horizontal() ? width() - SliderW : height() - SliderH;
  return RoundEven(double(l) / range * offset);
}

int TDDSlider::PositionFromOffset(int offset) const {
  return Horizontal() ? offset - std::abs(int(m_min)) : m_max - offset;
}

std::int16_t TDDSlider::Position() const {
  if (m_style == TDDSliderStyle::ssRotator) return m_valueOffset;
  return std::int16_t(PositionFromOffset(OffsetFromPixel(m_thumbPos)));
}

int TDDSlider::SnapToValue(int q) {
  if (m_style == TDDSliderStyle::ssRotator) {
    q = std::clamp(q, 0, 100);
    m_valueOffset = std::int16_t(q);
    return PixelFromOffset(q);
  }
  const int l = TrackLength();
  if (CenterMiddle && std::abs(q - l / 2) <= 2) q = l / 2;
  q = std::clamp(q, 0, std::max(l, 0));
  const int p = PixelFromOffset(OffsetFromPixel(q));
  m_valueOffset = std::int16_t(OffsetFromPixel(p));
  return p;
}

QRect TDDSlider::ThumbRect() const {
  return Horizontal() ? QRect(m_thumbPos, 0, SliderW, SliderH)
                      : QRect(0, m_thumbPos, SliderW, SliderH);
}

void TDDSlider::DoChange() {
  if (OnChange) OnChange(this);
}

void TDDSlider::SetPosition(int value) {
  if (m_dragging && m_style == TDDSliderStyle::ssSimple) return;
  // Without a range there is no value to show: the thumb stays and nobody is told.
  if (m_max == m_min) return;
  const int v = std::clamp(value, int(m_min), int(m_max));
  if (m_style == TDDSliderStyle::ssRotator) {
    m_valueOffset = std::int16_t(v);
  } else {
    const int o = Horizontal() ? v : m_max - v;
    m_thumbPos = std::int16_t(PixelFromOffset(o));
    m_valueOffset = std::int16_t(o);
    if (underMouse())
      m_thumbState = ThumbRect().contains(mapFromGlobal(QCursor::pos())) ? tsHighlighted : tsNormal;
  }
  DoChange();
  Paint();
}

std::int8_t TDDSlider::Percentage() const {
  const int span = std::abs(int(m_min)) + m_max;
  if (span == 0) return 0;
  const double b = Horizontal() ? 0.0 : 100.0;
  return std::int8_t(
      std::abs(RoundEven(b - (std::abs(int(m_min)) + m_valueOffset) * 100.0 / span)));
}

void TDDSlider::SetPercentage(int percent) {
  const int p = std::clamp(percent, 0, 100);
  if (m_style == TDDSliderStyle::ssRotator) {
    m_valueOffset = std::int16_t(p);
  } else {
    const int pp = Horizontal() ? p : 100 - p;
    m_valueOffset = std::int16_t(RoundEven((std::abs(int(m_min)) + m_max) * double(pp) / 100.0));
  }
  m_thumbPos = std::int16_t(PixelFromOffset(m_valueOffset));
  DoChange();
  Paint();
}

void TDDSlider::MouseLeave() {
  if (!isEnabled()) return;
  if (!m_dragging && ThumbStyle()) {
    m_thumbState = tsNormal;
    Paint();
  }
  TDDGraphicControlEx::MouseLeave();
}

int TDDSlider::DragTarget(int coordinate) const {
  if (m_style == TDDSliderStyle::ssSimple) return coordinate;
  if (m_thumbState == tsPressedOnThumb) return coordinate - m_dragAnchor;
  return coordinate - ThumbSize() / 2;
}

void TDDSlider::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  if (button != Qt::LeftButton) return;
  m_dragging = true;
  const int c = Coordinate(x, y);
  switch (m_style) {
    case TDDSliderStyle::ssSimple:
      m_thumbPos = std::int16_t(SnapToValue(c));
      break;
    case TDDSliderStyle::ssComplex:
    case TDDSliderStyle::ssMix:
      if (ThumbRect().contains(x, y)) {
        m_dragAnchor = std::int16_t(c - m_thumbPos);
        m_thumbState = tsPressedOnThumb;
      } else {
        m_thumbPos = std::int16_t(SnapToValue(c - ThumbSize() / 2));
        m_thumbState = tsPressedOnTrack;
      }
      break;
    case TDDSliderStyle::ssRotator:
      m_dragAnchor = std::int16_t(y);
      break;
  }
  DoChange();
  Paint();
  TDDGraphicControlEx::MouseDown(button, shift, x, y);
}

void TDDSlider::MouseMove(Qt::KeyboardModifiers shift, int x, int y) {
  if (m_dragging) {
    if (m_style == TDDSliderStyle::ssRotator) {
      const int q = m_valueOffset + m_dragAnchor - y;
      m_dragAnchor = std::int16_t(y);
      m_thumbPos = std::int16_t(SnapToValue(q));
    } else {
      m_thumbPos = std::int16_t(SnapToValue(DragTarget(Coordinate(x, y))));
    }
    DoChange();
    Paint();
  } else if (ThumbStyle()) {
    m_thumbState = ThumbRect().contains(x, y) ? tsHighlighted : tsNormal;
    Paint();
  }
  TDDGraphicControlEx::MouseMove(shift, x, y);
}

void TDDSlider::MouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  if (m_dragging && button == Qt::LeftButton) {
    if (ThumbStyle() && !rect().contains(x, y)) m_thumbState = tsNormal;
    m_dragging = false;
    Paint();
    TDDGraphicControlEx::MouseRelease(button, shift, x, y);
  } else if (!m_dragging && button == Qt::RightButton && PopupMenu() && !IsAutoPopup(PopupMenu())) {
    if (ThumbStyle()) m_thumbState = tsNormal;
    Paint();
    PopupMenuAt(PopupMenu(), QCursor::pos());
  }
}

void TDDSlider::DrawSprite(TDDBitmap32& buffer, std::int16_t sx, std::int16_t sy, int at,
                           int alpha) {
  const TRect src = TRect::FromSize(sx, sy, SliderW, SliderH);
  const int dx = Horizontal() ? at : 0, dy = Horizontal() ? 0 : at;
  if (alpha < 0)
    Image().BlendTo(buffer, dx, dy, src);
  else
    Image().BlendTo(buffer, dx, dy, src, alpha);
}

void TDDSlider::DrawThumb(TDDBitmap32& buffer) {
  switch (m_thumbState) {
    case tsPressedOnThumb:
    case tsPressedOnTrack:
      DrawSprite(buffer, PressedX, PressedY, m_thumbPos);
      break;
    case tsHighlighted:
      DrawSprite(buffer, HighlightedX, HighlightedY, m_thumbPos);
      break;
    default:
      DrawSprite(buffer, NormalX, NormalY, m_thumbPos);
      break;
  }
}

void TDDSlider::changeEvent(QEvent* event) {
  TDDGraphicControlEx::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) {
    if (!isEnabled()) m_thumbState = tsNormal;
    Paint();
  }
}

void TDDSlider::Compose(TDDBitmap32& buffer) {
  CopyParentBackground(buffer);
  const int w = width(), h = height();
  const TDDBitmap32& img = Image();
  const TRect row0 = TRect::FromSize(0, 0, w, h);
  const TRect col0 = TRect::FromSize(0, 0, w, h), col1 = TRect::FromSize(w, 0, w, h);
  const int p = m_thumbPos;
  switch (m_style) {
    case TDDSliderStyle::ssSimple:
      if (Horizontal()) {
        img.BlendTo(buffer, 0, 0, row0);
        img.BlendTo(buffer, 0, 0, TRect::FromSize(0, h, p, h));
      } else {
        img.BlendTo(buffer, 0, 0, col1);
        img.BlendTo(buffer, 0, 0, TRect::FromSize(0, 0, w, p));
      }
      break;
    case TDDSliderStyle::ssComplex:
      img.BlendTo(buffer, 0, 0, Horizontal() ? row0 : col0);
      DrawThumb(buffer);
      break;
    case TDDSliderStyle::ssMix:
      if (Horizontal()) {
        img.BlendTo(buffer, 0, 0, row0);
        img.BlendTo(buffer, 0, 0, TRect::FromSize(0, h, p, h));
      } else {
        img.BlendTo(buffer, 0, 0, col0);
        img.BlendTo(buffer, 0, p, TRect::FromSize(w, p, w, h - p));
      }
      DrawThumb(buffer);
      break;
    case TDDSliderStyle::ssRotator:
      img.BlendTo(buffer, 0, 0, TRect::FromSize(0, p, w, h));
      break;
  }
}

}  // namespace vireo
