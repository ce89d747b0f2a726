#pragma once

#include "ddvcl/TDDSlider.h"

namespace vireo {

// A slider whose drag only previews: a translucent thumb (the ghost) follows the pointer while
// the real value stays (a seek bar keeps showing the playing position) and the release commits.
// With Shift held the thumb follows live and the release keeps where it is.
class TDDSliderBlend : public TDDSlider {
  Q_OBJECT
 public:
  explicit TDDSliderBlend(QWidget* parent = nullptr) : TDDSlider(parent) {}

  std::int16_t GhostPos() const { return m_ghostPos; }
  // The value under the drag preview.
  std::int16_t PositionEx() const {
    return std::int16_t(PositionFromOffset(OffsetFromPixel(m_ghostPos)));
  }

 protected:
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
  void MouseMove(Qt::KeyboardModifiers shift, int x, int y) override;
  void MouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
  void DrawThumb(TDDBitmap32& buffer) override;

  std::int16_t m_ghostPos = 0;
};

}  // namespace vireo
