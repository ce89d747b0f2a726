#pragma once

#include "ddvcl/TDDSliderBlend.h"
#include "ddvcl/TSpriteRect.h"

namespace vireo {

// The skin's bar: the track is tiled from two pieces (TileA, TileB) with end caps of Border
// pixels, filled up to the thumb in the styles with a fill, with the drag preview of
// TDDSliderBlend. Resizing keeps the value where it was.
class TDDSliderBlendEx : public TDDSliderBlend {
  Q_OBJECT
 public:
  explicit TDDSliderBlendEx(QWidget* parent = nullptr) : TDDSliderBlend(parent) {}

  TSpriteRect TileA{0, 0, 25, 25};
  TSpriteRect TileB{0, 0, 25, 25};
  std::uint8_t Border = 0;

 protected:
  void Compose(TDDBitmap32& buffer) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Blends the part [from, from + length) of a piece (along the axis) at position at.
  void DrawPiece(TDDBitmap32& buffer, TSpriteRect piece, int from, int length, int at);
};

}  // namespace vireo
