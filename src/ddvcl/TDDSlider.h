#pragma once

#include <cstdint>

#include "ddvcl/TDDGraphicControlEx.h"

namespace vireo {

enum class TDDSliderStyle : std::uint8_t { ssSimple, ssComplex, ssMix, ssRotator };
enum class TDDSliderKind : std::uint8_t { skHorizontal, skVertical };

// A seek or volume bar: a track from the sprite sheet, a fill and a draggable thumb, or a rotary
// knob of 23 frames. The thumb always rests on a pixel that stands for a whole value. Values are
// measured from Min at the left, or from Max at the top of a vertical bar. UI thread only.
class TDDSlider : public TDDGraphicControlEx {
  Q_OBJECT
 public:
  enum ThumbStates : std::uint8_t {
    tsNormal = 0,
    tsPressedOnThumb = 1,
    tsPressedOnTrack = 2,
    tsHighlighted = 3,
  };

  explicit TDDSlider(QWidget* parent = nullptr);

  std::int16_t NormalX = 0, NormalY = 0;
  std::int16_t PressedX = 0, PressedY = 0;
  std::int16_t HighlightedX = 0, HighlightedY = 0;
  std::int16_t SliderW = 0, SliderH = 0;
  bool CenterMiddle = false;

  std::int16_t ThumbPos() const { return m_thumbPos; }
  std::int16_t DragAnchor() const { return m_dragAnchor; }
  std::int16_t ValueOffset() const { return m_valueOffset; }
  bool Dragging() const { return m_dragging; }
  std::uint8_t ThumbState() const { return m_thumbState; }

  std::int16_t Min() const { return m_min; }
  std::int16_t Max() const { return m_max; }
  void SetMin(int value);
  void SetMax(int value);
  TDDSliderStyle Style() const { return m_style; }
  void SetStyle(TDDSliderStyle style);
  TDDSliderKind Kind() const { return m_kind; }
  void SetKind(TDDSliderKind kind);
  bool Horizontal() const { return m_kind == TDDSliderKind::skHorizontal; }

  // The value the thumb stands for (quantised to its pixel); the knob value for a rotary knob.
  std::int16_t Position() const;
  virtual void SetPosition(int value);
  std::int8_t Percentage() const;
  void SetPercentage(int percent);

  // The value mappings of the track.
  int TrackLength() const;
  int OffsetFromPixel(int pixel) const;
  int PixelFromOffset(int offset) const;
  int PositionFromOffset(int offset) const;
  // Moves a pointer coordinate onto the nearest pixel that stands for a whole value, stores that
  // value in ValueOffset and returns the pixel (a frame offset for the knob).
  int SnapToValue(int q);
  QRect ThumbRect() const;

  TNotifyEvent OnChange;

 protected:
  bool FadesWhenDisabled() const override { return true; }
  void changeEvent(QEvent* event) override;
  void MouseLeave() override;
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
  void MouseMove(Qt::KeyboardModifiers shift, int x, int y) override;
  void MouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
  void Compose(TDDBitmap32& buffer) override;
  // The thumb in the current state; TDDSliderBlend adds its drag preview.
  virtual void DrawThumb(TDDBitmap32& buffer);
  void DrawSprite(TDDBitmap32& buffer, std::int16_t sx, std::int16_t sy, int at, int alpha = -1);

  void DoChange();
  bool ThumbStyle() const {
    return m_style == TDDSliderStyle::ssComplex || m_style == TDDSliderStyle::ssMix;
  }
  int Coordinate(int x, int y) const { return Horizontal() ? x : y; }
  int ThumbSize() const { return Horizontal() ? SliderW : SliderH; }
  // The drag coordinate for a pointer position in the current pressed state.
  int DragTarget(int coordinate) const;

  std::int16_t m_thumbPos = 0;
  std::int16_t m_dragAnchor = 0;
  std::int16_t m_valueOffset = 0;
  bool m_dragging = false;
  std::uint8_t m_thumbState = tsNormal;

 private:
  std::int16_t m_min = 0;
  std::int16_t m_max = 10;
  TDDSliderStyle m_style = TDDSliderStyle::ssComplex;
  TDDSliderKind m_kind = TDDSliderKind::skHorizontal;
};

}  // namespace vireo
