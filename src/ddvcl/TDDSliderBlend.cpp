#include "ddvcl/TDDSliderBlend.h"

namespace vireo {

void TDDSliderBlend::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  if (button != Qt::LeftButton) return;
  if (!ThumbStyle()) {
    TDDSlider::MouseDown(button, shift, x, y);
    return;
  }
  m_dragging = true;
  m_ghostPos = m_thumbPos;
  const int c = Coordinate(x, y);
  if (ThumbRect().contains(x, y)) {
    m_dragAnchor = std::int16_t(c - m_ghostPos);
    m_thumbState = tsPressedOnThumb;
  } else {
    m_ghostPos = std::int16_t(SnapToValue(c - ThumbSize() / 2));
    m_thumbState = tsPressedOnTrack;
  }
  DoChange();
  Paint();
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TDDSliderBlend::MouseMove(Qt::KeyboardModifiers shift, int x, int y) {
  if (!m_dragging || !ThumbStyle()) {
    TDDSlider::MouseMove(shift, x, y);
    return;
  }
  m_ghostPos = std::int16_t(SnapToValue(DragTarget(Coordinate(x, y))));
  if (shift.testFlag(Qt::ShiftModifier)) m_thumbPos = m_ghostPos;
  DoChange();
  Paint();
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TDDSliderBlend::MouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                                  int y) {
  if (!m_dragging || button != Qt::LeftButton || !ThumbStyle()) {
    TDDSlider::MouseRelease(button, shift, x, y);
    return;
  }
  if (!shift.testFlag(Qt::ShiftModifier)) {
    m_thumbPos = m_ghostPos;
    m_valueOffset = std::int16_t(OffsetFromPixel(m_ghostPos));
  }
  m_dragging = false;
  Paint();
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TDDSliderBlend::DrawThumb(TDDBitmap32& buffer) {
  if (m_thumbState != tsPressedOnThumb && m_thumbState != tsPressedOnTrack) {
    TDDSlider::DrawThumb(buffer);
    return;
  }
  DrawSprite(buffer, NormalX, NormalY, m_thumbPos);
  if (m_ghostPos != m_thumbPos) DrawSprite(buffer, PressedX, PressedY, m_ghostPos, 127);
}

}  // namespace vireo
