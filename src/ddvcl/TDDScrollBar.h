#pragma once

#include <cstdint>

#include "ddvcl/TDDGraphicControl.h"
#include "ddvcl/TSpriteRect.h"

namespace vireo {

// The playlist's vertical scroll bar: a track piece of the sprite sheet tiled down the bar and a
// thumb in one of three looks (normal, pressed, highlighted). The thumb always rests on a pixel
// that stands for a whole value of 0..Max; values and pixels convert with ties to even.
// UI thread only.
class TDDScrollBar : public TDDGraphicControl {
  Q_OBJECT
 public:
  enum ThumbStates : std::uint8_t {
    tsNormal = 0,
    tsPressedOnThumb = 1,
    tsPressedOnTrack = 2,
    tsHighlighted = 3,
  };

  explicit TDDScrollBar(QWidget* parent = nullptr);

  // Top-left corners of the thumb's three sprites in Image(), and the thumb's size.
  std::int16_t NormalX = 0, NormalY = 0;
  std::int16_t PressedX = 0, PressedY = 0;
  std::int16_t HighlightedX = 0, HighlightedY = 0;
  std::int16_t SliderW = 0, SliderH = 0;
  std::uint8_t Border = 0;  // kept for the skins; the playlist always sets 0

  // The piece tiled down the track (skin key "ti"); a height of 0 or less leaves it empty.
  const TSpriteRect& TrackPiece() const { return m_track; }
  void SetTrackPiece(const TSpriteRect& piece);

  // Max is a full int, not 16 bits: a list of 100,000 rows must scroll to its end.
  int Max() const { return m_max; }
  // Negative becomes 0. The thumb keeps its pixel; Position is read back from it.
  void SetMax(int value);
  int Position() const { return m_position; }
  // Clamped to 0..Max; moves the thumb, fires OnChange and repaints. The present value: nothing.
  void SetPosition(int value);

  int ThumbPos() const { return m_thumbPos; }
  int DragAnchor() const { return m_dragAnchor; }
  bool Dragging() const { return m_dragging; }
  std::uint8_t ThumbState() const { return m_thumbState; }

  // The thumb's travel: bar height - SliderH.
  int Travel() const { return height() - SliderH; }
  int ValueFromPixel(int pixel) const;
  int PixelFromValue(int value) const;
  // The nearest pixel, within the travel, that stands for a whole value.
  int SnapPixel(int pixel) const;

  // Fired by SetPosition and by every press and drag move of the left button.
  TNotifyEvent OnChange;

 protected:
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
  void MouseMove(Qt::KeyboardModifiers shift, int x, int y) override;
  void MouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void Compose(TDDBitmap32& buffer) override;

 private:
  bool OnThumb(int x, int y) const;
  void DoChange();

  TSpriteRect m_track{0, 0, 10, 25};
  int m_max = 10;
  int m_position = 0;
  int m_thumbPos = 0;
  int m_dragAnchor = 0;
  bool m_dragging = false;
  std::uint8_t m_thumbState = tsNormal;
};

}  // namespace vireo
